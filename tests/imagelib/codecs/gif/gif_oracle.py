"""Checks the GIF files the encoder test wrote. Single images: PIL,
ImageMagick and giflib's gif2rgb read the expected pixels. Tiled true-colour
files: giftext lists the tile sizes given by the "tiles" meta line, and
ImageMagick's -layers flatten gives the picture. "transparency I": PIL
finds that transparent index."""
import os
import re
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

import codec_fixtures as cf

GIF2RGB = '/usr/bin/gif2rgb'
GIFTEXT = '/usr/bin/giftext'


def gif2rgb(path, width, height):
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, 'out')
        subprocess.run([GIF2RGB, '-1', '-o', out, path], check=True, capture_output=True)
        with open(out, 'rb') as f:
            return np.frombuffer(f.read(), np.uint8).reshape(height, width, 3)


def flatten(path, width, height):
    raw = subprocess.run([cf.CONVERT, path, '-layers', 'flatten', '-depth', '8', 'rgb:-'],
                         check=True, capture_output=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(height, width, 3)


def main(out_dir):
    count = 0
    for name, path, want in cf.written_cases(out_dir, 24):
        count += 1
        height, width = want.shape[:2]
        with open(path[:-len('.gif')] + '.meta') as f:
            meta = dict(line.split(' ', 1) for line in f.read().splitlines() if line)
        if 'tiles' in meta:
            text = subprocess.run([GIFTEXT, path], check=True, capture_output=True, text=True).stdout
            sizes = ['%sx%s' % m for m in re.findall(r'Top = \d+, Width = (\d+), Height = (\d+)', text)]
            if ' '.join(sizes) != meta['tiles']:
                cf.fail('%s: giftext shows tiles %s, expected %s' % (name, sizes, meta['tiles']))
            if not np.array_equal(flatten(path, width, height), want):
                cf.fail('%s: ImageMagick flattens to other pixels' % name)
            continue
        pil = Image.open(path)
        if 'transparency' in meta and pil.info.get('transparency') != int(meta['transparency']):
            cf.fail('%s: PIL finds transparency %r' % (name, pil.info.get('transparency')))
        readers = {'PIL': np.array(pil.convert('RGB')), 'ImageMagick': cf.convert_rgb(path, width, height),
                   'gif2rgb': gif2rgb(path, width, height)}
        for reader, got in readers.items():
            if not np.array_equal(got, want):
                cf.fail('%s: %s reads other pixels' % (name, reader))
    print('%d files read back by PIL, ImageMagick and giflib' % count)


if __name__ == '__main__':
    main(sys.argv[1])
