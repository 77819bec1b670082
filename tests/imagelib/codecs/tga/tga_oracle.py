"""Checks the TGA files the encoder test wrote: PIL and ImageMagick read the
expected pixels."""
import os
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf
from tga_fixtures import magick_rgb


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if len(cases) != 12:
        cf.fail('expected 12 written files, found %d' % len(cases))
    for name, file_name, width, height, _ in cases:
        width, height = int(width), int(height)
        path = os.path.join(folder, file_name)
        with open(os.path.join(folder, name + '.rgb'), 'rb') as f:
            want = np.frombuffer(f.read(), np.uint8).reshape(height, width, 3)
        for reader, got in (('PIL', np.array(Image.open(path).convert('RGB'))),
                            ('ImageMagick', magick_rgb(path, width, height))):
            if not np.array_equal(got, want):
                cf.fail('%s: %s reads other pixels' % (name, reader))
    print('%d files read back by PIL and ImageMagick' % len(cases))


if __name__ == '__main__':
    main(sys.argv[1])
