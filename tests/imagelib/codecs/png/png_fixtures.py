"""PNG files for the decoder: ImageMagick's colour types 0, 2, 3, 4, 6 at
every depth they allow, each also interlaced, PIL palettes with tRNS, pHYs
variants, and damaged files. Expected pixels: ImageMagick's 8-bit decode, or
PIL's palette indices. <name>.meta lines add what else the decoder must
report: "dpi X Y", "bkgnd I", "alpha a0 .. a255", "colour RRGGBB",
"interlaced 0|1". errors.txt lists files that must fail."""
import io
import struct
import subprocess
import sys
import zlib

import numpy as np
from PIL import Image

import codec_fixtures as cf

DEPTHS = {0: (1, 2, 4, 8, 16), 2: (8, 16), 3: (1, 2, 4, 8), 4: (8, 16), 6: (8, 16)}


def write_pam(path, arr, maxval):
    h, w = arr.shape[:2]
    depth = 1 if arr.ndim == 2 else arr.shape[2]
    kind = {1: 'GRAYSCALE', 2: 'GRAYSCALE_ALPHA', 3: 'RGB', 4: 'RGB_ALPHA'}[depth]
    head = 'P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL %d\nTUPLTYPE %s\nENDHDR\n' % (
        w, h, depth, maxval, kind)
    with open(path, 'wb') as f:
        f.write(head.encode() + arr.astype('>u2' if maxval > 255 else 'u1').tobytes())


def source_pixels(rng, color_type, depth, h, w):
    if color_type in (0, 4):
        top = (1 << min(depth, 8)) - 1
        grey = rng.integers(0, top + 1, (h, w)) * (255 // top)
        arr = grey if color_type == 0 else np.dstack([grey, rng.integers(0, 256, (h, w))])
    elif color_type == 3:
        palette = rng.permutation(256 ** 3)[:1 << depth]
        palette = np.stack([palette >> 16, (palette >> 8) & 255, palette & 255], axis=1)
        arr = palette[rng.integers(0, 1 << depth, (h, w))]
    else:
        arr = rng.integers(0, 256, (h, w, 3 if color_type == 2 else 4))
    if depth == 16:
        # High byte v, low byte near v: ImageMagick's rounding to 8 bits gives
        # v, and a decoder that kept the low byte would be caught.
        return arr * 256 + np.minimum(255, arr + 37), 65535
    return arr, 255


def image_bpp(color_type, depth):
    """The depth of the image the decoder builds."""
    if color_type in (2, 6):
        return 24
    if color_type == 4 or depth == 16:
        return 8
    return 4 if depth == 2 else depth


def ihdr(data):
    width, height, depth, color_type, _, _, interlace = struct.unpack('>IIBBBBB', data[16:29])
    return width, height, depth, color_type, interlace


def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))


def chunks(data):
    pos, out = 8, []
    while pos < len(data):
        n = struct.unpack('>I', data[pos:pos + 4])[0]
        out.append((data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]))
        pos += 12 + n
    return out


def rebuild(data, replace):
    """The PNG with chunks rebuilt; replace(kind, body) -> list of (kind, body)."""
    out = data[:8]
    for kind, body in chunks(data):
        for k, b in replace(kind, body):
            out += chunk(k, b)
    return out


