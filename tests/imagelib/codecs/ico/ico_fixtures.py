"""Icon and cursor files for the decoder and what it must make of them.

Bitmap entries: a numpy model of the decoder's rules (palette, colour rows,
AND mask turned into a background index or an inverted image) gives the
pixels; where the mask leaves a pixel opaque the model must agree with
icotool -x, which is checked here. PNG entries: PIL's reading of the
embedded PNG, colour channels as stored. <name>.meta lines, read by
ico_decode_test.cpp:
  frame N | frames N | bpp B | bkgnd I
  error TEXT (kind err: the decode must fail with this text)
"""
import glob
import io
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

ICOTOOL = '/usr/bin/icotool'
PNG_SIGNATURE = b'\x89PNG\r\n\x1a\n'


def run(args):
    r = subprocess.run(args, capture_output=True)
    if r.returncode != 0:
        cf.fail('%s failed: %s' % (' '.join(args), r.stderr.decode(errors='replace')))
    return r.stdout


def bits_of(row, bpp, width):
    """Indices of a packed row, most significant bits first."""
    if bpp == 8:
        return np.frombuffer(row, np.uint8)[:width].astype(int)
    values = np.unpackbits(np.frombuffer(row, np.uint8))
    values = values.reshape(-1, bpp)
    weights = 1 << np.arange(bpp - 1, -1, -1)
    return (values * weights).sum(axis=1)[:width]


def model_bitmap(data, offset, width, height):
    """The decoder's reading of a bitmap entry: (rgb top-down, bkgnd, bpp, mask)."""
    size, _, _, _, bpp, _, _, _, _, used, _ = struct.unpack_from('<IiiHHIIiiII', data, offset)
    pos = offset + size
    if bpp <= 8:
        holds = 1 << bpp
        stored = used or holds
        taken = min(stored, holds)
        palette = np.zeros((holds, 3), int)
        for i in range(taken):
            b, g, r, _ = data[pos + 4 * i:pos + 4 * i + 4]
            palette[i] = (r, g, b)
        pos += 4 * stored
    else:
        pos += 4 * used
    stride = (width * min(bpp, 24) + 31) // 32 * 4 if bpp != 32 else width * 4
    rows = []
    for y in range(height):  # bottom row first
        row = data[pos + y * stride:pos + (y + 1) * stride]
        if bpp <= 8:
            rows.append(bits_of(row, bpp, width))
        else:
            step = 4 if bpp == 32 else 3
            px = np.frombuffer(row, np.uint8)[:width * step].reshape(width, step)
            rows.append(px[:, 2::-1].astype(int))
    pos += stride * height
    mask_row = (width + 31) // 32 * 4
    mask_bytes = data[pos:pos + mask_row * height].ljust(mask_row * height, b'\0')
    mask = np.array([np.unpackbits(np.frombuffer(mask_bytes[y * mask_row:(y + 1) * mask_row],
                                                 np.uint8))[:width] for y in range(height)])
    bkgnd = -1
    if bpp <= 8:
        idx = np.array(rows)
        colours = palette[idx]
        if mask_bytes == b'\xff' * len(mask_bytes):
            return (255 - colours)[::-1], 0, bpp, mask[::-1]
        masked = mask == 1
        if masked.any():
            seen = colours[masked]
            if (seen == seen[0]).all():
                first = np.argwhere(masked)[0]
                bkgnd = int(idx[first[0], first[1]])
        unused = [i for i in range(holds) if i not in set(idx.ravel().tolist())]
        if unused:
            idx[masked] = unused[-1]
            if masked.any():
                bkgnd = unused[-1]
        return palette[idx][::-1], bkgnd, bpp, mask[::-1]
    colours = np.array(rows)
    if mask_bytes == b'\xff' * len(mask_bytes):
        return (255 - colours)[::-1], 0, 24, mask[::-1]
    return colours[::-1], -1, 24, mask[::-1]


def entries_of(data):
    _, _, count = struct.unpack_from('<HHH', data, 0)
    out = []
    for i in range(count):
        w, h, _, _, _, _, _, offset = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        out.append((w or 256, h or 256, offset))
    return out


def extracted(path, index):
    """icotool -x's PNG of an entry, as RGBA rows."""
    out = path + '.x'
    os.makedirs(out, exist_ok=True)
    run([ICOTOOL, '-x', '-i', str(index + 1), '-o', out, path])
    png = glob.glob(os.path.join(out, '*.png'))[0]
    rgba = np.array(Image.open(png).convert('RGBA'))
    for f in glob.glob(os.path.join(out, '*')):
        os.remove(f)
    os.rmdir(out)
    return rgba


