#!/usr/bin/python3
"""Checks the depth conversions that test_imagelib wrote (depth_cases.txt):
grey levels against their formula and PIL, nearest-colour mapping against a
numpy first-minimum search, error diffusion and every dithering method
against plain Python models of their rules, and the dithers' look (block
means) against the picture.

Usage: depth_oracle.py <output folder of test_imagelib>
"""
import os
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import raster_dump  # noqa: E402

c = raster_dump.Checker(sys.argv[1])

M4 = np.array([0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5]).reshape(4, 4)
M7 = np.array([0, 192, 48, 240, 128, 64, 176, 112, 32, 224, 16, 208, 160, 96, 144, 80]).reshape(4, 4)
M8 = np.array("""0 32 8 40 2 34 10 42 48 16 56 24 50 18 58 26 12 44 4 36 14 46 6 38
60 28 52 20 62 30 54 22 3 35 11 43 1 33 9 41 51 19 59 27 49 17 57 25
15 47 7 39 13 45 5 37 63 31 55 23 61 29 53 21""".split(), int).reshape(8, 8)
M16 = np.array("""1 235 59 219 15 231 55 215 2 232 56 216 12 228 52 212
129 65 187 123 143 79 183 119 130 66 184 120 140 76 180 116
33 193 17 251 47 207 31 247 34 194 18 248 44 204 28 244
161 97 145 81 175 111 159 95 162 98 146 82 172 108 156 92
9 225 49 209 5 239 63 223 10 226 50 210 6 236 60 220
137 73 177 113 133 69 191 127 138 74 178 114 134 70 188 124
41 201 25 241 37 197 21 255 42 202 26 242 38 198 22 252
169 105 153 89 165 101 149 85 170 106 154 90 166 102 150 86
3 233 57 217 13 229 53 213 0 234 58 218 14 230 54 214
131 67 185 121 141 77 181 117 128 64 186 122 142 78 182 118
35 195 19 249 45 205 29 245 32 192 16 250 46 206 30 246
163 99 147 83 173 109 157 93 160 96 144 80 174 110 158 94
11 227 51 211 7 237 61 221 8 224 48 208 4 238 62 222
139 75 179 115 135 71 189 125 136 72 176 112 132 68 190 126
43 203 27 243 39 199 23 253 40 200 24 240 36 196 20 254
171 107 155 91 167 103 151 87 168 104 152 88 164 100 148 84""".split(), int).reshape(16, 16)

# (dx, dy, weight) with dy in stored rows upward, and the divisor.
KERNELS = {
    2: (32, [(1, 0, 8), (2, 0, 4), (-2, 1, 2), (-1, 1, 4), (0, 1, 8), (1, 1, 4), (2, 1, 2)]),
    3: (42, [(1, 0, 8), (2, 0, 4)] + [(d, 1, w) for d, w in zip(range(-2, 3), (2, 4, 8, 4, 2))]
        + [(d, 2, w) for d, w in zip(range(-2, 3), (1, 2, 4, 2, 1))]),
    4: (48, [(1, 0, 7), (2, 0, 5)] + [(d, 1, w) for d, w in zip(range(-2, 3), (3, 5, 7, 5, 3))]
        + [(d, 2, w) for d, w in zip(range(-2, 3), (1, 3, 5, 3, 1))]),
    5: (32, [(1, 0, 5), (2, 0, 3)] + [(d, 1, w) for d, w in zip(range(-2, 3), (2, 4, 5, 4, 2))]
        + [(-1, 2, 2), (0, 2, 3), (1, 2, 2)]),
    6: (200, [(2, 0, 32), (-3, 1, 12), (-1, 1, 26), (1, 1, 30), (3, 1, 16), (-2, 2, 12),
              (0, 2, 26), (2, 2, 12), (-3, 3, 5), (-1, 3, 12), (1, 3, 12), (3, 3, 5)]),
    0: (16, [(1, 0, 7), (-1, 1, 3), (0, 1, 5), (1, 1, 1)]),
}


def gray_levels(rgb):
    rgb = rgb.astype(np.int64)
    return (601 * rgb[..., 1] + 306 * rgb[..., 0] + 117 * rgb[..., 2]) >> 10


def nearest(palette, colours):
    """First entry of the smallest squared distance (numpy's argmin)."""
    pal = palette.astype(np.int64)
    col = colours.reshape(-1, 3).astype(np.int64)
    dist = ((col[:, None, :] - pal[None, :, :]) ** 2).sum(axis=2)
    return dist.argmin(axis=1).reshape(colours.shape[:-1])


