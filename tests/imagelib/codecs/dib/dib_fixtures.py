"""Packed DIBs from foreign writers and their pixels as PIL decodes them.

PIL and ImageMagick write BMP files; dropping the 14-byte file header leaves
the packed DIB the clipboard would carry. Hand-made DIBs (RLE4, 5-5-5, 5-6-5,
32-bit bit fields, top-down) are decoded by PIL with a file header in front.
"""
import io
import os
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf
import dib_shapes as ds


def pil_rgb(bmp_bytes):
    im = Image.open(io.BytesIO(bmp_bytes))
    im.load()
    return np.array(im.convert('RGB'))


def add_bmp(fx, name, bmp, quantize=None):
    expected = pil_rgb(bmp)
    if quantize:
        expected = cf.requantize(expected, quantize)
    fx.add(name, name + '.dib', bmp[14:], expected)


def pil_bmp(image):
    buf = io.BytesIO()
    image.save(buf, 'BMP')
    return buf.getvalue()


def main(out_dir):
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(2024)
    rgb = rng.integers(0, 256, (9, 33, 3), dtype=np.uint8)

    add_bmp(fx, 'pil_1bit', pil_bmp(Image.fromarray(rng.integers(0, 2, (7, 13), dtype=np.uint8) * 255).convert('1')))
    p = Image.fromarray(rng.integers(0, 256, (9, 33), dtype=np.uint8), 'P')
    p.putpalette(rng.integers(0, 256, 768, dtype=np.uint8).tobytes())
    add_bmp(fx, 'pil_8bit_palette', pil_bmp(p))
    add_bmp(fx, 'pil_8bit_grey', pil_bmp(Image.fromarray(rng.integers(0, 256, (5, 31), dtype=np.uint8), 'L')))
    add_bmp(fx, 'pil_24bit', pil_bmp(Image.fromarray(rgb[:3, :31])))
    add_bmp(fx, 'pil_32bit', pil_bmp(Image.fromarray(rng.integers(0, 256, (4, 7, 4), dtype=np.uint8), 'RGBA')))

    src = fx.path('source.ppm')
    Image.fromarray(rgb).save(src)
    srca = fx.path('source.png')
    Image.fromarray(rng.integers(0, 256, (9, 33, 4), dtype=np.uint8), 'RGBA').save(srca)
    add_bmp(fx, 'im_bmp3_24bit', _im(fx, src, 'BMP3'))
    add_bmp(fx, 'im_bmp3_8bit', _im(fx, src, 'BMP3', '-colors', '200'))
    add_bmp(fx, 'im_bmp3_4bit', _im(fx, src, 'BMP3', '-colors', '16'))
    add_bmp(fx, 'im_bmp3_1bit', _im(fx, src, 'BMP3', '-colors', '2'))
    add_bmp(fx, 'im_v5_24bit', _im(fx, src, 'BMP'))
    add_bmp(fx, 'im_v5_argb8888', _im(fx, srca, 'BMP', '-define', 'bmp:subtype=ARGB8888'))
    add_bmp(fx, 'im_v5_rgb565', _im(fx, src, 'BMP', '-define', 'bmp:subtype=RGB565'), (5, 6, 5))
    os.remove(src)
    os.remove(srca)

    for name, (dib, offset), quantize in [
            ('rle4', ds.rle4_runs(padded=False), None),
            ('rgb555', ds.rgb555(5, 3), (5, 5, 5)),
            ('bitfields565', ds.bitfields16(7, 3, (0xF800, 0x07E0, 0x001F)), (5, 6, 5)),
            ('bitfields555_v4', ds.bitfields16(6, 2, (0x7C00, 0x03E0, 0x001F), header_size=108), (5, 5, 5)),
            ('bitfields32_xbgr', ds.bitfields32(5, 3, (0xFF000000, 0x00FF0000, 0x0000FF00)), None),
            ('topdown_24bit', ds.top_down(7, 5, 24), None),
            ('topdown_8bit', ds.top_down(9, 4, 8), None),
            ('core_4bit', ds.core_header(5, 3, 4), None)]:
        add_bmp(fx, name, ds.with_file_header(dib, offset), quantize)
    fx.finish()


def _im(fx, src, fmt, *args):
    out = fx.path('im_tmp.bmp')
    subprocess.run([cf.CONVERT, src] + list(args) + [fmt + ':' + out], check=True)
    with open(out, 'rb') as f:
        data = f.read()
    os.remove(out)
    return data


if __name__ == '__main__':
    main(sys.argv[1])
