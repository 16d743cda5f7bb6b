#!/usr/bin/env python3
"""Draws Kestrin's program icon (a white power symbol on a round teal badge) as res/Kestrin.ico.

One image, 32 x 32 pixels, 256 colours. Standard library only; the generated file is kept in
the repository, so building needs no python. Run again after changing the drawing:
    python3 res/make_icon.py
"""
import math
import os
import struct

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


def render():
    """Palette index and opacity of every pixel, top row first."""
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            badge_hits = symbol_hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) / SAMPLES - SIZE / 2
                    y = py + (sy + 0.5) / SAMPLES - SIZE / 2
                    if in_badge(x, y):
                        badge_hits += 1
                        if in_symbol(x, y):
                            symbol_hits += 1
            opaque = badge_hits * 2 >= SAMPLES * SAMPLES
            shade = min(SHADES - 1, py * SHADES // SIZE)
            coverage = symbol_hits / badge_hits if badge_hits else 0.0
            step = int(round(coverage * (BLEND_STEPS - 1)))
            row.append((shade * BLEND_STEPS + step, opaque))
        pixels.append(row)
    return pixels


def ico_bytes():
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
    image = header + table + colour_rows + mask_rows
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'Kestrin.ico')
    with open(path, 'wb') as out:
        out.write(ico_bytes())
    print(f'wrote {path}')


if __name__ == '__main__':
    main()
