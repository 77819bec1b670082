#!/usr/bin/python3
"""Writes the program's icons as classic BMP-format .ico files.

Usage: make_icons.py OUTPUT_FOLDER
Every image is drawn here from simple shapes, so the icons need no binary
files in the repository. Entries hold a BITMAPINFOHEADER, the palette (for
1, 4 and 8 bits), the colour rows and the AND mask, bottom-up.
"""
import struct
import sys
from pathlib import Path

import program_icons


def palette_for(bits):
    if bits == 1:
        return [(0, 0, 0), (255, 255, 255)]
    if bits == 4:
        base = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
                (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
                (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
        return base
    return [((i >> 5) * 255 // 7, ((i >> 2) & 7) * 255 // 7, (i & 3) * 255 // 3) for i in range(256)]


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def encode_image(size, bits, draw):
    """draw(x, y) -> (r, g, b, a) with y counted from the top."""
    pixels = [[draw(x, y) for x in range(size)] for y in range(size)]
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    body = bytearray(header)
    palette = palette_for(bits) if bits <= 8 else None
    if palette:
        for r, g, b in palette:
            body += bytes((b, g, r, 0))
    stride = row_bytes(bits, size)
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixels[y][x]
            if bits == 32:
                row[x * 4:x * 4 + 4] = bytes((b, g, r, a))
                continue
            index = nearest(palette, (r, g, b)) if a else 0
            per_byte = 8 // bits
            shift = (per_byte - 1 - x % per_byte) * bits
            row[x // per_byte] |= index << shift
        body += row
    mask_stride = row_bytes(1, size)
    for y in reversed(range(size)):
        row = bytearray(mask_stride)
        for x in range(size):
            if pixels[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        body += row
    return bytes(body)


def write_ico(path, entries):
    """entries: list of (size, bits, draw)."""
    images = [(size, bits, encode_image(size, bits, draw)) for size, bits, draw in entries]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colors = (1 << bits) if bits < 8 else 0
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colors % 256, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    Path(path).write_bytes(bytes(out))


def write_cur(path, size, hotspot, draw):
    """One 32-bit cursor image; draw(x, y) -> (r, g, b, a)."""
    data = encode_image(size, 32, draw)
    out = bytearray(struct.pack('<HHH', 0, 2, 1))
    out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, hotspot[0], hotspot[1],
                       len(data), 6 + 16)
    out += data
    Path(path).write_bytes(bytes(out))


def eyedropper(x, y):
    """A pipette lying from its tip at the bottom left to its bulb at the top right."""
    # Distance along the tube (u) and across it (v), the tube running from
    # (1, 30) towards (23, 8).
    dx, dy = x - 1, 30 - y
    u = (dx + dy) / 2 ** 0.5
    v = (dx - dy) / 2 ** 0.5
    bulb = ((x - 25) ** 2 + (y - 6) ** 2) ** 0.5
    if bulb <= 4.5:
        return (30, 30, 30, 255)
    if bulb <= 6:
        return (0, 0, 0, 255)
    if 0 <= u <= 29 and abs(v) <= 1.0 + (u > 3) * 1.0:
        return (255, 255, 255, 255) if abs(v) <= (u > 3) * 1.0 and u > 1 else (0, 0, 0, 255)
    if 0 <= u <= 29 and abs(v) <= 2.6 + (u > 3) * 1.0:
        return (0, 0, 0, 255)
    return (0, 0, 0, 0)


def aperture(color):
    """A round lens in a square frame: the program's mark."""
    def draw(x, y, size):
        c = (size - 1) / 2
        d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
        if d <= size * 0.22:
            return (255, 255, 255, 255)
        if d <= size * 0.42:
            return color + (255,)
        if size * 0.08 <= x <= size * 0.92 and size * 0.08 <= y <= size * 0.92 and d > size * 0.47:
            return (40, 40, 48, 255)
        return (0, 0, 0, 0)
    return draw


def glyph(color, shape):
    def draw(x, y, size):
        u, v = x / (size - 1), y / (size - 1)
        if shape(u, v):
            return color + (255,)
        return (0, 0, 0, 0)
    return draw


SHAPES = {
    50000: ((30, 90, 200), lambda u, v: v < 0.3 or (0.1 < u < 0.9 and 0.1 < v < 0.9 and (u < 0.16 or u > 0.84 or v > 0.84))),
    50001: ((220, 120, 20), lambda u, v: (u - 0.5) ** 2 + (v - 0.5) ** 2 < 0.16),
    50002: ((20, 20, 20), lambda u, v: (0.2 < u < 0.35 and v > 0.15) or (v < 0.3 and 0.2 < u < 0.8) or (0.45 < v < 0.55 and 0.2 < u < 0.65)),
    50003: ((150, 120, 20), lambda u, v: (0.2 < u < 0.8 and 0.45 < v < 0.9) or (0.3 < u < 0.7 and 0.1 < v < 0.5 and not (0.4 < u < 0.6 and v > 0.2))),
    50004: ((200, 30, 30), lambda u, v: abs(u - 0.5) < 0.1 or v < 0.2),
    50005: ((30, 140, 60), lambda u, v: v > 0.75 or (0.2 < u < 0.8 and 0.2 < v < 0.6)),
    50006: ((120, 120, 200), lambda u, v: (u + v) < 1.0),
    50007: ((90, 90, 90), lambda u, v: abs(u - v) < 0.12 or abs(u + v - 1) < 0.12),
    50008: ((90, 90, 90), lambda u, v: abs(v - 0.5) < 0.12 and 0.1 < u < 0.9),
}


def sized(draw, size):
    return lambda x, y: draw(x, y, size)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    mark = aperture((24, 110, 238))
    write_ico(out / 'brightwarden.ico',
              [(s, b, sized(mark, s)) for s in (16, 32, 48, 64) for b in (8, 32)])
    for resource, (color, shape) in SHAPES.items():
        write_ico(out / f'cmd{resource}.ico', [(32, 32, sized(glyph(color, shape), 32))])
    write_cur(out / 'eyedropper.cur', 32, (1, 30), eyedropper)
    for resource, shapes in program_icons.icon_shapes().items():
        write_ico(out / f'cmd{resource}.ico',
                  [(s, 32, program_icons.render(shapes, s)) for s in (16, 32)])
    write_cur(out / 'windowpick.cur', 32, program_icons.CURSOR_HOTSPOT,
              program_icons.render(program_icons.window_pick_cursor(), 32))


if __name__ == '__main__':
    main()
