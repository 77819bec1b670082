#!/usr/bin/python3
"""Makes the drawing cases that test_document reads, with their expected images.

Each file holds cases of one primitive. A case is an image (depth, size,
selection, palette, pixels), the primitive's arguments and the image expected
after it, made here independently:
- lines, rectangles and pen strokes with PIL's ImageDraw (width-1 lines drawn
  from the end point back to the start, as PIL's walk then meets ours);
- discs from x^2 + y^2 < r(r + 1), itself checked against PIL's ellipse;
- flood fills with PIL's floodfill (thresh 0) on the selection's crop;
- inverting and darkening with numpy, palettes by numpy's first argmin;
- text-mask blends and stamp pastes in exact integer arithmetic;
- hue and saturation changes with colorsys (to within the 8-bit HSL steps).
Usage: document_fixtures.py <output folder of test_document>
"""
import colorsys
import os
import struct
import sys
from fractions import Fraction

import numpy as np
from PIL import Image, ImageDraw, ImageOps

rng = np.random.default_rng(20240611)
DEPTHS = (1, 4, 8, 24)

OP_LINE, OP_FILL_RECT, OP_DRAW_RECT, OP_DISC, OP_FLOOD, OP_INVERT, OP_DARKEN, \
    OP_TEXT_MASK, OP_PASTE, OP_HUE_SATURATION = range(1, 11)


def i32(*values):
    """Little-endian 32-bit values; colours above 2^31 go as their bit pattern."""
    return struct.pack("<%di" % len(values), *(v - (1 << 32) if v >= 1 << 31 else v
                                               for v in values))


def nearest_first(palette, colours):
    """First index of the smallest squared RGB distance (numpy argmin)."""
    pal = np.asarray(palette, dtype=np.int64)
    col = np.asarray(colours, dtype=np.int64).reshape(-1, 3)
    dist = ((col[:, None, :] - pal[None, :, :]) ** 2).sum(axis=2)
    return dist.argmin(axis=1).astype(np.uint8)


class Picture:
    """An image as the test builds it: top-down indices or RGB."""

    def __init__(self, depth, w, h, palette=None, pixels=None):
        self.depth, self.w, self.h = depth, w, h
        if depth == 24:
            self.palette = np.zeros((0, 3), dtype=np.uint8)
            self.pixels = pixels if pixels is not None else np.zeros((h, w, 3), np.uint8)
        else:
            n = 1 << depth
            if palette is None:
                palette = (np.array([[0, 0, 0], [255, 255, 255]], np.uint8) if depth == 1 else
                           unique_palette(n))
            self.palette = palette
            self.pixels = pixels if pixels is not None else np.zeros((h, w), np.uint8)

    def copy(self):
        return Picture(self.depth, self.w, self.h, self.palette.copy(), self.pixels.copy())

    def rgb(self):
        return self.pixels if self.depth == 24 else self.palette[self.pixels]

    def encode(self):
        pal = bytearray()
        for r, g, b in self.palette:
            pal += bytes((int(b), int(g), int(r), 0))
        return (i32(self.depth, self.w, self.h, len(self.palette)) + bytes(pal) +
                np.ascontiguousarray(self.pixels, dtype=np.uint8).tobytes())


def unique_palette(n):
    while True:
        pal = rng.integers(0, 256, size=(n, 3), dtype=np.uint8)
        if len({tuple(p) for p in pal}) == n:
            return pal


def random_picture(depth, w, h):
    pic = Picture(depth, w, h)
    if depth == 24:
        pic.pixels = rng.integers(0, 256, size=(h, w, 3), dtype=np.uint8)
    else:
        pic.pixels = rng.integers(0, 1 << depth, size=(h, w), dtype=np.uint8)
    return pic


def random_selection(w, h, whole_share=0.4):
    if rng.random() < whole_share:
        return (0, 0, w - 1, h - 1)
    x0, x1 = sorted(rng.integers(0, w, size=2))
    y0, y1 = sorted(rng.integers(0, h, size=2))
    return (int(x0), int(y0), int(x1), int(y1))


