"""Checks the TIFF files the encoder test wrote: tiffinfo -D reads every
strip without complaint, PIL reads the expected pixels (exactly, or within
the PSNR a "psnr" line gives), and the tags hold what <name>.meta says:
"photometric", "compression", "predictor", "dpi X Y", "rowsmultiple N"
(rows per strip a multiple of N). The image the test encoded must be the
one it kept: for 1-bit files the stored bits follow the photometric."""
import io
import os
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

TIFFINFO = '/usr/bin/tiffinfo'
EXPECTED_FILES = 17 * 3 + 2


def psnr(a, b):
    err = np.mean((a.astype(np.float64) - b.astype(np.float64)) ** 2)
    return 99.0 if err == 0 else 10 * np.log10(255.0 ** 2 / err)


def check_tags(name, im, meta):
    tags = im.tag_v2
    for line in meta:
        key, *values = line.split()
        if key == 'photometric' and tags.get(262) != int(values[0]):
            cf.fail('%s: photometric %s' % (name, tags.get(262)))
        if key == 'compression' and tags.get(259) != int(values[0]):
            cf.fail('%s: compression %s' % (name, tags.get(259)))
        if key == 'predictor' and tags.get(317, 1) != int(values[0]):
            cf.fail('%s: predictor %s' % (name, tags.get(317)))
        if key == 'dpi':
            if (float(tags.get(282)), float(tags.get(283)), tags.get(296)) != (
                    float(values[0]), float(values[1]), 2):
                cf.fail('%s: resolution %s %s unit %s' % (name, tags.get(282), tags.get(283),
                                                          tags.get(296)))
        if key == 'rowsmultiple' and tags.get(278) % int(values[0]) != 0:
            cf.fail('%s: %d rows per strip' % (name, tags.get(278)))


def main(out_dir):
    folder = os.path.join(out_dir, 'written')
    with open(os.path.join(folder, 'manifest.txt')) as f:
        cases = [line.split() for line in f if line.strip()]
    if len(cases) != EXPECTED_FILES:
        cf.fail('expected %d written files, found %d' % (EXPECTED_FILES, len(cases)))
    for name, file_name, width, height, kind in cases:
        path = os.path.join(folder, file_name)
        info = subprocess.run([TIFFINFO, '-D', path], capture_output=True, text=True)
        if info.returncode != 0 or info.stderr.strip():
            cf.fail('%s: tiffinfo says\n%s%s' % (name, info.stdout, info.stderr))
        with open(path, 'rb') as f:
            data = f.read()
        with open(os.path.join(folder, name + '.rgb'), 'rb') as f:
            want = np.frombuffer(f.read(), np.uint8).reshape(int(height), int(width), 3)
        with open(os.path.join(folder, name + '.meta')) as f:
            meta = [line for line in f.read().splitlines() if line]
        im = Image.open(io.BytesIO(data))
        check_tags(name, im, meta)
        got = np.array(im.convert('RGB'))
        limit = [float(line.split()[1]) for line in meta if line.startswith('psnr ')]
        if limit:
            if psnr(got, want) < limit[0]:
                cf.fail('%s: PIL reads %.1f dB' % (name, psnr(got, want)))
        elif not np.array_equal(got, want):
            cf.fail('%s: PIL reads other pixels' % name)
    print('%d files pass tiffinfo and PIL' % len(cases))


if __name__ == '__main__':
    main(sys.argv[1])
