#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files into resources/.

The icons are plain pixel art, drawn here so that they can be changed and regenerated
without an image editor: python3 tools/make_icons.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")


def lamp(size, lit, body=(0x40, 0x40, 0x48), glow=(0x30, 0xE0, 0x40)):
    """A drive case seen from the front with an activity lamp in its lower right corner."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    m = max(1, size // 16)
    top, bottom = size // 4, size - size // 4
    for y in range(top, bottom):
        for x in range(m, size - m):
            edge = y in (top, bottom - 1) or x in (m, size - m - 1)
            shade = 0x20 if edge else 0
            px[y][x] = (body[0] - shade, body[1] - shade, body[2] - shade, 255)
    # slot of the drive bay
    for x in range(3 * m, size // 2):
        px[top + 2 * m][x] = (0x90, 0x90, 0x98, 255)
    colour = glow if lit else (0x18, 0x40, 0x20)
    lw, lh = max(2, size // 5), max(2, size // 8)
    x0, y0 = size - m - 2 * m - lw, bottom - 2 * m - lh
    for y in range(y0, y0 + lh):
        for x in range(x0, x0 + lw):
            px[y][x] = colour + (255,)
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


def write(name, lit):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(ico([lamp(16, lit), lamp(32, lit)]))


if __name__ == "__main__":
    write("lumora.ico", True)
    write("tray_idle.ico", False)
    write("tray_active.ico", True)
