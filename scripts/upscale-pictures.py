#!/usr/bin/env python3
"""Makes the pictures' 2x PNGs (resources/*@2x.png) from their XPMs.

Run once after an XPM changes; the PNGs are committed and the build only
compiles them in. The upscale is Scale2x (EPX): each pixel becomes four, and
a corner of the four takes a neighbour's colour where two neighbours meeting
there agree, so staircases become diagonals and curves rounder, while every
pixel keeps a colour of the XPM's own palette: nothing smeared, nothing
invented. A colour key (the glyphs' olive) stays a colour, as in the XPM;
"None" becomes transparent.

    python3 scripts/upscale-pictures.py [resources]
"""
import pathlib
import re
import struct
import sys
import zlib


def read_xpm(path):
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', path.read_text())
    width, height, colours, chars = (int(v) for v in strings[0].split()[:4])
    palette = {}
    for line in strings[1:1 + colours]:
        key, rest = line[:chars], line[chars:].split()
        value = rest[rest.index("c") + 1]
        if value.lower() == "none":
            palette[key] = (0, 0, 0, 0)
        else:
            rgb = int(value.lstrip("#"), 16)
            palette[key] = (rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF, 0xFF)
    rows = strings[1 + colours:1 + colours + height]
    return [[palette[row[x * chars:(x + 1) * chars]] for x in range(width)] for row in rows]


def scale2x(pixels):
    height, width = len(pixels), len(pixels[0])

    def at(x, y):
        return pixels[min(max(y, 0), height - 1)][min(max(x, 0), width - 1)]

    out = [[None] * (2 * width) for _ in range(2 * height)]
    for y in range(height):
        for x in range(width):
            e, b, d, f, h = at(x, y), at(x, y - 1), at(x - 1, y), at(x + 1, y), at(x, y + 1)
            if b != h and d != f:
                corners = (d if d == b else e, f if b == f else e, d if d == h else e, f if h == f else e)
            else:
                corners = (e, e, e, e)
            out[2 * y][2 * x], out[2 * y][2 * x + 1], out[2 * y + 1][2 * x], out[2 * y + 1][2 * x + 1] = corners
    return out


def write_png(path, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in pixels)
    header = struct.pack(">IIBBBBB", len(pixels[0]), len(pixels), 8, 6, 0, 0, 0)
    path.write_bytes(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                     + chunk(b"IEND", b""))


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "resources")
    for xpm in sorted(folder.glob("*.xpm")):
        target = xpm.with_name(xpm.stem + "@2x.png")
        write_png(target, scale2x(read_xpm(xpm)))
        print(target)


if __name__ == "__main__":
    main()
