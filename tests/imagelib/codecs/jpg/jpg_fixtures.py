"""JPEG files for the decoder and what it must make of them.

Pixels: djpeg's output of the same file with the matching switches (PIL
must agree with djpeg); CMYK: the k-weighted formula on the stored bytes.
Exif fields: exiftool -n -j (PIL's getexif must agree). Hostile Exif data is
built with struct. <name>.meta lines, read by jpg_decode_test.cpp:
  option H | scale N | quality Q   how to decode
  bpp B | dpi X Y | palette N      what the image must have (<name>.pal: RGB)
  error TEXT                       the decode must fail with this text
  exif FIELD VALUE                 an ExifInfo field
  reader TEXT                      the Exif reader's own last error
Manifest kinds: rgb, idx, err (no pixels: the decode must fail).
"""
import io
import json
import os
import struct
import subprocess
import sys

import numpy as np
from PIL import Image

import codec_fixtures as cf

CJPEG, DJPEG, EXIFTOOL = '/usr/bin/cjpeg', '/usr/bin/djpeg', '/usr/bin/exiftool'
UNIT_FACTOR = {1: 1.0, 2: 1.0, 3: 0.3937007784843445, 4: 0.03937007859349251,
               5: 3.937007932108827e-05}
SOF_CODES = {0: 0xC0, 1: 0xC1, 2: 0xC2, 9: 0xC9, 10: 0xCA}


def photo(rng, w, h):
    y, x = np.mgrid[0:h, 0:w].astype(np.float64)
    base = np.stack([128 + 90 * np.sin(x / 37 + y / 53), 120 + 80 * np.cos(x / 61 - y / 29),
                     100 + 70 * np.sin((x + y) / 47)], axis=2)
    return np.clip(base + rng.normal(0, 12, (h, w, 3)), 0, 255).astype(np.uint8)


def run(args, data=None):
    """Output of a command; exit status 2 is djpeg's "decoded with warnings"."""
    r = subprocess.run(args, input=data, capture_output=True)
    if r.returncode not in (0, 2) or not r.stdout and args[0] != EXIFTOOL:
        cf.fail('%s failed: %s' % (' '.join(args), r.stderr.decode(errors='replace')))
    return r.stdout


def djpeg_error(path):
    """djpeg's final message for a file it cannot decode."""
    r = subprocess.run([DJPEG, path], capture_output=True, text=True)
    if r.returncode == 0:
        cf.fail('djpeg decodes ' + path)
    return r.stderr.strip().splitlines()[-1]


def pnm(data):
    a = np.array(Image.open(io.BytesIO(data)))
    return np.dstack([a] * 3) if a.ndim == 2 else a


class Cases:
    def __init__(self, out_dir):
        self.fx = cf.Fixtures(out_dir)

    def write(self, name, data):
        with open(self.fx.path(name + '.jpg'), 'wb') as f:
            f.write(data)
        return self.fx.path(name + '.jpg')

    def add(self, name, data, expected, meta=(), kind='rgb'):
        self.write(name, data)
        if kind == 'err':
            self.fx.lines.append('%s %s.jpg 0 0 err' % (name, name))
        else:
            self.fx.add(name, name + '.jpg', None, expected, kind)
        with open(self.fx.path(name + '.meta'), 'w') as f:
            f.write(''.join(line + '\n' for line in meta))

    def add_error(self, name, data, text, meta=()):
        self.add(name, data, None, list(meta) + ['error ' + text], 'err')


