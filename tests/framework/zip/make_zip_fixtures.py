#!/usr/bin/python3
"""Makes the inputs of the zip tests in <out>/fixtures:

corpus/   buffers for the compressor (text, source, BMP screenshot, a program)
tree/     a folder tree, archived by Debian's zip into foreign/
foreign/  archives of other tools: -r, -P, -0, -X, -z, streamed, SFX, bzip2, empty
hostile/  archives built byte by byte to attack the reader
sources/  files with fixed times for the writer tests
"""
import io
import os
import random
import shutil
import struct
import subprocess
import sys
import zipfile
import zlib

from PIL import Image, ImageDraw

OUT = os.path.join(sys.argv[1], "fixtures")
PASSWORD = "pw-Zq81"


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_corpus():
    d = os.path.join(OUT, "corpus")
    text = open("/usr/share/common-licenses/GPL-3", "rb").read()
    write(os.path.join(d, "text.txt"), text)
    # Source code: this project's own sources, concatenated.
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
    src = b""
    for sub in ("framework/zip", "framework/text"):
        folder = os.path.join(root, sub)
        for name in sorted(os.listdir(folder)):
            if name.endswith((".cpp", ".h")):
                src += open(os.path.join(folder, name), "rb").read()
    write(os.path.join(d, "source.cpp"), src)
    # A screenshot-like picture: flat areas, window frames, text-like strokes.
    rnd = random.Random(7)
    img = Image.new("RGB", (800, 600), (236, 236, 236))
    draw = ImageDraw.Draw(img)
    for _ in range(40):
        x, y = rnd.randrange(700), rnd.randrange(500)
        w, h = rnd.randrange(40, 300), rnd.randrange(20, 200)
        draw.rectangle([x, y, x + w, y + h], fill=(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)),
                       outline=(0, 0, 0))
        for line in range(0, h - 8, 12):
            draw.text((x + 4, y + 4 + line), "File Edit View %d" % rnd.randrange(1000), fill=(0, 0, 0))
    buf = io.BytesIO()
    img.save(buf, "BMP")
    write(os.path.join(d, "screen.bmp"), buf.getvalue())
    shutil.copyfile("/usr/bin/bash", os.path.join(d, "program.bin"))


def make_tree():
    t = os.path.join(OUT, "tree")
    shutil.rmtree(t, ignore_errors=True)
    rnd = random.Random(3)
    write(os.path.join(t, "readme.txt"), b"Brightwarden test tree\r\n" * 50)
    write(os.path.join(t, "sub", "data.bin"), bytes(rnd.randrange(256) for _ in range(70000)))
    write(os.path.join(t, "sub", "deeper", "notes.txt"), b"alpha beta gamma\n" * 3000)
    write(os.path.join(t, "locked.txt"), b"read only\n")
    os.makedirs(os.path.join(t, "empty"), exist_ok=True)
    os.chmod(os.path.join(t, "locked.txt"), 0o444)
    stamp = 1600000000  # 2020-09-13 12:26:40 UTC
    for dirpath, dirnames, filenames in os.walk(t):
        for n in filenames:
            os.utime(os.path.join(dirpath, n), (stamp, stamp))


def zip_cli(args, cwd, stdout=None, stdin=None):
    subprocess.run(["zip", "-q"] + args, cwd=cwd, check=True, stdout=stdout, stdin=stdin)


