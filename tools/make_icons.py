#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into resources/.

The icons are plain pixel art, drawn here so that they can be changed and regenerated
without an image editor: python3 tools/make_icons.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")


# The drive case's frame: a grey whose contrast is about 4.5:1 against both white and black, so
# that the tray lamp keeps its outline on a light and on a dark taskbar alike with one set of
# icons (tests/icons/check_contrast.py measures it).
FRAME = (0x74, 0x76, 0x80)


def lamp(size, lit, body=(0x40, 0x40, 0x48), glow=(0x30, 0xE0, 0x40), slot=True):
    """A drive case seen from the front with an activity lamp in its lower right corner."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    m = max(1, size // 16)
    frame = max(1, size // 24)
    top, bottom = size // 4, size - size // 4
    for y in range(top, bottom):
        for x in range(m, size - m):
            edge = min(y - top, bottom - 1 - y, x - m, size - m - 1 - x) < frame
            px[y][x] = (FRAME if edge else body) + (255,)
    # slot of the drive bay
    for x in range(3 * m if slot else size, size // 2):
        px[top + 2 * m][x] = (0x90, 0x90, 0x98, 255)
    colour = glow if lit else (0x18, 0x40, 0x20)
    lw, lh = max(2, size // 5), max(2, size // 8)
    x0, y0 = size - m - 2 * m - lw, bottom - 2 * m - lh
    for y in range(y0, y0 + lh):
        for x in range(x0, x0 + lw):
            px[y][x] = colour + (255,)
    return px


def blank(size):
    return [[(0, 0, 0, 0)] * size for _ in range(size)]


def box(px, x0, y0, x1, y1, fill, edge=None):
    """Fills [x0, x1) x [y0, y1), with a one-pixel border of `edge` if given."""
    for y in range(y0, y1):
        for x in range(x0, x1):
            on_edge = edge and (y in (y0, y1 - 1) or x in (x0, x1 - 1))
            px[y][x] = (edge if on_edge else fill) + (255,)


def indicators(size=32):
    """Three lamps in a row as they stand on the screen: reading, writing and idle."""
    px = blank(size)
    for i, colour in enumerate([(0x00, 0xFF, 0x00), (0xFF, 0x00, 0x00), (0x00, 0x00, 0x80)]):
        x = 1 + i * 10
        box(px, x, 11, x + 10, 21, colour, edge=(0x20, 0x20, 0x28))
    return px


# A 4 x 5 pixel "C:" for the logical disk's drive letter.
LETTER = ["###.", "#..#", "#...", "#..#", "###."]


def logical_disk(size=32):
    """The drive case with a drive letter on its front instead of the bay, at twice the font's size."""
    px = lamp(size, True, slot=False)
    for row, line in enumerate(LETTER):
        for column, mark in enumerate(line):
            if mark == "#":
                for dy in range(2):
                    for dx in range(2):
                        px[11 + 2 * row + dy][5 + 2 * column + dx] = (0xF0, 0xF0, 0xF0, 255)
    return px


def all_in_one(size=32):
    """Three thin drive cases whose activity meets in one lamp."""
    px = blank(size)
    body, edge, glow = (0x40, 0x40, 0x48), (0x20, 0x20, 0x28), (0x30, 0xE0, 0x40)
    for i in range(3):
        y = 5 + i * 8
        box(px, 1, y, 18, y + 7, body, edge=edge)
        for x in range(18, 22):
            px[y + 3][x] = (0x90, 0x90, 0x98, 255)
        for y_line in range(min(y + 3, 16), max(y + 3, 16) + 1):
            px[y_line][21] = (0x90, 0x90, 0x98, 255)
    box(px, 22, 11, 31, 21, glow, edge=edge)
    return px


def ico(images):
    """Serialises square RGBA images as one .ico file with 32-bit DIB entries."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for px in images:
        n = len(px)
        xor = b"".join(
            bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
        mask_row = ((n + 31) // 32) * 4
        and_mask = b"".join(
            bytes(mask_row) for _ in range(n))  # alpha decides; mask all opaque
        dib = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                          len(xor) + len(and_mask), 0, 0, 0, 0) + xor + and_mask
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(dib), offset)
        blobs += dib
        offset += len(dib)
    return header + entries + blobs


def write(name, images):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    # The small sizes serve the tray and title bars at 100 to 200 % scaling, the larger ones
    # Explorer's views; the system shrinks the nearest larger image for any size missing here.
    sizes = [16, 20, 24, 32, 40, 48]
    write("lumora.ico", [lamp(size, True) for size in sizes])
    write("tray_idle.ico", [lamp(size, False) for size in sizes])
    write("tray_active.ico", [lamp(size, True) for size in sizes])
    # The General page shows these at 32 x 32 only, so they carry no smaller image.
    write("indicators.ico", [indicators()])
    write("physical_drive.ico", [lamp(32, True)])
    write("logical_disk.ico", [logical_disk()])
    write("all_in_one.ico", [all_in_one()])
