#!/usr/bin/python3
"""Settings files for the persistence tests, and the checks of what the
program wrote, both from the record tables:
  settings_oracle.py fixtures OUT  record sets A and B, older-layout files
                                   with the records they must become, a
                                   section with the wrong password
  settings_oracle.py check OUT     unzip -P of the saved and converted
                                   sections gives exactly the table's text
  settings_oracle.py e2e-fixture DIR   an Options section with changed values
  settings_oracle.py e2e-check DIR     the sections a first run and a run
                                       over the changed section saved"""
import getpass
import os
import random
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import records_oracle as ro  # noqa: E402
import records_table as rt  # noqa: E402

PASSWORD = "Kq7vRtp2WzLm9e"
OPT_LAYOUT, OPT_SIZE = rt.options_layout()


def put(record, layout, name, kind, value):
    offset = ro.field(layout, name)[0]
    fmt = "<" + kind
    return record[:offset] + struct.pack(fmt, value) + record[offset + struct.calcsize(fmt):]


def record_set(rng, special_floats, current):
    """Options, system profile, three profiles and the bindings, each valid,
    with what the draw bar keeps (opaque colours, a 0/1 fill flag)."""
    options = ro.valid_record(rng, OPT_LAYOUT, OPT_SIZE, ro.OPTION_RANGES)
    options = put(options, OPT_LAYOUT, "cFore", "I", 0xFF000000 | rng.getrandbits(24))
    options = put(options, OPT_LAYOUT, "iBackFill", "i", rng.randint(0, 1))
    profiles = []
    for i in range(4):
        p = ro.valid_record(rng, rt.PROFILE, rt.PROFILE_SIZE, ro.PROFILE_RANGES)
        p = p[:636] + struct.pack("<4f", -1.0, -1.0, -1.0, -1.0) + p[652:]  # not stored
        if special_floats:
            for name, value in zip(("fIGNewW", "fIGNewH", "fIGAspect", "fIGAngle"),
                                   (-0.0, float("inf"), float("-inf"), 1e-09)):
                p = put(p, rt.PROFILE, name, "f", value)
        profiles.append(p)
    # The system profile always holds the program's pages.
    profiles[3] = put(profiles[3], rt.PROFILE, "ulSteps", "I", 8191)
    sti = b"".join(rt.text_bytes(ro.random_text(rng, n), n) for _ in range(rt.STI_COUNT) for _, n in rt.STI)
    return {"options.bin": options, "sysprof.bin": profiles[3], "profile0.bin": profiles[0],
            "profile1.bin": profiles[1], "profile2.bin": profiles[2], "sti.bin": sti,
            "current.bin": struct.pack("<i", current)}


def blob_record(key, sub, value, rng):
    """One record of the older keyed layout, with varying number widths."""
    def width_for(v):
        return 0 if v == 0 and rng.random() < 0.5 else (1 if v < 256 else 2)
    kw, sw = width_for(key), width_for(sub)
    lw = rng.choice([1, 2, 4]) if len(value) < 256 else rng.choice([2, 4])
    header = kw | (sw << 2) | (lw << 4)
    return (bytes([header]) + key.to_bytes(kw, "little") + sub.to_bytes(sw, "little")
            + len(value).to_bytes(lw, "little") + value)


def shuffled_blob(records, rng):
    rng.shuffle(records)
    return b"".join(blob_record(k, s, v, rng) for k, s, v in records)


def old_options(rng):
    """An older options blob and raw record, each with the record it becomes."""
    layout = OPT_LAYOUT
    source = ro.valid_record(rng, layout, OPT_SIZE, ro.OPTION_RANGES)
    records = []
    for i, (offset, name, kind, count, _) in enumerate(layout[:39]):
        records.append((0, i, source[offset:offset + rt.width(kind, count)]))
    hk = ro.field(layout, "hkHotkey")[0]
    for i in range(32):
        entry = source[hk + 34 * i: hk + 34 * i + 34]
        records.append((1, 2 * i, entry[:2]))
        records.append((1, 2 * i + 1, entry[2:]))
    expect = put(put(source, layout, "iPreserveText", "B", 0), layout, "iASTolerance", "i", 16)
    blob = shuffled_blob(records, rng)

    # The raw record: bytes 0-7 the leading options, 8-1095 the hotkeys; the
    # rest is of no known layout and must not reach the record.
    raw = bytearray(rng.getrandbits(8) for _ in range(2372))
    raw[0:8] = source[0:8]
    raw[8:1096] = source[hk:hk + 1088]
    raw_expect = bytearray(rt.default_options())
    raw_expect[0:8] = source[0:8]
    raw_expect[hk:hk + 1088] = source[hk:hk + 1088]
    raw_expect = put(put(bytes(raw_expect), layout, "iPreserveText", "B", 0), layout, "iASTolerance", "i", 16)
    return [("options_blob", blob, expect), ("options_raw", bytes(raw), raw_expect)]


