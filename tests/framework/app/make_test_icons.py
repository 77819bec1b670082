#!/usr/bin/python3
"""Icon fixtures for the icon helpers' tests, written with the program's own
BMP-format icon writer (resources/make_icons.py).

sizes.ico: 16, 32 and 48 pixels at 4, 8 and 32 bits, each image filled with
a colour that names it, so a test can tell which image was chosen.
gray.ico: one 32x32 32-bit image with a transparent border, saturated white,
black and mid-tone areas. clear.ico: one fully transparent 32x32 image.
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'resources'))
from make_icons import write_ico  # noqa: E402

# A distinct colour per (size, bits) that survives the 4- and 8-bit palettes.
COLORS = {
    (16, 4): (255, 0, 0), (32, 4): (0, 255, 0), (48, 4): (0, 0, 255),
    (16, 8): (255, 255, 255), (32, 8): (0, 0, 0), (48, 8): (255, 0, 255),
    (16, 32): (10, 20, 30), (32, 32): (40, 50, 60), (48, 32): (70, 80, 90),
}


def solid(color):
    return lambda x, y: color + (255,)


def gray_source(x, y):
    if x < 4 or y < 4 or x >= 28 or y >= 28:
        return (0, 0, 0, 0)
    if y < 12:
        return (255, 255, 255, 255)
    if y < 20:
        return (0, 0, 0, 255)
    return ((x * 37) % 256, (y * 53) % 256, ((x + y) * 11) % 256, 255)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    entries = [(size, bits, solid(COLORS[(size, bits)]))
               for bits in (4, 8, 32) for size in (16, 32, 48)]
    write_ico(out / 'sizes.ico', entries)
    write_ico(out / 'gray.ico', [(32, 32, gray_source)])
    write_ico(out / 'clear.ico', [(32, 32, lambda x, y: (0, 0, 0, 0))])


if __name__ == '__main__':
    main()
