"""PCX files for the decoder: PIL (1, L, P, RGB), netpbm's ppmtopcx
(-8bit, -24bit, -planes=N), ImageMagick, and struct-made files for the
depths those tools do not write. Expected pixels are the source picture the
file was made from, checked against ImageMagick's own decode. <name>.meta
holds "bpp B". errors.txt lists "<file> <exact text>" for files that must
fail."""
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

PPMTOPCX = '/usr/bin/ppmtopcx'


def write_meta(fx, name, bpp):
    with open(fx.path(name + '.meta'), 'w') as f:
        f.write('bpp %d\n' % bpp)


def palette_picture(rng, h, w, colours):
    table = rng.permutation(256 ** 3)[:colours]
    table = np.stack([table >> 16, (table >> 8) & 255, table & 255], axis=1).astype(np.uint8)
    return table[rng.integers(0, colours, (h, w))]


def add_checked(fx, name, path, picture, bpp, reader='ImageMagick'):
    """The file decodes to picture in another reader too, so the case is
    sound. (ImageMagick takes PIL's 1-bit files for black on black and refuses
    its 1-pixel-wide RGB files: those are checked by PIL.)"""
    h, w = picture.shape[:2]
    got = (np.array(Image.open(path).convert('RGB')) if reader == 'PIL'
           else cf.convert_rgb(path, w, h))
    if not np.array_equal(got, picture):
        cf.fail('%s: %s does not read the source picture back' % (name, reader))
    fx.add(name, os.path.basename(path), None, picture)
    write_meta(fx, name, bpp)


def pil_cases(fx, rng):
    for mode, bpp in (('1', 1), ('L', 8), ('P', 8), ('RGB', 24)):
        # PIL cannot read back its own 1-pixel-wide RGB file.
        for w in ((2,) if mode == 'RGB' else (1,)) + (7, 16, 33):
            h = 5 + w % 4
            if mode == '1':
                im = Image.fromarray(rng.integers(0, 2, (h, w), dtype=np.uint8) * 255, 'L').convert('1')
            elif mode == 'L':
                im = Image.fromarray(rng.integers(0, 256, (h, w), dtype=np.uint8), 'L')
            elif mode == 'P':
                im = Image.fromarray(rng.integers(0, 256, (h, w), dtype=np.uint8), 'P')
                im.putpalette(rng.integers(0, 256, 768, dtype=np.uint8).tobytes())
            else:
                im = Image.fromarray(rng.integers(0, 256, (h, w, 3), dtype=np.uint8))
            name = 'pil_%s_w%d' % (mode, w)
            path = fx.path(name + '.pcx')
            im.save(path)
            add_checked(fx, name, path, np.array(im.convert('RGB')), bpp, 'PIL')


def netpbm_cases(fx, rng):
    src = fx.path('source.ppm')
    for option, colours, bpp in (('-8bit', 200, 8), ('-24bit', 0, 24), ('-planes=1', 2, 1),
                                 ('-planes=2', 4, 4), ('-planes=3', 8, 4), ('-planes=4', 16, 4),
                                 ('-packed', 4, 4), ('-packed', 16, 4)):
        for w in (3, 17, 40):
            h = 4 + w % 3
            picture = (palette_picture(rng, h, w, colours) if colours
                       else rng.integers(0, 256, (h, w, 3), dtype=np.uint8))
            Image.fromarray(picture).save(src)
            name = 'ppmtopcx%s_%d_w%d' % (option, colours, w)
            path = fx.path(name + '.pcx')
            with open(path, 'wb') as f:
                subprocess.run([PPMTOPCX, option, src], stdout=f, stderr=subprocess.DEVNULL, check=True)
            if option == '-planes=1':
                # One plane of 1 bit is black and white whatever the header's
                # colour map says: pixels of its entry 1 are white.
                with open(path, 'rb') as f:
                    entry1 = np.frombuffer(f.read()[19:22], np.uint8)
                white = np.all(picture == entry1, axis=2)
                picture = np.where(white[..., None], 255, 0).astype(np.uint8).repeat(3, axis=2)
                fx.add(name, os.path.basename(path), None, picture)
                write_meta(fx, name, bpp)
                continue
            add_checked(fx, name, path, picture, bpp)


def rle(data):
    """PCX run-length code of a byte string, run by run."""
    out, i = bytearray(), 0
    while i < len(data):
        n = 1
        while i + n < len(data) and n < 63 and data[i + n] == data[i]:
            n += 1
        if n > 1 or data[i] >= 0xC0:
            out += bytes([0xC0 | n, data[i]])
        else:
            out.append(data[i])
        i += n
    return bytes(out)


