#!/usr/bin/python3
"""Checks what test_imagelib wrote with independent readers.

- layout_<bpp>_<width>.bmp: a 14-byte file header plus the image's DIB block;
  PIL and ImageMagick must see the size, palette, every pixel of the pattern
  and 96 DPI.
- saved_<bpp>.<bmp|png>: files written by CRaster::Save; `file` and
  `identify` must accept them and PIL must decode the pixels in <name>.rgb.
Usage: imagelib_oracle.py <output folder of test_imagelib>
"""
import os
import subprocess
import sys

import numpy as np
from PIL import Image

CONVERT = "/usr/bin/convert"
IDENTIFY = "/usr/bin/identify"
DEPTHS = (1, 4, 8, 24)
WIDTHS = (1, 3, 7, 31, 33, 65)
HEIGHT = 5

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def palette_entry(i):
    return ((i * 37 + 11) % 256, (i * 91 + 7) % 256, (i * 53 + 3) % 256)


def expected_rgb(bpp, width):
    """The pattern the test drew, top-down RGB, computed here on its own."""
    y, x = np.mgrid[0:HEIGHT, 0:width]
    if bpp == 24:
        return np.stack([(x * 13 + y * 7) % 256, (x * 5 + 40) % 256, (y * 11 + x) % 256],
                        axis=2).astype(np.uint8), None
    entries = 1 << bpp
    index = ((x * 7 + y * 3 + 1) % entries).astype(np.uint8)
    pal = np.array([palette_entry(i) for i in range(entries)], dtype=np.uint8)
    return pal[index], (index, pal)


def magick_rgb(path, width, height):
    raw = subprocess.run([CONVERT, path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    return np.frombuffer(raw, dtype=np.uint8).reshape(height, width, 3)


def check_layout(folder, bpp, width):
    name = "layout_%d_%d.bmp" % (bpp, width)
    path = os.path.join(folder, name)
    if not check(os.path.exists(path), name + ": not written"):
        return
    rgb, indexed = expected_rgb(bpp, width)
    with Image.open(path) as img:
        check(img.size == (width, HEIGHT), "%s: PIL size %s" % (name, img.size))
        dpi = img.info.get("dpi", (0, 0))
        check(round(dpi[0]) == 96 and round(dpi[1]) == 96, "%s: PIL dpi %s" % (name, dpi))
        if indexed:
            index, pal = indexed
            check(img.mode == "P", "%s: PIL mode %s" % (name, img.mode))
            got_pal = np.array(img.getpalette()[: 3 * len(pal)], dtype=np.uint8).reshape(-1, 3)
            check(np.array_equal(got_pal, pal), name + ": palette differs")
            check(np.array_equal(np.asarray(img), index), name + ": indices differ")
        check(np.array_equal(np.asarray(img.convert("RGB")), rgb), name + ": PIL pixels differ")
    check(np.array_equal(magick_rgb(path, width, HEIGHT), rgb), name + ": ImageMagick pixels differ")
    info = subprocess.run([IDENTIFY, "-units", "PixelsPerInch", "-format", "%w %h %x %y", path],
                          check=True, capture_output=True, text=True).stdout.split()
    check(info[:2] == [str(width), str(HEIGHT)], "%s: identify size %s" % (name, info))
    check(round(float(info[2])) == 96 and round(float(info[3])) == 96,
          "%s: identify resolution %s" % (name, info))


def check_saved(folder, name):
    path = os.path.join(folder, name)
    if not check(os.path.exists(path), name + ": not written"):
        return
    kind = subprocess.run(["/usr/bin/file", "-b", path], check=True, capture_output=True,
                          text=True).stdout
    wanted = "PC bitmap" if name.endswith(".bmp") else "PNG image data"
    check(kind.startswith(wanted), "%s: file says %s" % (name, kind.strip()))
    identify = subprocess.run([IDENTIFY, path], capture_output=True, text=True)
    check(identify.returncode == 0 and not identify.stderr,
          "%s: identify: %s" % (name, identify.stderr.strip()))
    with open(path + ".rgb", "rb") as f:
        want = f.read()
    with Image.open(path) as img:
        check(img.convert("RGB").tobytes() == want, name + ": PIL pixels differ")
        width, height = img.size
    check(magick_rgb(path, width, height).tobytes() == want, name + ": ImageMagick pixels differ")


def main():
    folder = sys.argv[1]
    for bpp in DEPTHS:
        for width in WIDTHS:
            check_layout(folder, bpp, width)
        for extension in ("bmp", "png"):
            check_saved(folder, "saved_%d.%s" % (bpp, extension))
    for message in failures:
        print("FAIL", message)
    print("%d problem(s)" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
