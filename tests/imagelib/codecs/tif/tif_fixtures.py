"""TIFF files for the decoder and what it must make of them.

Colour pages: libtiff's own RGBA reading as tiff2rgba writes it, or
ImageMagick's convert -auto-orient for the orientations. Grey, palette,
16-bit, Lab and two-sample pages are built with struct (tiff_build.py) and
their pixels come from numpy models of the decoder's rules (ramps, sample
reduction, 16-bit row scaling, the L*a*b* formula); where ImageMagick reads
the same value it must agree. tiffcp makes the compressed, tiled, planar and
multi-page variants of each. <name>.meta lines, read by tif_decode_test.cpp:
  frame N | frames N | bpp B | option C | dpi X Y | offset X Y | tolerance T
  error TEXT (kind err: the decode must fail with this text)
"""
import io
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf
from tiff_build import tiff_bytes

TIFFCP, TIFF2RGBA, TIFFSET = '/usr/bin/tiffcp', '/usr/bin/tiff2rgba', '/usr/bin/tiffset'


def run(args):
    r = subprocess.run(args, capture_output=True)
    if r.returncode != 0:
        cf.fail('%s failed: %s' % (' '.join(args), r.stderr.decode(errors='replace')))
    return r.stdout


def picture(rng, w, h):
    y, x = np.mgrid[0:h, 0:w]
    base = np.stack([(x * 255 // max(w - 1, 1)), (y * 255 // max(h - 1, 1)), (x * y) % 256], axis=2)
    return np.clip(base + rng.integers(-20, 20, (h, w, 3)), 0, 255).astype(np.uint8)


def ramp(bits, photometric):
    n = 1 << min(bits, 8)
    step = 255 // (n - 1) if n > 1 else 0
    levels = np.arange(n) * step
    return (255 - levels) if photometric == 0 else levels


def reduce(v, bits):
    return v if bits <= 8 else v >> (bits - 8)


def scale16_rows(v):
    """16-bit rows from strips: each row stretched to its own largest high
    byte, then every row brought to the brightest row's scale."""
    shifts = []
    rows = []
    for row in v:
        high = int(row.max()) >> 8
        s = 8 - high.bit_length()
        shifts.append(s)
        rows.append((row >> (8 - s)) & 255)
    m = min(shifts + [8])
    return np.stack([r >> (s - m) for r, s in zip(rows, shifts)])


def lab_to_rgb(lab):
    L = lab[..., 0].astype(np.float64)
    a = lab[..., 1].astype(np.int8).astype(np.float64)
    b = lab[..., 2].astype(np.int8).astype(np.float64)
    fy = (L / 2.55 + 16) / 116
    Y = fy ** 3
    X = (a * 0.002 + fy) ** 3 * 0.95047
    Z = (fy - b * 0.005) ** 3 * 1.0883
    rgb = np.stack([3.240479 * X - 1.53715 * Y - 0.498535 * Z,
                    -0.969256 * X + 1.875992 * Y + 0.041556 * Z,
                    0.055648 * X - 0.204043 * Y + 1.057311 * Z], axis=2)
    with np.errstate(invalid='ignore'):
        curve = np.where(rgb > 0.00304, 1.055 * np.power(np.maximum(rgb, 0), 0.41667) - 0.055,
                         12.92 * rgb)
    return np.clip(curve * 255, 0, 255).astype(np.uint8)


class Cases:
    def __init__(self, out_dir):
        self.fx = cf.Fixtures(out_dir)

    def path(self, name):
        return self.fx.path(name + '.tif')

    def write(self, name, data):
        with open(self.path(name), 'wb') as f:
            f.write(data)
        return self.path(name)

    def expect(self, name, expected, meta=()):
        """The decode of <name>.tif must give these pixels (None: fail)."""
        if expected is None:
            self.fx.lines.append('%s %s.tif 0 0 err' % (name, name))
        else:
            if expected.ndim == 2:
                expected = np.dstack([expected] * 3)
            self.fx.add(name, name + '.tif', None, expected)
        with open(self.fx.path(name + '.meta'), 'w') as f:
            f.write(''.join(line + '\n' for line in meta))

    def add(self, name, data, expected, meta=()):
        self.write(name, data)
        self.expect(name, expected, meta)

    def error(self, name, data, text, meta=()):
        self.add(name, data, None, list(meta) + ['error ' + text])

    def copy(self, name, source, args):
        """tiffcp's copy of an existing case's file."""
        run([TIFFCP] + args + [self.path(source), self.path(name)])
        return self.path(name)


def rgba_reference(path):
    """libtiff's RGBA reading of a page, as tiff2rgba writes it (RGB kept)."""
    out = path + '.rgba.tif'
    run([TIFF2RGBA, '-n', '-c', 'none', path, out])
    with Image.open(out) as im:
        rgb = np.array(im.convert('RGB'))
    os.remove(out)
    return rgb


def magick_rgb(args, w, h):
    raw = run(['/usr/bin/convert'] + args + ['-depth', '8', 'rgb:-'])
    return np.frombuffer(raw, np.uint8).reshape(h, w, 3)


def colour_cases(c, rng):
    """8-bit RGB through every compression, tiles, planes, strips; RGBA,
    CMYK and YCbCr JPEG through libtiff's RGBA reader."""
    rgb = picture(rng, 45, 31)
    base = tiff_bytes(rgb, 8, 2, rows_per_strip=8)
    c.add('rgb_none', base, rgb, ['bpp 24', 'option 1'])
    for name, args, option in (('rgb_lzw2', ['-c', 'lzw:2'], 5), ('rgb_packbits', ['-c', 'packbits'], 32773),
                               ('rgb_zip2', ['-c', 'zip:2'], 8), ('rgb_tiled', ['-t', '-w', '16', '-l', '16'], 1),
                               ('rgb_separate', ['-p', 'separate'], 1), ('rgb_rows3', ['-r', '3'], 1),
                               ('rgb_bigendian', ['-B', '-c', 'lzw'], 5),
                               ('rgb_jpeg_rgb', ['-c', 'jpeg:r:90', '-r', '16'], 7)):
        expected = rgba_reference(c.copy(name, 'rgb_none', args))
        if name != 'rgb_jpeg_rgb' and not np.array_equal(expected, rgb):
            cf.fail(name + ': libtiff reads other pixels than were written')
        c.expect(name, expected, ['bpp 24', 'option %d' % option])
    rgba = np.dstack([rgb, rng.integers(0, 256, rgb.shape[:2])]).astype(np.uint8)
    for name, extra in (('rgba_unassoc', (2,)), ('rgba_assoc', (1,))):
        path = c.write(name, tiff_bytes(rgba, 8, 2, extra=extra, rows_per_strip=5))
        c.expect(name, rgba_reference(path), ['bpp 24'])
    c.expect('rgba_tiled', rgba_reference(c.copy('rgba_tiled', 'rgba_unassoc', ['-t', '-w', '16', '-l', '16'])),
             ['bpp 24'])
    src = c.fx.path('photo.ppm')
    Image.fromarray(picture(rng, 64, 40)).save(src)
    for name, args in (('cmyk', ['-colorspace', 'CMYK']), ('ycbcr_jpeg', ['-compress', 'JPEG']),
                       ('rgb16', ['-depth', '16'])):
        path = c.path(name)
        run(['/usr/bin/convert', src] + args + [path])
        c.expect(name, rgba_reference(path), ['bpp 24'])
    os.remove(src)


def grey_and_palette_cases(c, rng):
    """One sample of 1 to 16 bits, grey both ways and palette; two samples."""
    w, h = 37, 21
    for bits in (1, 2, 3, 4, 5, 8, 12, 16):
        v = rng.integers(0, 1 << bits, (h, w, 1))
        if bits == 16:
            v[:h // 2] >>= 3  # the upper rows darker: they are rescaled
        for photometric in (0, 1):
            name = 'grey%d_%s' % (bits, 'white0' if photometric == 0 else 'black0')
            if bits == 16:
                values = scale16_rows(v[..., 0])
                expected = values if photometric == 1 else 255 - values
            else:
                expected = ramp(bits, photometric)[v[..., 0]] if bits <= 8 else \
                    ramp(8, photometric)[reduce(v[..., 0], bits)]
                if bits == 1:
                    expected = (v[..., 0] if photometric == 1 else 1 - v[..., 0]) * 255
            depth = 1 if bits == 1 else 4 if bits == 4 else 8
            c.add(name, tiff_bytes(v, bits, photometric, rows_per_strip=4), expected.astype(np.uint8),
                  ['bpp %d' % depth])
            if bits in (1, 4, 8, 16) and photometric == 1:
                check_magick(c, name, expected, bits)
    for bits in (1, 2, 4, 8):
        n = 1 << bits
        cmap = rng.integers(0, 256, (n, 3)) * 257
        v = rng.integers(0, n, (h, w, 1))
        expected = (cmap[v[..., 0]] * 255 // 65535).astype(np.uint8)
        name = 'palette%d' % bits
        c.add(name, tiff_bytes(v, bits, 3, colormap=cmap, rows_per_strip=6), expected,
              ['bpp %d' % (bits if bits != 2 else 8)])
        check_magick(c, name, expected, bits)
    # A colour map of 8-bit values is taken as it stands.
    cmap = rng.integers(0, 256, (256, 3))
    v = rng.integers(0, 256, (h, w, 1))
    c.add('palette8_narrow_map', tiff_bytes(v, 8, 3, colormap=cmap), cmap[v[..., 0]].astype(np.uint8),
          ['bpp 8'])
    # More than 8 bits of palette: colours, no palette.
    for bits in (12, 16):
        cmap = rng.integers(0, 65536, (1 << bits, 3))
        v = rng.integers(0, 1 << bits, (h, w, 1))
        c.add('bigpalette%d' % bits, tiff_bytes(v, bits, 3, colormap=cmap, rows_per_strip=5),
              (cmap[v[..., 0]] * 255 // 65535).astype(np.uint8), ['bpp 24'])
    # Two samples: the first counts.
    for bits in (8, 16):
        v = rng.integers(0, 1 << bits, (h, w, 2))
        first = v[..., 0] if bits == 8 else scale16_rows(v[..., 0])
        c.add('grey_alpha%d' % bits, tiff_bytes(v, bits, 1, extra=(2,), rows_per_strip=7),
              first.astype(np.uint8), ['bpp 8'])
    # Tiled twins: 8-bit palette as stripped, 16-bit grey by its high bytes.
    cmap = rng.integers(0, 65536, (256, 3))
    v = rng.integers(0, 256, (h, w, 1))
    c.add('palette8_tiled', tiff_bytes(v, 8, 3, colormap=cmap, tile=(16, 16)),
          (cmap[v[..., 0]] * 255 // 65535).astype(np.uint8), ['bpp 8'])
    v = rng.integers(0, 1 << 16, (h, w, 1))
    c.add('grey16_tiled', tiff_bytes(v, 16, 1, tile=(16, 32)), (v[..., 0] >> 8).astype(np.uint8),
          ['bpp 8'])
    v = rng.integers(0, 2, (h, w, 1))
    c.add('bw_tiled', tiff_bytes(v, 1, 0, tile=(32, 16)), ((1 - v[..., 0]) * 255).astype(np.uint8),
          ['bpp 1'])
    # Big-endian 16-bit samples and a 16-bit colour map.
    v = rng.integers(0, 1 << 16, (h, w, 1))
    c.add('grey16_bigendian', tiff_bytes(v, 16, 1, order='>', rows_per_strip=3),
          scale16_rows(v[..., 0]).astype(np.uint8), ['bpp 8'])


def check_magick(c, name, expected, bits):
    got = cf.convert_rgb(c.path(name), expected.shape[1], expected.shape[0])
    want = np.dstack([expected] * 3) if expected.ndim == 2 else expected
    if bits == 16:
        return  # ImageMagick scales, the decoder keeps one brightness scale
    if not np.array_equal(got, want):
        cf.fail(name + ': ImageMagick disagrees with the model')


def compression_cases(c):
    """Fax codes on 1 bit, every lossless code on palette and 16-bit grey."""
    for name, args, option in (('grey1_g3', ['-c', 'g3'], 3), ('grey1_g4', ['-c', 'g4'], 4),
                               ('grey1_lzw', ['-c', 'lzw'], 5)):
        c.copy(name, 'grey1_white0', args)
        copy_expected(c, 'grey1_white0', name, ['bpp 1', 'option %d' % option])
    for source in ('palette8', 'palette4', 'grey16_black0', 'grey12_black0'):
        predictor = ':2' if source in ('palette8', 'grey16_black0') else ''
        for tag, args in (('lzw', ['-c', 'lzw' + predictor]), ('zip', ['-c', 'zip']), ('packbits', ['-c', 'packbits']),
                          ('tiles', ['-t', '-w', '32', '-l', '16'])):
            if source == 'grey16_black0' and tag == 'tiles':
                continue  # tiles take the high bytes: grey16_tiled
            name = '%s_%s' % (source, tag)
            c.copy(name, source, args)
            copy_expected(c, source, name, meta_of(c, source))
    c.expect('grey8_jpeg', rgba_reference(c.copy('grey8_jpeg', 'grey8_black0', ['-c', 'jpeg:90', '-r', '8'])),
             ['bpp 8'])


def meta_of(c, name):
    with open(c.fx.path(name + '.meta')) as f:
        return [line.rstrip('\n') for line in f if line.strip()]


def copy_expected(c, source, name, meta):
    with open(c.fx.path(source + '.rgb'), 'rb') as f:
        data = f.read()
    line = [l for l in c.fx.lines if l.split()[0] == source][0].split()
    w, h = int(line[2]), int(line[3])
    c.expect(name, np.frombuffer(data, np.uint8).reshape(h, w, 3), meta)


def lab_cases(c, rng):
    w, h = 29, 17
    lab = np.stack([rng.integers(0, 256, (h, w)), rng.integers(-100, 100, (h, w)) & 255,
                    rng.integers(-100, 100, (h, w)) & 255], axis=2)
    c.add('lab8', tiff_bytes(lab, 8, 8, rows_per_strip=5), lab_to_rgb(lab), ['bpp 24', 'tolerance 1'])
    # Grey with two extra samples is not L*a*b*: libtiff's RGBA reader.
    g = rng.integers(0, 256, (h, w, 3))
    path = c.write('grey_two_extra', tiff_bytes(g, 8, 1, extra=(0, 0)))
    c.expect('grey_two_extra', rgba_reference(path), ['bpp 24'])


def oriented(a, o):
    """Stored rows (top first) as orientation o asks them to be shown."""
    return {1: lambda: a, 2: lambda: a[:, ::-1], 3: lambda: a[::-1, ::-1], 4: lambda: a[::-1],
            5: lambda: a.transpose(1, 0, 2), 6: lambda: np.rot90(a, -1),
            7: lambda: a[::-1, ::-1].transpose(1, 0, 2), 8: lambda: np.rot90(a, 1)}[o]()


def orientation_cases(c, rng):
    """Tag 274 = 1..8 set by tiffset. Uncompressed pages: ImageMagick's
    -auto-orient shows each, and must agree with the model of the tag. JPEG
    and alpha pages: ImageMagick reads them through libtiff's RGBA reader,
    which flips them already, so the model over the stored pixels is the
    reference."""
    rgb = picture(rng, 23, 14)
    cmap = rng.integers(0, 65536, (256, 3))
    v = rng.integers(0, 256, (14, 23, 1))
    rgba = np.dstack([rgb, rng.integers(0, 256, rgb.shape[:2])]).astype(np.uint8)
    for kind, data in (('rgb', tiff_bytes(rgb, 8, 2, rows_per_strip=4)),
                       ('palette', tiff_bytes(v, 8, 3, colormap=cmap, rows_per_strip=4)),
                       ('rgba', tiff_bytes(rgba, 8, 2, extra=(2,), rows_per_strip=4)),
                       ('ycbcr', None)):
        for o in range(1, 9):
            name = 'orient%d_%s' % (o, kind)
            path = c.path(name)
            if data is None:
                src = c.fx.path('o.ppm')
                Image.fromarray(rgb).save(src)
                run(['/usr/bin/convert', src, '-compress', 'JPEG', path])
                os.remove(src)
            else:
                with open(path, 'wb') as f:
                    f.write(data)
            run([TIFFSET, '-s', '274', str(o), path])
            w, h = (14, 23) if o >= 5 else (23, 14)
            if data is None or kind == 'rgba':
                if o == 1:
                    stored = rgba_reference(path)
                c.expect(name, np.ascontiguousarray(oriented(stored, o)))
                continue
            shown = magick_rgb([path, '-auto-orient'], w, h)
            if o == 1:
                stored = shown
            if not np.array_equal(shown, oriented(stored, o)):
                cf.fail(name + ': ImageMagick and the orientation model disagree')
            c.expect(name, shown)


def page_and_tag_cases(c, rng):
    pics = [rng.integers(0, 256, (9 + i, 11 + 2 * i, 3)).astype(np.uint8) for i in range(3)]
    pages = [dict(samples=p, bits=8, photometric=2, colormap=None, extra=(), orientation=None,
                  rows_per_strip=None, tile=None, resolution=None, unit=2, position=None,
                  sample_format=None) for p in pics[1:]]
    data = tiff_bytes(pics[0], 8, 2, pages_after=pages)
    for i in range(3):
        c.add('pages3_frame%d' % i, data, pics[i], ['frame %d' % i, 'frames 3'])
    c.error('pages3_frame3', data, 'Error: page not present in TIFF file', ['frame 3', 'frames 3'])
    g = rng.integers(0, 256, (5, 6, 1))
    c.add('dpi_cm', tiff_bytes(g, 8, 1, resolution=(118.11, 47.24), unit=3, position=(2.5, 7.9)),
          g[..., 0].astype(np.uint8), ['dpi 300 120', 'offset 2 7'])
    c.add('dpi_inch', tiff_bytes(g, 8, 1, resolution=(72.9, 600), unit=2), g[..., 0].astype(np.uint8),
          ['dpi 72 600'])
    c.add('dpi_huge', tiff_bytes(g, 8, 1, resolution=((4000000000, 1), (0, 0)), unit=2),
          g[..., 0].astype(np.uint8), ['dpi 96 96'])


def hostile_cases(c, rng):
    g = rng.integers(0, 256, (20, 16, 1))
    good = bytearray(tiff_bytes(g, 8, 1, rows_per_strip=4))
    c.error('not_tiff', b'II+\x00' + bytes(good[4:]), 'Error encountered while opening TIFF file')
    loop = bytearray(tiff_bytes(g, 8, 1, pages_after=[dict(
        samples=g, bits=8, photometric=1, colormap=None, extra=(), orientation=None, rows_per_strip=None,
        tile=None, resolution=None, unit=2, position=None, sample_format=None)]))
    # The second page's link points back at the first: a loop of directories.
    first = struct.unpack_from('<I', loop, 4)[0]
    second = struct.unpack_from('<I', loop, first + 2 + 12 * struct.unpack_from('<H', loop, first)[0])[0]
    n = struct.unpack_from('<H', loop, second)[0]
    struct.pack_into('<I', loop, second + 2 + 12 * n, first)
    c.add('ifd_loop', bytes(loop), g[..., 0].astype(np.uint8), ['bpp 8'])
    # Strips whose data lies past the end: the page stays as far as it was read.
    past = bytearray(good)
    n = struct.unpack_from('<H', past, struct.unpack_from('<I', past, 4)[0])[0]
    ifd = struct.unpack_from('<I', past, 4)[0]
    for i in range(n):
        tag, kind, count, value = struct.unpack_from('<HHII', past, ifd + 2 + 12 * i)
        if tag == 273:
            struct.pack_into('<I', past, value + 8, 1 << 30)  # the third strip
    expected = g[..., 0].copy()
    expected[8:] = 0
    c.add('strip_past_end', bytes(past), expected.astype(np.uint8), ['bpp 8'])
    # 100000 strips of one row each, all present.
    tall = rng.integers(0, 256, (100000, 1, 1))
    c.add('strips_100000', tiff_bytes(tall, 8, 1, rows_per_strip=1), tall[..., 0].astype(np.uint8))
    # A header of a huge page over a few bytes.
    huge = bytearray(tiff_bytes(np.zeros((1, 1, 1), int), 8, 1))
    ifd = struct.unpack_from('<I', huge, 4)[0]
    for i in range(struct.unpack_from('<H', huge, ifd)[0]):
        tag = struct.unpack_from('<H', huge, ifd + 2 + 12 * i)[0]
        if tag in (256, 257, 278):
            struct.pack_into('<I', huge, ifd + 2 + 12 * i + 8, 30000)
    c.error('huge_page_tiny_data', bytes(huge), 'TIFF data too short for its image size')
    c.error('empty', b'', 'Decode: Unknown or wrong format')


def main():
    rng = np.random.default_rng(2125)
    c = Cases(sys.argv[1])
    colour_cases(c, rng)
    grey_and_palette_cases(c, rng)
    compression_cases(c)
    lab_cases(c, rng)
    orientation_cases(c, rng)
    page_and_tag_cases(c, rng)
    hostile_cases(c, rng)
    c.fx.finish()


if __name__ == '__main__':
    main()