def make_foreign():
    d = os.path.join(OUT, "foreign")
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    cwd = OUT
    zip_cli(["-r", os.path.join(d, "r.zip"), "tree"], cwd)
    zip_cli(["-r", "-P", PASSWORD, os.path.join(d, "password.zip"), "tree"], cwd)
    zip_cli(["-r", "-0", os.path.join(d, "stored.zip"), "tree"], cwd)
    zip_cli(["-r", "-X", os.path.join(d, "noextra.zip"), "tree"], cwd)
    subprocess.run(["zip", "-q", "-r", "-z", os.path.join(d, "comment.zip"), "tree"], cwd=cwd, check=True,
                   input=b"An archive comment that holds PK\x05\x06 in its text.\n")
    # Written to a pipe, zip cannot seek back: data descriptors (bit 3).
    with open(os.path.join(d, "streamed.zip"), "wb") as f:
        p = subprocess.Popen(["zip", "-q", "-r", "-", "tree"], cwd=cwd, stdout=subprocess.PIPE)
        f.write(p.stdout.read())
        p.wait()
    stub = b"MZ" + bytes(random.Random(5).randrange(256) for _ in range(4094))
    plain = open(os.path.join(d, "r.zip"), "rb").read()
    write(os.path.join(d, "sfx.zip"), stub + plain)
    write(os.path.join(d, "sfx_adjusted.zip"), stub + plain)
    zip_cli(["-A", os.path.join(d, "sfx_adjusted.zip")], cwd)
    with zipfile.ZipFile(os.path.join(d, "bzip2.zip"), "w", zipfile.ZIP_BZIP2) as z:
        z.writestr("packed.txt", b"bzip2 data " * 100)
    with zipfile.ZipFile(os.path.join(d, "empty.zip"), "w") as z:
        pass


# --- Hostile archives, byte by byte ---------------------------------------

def local_header(name, data, method=0, crc=None, csize=None, usize=None, flags=0, extra=b""):
    crc = zlib.crc32(data) if crc is None else crc
    return struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, flags, method, 0, 0x5021, crc,
                       len(data) if csize is None else csize, len(data) if usize is None else usize,
                       len(name), len(extra)) + name + extra


def central_header(name, data, offset, method=0, crc=None, csize=None, usize=None, flags=0,
                   extra=b"", host=3, attrs=0x81A40000, name_len=None, extra_len=None, comment_len=0):
    crc = zlib.crc32(data) if crc is None else crc
    return struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, (host << 8) | 20, 20, flags, method, 0, 0x5021, crc,
                       len(data) if csize is None else csize, len(data) if usize is None else usize,
                       len(name) if name_len is None else name_len,
                       len(extra) if extra_len is None else extra_len, comment_len, 0, 0, attrs, offset) + name + extra


def end_record(count, cd_size, cd_offset, total=None, disk=0):
    return struct.pack("<IHHHHIIH", 0x06054B50, disk, 0, count, count if total is None else total,
                       cd_size, cd_offset, 0)


def simple_archive(entries):
    """entries: list of (name bytes, payload bytes stored, central overrides)."""
    body = b""
    cds = b""
    for name, data, over in entries:
        off = len(body)
        body += local_header(name, data) + data
        cds += central_header(name, data, off, **over)
    return body + cds + end_record(len(entries), len(cds), len(body))


def deflated_archive(name, payload, cut=0, flip=None):
    co = zlib.compressobj(6, zlib.DEFLATED, -15)
    comp = co.compress(payload) + co.flush()
    if cut:
        comp = comp[:-cut]
    if flip is not None:
        comp = bytearray(comp)
        comp[flip] ^= 0x10
        comp = bytes(comp)
    crc = zlib.crc32(payload)
    body = local_header(name, comp, method=8, crc=crc, usize=len(payload)) + comp
    cd = central_header(name, comp, 0, method=8, crc=crc, usize=len(payload))
    return body + cd + end_record(1, len(cd), len(body))


