#!/usr/bin/python3
"""Recomputes the theme colour tables with Python's colorsys and compares.

Usage: check_theme_table.py theme_tables.txt
Each line holds a base set, a scheme and the 59 colours the program made.
adjust(c, l, s): c's hue, lightness and saturation as bytes (truncated),
lightness x (1 + l) and saturation x (1 + s) clamped to 0..255, back to
channels x 255 truncated. p = 0.5137 - lightness byte of the active caption / 255.
"""
import colorsys
import sys


def to_bytes(c):
    h, l, s = colorsys.rgb_to_hls(*(v / 255 for v in c))
    return int(h * 255), int(l * 255), int(s * 255)


def adjust(c, l, s):
    hb, lb, sb = to_bytes(c)
    lb = int(max(0, min(255, lb * (1 + l))))
    sb = int(max(0, min(255, sb * (1 + s))))
    return tuple(int(v * 255) for v in colorsys.hls_to_rgb(hb / 255, lb / 255, sb / 255))


def blend(f, a, b):
    return tuple(int(x + (y - x) * f) for x, y in zip(a, b))


def table(c, scheme):
    t = [None] * 59
    p = 0.5137 - to_bytes(c['active'])[1] / 255
    if scheme == 2:
        bg, focus, text, hitext = c['custom0'], c['custom2'], c['custom3'], c['custom4']
    else:
        bg, focus = adjust(c['active'], p + 0.4, -0.25), c['highlight']
        text, hitext = c['menutext'], c['hitext']
    if scheme == 0:
        face, hilite, shadow = c['face'], c['hilite'], c['shadow']
        t[0], t[1], t[2], t[3] = face, c['light'], hilite, shadow
        t[26], t[27] = shadow, hilite
        for i in (28, 32, 39):
            t[i] = hilite
        for i in (29, 31, 40):
            t[i] = shadow
        for i in (30, 33, 34, 35, 36, 37):
            t[i] = face
        t[38] = hilite if c['menu'] == face else c['menu']
        t[41] = t[42] = blend(0.75, c['active'], face)
        t[43] = t[44] = blend(0.85, c['active'], face)
        t[45] = c['syscaption']
        t[51], t[52], t[53] = face, hilite, shadow
    else:
        for i in (0, 30, 35):
            t[i] = adjust(bg, p + 0.2, -0.3)
        for i in (1, 2, 28, 32, 39):
            t[i] = adjust(bg, p + 0.33, -0.1)
        for i in (3, 29, 31, 40):
            t[i] = adjust(bg, p - 0.25, -0.8)
        t[26] = adjust(bg, p - 0.6, -0.1)
        t[27] = adjust(bg, p + 0.35, -0.1)
        t[33] = t[36] = adjust(bg, p + 0.3, 0)
        t[34] = t[37] = bg
        t[38] = adjust(bg, p + 0.4, -0.25)
        t[41] = adjust(focus, p + 0.3, 0)
        t[42] = focus
        t[43] = adjust(focus, p + 0.4, 0)
        t[44] = adjust(focus, p + 0.2, 0)
        t[45] = adjust(bg, p - 0.5, -0.5)
        t[51] = adjust(bg, p + 0.35, -0.4)
        t[52] = adjust(t[51], p + 0.4, -0.2)
        t[53] = adjust(t[51], p - 0.2, -0.6)
    t[4], t[5], t[6] = text, hitext, c['window']
    t[46], t[47], t[48], t[49], t[50] = focus, c['window'], c['hitext'], c['menutext'], c['gray']
    t[57] = c['face']
    steps = (-0.2, -0.1, 0, -0.1, -0.3, -0.2, -0.1, -0.2)
    for i, step in enumerate(steps):
        t[10 + i] = adjust(c['active'], step, 0.2)
        t[18 + i] = adjust(c['inactive'], step, -0.2)
    t[58] = adjust(focus, 0.7, -0.2)
    t[54] = adjust(t[0], -0.2, -0.3)
    t[55] = adjust(t[0], -0.05, -0.3)
    t[56] = adjust(t[0], 0.05, -0.3)
    t[7] = t[8] = t[9] = t[0]
    return t


def main():
    lines = [l for l in open(sys.argv[1]).read().split('\n') if l]
    if len(lines) != 6:
        sys.exit(f'expected 6 tables, found {len(lines)}')
    for line in lines:
        fields = dict(f.split('=') for f in line.split())
        colors = {k: tuple(map(int, v.split(','))) for k, v in fields.items() if ',' in v}
        want = table(colors, int(fields['scheme']))
        for i in range(59):
            if colors[f't{i}'] != want[i]:
                sys.exit(f'set {fields["set"]} scheme {fields["scheme"]} index {i}: '
                         f'{colors[f"t{i}"]}, want {want[i]}')
    print('all 59 colours of 2 base sets x 3 schemes match')


if __name__ == '__main__':
    main()
