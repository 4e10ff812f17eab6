#!/usr/bin/env python3
"""Draws the application icon and writes it as MAINICON.ico beside this script.

The icon holds six images: 48, 32 and 16 pixels square, each once at 256 colours (8 bits per
pixel, transparency through the 1-bit mask) and once at 32 bits per pixel with alpha. The
picture: a rounded amber tile with a dark play triangle and two sound-wave arcs.

Run it again after changing the drawing; the output is byte-for-byte reproducible.
"""

import math
import os
import struct

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


def render(size):
    """Rows of (r, g, b, a), top row first."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(n):
                for sx in range(n):
                    colour, cover = sample((px + (sx + 0.5) / n) / size,
                                           (py + (sy + 0.5) / n) / size)
                    r += colour[0] * cover
                    g += colour[1] * cover
                    b += colour[2] * cover
                    a += cover
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / (n * n))))
        rows.append(row)
    return rows


def palette():
    """A fixed 256-colour palette: a 6x7x6 colour cube and a ramp of greys."""
    colours = [(round(r * 255 / 5), round(g * 255 / 6), round(b * 255 / 5))
               for r in range(6) for g in range(7) for b in range(6)]
    greys = 256 - len(colours)
    colours += [(round(v * 255 / (greys - 1)),) * 3 for v in range(greys)]
    return colours


def nearest(colours, rgb):
    return min(range(len(colours)),
               key=lambda i: sum((c - v) ** 2 for c, v in zip(colours[i], rgb)))


def mask_rows(pixels, size):
    """The 1-bit AND mask, bottom row first, each row padded to 4 bytes; 1 is transparent."""
    stride = ((size + 31) // 32) * 4
    data = b""
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bytes(bits)
    return data


def bitmap_header(size, bpp, colours_used, image_bytes):
    # BITMAPINFOHEADER; the height counts the colour rows and the mask rows together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, image_bytes, 0, 0,
                       colours_used, 0)


def image_32bpp(pixels, size):
    body = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for (r, g, b, a) in row)
    mask = mask_rows(pixels, size)
    return bitmap_header(size, 32, 0, len(body) + len(mask)) + body + mask


def image_8bpp(pixels, size, colours):
    stride = (size + 3) // 4 * 4
    body = b""
    cache = {}
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128:
                key = (r, g, b)
                if key not in cache:
                    cache[key] = nearest(colours, key)
                line[x] = cache[key]
        body += bytes(line)
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in colours)
    mask = mask_rows(pixels, size)
    return bitmap_header(size, 8, 256, len(body) + len(mask)) + table + body + mask


def main():
    colours = palette()
    images = []  # (size, colour count, bpp, data)
    for size in SIZES:
        pixels = render(size)
        images.append((size, 0, 8, image_8bpp(pixels, size, colours)))
        images.append((size, 0, 32, image_32bpp(pixels, size)))
    # ICONDIR, then one ICONDIRENTRY per image, then the images.
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, count, bpp, data in images:
        out += struct.pack("<BBBBHHII", size, size, count, 0, 1, bpp, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, _, data in images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "MAINICON.ico")
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