class Cases:
    def __init__(self, out_dir):
        self.fx = cf.Fixtures(out_dir)

    def path(self, name):
        return self.fx.path(name + '.ico')

    def meta(self, name, lines):
        with open(self.fx.path(name + '.meta'), 'w') as f:
            f.write(''.join(line + '\n' for line in lines))

    def expect_file(self, name, path, check_icotool=True):
        """Every entry of the file as its own case, by the model or PIL."""
        with open(path, 'rb') as f:
            data = f.read()
        entries = entries_of(data)
        for i, (w, h, offset) in enumerate(entries):
            case = '%s_e%d' % (name, i)
            meta = ['frame %d' % i, 'frames %d' % len(entries)]
            if data[offset:offset + 8] == PNG_SIGNATURE:
                rgb = np.array(Image.open(io.BytesIO(data[offset:])).convert('RGBA'))[..., :3]
            else:
                rgb, bkgnd, bpp, mask = model_bitmap(data, offset, w, h)
                meta += ['bpp %d' % bpp, 'bkgnd %d' % bkgnd]
                if check_icotool:
                    xr = extracted(path, i)
                    opaque = (mask == 0) & (xr[..., 3] == 255)
                    if not opaque.any() or not np.array_equal(rgb[opaque], xr[..., :3][opaque]):
                        cf.fail(case + ': the model and icotool -x disagree on opaque pixels')
            self.fx.add(case, os.path.basename(path), None, rgb)
            self.meta(case, meta)

    def error(self, name, data, text, frame=0):
        with open(self.path(name), 'wb') as f:
            f.write(data)
        self.fx.lines.append('%s %s.ico 0 0 err' % (name, name))
        self.meta(name, ['frame %d' % frame, 'error ' + text])


def source(rng, w, h, colours, transparent=True):
    """An RGBA picture of at most `colours` colours with a transparent corner."""
    table = rng.integers(0, 256, (colours, 3))
    y, x = np.mgrid[0:h, 0:w]
    idx = (x * 3 + y * 5 + (x * y) % 7) % colours
    rgba = np.dstack([table[idx], np.full((h, w), 255)]).astype(np.uint8)
    if transparent:
        rgba[: h // 3, : w // 2, 3] = 0
        rgba[: h // 3, : w // 2, :3] = 0
    return Image.fromarray(rgba, 'RGBA')


def icotool_cases(c, rng):
    folder = c.fx.dir
    # The transparent corner is black: one colour fewer fits the palette.
    for bpp, colours in ((1, 1), (4, 15), (8, 200), (24, 1000), (32, 1000)):
        src = os.path.join(folder, 'src.png')
        source(rng, 32, 32, colours).save(src)
        path = c.path('icotool_b%d' % bpp)
        run([ICOTOOL, '-c', '-b', str(bpp), '-o', path, src])
        if '--bit-depth=%d ' % bpp not in run([ICOTOOL, '-l', path]).decode():
            cf.fail('icotool wrote another depth than %d' % bpp)
        c.expect_file('icotool_b%d' % bpp, path)
    # Several entries, one stored as raw PNG; a cursor; a 256-pixel bitmap.
    small, big, raw = [os.path.join(folder, n) for n in ('s.png', 'b.png', 'r.png')]
    source(rng, 16, 16, 12).save(small)
    source(rng, 48, 40, 300).save(big)
    source(rng, 64, 64, 300).save(raw)
    path = c.path('icotool_three')
    run([ICOTOOL, '-c', '-o', path, '-b', '4', small, '-b', '24', big, '-r', raw])
    c.expect_file('icotool_three', path)
    path = c.path('cursor')
    run([ICOTOOL, '-c', '--cursor', '-X', '3', '-Y', '4', '-b', '8', '-o', path, small])
    c.expect_file('cursor', path)
    source(rng, 256, 256, 250, transparent=False).save(big)
    path = c.path('icotool_256_bitmap')
    run([ICOTOOL, '-c', '-b', '8', '-o', path, big])
    c.expect_file('icotool_256_bitmap', path)
    for f in (small, big, raw, os.path.join(folder, 'src.png')):
        os.remove(f)


def other_writers(c, rng):
    pic = source(rng, 64, 64, 500)
    pic.save(c.path('pil_sizes'), sizes=[(16, 16), (48, 48)])
    c.expect_file('pil_sizes', c.path('pil_sizes'))
    src = c.fx.path('src.png')
    source(rng, 256, 256, 500).save(src)
    run(['/usr/bin/convert', src, c.path('magick_256')])
    os.remove(src)
    c.expect_file('magick_256', c.path('magick_256'))


def bitmap_icon(w, h, bpp, palette, rows, mask_rows, used=0, header_height=None):
    """An icon of one bitmap entry: rows and mask_rows packed bottom row first."""
    body = b''.join(rows) + b''.join(mask_rows)
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h if header_height is None else header_height,
                       1, bpp, 0, 0, 0, 0, used, 0)
    data = info + pal + body
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, bpp,
                                                      len(data), 22) + data


