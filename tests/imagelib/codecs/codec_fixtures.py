"""Shared helpers of the codec fixture and oracle scripts.

A fixture folder holds input files and, per case, the pixels an independent
decoder found: <name>.rgb (width x height x 3 bytes, rows from the top, red
first) or <name>.idx (one palette index per pixel). manifest.txt lists
"<name> <file> <width> <height> <rgb|idx>" one case a line.
"""
import os
import subprocess
import sys

import numpy as np

CONVERT = '/usr/bin/convert'


class Fixtures:
    def __init__(self, out_dir, sub='fixtures'):
        self.dir = os.path.join(out_dir, sub)
        os.makedirs(self.dir, exist_ok=True)
        for f in os.listdir(self.dir):
            os.remove(os.path.join(self.dir, f))
        self.lines = []

    def path(self, file_name):
        return os.path.join(self.dir, file_name)

    def add(self, name, file_name, data, expected, kind='rgb'):
        """data: the input file's bytes (None when already written);
        expected: array of shape (h, w, 3) for rgb or (h, w) for idx."""
        if data is not None:
            with open(self.path(file_name), 'wb') as f:
                f.write(data)
        expected = np.ascontiguousarray(expected, dtype=np.uint8)
        h, w = expected.shape[:2]
        with open(self.path(name + '.' + kind), 'wb') as f:
            f.write(expected.tobytes())
        self.lines.append('%s %s %d %d %s' % (name, file_name, w, h, kind))

    def finish(self):
        with open(self.path('manifest.txt'), 'w') as f:
            f.write('\n'.join(self.lines) + '\n')
        print('%d cases in %s' % (len(self.lines), self.dir))


def write_listed(fx, list_name, files):
    """Writes each (file name, bytes, note) into the fixture folder and a
    list of "<file name> <note>" lines for the test."""
    with open(fx.path(list_name), 'w') as f:
        for file_name, data, note in files:
            with open(fx.path(file_name), 'wb') as g:
                g.write(data)
            f.write(('%s %s' % (file_name, note)).rstrip() + '\n')


def written_cases(out_dir, expected_count=None):
    """The files an encoder test wrote (its "written" folder): yields name,
    path and the expected pixels (rows from the top, red first)."""
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if expected_count is not None and len(cases) != expected_count:
        fail('expected %d written files, found %d' % (expected_count, len(cases)))
    for name, file_name, width, height, _ in cases:
        with open(os.path.join(folder, name + '.rgb'), 'rb') as f:
            want = np.frombuffer(f.read(), np.uint8).reshape(int(height), int(width), 3)
        yield name, os.path.join(folder, file_name), want


def convert_rgb(path, width, height):
    """ImageMagick's decode of a file as 8-bit RGB rows from the top."""
    raw = subprocess.run([CONVERT, path, '-depth', '8', 'rgb:-'],
                         check=True, capture_output=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(height, width, 3)


def requantize(rgb, bits):
    """This library widens an n-bit field by shifting (31 -> 0xF8), other
    decoders by scaling (31 -> 0xFF). Recover each field from the other
    decoder's value and widen it the way this library does."""
    rgb = rgb.astype(np.uint32)
    out = np.empty_like(rgb)
    for c, n in enumerate(bits):
        field = (rgb[..., c] * ((1 << n) - 1) + 127) // 255
        out[..., c] = field << (8 - n)
    return out.astype(np.uint8)


def fail(message):
    print('FAIL: ' + message)
    sys.exit(1)
