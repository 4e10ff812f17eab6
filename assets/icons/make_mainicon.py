#!/usr/bin/env python3
"""Draws the application icon and writes it as MAINICON.ico beside this script.

The icon holds six images: 48, 32 and 16 pixels square, each once at 256 colours (8 bits per
pixel, transparency through the 1-bit mask) and once at 32 bits per pixel with alpha. The
picture: a rounded amber tile with a dark play triangle and two sound-wave arcs.

Run it again after changing the drawing; the output is byte-for-byte reproducible.
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import icotools  # noqa: E402

SIZES = (48, 32, 16)
SUPERSAMPLE = 4  # samples per pixel along each axis, for smooth edges

TILE_TOP = (255, 196, 64)
TILE_BOTTOM = (214, 120, 20)
TILE_EDGE = (120, 62, 10)
INK = (40, 30, 24)


def rounded_square(x, y, inset, radius):
    """True when (x, y), in unit coordinates, lies inside the rounded square."""
    lo, hi = inset, 1.0 - inset
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def in_triangle(x, y):
    # A play symbol pointing right, left of centre.
    ax, ay, bx, by, cx, cy = 0.22, 0.28, 0.22, 0.72, 0.52, 0.50

    def side(px, py, qx, qy):
        return (qx - px) * (y - py) - (qy - py) * (x - px)

    s1, s2, s3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
    return (s1 <= 0 and s2 <= 0 and s3 <= 0) or (s1 >= 0 and s2 >= 0 and s3 >= 0)


def on_arc(x, y, radius, width):
    # Arcs centred on the triangle's tip, opening to the right, 100 degrees wide.
    dx, dy = x - 0.50, y - 0.50
    distance = math.hypot(dx, dy)
    if abs(distance - radius) > width / 2 or dx <= 0:
        return False
    return abs(math.degrees(math.atan2(dy, dx))) <= 50


def sample(x, y):
    """The colour and coverage (0 or 1) of one sample point."""
    if not rounded_square(x, y, 0.04, 0.18):
        return (0, 0, 0), 0.0
    if not rounded_square(x, y, 0.09, 0.14):
        return TILE_EDGE, 1.0
    if in_triangle(x, y) or on_arc(x, y, 0.17, 0.07) or on_arc(x, y, 0.31, 0.07):
        return INK, 1.0
    t = (y - 0.09) / 0.82
    return tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM)), 1.0


def palette():
    """A fixed 256-colour palette: a 6x7x6 colour cube and a ramp of greys."""
    colours = [(round(r * 255 / 5), round(g * 255 / 6), round(b * 255 / 5))
               for r in range(6) for g in range(7) for b in range(6)]
    greys = 256 - len(colours)
    colours += [(round(v * 255 / (greys - 1)),) * 3 for v in range(greys)]
    return colours


def main():
    colours = palette()
    images = []
    for size in SIZES:
        pixels = icotools.render(sample, size, SUPERSAMPLE)
        images.append((size, 8, icotools.encode(pixels, 8, colours)))
        images.append((size, 32, icotools.encode(pixels, 32)))
    here = os.path.dirname(os.path.abspath(__file__))
    icotools.write_icon(os.path.join(here, "MAINICON.ico"), images)


if __name__ == "__main__":
    main()
