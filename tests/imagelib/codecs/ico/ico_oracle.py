"""Checks the icon files the encoder test wrote: icotool -l lists one icon
entry of the image's size and depth (PNG data by the PNG's own size), and
PIL and icotool -x give the image's colours at every opaque pixel and
alpha 0 exactly at the pixels of the background colour ("bkgnd RRGGBB" in
<name>.meta), none without it. (icotool reads 24-bit rows without their
padding, so it is asked only where a row needs none.)"""
import glob
import os
import re
import shutil
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

ICOTOOL = '/usr/bin/icotool'
EXPECTED_FILES = 12 + 3 + 1


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if len(cases) != EXPECTED_FILES:
        cf.fail('expected %d written files, found %d' % (EXPECTED_FILES, len(cases)))
    for name, file_name, width, height, kind in cases:
        width, height = int(width), int(height)
        path = os.path.join(folder, file_name)
        with open(os.path.join(folder, name + '.meta')) as f:
            meta = dict(line.split() for line in f if line.strip())
        listing = subprocess.run([ICOTOOL, '-l', path], capture_output=True, text=True)
        lines = [l for l in listing.stdout.splitlines() if l.strip()]
        if listing.returncode != 0 or len(lines) != 1 or '--icon' not in lines[0]:
            cf.fail('%s: icotool -l says %r %r' % (name, listing.stdout, listing.stderr))
        fields = dict(re.findall(r'--([a-z-]+)=(\d+)', lines[0]))
        if (int(fields['width']), int(fields['height'])) != (width, height):
            cf.fail('%s: listed as %s' % (name, lines[0]))
        if width <= 255 and int(fields['bit-depth']) != int(meta['bpp']):
            cf.fail('%s: listed as %s' % (name, lines[0]))
        readings = {'PIL': np.array(Image.open(path).convert('RGBA'))}
        if not (int(meta['bpp']) == 24 and width * 3 % 4):
            out = os.path.join(folder, name + '.x')
            os.makedirs(out, exist_ok=True)
            subprocess.run([ICOTOOL, '-x', '-o', out, path], check=True, capture_output=True)
            readings['icotool -x'] = np.array(Image.open(glob.glob(os.path.join(out, '*.png'))[0]).convert('RGBA'))
            shutil.rmtree(out)
        with open(os.path.join(folder, name + '.rgb'), 'rb') as f:
            want = np.frombuffer(f.read(), np.uint8).reshape(height, width, 3)
        transparent = np.zeros((height, width), bool)
        if 'bkgnd' in meta:
            transparent = (want == np.frombuffer(bytes.fromhex(meta['bkgnd']), np.uint8)).all(axis=2)
        for reader, got in readings.items():
            if not np.array_equal(got[..., 3] == 0, transparent):
                cf.fail('%s: %s shows other transparent pixels' % (name, reader))
            if not np.array_equal(got[..., :3][~transparent], want[~transparent]):
                cf.fail('%s: %s shows other colours' % (name, reader))
    print('%d files pass icotool -l, PIL and icotool -x' % len(cases))


if __name__ == '__main__':
    main(sys.argv[1])
