#!/usr/bin/python3
"""Configuration archives for the restore tests, written with zipfile.

The product entry "Brightwarden" holds the keep list, a zero byte and the
version. Usage: make_restore_archives.py OUTPUT_FOLDER
"""
import sys
import zipfile
from pathlib import Path

PRODUCT = 'Brightwarden'


def archive(path, entries, compression=zipfile.ZIP_DEFLATED):
    with zipfile.ZipFile(path, 'w', compression) as z:
        for name, data in entries:
            z.writestr(zipfile.ZipInfo(name), data, compress_type=compression)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    product = (PRODUCT, b'\0' + b'1.0.0')
    good = [product, ('Options.kzc', b'new options'), ('sub/x.kzc', b'new sub file')]
    archive(out / 'restore_ok.OrvalundConfig', good)
    archive(out / 'restore_keep.OrvalundConfig',
            [(PRODUCT, b'old.kzc\0' + b'1.0.0')] + good[1:])
    archive(out / 'reset.OrvalundConfig', [product])
    archive(out / 'restore_noproduct.OrvalundConfig', good[1:])
    archive(out / 'restore_evil.OrvalundConfig',
            [product, ('../evil.kzc', b'outside'), ('sub/../../evil.kzc', b'outside')])

    # 256 KiB of new options: a few hundred bytes packed, too much for a full disk.
    archive(out / 'restore_big.OrvalundConfig',
            [product, ('Options.kzc', bytes(256 * 1024)), ('sub/x.kzc', b'new sub file')])

    whole = (out / 'restore_ok.OrvalundConfig').read_bytes()
    (out / 'restore_truncated.OrvalundConfig').write_bytes(whole[:len(whole) // 2])

    # A stored archive with one byte of an entry's data flipped: its CRC fails.
    flipped = out / 'restore_flipped.OrvalundConfig'
    archive(flipped, good, zipfile.ZIP_STORED)
    data = bytearray(flipped.read_bytes())
    at = data.find(b'new sub file')
    data[at] ^= 0x20
    flipped.write_bytes(bytes(data))


if __name__ == '__main__':
    main()
