#!/usr/bin/python3
"""Record fixtures and checks, written from the record tables.
  records_oracle.py fixtures OUT   hostile and valid records for the sanitizers
  records_oracle.py check OUT      defaults, fonts and sanitized records
The test reads OUT/records_in/*.bin and writes OUT/records_out/*.bin (each
record after its sanitizer) and OUT/defaults_*.bin."""
import math
import os
import random
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import records_table as rt  # noqa: E402

OPT_LAYOUT, OPT_SIZE = rt.options_layout()

# What the dialogs produce: (low, high) for amounts, a set for choices.
PROFILE_RANGES = {
    "iLevel": (1, 255), "iSCMode": {0, 1, 2, 3, 4, 5}, "iICMode": {0, 1, 2, 3, 4, 255},
    "iICNumRCol": (0, 16), "iTxtOvlRPos": (0, 8), "iTxtOvlAlign": (0, 2), "iTxtOvlFrame": (0, 128),
    "iSTChangeB": (-100, 100), "iSTChangeC": (-100, 100), "iIBBrightness": (-100, 100),
    "iIBContrast": (-100, 100), "iIBGamma": (-100, 100), "iIBSaturation": (-100, 100),
    "iIBHue": (-100, 100),
}
OPTION_RANGES = {"iMonSize": (0, 8), "iBrushSize": (1, 128)}


def field(layout, name):
    return next(f for f in layout if f[1] == name)


def text_fields(layout):
    """(offset, width) of every text buffer, face names included."""
    out = []
    for offset, name, kind, count, default in layout:
        if kind.startswith("s"):
            out.append((offset, rt.width(kind)))
        elif kind == "hdr":
            out += [(offset + 65 * i, 65) for i in range(3)]
        elif kind == "font":
            out.append((offset + 28, 32))
        elif kind == "hk":
            out += [(offset + 34 * i + 2, 32) for i in range(32)]
    return out


def read_number(rec, layout, name):
    offset, _, kind, _, _ = field(layout, name)
    return struct.unpack_from("<" + ("I" if kind == "D" else kind), rec, offset)[0]


def random_text(rng, n):
    return "".join(rng.choice("abcXYZ019 _-\\:.%") for _ in range(rng.randrange(n)))


def random_value(rng, name, kind, count, ranges):
    """A value the dialogs could have produced."""
    if name in ranges:
        r = ranges[name]
        if isinstance(r, set):
            return rng.choice(sorted(r))
        return rng.randint(*r)
    if kind.startswith("s"):
        return random_text(rng, rt.width(kind))
    if kind == "hdr":
        return [random_text(rng, 65) for _ in range(3)]
    if kind == "font":
        return struct.pack("<5i8B32s", rng.randint(-99, 99), 0, 0, 0, rng.choice([400, 700]),
                           0, 0, 0, 0, 0, 0, 0, 0, random_text(rng, 32).encode())
    if kind in ("rgb",):
        return [rng.randrange(256) for _ in range(64)]
    if kind == "pal":
        return [rng.getrandbits(32) for _ in range(16)]
    if kind == "hk":
        return b"".join(struct.pack("<H", rng.getrandbits(16)) + rt.text_bytes(random_text(rng, 32), 32)
                        for _ in range(32))
    one = {"B": lambda: rng.randrange(256), "b": lambda: rng.randint(-128, 127),
           "h": lambda: rng.randint(-32768, 32767), "H": lambda: rng.getrandbits(16),
           "i": lambda: rng.randint(-2**31, 2**31 - 1), "I": lambda: rng.getrandbits(32),
           "D": lambda: rng.getrandbits(32), "f": lambda: rng.uniform(0.5, 5000.0)}[kind]
    return [one() for _ in range(count)] if count > 1 else one()


def valid_record(rng, layout, size, ranges):
    values = {name: random_value(rng, name, kind, count, ranges)
              for _, name, kind, count, _ in layout if name}
    return rt.record_bytes(layout, size, values)


