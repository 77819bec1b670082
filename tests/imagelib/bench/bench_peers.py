#!/usr/bin/python3
"""Times PIL and ImageMagick on the same conversions as bench_imagelib and
prints all three side by side.

ImageMagick runs single-threaded (-limit thread 1); its times are command
times less the same command reading or writing nothing, so process start-up
and raw input are not counted. PNG is written at zlib level 6 by all three
(ImageMagick with adaptive filtering, as libpng chooses by default).

Usage: bench_peers.py <work folder> <native results file> <image name>...
"""
import io
import os
import subprocess
import sys
import time

from PIL import Image

CONVERT = ["/usr/bin/convert", "-limit", "thread", "1"]


def best(work, runs=5):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        work()
        times.append(time.perf_counter() - start)
    return min(times) * 1000.0


def run(args):
    subprocess.run(CONVERT + args, check=True, stdout=subprocess.DEVNULL)


def pil_times(folder, name):
    bmp, png = (os.path.join(folder, name + ext) for ext in (".bmp", ".png"))
    with Image.open(bmp) as img:
        img.load()
        pic = img.copy()

    def decode(path):
        with Image.open(path) as img:
            img.load()

    def encode(fmt, **kw):
        pic.save(io.BytesIO(), format=fmt, **kw)

    return {"bmp_decode": best(lambda: decode(bmp)),
            "bmp_encode": best(lambda: encode("BMP")),
            "png_decode": best(lambda: decode(png)),
            "png_encode": best(lambda: encode("PNG", compress_level=6))}


def magick_times(folder, name, size):
    raw = ["-size", size, "-depth", "8", "rgb:" + os.path.join(folder, name + ".rgb")]
    out = os.path.join(folder, "magick_out")
    nothing = best(lambda: run(["-size", "1x1", "xc:", "null:"]))
    raw_in = best(lambda: run(raw + ["null:"]))
    png_args = ["-define", "png:compression-level=6", "-define", "png:compression-filter=5"]
    return {
        "bmp_decode": best(lambda: run([os.path.join(folder, name + ".bmp"), "null:"])) - nothing,
        "bmp_encode": best(lambda: run(raw + ["BMP3:" + out + ".bmp"])) - raw_in,
        "png_decode": best(lambda: run([os.path.join(folder, name + ".png"), "null:"])) - nothing,
        "png_encode": best(lambda: run(raw + png_args + [out + ".png"])) - raw_in,
    }


def main():
    folder, results = sys.argv[1], sys.argv[2]
    ours = {}
    with open(results) as f:
        for line in f:
            name, op, ms, mbs = line.split()
            ours[(name, op)] = (float(ms), float(mbs))
    print("%-12s %-21s %10s %10s %10s %8s %9s" %
          ("image", "operation", "ours ms", "PIL ms", "IM ms", "MB/s", "ours/best"))
    for name in sys.argv[3:]:
        with Image.open(os.path.join(folder, name + ".png")) as img:
            size = "%dx%d" % img.size
        pil = pil_times(folder, name)
        magick = magick_times(folder, name, size)
        for op in ("bmp_decode", "bmp_encode", "png_decode", "png_encode", "create_dib_roundtrip"):
            ms, mbs = ours[(name, op)]
            if op in pil:
                peer = min(pil[op], max(magick[op], 0.001))
                print("%-12s %-21s %10.2f %10.2f %10.2f %8.0f %9.2f" %
                      (name, op, ms, pil[op], magick[op], mbs, ms / peer))
            else:
                print("%-12s %-21s %10.2f %10s %10s %8.0f %9s" % (name, op, ms, "-", "-", mbs, "-"))


if __name__ == "__main__":
    main()
