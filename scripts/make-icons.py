#!/usr/bin/env python3
"""Draws the program's icon for the desktop: data/icons/hicolor/.

The same picture as the window icon the program draws for itself
(ApplicationIcon in src/app/ToolbarIcons.cpp): the pocket computer's dark
body, its green liquid-crystal screen and a row of keys, on a 32 x 32 grid.
It is written as an SVG and as PNGs of 16 to 256 pixels (antialiased by
sampling each pixel 8 x 8 times). Only the standard library is used:

    python3 scripts/make-icons.py data/icons/hicolor
"""
import os
import struct
import sys
import zlib

SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
OUTLINE = (0, 0, 0)
STROKE = 1.0  # in grid units

# Each shape: x, y, width, height, corner radius, fill colour (a 32-unit grid,
# the outline centred on the edge, as QPainter draws it).
SHAPES = [(2, 6, 28, 22, 3, (60, 64, 72)),      # body
          (5, 9, 22, 7, 0, (150, 170, 120))]     # screen
SHAPES += [(x, 19, 4, 5, 0, (200, 200, 205)) for x in range(5, 27, 6)]  # keys


def inside(px, py, x, y, w, h, r):
    if px < x or px > x + w or py < y or py > y + h:
        return False
    r = max(0.0, min(r, w / 2, h / 2))
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r


def colour_at(px, py):
    """The colour the picture has at a point of the grid, or None."""
    found = None
    half = STROKE / 2
    for x, y, w, h, r, fill in SHAPES:
        if inside(px, py, x - half, y - half, w + STROKE, h + STROKE, r + half if r else 0):
            found = fill if inside(px, py, x + half, y + half, w - STROKE, h - STROKE,
                                   r - half if r else 0) else OUTLINE
    return found


def render(size, samples=8):
    scale = 32 / size
    rows = []
    for j in range(size):
        row = bytearray()
        for i in range(size):
            total = [0, 0, 0, 0]
            for sj in range(samples):
                for si in range(samples):
                    c = colour_at((i + (si + 0.5) / samples) * scale,
                                  (j + (sj + 0.5) / samples) * scale)
                    if c:
                        total[0] += c[0]
                        total[1] += c[1]
                        total[2] += c[2]
                        total[3] += 1
            n = samples * samples
            if total[3]:
                row += bytes([round(total[0] / total[3]), round(total[1] / total[3]),
                              round(total[2] / total[3]), round(255 * total[3] / n)])
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg():
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" '
             'viewBox="0 0 32 32">']
    for x, y, w, h, r, fill in SHAPES:
        corner = f' rx="{r}"' if r else ""
        parts.append(f'  <rect x="{x}" y="{y}" width="{w}" height="{h}"{corner} '
                     f'fill="#{fill[0]:02x}{fill[1]:02x}{fill[2]:02x}" stroke="#000" '
                     f'stroke-width="{STROKE:g}"/>')
    parts.append("</svg>\n")
    return "\n".join(parts)


def main(folder):
    for size in SIZES:
        path = os.path.join(folder, f"{size}x{size}", "apps")
        os.makedirs(path, exist_ok=True)
        with open(os.path.join(path, "tessel.png"), "wb") as f:
            f.write(png(size, render(size)))
    path = os.path.join(folder, "scalable", "apps")
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, "tessel.svg"), "w") as f:
        f.write(svg())


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/icons/hicolor")