def decode_cases(c, rng):
    """cjpeg's variants at three sizes, each at full size and 1/2, 1/4, 1/8."""
    variants = {'baseline': [], 'progressive': ['-progressive'], 'arithmetic': ['-arithmetic'],
                'grayscale': ['-grayscale'], 'restart': ['-restart', '1'],
                'sample2x1': ['-sample', '2x1'], 'sample1x1': ['-sample', '1x1']}
    for w, h in ((1, 1), (17, 9), (1001, 667)):
        ppm = ppm_bytes(photo(rng, w, h))
        for variant, args in variants.items():
            data = run([CJPEG] + args, ppm)
            for n in (1, 2, 4, 8):
                name = '%s_%dx%d_s%d' % (variant, w, h, n)
                want = pnm(run([DJPEG, '-pnm', '-scale', '1/%d' % n], data))
                # PIL feeds libjpeg in pieces, which its arithmetic decoder
                # cannot take on large files.
                if variant != 'arithmetic':
                    check_pil(name, data, n, want)
                c.add(name, data, want, ['scale %d' % n, 'bpp %d' % (8 if variant == 'grayscale' else 24)])


def ppm_bytes(arr):
    buf = io.BytesIO()
    Image.fromarray(arr).save(buf, 'PPM')
    return buf.getvalue()


