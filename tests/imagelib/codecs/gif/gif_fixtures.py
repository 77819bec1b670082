"""GIF files for the decoder. Expected pixels come from other readers:
giflib's `gifbuild -d` dump (palette indices of a frame's rectangle), PIL
and ImageMagick. <name>.meta lines: "frame K" (the frame to decode),
"frames N" (identify's count), "bpp B", "bkgnd I", and the graphic control,
loop count and comment the decoder reports: "delay D", "disposal M",
"loop L", "comment TEXT". hostile.txt lists crafted
files, each "<file> fail" (must fail with a text) or "<file> any" (must only
end; a failure carries a text)."""
import io
import re
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

GIFBUILD = '/usr/bin/gifbuild'
IDENTIFY = '/usr/bin/identify'
KEYS = 'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ'


def dump_frames(path):
    """gifbuild -d: per image (left, top, rows of indices), and the screen
    size. Colour maps up to len(KEYS) entries come out as letters, larger
    ones as hex pairs."""
    text = subprocess.run([GIFBUILD, '-d', path], check=True, capture_output=True, text=True).stdout
    lines = text.splitlines()
    screen = (int(re.search(r'screen width (\d+)', text).group(1)),
              int(re.search(r'screen height (\d+)', text).group(1)))
    frames, i, maps, key_of = [], 0, {}, {}
    while i < len(lines):
        line = lines[i].strip()
        m = re.match(r'rgb (\d+) (\d+) (\d+) is (\S+)', line)
        if m:
            key_of[m.group(4)] = len(key_of)
        if line in ('screen map', 'image map'):
            key_of = {}
        if line == 'screen map':
            maps['screen'] = key_of
        if line == 'image map':
            maps['image'] = key_of
        if line.startswith('image left'):
            left = int(line.split()[2])
        if line.startswith('image top'):
            top = int(line.split()[2])
        m = re.match(r'image bits (\d+) by (\d+)', line)
        if m:
            w, h = int(m.group(1)), int(m.group(2))
            keys = maps.pop('image', maps.get('screen'))
            rows = []
            for r in range(h):
                row = lines[i + 1 + r].strip()
                if len(row) == 2 * w:  # hex pairs
                    rows.append([int(row[k:k + 2], 16) for k in range(0, 2 * w, 2)])
                else:
                    rows.append([keys[ch] for ch in row])
            frames.append((left, top, np.array(rows, np.uint8)))
            i += h
        i += 1
    return screen, frames


def frame_count(path):
    out = subprocess.run([IDENTIFY, path], check=True, capture_output=True, text=True).stdout
    return len(out.splitlines())


