#!/usr/bin/env python3
"""Writes quba.svg, the application icon: a rounded tile holding an 8 x 8 grid
drawn with the program's colour map (red below 0, green at 0, blue above 0),
showing a ring like the built-in "circle" pattern. Render the PNG sizes with
    for s in 16 32 48 64 128 256; do rsvg-convert -w $s -h $s quba.svg -o icons/$s.png; done
"""
import math
import pathlib

CELLS = 8
TILE = 64.0
MARGIN = 7.0
GAP = 0.8


def colour(value):
    k = min(255, int(256 * abs(value)))
    if value > 0:
        return (0, 255 - k, k)
    return (k, 255 - k, 0)


def value(r, c):
    # A ring: blue in the middle, red at the rim, green between.
    u = (c + 0.5) / CELLS * 2 - 1
    v = (r + 0.5) / CELLS * 2 - 1
    return math.cos(math.pi * 0.8 * math.hypot(u, v))


def main():
    cell = (TILE - 2 * MARGIN) / CELLS
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">',
        '<rect x="2" y="2" width="60" height="60" rx="11" fill="#1f2a36"/>',
        '<rect x="2.5" y="2.5" width="59" height="59" rx="10.5" fill="none" '
        'stroke="#5b6b7c" stroke-width="1"/>',
    ]
    for r in range(CELLS):
        for c in range(CELLS):
            red, green, blue = colour(value(r, c))
            x = MARGIN + c * cell + GAP / 2
            y = MARGIN + r * cell + GAP / 2
            parts.append(
                f'<rect x="{x:.2f}" y="{y:.2f}" width="{cell - GAP:.2f}" '
                f'height="{cell - GAP:.2f}" rx="0.8" fill="#{red:02x}{green:02x}{blue:02x}"/>'
            )
    parts.append("</svg>")
    here = pathlib.Path(__file__).resolve().parent
    (here / "quba.svg").write_text("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
