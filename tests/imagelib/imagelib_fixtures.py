#!/usr/bin/python3
"""Makes the inputs and expected results that test_imagelib reads.

Independent references: numpy for the nearest-colour search, PIL's
ImageDraw for rectangle fills, PIL and ImageMagick for image files.
Usage: imagelib_fixtures.py <output folder of test_imagelib>
"""
import os
import shutil
import struct
import subprocess
import sys

import numpy as np
from PIL import Image, ImageDraw

CONVERT = "/usr/bin/convert"


def i32(*values):
    return struct.pack("<%di" % len(values), *values)


def bgra(palette_rgb):
    """RGB rows -> BGRA bytes with reserved 0."""
    out = bytearray()
    for r, g, b in palette_rgb:
        out += bytes((b, g, r, 0))
    return bytes(out)


def nearest_first(palette_rgb, colours_rgb):
    """First index of the smallest squared distance, as numpy's argmin."""
    pal = np.asarray(palette_rgb, dtype=np.int32)
    col = np.asarray(colours_rgb, dtype=np.int32)
    out = np.empty(len(col), dtype=np.uint8)
    for start in range(0, len(col), 4096):
        chunk = col[start:start + 4096]
        dist = ((chunk[:, None, :] - pal[None, :, :]) ** 2).sum(axis=2)
        out[start:start + 4096] = dist.argmin(axis=1)
    return out


def nearest_cases(rng):
    """Palettes with duplicates and important counts, colours with repeats."""
    cases = []
    for bpp, important, count in ((8, 0, 100000), (8, 100, 20000), (4, 0, 20000),
                                  (4, 5, 5000), (1, 0, 5000), (8, 300, 5000)):
        entries = 1 << bpp
        palette = rng.integers(0, 256, size=(entries, 3))
        # Duplicated entries: the first one must win.
        for _ in range(entries // 4):
            palette[rng.integers(entries)] = palette[rng.integers(entries)]
        colours = rng.integers(0, 256, size=(count, 4))
        # Exact palette colours and runs of the same colour (the one-entry cache).
        picks = rng.integers(entries, size=count // 5)
        colours[: count // 5, :3] = palette[picks]
        rng.shuffle(colours)
        colours[1::7] = colours[0::7][: len(colours[1::7])]
        searched = min(important, entries) if important else entries
        expected = nearest_first(palette[:searched].tolist(), colours[:, :3].tolist())
        cases.append((bpp, entries, important, palette, colours, expected))
    return cases


def write_nearest(folder, rng):
    with open(os.path.join(folder, "nearest.bin"), "wb") as f:
        cases = nearest_cases(rng)
        f.write(i32(len(cases)))
        for bpp, entries, important, palette, colours, expected in cases:
            f.write(i32(bpp, entries, important))
            f.write(bgra(palette.tolist()))
            f.write(i32(len(colours)))
            for r, g, b, a in colours.tolist():
                f.write(bytes((b, g, r, a)))
            f.write(expected.tobytes())


def clamp(v, high):
    return max(0, min(v, high))


def write_fills(folder, rng):
    """Rectangles applied one after another, with PIL's picture after each."""
    with open(os.path.join(folder, "fill.bin"), "wb") as f:
        depths = (1, 4, 8, 24)
        f.write(i32(len(depths)))
        for bpp in depths:
            w, h = 37, 23
            entries = 0 if bpp == 24 else 1 << bpp
            palette = rng.integers(0, 256, size=(entries, 3)).tolist()
            if bpp == 24:
                img = Image.new("RGB", (w, h), (0, 0, 0))
            else:
                img = Image.new("P", (w, h), 0)
            draw = ImageDraw.Draw(img)
            rects = 40
            f.write(i32(bpp, w, h, entries))
            f.write(bgra(palette))
            f.write(i32(rects))
            for _ in range(rects):
                l, r = (int(v) for v in rng.integers(-8, w + 8, size=2))
                t, b = (int(v) for v in rng.integers(-8, h + 8, size=2))
                colour = [int(v) for v in rng.integers(0, 256, size=3)]
                f.write(i32(l, t, r, b))
                f.write(bytes((colour[2], colour[1], colour[0], 0)))
                x0, x1 = sorted((clamp(l, w), clamp(r, w)))
                y0, y1 = sorted((clamp(t, h), clamp(b, h)))
                if x0 != x1 and y0 != y1:
                    fill = tuple(colour)
                    if bpp != 24:
                        fill = int(nearest_first(palette, [colour])[0])
                    draw.rectangle([x0, y0, x1 - 1, y1 - 1], fill=fill)
                f.write(np.asarray(img, dtype=np.uint8).tobytes())


def source_picture(w, h):
    y, x = np.mgrid[0:h, 0:w]
    rgb = np.stack([(x * 7 + y * 3) % 256, (x * y) % 256, (255 - x * 5) % 256], axis=2)
    return Image.fromarray(rgb.astype(np.uint8), "RGB")


def write_decode_inputs(folder):
    """BMP and PNG files from PIL and ImageMagick, each with PIL's pixels."""
    d = os.path.join(folder, "decode")
    os.makedirs(d, exist_ok=True)
    pic = source_picture(37, 23)
    pic.save(os.path.join(d, "source.ppm"))
    pic.save(os.path.join(d, "pil_rgb.bmp"))
    pic.save(os.path.join(d, "pil_rgb.png"))
    pic.quantize(200).save(os.path.join(d, "pil_p8.bmp"))
    pic.quantize(200).save(os.path.join(d, "pil_p8.png"))
    pic.convert("1").save(os.path.join(d, "pil_1.bmp"))
    pic.convert("L").save(os.path.join(d, "pil_l.png"))
    src = os.path.join(d, "source.ppm")
    for args, name in (([], "BMP3:im_rgb.bmp"), (["-colors", "16", "-type", "Palette"],
                                                 "BMP3:im_p4.bmp"),
                       ([], "im_rgb.png"), (["-colors", "16"], "im_p4.png")):
        fmt, _, base = name.rpartition(":")
        out = os.path.join(d, base)
        subprocess.run([CONVERT, src] + args + [(fmt + ":" if fmt else "") + out], check=True)
    shutil.copyfile(os.path.join(d, "pil_rgb.png"), os.path.join(d, "named_as.jpg"))
    with open(os.path.join(d, "unknown.dat"), "wb") as f:
        f.write(b"\x00\x01 not an image of any kind \xff\xfe" * 9)
    listing = []
    for name in sorted(os.listdir(d)):
        if name.endswith((".bmp", ".png", ".jpg")):
            with Image.open(os.path.join(d, name)) as img:
                rgb = img.convert("RGB")
                with open(os.path.join(d, name + ".rgb"), "wb") as f:
                    f.write(rgb.tobytes())
                listing.append("%s %d %d" % (name, img.width, img.height))
    with open(os.path.join(d, "list.txt"), "w") as f:
        f.write("\n".join(listing) + "\n")


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = np.random.default_rng(20240607)
    write_nearest(folder, rng)
    write_fills(folder, rng)
    write_decode_inputs(folder)


if __name__ == "__main__":
    main()
