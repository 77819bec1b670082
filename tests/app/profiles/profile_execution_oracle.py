"""Checks the files a profile run saved, independently of the program.

The "Pattern Shot" run captured a pattern of 2 x 2 blocks, converted it to
grey, halved it with nearest neighbours and saved PNG: the file must be an
8-bit grey image of half the size whose pixels are PIL's grey of the
blocks' colours, within one level (the rounding of the grey weights).

Usage: profile_execution_oracle.py <out> <width> <height> [<folder> <count>]:
every shot_*.png in <out>/<folder> (default pattern_shot), of which there
must be <count> (default 2)."""
import glob
import os
import sys

import numpy
from PIL import Image


def block_color(bx, by):
    # The colours the test's pattern window paints for block (bx, by).
    return ((bx * 37 + 11) & 255, (by * 59 + 3) & 255, (bx * by * 13 + 91) & 255)


def main(out_dir, width, height, folder="pattern_shot", count=2):
    w, h = width // 2, height // 2
    blocks = numpy.array([[block_color(bx, by) for bx in range(w)] for by in range(h)],
                         dtype=numpy.uint8)
    expected = numpy.asarray(Image.fromarray(blocks, "RGB").convert("L"), dtype=int)
    paths = sorted(glob.glob(f"{out_dir}/{folder}/shot_*.png"))
    failures = [] if len(paths) == count else [f"{len(paths)} files, want {count}"]
    for path in paths:
        name = os.path.basename(path)
        image = Image.open(path)
        if image.mode != "L" or image.size != (w, h):
            failures.append(f"{name}: {image.mode} {image.size}, want L {(w, h)}")
            continue
        diff = numpy.abs(numpy.asarray(image, dtype=int) - expected)
        if diff.max() > 1:
            y, x = numpy.unravel_index(diff.argmax(), diff.shape)
            failures.append(f"{name}: pixel ({x}, {y}) off by {diff.max()}")
    for failure in failures:
        print(failure)
    print("ok" if not failures else "FAILED")
    return 1 if failures else 0


if __name__ == "__main__":
    extra = sys.argv[4:6]
    sys.exit(main(sys.argv[1], int(sys.argv[2]), int(sys.argv[3]),
                  *(extra[:1] + [int(n) for n in extra[1:]])))
