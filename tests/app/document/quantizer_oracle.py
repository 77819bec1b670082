#!/usr/bin/python3
"""Weighs the quantizer's palettes (applied by nearest colour) against
ImageMagick's `+dither -colors N` and PIL's fast octree, by PSNR capped at
60 dB: ours must reach ImageMagick's less 3 dB and PIL's less 1.5 dB. The
same palettes with error diffusion must come within 1 dB of ImageMagick's
Floyd-Steinberg remap to them (or better), keep 16 x 16 block means as close
to the picture's as it does (colours outside a small palette's reach cannot
be met by either), and with 256 colours 95% of them within 2.

Usage: quantizer_oracle.py <output folder of test_document>
"""
import os
import subprocess
import sys

import numpy as np
from PIL import Image

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "imagelib"))
import raster_dump  # noqa: E402

CAP = 60.0


def magick(source_png, colors):
    out = subprocess.run([raster_dump.CONVERT, source_png, "+dither", "-colors", str(colors),
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return np.frombuffer(out, np.uint8)


def block_means(a, size=16):
    h, w = a.shape[0] // size * size, a.shape[1] // size * size
    return a[:h, :w].astype(float).reshape(h // size, size, w // size, size, 3).mean(axis=(1, 3))


def check_diffused(c, name, colors, source, png):
    ours_image = c.load("quant_%s_%d_fs.ras" % (name, colors))
    pal = c.path("quant_%s_%d_pal.png" % (name, colors))
    Image.fromarray(ours_image["palette"][None, :, :]).save(pal)
    out = subprocess.run([raster_dump.CONVERT, png, "-dither", "FloydSteinberg", "-remap", pal,
                          "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    im_rgb = np.frombuffer(out, np.uint8).reshape(source.shape)
    im = raster_dump.psnr(im_rgb, source, CAP)
    ours_rgb = raster_dump.rgb(ours_image)
    ours = raster_dump.psnr(ours_rgb, source, CAP)
    drift = np.abs(block_means(ours_rgb) - block_means(source))
    im_drift = np.abs(block_means(im_rgb) - block_means(source))
    print("%-6s %3d colours diffused: ours %.2f dB, ImageMagick %.2f dB; block means off by "
          "%.2f on average (ImageMagick %.2f), 95%% within %.2f" %
          (name, colors, ours, im, drift.mean(), im_drift.mean(), np.percentile(drift, 95)))
    c.check(ours >= im - 1.0, "%s %d diffused: %.2f dB against ImageMagick's %.2f" %
            (name, colors, ours, im))
    c.check(drift.mean() <= im_drift.mean() + 0.5, "%s %d diffused: block means off by %.2f" %
            (name, colors, drift.mean()))
    if colors == 256:
        c.check(np.percentile(drift, 95) <= 2.0, "%s %d diffused: 95%% of block means within %.2f"
                % (name, colors, np.percentile(drift, 95)))


def main():
    c = raster_dump.Checker(sys.argv[1])
    for name in ("photo", "screen"):
        source = raster_dump.rgb(c.load("quant_%s.ras" % name))
        png = c.path("quant_%s.png" % name)
        Image.fromarray(source).save(png)
        for colors in (16, 256):
            ours_image = c.load("quant_%s_%d.ras" % (name, colors))
            c.check(len(ours_image["palette"]) <= colors, "%s %d: palette too big" % (name, colors))
            ours = raster_dump.psnr(raster_dump.rgb(ours_image), source, CAP)
            im = raster_dump.psnr(magick(png, colors).reshape(source.shape), source, CAP)
            pil_image = Image.fromarray(source).quantize(colors, method=Image.Quantize.FASTOCTREE)
            pil = raster_dump.psnr(np.asarray(pil_image.convert("RGB")), source, CAP)
            print("%-6s %3d colours: ours %.2f dB, ImageMagick %.2f dB, PIL %.2f dB" %
                  (name, colors, ours, im, pil))
            c.check(ours >= im - 3.0, "%s %d: %.2f dB below ImageMagick's %.2f - 3" %
                    (name, colors, ours, im))
            c.check(ours >= pil - 1.5, "%s %d: %.2f dB below PIL's %.2f - 1.5" %
                    (name, colors, ours, pil))
            check_diffused(c, name, colors, source, png)
    c.finish()


if __name__ == "__main__":
    main()
