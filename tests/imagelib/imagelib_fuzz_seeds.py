#!/usr/bin/python3
"""Writes small BMP, PNG and JPEG files of many kinds as the decode fuzzer's seeds.

Usage: imagelib_fuzz_seeds.py <seed folder>
"""
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

CONVERT = "/usr/bin/convert"


def picture(w, h):
    y, x = np.mgrid[0:h, 0:w]
    rgb = np.stack([(x * 40 + y * 9) % 256, (x * y * 13) % 256, (200 - y * 30) % 256], axis=2)
    return Image.fromarray(rgb.astype(np.uint8), "RGB")


def rle8_dib():
    """A bottom-up 4x3 RLE8 bitmap with a run, a delta, an odd literal run."""
    body = bytes([3, 1, 0, 0,            # run of three, end of line
                  0, 2, 1, 1,            # delta
                  0, 3, 5, 6, 7, 0,      # literal of three, padded
                  0, 1])                 # end of bitmap
    header = struct.pack("<IiiHHIIiiII", 40, 4, 3, 1, 8, 1, len(body), 3780, 3780, 8, 0)
    palette = b"".join(bytes((i * 30, i * 20, i * 10, 0)) for i in range(8))
    offset = 14 + len(header) + len(palette)
    return struct.pack("<HIHHI", 0x4D42, offset + len(body), 0, 0, offset) + header + palette + body


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    pic = picture(6, 3)
    pic.save(os.path.join(folder, "rgb.bmp"))
    pic.quantize(7).save(os.path.join(folder, "p8.bmp"))
    pic.convert("1").save(os.path.join(folder, "bw.bmp"))
    pic.save(os.path.join(folder, "rgb.png"))
    pic.convert("RGBA").save(os.path.join(folder, "rgba.png"))
    pic.convert("LA").save(os.path.join(folder, "la.png"))
    pic.quantize(3).save(os.path.join(folder, "p_trns.png"), transparency=1)
    pic.save(os.path.join(folder, "interlaced.png"), interlace=1)
    Image.fromarray((np.arange(18).reshape(3, 6) * 3000).astype(np.uint16)).save(
        os.path.join(folder, "grey16.png"))
    src = os.path.join(folder, "source.ppm")
    pic.save(src)
    for args, out in ((["-colors", "4", "-compress", "RLE"], "BMP3:rle4.bmp"),
                      (["-compress", "RLE", "-colors", "16", "-type", "Palette"], "BMP3:rle8.bmp"),
                      (["-define", "bmp:subtype=RGB565"], "BMP:rgb565.bmp"),
                      (["-alpha", "on"], "BMP:argb.bmp"),
                      (["-colors", "4", "-depth", "2"], "PNG8:p2.png"),
                      (["-colorspace", "gray", "-depth", "2"], "gray2.png")):
        fmt, _, name = out.rpartition(":")
        target = os.path.join(folder, name)
        subprocess.run([CONVERT, src] + args + [(fmt + ":" if fmt else "") + target], check=True)
    for args, name in (([], "base.jpg"), (["-progressive"], "progressive.jpg"),
                       (["-arithmetic", "-sample", "2x1"], "arithmetic.jpg"),
                       (["-grayscale", "-restart", "1"], "grey_restart.jpg")):
        subprocess.run(["/usr/bin/cjpeg"] + args + ["-outfile", os.path.join(folder, name), src], check=True)
    subprocess.run([CONVERT, src, "-colorspace", "CMYK", os.path.join(folder, "cmyk.jpg")], check=True)
    os.remove(src)
    with open(os.path.join(folder, "rle8_delta.bmp"), "wb") as f:
        f.write(rle8_dib())
    with open(os.path.join(folder, "rgb.bmp"), "rb") as f:
        bare = f.read()[14:]
    with open(os.path.join(folder, "bare_dib.bmp"), "wb") as f:
        f.write(bare)


if __name__ == "__main__":
    main()
