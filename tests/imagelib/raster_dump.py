"""Reads what the image-operation tests write (see raster_dump.h) and holds
the small helpers their oracle scripts share."""
import os
import struct
import sys

import numpy as np

CONVERT = "/usr/bin/convert"


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
