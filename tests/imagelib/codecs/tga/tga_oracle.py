"""Checks the TGA files the encoder test wrote: PIL and ImageMagick read the
expected pixels."""
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf
from tga_fixtures import magick_rgb


def main(out_dir):
    count = 0
    for name, path, want in cf.written_cases(out_dir, 12):
        height, width = want.shape[:2]
        for reader, got in (('PIL', np.array(Image.open(path).convert('RGB'))),
                            ('ImageMagick', magick_rgb(path, width, height))):
            if not np.array_equal(got, want):
                cf.fail('%s: %s reads other pixels' % (name, reader))
        count += 1
    print('%d files read back by PIL and ImageMagick' % count)

if __name__ == '__main__':
    main(sys.argv[1])
