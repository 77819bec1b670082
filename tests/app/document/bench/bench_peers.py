#!/usr/bin/python3
"""Times the peers of bench_document on the same 7680x4320 24-bit image and
prints each ratio: clone vs malloc + memcpy, invert vs PIL ImageOps.invert,
darken vs PIL point(v * 0.8), flood fill vs ImageMagick's single-threaded
floodfill (its time with the fill minus its time without, so that reading
and writing the file do not count).
Usage: bench_peers.py <work folder> <bench_document output>
"""
import os
import subprocess
import sys
import time

import numpy as np
from PIL import Image, ImageOps

CONVERT = "/usr/bin/convert"


def best(work, runs=5):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append((time.perf_counter() - start) * 1000)
    return min(times)


def main():
    folder, ours_path = sys.argv[1], sys.argv[2]
    ours = dict((line.split()[0], float(line.split()[1])) for line in open(ours_path))
    w, h = 7680, 4320
    y, x = np.mgrid[0:h, 0:w * 3]
    img = Image.fromarray(((x * 7 + y * 3) & 0xFF).astype(np.uint8).reshape(h, w, 3), "RGB")
    lut = [int(v * 0.8) for v in range(256)] * 3
    pil_invert = best(lambda: ImageOps.invert(img))
    pil_darken = best(lambda: img.point(lut))

    flat = os.path.join(folder, "flat.ppm")
    Image.new("RGB", (w, h), (0, 0, 0)).save(flat)
    out = os.path.join(folder, "out.ppm")
    base = [CONVERT, "-limit", "thread", "1", flat]
    plain = best(lambda: subprocess.run(base + [out], check=True), runs=3)
    filled = best(lambda: subprocess.run(base + ["-fill", "red", "-draw", "color 0,0 floodfill",
                                                 out], check=True), runs=3)
    magick_fill = max(filled - plain, 1e-3)

    rows = [("CloneCurrentImage", ours["clone"], "malloc + memcpy", ours["memcpy"], 1.5),
            ("InvertRect", ours["invert"], "PIL ImageOps.invert", pil_invert, 2.0),
            ("DarkenOutsideSelection", ours["darken"], "PIL point", pil_darken, 2.0),
            ("FloodFill", ours["floodfill"], "ImageMagick floodfill", magick_fill, 1.0)]
    for name, mine, peer, theirs, target in rows:
        ratio = mine / theirs
        print("%-24s %9.1f ms  %-22s %9.1f ms  ratio %.2f (target <= %.1f)%s" %
              (name, mine, peer, theirs, ratio, target, "" if ratio <= target else "  MISSED"))


if __name__ == "__main__":
    main()
