"""Checks the JPEG files the encoder test wrote: cjpeg on the same pixels with
the switches of <name>.meta gives the same bytes after the 20-byte SOI and
JFIF header (which differ only in the density); ImageMagick's identify reads
the quality and interlace, PIL the resolution in dots per inch."""
import os
import subprocess
import sys

from PIL import Image

import codec_fixtures as cf

CJPEG, IDENTIFY = '/usr/bin/cjpeg', '/usr/bin/identify'


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        names = [line.split()[0] for line in f if line.strip()]
    if len(names) != 11:
        cf.fail('expected 11 written files, found %d' % len(names))
    for name in names:
        path = os.path.join(folder, name + '.jpg')
        with open(os.path.join(folder, name + '.meta')) as f:
            meta = dict(line.rstrip('\n').split(' ', 1) for line in f if line.strip())
        quality = meta['quality']
        ours = open(path, 'rb').read()
        theirs = subprocess.run([CJPEG, '-quality', quality] + meta['switches'].split() +
                                [os.path.join(folder, name + '.pnm')],
                                check=True, capture_output=True).stdout
        if ours[20:] != theirs[20:]:
            cf.fail('%s: differs from cjpeg -quality %s %s' % (name, quality, meta['switches']))
        q, interlace = subprocess.run([IDENTIFY, '-format', '%Q %[interlace]', path], check=True,
                                      capture_output=True, text=True).stdout.split()
        if q != quality or (interlace != 'None') != ('-progressive' in meta['switches']):
            cf.fail('%s: identify reads quality %s, interlace %s' % (name, q, interlace))
        x, y = (min(65535, int(v)) for v in meta['dpi'].split())
        with Image.open(path) as im:
            if tuple(round(v) for v in im.info['dpi']) != (x, y):
                cf.fail('%s: PIL reads %s dpi, expected %d %d' % (name, im.info['dpi'], x, y))
    print('%d files equal cjpeg\'s' % len(names))


if __name__ == '__main__':
    main(sys.argv[1])
