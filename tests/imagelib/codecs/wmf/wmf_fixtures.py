"""Metafiles for the decoder: a struct-built placeable WMF that covers its
box with filled rectangles, and libwmf's drawing of it (wmf2gd at exactly
the size the decoder gives it, 1 unit = 1 pixel at 96 dpi); plus small
placeable WMFs and EMFs as fuzz seeds. <name>.meta: "size W H"."""
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

WMF2GD = '/usr/bin/wmf2gd'


def record(function, *params):
    return struct.pack('<IH', 3 + len(params), function) + struct.pack('<%dH' % len(params), *(p & 0xFFFF for p in params))


def placeable(width, height, records, inch=96):
    body = b''.join(records) + record(0x0000)
    head = struct.pack('<IHhhhhHI', 0x9AC6CDD7, 0, 0, 0, width, height, inch, 0)
    checksum = 0
    for (word,) in struct.iter_unpack('<H', head):
        checksum ^= word
    meta = struct.pack('<HHHIHIH', 1, 9, 0x300, (18 + len(body)) // 2, 3,
                       max(len(r) for r in records + [record(0)]) // 2, 0)
    return head + struct.pack('<H', checksum) + meta + body


def rectangles(width, height, rng):
    """Window = box; a null pen; blocks of solid colour tiling the box."""
    out = [record(0x020B, 0, 0), record(0x020C, height, width),   # SetWindowOrg, SetWindowExt
           record(0x02FA, 5, 0, 0, 0, 0), record(0x012D, 0)]         # CreatePenIndirect(null), select
    handle = 1
    step_x, step_y = width // 2, height // 2
    for j in range(2):
        for i in range(2):
            r, g, b = (int(v) for v in rng.integers(0, 256, 3))
            out.append(record(0x02FC, 0, r | g << 8, b, 0))        # CreateBrushIndirect solid
            out.append(record(0x012D, handle))                      # SelectObject
            right = width if i == 1 else (i + 1) * step_x
            bottom = height if j == 1 else (j + 1) * step_y
            out.append(record(0x041B, bottom + 1, right + 1, j * step_y, i * step_x))  # Rectangle
            out.append(record(0x01F0, handle))                      # DeleteObject
    return out


def main():
    out_dir = sys.argv[1]
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(2129)
    width, height = 160, 90
    data = placeable(width, height, rectangles(width, height, rng))
    path = fx.path('blocks.wmf')
    with open(path, 'wb') as f:
        f.write(data)
    png = fx.path('blocks.png')
    subprocess.run([WMF2GD, '--maxwidth=%d' % width, '--maxheight=%d' % height, '--maxsize',
                    '-o', png, path], check=True, capture_output=True)
    rgb = np.array(Image.open(png).convert('RGB'))
    os.remove(png)
    if rgb.shape[:2] != (height, width):
        cf.fail('wmf2gd drew %s, not %dx%d' % (rgb.shape, width, height))
    fx.add('blocks', 'blocks.wmf', None, rgb)
    small = placeable(20, 10, rectangles(20, 10, rng))
    fx.add('small', 'small.wmf', small, np.zeros((10, 20, 3), np.uint8), kind='seed')
    fx.finish()


if __name__ == '__main__':
    main()
