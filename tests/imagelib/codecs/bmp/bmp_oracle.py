"""Checks the BMP files the encoder test wrote: PIL reads each with the
expected pixels, and the pixel offset is 14 + 40 + the palette."""
import io
import os
import struct
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if len(cases) < 24:
        cf.fail('expected 24 written files, found %d' % len(cases))
    for name, file_name, width, height, kind in cases:
        width, height = int(width), int(height)
        with open(os.path.join(folder, file_name), 'rb') as f:
            data = f.read()
        bpp = struct.unpack_from('<H', data, 28)[0]
        offset = struct.unpack_from('<I', data, 10)[0]
        if offset != 14 + 40 + (4 << bpp if bpp <= 8 else 0):
            cf.fail('%s: pixel offset %d at %d bits' % (name, offset, bpp))
        im = Image.open(io.BytesIO(data))
        got = np.array(im.convert('RGB'))
        with open(os.path.join(folder, name + '.' + kind), 'rb') as f:
            want = np.frombuffer(f.read(), np.uint8).reshape(height, width, 3)
        if got.shape != want.shape or not np.array_equal(got, want):
            cf.fail('%s: PIL reads other pixels' % name)
        dpi = im.info.get('dpi')
        if not dpi or round(dpi[0]) != 72 or round(dpi[1]) != 200:
            cf.fail('%s: resolution %r' % (name, dpi))
    print('%d files read back by PIL' % len(cases))


if __name__ == '__main__':
    main(sys.argv[1])