def old_profile(rng):
    source = ro.valid_record(rng, rt.PROFILE, rt.PROFILE_SIZE, ro.PROFILE_RANGES)
    template = rt.default_profile()
    fields = [f for f in rt.PROFILE if f[1] is not None]
    # Fields 0-101, szName to crHeadFont, each header and footer text a field
    # of its own (78-80, 81-83); the scan frame (29) is left out of the file.
    numbered = []
    for offset, name, kind, count, _ in fields:
        if kind == "hdr":
            numbered += [(offset + 65 * i, 65) for i in range(3)]
        else:
            numbered.append((offset, rt.width(kind, count)))
        if name == "crHeadFont":
            break
    assert len(numbered) == 102 and numbered[29] == (636, 16) and numbered[78] == (1905, 65)
    records = [(0, i, source[o:o + n]) for i, (o, n) in enumerate(numbered) if i != 29]
    expect = bytearray(template)
    for i, (o, n) in enumerate(numbered):
        if i != 29:
            expect[o:o + n] = source[o:o + n]
    raw = bytes(rng.getrandbits(8) for _ in range(3688))
    return [("profile_blob", shuffled_blob(records, rng), bytes(expect)),
            ("profile_raw", raw, template)]


def old_sti(rng):
    source = b"".join(rt.text_bytes(ro.random_text(rng, n), n) for _ in range(32) for _, n in rt.STI)
    records = []
    for i in range(32):
        offset = i * rt.STI_SIZE
        for f, (_, n) in enumerate(rt.STI):
            text = source[offset:offset + n].split(b"\0")[0]
            if text:
                records.append((i, f, text))
            offset += n
    # The raw array may hold texts without their zero: each is cut at the
    # last byte of its field.
    raw = bytearray(source)
    raw[33] = ord("Z")
    expect = bytearray(source)
    expect[33] = 0
    return [("sti_blob", shuffled_blob(records, rng), source), ("sti_raw", bytes(raw), bytes(expect))]


def zip_section(path, text, password):
    with tempfile.TemporaryDirectory() as tmp:
        entry = os.path.join(tmp, "1")
        with open(entry, "wb") as f:
            f.write(text)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if os.path.exists(path):
            os.remove(path)
        subprocess.run(["zip", "-q", "-j", "-X", "-P", password, path, entry], check=True)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def fixtures(out):
    rng = random.Random(3103)
    for name, special, current in (("A", True, 1), ("B", False, 2)):
        for file, data in record_set(rng, special, current).items():
            write(os.path.join(out, "sets", name, file), data)
    cases = old_options(rng) + old_profile(rng) + old_sti(rng)
    for name, data, expect in cases:
        write(os.path.join(out, "old", name + ".kzc"), data)
        write(os.path.join(out, "old", name + ".expect"), expect)
    zip_section(os.path.join(out, "damaged", "wrong_password.kzc"),
                rt.section_text("Options", rt.default_options()), "not the password")
    return 0


def unzip_text(path):
    r = subprocess.run(["unzip", "-P", PASSWORD, "-p", path, "1"], capture_output=True)
    return r.stdout if r.returncode == 0 else None