def fixtures(out):
    folder = os.path.join(out, "records_in")
    os.makedirs(folder, exist_ok=True)
    os.makedirs(os.path.join(out, "records_out"), exist_ok=True)
    listed = []
    rng = random.Random(1021)
    kinds = [("options", OPT_SIZE, OPT_LAYOUT, OPTION_RANGES),
             ("profile", rt.PROFILE_SIZE, rt.PROFILE, PROFILE_RANGES),
             ("sti", rt.STI_SIZE * rt.STI_COUNT, None, None)]
    for prefix, size, layout, ranges in kinds:
        records = {"hostile_ff": b"\xff" * size}
        for i in range(8):
            records["hostile_random%d" % i] = bytes(rng.getrandbits(8) for _ in range(size))
        if layout:
            for i in range(8):
                records["valid_%d" % i] = valid_record(rng, layout, size, ranges)
        else:
            for i in range(4):
                records["valid_%d" % i] = b"".join(
                    rt.text_bytes(random_text(rng, n), n) for _ in range(rt.STI_COUNT) for _, n in rt.STI)
        for name, data in records.items():
            listed.append("%s_%s.bin" % (prefix, name))
            with open(os.path.join(folder, listed[-1]), "wb") as f:
                f.write(data)
    with open(os.path.join(folder, "list.txt"), "w") as f:
        f.write("\n".join(listed) + "\n")
    return 0


def check_ranges(rec, layout, ranges, label):
    errors = []
    for name, r in ranges.items():
        v = read_number(rec, layout, name)
        ok = v in r if isinstance(r, set) else r[0] <= v <= r[1]
        if not ok:
            errors.append("%s: %s = %r out of %r" % (label, name, v, r))
    return errors


def check(out):
    errors = []
    for dpi in (96, 144):
        got = open(os.path.join(out, "defaults_options_%d.bin" % dpi), "rb").read()
        if got != rt.default_options(dpi):
            errors.append("options defaults at %d dpi differ at %s" % (dpi, diff(got, rt.default_options(dpi), OPT_LAYOUT)))
        got = open(os.path.join(out, "defaults_template_%d.bin" % dpi), "rb").read()
        if got != rt.default_profile(dpi):
            errors.append("template at %d dpi differs at %s" % (dpi, diff(got, rt.default_profile(dpi), rt.PROFILE)))
    # The fonts by their numbers, as the tables state them.
    heights = {(n, dpi): struct.unpack_from("<i", open(os.path.join(out, "defaults_%s_%d.bin" % (n, dpi)), "rb").read(), off)[0]
               for n, off in (("options", field(OPT_LAYOUT, "lfFont")[0]), ("template", 4132)) for dpi in (96, 144)}
    expect = {("options", 96): -16, ("options", 144): -24, ("template", 96): -12, ("template", 144): -18}
    if heights != expect:
        errors.append("font heights %r, expected %r" % (heights, expect))

    src, dst = os.path.join(out, "records_in"), os.path.join(out, "records_out")
    names = open(os.path.join(src, "list.txt")).read().split()
    for name in names:
        before = open(os.path.join(src, name), "rb").read()
        after = open(os.path.join(dst, name), "rb").read()
        if name.split("_")[1] == "valid":
            if after != before:
                errors.append("%s: a valid record changed" % name)
            continue
        if name.startswith("sti"):
            for i in range(rt.STI_COUNT):
                offset = i * rt.STI_SIZE
                for _, n in rt.STI:
                    text = after[offset:offset + n]
                    offset += n
                    end = text.find(b"\0")
                    if end < 0 or text[end:] != b"\0" * (n - end):
                        errors.append("%s: binding %d has an unterminated text" % (name, i))
            continue
        layout, ranges = (OPT_LAYOUT, OPTION_RANGES) if name.startswith("options") else (rt.PROFILE, PROFILE_RANGES)
        for offset, n in text_fields(layout):
            text = after[offset:offset + n]
            end = text.find(b"\0")
            if end < 0 or text[end:] != b"\0" * (n - end):
                errors.append("%s: text at %d not terminated and cleared after" % (name, offset))
        errors += check_ranges(after, layout, ranges, name)
        if layout is OPT_LAYOUT:
            for m in ("fMonWidth", "fMonHeight"):
                v = read_number(after, layout, m)
                if not (math.isfinite(v) and v > 0):
                    errors.append("%s: %s = %r" % (name, m, v))
        else:
            for offset, fname, kind, count, _ in layout:
                if fname is None and after[offset:offset + count] != b"\0" * count:
                    errors.append("%s: reserved bytes at %d not 0" % (name, offset))
    for e in errors[:40]:
        print("FAIL: " + e)
    if not errors:
        print("ok: defaults at 96 and 144 dpi, %d sanitized records" % len(names))
    return 1 if errors else 0


def diff(got, want, layout):
    if len(got) != len(want):
        return "size %d, expected %d" % (len(got), len(want))
    for offset, name, kind, count, _ in layout:
        n = rt.width(kind, count)
        if got[offset:offset + n] != want[offset:offset + n]:
            return "%s (offset %d)" % (name, offset)
    return "?"


if __name__ == "__main__":
    sys.exit({"fixtures": fixtures, "check": check}[sys.argv[1]](sys.argv[2]))
