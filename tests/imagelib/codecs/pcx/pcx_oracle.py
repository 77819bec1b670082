"""Checks the PCX files the encoder test wrote: netpbm's pcxtoppm reads the
expected pixels of every file, PIL those of one plane or three (it puts
four 1-bit planes together in another order, and misreads three planes one
pixel wide, its own files included)."""
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

PCXTOPPM = '/usr/bin/pcxtoppm'


def pcxtoppm(path):
    ppm = subprocess.run([PCXTOPPM, path], check=True, capture_output=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # magic, width, height, maxval
        while ppm[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    w, h = int(fields[1]), int(fields[2])
    return np.frombuffer(ppm[pos + 1:pos + 1 + w * h * 3], np.uint8).reshape(h, w, 3)


def main(out_dir):
    count = 0
    for name, path, want in cf.written_cases(out_dir, 21):
        readers = [('pcxtoppm', pcxtoppm(path))]
        if not name.startswith('bpp4') and name != 'bpp24_w1':
            readers.append(('PIL', np.array(Image.open(path).convert('RGB'))))
        for reader, got in readers:
            if not np.array_equal(got, want):
                cf.fail('%s: %s reads other pixels' % (name, reader))
        count += 1
    print('%d files read back by PIL and pcxtoppm' % count)

if __name__ == '__main__':
    main(sys.argv[1])
