#!/usr/bin/env python3
"""Fails when a tray or program icon would vanish on a light or a dark taskbar: check_contrast.py [RESOURCES]

Every image of each icon is laid over white and over black the way the shell blends it, and each
pixel of its outer edge (a visible pixel beside a transparent one or the image's border) must stand
out from the background by a WCAG contrast ratio of at least 3:1 on both."""
import os
import struct
import sys

ICONS = ["lumora.ico", "tray_idle.ico", "tray_active.ico"]
BACKGROUNDS = [("white", (255, 255, 255)), ("black", (0, 0, 0))]
MINIMUM = 3.0


def images(data):
    """(width, height, rows of (r, g, b, a)) for each entry of an .ico file, top row first."""
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if (reserved, kind) != (0, 1):
        raise ValueError("not an icon file")
    found = []
    for entry in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * entry + 8)
        blob = data[offset:offset + size]
        if blob[:8] == b"\x89PNG\r\n\x1a\n":
            raise ValueError(f"entry {entry} is a PNG image, which this check cannot read yet")
        header, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", blob)
        if (bits, compression) != (32, 0):
            raise ValueError(f"entry {entry} has {bits} bits per pixel, compression {compression}; "
                             f"only 32-bit images carry the alpha this check measures")
        height //= 2  # the AND mask's rows follow the colour rows
        pixels = blob[header:header + 4 * width * height]
        stride = 4 * width
        rows = [[(r, g, b, a) for b, g, r, a in struct.iter_unpack("<BBBB", pixels[stride * y:stride * (y + 1)])]
                for y in reversed(range(height))]
        found.append((width, height, rows))
    return found


def luminance(rgb):
    def linear(channel):
        c = channel / 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = map(linear, rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(first, second):
    light, dark = sorted((luminance(first), luminance(second)), reverse=True)
    return (light + 0.05) / (dark + 0.05)


def edge(width, height, rows):
    """The visible pixels that touch a transparent pixel or the border, diagonals included."""
    def transparent(x, y):
        return not (0 <= x < width and 0 <= y < height) or rows[y][x][3] == 0
    return [(x, y) for y in range(height) for x in range(width) if rows[y][x][3] and
            any(transparent(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))]


def blend(pixel, background):
    """Straight alpha blended in the image's own sRGB values, as the shell draws an icon."""
    *rgb, alpha = pixel
    return tuple(round((c * alpha + b * (255 - alpha)) / 255) for c, b in zip(rgb, background))


def failures(folder):
    found = []
    for name in ICONS:
        with open(os.path.join(folder, name), "rb") as f:
            entries = images(f.read())
        for width, height, rows in entries:
            ring = edge(width, height, rows)
            if not ring:
                found.append(f"{name} {width}x{height}: no visible pixel")
                continue
            for background_name, background in BACKGROUNDS:
                ratio, (x, y) = min((contrast(blend(rows[y][x], background), background), (x, y)) for x, y in ring)
                print(f"{name} {width}x{height} on {background_name}: weakest edge pixel {ratio:.2f}:1")
                if ratio < MINIMUM:
                    found.append(f"{name} {width}x{height} on {background_name}: the edge pixel at {x},{y} "
                                 f"contrasts {ratio:.2f}:1, below {MINIMUM}:1")
    return found


def main(argv):
    folder = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    found = failures(folder)
    for line in found:
        print(line)
    print(f"{len(found)} icon image(s) that would vanish on a light or a dark taskbar")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
