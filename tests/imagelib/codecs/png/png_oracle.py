"""Checks the PNG files the encoder test wrote: pngcheck -v accepts each,
PIL reads the expected pixels, and <name>.meta holds what else must be in
the file: "interlaced", "colortype", "flevel" (zlib's level field),
"plte" (entry count), "entry0" (its RGB), "trns" (the single alpha)."""
import io
import os
import struct
import subprocess
import sys
import zlib

import numpy as np
from PIL import Image

import codec_fixtures as cf
from png_fixtures import chunks, ihdr

PNGCHECK = '/usr/bin/pngcheck'


def check_meta(name, data, meta):
    found = dict(chunks(data))
    idat = b''.join(body for kind, body in chunks(data) if kind == b'IDAT')
    for line in meta:
        key, value = line.split()
        if key == 'interlaced' and ihdr(data)[4] != int(value):
            cf.fail('%s: interlace %d' % (name, ihdr(data)[4]))
        if key == 'colortype' and ihdr(data)[3] != int(value):
            cf.fail('%s: colour type %d' % (name, ihdr(data)[3]))
        if key == 'flevel' and idat[1] >> 6 != int(value):
            cf.fail('%s: FLEVEL %d, expected %s' % (name, idat[1] >> 6, value))
        if key == 'plte' and len(found[b'PLTE']) != 3 * int(value):
            cf.fail('%s: %d palette entries' % (name, len(found[b'PLTE']) // 3))
        if key == 'entry0' and found[b'PLTE'][:3] != bytes.fromhex(value):
            cf.fail('%s: entry 0 is %s' % (name, found[b'PLTE'][:3].hex()))
        if key == 'trns' and found.get(b'tRNS') != bytes([int(value)]):
            cf.fail('%s: tRNS %r' % (name, found.get(b'tRNS')))
    zlib.decompress(idat)  # the stream is complete


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if len(cases) != 49:
        cf.fail('expected 49 written files, found %d' % len(cases))
    for name, file_name, width, height, kind in cases:
        path = os.path.join(folder, file_name)
        check = subprocess.run([PNGCHECK, '-v', path], capture_output=True, text=True)
        if check.returncode != 0 or 'No errors detected' not in check.stdout:
            cf.fail('%s: pngcheck says\n%s' % (name, check.stdout))
        with open(path, 'rb') as f:
            data = f.read()
        with open(os.path.join(folder, name + '.rgb'), 'rb') as f:
            want = np.frombuffer(f.read(), np.uint8).reshape(int(height), int(width), 3)
        got = np.array(Image.open(io.BytesIO(data)).convert('RGB'))
        if not np.array_equal(got, want):
            cf.fail('%s: PIL reads other pixels' % name)
        with open(os.path.join(folder, name + '.meta')) as f:
            check_meta(name, data, [line for line in f.read().splitlines() if line])
    print('%d files pass pngcheck and PIL' % len(cases))


if __name__ == '__main__':
    main(sys.argv[1])
