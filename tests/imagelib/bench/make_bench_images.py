#!/usr/bin/python3
"""Makes the benchmark images: two screenshot-like pictures (1920x1080 and
3840x2160: flat panels, title-bar gradients, text-like strokes) and two
photo-like ones (smooth fields with grain, the same sizes), each as raw RGB,
PPM, BMP and PNG (zlib level 6, written by PIL); the 3840x2160 ones also as
JPEG (cjpeg quality 90, 4:2:0), the 1920x1080 ones as GIF (PIL's quantizer)
and as TIFF (uncompressed, LZW and Deflate with predictor, by tiffcp).

Usage: make_bench_images.py <work folder>
"""
import os
import subprocess
import sys

import numpy as np
from PIL import Image


def screenshot(w, h, rng):
    img = np.empty((h, w, 3), dtype=np.uint8)
    img[:] = (240, 240, 240)
    for _ in range(w * h // 60000):
        x0, y0 = rng.integers(0, w - 50), rng.integers(0, h - 50)
        x1 = min(w, x0 + rng.integers(50, w // 3))
        y1 = min(h, y0 + rng.integers(50, h // 3))
        img[y0:y1, x0:x1] = rng.integers(0, 256, size=3)
        bar = min(y1, y0 + 28)
        ramp = np.linspace(0, 1, x1 - x0)[None, :, None]
        img[y0:bar, x0:x1] = (np.array([30, 80, 160]) + ramp * 80).astype(np.uint8)
        # Lines of "text": short dark strokes on the panel.
        for line_y in range(bar + 8, y1 - 10, 18):
            strokes = rng.random(max(1, x1 - x0 - 20)) < 0.35
            img[line_y:line_y + 9, x0 + 10:x0 + 10 + strokes.size][:, strokes] = (20, 20, 20)
    return img


def photo(w, h, rng):
    y, x = np.mgrid[0:h, 0:w].astype(np.float32)
    base = np.stack([128 + 90 * np.sin(x / 170 + y / 260), 120 + 80 * np.cos(x / 310 - y / 140),
                     100 + 70 * np.sin((x + y) / 230)], axis=2)
    grain = rng.normal(0, 9, size=(h, w, 3))
    return np.clip(base + grain, 0, 255).astype(np.uint8)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = np.random.default_rng(7)
    for name, pixels in (("screen_1080", screenshot(1920, 1080, rng)),
                         ("screen_2160", screenshot(3840, 2160, rng)),
                         ("photo_1080", photo(1920, 1080, rng)),
                         ("photo_2160", photo(3840, 2160, rng))):
        img = Image.fromarray(pixels, "RGB")
        img.save(os.path.join(folder, name + ".bmp"))
        img.save(os.path.join(folder, name + ".ppm"))
        if name.endswith("2160"):
            subprocess.run(["/usr/bin/cjpeg", "-quality", "90", "-outfile",
                            os.path.join(folder, name + ".jpg"), os.path.join(folder, name + ".ppm")],
                           check=True)
        img.save(os.path.join(folder, name + ".png"), compress_level=6)
        if name.endswith("1080"):
            # 256-entry indices from PIL's quantizer, written by PIL.
            img.quantize(256).save(os.path.join(folder, name + ".gif"), interlace=False)
            plain = os.path.join(folder, name + "_none.tif")
            img.save(plain)
            for kind, method in (("lzw", "lzw:2"), ("zip", "zip:2")):
                subprocess.run(["/usr/bin/tiffcp", "-c", method, plain,
                                os.path.join(folder, "%s_%s.tif" % (name, kind))], check=True)
        with open(os.path.join(folder, name + ".rgb"), "wb") as f:
            f.write(pixels.tobytes())
        print(name, img.width, img.height)


if __name__ == "__main__":
    main()
