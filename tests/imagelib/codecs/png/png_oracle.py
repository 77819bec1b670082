"""Checks the PNG files the encoder test wrote: pngcheck -v accepts each,
PIL reads the expected pixels, and <name>.meta holds what else must be in
the file: "interlaced", "colortype", "flevel" (zlib's level field),
"plte" (entry count), "entry0" (its RGB), "trns" (the single alpha, or
"none"), "background" (the RGB that bKGD names), "alpha_of" (a fixture
whose alpha, as PIL reads it, the file must have at every pixel). A
<name>.alpha file holds the alpha PIL must find at every pixel."""
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


def pil_alpha(data):
    return np.array(Image.open(io.BytesIO(data)).convert('RGBA'))[..., 3]


def check_meta(name, data, meta, folder):
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
        if key == 'trns' and value == 'none':
            if b'tRNS' in found:
                cf.fail('%s: tRNS %r written' % (name, found[b'tRNS']))
        elif key == 'trns' and found.get(b'tRNS') != bytes([int(value)]):
            cf.fail('%s: tRNS %r' % (name, found.get(b'tRNS')))
        if key == 'alpha_of':
            with open(os.path.join(folder, '..', 'fixtures', value), 'rb') as f:
                if not np.array_equal(pil_alpha(data), pil_alpha(f.read())):
                    cf.fail('%s: other alpha than %s' % (name, value))
        if key == 'background' and background_rgb(data) != bytes.fromhex(value):
            cf.fail('%s: background %s, expected %s' % (name, background_rgb(data).hex(), value))
    zlib.decompress(idat)  # the stream is complete


def background_rgb(data):
    """The colour bKGD names, read from the chunk (this PIL does not): a
    palette index, a grey level of the file's depth, or red, green, blue."""
    found = dict(chunks(data))
    body = found.get(b'bKGD')
    if body is None:
        return b''
    depth, color_type = ihdr(data)[2:4]
    if color_type == 3:
        return found[b'PLTE'][3 * body[0]:3 * body[0] + 3]
    samples = struct.unpack('>%dH' % (len(body) // 2), body)
    if color_type == 0:
        return bytes([samples[0] * 255 // ((1 << depth) - 1)] * 3)
    return bytes(v >> 8 if depth == 16 else v for v in samples)


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if len(cases) != 98:
        cf.fail('expected 98 written files, found %d' % len(cases))
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
        alpha_file = os.path.join(folder, name + '.alpha')
        if os.path.exists(alpha_file):
            with open(alpha_file, 'rb') as f:
                want_alpha = np.frombuffer(f.read(), np.uint8).reshape(int(height), int(width))
            got_alpha = pil_alpha(data)
            if not np.array_equal(got_alpha, want_alpha):
                cf.fail('%s: PIL reads other alpha: %s' % (name, got_alpha.tolist()))
        with open(os.path.join(folder, name + '.meta')) as f:
            check_meta(name, data, [line for line in f.read().splitlines() if line], folder)
    print('%d files pass pngcheck and PIL' % len(cases))


if __name__ == '__main__':
    main(sys.argv[1])