def pack(indices, bpp):
    bits = ''.join(format(int(v), '0%db' % bpp) for v in indices)
    bits += '0' * (-len(bits) % 32)
    return int(bits, 2).to_bytes(len(bits) // 8, 'big')


def crafted_cases(c, rng):
    """The mask rules on struct-made 4-bit icons, and hostile directories."""
    palette = [tuple(int(v) for v in rng.integers(0, 256, 3)) for _ in range(16)]
    w, h = 32, 32
    idx = rng.integers(0, 16, (h, w))
    rows = [pack(idx[y], 4) for y in range(h)]
    ones = [b'\xff' * 4] * h
    cases = {'mask_all_ones': bitmap_icon(w, h, 4, palette, rows, ones)}
    # Transparent pixels all of colour 5, every index in use: 5 is the background.
    idx2 = idx.copy()
    idx2[:8, :8] = 5
    mask = np.zeros((h, w), np.uint8)
    mask[:8, :8] = 1
    mask_rows = [pack(mask[y], 1) for y in range(h)]
    cases['one_colour_all_used'] = bitmap_icon(w, h, 4, palette, [pack(idx2[y], 4) for y in range(h)],
                                               mask_rows)
    # Index 15 unused: the transparent pixels move there.
    idx3 = idx % 15
    cases['unused_index'] = bitmap_icon(w, h, 4, palette, [pack(idx3[y], 4) for y in range(h)], mask_rows)
    # 300 palette entries stored for an 8-bit image: 256 taken, the rest skipped.
    pal300 = [tuple(int(v) for v in rng.integers(0, 256, 3)) for _ in range(300)]
    idx8 = rng.integers(0, 256, (8, 8))
    cases['palette_300'] = bitmap_icon(8, 8, 8, pal300, [bytes(r.astype(np.uint8)) for r in idx8],
                                       [b'\0' * 4] * 8, used=300)
    for name, data in cases.items():
        with open(c.path(name), 'wb') as f:
            f.write(data)
        c.expect_file(name, c.path(name), check_icotool=False)

    good = cases['unused_index']
    c.error('empty', b'', 'Decode: Unknown or wrong format')
    c.error('bad_reserved', b'\1' + good[1:], 'Not an icon or cursor file')
    c.error('type_3', good[:2] + b'\3' + good[3:], 'Not an icon or cursor file')
    c.error('entries_65535', good[:4] + b'\xff\xff' + good[6:], 'Corrupted icon file')
    c.error('frame_past_count', good, 'Error: icon entry not present', frame=1)
    c.error('offset_past_end', good[:18] + struct.pack('<I', 1 << 30) + good[22:], 'Corrupted icon file')
    bpp0 = bytearray(good)
    struct.pack_into('<H', bpp0, 22 + 14, 0)
    c.error('bpp_0', bytes(bpp0), 'Unsupported icon bit count')
    huge_used = bytearray(good)
    struct.pack_into('<I', huge_used, 22 + 32, 0xFFFFFFFF)
    c.error('colours_past_end', bytes(huge_used), 'Corrupted icon file')
    c.error('pixels_cut', good[:22 + 40 + 64 + 100], 'Corrupted icon file')
    png = io.BytesIO()
    Image.new('RGB', (4, 4)).save(png, 'PNG')
    broken = png.getvalue()[:30]
    c.error('png_entry_broken', struct.pack('<HHH', 0, 1, 1) +
            struct.pack('<BBBBHHII', 0, 0, 0, 0, 1, 32, len(broken), 22) + broken,
            'Read Error')


def main():
    rng = np.random.default_rng(2126)
    c = Cases(sys.argv[1])
    icotool_cases(c, rng)
    other_writers(c, rng)
    crafted_cases(c, rng)
    c.fx.finish()


if __name__ == '__main__':
    main()