def make_hostile():
    d = os.path.join(OUT, "hostile")
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    evil = b"evil bytes\n"
    h = {}
    h["dotdot_slash"] = simple_archive([(b"../evil", evil, {})])
    h["dotdot_backslash"] = simple_archive([(b"..\\evil", evil, {})])
    h["dotdot_middle"] = simple_archive([(b"a/../../evil", evil, {})])
    h["dotdot_tail"] = simple_archive([(b"x/..", evil, {})])
    h["drive_and_root"] = simple_archive([(b"C:\\..\\..\\x\\file", evil, {}), (b"/abs/name", evil, {})])
    h["dot_components"] = simple_archive([(b"./a/./b//c.txt", evil, {})])
    # Lengths that point past the directory or the source.
    good = local_header(b"a.txt", evil) + evil
    cd = central_header(b"a.txt", evil, 0, name_len=65535)
    h["huge_name"] = good + cd + end_record(1, len(cd), len(good))
    cd = central_header(b"a.txt", evil, 0, extra_len=40000)
    h["huge_extra"] = good + cd + end_record(1, len(cd), len(good))
    cd = central_header(b"a.txt", evil, 0, comment_len=65535)
    h["huge_comment"] = good + cd + end_record(1, len(cd), len(good))
    cd = central_header(b"a.txt", evil, 0)
    h["huge_count"] = good + cd + end_record(65535, len(cd), len(good))
    h["count_beyond_headers"] = good + cd + b"\0" * 80 + end_record(2, len(cd) + 80, len(good))
    h["wrapping_cd"] = good + cd + end_record(1, 0xFFFFFFF0, 0x40)
    cd = central_header(b"a.txt", evil, 0x7FFFFFF0)
    h["local_offset_past_end"] = good + cd + end_record(1, len(cd), len(good))
    cd = central_header(b"a.txt", evil, 0, csize=0xFFFFFF00)
    h["csize_past_end"] = good + cd + end_record(1, len(cd), len(good))
    # Two entries sharing one local header, and one pointing into the directory.
    cd = central_header(b"a.txt", evil, 0) + central_header(b"a.txt", evil, 0)
    cd += central_header(b"a.txt", evil, len(good))
    h["overlapping"] = good + cd + end_record(3, len(cd), len(good))
    # A "UT" block whose length runs past the extra field.
    bad_ut = b"UT" + struct.pack("<H", 200) + b"\x07" + b"\0" * 12
    body = local_header(b"t.txt", evil, extra=bad_ut) + evil
    cd = central_header(b"t.txt", evil, 0)
    h["ut_overrun"] = body + cd + end_record(1, len(cd), len(body))
    payload = b"The quick brown fox jumps over the lazy dog. " * 400
    h["truncated_deflate"] = deflated_archive(b"t.txt", payload, cut=40)
    h["flipped_byte"] = deflated_archive(b"t.txt", payload, flip=30)
    h["valid_deflate"] = deflated_archive(b"t.txt", payload)
    # A stored entry whose CRC does not match its data.
    body = local_header(b"c.txt", evil, crc=0x12345678) + evil
    cd = central_header(b"c.txt", evil, 0, crc=0x12345678)
    h["bad_crc"] = body + cd + end_record(1, len(cd), len(body))
    h["disk_number"] = good + central_header(b"a.txt", evil, 0) + end_record(1, 46 + 5, len(good), disk=1)
    h["truncated_end"] = simple_archive([(b"a.txt", evil, {})])[:-10]
    for name, data in h.items():
        write(os.path.join(d, name + ".zip"), data)


def make_sources():
    d = os.path.join(OUT, "sources")
    shutil.rmtree(d, ignore_errors=True)
    rnd = random.Random(11)
    write(os.path.join(d, "summer.txt"), b"summer time stamp\r\n" * 100)
    write(os.path.join(d, "winter.bin"), bytes(rnd.randrange(256) for _ in range(40000)))
    write(os.path.join(d, "readonly.txt"), b"read-only source\n")
    write(os.path.join(d, "old.txt"), b"written before 1980\n")
    write(os.path.join(d, "data.zip"), b"already packed" * 10)
    os.utime(os.path.join(d, "summer.txt"), (1625000000, 1625000000))   # 2021-06-29 20:53:20 UTC
    os.utime(os.path.join(d, "winter.bin"), (1610000000, 1610000000))   # 2021-01-07 06:13:20 UTC
    os.utime(os.path.join(d, "readonly.txt"), (1600000000, 1600000000))
    os.utime(os.path.join(d, "old.txt"), (100000000, 100000000))        # 1973
    os.chmod(os.path.join(d, "readonly.txt"), 0o444)


def clear_outputs():
    """Results of an earlier run; read-only files among them too."""
    for sub in ("written", "extract"):
        folder = os.path.join(sys.argv[1], sub)
        for dirpath, dirnames, filenames in os.walk(folder):
            for n in dirnames + filenames:
                os.chmod(os.path.join(dirpath, n), 0o755)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    clear_outputs()
    os.makedirs(OUT, exist_ok=True)
    make_corpus()
    make_tree()
    make_foreign()
    make_hostile()
    make_sources()
