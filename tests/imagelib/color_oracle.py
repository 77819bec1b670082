#!/usr/bin/python3
"""Checks the colour operations that test_imagelib wrote (color_cases.txt):
negation and gamma against ImageMagick, brightness and contrast, lookup
tables, the mean grey level and convolution filters against numpy models of
their formulas, and the HSL conversions against colorsys.

Usage: color_oracle.py <output folder of test_imagelib>
"""
import colorsys
import os
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import raster_dump  # noqa: E402

c = raster_dump.Checker(sys.argv[1])


def magick(image, *args):
    """ImageMagick's result of args on the picture, as H x W x 3."""
    pixels = raster_dump.rgb(image)
    png = c.path("color_magick_in.png")
    Image.fromarray(pixels).save(png)
    out = subprocess.run([raster_dump.CONVERT, png, *args, "-depth", "8", "rgb:-"],
                         check=True, capture_output=True).stdout
    return np.frombuffer(out, np.uint8).reshape(pixels.shape)


def gray_levels(rgb):
    rgb = rgb.astype(np.int64)
    return (601 * rgb[..., 1] + 306 * rgb[..., 0] + 117 * rgb[..., 2]) >> 10


def box_mask(image, left, bottom, right, top):
    """Stored-row box as a top-down mask."""
    h, w = image["height"], image["width"]
    mask = np.zeros((h, w), bool)
    mask[h - top:h - bottom, left:right] = True
    return mask


def filter_model(rgb, size, divisor, offset, kernel):
    """Sums over the neighbours inside, rescaled by total / used, truncated."""
    k = np.array(kernel, np.int64).reshape(size, size)
    h, w = rgb.shape[:2]
    half = size // 2
    pad = size
    img = np.zeros((h + 2 * pad, w + 2 * pad, rgb.shape[2]), np.int64)
    inside = np.zeros((h + 2 * pad, w + 2 * pad), np.int64)
    img[pad:pad + h, pad:pad + w] = rgb
    inside[pad:pad + h, pad:pad + w] = 1
    total = int(k.sum())
    sums = np.zeros((h, w, rgb.shape[2]), np.int64)
    used = np.zeros((h, w), np.int64)
    for r in range(size):
        for col in range(size):
            # Kernel row r meets the stored row r - half above: top-down, below.
            dy, dx = -(r - half), col - half
            sl = (slice(pad + dy, pad + dy + h), slice(pad + dx, pad + dx + w))
            sums += k[r, col] * img[sl]
            used += k[r, col] * inside[sl]
    if divisor == 0:
        value = sums
    else:
        num = np.where((used == total)[..., None], sums, sums * total)
        den = np.where(used == total, divisor, divisor * used)[..., None]
        den = np.where(den == 0, 1, den)
        value = np.trunc(num / den).astype(np.int64)  # |values| far below 2^53
        value = np.where((used == 0)[..., None], sums, value)
    return np.clip(value + offset, 0, 255).astype(np.uint8)


def compare(name, got, want, tolerance=0):
    diff = np.abs(got.astype(np.int64) - want.astype(np.int64))
    return c.check(diff.max(initial=0) <= tolerance, "%s: off by %d at %d sample(s)" %
                   (name, diff.max(initial=0), int((diff > tolerance).sum())))


