"""BMP files from ImageMagick, PIL and struct, with ImageMagick's decode of
each (convert ... rgb:-) as the expected pixels. 16-bit files are compared
field by field: see codec_fixtures.requantize."""
import io
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf
import dib_shapes as ds


def size_of(bmp):
    if struct.unpack_from('<I', bmp, 14)[0] == 12:
        return struct.unpack_from('<HH', bmp, 18)
    width, height = struct.unpack_from('<ii', bmp, 18)
    return width, abs(height)


def add_file(fx, name, data, quantize=None, bare_dib=None):
    """data: a BMP file. With bare_dib the test reads that instead (the same
    picture without the file header, which ImageMagick cannot read)."""
    path = fx.path(name + '.bmp')
    with open(path, 'wb') as f:
        f.write(data)
    expected = cf.convert_rgb(path, *size_of(data))
    if quantize:
        expected = cf.requantize(expected, quantize)
    if bare_dib is not None:
        os.remove(path)
        fx.add(name, name + '.dib', bare_dib, expected)
    else:
        fx.add(name, name + '.bmp', None, expected)


def im_file(fx, src, fmt, *args):
    out = fx.path('im_tmp.bmp')
    subprocess.run([cf.CONVERT, src] + list(args) + [fmt + ':' + out], check=True)
    with open(out, 'rb') as f:
        data = f.read()
    os.remove(out)
    return data


def pil_file(image):
    buf = io.BytesIO()
    image.save(buf, 'BMP')
    return buf.getvalue()


def hand_made(fx):
    for name, (dib, offset), quantize in [
            ('rle4_padded_literal', ds.rle4_runs(padded=True), None),
            ('rle4_deltas', ds.rle4_deltas(), None),
            ('rle8_deltas', ds.rle8_deltas(), None),
            ('rgb555', ds.rgb555(31, 3), (5, 5, 5)),
            ('bitfields565', ds.bitfields16(7, 4, (0xF800, 0x07E0, 0x001F)), (5, 6, 5)),
            ('bitfields32', ds.bitfields32(3, 2, (0x0000FF00, 0x00FF0000, 0xFF000000)), None),
            ('topdown_24bit', ds.top_down(33, 5, 24), None),
            ('topdown_8bit', ds.top_down(7, 6, 8), None),
            ('topdown_1bit', ds.top_down(65, 3, 1), None),
            ('core_1bit', ds.core_header(31, 4, 1), None),
            ('core_8bit', ds.core_header(3, 4, 8), None)]:
        add_file(fx, name, ds.with_file_header(dib, offset), quantize)
    # Bare DIBs: the info header first, the pixels right behind the palette.
    for name, (dib, offset), quantize in [
            ('bare_8bit', ds.top_down(7, 3, 8), None),
            ('bare_4bit_rle', ds.rle4_deltas(), None),
            ('bare_bitfields565', ds.bitfields16(5, 2, (0xF800, 0x07E0, 0x001F)), (5, 6, 5))]:
        if name == 'bare_8bit':
            dib = dib[:8] + (3).to_bytes(4, 'little') + dib[12:]  # bottom-up this time
        add_file(fx, name, ds.with_file_header(dib, offset), quantize, bare_dib=dib)


def main(out_dir):
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(120)
    src = fx.path('source.ppm')
    Image.fromarray(rng.integers(0, 256, (7, 33, 3), dtype=np.uint8)).save(src)
    srca = fx.path('source.png')
    Image.fromarray(rng.integers(0, 256, (5, 31, 4), dtype=np.uint8), 'RGBA').save(srca)
    add_file(fx, 'im_bmp2_24bit', im_file(fx, src, 'BMP2'))
    add_file(fx, 'im_bmp2_4bit', im_file(fx, src, 'BMP2', '-colors', '16'))
    add_file(fx, 'im_bmp3_24bit', im_file(fx, src, 'BMP3'))
    add_file(fx, 'im_bmp3_8bit', im_file(fx, src, 'BMP3', '-colors', '200'))
    add_file(fx, 'im_bmp3_4bit', im_file(fx, src, 'BMP3', '-colors', '16'))
    add_file(fx, 'im_bmp3_1bit', im_file(fx, src, 'BMP3', '-colors', '2'))
    add_file(fx, 'im_v5_24bit', im_file(fx, src, 'BMP'))
    add_file(fx, 'im_rle8', im_file(fx, src, 'BMP3', '-colors', '20', '-compress', 'RLE'))
    add_file(fx, 'im_rgb565', im_file(fx, src, 'BMP', '-define', 'bmp:subtype=RGB565'), (5, 6, 5))
    add_file(fx, 'im_argb8888', im_file(fx, srca, 'BMP', '-define', 'bmp:subtype=ARGB8888'))
    os.remove(src)
    os.remove(srca)

    bits = rng.integers(0, 2, (5, 65), dtype=np.uint8) * 255
    add_file(fx, 'pil_1bit', pil_file(Image.fromarray(bits).convert('1')))
    p = Image.fromarray(rng.integers(0, 16, (4, 3), dtype=np.uint8), 'P')
    p.putpalette(rng.integers(0, 256, 48, dtype=np.uint8).tobytes())
    add_file(fx, 'pil_8bit_few_colours', pil_file(p))
    p = Image.fromarray(rng.integers(0, 256, (6, 7), dtype=np.uint8), 'P')
    p.putpalette(rng.integers(0, 256, 768, dtype=np.uint8).tobytes())
    add_file(fx, 'pil_8bit', pil_file(p))
    add_file(fx, 'pil_grey', pil_file(Image.fromarray(rng.integers(0, 256, (3, 1), dtype=np.uint8), 'L')))
    add_file(fx, 'pil_24bit', pil_file(Image.fromarray(rng.integers(0, 256, (4, 31, 3), dtype=np.uint8))))
    add_file(fx, 'pil_32bit', pil_file(Image.fromarray(rng.integers(0, 256, (2, 3, 4), dtype=np.uint8), 'RGBA')))

    hand_made(fx)
    fx.finish()


if __name__ == '__main__':
    main(sys.argv[1])
