"""Hand-made Windows DIBs built with struct, shared by the packed-DIB and BMP
fixture scripts. Each function returns the DIB bytes (info header first)
and the offset of its pixels within them."""
import struct

import numpy as np

BI_RGB, BI_RLE8, BI_RLE4, BI_BITFIELDS = 0, 1, 2, 3


def info_header(width, height, bpp, compression=BI_RGB, clr_used=0, size=40,
                size_image=0, ppm=2835):
    fields = struct.pack('<IiiHHIIiiII', size, width, height, 1, bpp, compression,
                         size_image, ppm, ppm, clr_used, 0)
    return fields + bytes(size - 40)


def with_file_header(dib, pixel_offset):
    return struct.pack('<HIHHI', 0x4D42, 14 + len(dib), 0, 0, 14 + pixel_offset) + dib


def palette(count, seed=3):
    rng = np.random.default_rng(seed)
    entries = rng.integers(0, 256, (count, 4), dtype=np.uint8)
    entries[:, 3] = 0
    return entries.tobytes()


def pad_rows(rows):
    """rows: list of bytes, bottom row first; each padded to 4 bytes."""
    return b''.join(r + bytes(-len(r) % 4) for r in rows)


def rle4_runs(width=7, padded=True):
    """RLE4 without deltas: encoded runs and literals; with padded, one
    literal of 5 nibbles takes 3 bytes and a pad byte."""
    literal = [0, 5, 0x67, 0x89, 0xA0, 0] if padded else [0, 4, 0x67, 0x89]
    stream = bytes([
        5, 0x12,               # 1 2 1 2 1
        0, 3, 0x34, 0x50,      # literal 3 4 5, two bytes: no pad
        0, 0] + literal + [
        2, 0xBC,               # B C
        0, 0,
        7, 0xDE,               # D E D E D E D
        0, 1])
    dib = info_header(width, 3, 4, BI_RLE4, 16, size_image=len(stream)) + palette(16)
    return dib + stream, 40 + 64


def rle4_deltas(width=9):
    """RLE4 with deltas: a delta moves dx pixels right and dy rows up."""
    stream = bytes([
        3, 0x12,               # row 0: 1 2 1
        0, 2, 3, 1,            # delta: x 3 -> 6, row 0 -> 1
        2, 0x45,               # row 1 x 6..7: 4 5
        0, 0,                  # next row (2)
        0, 2, 1, 0,            # delta: x 0 -> 1
        0, 3, 0x67, 0x80,      # literal 6 7 8 at x 1..3
        0, 2, 0, 1,            # delta: up one row (row 3), x stays 4
        1, 0xF0,               # F at x 4
        0, 0, 0, 0,            # line ends through the top row
        0, 1])
    dib = info_header(width, 5, 4, BI_RLE4, 16, size_image=len(stream)) + palette(16, 5)
    return dib + stream, 40 + 64


def rle8_deltas(width=11):
    """RLE8 with a delta and an odd literal (one pad byte)."""
    stream = bytes([
        4, 9,                  # row 0: 9 9 9 9
        0, 3, 1, 2, 3, 0,      # literal 1 2 3 + pad
        0, 2, 2, 1,            # delta to x 9, row 1
        2, 200,                # 200 200 at x 9..10
        0, 0,
        0, 4, 7, 6, 5, 4,      # row 2: literal of 4, no pad
        0, 0, 0, 0,            # line ends through the top row
        0, 1])
    dib = info_header(width, 4, 8, BI_RLE8, 256, size_image=len(stream)) + palette(256, 7)
    return dib + stream, 40 + 1024


def bitfields16(width, height, masks, seed=11, header_size=40):
    """16-bit BI_BITFIELDS; with a 40-byte header the masks follow it."""
    rng = np.random.default_rng(seed)
    pix = rng.integers(0, 65536, (height, width), dtype=np.uint16)
    rows = [pix[y].astype('<u2').tobytes() for y in range(height)]
    head = info_header(width, height, 16, BI_BITFIELDS, size=header_size)
    mask_bytes = struct.pack('<III', *masks)
    if header_size >= 52:
        head = head[:40] + mask_bytes + head[52:]
        dib = head
    else:
        dib = head + mask_bytes
    return dib + pad_rows(rows), len(dib)


def rgb555(width, height, seed=12):
    rng = np.random.default_rng(seed)
    pix = rng.integers(0, 32768, (height, width), dtype=np.uint16)
    rows = [pix[y].astype('<u2').tobytes() for y in range(height)]
    dib = info_header(width, height, 16)
    return dib + pad_rows(rows), len(dib)


def bitfields32(width, height, masks, seed=13):
    rng = np.random.default_rng(seed)
    pix = rng.integers(0, 256, (height, width, 4), dtype=np.uint8)
    dib = info_header(width, height, 32, BI_BITFIELDS) + struct.pack('<III', *masks)
    return dib + pix.tobytes(), len(dib)


def top_down(width, height, bpp, seed=14):
    """Uncompressed rows stored from the top (negative height)."""
    rng = np.random.default_rng(seed)
    row_bytes = (width * bpp + 31) // 32 * 4
    pal = palette(1 << bpp, seed) if bpp <= 8 else b''
    pixels = rng.integers(0, 256, height * row_bytes, dtype=np.uint8).tobytes()
    dib = info_header(width, -height, bpp, clr_used=len(pal) // 4) + pal
    return dib + pixels, len(dib)


def core_header(width, height, bpp, seed=15):
    """A 12-byte core header with 3-byte palette entries."""
    rng = np.random.default_rng(seed)
    row_bytes = (width * bpp + 31) // 32 * 4
    pal = rng.integers(0, 256, ((1 << bpp) * 3,), dtype=np.uint8).tobytes() if bpp <= 8 else b''
    head = struct.pack('<IHHHH', 12, width, height, 1, bpp)
    pixels = rng.integers(0, 256, height * row_bytes, dtype=np.uint8).tobytes()
    return head + pal + pixels, len(head) + len(pal)
