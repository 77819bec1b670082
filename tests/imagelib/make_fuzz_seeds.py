#!/usr/bin/python3
"""Rewrites the committed seed folders of the image decoders' fuzz targets
from the codec tests' fixture makers (PIL, ImageMagick, hand-built files).

Usage: make_fuzz_seeds.py [codec...]  (run by hand; commit the result;
                                      the named codec folders, else all)

The test command fuzzes over these folders with a fixed seed, so they must
not change from run to run: ImageMagick's date and time chunks are dropped
from the PNG files. Inputs that once crashed a decoder (named crash_*) are
kept as they are.
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CODECS = os.path.join(HERE, 'codecs')
# codec folder -> extensions of the fixture files that are decoder inputs
KINDS = {'bmp': ('.bmp', '.dib'), 'dib': ('.dib',), 'jpg': ('.jpg',), 'png': ('.png',),
         'gif': ('.gif',), 'pcx': ('.pcx',), 'tga': ('.tga',),
         'tif': ('.tif',), 'ico': ('.ico',), 'wmf': ('.wmf',)}
MAX_SEED = 8192
VOLATILE_PNG_CHUNKS = {b'tEXt', b'zTXt', b'iTXt', b'tIME'}


def without_volatile_chunks(data):
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        return data
    out, pos = data[:8], 8
    while pos + 12 <= len(data):
        n = struct.unpack('>I', data[pos:pos + 4])[0]
        kind = data[pos + 4:pos + 8]
        whole = data[pos:pos + 12 + n]
        if len(whole) < 12 + n or zlib.crc32(kind + whole[8:8 + n]) != struct.unpack('>I', whole[-4:])[0]:
            return data  # a damaged file stays as its maker wrote it
        if kind not in VOLATILE_PNG_CHUNKS:
            out += whole
        pos += 12 + n
    return out + data[pos:]


def main():
    for codec, extensions in KINDS.items():
        if len(sys.argv) > 1 and codec not in sys.argv[1:]:
            continue
        folder = os.path.join(CODECS, codec)
        seeds = os.path.join(folder, 'fuzz_seeds')
        os.makedirs(seeds, exist_ok=True)
        for name in os.listdir(seeds):
            if not name.startswith('crash_'):
                os.remove(os.path.join(seeds, name))
        with tempfile.TemporaryDirectory() as out:
            subprocess.run(['/usr/bin/python3', os.path.join(folder, codec + '_fixtures.py'), out],
                           check=True, stdout=subprocess.DEVNULL,
                           env=dict(os.environ, PYTHONPATH=CODECS))
            fixtures = os.path.join(out, 'fixtures')
            for name in sorted(os.listdir(fixtures)):
                if not name.endswith(extensions):
                    continue
                with open(os.path.join(fixtures, name), 'rb') as f:
                    data = without_volatile_chunks(f.read())
                if len(data) <= MAX_SEED:
                    with open(os.path.join(seeds, name), 'wb') as f:
                        f.write(data)
        print('%s: %d seeds' % (seeds, len(os.listdir(seeds))))


if __name__ == '__main__':
    sys.exit(main())