def new_case(i, max_w, max_h, blank=False):
    """The image of case i (depths in turn) and its selection."""
    depth = DEPTHS[i % 4]
    w, h = int(rng.integers(1, max_w)), int(rng.integers(1, max_h))
    pic = Picture(depth, w, h) if blank else random_picture(depth, w, h)
    return pic, random_selection(w, h)


def box_mask(w, h, x0, y0, x1, y1):
    ys, xs = np.mgrid[0:h, 0:w]
    return (xs >= min(x0, x1)) & (xs <= max(x0, x1)) & (ys >= min(y0, y1)) & (ys <= max(y0, y1))


def block_points(pic, sel, left, top, bw, bh):
    """(bx, by, px, py) for each pixel of a bw x bh block at (left, top) that
    lands inside the image and the selection."""
    for by in range(bh):
        for bx in range(bw):
            px, py = left + bx, top + by
            if 0 <= px < pic.w and 0 <= py < pic.h and sel[0] <= px <= sel[2] and \
                    sel[1] <= py <= sel[3]:
                yield bx, by, px, py


def selection_mask(w, h, sel):
    m = np.zeros((h, w), bool)
    m[sel[1]:sel[3] + 1, sel[0]:sel[2] + 1] = True
    return m


def pen_for(pic):
    """Pen colour (0xRRGGBB) and the pixel value it plots."""
    if pic.depth == 24:
        c = rng.integers(0, 256, size=3, dtype=np.uint8)
        return (int(c[0]) << 16) | (int(c[1]) << 8) | int(c[2]), c
    index = 1 if pic.depth == 1 else int(rng.integers(1, 1 << pic.depth))
    r, g, b = (int(v) for v in pic.palette[index])
    return (r << 16) | (g << 8) | b, index


def bbox(mask):
    ys, xs = np.nonzero(mask)
    if len(xs) == 0:
        return None
    return (int(xs.min()), int(ys.min()), int(xs.max()), int(ys.max()))


def reset_point(pic, x, y):
    """The dirty rectangle a reset at (x, y) leaves."""
    return [max(x, 0), max(y, 0), min(x, pic.w - 1), min(y, pic.h - 1)]


# The dirty rectangle that PrepareDrawing leaves.
PREPARED = [0, 0, 0, 0]


def grow(rect, box):
    if box is None:
        return rect
    return [min(rect[0], box[0]), min(rect[1], box[1]), max(rect[2], box[2]), max(rect[3], box[3])]


class CaseFile:
    def __init__(self, folder, name):
        self.f = open(os.path.join(folder, name), "wb")
        self.count = 0

    def add(self, op, pic, sel, args, expected, dirty, modified, extra=b""):
        args = list(args) + [0] * (8 - len(args))
        self.f.write(i32(op) + pic.encode() + i32(*sel) + i32(*args) + extra +
                     expected.encode() + i32(*dirty) + i32(1 if modified else 0))
        self.count += 1

    def close(self):
        self.f.close()


def painted(pic, mask, value):
    out = pic.copy()
    out.pixels[mask] = value
    return out


def pil_mask(w, h, draw):
    img = Image.new("L", (w, h), 0)
    draw(ImageDraw.Draw(img))
    return np.asarray(img) != 0


def disc_mask(w, h, cx, cy, r):
    """x^2 + y^2 < r(r + 1); r = 0 is the centre pixel alone."""
    y, x = np.mgrid[0:h, 0:w]
    d2 = (x - cx) ** 2 + (y - cy) ** 2
    return d2 < r * (r + 1) if r > 0 else d2 == 0


def check_disc_formula():
    """The disc rule against PIL's ellipse: PIL's pixels are inside ours and
    ours reach at most half a pixel beyond the radius."""
    for r in (0, 1, 2, 3, 6, 9, 11, 13, 14, 16, 17, 18, 19, 32, 50, 64):
        size = 2 * r + 5
        c = r + 2
        ours = disc_mask(size, size, c, c, r)
        pil = pil_mask(size, size, lambda d: d.ellipse([c - r, c - r, c + r, c + r], fill=1))
        assert not (pil & ~ours).any(), "PIL's disc of r=%d leaves ours" % r
        y, x = np.nonzero(ours & ~pil)
        assert (np.hypot(x - c, y - c) <= r + 0.5).all(), "disc of r=%d too wide" % r