def write_meta(fx, name, lines):
    with open(fx.path(name + '.meta'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


def imagemagick_cases(fx, rng):
    src = fx.path('source.pam')
    for color_type, depths in DEPTHS.items():
        for depth in depths:
            for interlaced in (0, 1):
                name = 'im_type%d_depth%d%s' % (color_type, depth, '_interlaced' if interlaced else '')
                arr, maxval = source_pixels(rng, color_type, depth, 11 + depth % 3, 49 + 2 * color_type)
                write_pam(src, arr, maxval)
                out = fx.path(name + '.png')
                target = ('PNG8:' if color_type == 3 else '') + out
                subprocess.run([cf.CONVERT, src, '-interlace', 'PNG' if interlaced else 'None',
                                '-define', 'png:bit-depth=%d' % depth,
                                '-define', 'png:color-type=%d' % color_type, target], check=True)
                with open(out, 'rb') as f:
                    width, height, got_depth, got_type, got_interlace = ihdr(f.read())
                if (got_depth, got_type, got_interlace) != (depth, color_type, interlaced):
                    cf.fail('%s came out as type %d depth %d interlace %d' %
                            (name, got_type, got_depth, got_interlace))
                fx.add(name, name + '.png', None, cf.convert_rgb(out, width, height))
                write_meta(fx, name, ['interlaced %d' % interlaced,
                                      'bpp %d' % image_bpp(color_type, depth)])


def pil_palette(rng, h, w, colours):
    im = Image.fromarray(rng.integers(0, colours, (h, w), dtype=np.uint8), 'P')
    im.putpalette(rng.integers(0, 256, 3 * colours, dtype=np.uint8).tobytes())
    return im


def pil_png(im, **options):
    buf = io.BytesIO()
    im.save(buf, 'PNG', **options)
    return buf.getvalue()


def transparency_cases(fx, rng):
    """Palette tRNS: one entry of alpha 0 is the background entry, one of
    alpha 255 is nothing at all, anything else is alpha per entry (the
    entries past the chunk opaque)."""
    alphas = rng.integers(0, 256, 256, dtype=np.uint8)
    for name, transparency, length in [('pil_trns_1', 0, 1),
                                       ('pil_trns_1_opaque', b'\xff', 1),
                                       ('pil_trns_1_half', b'\x80', 1),
                                       ('pil_trns_3', bytes(alphas[:3]), 3),
                                       ('pil_trns_256', bytes(alphas), 256)]:
        im = pil_palette(rng, 6, 9, 256)
        data = pil_png(im, transparency=transparency)
        found = [body for kind, body in chunks(data) if kind == b'tRNS']
        if len(found) != 1 or len(found[0]) != length:
            cf.fail('%s: PIL wrote tRNS %r' % (name, found))
        trns = found[0]
        if trns == b'\x00':
            meta = ['bkgnd 0']
        elif trns == b'\xff':
            meta = ['bkgnd -1', 'alpha ' + ' '.join(['0'] * 256)]
        else:
            meta = ['bkgnd -1',
                    'alpha ' + ' '.join(str(trns[i]) if i < len(trns) else '255' for i in range(256))]
        fx.add(name, name + '.png', data, np.array(Image.open(io.BytesIO(data))), 'idx')
        write_meta(fx, name, meta)
    # A transparent colour of an RGB file becomes the background colour.
    rgb = Image.fromarray(rng.integers(0, 256, (3, 4, 3), dtype=np.uint8))
    data = pil_png(rgb, transparency=(0x12, 0x34, 0x56))
    fx.add('pil_rgb_trns', 'pil_rgb_trns.png', data, np.array(rgb))
    write_meta(fx, 'pil_rgb_trns', ['colour 123456', 'bkgnd 0'])
    grey = Image.fromarray(rng.integers(0, 256, (3, 5), dtype=np.uint8), 'L')
    data = pil_png(grey, transparency=77)
    fx.add('pil_grey_trns', 'pil_grey_trns.png', data, np.array(grey.convert('RGB')))
    write_meta(fx, 'pil_grey_trns', ['bkgnd 77'])


def resolution_cases(fx, rng):
    rgb = Image.fromarray(rng.integers(0, 256, (2, 3, 3), dtype=np.uint8))
    fx.add('pil_300dpi', 'pil_300dpi.png', pil_png(rgb, dpi=(300, 150)), np.array(rgb))
    write_meta(fx, 'pil_300dpi', ['dpi 300 150'])
    # pHYs without a unit only gives the ratio of the pixel sides: 96 DPI stays.
    for name, body in [('phys_unknown_zero', struct.pack('>IIB', 0, 0, 0)),
                       ('phys_unknown_ratio', struct.pack('>IIB', 3, 2, 0))]:
        data = rebuild(pil_png(rgb), lambda k, b: [(k, b), (b'pHYs', body)] if k == b'IHDR' else [(k, b)])
        fx.add(name, name + '.png', data, np.array(rgb))
        write_meta(fx, name, ['dpi 96 96'])


def error_cases(fx, rng):
    good = pil_png(Image.fromarray(rng.integers(0, 256, (40, 50, 3), dtype=np.uint8)))
    bad = {}
    for cut in (4, 8, 20, 33, 40, len(good) // 2, len(good) - 12, len(good) - 1):
        bad['cut_%d' % cut] = good[:cut]
    flipped = bytearray(good)
    flipped[60] ^= 0xFF  # inside the IDAT data: its CRC no longer matches
    bad['bad_idat_crc'] = bytes(flipped)
    flipped = bytearray(good)
    flipped[20] ^= 0x01  # IHDR width
    bad['bad_ihdr_crc'] = bytes(flipped)
    huge = struct.pack('>IIBBBBB', 100000, 100000, 8, 2, 0, 0, 0)
    bad['ihdr_100000_square'] = rebuild(good, lambda k, b: [(k, huge if k == b'IHDR' else b)])
    bad['not_png'] = b'GIF89a' + bytes(40)
    names = []
    for name, data in bad.items():
        with open(fx.path(name + '.png'), 'wb') as f:
            f.write(data)
        names.append(name + '.png')
    with open(fx.path('errors.txt'), 'w') as f:
        f.write('\n'.join(names) + '\n')


def main(out_dir):
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(121)
    imagemagick_cases(fx, rng)
    transparency_cases(fx, rng)
    resolution_cases(fx, rng)
    error_cases(fx, rng)
    fx.finish()


if __name__ == '__main__':
    main(sys.argv[1])