def check_pil(name, data, n, want):
    with Image.open(io.BytesIO(data)) as im:
        w, h = im.size
        if n > 1:
            if w // n < 1 or h // n < 1:
                return
            im.draft(im.mode, (w // n, h // n))
        got = np.array(im)
    got = np.dstack([got] * 3) if got.ndim == 2 else got
    if got.shape != want.shape or not np.array_equal(got, want):
        cf.fail(name + ': PIL and djpeg disagree')


def bmp_indices(data):
    """Indices (rows from the top) and palette of an 8-bit BMP from djpeg."""
    width, height = struct.unpack_from('<ii', data, 18)
    offset, used = struct.unpack_from('<I', data, 10)[0], struct.unpack_from('<I', data, 46)[0]
    palette = np.frombuffer(data, np.uint8, 4 * used, 54).reshape(used, 4)[:, 2::-1]
    stride = (width + 3) // 4 * 4
    rows = np.frombuffer(data, np.uint8, stride * height, offset).reshape(height, stride)
    return rows[::-1, :width], palette


def option_cases(c, rng, medium):
    """Decode options against djpeg's switches, CMYK against its formula.
    The two-pass and one-pass quantizers both make exactly 64 colours here;
    djpeg pads its BMP colour table with black."""
    for name, option, args in (('opt_grey', 0x80, ['-grayscale']), ('opt_nosmooth', 0x800, ['-nosmooth']),
                               ('scale0', 0, [])):
        meta = ['option %#x' % option] + (['scale 0'] if name == 'scale0' else [])
        c.add(name, medium, pnm(run([DJPEG, '-pnm'] + args, medium)), meta)
    for name, option, args in (('opt_quant64', 0x100, []), ('opt_grey_quant64', 0x180, ['-grayscale']),
                               ('opt_onepass64', 0x500, ['-onepass'])):
        idx, pal = bmp_indices(run([DJPEG, '-bmp', '-colors', '64'] + args, medium))
        if pal[64:].any() or idx.max() >= 64:
            cf.fail(name + ': djpeg made more than 64 colours')
        with open(c.fx.path(name + '.pal'), 'wb') as f:
            f.write(pal[:64].tobytes())
        c.add(name, medium, idx, ['option %#x' % option, 'quality 64', 'palette 64'], 'idx')
    src = c.fx.path('cmyk_source.ppm')
    Image.fromarray(photo(rng, 23, 14)).save(src)
    out = c.fx.path('cmyk.jpg')
    subprocess.run(['/usr/bin/convert', src, '-colorspace', 'CMYK', out], check=True)
    os.remove(src)
    with Image.open(out) as im:
        stored = 255 - np.array(im).astype(np.uint32)  # PIL inverts Adobe CMYK
        rgb = np.array(im.convert('RGB')).astype(int)
    k = stored[..., 3]
    want = np.stack([stored[..., i] * k // 255 for i in range(3)], axis=2)
    if np.abs(want - rgb).max() > 1:
        cf.fail('CMYK formula and PIL differ by more than 1')
    with open(out, 'rb') as f:
        c.add('cmyk', f.read(), want, ['bpp 24', 'option 0x100'])


def damage_cases(c, medium):
    cut = medium[:len(medium) * 6 // 10]
    c.add('cut_60', cut, pnm(run([DJPEG, '-pnm'], cut)))
    for name, data in (('cut_header', medium[:300]), ('empty', b''), ('not_jpeg', b'GIF89a' + bytes(40))):
        c.add_error(name, data, djpeg_error(c.write(name, data)))


def exiftool_json(path):
    return json.loads(run([EXIFTOOL, '-n', '-j', '-a', '-G1', path]))[0]


# ExifInfo fields and the exiftool keys (-n -G1) that hold the same values.
TEXT_FIELDS = {'szCameraMake': 'IFD0:Make', 'szCameraModel': 'IFD0:Model',
               'szDateTime': 'ExifIFD:DateTimeOriginal', 'szComments': 'ExifIFD:UserComment',
               'szVersion': 'ExifIFD:ExifVersion'}
NUMBER_FIELDS = {'fXResolution': 'IFD0:XResolution', 'fYResolution': 'IFD0:YResolution',
                 'fApertureFNumber': 'ExifIFD:FNumber', 'fFocalLength': 'ExifIFD:FocalLength',
                 'fExposureTime': 'ExifIFD:ExposureTime', 'fExposureBias': 'ExifIFD:ExposureCompensation',
                 'fDistance': 'ExifIFD:SubjectDistance', 'fBrightness': 'ExifIFD:BrightnessValue',
                 'fFocalPlaneXRes': 'ExifIFD:FocalPlaneXResolution',
                 'fFocalPlaneYRes': 'ExifIFD:FocalPlaneYResolution',
                 'iExposureProgram': 'ExifIFD:ExposureProgram', 'iMeteringMode': 'ExifIFD:MeteringMode',
                 'iLightSource': 'ExifIFD:LightSource', 'iCompressionLevel': 'ExifIFD:CompressedBitsPerPixel',
                 'iThumbnailSize': 'IFD1:ThumbnailLength'}


def exif_expectations(data, info):
    """What the reader must find, as exiftool reads the file (PIL agrees)."""
    lines = ['exif bIsExif %d' % any(k.startswith(('IFD0:', 'ExifIFD:')) for k in info),
             'exif iWidth %d' % info['File:ImageWidth'], 'exif iHeight %d' % info['File:ImageHeight'],
             'exif iIsColor %d' % (info['File:ColorComponents'] == 3),
             'exif iProcess %d' % SOF_CODES[info['File:EncodingProcess']]]
    lines += ['exif %s %s' % (f, info[k]) for f, k in TEXT_FIELDS.items() if k in info]
    lines += ['exif %s %r' % (f, int(info[k]) if f[0] == 'i' else info[k])
              for f, k in NUMBER_FIELDS.items() if k in info]
    extra = {'iOrientation': info.get('IFD0:Orientation'),
             'fResolutionUnit': UNIT_FACTOR.get(info.get('IFD0:ResolutionUnit')),
             'fFocalPlaneUnits': UNIT_FACTOR.get(info.get('ExifIFD:FocalPlaneResolutionUnit')),
             'iIsoEquivalent': info.get('ExifIFD:ISO'), 'iFlashUsed': info.get('ExifIFD:Flash'),
             'iThumbnailOffset': info.get('IFD1:ThumbnailOffset')}
    if extra['iOrientation'] is not None and not 1 <= extra['iOrientation'] <= 8:
        extra['iOrientation'] = 0
    if extra['iIsoEquivalent'] is not None and extra['iIsoEquivalent'] < 50:
        extra['iIsoEquivalent'] *= 200
    if extra['iFlashUsed'] is not None:
        extra['iFlashUsed'] = int(extra['iFlashUsed'] & 7 != 0)
    if extra['iThumbnailOffset'] is not None:
        extra['iThumbnailOffset'] -= data.index(b'Exif\0\0') + 6  # from the TIFF header
    if 'ExifIFD:ExposureTime' not in info and 'ExifIFD:ShutterSpeedValue' in info:
        extra['fExposureTime'] = info['ExifIFD:ShutterSpeedValue']
    if 'ExifIFD:FNumber' not in info and 'ExifIFD:ApertureValue' in info:
        extra['fApertureFNumber'] = info['ExifIFD:ApertureValue']
    if extra['fFocalPlaneUnits']:
        extra['fCcdWidth'] = (info['ExifIFD:ExifImageWidth'] * extra['fFocalPlaneUnits'] /
                              info['ExifIFD:FocalPlaneXResolution'])
    lines += ['exif %s %r' % (f, v) for f, v in extra.items() if v is not None]
    pil = Image.open(io.BytesIO(data)).getexif()
    if pil.get(0x010F) != info.get('IFD0:Make') or pil.get(0x0112) != info.get('IFD0:Orientation'):
        cf.fail('PIL and exiftool read other Exif values')
    return lines


def expected_dpi(info):
    """Exif's resolution per axis (no unit: inches), else JFIF's: dots per
    cm rounded to inches, or with no unit the pixel aspect applied to the
    horizontal resolution."""
    factor = UNIT_FACTOR.get(info.get('IFD0:ResolutionUnit'), 1.0)
    ex, ey = (int(info.get('IFD0:%sResolution' % a, 0) / factor) for a in 'XY')
    unit, jx, jy = (info['JFIF:' + k] for k in ('ResolutionUnit', 'XResolution', 'YResolution'))
    cm = lambda v: int(v * 2.54 + 0.5) if unit == 2 else v
    x = ex or (96 if unit == 0 else cm(jx))
    return x, ey or (int(x * jy / jx) if unit == 0 else cm(jy))


CAMERA = ['-Make=Brightcam', '-Model=Model Seven Long Name', '-DateTimeOriginal=2021:03:04 05:06:07',
          '-ISO=2', '-FNumber=2.8', '-ExposureTime=0.004', '-Flash#=25', '-FocalLength=50',
          '-FocalPlaneXResolution=4000', '-FocalPlaneYResolution=3000', '-FocalPlaneResolutionUnit#=3',
          '-ExifImageWidth=3000', '-ExifImageHeight=2000', '-UserComment=hello world',
          '-ExposureProgram#=2', '-MeteringMode#=5', '-LightSource#=1', '-ExposureCompensation=-0.5',
          '-SubjectDistance=3.5', '-BrightnessValue=1.25', '-CompressedBitsPerPixel=3']
RES = lambda x, y, unit: ['-IFD0:XResolution=%s' % x, '-IFD0:YResolution=%s' % y, '-IFD0:ResolutionUnit=' + unit]
JFIF = lambda x, y, unit: ['-JFIF:XResolution=%s' % x, '-JFIF:YResolution=%s' % y, '-JFIF:ResolutionUnit=' + unit]
EXIF_CASES = {
    'exif_mm_300in': ['-ExifByteOrder=MM', '-Orientation#=6'] + RES(300, 300, 'inches') + CAMERA,
    'exif_ii_118cm': ['-ExifByteOrder=II'] + RES(118, 118, 'cm') + CAMERA,
    'exif_300cm_thumb': ['-Make=Thumbcam', '-ThumbnailImage<=%(thumb)s'] + RES(300, 300, 'cm'),
    'exif72_jfif300': RES(72, 72, 'inches') + JFIF(300, 300, 'inches'),
    'exif_x_only_no_unit': RES(200, '', '') + JFIF(150, 150, 'inches'),
    'exif_x_only_jfif_aspect': RES(200, '', '') + JFIF(2, 3, 'none'),
    'jfif_cm_118': JFIF(118, 118, 'cm'),
    'jfif_aspect': JFIF(2, 3, 'none'),
    'exif_apex_only': ['-Make=Apexcam', '-ShutterSpeedValue=1/128', '-ApertureValue=2.8'] + RES(240, 240, 'inches'),
    'exif_comment_patched': ['-Make=Patchcam', '-UserComment=wordXYZ'] + RES(240, 240, 'inches'),
}
for _o in range(1, 10):
    EXIF_CASES['exif_orientation%d' % _o] = ['-Make=Turncam', '-Orientation#=%d' % _o] + RES(250, 250, 'inches')


def exif_cases(c, small):
    thumb = c.write('thumbnail_source', small)
    for name, args in EXIF_CASES.items():
        path = c.write(name, small)
        run([EXIFTOOL, '-q', '-q', '-overwrite_original'] + [a % {'thumb': thumb} for a in args] + [path])
        with open(path, 'rb') as f:
            data = f.read()
        if name == 'exif_comment_patched':
            data = data.replace(b'wordXYZ', b'word   ')
            c.write(name, data)
        info = exiftool_json(path)
        meta = ['dpi %d %d' % expected_dpi(info)] + exif_expectations(data, info)
        meta.append('reader Undefined rotation value' if name == 'exif_orientation9' else 'reader')
        c.add(name, data, pnm(run([DJPEG, '-pnm'], data)), meta)
    os.remove(thumb)


# ---- hostile Exif data, built by hand ----

def ifd(entries, next_link=0, mm=True):
    """A directory: entries are (tag, format, count, 4 value bytes)."""
    e = '>' if mm else '<'
    body = struct.pack(e + 'H', len(entries))
    for tag, fmt, count, value in entries:
        body += struct.pack(e + 'HHI', tag, fmt, count) + value
    return body + struct.pack(e + 'I', next_link)


def app1(tiff):
    body = b'Exif\0\0' + tiff
    return b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body


def tiff(first, rest):
    """MM header with the first-directory offset, then rest at offset 8."""
    return b'MM\0\x2a' + struct.pack('>I', first) + rest


def with_segments(jpeg, segments):
    return jpeg[:2] + b''.join(segments) + jpeg[2:]


def u32(v):
    return struct.pack('>I', v)


def resolution_ifd(at, extra=(), next_link=0):
    """A directory at offset `at` with X resolution 300/1 after it."""
    entries = list(extra) + [(0x011A, 5, 1, u32(0))]
    size = 2 + 12 * len(entries) + 4
    entries[-1] = (0x011A, 5, 1, u32(at + size))
    return ifd(entries, next_link) + struct.pack('>II', 300, 1)


def nested_chain(levels):
    """IFD0 -> Exif IFD -> ... each directory linking the next with 0x8769."""
    out, at = b'', 8
    for level in range(levels):
        link = at + 18 if level + 1 < levels else 0
        entry = [(0x8769, 4, 1, u32(link))] if link else [(0x9208, 3, 1, struct.pack('>HH', 4, 0))]
        out += ifd(entry)
        at += 18
    return out


def hostile_cases(c, small):
    """Each ends with a text or partial fields, and libjpeg still decodes the
    image (the reader's segments are APPn and COM, which libjpeg skips)."""
    comment = b'line one\r\nline\x01two\xe9'
    cases = {
        # Six levels: the sixth lies beyond the nesting limit; IFD0 is fine.
        'nest_depth5': ([app1(tiff(8, nested_chain(6)))], 1,
                        'Maximum directory nesting exceeded (corrupt exif header)', []),
        'self_links_2000': ([app1(tiff(16, bytes(8) + ifd([(0x8769, 4, 1, u32(16))] * 2000, 16)))], 1, '', []),
        'sections_21': ([b'\xff\xe2\x00\x04ab'] * 21, 0, 'Too many sections in jpg file', []),
        # 32 bytes at 0xFFFFFFF0 and 2^30 doubles both wrap in 32 bits.
        'offset_fffffff0': ([app1(tiff(8, ifd([(0x010F, 2, 32, u32(0xFFFFFFF0))])))], 0,
                            'Illegal pointer offset value in EXIF.', []),
        'count_2p30_double': ([app1(tiff(8, ifd([(0x011A, 12, 0x40000000, u32(8))])))], 0,
                              'Illegal pointer offset value in EXIF.', []),
        'app1_10_bytes': ([b'\xff\xe1\x00\x0aExif\0\0MM'], 0, '', []),
        'first_ifd_past_end': ([app1(tiff(5000, ifd([])))], 0, 'Illegal subdirectory link', []),
        # No Exif Y resolution: JFIF's square pixels make it follow X.
        'ifd0_at_200': ([app1(tiff(200, bytes(192) + resolution_ifd(200)))], 1, '',
                        ['exif fXResolution 300', 'dpi 300 300']),
        'ifd0_links_itself': ([app1(tiff(8, resolution_ifd(8, next_link=8)))], 1, '',
                              ['exif fXResolution 300', 'dpi 300 300']),
        'string_at_end': ([app1(tiff(8, ifd([(0x010F, 2, 6, u32(26))]) + b'Maker!'))], 1, '',
                          ['exif szCameraMake Maker!']),
        'comment_cleaning': ([b'\xff\xfe' + struct.pack('>H', len(comment) + 2) + comment], 0, '',
                             ['exif szComments line one\\nline?two?']),
    }
    for name, (segments, has_exif, reader, extra) in cases.items():
        data = with_segments(small, segments)
        meta = ['exif bIsExif %d' % has_exif, ('reader ' + reader).strip()] + extra
        c.add(name, data, pnm(run([DJPEG, '-pnm'], data)), meta)
    # A frame header too short for frame values, after the real one: the
    # real one's values stay. libjpeg refuses the file.
    sof = small.index(b'\xff\xc0')
    end = sof + 2 + struct.unpack_from('>H', small, sof + 2)[0]
    data = small[:end] + b'\xff\xc7\x00\x02' + small[end:]
    c.add_error('sof_2_bytes', data, djpeg_error(c.write('sof_2_bytes', data)),
                ['exif iWidth 17', 'exif iHeight 9', 'exif iProcess 192'])
    for name, data in (('eof_in_marker', small[:2] + b'\xff'), ('eof_in_length', small[:2] + b'\xff\xe1\x00'),
                       ('eof_in_segment', small[:2] + b'\xff\xe1\x00\x40Exif')):
        c.add_error(name, data, djpeg_error(c.write(name, data)), ['reader Premature end of file?'])


def bomb_cases(c, rng):
    """Headers that promise far more than the file holds."""
    src = ppm_bytes(photo(rng, 32, 32))
    for name, args, scale, text in (
            ('bomb_progressive', ['-progressive'], 1, 'RASTER_MAX_MEMORY exceeded'),
            ('bomb_progressive_s8', ['-progressive'], 8, 'JPEG data too short for its image size'),
            ('bomb_arithmetic_s8', ['-progressive', '-arithmetic'], 8, 'Backing store not supported')):
        data = bytearray(run([CJPEG] + args, src))
        sof = max(data.find(b'\xff\xc2'), data.find(b'\xff\xca'))
        struct.pack_into('>HH', data, sof + 5, 60000, 60000)
        c.add_error(name, bytes(data), text, ['scale %d' % scale])
    # One AC scan of a progressive file repeated 3,000 times.
    data = run([CJPEG, '-progressive'], ppm_bytes(photo(rng, 64, 64)))
    scans = [i for i in range(len(data) - 1) if data[i:i + 2] == b'\xff\xda']
    last = data[scans[-1]:data.rindex(b'\xff\xd9')]
    c.add_error('bomb_scans_3000', data[:-2] + last * 3000 + b'\xff\xd9', 'Too many scans in JPEG file')


def main(out_dir):
    c = Cases(out_dir)
    rng = np.random.default_rng(122)
    decode_cases(c, rng)
    medium = run([CJPEG], ppm_bytes(photo(rng, 211, 137)))
    small = run([CJPEG], ppm_bytes(photo(rng, 17, 9)))
    option_cases(c, rng, medium)
    damage_cases(c, medium)
    exif_cases(c, small)
    hostile_cases(c, small)
    bomb_cases(c, rng)
    c.fx.finish()


if __name__ == '__main__':
    main(sys.argv[1])
