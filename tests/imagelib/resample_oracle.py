#!/usr/bin/python3
"""Checks the resampling that test_imagelib wrote (resample_cases.txt).

Enlarging by each method against a numpy model of the library's kernels
(within 1 everywhere), and against ImageMagick's `-resize` with the
equivalent filter away from the borders (ImageMagick renormalises there, this
library repeats edge pixels): at least 99.9% of samples within 1 and 60 dB on
the screenshot, leaving out for the kernels that ring the pixels where
ImageMagick's clamping between its passes clipped; Hermite 0.92 has no
ImageMagick filter.
Shrinking averages the covered area by every method: 2:1 against
ImageMagick's box filter and PIL's reduce, 3:2 against numpy means over 3 x 3
blocks of the picture doubled; nearest at 2:1 equals PIL's NEAREST. J1 against
its integral form.

Usage: resample_oracle.py <output folder of test_imagelib>
"""
import os
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import raster_dump  # noqa: E402

c = raster_dump.Checker(sys.argv[1])
MARGIN = 14  # destination pixels: Lanczos reaches 6 source pixels, doubled
RINGING = (4, 5, 6, 10, 12, 16)  # kernels with negative lobes

FILTERS = raster_dump.MAGICK_FILTERS


def magick(rgb, w, h, args):
    """ImageMagick's resize, run in the library's row order (rows from the
    bottom), so that positions exactly between two pixels pick alike."""
    png = c.path("resample_magick_in.png")
    Image.fromarray(rgb[::-1]).save(png)
    out = subprocess.run([raster_dump.CONVERT, png, *args, "-resize", "%dx%d!" % (w, h),
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return np.frombuffer(out, np.uint8).reshape(h, w, 3)[::-1]


def bessel_j1(x):
    """J1 by its integral form (spectrally accurate for a periodic integrand)."""
    tau = np.linspace(0, np.pi, 4097)
    return np.trapz(np.cos(tau[None, :] - np.ravel(x)[:, None] * np.sin(tau[None, :])), tau,
                    axis=1).reshape(np.shape(x)) / np.pi


def kernel(method, t):
    """The library's kernels, from their formulas."""
    u = np.abs(t)
    if method == 3:
        p3 = lambda v: np.where(v > 0, v, 0) ** 3  # noqa: E731
        return np.where(t > 2, 0, (p3(t + 2) - 4 * p3(t + 1) + 6 * p3(t) - 4 * p3(t - 1)) / 6)
    if method in (4, 5, 16):
        a = {4: -1.0, 5: -0.5, 16: -0.5}[method]
        return np.where(u < 1, (a + 2) * u ** 3 - (a + 3) * u ** 2 + 1,
                        np.where(u < 2, a * u ** 3 - 5 * a * u ** 2 + 8 * a * u - 4 * a, 0))
    if method == 6:
        return np.where(u > 6, 0, np.sinc(t / 6) * np.sinc(t))
    if method == 7:
        return ((t >= -0.5) & (t < 0.5)).astype(float)
    if method == 8:
        return np.where(u < 1, 2 * u ** 3 - 3 * u ** 2 + 1, 0)
    if method == 9:
        return np.where(u < 1, 1 - 0.92 * (3 * u ** 2 - 2 * u ** 3), 0)
    if method == 10:
        return np.sinc(t)
    if method == 11:
        return np.where(u < 1, 0.42 + 0.5 * np.cos(np.pi * t) + 0.08 * np.cos(2 * np.pi * t), 0)
    if method == 12:
        safe = np.where(t == 0, 1, t)
        return np.where(t == 0, np.pi / 4, bessel_j1(np.pi * safe) / (2 * safe))
    if method == 13:
        return np.exp(-2 * t ** 2) * np.sqrt(2 / np.pi)
    if method == 14:
        return np.where(u < 0.5, 0.75 - t ** 2, np.where(u < 1.5, 0.5 * (u - 1.5) ** 2, 0))
    if method == 15:
        return np.where(u < 1, 7 / 6 * u ** 3 - 2 * u ** 2 + 8 / 9,
                        np.where(u < 2, -7 / 18 * u ** 3 + 2 * u ** 2 - 10 / 3 * u + 16 / 9, 0))
    if method == 17:
        return np.where(u > 1, 0, np.sinc(t) * (0.5 * np.cos(np.pi * t) + 0.5))
    if method == 18:
        return np.where(u <= 1, 1 - t ** 2, 0)
    raise ValueError(method)


def weights(method, n_src, n_dst):
    """Destination x source weights of one axis: each sample's taps divided by
    their sum, positions outside repeating the edge pixels."""
    m = np.zeros((n_dst, n_src))
    scale = n_src / n_dst
    for k in range(n_dst):
        centre = (k + 0.5) * scale - 0.5
        below = int(np.floor(centre))
        if method == 1:
            taps, wt = np.array([int(centre + 0.5)]), np.array([1.0])
        elif method == 2:
            taps, wt = np.array([below, below + 1]), np.array([below + 1 - centre, centre - below])
        else:
            radius = 6 if method == 6 else 2
            taps = np.arange(below - radius + 1, below + radius + 1)
            wt = kernel(method, taps - centre)
            wt = wt / wt.sum()
        for t, x in zip(np.clip(taps, 0, n_src - 1), wt):
            m[k, t] += x
    return m


def model(method, rgb, w, h):
    """Both passes of the library's resampler in numpy (rows from the
    bottom), truncated last; also where either order of two clamped passes
    would have clipped."""
    rows, cols = weights(method, rgb.shape[0], h)[::-1, ::-1], weights(method, rgb.shape[1], w)
    img = rgb.astype(np.float64).transpose(2, 0, 1)  # channel, row, column
    horizontal_first = img @ cols.T
    vertical_first = rows @ img
    out = (rows @ horizontal_first).transpose(1, 2, 0)
    horizontal_first = horizontal_first.transpose(1, 2, 0)
    vertical_first = vertical_first.transpose(1, 2, 0)
    clip_h = ((horizontal_first < 0) | (horizontal_first > 255)).any(axis=2).astype(float)
    clip_v = ((vertical_first < 0) | (vertical_first > 255)).any(axis=2).astype(float)
    clipped = ((rows != 0) @ clip_h > 0) | (clip_v @ (cols != 0).T > 0)
    return np.clip(np.trunc(out + 1 / 1024), 0, 255).astype(np.uint8), clipped


def compare_interior(name, got, want, exact, screenshot, skip=None):
    g = got[MARGIN:-MARGIN, MARGIN:-MARGIN].astype(int)
    w = want[MARGIN:-MARGIN, MARGIN:-MARGIN].astype(int)
    keep = np.ones(g.shape[:2], bool) if skip is None else ~skip[MARGIN:-MARGIN, MARGIN:-MARGIN]
    diff = np.abs(g - w)[keep]
    if exact:
        return c.check(diff.max() == 0, "%s: %d samples differ" % (name, int((diff > 0).sum())))
    within = (diff <= 1).mean()
    psnr = raster_dump.psnr(g[keep], w[keep], 99)
    c.check(within >= 0.999, "%s: %.3f%% of samples within 1 (worst %d)" %
            (name, 100 * within, diff.max()))
    if screenshot:
        c.check(psnr >= 60, "%s: %.1f dB" % (name, psnr))
    return psnr


def check_case(words, source, file):
    src, out = c.load(source), c.load(file)
    s, o = raster_dump.rgb(src), raster_dump.rgb(out)
    h, w = o.shape[:2]
    name = "%s %s %dx%d -> %dx%d" % (" ".join(words), source, s.shape[1], s.shape[0], w, h)
    op, method = words[0], int(words[1])
    screenshot = "screen" in source
    if op == "enlarge":
        mine, clipped = model(method, s, w, h)
        d = np.abs(o.astype(int) - mine.astype(int))
        c.check(d.max() <= 1, "%s: off by %d from the numpy model at %d samples" %
                (name, d.max(), int((d > 1).sum())))
        if method == 9 or (method == 7 and w != 2 * s.shape[1]):
            return  # no such filter; ImageMagick's box blends neighbours at fractional scales
        # ImageMagick clamps between its passes: where that clipped a ringing
        # kernel's overshoot, it differs by design.
        compare_interior(name, o, magick(s, w, h, FILTERS[method]), method in (1, 7), screenshot,
                         clipped if method in RINGING else None)
    elif op == "shrink" and words[2] == "2":
        box = magick(s, w, h, ["-filter", "Box"])
        pil = np.asarray(Image.fromarray(s).reduce(2))
        for label, want in (("ImageMagick box", box), ("PIL reduce", pil)):
            d = np.abs(o.astype(int) - want.astype(int)).max()
            c.check(d <= 1, "%s: off by %d from %s" % (name, d, label))
    elif op == "shrink":
        doubled = s.repeat(2, axis=0).repeat(2, axis=1).astype(np.float64)
        want = doubled[:h * 3, :w * 3].reshape(h, 3, w, 3, 3).mean(axis=(1, 3))
        d = np.abs(o - want).max()
        c.check(d <= 1, "%s: off by %.2f from numpy's 3x3 means" % (name, d))
    elif op == "nearest_half":
        # In the library's row order, as above.
        want = np.asarray(Image.fromarray(s[::-1]).resize((w, h), Image.Resampling.NEAREST))[::-1]
        c.check(np.array_equal(o, want), "%s: differs from PIL NEAREST" % name)


def check_bessel():
    values = np.fromfile(c.path("bessel_j1.bin"), np.float64).reshape(-1, 2)
    worst = np.abs(bessel_j1(values[:, 0]) - values[:, 1]).max()
    c.check(worst < 1e-9 and len(values) > 1000, "J1: off by %g" % worst)


def main():
    with open(c.path("resample_cases.txt")) as f:
        lines = [line.split() for line in f if line.strip()]
    for line in lines:
        check_case(line[:-2], line[-2], line[-1])
    c.check(len(lines) == 18 * 2 * 4 + 1, "%d resample cases" % len(lines))
    check_bessel()
    c.finish()


if __name__ == "__main__":
    main()
