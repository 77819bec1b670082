"""Runs the codec benchmark and the same conversions in PIL and ImageMagick
(one thread, zlib level 6 with adaptive filtering for PNG) on three
pictures, and prints the times side by side with our time / the faster
peer's time.

usage: bench_compare.py <work folder> <bench_codecs executable>"""
import io
import os
import subprocess
import sys
import time

import numpy as np
from PIL import Image

CONVERT = '/usr/bin/convert'


def screenshot(width, height, rng):
    """Flat panels, title bars and text-like strokes."""
    img = np.full((height, width, 3), 240, np.uint8)
    for _ in range(40):
        x, y = rng.integers(0, width - 200), rng.integers(0, height - 100)
        w, h = rng.integers(100, 800), rng.integers(50, 500)
        img[y:y + h, x:x + w] = rng.integers(0, 256, 3)
        img[y:y + 24, x:x + w] = (40, 80, 160)
    for _ in range(width * height // 400):
        x, y = rng.integers(0, width - 8), rng.integers(0, height - 12)
        img[y:y + 10, x:x + 1] = 0
        img[y + 9, x:x + 6] = 0
    return img


def photo(width, height, rng):
    y, x = np.mgrid[0:height, 0:width]
    base = np.stack([128 + 100 * np.sin(x / 97.0 + k) * np.cos(y / 53.0 - k) for k in range(3)], -1)
    return np.clip(base + rng.normal(0, 6, base.shape), 0, 255).astype(np.uint8)


def best(runs, f):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        f()
        times.append((time.perf_counter() - start) * 1000)
    return min(times)


def pil_times(img):
    im = Image.fromarray(img)
    out = {}
    for fmt, opts in (('bmp', {}), ('png', {'compress_level': 6})):
        buf = io.BytesIO()
        out[fmt + '_encode'] = best(3, lambda: im.save(io.BytesIO(), fmt.upper(), **opts))
        im.save(buf, fmt.upper(), **opts)
        data = buf.getvalue()
        out[fmt + '_decode'] = best(3, lambda: Image.open(io.BytesIO(data)).load())
    return out


def magick_times(work, name):
    """convert's wall time for the conversion minus that of the same run
    without the step measured: encoding minus reading the source, decoding
    minus start-up on a 1x1 file of the same format."""
    src = os.path.join(work, name + '.ppm')
    tiny = os.path.join(work, 'tiny.ppm')
    Image.new('RGB', (1, 1)).save(tiny)

    def run(*args):
        return best(5, lambda: subprocess.run([CONVERT, '-limit', 'thread', '1'] + list(args), check=True))
    out = {}
    read_source = run(src, 'ppm:/dev/null')
    for fmt, opts in (('bmp', ['BMP3:']), ('png', ['-quality', '65', 'PNG24:'])):
        target = os.path.join(work, name + '.' + fmt)
        small = os.path.join(work, 'tiny.' + fmt)
        out[fmt + '_encode'] = run(src, *opts[:-1], opts[-1] + target) - read_source
        run(tiny, *opts[:-1], opts[-1] + small)
        out[fmt + '_decode'] = run(target, 'ppm:/dev/null') - run(small, 'ppm:/dev/null')
    return out


def main(work, bench):
    rng = np.random.default_rng(7)
    images = {'screen_1080p': screenshot(1920, 1080, rng), 'screen_2160p': screenshot(3840, 2160, rng),
              'photo_1080p': photo(1920, 1080, rng)}
    with open(os.path.join(work, 'list.txt'), 'w') as f:
        for name, img in images.items():
            img.tofile(os.path.join(work, name + '.rgb'))
            Image.fromarray(img).save(os.path.join(work, name + '.ppm'))
            f.write('%s %d %d\n' % (name, img.shape[1], img.shape[0]))
    ours = {}
    for line in subprocess.run([bench, work], check=True, capture_output=True, text=True).stdout.splitlines():
        name, op, ms, mbs, size = line.split()
        ours[(name, op)] = (float(ms), float(mbs))
    print('%-13s %-13s %9s %8s %9s %9s %7s' % ('image', 'operation', 'ours ms', 'MB/s', 'PIL ms', 'IM ms', 'ratio'))
    for name, img in images.items():
        pil, magick = pil_times(img), magick_times(work, name)
        for op in ('bmp_encode', 'bmp_decode', 'png_encode', 'png_decode'):
            ms, mbs = ours[(name, op)]
            peer = min(pil[op], magick[op]) if magick[op] > 0 else pil[op]
            print('%-13s %-13s %9.2f %8.0f %9.2f %9.2f %7.2f' % (name, op, ms, mbs, pil[op], magick[op], ms / peer))
        ms, mbs = ours[(name, 'dib_roundtrip')]
        print('%-13s %-13s %9.2f %8.0f' % (name, 'dib_roundtrip', ms, mbs))


if __name__ == '__main__':
    main(sys.argv[1], sys.argv[2])
