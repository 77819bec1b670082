#!/usr/bin/python3
"""GIF rows of the image-library benchmark: bench_imagelib's GIF times beside
PIL's, ImageMagick's, giflib's and gifsicle's on the same 256-colour files
(made by make_bench_images.py with PIL's quantizer).

Decoding: PIL `open(BytesIO).load()` and ImageMagick (single-threaded, less
its start-up). Encoding the same indices: PIL (interlace=False), ImageMagick
(GIF in, GIF out, less reading it), giflib (`gifbuild -d` then `gifbuild`,
less the same on a 1x1 file) and gifsicle (which shrinks the palette, so its
size is shown but not a target). Ratios: decoding against the faster peer,
size against giflib and ImageMagick.

Usage: bench_gif_peers.py <work folder> <native results file> <image name>...
"""
import io
import os
import subprocess
import sys

from PIL import Image

from bench_peers import CONVERT, best  # ImageMagick single-threaded; best of five runs

GIFBUILD = "/usr/bin/gifbuild"
GIFSICLE = "/usr/bin/gifsicle"


def quiet(args, out=subprocess.DEVNULL, stdin=None):
    subprocess.run(args, check=True, stdout=out, stdin=stdin)


def gifbuild_dump(folder, gif):
    dump = os.path.join(folder, os.path.basename(gif) + ".txt")
    with open(dump, "w") as f:
        quiet([GIFBUILD, "-d", gif], out=f)
    return dump


def peers(folder, name):
    gif = os.path.join(folder, name + ".gif")
    with open(gif, "rb") as f:
        data = f.read()
    out = os.path.join(folder, name + ".peer.gif")
    rows = {}

    def decode():
        with Image.open(io.BytesIO(data)) as img:
            img.load()

    with Image.open(gif) as img:
        indexed = img.copy()
    nothing = best(lambda: quiet(CONVERT + ["-size", "1x1", "xc:", "null:"]))
    read = best(lambda: quiet(CONVERT + [gif, "null:"]))
    rows["decode"] = {"PIL": (best(decode), None), "ImageMagick": (read - nothing, None)}

    encoded = {}

    def pil_encode():
        buf = io.BytesIO()
        indexed.save(buf, "GIF", interlace=False)
        encoded["PIL"] = len(buf.getvalue())

    pil_ms = best(pil_encode)
    magick_ms = best(lambda: quiet(CONVERT + [gif, out])) - read
    magick_size = os.path.getsize(out)
    dump = gifbuild_dump(folder, gif)
    tiny = os.path.join(folder, "tiny.gif")
    Image.new("P", (1, 1)).save(tiny)
    tiny_dump = gifbuild_dump(folder, tiny)

    def gifbuild(text):
        with open(text) as f, open(out, "wb") as g:
            quiet([GIFBUILD], out=g, stdin=f)

    giflib_ms = best(lambda: gifbuild(dump)) - best(lambda: gifbuild(tiny_dump))
    gifbuild(dump)
    giflib_size = os.path.getsize(out)
    sicle_ms = best(lambda: quiet([GIFSICLE, gif, "-o", out])) - best(lambda: quiet([GIFSICLE, tiny, "-o", out]))
    quiet([GIFSICLE, gif, "-o", out])
    sicle_size = os.path.getsize(out)
    rows["encode"] = {"PIL": (pil_ms, encoded["PIL"]), "ImageMagick": (magick_ms, magick_size),
                      "giflib": (giflib_ms, giflib_size), "gifsicle": (sicle_ms, sicle_size)}
    return rows


def main():
    folder, results = sys.argv[1], sys.argv[2]
    ours = {}
    with open(results) as f:
        for line in f:
            name, op, ms, _ = line.split()
            ours[(name, op)] = float(ms)
    print()
    print("%-12s %-20s %9s %10s  %s" % ("image", "GIF", "ours ms", "ours KB", "peers (ms, KB)"))
    for name in sys.argv[3:]:
        if (name, "gif_decode") not in ours:
            continue
        rows = peers(folder, name)
        dec = rows["decode"]
        faster = min(ms for ms, _ in dec.values())
        print("%-12s %-20s %9.2f %10s  %s; ours/faster %.2f" % (
            name, "decode", ours[(name, "gif_decode")], "-",
            ", ".join("%s %.2f" % (k, ms) for k, (ms, _) in dec.items()),
            ours[(name, "gif_decode")] / max(faster, 0.001)))
        enc = rows["encode"]
        for op in ("gif_encode", "gif_encode_literal", "gif_encode_runs", "gif_encode_tiles"):
            path = os.path.join(folder, "%s.%s.gif" % (name, op))
            size = os.path.getsize(path) if os.path.exists(path) else None
            note = ""
            if op == "gif_encode":
                note = ", ".join("%s %.2f ms %.1f KB" % (k, ms, kb / 1000.0) for k, (ms, kb) in enc.items())
                note += "; size/giflib %.3f, size/ImageMagick %.3f" % (
                    size / enc["giflib"][1], size / enc["ImageMagick"][1])
            print("%-12s %-20s %9.2f %10s  %s" % (name, op[4:], ours[(name, op)],
                                                  "%.1f" % (size / 1000.0) if size else "-", note))


if __name__ == "__main__":
    main()
