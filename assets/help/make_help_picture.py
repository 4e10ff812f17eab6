#!/usr/bin/env python3
"""Draws the help window's picture and writes it as a Windows icon file.

The picture is an orange disc with a white question mark. The icon carries fourteen images:
32x32 and 16x16 at 16 colours; 48, 32, 24 and 16 pixels square at 256 colours; and 128, 96, 72,
64, 48, 32, 24 and 16 pixels square at 32 bits per pixel with an alpha channel. The paletted
images have no alpha, so their transparency lives in the 1-bit mask alone.

Needs only the Python standard library, and its output is the same byte for byte on every run.
Usage: make_help_picture.py [output.ico]   (default: HelpPicture.ico beside this script)
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import icotools  # noqa: E402

# (size in pixels, bits per pixel), in the order the icon lists them.
IMAGES = [
    (32, 4), (16, 4),
    (48, 8), (32, 8), (24, 8), (16, 8),
    (128, 32), (96, 32), (72, 32), (64, 32), (48, 32), (32, 32), (24, 32), (16, 32),
]

SUPERSAMPLES = 4  # per axis: 16 samples per pixel for smooth edges

DISC_TOP = (238, 132, 52)
DISC_BOTTOM = (170, 66, 20)
RIM = (112, 40, 12)
MARK = (255, 255, 255)


# --- The artwork, in a unit square with y pointing down -----------------------------------

def _in_disc(x, y):
    return math.hypot(x - 0.5, y - 0.5) <= 0.47


def _in_rim(x, y):
    return 0.425 <= math.hypot(x - 0.5, y - 0.5) <= 0.47


def _in_mark(x, y):
    half_stroke = 0.055
    cx, cy, r = 0.5, 0.36, 0.14
    # The hook: a ring from the left, over the top and down the right to the bottom point.
    d = math.hypot(x - cx, y - cy)
    angle = math.degrees(math.atan2(y - cy, x - cx))
    if abs(d - r) <= half_stroke and not (90.0 < angle < 160.0):
        return True
    start = (cx + r * math.cos(math.radians(160)), cy + r * math.sin(math.radians(160)))
    if math.hypot(x - start[0], y - start[1]) <= half_stroke:
        return True
    # The stem below the hook, with a rounded end.
    if abs(x - cx) <= half_stroke and cy + r <= y <= 0.60:
        return True
    if math.hypot(x - cx, y - 0.60) <= half_stroke:
        return True
    # The dot.
    return math.hypot(x - cx, y - 0.75) <= 0.065


def _sample(x, y):
    """Colour and coverage (0 or 1) of one point of the picture."""
    if not _in_disc(x, y):
        return (0, 0, 0), 0
    if _in_mark(x, y):
        return MARK, 1
    if _in_rim(x, y):
        return RIM, 1
    t = (y - 0.03) / 0.94
    return tuple(round(a + (b - a) * t) for a, b in zip(DISC_TOP, DISC_BOTTOM)), 1


# --- Palettes for the images without alpha --------------------------------------------------

def palette16():
    """Black, the rim, white, a ramp down the disc and blends of disc and white for the
    anti-aliased edges of the mark; the rest black."""
    colours = [(0, 0, 0), RIM, MARK]
    for i in range(8):
        t = i / 7
        colours.append(tuple(round(a + (b - a) * t) for a, b in zip(DISC_TOP, DISC_BOTTOM)))
    middle = tuple((a + b) // 2 for a, b in zip(DISC_TOP, DISC_BOTTOM))
    for t in (0.25, 0.5, 0.75):
        colours.append(tuple(round(m + (255 - m) * t) for m in middle))
    colours.append(tuple((a + b) // 2 for a, b in zip(RIM, DISC_BOTTOM)))
    while len(colours) < 16:
        colours.append((0, 0, 0))
    return colours


def palette256():
    """Ramps between the artwork's own colours: down the disc, from the disc to white (the
    mark's edges) and from the disc to the rim; then black, white and greys to fill up."""
    def blend(a, b, t):
        return tuple(round(x + (y - x) * t) for x, y in zip(a, b))

    colours = [(0, 0, 0), MARK, RIM]
    colours += [blend(DISC_TOP, DISC_BOTTOM, i / 63) for i in range(64)]
    for shade in (DISC_TOP, blend(DISC_TOP, DISC_BOTTOM, 0.5), DISC_BOTTOM):
        colours += [blend(shade, MARK, i / 31) for i in range(1, 31)]
    for shade in (DISC_TOP, DISC_BOTTOM):
        colours += [blend(shade, RIM, i / 31) for i in range(1, 31)]
    while len(colours) < 256:
        colours.append((len(colours),) * 3)
    return colours


def write_icon(path):
    images = []
    for size, bpp in IMAGES:
        palette = palette16() if bpp == 4 else palette256() if bpp == 8 else ()
        pixels = icotools.render(_sample, size, SUPERSAMPLES)
        images.append((size, bpp, icotools.encode(pixels, bpp, palette)))
    icotools.write_icon(path, images)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_icon(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "HelpPicture.ico"))
