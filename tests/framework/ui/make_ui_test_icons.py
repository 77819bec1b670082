#!/usr/bin/python3
"""The sample image of the item tests: one icon with 16, 24 and 32 pixel
32-bit images, opaque or fully transparent pixels of many colours and
brightnesses, written with the program's own icon writer.

Usage: make_ui_test_icons.py OUTPUT_FOLDER
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[3] / 'resources'))
from make_icons import write_ico  # noqa: E402


def sample(size):
    def draw(x, y):
        if x == 0 or y == 0 or x == size - 1 or (x + y) % 7 == 3:
            return (0, 0, 0, 0)
        return ((x * 53 + y * 7) % 256, (y * 41 + 90) % 256, ((x ^ y) * 29) % 256, 255)
    return draw


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    write_ico(out / 'ui_sample.ico', [(s, 32, sample(s)) for s in (16, 24, 32)])


if __name__ == '__main__':
    main()