def header(w, h, bits, planes, bpl, colour_map=b'', encoding=1, manufacturer=10):
    head = struct.pack('<BBBBHHHHHH', manufacturer, 5, encoding, bits, 0, 0, w - 1, h - 1, 72, 72)
    head += colour_map.ljust(48, b'\0') + b'\0' + struct.pack('<BHH', planes, bpl, 1)
    return head.ljust(128, b'\0')


def struct_cases(fx, rng):
    """2 bits in one plane (four values a byte), and a file whose runs go on
    from one line into the next."""
    colours = rng.integers(0, 256, (16, 3), dtype=np.uint8)
    for bits, w in ((2, 9), (4, 11)):
        h = 6
        idx = rng.integers(0, 1 << bits, (h, w))
        per = 8 // bits
        bpl = (w + per - 1) // per
        bpl += bpl & 1
        lines = bytearray()
        for row in idx:
            packed = np.zeros(bpl, np.uint8)
            for x, v in enumerate(row):
                packed[x // per] |= v << (8 - bits - bits * (x % per))
            lines += packed.tobytes()
        name = 'struct_%dbit' % bits
        with open(fx.path(name + '.pcx'), 'wb') as f:
            f.write(header(w, h, bits, 1, bpl, colours.tobytes()) + rle(bytes(lines)))
        fx.add(name, name + '.pcx', None, colours[idx])
        write_meta(fx, name, 4)
    # Runs that cross line ends: a whole 8-bit image of one value.
    palette = rng.integers(0, 256, (256, 3), dtype=np.uint8)
    w, h = 10, 13
    name = 'struct_runs_across_lines'
    with open(fx.path(name + '.pcx'), 'wb') as f:
        f.write(header(w, h, 8, 1, w) + bytes([0xC0 | 63, 7]) * 2 + bytes([0xC0 | 4, 7]) +
                bytes([12]) + palette.tobytes())
    fx.add(name, name + '.pcx', None, np.tile(palette[7], (h, w, 1)))
    write_meta(fx, name, 8)


def error_cases(fx, rng):
    good_data = rle(bytes(range(8)) * 4)
    bad = {
        'not_pcx': (header(8, 4, 8, 1, 8, manufacturer=11) + good_data, 'Error: Not a PCX file'),
        'encoding_2': (header(8, 4, 8, 1, 8, encoding=2) + good_data, 'PCX file has unknown encoding scheme'),
        'short_header': (header(8, 4, 8, 1, 8)[:100], "Can't read PCX image"),
        'planes_5': (header(8, 4, 1, 5, 2) + bytes(40), "Can't handle image with more than 4 planes"),
        'bits16_planes1': (header(8, 4, 16, 1, 16) + bytes(64),
                           'PCX_UnpackPixels: Can\'t handle packed pixels with more than 1 plane'),
        'bits8_planes4': (header(8, 4, 8, 4, 8) + bytes(128),
                          'PCX_PlanesToPixels: more than 4 planes or more than 1 bit per pixel'),
        'bits8_planes2': (header(8, 4, 8, 2, 8) + bytes(64),
                          'PCX_PlanesToPixels: more than 4 planes or more than 1 bit per pixel'),
        'run_past_end': (header(8, 4, 8, 1, 8) + rle(bytes(30)[:28]) + bytes([0xC5, 1]),
                         'repeat count spans end of image'),
        'no_palette_mark': (header(8, 4, 8, 1, 8) + good_data + bytes([11]) + bytes(768),
                            'bad color map signature'),
        'short_palette': (header(8, 4, 8, 1, 8) + good_data + bytes([12]) + bytes(700), 'corrupted PCX'),
        'data_cut': (header(8, 4, 8, 1, 8) + good_data[:10], 'corrupted PCX'),
        'bytes_per_line_0': (header(8, 4, 8, 1, 0) + good_data, 'corrupted PCX'),
        'bytes_per_line_65535': (header(8, 4, 8, 1, 65535) + good_data, 'corrupted PCX'),
        'xmax_below_xmin': (header(8, 4, 8, 1, 8)[:4] + struct.pack('<HH', 9, 0) + struct.pack('<HH', 3, 3) +
                            header(8, 4, 8, 1, 8)[12:] + good_data, 'corrupted PCX'),
    }
    cf.write_listed(fx, 'errors.txt', [(name + '.pcx', data, text) for name, (data, text) in bad.items()])


def main(out_dir):
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(128)
    pil_cases(fx, rng)
    netpbm_cases(fx, rng)
    struct_cases(fx, rng)
    error_cases(fx, rng)
    fx.finish()


if __name__ == '__main__':
    main(sys.argv[1])
