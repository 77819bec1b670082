"""Checks the GIF files the encoder test wrote. Single images: PIL,
ImageMagick and giflib's gif2rgb read the expected pixels. Tiled true-colour
files: giftext lists the tile sizes given by the "tiles" meta line, and
ImageMagick's -layers flatten gives the picture. "transparency I": PIL
finds that transparent index. Files of literal codes (option 1) hold
nothing but pixels' own codes and a clear code before the table fills."""
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


def image_codes(data):
    """The minimum code size and the LZW codes of a one-image file, read the
    way a decoder tracks code widths (one table entry per code after the
    first following a clear)."""
    pos = 13 + (3 * (2 << (data[10] & 7)) if data[10] & 0x80 else 0)
    while data[pos] == 0x21:  # extensions: label, then sub-blocks
        pos += 2
        while data[pos]:
            pos += data[pos] + 1
        pos += 1
    if data[pos] != 0x2C or data[pos + 9] & 0x80:
        cf.fail('expected an image without a local table')
    minimum, pos, stream = data[pos + 10], pos + 11, bytearray()
    while data[pos]:
        stream += data[pos + 1:pos + 1 + data[pos]]
        pos += data[pos] + 1
    bits = int.from_bytes(stream, 'little')
    clear, at, codes = 1 << minimum, 0, []
    width, next_code, fresh = minimum + 1, clear + 2, True
    while at + width <= 8 * len(stream):
        code = (bits >> at) & ((1 << width) - 1)
        at += width
        codes.append(code)
        if code == clear + 1:
            break
        if code == clear:
            width, next_code, fresh = minimum + 1, clear + 2, True
            continue
        if not fresh and next_code < 4096:
            next_code += 1
            if next_code == 1 << width and width < 12:
                width += 1
        fresh = False
    return minimum, codes


def check_literal(name, data, pixels):
    """Option 1: every code a pixel's own, a clear code before the table
    would fill."""
    minimum, codes = image_codes(data)
    clear = 1 << minimum
    if codes[0] != clear or codes[-1] != clear + 1:
        cf.fail('%s: the data does not start with a clear code and end with the end code' % name)
    runs = ' '.join(str(c) if c >= clear else 'p' for c in codes[1:-1]).split(str(clear))
    longest = max(len(r.split()) for r in runs)
    if any(c > clear for c in codes[1:-1]) or sum(len(r.split()) for r in runs) != pixels:
        cf.fail('%s: codes other than literals and clear codes' % name)
    if len(runs) < 2 or longest > 4096 - clear - 1:
        cf.fail('%s: %d literals between clear codes' % (name, longest))


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
        if name.startswith('option1_'):
            with open(path, 'rb') as f:
                check_literal(name, f.read(), width * height)
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
