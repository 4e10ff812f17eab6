"""Shared pieces of the icon generators: supersampled rendering of a picture given as a
function of the unit square, and the Windows icon file format (4, 8 and 32 bits per pixel).

Only the Python standard library is used, and the output is the same byte for byte on every run.
"""

import struct


def render(sample, size, supersample):
    """Rows of (r, g, b, a), top row first, with straight (not premultiplied) alpha.

    sample(x, y) gives the colour and coverage (0 or 1) of a point of the unit square, with y
    pointing down; each pixel averages supersample x supersample points.
    """
    rows = []
    n = supersample
    for py in range(size):
        row = []
        for px in range(size):
            sums = [0, 0, 0]
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    colour, hit = sample((px + (sx + 0.5) / n) / size,
                                         (py + (sy + 0.5) / n) / size)
                    if hit:
                        covered += 1
                        for i in range(3):
                            sums[i] += colour[i]
            rgb = tuple(round(s / covered) for s in sums) if covered else (0, 0, 0)
            row.append(rgb + (round(255 * covered / (n * n)),))
        rows.append(row)
    return rows


def nearest(palette, rgb):
    """Index of the palette colour closest to rgb."""
    return min(range(len(palette)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], rgb)))


def _row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def encode(pixels, bpp, palette=()):
    """One icon image: the bitmap header, the palette, the colour bitmap and the 1-bit mask,
    rows bottom up, each padded to four bytes. Paletted images (4 or 8 bits per pixel) have no
    alpha: a pixel less than half covered is transparent through the mask alone."""
    size = len(pixels)
    colour_rows = []
    mask_rows = []
    cache = {}
    for row in reversed(pixels):
        data = bytearray()
        mask = bytearray(_row_bytes(size))
        nibbles = []
        for x, (r, g, b, a) in enumerate(row):
            transparent = a < 128
            if transparent:
                mask[x // 8] |= 0x80 >> (x % 8)
            if bpp == 32:
                data += bytes((b, g, r, a))
                continue
            index = 0 if transparent else cache.setdefault((r, g, b), nearest(palette, (r, g, b)))
            if bpp == 8:
                data.append(index)
            else:
                nibbles.append(index)
        if bpp == 4:
            for i in range(0, len(nibbles), 2):
                low = nibbles[i + 1] if i + 1 < len(nibbles) else 0
                data.append(nibbles[i] << 4 | low)
        data += bytes(_row_bytes(size * bpp) - len(data))
        colour_rows.append(bytes(data))
        mask_rows.append(bytes(mask))
    colour = b"".join(colour_rows)
    mask = b"".join(mask_rows)
    # BITMAPINFOHEADER; the height counts the colour rows and the mask rows together.
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(colour) + len(mask), 0, 0, len(palette), 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + colour + mask


def write_icon(path, images):
    """Writes an icon file from (size, bpp, encoded image) entries, in that order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, bpp, data in images:
        colour_count = 16 if bpp == 4 else 0
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bpp,
                                 len(data), offset + len(body))
        body += data
    with open(path, "wb") as out:
        out.write(directory + body)
