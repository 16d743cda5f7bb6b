#!/usr/bin/env python3
"""Draws Kestrin's program icon (a white power symbol on a round teal badge) as res/Kestrin.ico.

Three images: 32 x 32 pixels in 256 colours (what older systems and 100 % scaling show), and
48 x 48 and 256 x 256 in 32-bit colour with soft edges, which Windows picks at higher scaling and
in large Explorer views (the largest as PNG, as Windows expects it). Standard library only; the
generated file is kept in the repository, so building needs no python. Run again after changing
the drawing:
    python3 res/make_icon.py
"""
import math
import os
import struct
import zlib

SIZE = 32
SAMPLES = 4  # per axis, for smooth edges inside the badge

# Palette: 16 badge shades (top lighter, bottom darker) x 16 steps towards white for the symbol.
SHADES = 16
BLEND_STEPS = 16
TOP_COLOUR = (40, 170, 160)
BOTTOM_COLOUR = (10, 95, 100)
WHITE = (255, 255, 255)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def palette():
    colours = []
    for shade in range(SHADES):
        badge = mix(TOP_COLOUR, BOTTOM_COLOUR, shade / (SHADES - 1))
        for step in range(BLEND_STEPS):
            colours.append(mix(badge, WHITE, step / (BLEND_STEPS - 1)))
    return colours  # 256 entries


def in_badge(x, y):
    return math.hypot(x, y) <= 15.0


def in_symbol(x, y):
    """The power symbol: an open ring with its gap at the top, and a bar through the gap."""
    r = math.hypot(x, y)
    angle_from_top = abs(math.degrees(math.atan2(x, -y)))  # 0 straight up
    ring = 7.6 <= r <= 10.4 and angle_from_top >= 38.0
    bar = abs(x) <= 1.45 and -12.0 <= y <= -1.5
    return ring or bar


def coverage(px, py, size):
    """Fractions of pixel (px, py) of a size x size image inside the badge and inside the symbol
    (of the badge part), the drawing being made on a 32-unit grid."""
    badge_hits = symbol_hits = 0
    scale = SIZE / size
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) * scale - SIZE / 2
            y = (py + (sy + 0.5) / SAMPLES) * scale - SIZE / 2
            if in_badge(x, y):
                badge_hits += 1
                if in_symbol(x, y):
                    symbol_hits += 1
    total = SAMPLES * SAMPLES
    return badge_hits / total, (symbol_hits / badge_hits if badge_hits else 0.0)


def render():
    """Palette index and opacity of every pixel of the 32 x 32 image, top row first."""
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            badge, symbol = coverage(px, py, SIZE)
            shade = min(SHADES - 1, py * SHADES // SIZE)
            step = int(round(symbol * (BLEND_STEPS - 1)))
            row.append((shade * BLEND_STEPS + step, badge >= 0.5))
        pixels.append(row)
    return pixels


def render_rgba(size):
    """Red, green, blue and alpha of every pixel of a size x size image, top row first."""
    rows = []
    for py in range(size):
        row = []
        badge_colour = mix(TOP_COLOUR, BOTTOM_COLOUR, py / (size - 1))
        for px in range(size):
            badge, symbol = coverage(px, py, size)
            row.append(mix(badge_colour, WHITE, symbol) + (int(round(badge * 255)),))
        rows.append(row)
    return rows


def indexed_image():
    pixels = render()
    colours = palette()
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in colours)
    # Bitmaps run bottom-up. 32 bytes per colour row and 4 per mask row need no padding.
    colour_rows = b''.join(bytes(0 if not opaque else index for index, opaque in row) for row in reversed(pixels))
    mask_rows = b''
    for row in reversed(pixels):
        bits = 0
        for index, (_, opaque) in enumerate(row):
            if not opaque:
                bits |= 1 << (SIZE - 1 - index)  # 1: transparent
        mask_rows += bits.to_bytes(SIZE // 8, 'big')
    return header + table + colour_rows + mask_rows


def bgra_image(size):
    """A 32-bit bitmap with its alpha channel, and the AND mask older code still reads."""
    rows = render_rgba(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour_rows = b''.join(bytes(v for (r, g, b, a) in row for v in (b, g, r, a)) for row in reversed(rows))
    mask_stride = (size + 31) // 32 * 4
    mask_rows = b''
    for row in reversed(rows):
        bits = 0
        for index, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (mask_stride * 8 - 1 - index)
        mask_rows += bits.to_bytes(mask_stride, 'big')
    return header + colour_rows + mask_rows


def png_image(size):
    rows = render_rgba(size)
    raw = b''.join(b'\0' + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def ico_bytes():
    # (width, colour count, bits per pixel, image); a width of 256 is written as 0.
    images = [(SIZE, 0, 8, indexed_image()), (48, 0, 32, bgra_image(48)), (256, 0, 32, png_image(256))]
    directory = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b''
    for width, colours, bits, image in images:
        entries += struct.pack('<BBBBHHII', width % 256, width % 256, colours, 0, 1, bits, len(image), offset)
        offset += len(image)
    return directory + entries + b''.join(image for *_, image in images)


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Kestrin.ico')
    with open(path, 'wb') as out:
        out.write(ico_bytes())
    print(f'wrote {path}')


if __name__ == '__main__':
    main()
