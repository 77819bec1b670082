#!/usr/bin/python3
"""Times PIL and a command-line tool on the same conversions, and PIL and
ImageMagick on the same image operations, as bench_imagelib, and prints all
three side by side.

The tool is ImageMagick for BMP and PNG, djpeg and cjpeg for JPEG (all three
programs and PIL sit on the same libjpeg-turbo). ImageMagick runs
single-threaded (-limit thread 1). A tool's time is its command time less the
same command on nothing (ImageMagick) or on a 1x1 file (djpeg, cjpeg), so
process start-up is not counted; cjpeg's includes reading its PPM input.
PNG is written at zlib level 6 by all three (ImageMagick with adaptive
filtering, as libpng chooses by default); JPEG at quality 90.

Operations: resampling down by 2 (ours: the area average, one path for
every method) and up by 2 per method against ImageMagick's equivalent filter
and PIL's NEAREST, BOX, BILINEAR and BICUBIC (= methods 1, the average, 2
and 5/16); turning by 17 degrees against `+distort SRT` (the same bilinear
sampling), `-rotate` and PIL; quantizing to 256 colours against
`-colors 256` with and without Floyd-Steinberg and PIL's fast octree, with
the PSNR of each result.

Usage: bench_peers.py <work folder> <native results file> <image name>...
       [--operations <big> <small>...]
"""
import io
import os
import subprocess
import sys
import time

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import raster_dump  # noqa: E402

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
    for kind in ("lzw", "zip"):
        tif = os.path.join(folder, "%s_%s.tif" % (name, kind))
        if os.path.exists(tif):
            with open(tif, "rb") as f:
                data = f.read()
            times["tif_%s_decode" % kind] = best(lambda: decode(io.BytesIO(data)))
    return times


def tiff_tool_times(folder, name):
    """tiffcp -c none of each file, less the same copy of the uncompressed file."""
    plain = os.path.join(folder, name + "_none.tif")
    if not os.path.exists(plain):
        return {}
    out = os.path.join(folder, "tiffcp_out.tif")
    copy = best(lambda: subprocess.run(["/usr/bin/tiffcp", "-c", "none", plain, out], check=True))
    return {"tif_%s_decode" % kind: best(lambda: subprocess.run(
        ["/usr/bin/tiffcp", "-c", "none", os.path.join(folder, "%s_%s.tif" % (name, kind)), out],
        check=True)) - copy for kind in ("lzw", "zip")}


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


def raw_input(folder, name):
    with Image.open(os.path.join(folder, name + ".png")) as img:
        size = img.size
    return ["-size", "%dx%d" % size, "-depth", "8", "rgb:" + os.path.join(folder, name + ".rgb")], size


def psnr_of(folder, name, pixels):
    with Image.open(os.path.join(folder, name + ".png")) as img:
        source = np.asarray(img.convert("RGB"))
    return raster_dump.psnr(pixels.reshape(source.shape), source, 60)


