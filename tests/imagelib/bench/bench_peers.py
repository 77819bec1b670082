#!/usr/bin/python3
"""Times PIL and a command-line tool on the same conversions as
bench_imagelib and prints all three side by side.

The tool is ImageMagick for BMP and PNG, djpeg and cjpeg for JPEG (all three
programs and PIL sit on the same libjpeg-turbo). ImageMagick runs
single-threaded (-limit thread 1). A tool's time is its command time less the
same command on nothing (ImageMagick) or on a 1x1 file (djpeg, cjpeg), so
process start-up is not counted; cjpeg's includes reading its PPM input.
PNG is written at zlib level 6 by all three (ImageMagick with adaptive
filtering, as libpng chooses by default); JPEG at quality 90.

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

    times = {"bmp_decode": best(lambda: decode(bmp)),
             "bmp_encode": best(lambda: encode("BMP")),
             "png_decode": best(lambda: decode(png)),
             "png_encode": best(lambda: encode("PNG", compress_level=6))}
    jpg = os.path.join(folder, name + ".jpg")
    if os.path.exists(jpg):
        with open(jpg, "rb") as f:
            data = f.read()
        times["jpg_decode"] = best(lambda: decode(io.BytesIO(data)))
        times["jpg_encode"] = best(lambda: encode("JPEG", quality=90))
        times["jpg_encode_2001"] = best(lambda: encode("JPEG", quality=90, subsampling=0))
    return times


def tool(args, tiny_args):
    """Command time less the same command on a 1x1 file."""
    null = ["-outfile", "/dev/null"]
    return best(lambda: subprocess.run(args[:1] + null + args[1:], check=True)) - \
        best(lambda: subprocess.run(tiny_args[:1] + null + tiny_args[1:], check=True))


def jpeg_tool_times(folder, name):
    jpg, ppm = (os.path.join(folder, name + ext) for ext in (".jpg", ".ppm"))
    if not os.path.exists(jpg):
        return {}
    tiny_ppm, tiny_jpg = (os.path.join(folder, "tiny" + ext) for ext in (".ppm", ".jpg"))
    Image.new("RGB", (1, 1)).save(tiny_ppm)
    subprocess.run(["/usr/bin/cjpeg", "-outfile", tiny_jpg, tiny_ppm], check=True)
    cjpeg = ["/usr/bin/cjpeg", "-quality", "90"]
    return {"jpg_decode": tool(["/usr/bin/djpeg", jpg], ["/usr/bin/djpeg", tiny_jpg]),
            "jpg_encode": tool(cjpeg + [ppm], cjpeg + [tiny_ppm]),
            "jpg_encode_2001": tool(cjpeg + ["-baseline", "-sample", "1x1", ppm],
                                    cjpeg + ["-baseline", "-sample", "1x1", tiny_ppm])}


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
          ("image", "operation", "ours ms", "PIL ms", "tool ms", "MB/s", "ours/best"))
    for name in sys.argv[3:]:
        with Image.open(os.path.join(folder, name + ".png")) as img:
            size = "%dx%d" % img.size
        pil = pil_times(folder, name)
        magick = magick_times(folder, name, size)
        magick.update(jpeg_tool_times(folder, name))
        for op in ("bmp_decode", "bmp_encode", "png_decode", "png_encode", "jpg_decode", "jpg_encode",
                   "jpg_encode_2001", "create_dib_roundtrip"):
            if (name, op) not in ours:
                continue
            ms, mbs = ours[(name, op)]
            if op in pil:
                peer = min(pil[op], max(magick[op], 0.001))
                print("%-12s %-21s %10.2f %10.2f %10.2f %8.0f %9.2f" %
                      (name, op, ms, pil[op], magick[op], mbs, ms / peer))
            else:
                print("%-12s %-21s %10.2f %10s %10s %8.0f %9s" % (name, op, ms, "-", "-", mbs, "-"))


if __name__ == "__main__":
    main()