def check(out):
    errors = []
    defaults = {"Options": rt.default_options(), "SysProf": rt.default_profile(),
                "Profile0": rt.default_profile(),
                "StiEvents": b"\0" * (rt.STI_SIZE * rt.STI_COUNT)}
    for name, record in defaults.items():
        section = "Profile" if name.startswith(("Profile", "SysProf")) else name
        path = os.path.join(out, "keys", name + ".kzc")
        text = unzip_text(path)
        want = rt.section_text(section, record)
        if text != want:
            errors.append("%s: unzip -P gave %s" % (name, first_difference(text, want)))
        names = subprocess.run(["zipinfo", "-1", path], capture_output=True, text=True).stdout.split()
        if names != ["1"]:
            errors.append("%s: entries %r" % (name, names))
    for must in (b"Options.lfFont=", b")&pprf->lfHeadFont=", b"hkHotkey[31].hotkey=", b"[31].profile="):
        if not any(must in (unzip_text(os.path.join(out, "keys", n + ".kzc")) or b"") for n in defaults):
            errors.append("no key %r" % must)
    converted = os.path.join(out, "old_converted")
    cases = sorted(f[:-4] for f in os.listdir(converted) if f.endswith(".kzc"))
    if len(cases) != 6:
        errors.append("converted sections: %r" % cases)
    for case in cases:
        section = {"options": "Options", "profile": "Profile", "sti": "StiEvents"}[case.split("_")[0]]
        expect = open(os.path.join(out, "old", case + ".expect"), "rb").read()
        text = unzip_text(os.path.join(converted, case + ".kzc"))
        want = rt.section_text(section, expect)
        if text != want:
            errors.append("%s: converted section: %s" % (case, first_difference(text, want)))
    # The first start's three profiles: the template with a name and a mode.
    first_start = os.path.join(out, "data_FirstStartMakesThreeDefaults")
    for index, (name, mode) in enumerate([("Rectangle", 0), ("Screen", 3), ("Window", 1)]):
        record = rt.record_bytes(rt.PROFILE, rt.PROFILE_SIZE, {"szName": name, "iSCMode": mode})
        text = unzip_text(os.path.join(first_start, "Profile%d.kzc" % index))
        want = rt.section_text("Profile", record)
        if text != want:
            errors.append("default Profile%d: %s" % (index, first_difference(text, want)))
    for e in errors:
        print("FAIL: " + e)
    if not errors:
        print("ok: 3 default profiles, 4 saved sections and %d converted ones read back with unzip -P as the tables say" % len(cases))
    return 1 if errors else 0


# What the second start finds in its Options section; it must save it back.
CHANGED_OPTIONS = {"iTool": 5, "szLoadExt": "bmp", "iUndoBufMB": 512}


def e2e_fixture(folder):
    os.makedirs(folder, exist_ok=True)
    record = rt.record_bytes(OPT_LAYOUT, OPT_SIZE, CHANGED_OPTIONS)
    zip_section(os.path.join(folder, "changed_options.kzc"), rt.section_text("Options", record), PASSWORD)
    return 0


# A start fills what the user has not set: the units from the user's locale
# (the test prefix's C locale, which Wine takes as U.S. English, measures in
# U.S. units) and the clipboard text file in the user's temporary folder.
LOCALE_UNITS = {"iUnits": 1,
                "szCBText": "C:\\users\\%s\\Temp\\BWClipboard.txt" % getpass.getuser()}


def e2e_check(folder):
    sysprof = put(rt.default_profile(), rt.PROFILE, "ulSteps", "I", 8191)
    changed = dict(CHANGED_OPTIONS, **LOCALE_UNITS)
    want = {
        "first/Options": rt.section_text("Options", rt.record_bytes(OPT_LAYOUT, OPT_SIZE, LOCALE_UNITS)),
        "first/SysProf": rt.section_text("Profile", sysprof),
        "first/StiEvents": rt.section_text("StiEvents", b"\0" * (rt.STI_SIZE * rt.STI_COUNT)),
        "second/Options": rt.section_text("Options", rt.record_bytes(OPT_LAYOUT, OPT_SIZE, changed)),
    }
    errors = []
    for name, text in want.items():
        got = unzip_text(os.path.join(folder, name + ".kzc"))
        if got != text:
            errors.append("%s: %s" % (name, first_difference(got, text)))
    current = open(os.path.join(folder, "first", "CurrentProfile.kzc"), "rb").read()
    if current != b"\0" * 4:
        errors.append("CurrentProfile holds %r" % current)
    for e in errors:
        print("FAIL: " + e)
    if not errors:
        print("ok: a first run saved Options, SysProf, CurrentProfile and StiEvents; "
              "the next run loaded and saved the changed Options")
    return 1 if errors else 0


def first_difference(got, want):
    if got is None:
        return "nothing (unzip failed)"
    gl, wl = got.split(b"\0\r\n"), want.split(b"\0\r\n")
    for i, (g, w) in enumerate(zip(gl, wl)):
        if g != w:
            return "line %d %r, expected %r" % (i, g, w)
    return "%d lines, expected %d" % (len(gl), len(wl))


if __name__ == "__main__":
    sys.exit({"fixtures": fixtures, "check": check, "e2e-fixture": e2e_fixture,
              "e2e-check": e2e_check}[sys.argv[1]](sys.argv[2]))
