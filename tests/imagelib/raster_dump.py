"""Reads what the image-operation tests write (see raster_dump.h) and holds
the small helpers their oracle scripts share."""
import os
import struct
import sys

import numpy as np

CONVERT = "/usr/bin/convert"

# The library's interpolation methods as ImageMagick filters. The library
# uses the raw functions on a support of 2 or less (Lanczos: 6 lobes), where
# ImageMagick's named filters are windowed sincs of 3-4 lobes. Hermite 0.92
# (9) has no equivalent.
MAGICK_FILTERS = {
    1: ["-filter", "Point"],
    2: ["-filter", "Triangle"],
    3: ["-filter", "Spline"],
    4: ["-filter", "Cubic", "-define", "filter:b=0", "-define", "filter:c=1"],
    5: ["-filter", "Catrom"],
    6: ["-filter", "Lanczos", "-define", "filter:lobes=6"],
    7: ["-filter", "Box"],
    8: ["-filter", "Hermite"],
    10: ["-filter", "Sinc", "-define", "filter:support=2"],
    11: ["-define", "filter:filter=Blackman", "-define", "filter:window=Box", "-define",
         "filter:support=1"],
    12: ["-define", "filter:filter=Jinc", "-define", "filter:window=Box", "-define",
          "filter:support=2"],
    13: ["-filter", "Gaussian"],
    14: ["-filter", "Quadratic"],
    15: ["-filter", "Mitchell"],
    16: ["-filter", "Catrom"],
    17: ["-filter", "Hanning", "-define", "filter:lobes=1"],
    18: ["-define", "filter:filter=Welch", "-define", "filter:window=Box", "-define",
          "filter:support=1"],
}


def read(path):
    """-> dict with width, height, bpp, palette (N x 3 RGB), pixels (H x W
    indices, or H x W x 3 RGB), rows from the top."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RAS1":
        raise ValueError(path + ": not a RAS1 dump")
    w, h, bpp, entries = struct.unpack_from("<4i", data, 4)
    at = 20
    pal = np.frombuffer(data, np.uint8, entries * 4, at).reshape(-1, 4)[:, 2::-1].copy()
    at += entries * 4
    depth = 1 if entries else 3
    pix = np.frombuffer(data, np.uint8, w * h * depth, at).reshape(h, w, depth)
    return {"width": w, "height": h, "bpp": bpp, "palette": pal,
            "pixels": pix[:, :, 0] if entries else pix}


def rgb(image):
    """The picture as H x W x 3 RGB."""
    if len(image["palette"]):
        return image["palette"][image["pixels"]]
    return image["pixels"]


def psnr(a, b, cap=None):
    mse = np.mean((a.astype(np.float64) - b.astype(np.float64)) ** 2)
    value = float("inf") if mse == 0 else 10 * np.log10(255.0 ** 2 / mse)
    return min(value, cap) if cap else value


class Checker:
    """Collects failures and prints them at the end."""

    def __init__(self, folder):
        self.folder = folder
        self.failures = []
        self.checks = 0

    def path(self, name):
        return os.path.join(self.folder, name)

    def load(self, name):
        return read(self.path(name))

    def check(self, condition, message):
        self.checks += 1
        if not condition:
            self.failures.append(message)
        return condition

    def finish(self):
        for message in self.failures:
            print("FAIL", message)
        print("%d check(s), %d problem(s)" % (self.checks, len(self.failures)))
        sys.exit(1 if self.failures or self.checks == 0 else 0)
