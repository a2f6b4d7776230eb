#!/usr/bin/env python3
"""Makes the pictures' 2x XPMs (resources/*@2x.xpm) from their XPMs.

Run once after an XPM changes; the 2x XPMs are committed and the build
compiles them in as C, like the 1x ones, so that no image reader runs. The
upscale is Scale2x (EPX): each pixel becomes four, and a corner of the four takes a neighbour's colour where two neighbours meeting
there agree, so staircases become diagonals and curves rounder, while every
pixel keeps a colour of the XPM's own palette: nothing smeared, nothing
invented. A colour key (the glyphs' olive) stays a colour, as in the XPM;
"None" becomes transparent.

    python3 scripts/upscale-pictures.py [resources]
"""
import pathlib
import re
import sys


def read_xpm(path):
    """The XPM's header and colour lines as they stand, and its pixels as
    their keys in the palette."""
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', path.read_text())
    width, height, colours, chars = (int(v) for v in strings[0].split()[:4])
    rows = strings[1 + colours:1 + colours + height]
    pixels = [[row[x * chars:(x + 1) * chars] for x in range(width)] for row in rows]
    return strings[1:1 + colours], chars, pixels


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


def write_xpm(path, name, colours, chars, pixels):
    lines = [f"{len(pixels[0])} {len(pixels)} {len(colours)} {chars}", *colours, *("".join(row) for row in pixels)]
    body = ",\n".join(f'"{line}"' for line in lines)
    path.write_text(f"/* XPM */\nstatic const char *const {name}[] = {{\n{body}\n}};\n")


def main():
    folder = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent / "resources")
    for xpm in sorted(folder.glob("*.xpm")):
        if xpm.stem.endswith("@2x"):
            continue
        colours, chars, pixels = read_xpm(xpm)
        target = xpm.with_name(xpm.stem + "@2x.xpm")
        write_xpm(target, xpm.stem.replace("-", "_") + "_2x", colours, chars, scale2x(pixels))
        print(target)

if __name__ == "__main__":
    main()
