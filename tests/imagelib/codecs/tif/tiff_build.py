"""A small TIFF writer (struct) for pages that the tools cannot make:
any bit count, photometric, colour map, extra samples, orientation and
tiling, little or big endian. Samples are packed as libtiff expects them:
16, 24 and 32-bit samples in the file's byte order, other widths as a bit
stream with the most significant bit first.
"""
import struct

import numpy as np

SHORT, LONG, RATIONAL = 3, 4, 5


def pack_rows(samples, bits, order='<'):
    """samples: (h, w, spp) integers -> list of packed row bytes."""
    h, w, spp = samples.shape
    rows = []
    for y in range(h):
        flat = samples[y].reshape(-1).astype(np.uint64)
        if bits in (8, 16, 32):
            dtype = {8: 'u1', 16: 'u2', 32: 'u4'}[bits]
            rows.append(flat.astype(order + dtype).tobytes())
        elif bits == 24:
            b = [(int(v) >> s) & 255 for v in flat for s in (0, 8, 16)]
            if order == '>':
                b = [x for i in range(0, len(b), 3) for x in b[i:i + 3][::-1]]
            rows.append(bytes(b))
        else:
            bitstring = ''.join(format(int(v), '0%db' % bits) for v in flat)
            bitstring += '0' * (-len(bitstring) % 8)
            rows.append(int(bitstring, 2).to_bytes(len(bitstring) // 8, 'big') if bitstring else b'')
    return rows


def tiff_bytes(samples, bits, photometric, colormap=None, extra=(), orientation=None,
               rows_per_strip=None, tile=None, order='<', resolution=None, unit=2,
               position=None, sample_format=None, pages_after=()):
    """One page (plus pages_after: more tiff_bytes keyword dicts)."""
    pages = [dict(samples=samples, bits=bits, photometric=photometric, colormap=colormap,
                  extra=extra, orientation=orientation, rows_per_strip=rows_per_strip, tile=tile,
                  resolution=resolution, unit=unit, position=position,
                  sample_format=sample_format)] + list(pages_after)
    out = bytearray((b'II*\x00' if order == '<' else b'MM\x00*') + b'\0\0\0\0')
    link_at = 4
    for page in pages:
        ifd = page_ifd(out, order, **page)
        struct.pack_into(order + 'I', out, link_at, ifd[0])
        link_at = ifd[1]
    return bytes(out)


def page_ifd(out, order, samples, bits, photometric, colormap, extra, orientation,
             rows_per_strip, tile, resolution, unit, position, sample_format):
    h, w, spp = samples.shape
    tags = {256: (LONG, [w]), 257: (LONG, [h]), 258: (SHORT, [bits] * spp), 259: (SHORT, [1]),
            262: (SHORT, [photometric]), 277: (SHORT, [spp]), 284: (SHORT, [1])}
    if orientation:
        tags[274] = (SHORT, [orientation])
    if colormap is not None:
        tags[320] = (SHORT, list(colormap[:, 0]) + list(colormap[:, 1]) + list(colormap[:, 2]))
    if extra:
        tags[338] = (SHORT, list(extra))
    if sample_format:
        tags[339] = (SHORT, [sample_format] * spp)
    if resolution:
        tags[282] = (RATIONAL, [resolution[0]])
        tags[283] = (RATIONAL, [resolution[1]])
        tags[296] = (SHORT, [unit])
    if position:
        tags[286] = (RATIONAL, [position[0]])
        tags[287] = (RATIONAL, [position[1]])
    chunks = []
    if tile:
        tw, tl = tile
        padded = np.zeros(((h + tl - 1) // tl * tl, (w + tw - 1) // tw * tw, spp), samples.dtype)
        padded[:h, :w] = samples
        for ty in range(0, padded.shape[0], tl):
            for tx in range(0, padded.shape[1], tw):
                chunks.append(b''.join(pack_rows(padded[ty:ty + tl, tx:tx + tw], bits, order)))
        tags[322], tags[323] = (LONG, [tw]), (LONG, [tl])
    else:
        rps = rows_per_strip or h
        rows = pack_rows(samples, bits, order)
        chunks = [b''.join(rows[y:y + rps]) for y in range(0, h, rps)]
        tags[278] = (LONG, [rps])
    offsets = []
    for c in chunks:
        if len(out) % 2:
            out += b'\0'
        offsets.append(len(out))
        out += c
    tags[324 if tile else 273] = (LONG, offsets)
    tags[325 if tile else 279] = (LONG, [len(c) for c in chunks])
    return write_ifd(out, order, tags)


def write_ifd(out, order, tags):
    """Appends the IFD (values beyond 4 bytes after it); returns its offset
    and the offset of its next-IFD link."""
    if len(out) % 2:
        out += b'\0'
    at = len(out)
    count = len(tags)
    value_at = at + 2 + 12 * count + 4
    entries, values = b'', b''
    for tag in sorted(tags):
        kind, vals = tags[tag]
        if kind == RATIONAL:
            data = b''.join(struct.pack(order + 'II', *rational(v)) for v in vals)
        else:
            data = b''.join(struct.pack(order + ('H' if kind == SHORT else 'I'), int(v)) for v in vals)
        if len(data) <= 4:
            field = data + b'\0' * (4 - len(data))
        else:
            field = struct.pack(order + 'I', value_at + len(values))
            values += data + (b'\0' if len(data) % 2 else b'')
        entries += struct.pack(order + 'HHI', tag, kind, len(vals)) + field
    out += struct.pack(order + 'H', count) + entries + b'\0\0\0\0' + values
    return at, at + 2 + 12 * count


def rational(v):
    if isinstance(v, tuple):
        return v
    return (int(round(v * 1000)), 1000)