def trunc_div(a, b):
    return -((-a) // b) if a < 0 else a // b


def stored(a):
    """Top-down array -> rows from the bottom, as the library walks them."""
    return a[::-1]


def diffuse_model(src, palette, important):
    """Error diffusion as the library defines it: 7, 2, 4, 1 sixteenths, each
    neighbour limited to 0..255 (and snapped to a palette source's colours)."""
    work = stored(raster_dump.rgb(src)).astype(np.int64).copy()
    snap = src["palette"] if len(src["palette"]) else None
    pal = palette[:important]
    h, w = work.shape[:2]
    out = np.zeros((h, w), np.int64)
    for y in range(h):
        for x in range(w):
            colour = work[y, x]
            index = int(nearest(pal, colour[None, :])[0])
            out[y, x] = index
            error = colour - pal[index]
            for dx, dy, weight in ((1, 0, 7), (-1, 1, 2), (0, 1, 4), (1, 1, 1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < w and ny < h:
                    v = np.clip(work[ny, nx] + [trunc_div(e * weight, 16) for e in error], 0, 255)
                    if snap is not None:
                        v = snap[int(nearest(snap, v[None, :])[0])]
                    work[ny, nx] = v
    return stored(out)


def dither_model(gray, method):
    g = stored(gray).astype(np.int64).copy()
    h, w = g.shape
    y, x = np.mgrid[0:h, 0:w]
    if method == 1:
        white = (g == 255) | (M4[y % 4, x % 4] < g * 16 // 255)
    elif method == 7:
        white = M7[y % 4, x % 4] < g
    elif method == 8:
        white = (g // 4 >= 1) & (g // 4 >= M8[x % 8, y % 8])
    elif method == 9:
        white = (g == 255) | (M16[x % 16, y % 16] < g)
    else:
        divisor, taps = KERNELS.get(method, KERNELS[0])
        white = np.zeros((h, w), bool)
        for yy in range(h):
            for xx in range(w):
                v = int(g[yy, xx])
                white[yy, xx] = v > 128
                error = v - 255 if v > 128 else v
                for dx, dy, weight in taps:
                    nx, ny = xx + dx, yy + dy
                    if 0 <= nx < w and ny < h:
                        g[ny, nx] = min(255, max(0, g[ny, nx] + trunc_div(error * weight, divisor)))
    return stored(white.astype(np.uint8))


def block_means(a, size):
    h, w = a.shape[0] // size * size, a.shape[1] // size * size
    return a[:h, :w].reshape(h // size, size, w // size, size, *a.shape[2:]).mean(axis=(1, 3))


def check_case(words, stem, dithers):
    op, args = words[0], words[1:]
    src, out = c.load(stem + "_in.ras"), c.load(stem + "_out.ras")
    name = " ".join(words) + " (%s, %d bpp)" % (stem, src["bpp"])
    s = raster_dump.rgb(src)
    if op == "gray":
        want = gray_levels(s)
        c.check(out["bpp"] == 8 and (out["palette"] == np.arange(256)[:, None]).all(),
                name + ": no identity ramp")
        c.check(np.array_equal(out["pixels"], want), name + ": grey levels")
        if src["bpp"] == 24:
            pil = np.asarray(Image.fromarray(s).convert("L")).astype(np.int64)
            d = pil - want
            c.check(d.min() >= 0 and d.max() <= 1, "%s: PIL's L minus ours %d..%d" %
                    (name, d.min(), d.max()))
    elif op == "nearest":
        important = int(args[0]) or len(out["palette"])
        want = nearest(out["palette"][:important], s)
        c.check(np.array_equal(out["pixels"], want), "%s: %d pixels differ" %
                (name, int((out["pixels"] != want).sum())))
    elif op == "diffuse":
        want = diffuse_model(src, out["palette"], len(out["palette"]))
        c.check(np.array_equal(out["pixels"], want), "%s: %d pixels differ" %
                (name, int((out["pixels"] != want).sum())))
    elif op == "dither":
        method = int(args[0])
        gray = gray_levels(s)
        got = out["pixels"]
        c.check(out["bpp"] == 1 and out["palette"].tolist() == [[0, 0, 0], [255, 255, 255]],
                name + ": not black and white")
        want = dither_model(gray, method)
        c.check(np.array_equal(got, want), "%s: %d pixels differ from the model" %
                (name, int((got != want).sum())))
        if (gray == gray.flat[0]).all():
            level, share = gray.flat[0], got.mean()
            wanted = {0: (0, 0), 128: (0.4, 0.6), 255: (1, 1)}[int(level)]
            c.check(wanted[0] <= share <= wanted[1], "%s: uniform %d gives %.3f white" %
                    (name, level, share))
        elif min(gray.shape) >= 60:
            # The 4 x 4 ordered dithers have 17 levels: half a step is 8.
            bound = 9 if method in (1, 7) else 5
            delta = np.abs(block_means(got * 255.0, 8) - block_means(gray.astype(float), 8)).mean()
            c.check(delta <= bound, "%s: 8x8 block means off by %.2f on average" % (name, delta))
        dithers.setdefault((stem_key(src), method), got)
    else:
        c.check(False, "unknown case " + name)


def stem_key(src):
    return (src["width"], src["height"], int(src["pixels"].sum()))


def main():
    with open(c.path("depth_cases.txt")) as f:
        lines = [line.split() for line in f if line.strip()]
    dithers = {}
    for line in lines:
        check_case(line[:-1], line[-1], dithers)
    for (key, method), got in dithers.items():
        if method in (-1, 10):
            c.check(np.array_equal(got, dithers[(key, 0)]), "dither %d differs from 0 %s" %
                    (method, key))
    c.check(len(lines) >= 80, "only %d depth cases" % len(lines))
    c.finish()


if __name__ == "__main__":
    main()
