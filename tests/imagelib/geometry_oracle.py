#!/usr/bin/python3
"""Checks the geometric transforms that test_imagelib wrote: crops, mirrors
and quarter and half turns against ImageMagick exactly (palette images also
against PIL's transpose of their indices, with the palette kept), and turns
at any angle against ImageMagick's bilinear distortion within 1.

Usage: geometry_oracle.py <output folder of test_imagelib>
"""
import os
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import raster_dump  # noqa: E402

c = raster_dump.Checker(sys.argv[1])
TRANSPOSE = {"flop": Image.Transpose.FLIP_LEFT_RIGHT, "rotate 180": Image.Transpose.ROTATE_180,
             "rotate -90": Image.Transpose.ROTATE_90, "rotate 90": Image.Transpose.ROTATE_270}


def magick(rgb, *args):
    png = c.path("geometry_magick_in.png")
    Image.fromarray(rgb).save(png)
    info = subprocess.run([raster_dump.CONVERT, png, *args, "-format", "%w %h", "info:"],
                          check=True, capture_output=True, text=True).stdout.split()
    w, h = int(info[0]), int(info[1])
    out = subprocess.run([raster_dump.CONVERT, png, *args, "-depth", "8", "rgb:-"],
                         check=True, capture_output=True).stdout
    return np.frombuffer(out, np.uint8).reshape(h, w, 3)


def check_exact(words, stem, file):
    src, out = c.load(stem + "_in.ras"), c.load(file)
    name = "%s (%s, %d bpp %dx%d)" % (" ".join(words), file, src["bpp"], src["width"], src["height"])
    op = words[0]
    if op == "crop":
        w, h, x, y = words[1:5]
        args = ["-crop", "%sx%s+%s+%s" % (w, h, x, y), "+repage"]
    else:
        args = ["-flop"] if op == "flop" else ["-rotate", words[1]]
    want = magick(raster_dump.rgb(src), *args)
    got = raster_dump.rgb(out)
    if not c.check(got.shape == want.shape, "%s: size %s, ImageMagick %s" % (name, got.shape, want.shape)):
        return
    c.check(np.array_equal(got, want), "%s: %d pixels differ from ImageMagick" %
            (name, int((got != want).any(axis=2).sum())))
    if src["bpp"] < 24:
        c.check(np.array_equal(out["palette"], src["palette"]), name + ": palette changed")
        if op in TRANSPOSE:
            pil = np.asarray(Image.fromarray(src["pixels"]).transpose(TRANSPOSE[" ".join(words)]))
            c.check(np.array_equal(out["pixels"], pil), name + ": indices differ from PIL")


def check_rotation(angle, file):
    src, out = raster_dump.rgb(c.load("rotation_in.ras")), raster_dump.rgb(c.load(file))
    h, w = src.shape[:2]
    oh, ow = out.shape[:2]
    # The turned picture's centre lands on the centre of the new canvas. With
    # +distort, ImageMagick lines its canvas up with the source's pixel grid
    # instead, half a pixel away whenever a new side is odd: so it gets the
    # same canvas and centre here.
    want = magick(src, "-virtual-pixel", "background", "-background", "white", "-filter", "Point",
                  "-interpolate", "Bilinear", "-define", "distort:viewport=%dx%d+0+0" % (ow, oh),
                  "-distort", "SRT", "%g,%g 1 %s %g,%g" % (w / 2, h / 2, angle, ow / 2, oh / 2),
                  "+repage")
    name = "rotation %s" % angle
    if not c.check(out.shape == want.shape, "%s: size %s, ImageMagick %s" % (name, out.shape, want.shape)):
        return
    diff = np.abs(out.astype(int) - want.astype(int))
    c.check(diff.max() <= 1, "%s: off by up to %d at %d samples" % (name, diff.max(), int((diff > 1).sum())))


def main():
    with open(c.path("geometry_cases.txt")) as f:
        lines = [line.split() for line in f if line.strip()]
    for line in lines:
        check_exact(line[:-2], line[-2], line[-1])
    c.check(len(lines) == 4 * 5 * 6, "%d geometry cases" % len(lines))
    with open(c.path("rotation_cases.txt")) as f:
        turns = [line.split() for line in f if line.strip()]
    for angle, file in turns:
        check_rotation(angle, file)
    c.check(len(turns) == 4, "%d rotations" % len(turns))
    c.finish()


if __name__ == "__main__":
    main()