def pen_footprint(w, h, px, py, width):
    if width <= 1:
        m = np.zeros((h, w), bool)
        if 0 <= px < w and 0 <= py < h:
            m[py, px] = True
        return m
    if width == 2:
        m = np.zeros((h, w), bool)
        for x, y in ((px - 1, py), (px, py), (px - 1, py + 1), (px, py + 1)):
            if 0 <= x < w and 0 <= y < h:
                m[y, x] = True
        return m
    return disc_mask(w, h, px, py, width // 2)


def line_points(x0, y0, x1, y1):
    """PIL's width-1 line from the end point back, as points (unclipped)."""
    pad = 4
    lo_x, lo_y = min(x0, x1) - pad, min(y0, y1) - pad
    w, h = abs(x1 - x0) + 2 * pad + 1, abs(y1 - y0) + 2 * pad + 1
    m = pil_mask(w, h, lambda d: d.line([(x1 - lo_x, y1 - lo_y), (x0 - lo_x, y0 - lo_y)],
                                       fill=1, width=1))
    ys, xs = np.nonzero(m)
    return [(int(x) + lo_x, int(y) + lo_y) for x, y in zip(xs, ys)]


def make_lines(folder):
    out = CaseFile(folder, "lines.bin")
    for i in range(1600):
        pic, sel = new_case(i, 48, 40, blank=True)
        w, h = pic.w, pic.h
        width = 1 if i < 1200 else (2, 3, 7, 128)[i % 4]
        x0, y0, x1, y1 = (int(v) for v in rng.integers(-12, 60, size=4))
        if i % 50 == 0:
            x1, y1 = x0, y0
        mask = np.zeros((h, w), bool)
        for px, py in line_points(x0, y0, x1, y1):
            mask |= pen_footprint(w, h, px, py, width)
        mask &= selection_mask(w, h, sel)
        pen, value = pen_for(pic)
        dirty = grow(reset_point(pic, x1, y1), bbox(mask))
        out.add(OP_LINE, pic, sel, (x0, y0, x1, y1, width, pen), painted(pic, mask, value), dirty,
                mask.any())
    out.close()


def make_rectangles(folder):
    out = CaseFile(folder, "rectangles.bin")
    for i in range(600):
        pic, sel = new_case(i, 40, 40)
        w, h = pic.w, pic.h
        ax, ay, x, y = (int(v) for v in rng.integers(-5, 45, size=4))
        if i % 20 == 0:
            y = ay
        if i % 20 == 1:
            x = ax
        filled = i % 2 == 0
        pen, value = pen_for(pic)
        box = [min(ax, x), min(ay, y), max(ax, x), max(ay, y)]
        if filled:
            mask = pil_mask(w, h, lambda d: d.rectangle(box, fill=1)) if box[2] >= 0 and \
                box[3] >= 0 else np.zeros((h, w), bool)
        elif box[0] == box[2] or box[1] == box[3]:
            # A one-row or one-column box is a segment (PIL adds pixels there).
            mask = box_mask(w, h, *box)
        else:
            mask = pil_mask(w, h, lambda d: d.rectangle(box, outline=1, width=1))
        mask &= selection_mask(w, h, sel)
        if filled:
            dirty = grow(PREPARED, bbox(mask))
        else:
            dirty = grow(reset_point(pic, x, ay), bbox(mask))
        op = OP_FILL_RECT if filled else OP_DRAW_RECT
        out.add(op, pic, sel, (ax, ay, x, y, pen), painted(pic, mask, value), dirty, mask.any())
    out.close()


def make_discs(folder):
    check_disc_formula()
    out = CaseFile(folder, "discs.bin")
    for i in range(400):
        pic, sel = new_case(i, 70, 70, blank=True)
        w, h = pic.w, pic.h
        r = int(rng.integers(0, 40)) if i % 10 else int(rng.integers(0, 3))
        cx, cy = int(rng.integers(-20, w + 20)), int(rng.integers(-20, h + 20))
        mask = disc_mask(w, h, cx, cy, r) & selection_mask(w, h, sel)
        pen, value = pen_for(pic)
        out.add(OP_DISC, pic, sel, (cx, cy, r, pen), painted(pic, mask, value),
                grow(PREPARED, bbox(mask)), mask.any())
    out.close()


def blob_picture(depth, w, h):
    """Few colours in patches with specks, so that fills have shapes to follow."""
    sw, sh = w // 3 + 1, h // 3 + 1
    small = rng.integers(0, 2 if depth == 1 else 3, size=(sh, sw))
    big = small[(np.arange(h) * sh) // h][:, (np.arange(w) * sw) // w]
    big[rng.random((h, w)) < 0.08] = 0
    pic = Picture(depth, w, h)
    if depth == 24:
        pic.pixels = unique_palette(3)[big]
    else:
        pic.pixels = big.astype(np.uint8)
    return pic


def expected_fill(pic, sel, sx, sy, value):
    """PIL's floodfill of the selection's crop at the seed; a sentinel marks
    the filled pixels."""
    rgb = pic.rgb() if pic.depth == 24 else pic.pixels
    l, t, r, b = sel
    crop = np.ascontiguousarray(rgb[t:b + 1, l:r + 1])
    if pic.depth == 24:
        img = Image.fromarray(crop, "RGB").copy()  # writable
        # A colour absent from the crop marks the filled pixels.
        used = {tuple(int(v) for v in p) for p in crop.reshape(-1, 3)}
        mark = next((k, 0, 255) for k in range(256) if (k, 0, 255) not in used)
    else:
        img = Image.fromarray(crop.astype(np.uint8), "L").copy()
        mark = 255 if pic.depth < 8 else next(
            k for k in range(256) if k not in set(crop.reshape(-1).tolist()))
    before = np.asarray(img).copy()
    ImageDraw.floodfill(img, (sx - l, sy - t), mark, thresh=0)
    after = np.asarray(img)
    changed = (after != before).any(axis=2) if pic.depth == 24 else after != before
    mask = np.zeros((pic.h, pic.w), bool)
    mask[t:b + 1, l:r + 1] = changed
    return mask


def add_fill(out, pic, sel, sx, sy, pen_same=False):
    pen, value = pen_for(pic)
    inside = sel[0] <= sx <= sel[2] and sel[1] <= sy <= sel[3]
    if inside and np.array_equal(np.asarray(pic.pixels[sy, sx]), np.asarray(value)):
        pen_same = True
    if pen_same and inside:
        value = pic.pixels[sy, sx].copy() if pic.depth == 24 else int(pic.pixels[sy, sx])
        if pic.depth == 24:
            pen = (int(value[0]) << 16) | (int(value[1]) << 8) | int(value[2])
        else:
            r, g, b = (int(v) for v in pic.palette[value])
            pen = (r << 16) | (g << 8) | b
    mask = expected_fill(pic, sel, sx, sy, value) if inside else np.zeros((pic.h, pic.w), bool)
    if pen_same:
        mask[:] = False
    dirty = grow(reset_point(pic, sx, sy), bbox(mask))
    out.add(OP_FLOOD, pic, sel, (sx, sy, pen), painted(pic, mask, value), dirty, mask.any())


def make_fills(folder):
    out = CaseFile(folder, "fills.bin")
    for i in range(400):
        depth = DEPTHS[i % 4]
        w, h = int(rng.integers(1, 60)), int(rng.integers(1, 50))
        pic = blob_picture(depth, w, h)
        sel = random_selection(w, h)
        sx, sy = int(rng.integers(-2, w + 2)), int(rng.integers(-2, h + 2))
        add_fill(out, pic, sel, sx, sy, pen_same=(i % 25 == 0))
    # Long thin 1-bit images, each a maze of short walls: rows and columns far
    # beyond 16-bit coordinates.
    for w, h in ((70000, 8), (8, 40000)):
        pic = Picture(1, w, h)
        pic.pixels = (rng.random((h, w)) < 0.3).astype(np.uint8)
        pic.pixels[:, 0] = 0
        pic.pixels[0, :] = 0
        pic.palette = np.array([[255, 255, 255], [0, 0, 0]], np.uint8)
        add_fill(out, pic, (0, 0, w - 1, h - 1), w // 2 if w > 8 else 0, 0 if w > 8 else h // 2)
    out.close()


def complement_map(pic):
    if pic.depth == 24 or pic.depth == 1:
        return None
    return nearest_first(pic.palette, 255 - pic.palette.astype(np.int64))


def make_inverts(folder):
    out = CaseFile(folder, "inverts.bin")
    for i in range(400):
        pic, sel = new_case(i, 50, 40)
        depth, w, h = pic.depth, pic.w, pic.h
        x0, x1 = (int(v) for v in rng.integers(-5, w + 5, size=2))
        y0, y1 = (int(v) for v in rng.integers(-5, h + 5, size=2))
        if i % 10 == 0:
            y1 = y0
        mask = box_mask(w, h, x0, y0, x1, y1) & selection_mask(w, h, sel)
        expected = pic.copy()
        if depth == 24:
            inverted = np.asarray(ImageOps.invert(Image.fromarray(pic.pixels, "RGB")))
            expected.pixels[mask] = inverted[mask]
        elif depth == 1:
            expected.pixels[mask] = 1 - pic.pixels[mask]
        else:
            expected.pixels[mask] = complement_map(pic)[pic.pixels[mask]]
        out.add(OP_INVERT, pic, sel, (x0, y0, x1, y1), expected, grow(PREPARED, bbox(mask)),
                mask.any())
    out.close()


def make_darkens(folder):
    out = CaseFile(folder, "darkens.bin")
    for i in range(200):
        pic, sel = new_case(i, 50, 40)  # the operation ignores the selection
        depth, w, h = pic.depth, pic.w, pic.h
        x0, x1 = (int(v) for v in rng.integers(-5, w + 5, size=2))
        y0, y1 = (int(v) for v in rng.integers(-5, h + 5, size=2))
        if i % 10 == 0:
            x0, y0, x1, y1 = w - 1, h - 1, 0, 0
        outside = ~box_mask(w, h, x0, y0, x1, y1)
        expected = pic.copy()
        if depth == 24:
            expected.pixels[outside] = (pic.pixels[outside] * 0.8).astype(np.uint8)
        elif depth == 1:
            expected.pixels[outside] = 1 - pic.pixels[outside]
        else:
            darker = (pic.palette.astype(np.float64) * 0.8).astype(np.int64)
            expected.pixels[outside] = nearest_first(pic.palette, darker)[pic.pixels[outside]]
        out.add(OP_DARKEN, pic, sel, (x0, y0, x1, y1), expected, grow(PREPARED, bbox(outside)),
                outside.any())
    out.close()


def blend(pen, base, v):
    """pen + (base - pen) x v / 255 per channel, exactly, truncated."""
    return np.array([int(p + (b - p) * Fraction(int(v), 255)) for p, b in zip(pen, base)],
                    np.int64)


def make_text_masks(folder):
    out = CaseFile(folder, "text_masks.bin")
    levels = np.array([0, 1, 128, 129, 254, 255], np.uint8)
    for i in range(300):
        pic, sel = new_case(i, 40, 30)
        depth, w, h = pic.depth, pic.w, pic.h
        mw, mh = int(rng.integers(1, 30)), int(rng.integers(1, 20))
        if i % 3 == 0:
            mask = rng.integers(0, 256, size=(mh, mw)).astype(np.uint8)
        else:
            mask = levels[rng.integers(0, len(levels), size=(mh, mw))]
        x, y = int(rng.integers(-10, w + 10)), int(rng.integers(-10, h + 10))
        align = int(rng.integers(0, 16))
        pen, pen_value = pen_for(pic)
        opaque = i % 2 == 0
        bg = int(rng.integers(0, 1 << 24))
        background = bg | (0xFF000000 if opaque else 0)
        left = x - (mw if align & 2 else (mw // 2 if align & 1 else 0))
        top = y - (mh if align & 8 else (mh // 2 if align & 4 else 0))
        pen_rgb = ((pen >> 16) & 255, (pen >> 8) & 255, pen & 255)
        bg_rgb = ((bg >> 16) & 255, (bg >> 8) & 255, bg & 255)
        expected = pic.copy()
        plotted = np.zeros((h, w), bool)
        rgb = pic.rgb()
        for mx, my, px, py in block_points(pic, sel, left, top, mw, mh):
            v = int(mask[my, mx])
            if depth == 1:
                if v <= 128:
                    value = pen_value
                elif opaque:
                    value = int(nearest_first(pic.palette, [bg_rgb])[0])
                else:
                    continue
            else:
                if not opaque and v == 255:
                    continue
                c = blend(pen_rgb, bg_rgb if opaque else rgb[py, px], v)
                value = c if depth == 24 else int(nearest_first(pic.palette, [c])[0])
            expected.pixels[py, px] = value
            plotted[py, px] = True
        dirty = grow(reset_point(pic, x, y), bbox(plotted))
        extra = i32(mw, mh) + mask.tobytes()
        out.add(OP_TEXT_MASK, pic, sel, (x, y, align, background, pen), expected, dirty,
                plotted.any(), extra)
    out.close()


def make_pastes(folder):
    out = CaseFile(folder, "pastes.bin")
    for i in range(300):
        pic, sel = new_case(i, 40, 30)
        depth, w, h = pic.depth, pic.w, pic.h
        src_depth = DEPTHS[(i // 4) % 4]
        sw, sh = int(rng.integers(1, 25)), int(rng.integers(1, 20))
        src = random_picture(src_depth, sw, sh)
        if i % 7 == 0 and src_depth == depth and depth != 24:
            # The same palette with a repeated entry: indices go over as they are.
            src.palette = pic.palette.copy()
            if len(src.palette) > 2:
                pic.palette[1] = pic.palette[2]
                src.palette = pic.palette.copy()
        x, y = int(rng.integers(-10, w + 10)), int(rng.integers(-10, h + 10))
        left, top = x - sw // 2, y - sh // 2
        same = src_depth <= 8 and depth <= 8 and len(src.palette) == len(pic.palette) and \
            (src.palette == pic.palette).all()
        expected = pic.copy()
        plotted = np.zeros((h, w), bool)
        src_rgb = src.rgb()
        for sx, sy, px, py in block_points(pic, sel, left, top, sw, sh):
            if same:
                value = int(src.pixels[sy, sx])
            elif depth == 24:
                value = src_rgb[sy, sx]
            else:
                value = int(nearest_first(pic.palette, [src_rgb[sy, sx]])[0])
            expected.pixels[py, px] = value
            plotted[py, px] = True
        dirty = grow(reset_point(pic, x, y), bbox(plotted))
        out.add(OP_PASTE, pic, sel, (x, y), expected, dirty, plotted.any(), src.encode())
    out.close()


def hue_saturation(rgb, shift, factor):
    """colorsys's HLS: hue turned by shift / 256, saturation scaled."""
    h, l, sat = colorsys.rgb_to_hls(*(v / 255 for v in rgb))
    r, g, b = colorsys.hls_to_rgb((h + shift / 256) % 1, l, min(1.0, sat * factor))
    return [int(round(v * 255)) for v in (r, g, b)]


def make_hue_saturations(folder):
    """Arguments: hue shift, saturation factor x 1000. The expected image is
    colorsys's; the library's HSL keeps 8 bits a component, so the test
    allows a few levels."""
    out = CaseFile(folder, "hue_saturation.bin")
    for i, (shift, factor) in enumerate(((0, 1.0), (85, 1.0), (-43, 1.0), (128, 0.5),
                                         (0, 0.0), (20, 1.5), (-100, 2.0), (64, 0.25))):
        for depth in (8, 24):
            pic = random_picture(depth, 37, 23)
            expected = pic.copy()
            if depth == 24:
                flat = expected.pixels.reshape(-1, 3)
                flat[:] = [hue_saturation(c, shift, factor) for c in flat]
            else:
                expected.palette = np.array([hue_saturation(c, shift, factor)
                                             for c in pic.palette], np.uint8)
            out.add(OP_HUE_SATURATION, pic, (0, 0, pic.w - 1, pic.h - 1),
                    (shift, int(round(factor * 1000))), expected, PREPARED, False)
    out.close()


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for make in (make_lines, make_rectangles, make_discs, make_fills, make_inverts, make_darkens,
                 make_text_masks, make_pastes, make_hue_saturations):
        make(folder)


if __name__ == "__main__":
    main()
