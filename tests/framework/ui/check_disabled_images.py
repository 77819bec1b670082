#!/usr/bin/python3
"""Checks the disabled look of a command image on the screen against the
blend recomputed here from the icon file and the theme's two colours.

Usage: check_disabled_images.py OUTPUT_FOLDER ICON
OUTPUT_FOLDER/disabled_images.txt lists, per screenshot, the screen
rectangle of the disabled 16-pixel image and the light and dark colours.
The look: over the visible pixels, offset = 128 - mean blue; each pixel's
t = clamp((r + g + b + offset) / 765, 0, 1); each channel is
light * t + dark * (1 - t), truncated. Hidden pixels show the parent's red.
"""
import sys
from pathlib import Path

from PIL import Image


def expected_pixels(icon_path, light, dark):
    icon = Image.open(icon_path)
    icon.size = (16, 16)
    rgba = icon.convert('RGBA')
    pixels = [rgba.getpixel((x, y)) for y in range(16) for x in range(16)]
    visible = [p for p in pixels if p[3] != 0]
    offset = 128 - sum(p[2] for p in visible) / len(visible)
    out = []
    for r, g, b, a in pixels:
        if a == 0:
            out.append((255, 0, 0))
            continue
        t = min(1.0, max(0.0, (r + g + b + offset) / 765))
        out.append(tuple(int(lc * t + dc * (1 - t)) for lc, dc in zip(light, dark)))
    return out


def main():
    folder, icon_path = Path(sys.argv[1]), sys.argv[2]
    lines = (folder / 'disabled_images.txt').read_text().split('\n')
    checked = 0
    looks = []
    for line in filter(None, lines):
        fields = line.split()
        shot = Image.open(fields[0]).convert('RGB')
        left, top, right, bottom = map(int, fields[1:5])
        light, dark = tuple(map(int, fields[5:8])), tuple(map(int, fields[8:11]))
        assert (right - left, bottom - top) == (16, 16), fields
        want = expected_pixels(icon_path, light, dark)
        got = [shot.getpixel((left + i % 16, top + i // 16)) for i in range(256)]
        worst = max(abs(a - b) for w, g in zip(want, got) for a, b in zip(w, g))
        if worst > 1:
            bad = next(i for i in range(256) if max(abs(a - b) for a, b in zip(want[i], got[i])) > 1)
            sys.exit(f'{fields[0]}: pixel {bad % 16},{bad // 16} is {got[bad]}, want {want[bad]}')
        looks.append(got)
        checked += 1
    if checked != 2 or looks[0] == looks[1]:
        sys.exit(f'expected two different disabled looks, checked {checked}')
    print(f'{checked} screenshots match the recomputed disabled look')


if __name__ == '__main__':
    main()