def write_meta(fx, name, lines):
    with open(fx.path(name + '.meta'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


def random_palette_image(rng, h, w, colours):
    im = Image.fromarray(rng.integers(0, colours, (h, w), dtype=np.uint8), 'P')
    im.putpalette(rng.permutation(256 * 3)[:3 * colours].astype(np.uint8).tobytes())
    return im


def pil_cases(fx, rng):
    """Single frames PIL writes at 1, 4 and 8 bits, plain and interlaced."""
    for colours in (2, 16, 256):
        for interlace in (False, True):
            name = 'pil_%d%s' % (colours, '_interlaced' if interlace else '')
            im = random_palette_image(rng, 23, 37, colours)
            buf = io.BytesIO()
            im.save(buf, 'GIF', interlace=interlace, optimize=False)
            data = buf.getvalue()
            back = Image.open(io.BytesIO(data))
            # PIL gives two colours a table of 4: the depth follows the table.
            entries = 2 << (data[10] & 7)
            bpp = 1 if entries <= 2 else 4 if entries <= 16 else 8
            fx.add(name, name + '.gif', data, np.array(back), 'idx')
            write_meta(fx, name, ['bpp %d' % bpp, 'frames 1'])


def interlaced_twins(fx, rng):
    """ImageMagick's interlaced and plain twins of heights 1 to 9: both
    decode to ImageMagick's pixels."""
    src = fx.path('twin_source.ppm')
    for colours in (2, 16, 256):
        for h in range(1, 10):
            palette = rng.permutation(256 ** 3)[:colours]
            palette = np.stack([palette >> 16, (palette >> 8) & 255, palette & 255], axis=1)
            arr = palette[rng.integers(0, colours, (h, 13))].astype(np.uint8)
            Image.fromarray(arr).save(src)
            for interlace in ('GIF', 'None'):
                name = 'im_%d_h%d_%s' % (colours, h, interlace.lower())
                out = fx.path(name + '.gif')
                subprocess.run([cf.CONVERT, src, '-interlace', interlace, out], check=True)
                fx.add(name, name + '.gif', None, cf.convert_rgb(out, 13, h))


def expected_frame(path, k, fill):
    """Frame k on the logical screen, the rest at the fill byte."""
    (w, h), frames = dump_frames(path)
    left, top, idx = frames[k]
    screen = np.full((h, w), fill, np.uint8)
    screen[top:top + idx.shape[0], left:left + idx.shape[1]] = idx
    return screen


def animation_cases(fx, rng):
    """ImageMagick animations with placed frames, disposal and local colour
    tables; every frame asked for in turn."""
    parts = []
    for k, (w, h, colours) in enumerate(((20, 14, 4), (7, 5, 16), (11, 9, 3), (6, 13, 200))):
        part = fx.path('anim_part%d.png' % k)
        random_palette_image(rng, h, w, colours).convert('RGB').save(part)
        parts.append(part)
    args = [cf.CONVERT, '-comment', 'brightwarden', '-delay', '37', '-dispose', 'None',
            '-page', '20x14+0+0', parts[0], '-dispose', 'Background', '-page', '+3+2', parts[1],
            '-delay', '5', '-dispose', 'Previous', '-page', '+9+5', parts[2],
            '-page', '+14+1', parts[3], '-loop', '3']
    out = fx.path('im_anim.gif')
    subprocess.run(args + [out], check=True)
    count = frame_count(out)
    # Each frame's graphic control as giftext reads it, the loop count and
    # comment as gifbuild dumps them.
    text = subprocess.run(['/usr/bin/giftext', out], check=True, capture_output=True, text=True).stdout
    disposals = re.findall(r'Disposal Mode: (\d+)', text)
    delays = re.findall(r'DelayTime: (\d+)', text)
    dump = subprocess.run([GIFBUILD, '-d', out], check=True, capture_output=True, text=True).stdout
    loop = re.search(r'netscape loop (\d+)', dump).group(1)
    comment = re.search(r'^comment\n(.*?)\nend', dump, re.M).group(1).strip()
    if len(disposals) != count or len(delays) != count or comment != 'brightwarden':
        cf.fail('ImageMagick wrote other graphic controls or comment than asked for')
    for k in range(count):
        name = 'im_anim_frame%d' % k
        fx.add(name, 'im_anim.gif', None, expected_frame(out, k, 0), 'idx')
        write_meta(fx, name, ['frame %d' % k, 'frames %d' % count, 'delay ' + delays[k],
                              'disposal ' + disposals[k], 'loop ' + loop, 'comment ' + comment])
    # A transparent first frame smaller than its screen: the rest of the
    # picture is the transparent index.
    small = fx.path('im_small.gif')
    subprocess.run([cf.CONVERT, '-page', '30x20+4+3', parts[1], '-transparent',
                    '#%02x%02x%02x' % Image.open(parts[1]).getpixel((0, 0)), '-loop', '0', small], check=True)
    text = subprocess.run(['/usr/bin/giftext', small], check=True, capture_output=True, text=True).stdout
    index = int(re.search(r'Transparent Index: (-?\d+)', text).group(1))
    if index < 0:
        cf.fail('ImageMagick wrote no transparent index')
    fx.add('im_small', 'im_small.gif', None, expected_frame(small, 0, index), 'idx')
    write_meta(fx, 'im_small', ['frames 1', 'bkgnd %d' % index])


def gifbuild_text(width, height, tiles, screen_map=None):
    """A gifbuild description; tiles: (left, top, palette rows, index rows)."""
    out = ['screen width %d' % width, 'screen height %d' % height, 'screen colors 256',
           'screen background 0', 'pixel aspect byte 0', '']
    if screen_map is not None:
        out += ['screen map'] + ['\trgb %03d %03d %03d is %s' % (tuple(c) + (KEYS[i],))
                                  for i, c in enumerate(screen_map)] + ['end', '']
    for n, (left, top, palette, idx) in enumerate(tiles):
        out += ['image # %d' % (n + 1), 'image left %d' % left, 'image top %d' % top]
        if palette is not None:
            out += ['image map'] + ['\trgb %03d %03d %03d is %s' % (tuple(c) + (KEYS[i],))
                                     for i, c in enumerate(palette)] + ['end']
        out += ['image bits %d by %d' % (idx.shape[1], idx.shape[0])]
        out += [''.join(KEYS[v] for v in row) for row in idx] + ['']
    return '\n'.join(out) + '\n'


def build(fx, name, text):
    path = fx.path(name + '.gif')
    with open(path, 'wb') as f:
        subprocess.run([GIFBUILD], input=text.encode(), stdout=f, check=True)
    return path


def true_colour_cases(fx, rng):
    """Files of small frames with local tables and no global one compose
    into one 24-bit picture."""
    width, height, tiles = 23, 11, []
    picture = np.zeros((height, width, 3), np.uint8)
    for top in range(0, height, 5):
        for left in range(0, width, 8):
            w, h = min(8, width - left), min(5, height - top)
            palette = rng.integers(0, 256, (1 + int(rng.integers(1, 40)), 3))
            idx = rng.integers(0, len(palette), (h, w))
            tiles.append((left, top, palette, idx))
            picture[top:top + h, left:left + w] = palette[idx]
    build(fx, 'built_true_colour', gifbuild_text(width, height, tiles))
    fx.add('built_true_colour', 'built_true_colour.gif', None, picture)
    write_meta(fx, 'built_true_colour', ['bpp 24', 'frames %d' % len(tiles)])


def resync_case(fx, rng):
    """A frame whose data holds a code past the next free slot, then a sound
    frame: the decoder finds the second one by the ',' after a 0 byte."""
    idx = rng.integers(0, 5, (6, 9))
    palette = rng.integers(0, 256, (5, 3))
    sound = build(fx, 'resync_sound', gifbuild_text(9, 6, [(0, 0, None, idx)], palette))
    with open(sound, 'rb') as f:
        data = f.read()
    first = data.index(b',', 13 + 3 * (2 << (data[10] & 7)))
    # Clear, pixel 1, then code 7 where 6 is the next slot, then end.
    broken = b',' + struct.pack('<HHHHB', 0, 0, 9, 6, 0) + bytes([2, 2, 0xCC, 0x0B, 0])
    with open(fx.path('resync.gif'), 'wb') as f:
        f.write(data[:first] + broken + data[first:])
    fx.add('resync', 'resync.gif', None, expected_frame(sound, 0, 0), 'idx')
    write_meta(fx, 'resync', ['frame 1', 'frames 2'])


def hostile_cases(fx, rng):
    """Crafted files: each must end, and a failure must carry a text."""
    bad = {}

    def gif(screen_w, screen_h, body, table=b'\x00\x00\x00\xff\xff\xff'):
        flags = 0x80 if table else 0
        return b'GIF89a' + struct.pack('<HHBBB', screen_w, screen_h, flags, 0, 0) + table + body

    def image(left, top, w, h, data, flags=0):
        return b',' + struct.pack('<HHHHB', left, top, w, h, flags) + data

    for size in (0, 1, 12):
        bad['code_size_%d.gif' % size] = (gif(4, 4, image(0, 0, 4, 4, bytes([size, 2, 0xff, 0xff, 0]))
                                               + b';'), 'any')
    # Codes far past the next free slot straight after the first pixel.
    bad['codes_past_slot.gif'] = (gif(8, 8, image(0, 0, 8, 8, bytes([2, 3, 0x84, 0xff, 0xff, 0])) + b';'), 'any')
    # Sub-blocks up to the end of the file without a terminator.
    bad['endless_blocks.gif'] = (gif(8, 8, image(0, 0, 8, 8, bytes([2]) + bytes([255] + [0x11] * 255) * 300)), 'any')
    bad['huge_screen.gif'] = (gif(65535, 65535, image(0, 0, 65535, 65535, bytes([2, 2, 0x4c, 0x01, 0])) + b';'),
                              'fail')
    bad['off_screen_only.gif'] = (gif(4, 4, image(2, 2, 4, 4, bytes([2, 2, 0x4c, 0x01, 0])) + b';'), 'fail')
    bad['no_frames.gif'] = (gif(4, 4, b'!\xfe\x03abc\x00;'), 'fail')
    bad['extension_cut.gif'] = (gif(4, 4, b'!\xf9\x04\x01'), 'fail')
    bad['not_gif.gif'] = (b'GIF7' + bytes(20), 'fail')
    cf.write_listed(fx, 'hostile.txt', [(name, data, kind) for name, (data, kind) in bad.items()])


def main(out_dir):
    fx = cf.Fixtures(out_dir)
    rng = np.random.default_rng(124)
    pil_cases(fx, rng)
    interlaced_twins(fx, rng)
    animation_cases(fx, rng)
    true_colour_cases(fx, rng)
    resync_case(fx, rng)
    hostile_cases(fx, rng)
    fx.finish()


if __name__ == '__main__':
    main(sys.argv[1])
