"""TGA files for the decoder: ImageMagick, PIL (plain, tga_rle, both
orientations), netpbm's ppmtotga (run-length by default, -norle, -mono,
-cmap, -cmap16), and struct-made files
for what those tools do not write (15/16/32-bit pixels, 16/24/32-bit colour
maps from a first index, right-to-left rows, packets that cross rows).
Expected pixels: ImageMagick's decode, 5-bit fields widened as this library
does. <name>.meta holds "bpp B". errors.txt lists "<file> <exact text>";
hostile.txt files must only end (a failure carrying a text)."""
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

PPMTOTGA = '/usr/bin/ppmtotga'


def write_meta(fx, name, bpp):
    with open(fx.path(name + '.meta'), 'w') as f:
        f.write('bpp %d\n' % bpp)


def magick_rgb(path, w, h):
    """ImageMagick's decode in the file's row and column order: its TGA reader
    keeps the stored order and only records the orientation."""
    raw = subprocess.run([cf.CONVERT, path, '-auto-orient', '-depth', '8', 'rgb:-'],
                         check=True, capture_output=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(h, w, 3)


def add(fx, name, file_name, w, h, bpp, bits=None):
    """Expected pixels from ImageMagick's decode of the file."""
    rgb = magick_rgb(fx.path(file_name), w, h)
    fx.add(name, file_name, None, cf.requantize(rgb, bits) if bits else rgb)
    write_meta(fx, name, bpp)


def palette_picture(rng, h, w, colours):
    table = rng.permutation(256 ** 3)[:colours]
    table = np.stack([table >> 16, (table >> 8) & 255, table & 255], axis=1).astype(np.uint8)
    return table[rng.integers(0, colours, (h, w))]


def runny(rng, h, w, colours):
    """Pictures with long runs, so that run-length packets cross rows."""
    flat = np.repeat(palette_picture(rng, 1, h * w // 5 + 1, colours)[0], 5, axis=0)[:h * w]
    flat[::7] = palette_picture(rng, 1, len(flat[::7]), colours)[0]
    return flat.reshape(h, w, 3)


def imagemagick_cases(fx, rng):
    src = fx.path('source.ppm')
    for kind, args, bpp in (('truecolor', ['-type', 'TrueColor'], 24),
                            ('alpha', ['-type', 'TrueColorAlpha'], 24),
                            ('palette', ['-type', 'Palette'], 8),
                            ('grey', ['-type', 'Grayscale'], 8)):
        for rle in (False, True):
            w, h = 37, 11
            picture = runny(rng, h, w, 40)
            Image.fromarray(picture).save(src)
            name = 'im_%s%s' % (kind, '_rle' if rle else '')
            subprocess.run([cf.CONVERT, src] + args + ['-compress', 'RLE' if rle else 'None',
                                                       fx.path(name + '.tga')], check=True)
            add(fx, name, name + '.tga', w, h, bpp)


def pil_cases(fx, rng):
    for mode, bpp in (('L', 8), ('P', 8), ('RGB', 24), ('RGBA', 24)):
        for rle in (False, True):
            for orientation in (-1, 1):
                w, h = 23, 9
                rgb = runny(rng, h, w, 30)
                im = Image.fromarray(rgb)
                if mode == 'L':
                    im = im.convert('L')
                elif mode == 'P':
                    im = im.quantize(64)
                elif mode == 'RGBA':
                    im.putalpha(Image.fromarray(rng.integers(0, 256, (h, w), dtype=np.uint8)))
                name = 'pil_%s%s_%s' % (mode, '_rle' if rle else '', 'top' if orientation > 0 else 'bottom')
                im.save(fx.path(name + '.tga'), compression='tga_rle' if rle else None,
                        orientation=orientation)
                add(fx, name, name + '.tga', w, h, bpp)


def netpbm_cases(fx, rng):
    src = fx.path('source.ppm')
    for options, colours, bpp, bits in ((['-rgb'], 0, 24, None), (['-rgb', '-norle'], 0, 24, None),
                                        (['-cmap'], 50, 8, None), (['-cmap', '-norle'], 50, 8, None),
                                        (['-cmap16'], 50, 8, (5, 5, 5)), (['-mono'], 0, 8, None)):
        w, h = 29, 7
        picture = palette_picture(rng, h, w, colours) if colours else runny(rng, h, w, 20)
        if options == ['-mono']:
            picture = picture.mean(axis=2).astype(np.uint8).repeat(3).reshape(h, w, 3)
        Image.fromarray(picture).save(src)
        name = 'ppmtotga' + ''.join(options)
        with open(fx.path(name + '.tga'), 'wb') as f:
            subprocess.run([PPMTOTGA] + options + [src], stdout=f, stderr=subprocess.DEVNULL, check=True)
        add(fx, name, name + '.tga', w, h, bpp, bits)


def tga_header(image_type, w, h, depth, descriptor=0, map_type=0, map_first=0, map_length=0,
               map_entry=0, id_length=0):
    return struct.pack('<BBBHHBHHHHBB', id_length, map_type, image_type, map_first, map_length,
                       map_entry, 0, 0, w, h, depth, descriptor)


def packets(pixels, width, cross):
    """Run-length packets of a list of pixel byte strings; with cross the
    packets go on across rows, else they stop at each row's end."""
    out, i = bytearray(), 0
    while i < len(pixels):
        limit = len(pixels) if cross else (i // width + 1) * width
        n = 1
        while i + n < limit and n < 128 and pixels[i + n] == pixels[i]:
            n += 1
        if n > 1:
            out += bytes([0x80 | (n - 1)]) + pixels[i]
        else:
            while i + n < limit and n < 128 and pixels[i + n] != pixels[i + n - 1]:
                n += 1
            out += bytes([n - 1]) + b''.join(pixels[i:i + n])
        i += n
    return bytes(out)


def struct_cases(fx, rng):
    w, h = 19, 6
    # True colour at 15, 16 and 32 bits, in every row and column order, plain
    # and with packets across rows.
    for depth in (15, 16, 32):
        size = (depth + 7) // 8
        for descriptor in (0x00, 0x10, 0x20, 0x30):
            for rle in (False, True):
                values = rng.integers(0, 1 << (8 * size), h * w // 3 + 1)
                values = np.repeat(values, 3)[:h * w]
                pixels = [int(v).to_bytes(size, 'little') for v in values]
                if size == 4:
                    pixels = [p[:3] + bytes([0]) for p in pixels]  # alpha 0 still shows
                data = packets(pixels, w, True) if rle else b''.join(pixels)
                name = 'struct_%dbit_d%02x%s' % (depth, descriptor, '_rle' if rle else '')
                with open(fx.path(name + '.tga'), 'wb') as f:
                    f.write(tga_header(10 if rle else 2, w, h, depth, descriptor | (8 if depth == 32 else 0)) + data)
                add(fx, name, name + '.tga', w, h, 24, (5, 5, 5) if size == 2 else None)
    # Colour maps of 16, 24 and 32-bit entries from a first index above 0.
    for entry in (16, 24, 32):
        first, length = 5, 40
        table = rng.integers(0, 1 << entry, length) if entry < 32 else rng.integers(0, 1 << 24, length)
        cmap = b''.join(int(v).to_bytes((entry + 7) // 8, 'little') for v in table)
        idx = rng.integers(first, first + length, h * w).astype(np.uint8)
        pixels = [bytes([int(v)]) for v in np.repeat(idx, 4)[:h * w]]
        for rle in (False, True):
            name = 'struct_map%d%s' % (entry, '_rle' if rle else '')
            with open(fx.path(name + '.tga'), 'wb') as f:
                f.write(tga_header(9 if rle else 1, w, h, 8, 0, 1, first, length, entry, id_length=3) +
                        b'abc' + cmap + (packets(pixels, w, True) if rle else b''.join(pixels)))
            add(fx, name, name + '.tga', w, h, 8, (5, 5, 5) if entry == 16 else None)
    # A colour map beside true-colour pixels is passed over. (ImageMagick
    # misreads this file: the picture is the stored rows, bottom up.)
    pixels = rng.integers(0, 256, (h, w, 3), dtype=np.uint8)
    name = 'struct_map_on_truecolour'
    with open(fx.path(name + '.tga'), 'wb') as f:
        f.write(tga_header(2, w, h, 24, 0, 1, 0, 7, 32) + bytes(28) + pixels.tobytes())
    fx.add(name, name + '.tga', None, pixels[::-1, :, ::-1])
    write_meta(fx, name, 24)


def error_cases(fx):
    good = tga_header(2, 4, 3, 24) + bytes(36)
    bad = {
        'short_header': (good[:17], 'Not a TGA'),
        'type_4': (tga_header(4, 4, 3, 24) + bytes(36), 'Unknown TGA image type'),
        'type_0': (tga_header(0, 4, 3, 24) + bytes(36), 'Unknown TGA image type'),
        'width_0': (tga_header(2, 0, 3, 24) + bytes(36), 'bad TGA header'),
        'depth_0': (tga_header(2, 4, 3, 0) + bytes(36), 'bad TGA header'),
        'depth_12': (tga_header(2, 4, 3, 12) + bytes(36), 'bad TGA header'),
        'map_257': (tga_header(1, 4, 3, 8, 0, 1, 0, 257, 24) + bytes(800), 'bad TGA header'),
        'mapped_without_map': (tga_header(1, 4, 3, 8) + bytes(12), 'bad TGA header'),
        'map_type_2': (tga_header(2, 4, 3, 24, 0, 2) + bytes(36), 'bad TGA header'),
        'grey_16bit': (tga_header(3, 4, 3, 16) + bytes(24), 'bad TGA header'),
        'data_cut': (good[:40], 'corrupted TGA'),
        'rle_cut': (tga_header(10, 4, 3, 24) + bytes([0x83, 1, 2, 3, 0x05]) + bytes(6), 'corrupted TGA'),
    }
    cf.write_listed(fx, 'errors.txt', [(name + '.tga', data, text) for name, (data, text) in bad.items()])
    # Packets past the image's last pixel are cut there.
    cf.write_listed(fx, 'hostile.txt', [
        ('run_past_image.tga', tga_header(10, 4, 3, 24) + bytes([0xFF, 9, 9, 9]), ''),
        ('raw_past_image.tga', tga_header(9, 2, 2, 8, 0, 1, 0, 2, 24) + bytes(6) + bytes([0x7F]) + bytes(128), '')])


def main(out_dir):
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(127)
    imagemagick_cases(fx, rng)
    pil_cases(fx, rng)
    netpbm_cases(fx, rng)
    struct_cases(fx, rng)
    error_cases(fx)
    fx.finish()


if __name__ == '__main__':
    main(sys.argv[1])