def check_case(words, stem):
    op, args = words[0], words[1:]
    src, out = c.load(stem + "_in.ras"), c.load(stem + "_out.ras")
    name = " ".join(words)
    s, o = raster_dump.rgb(src), raster_dump.rgb(out)
    if op == "negate":
        compare(name, o, magick(src, "-negate"))
        if src["bpp"] == 8:
            c.check(np.array_equal(out["pixels"], 255 - src["pixels"]), name + ": indices")
    elif op == "gamma":
        compare(name, o, magick(src, "-gamma", args[0]), 1)
    elif op == "bc":
        b, con = int(args[0]), int(args[1])
        f = np.float32(con + 100) / np.float32(100)
        i = np.arange(-128, 128, dtype=np.float64)
        table = np.clip(np.trunc(i * np.float64(f) + (b + 128) + 0.5), 0, 255).astype(np.uint8)
        compare(name, o, table[s])
    elif op in ("lut", "lut_box"):
        table = np.fromfile(c.path("color_lut.bin"), np.uint8)
        want = table[s]
        if src["bpp"] == 8 and len(src["palette"]) and (src["palette"][:, 0] == np.arange(256)).all():
            c.check(out["bpp"] == 8 and (out["palette"][:, 0] == np.arange(256)).all(),
                    name + ": grey stays an identity ramp")
        if op == "lut_box":
            mask = box_mask(src, *map(int, args))
            want = np.where(mask[..., None], want, s)
        compare(name, o, want)
    elif op == "negate_box":
        mask = box_mask(src, *map(int, args))
        compare(name, o, np.where(mask[..., None], 255 - s, s))
    elif op in ("filter", "filter_box"):
        if op == "filter_box":
            mask, args = box_mask(src, *map(int, args[:4])), args[4:]
        else:
            mask = np.ones(s.shape[:2], bool)
        size, divisor, offset = map(int, args[:3])
        kernel = list(map(int, args[3:]))
        data = src["pixels"][..., None] if src["bpp"] == 8 else s
        want = filter_model(data, size, divisor, offset, kernel)
        got = out["pixels"][..., None] if src["bpp"] == 8 else o
        compare(name, got, np.where(mask[..., None], want, data))
    elif op == "mean":
        left, bottom, right, top = map(int, args[:4])
        mask = box_mask(src, left, bottom, right, top)
        want = gray_levels(s)[mask].mean()
        c.check(abs(float(args[4]) - want) < 1e-3 * max(1, want),
                "%s: mean %s, numpy %.4f" % (name, args[4], want))
    else:
        c.check(False, "unknown case " + name)


def check_hsl():
    colours = np.fromfile(c.path("hsl_colours.bin"), np.uint32)
    hsl = np.fromfile(c.path("hsl_of_colours.bin"), np.uint32)
    packed = np.fromfile(c.path("hsl_packed.bin"), np.uint32)
    back = np.fromfile(c.path("rgb_of_packed.bin"), np.uint32)
    worst_h = worst_sl = worst_rgb = 0
    for value, got in zip(colours.tolist(), hsl.tolist()):
        r, g, b = (value >> 16) & 255, (value >> 8) & 255, value & 255
        h, l, s = colorsys.rgb_to_hls(r / 255, g / 255, b / 255)
        gh, gs, gl = (got >> 16) & 255, (got >> 8) & 255, got & 255
        if s > 0:
            d = abs(gh - h * 255) % 255
            worst_h = max(worst_h, min(d, 255 - d))
        worst_sl = max(worst_sl, abs(gs - s * 255), abs(gl - l * 255))
    for value, got in zip(packed.tolist(), back.tolist()):
        h, s, l = ((value >> 16) & 255) / 255, ((value >> 8) & 255) / 255, (value & 255) / 255
        want = colorsys.hls_to_rgb(h, l, s)
        have = ((got >> 16) & 255, (got >> 8) & 255, got & 255)
        worst_rgb = max(worst_rgb, max(abs(a - b * 255) for a, b in zip(have, want)))
    c.check(worst_h <= 2, "RgbToHsl: hue off by %.2f" % worst_h)
    c.check(worst_sl <= 1, "RgbToHsl: saturation or lightness off by %.2f" % worst_sl)
    # Truncating a float that lands just below an integer costs one more step.
    c.check(worst_rgb <= 1 + 1e-6, "HslToRgb: off by %.6f" % worst_rgb)
    c.check(len(colours) == 200000 and len(back) == 200000, "HSL: %d colours" % len(colours))


def main():
    with open(c.path("color_cases.txt")) as f:
        lines = [line.split() for line in f if line.strip()]
    for line in lines:
        check_case(line[:-1], line[-1])
    c.check(len(lines) >= 25, "only %d colour cases" % len(lines))
    check_hsl()
    c.finish()


if __name__ == "__main__":
    main()