def operation_rows(folder, big, small, ours):
    """(operation, ours ms, ImageMagick ms or None, PIL ms or None, note)."""
    raw_big, (bw, bh) = raw_input(folder, big)
    raw_small, (sw, sh) = raw_input(folder, small)
    read_big = best(lambda: run(raw_big + ["null:"]), 3)
    read_small = best(lambda: run(raw_small + ["null:"]), 3)
    with Image.open(os.path.join(folder, big + ".png")) as img:
        pil_big = img.convert("RGB")
    with Image.open(os.path.join(folder, small + ".png")) as img:
        pil_small = img.convert("RGB")

    def magick(raw, read, args):
        return best(lambda: run(raw + args + ["null:"]), 3) - read

    rows = []
    down = ours[(big, "resample_down")][0]
    pil_box = best(lambda: pil_big.resize((bw // 2, bh // 2), Image.Resampling.BOX), 3)
    for method, args in sorted(raster_dump.MAGICK_FILTERS.items()):
        im = magick(raw_big, read_big, args + ["-resize", "%dx%d!" % (bw // 2, bh // 2)])
        rows.append(("down (IM filter %d)" % method, down, im, pil_box, ""))
    pil_up = {1: Image.Resampling.NEAREST, 2: Image.Resampling.BILINEAR,
              5: Image.Resampling.BICUBIC, 16: Image.Resampling.BICUBIC}
    for method in range(1, 19):
        mine = ours[(small, "resample_up_%d" % method)][0]
        args = raster_dump.MAGICK_FILTERS.get(method)
        im = magick(raw_small, read_small, args + ["-resize", "%dx%d!" % (2 * sw, 2 * sh)]) \
            if args else None
        pil = best(lambda: pil_small.resize((2 * sw, 2 * sh), pil_up[method]), 3) \
            if method in pil_up else None
        rows.append(("up %d" % method, mine, im, pil, ""))
    rotate = ours[(big, "rotate_17")][0]
    distort = magick(raw_big, read_big, ["-virtual-pixel", "background", "-background", "white",
                                         "-filter", "Point", "-interpolate", "Bilinear",
                                         "+distort", "SRT", "17"])
    rows.append(("rotate 17 (IM +distort)", rotate, distort,
                 best(lambda: pil_big.rotate(-17, Image.Resampling.BILINEAR, expand=True), 3), ""))
    rows.append(("rotate 17 (IM -rotate)", rotate,
                 magick(raw_big, read_big, ["-background", "white", "-rotate", "17"]), None, ""))
    fast = pil_big.quantize(256, method=Image.Quantize.FASTOCTREE)
    pil_quant = best(lambda: pil_big.quantize(256, method=Image.Quantize.FASTOCTREE), 3)
    pil_psnr = psnr_of(folder, big, np.asarray(fast.convert("RGB")))
    for op, dither in (("quantize_256", ["+dither"]), ("quantize_256_fs", ["-dither", "FloydSteinberg"])):
        im_args = dither + ["-colors", "256"]
        im = magick(raw_big, read_big, im_args)
        im_out = subprocess.run(CONVERT + raw_big + im_args + ["-depth", "8", "rgb:-"], check=True,
                                capture_output=True).stdout
        mine_psnr = psnr_of(folder, big, np.fromfile(os.path.join(folder, "%s_%s.rgb" % (big, op)),
                                                     np.uint8))
        note = "PSNR ours %.2f, IM %.2f, PIL %.2f dB" % (
            mine_psnr, psnr_of(folder, big, np.frombuffer(im_out, np.uint8)), pil_psnr)
        rows.append((op.replace("_", " "), ours[(big, op)][0], im, pil_quant, note))
    return rows


def print_operations(folder, pairs, ours):
    print()
    print("%-12s %-24s %9s %9s %9s %8s %8s  %s" %
          ("image", "operation", "ours ms", "IM ms", "PIL ms", "ours/IM", "ours/PIL", ""))
    for big, small in pairs:
        for op, mine, im, pil, note in operation_rows(folder, big, small, ours):
            image = small if op.startswith("up") else big
            ratio = lambda peer: "%8.2f" % (mine / max(peer, 0.001)) if peer else "%8s" % "-"  # noqa
            cell = lambda v: "%9.1f" % v if v is not None else "%9s" % "-"  # noqa
            print("%-12s %-24s %9.1f %s %s %s %s  %s" %
                  (image, op, mine, cell(im), cell(pil), ratio(im), ratio(pil), note))


def main():
    folder, results = sys.argv[1], sys.argv[2]
    ours = {}
    with open(results) as f:
        for line in f:
            name, op, ms, mbs = line.split()
            ours[(name, op)] = (float(ms), float(mbs))
    names = sys.argv[3:]
    pairs = []
    if "--operations" in names:
        at = names.index("--operations")
        rest = names[at + 1:]
        names = names[:at]
        pairs = list(zip(rest[0::2], rest[1::2]))
    print("%-12s %-21s %10s %10s %10s %8s %9s" %
          ("image", "operation", "ours ms", "PIL ms", "tool ms", "MB/s", "ours/best"))
    for name in names:
        with Image.open(os.path.join(folder, name + ".png")) as img:
            size = "%dx%d" % img.size
        pil = pil_times(folder, name)
        magick = magick_times(folder, name, size)
        magick.update(jpeg_tool_times(folder, name))
        magick.update(tiff_tool_times(folder, name))
        for op in ("bmp_decode", "bmp_encode", "png_decode", "png_encode", "jpg_decode", "jpg_encode",
                   "jpg_encode_2001", "tif_lzw_decode", "tif_zip_decode", "create_dib_roundtrip"):
            if (name, op) not in ours:
                continue
            ms, mbs = ours[(name, op)]
            if op in pil:
                peer = min(pil[op], max(magick[op], 0.001))
                print("%-12s %-21s %10.2f %10.2f %10.2f %8.0f %9.2f" %
                      (name, op, ms, pil[op], magick[op], mbs, ms / peer))
            else:
                print("%-12s %-21s %10.2f %10s %10s %8.0f %9s" % (name, op, ms, "-", "-", mbs, "-"))
    if pairs:
        print_operations(folder, pairs, ours)


if __name__ == "__main__":
    main()
