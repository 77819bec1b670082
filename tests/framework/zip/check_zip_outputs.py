#!/usr/bin/python3
"""Checks the archives that the zip tests wrote, with tools of others:
unzip -t, zipinfo -v, Python's zipfile, and the times unzip restores under
two time zones. Also makes sure no hostile archive wrote outside its folder."""
import os
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

OUT = sys.argv[1]
FIX = os.path.join(OUT, "fixtures")
PASSWORD = b"pw-Zq81"
WRITER_TZ = "Europe/Berlin"  # the time zone the test program ran in
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)


def local_dos_time(stamp):
    os.environ["TZ"] = WRITER_TZ
    time.tzset()
    t = time.localtime(stamp)
    if t.tm_year < 1980:
        return (1980, 1, 1, 0, 0, 0)
    return (t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec - t.tm_sec % 2)


def check_archive(name, password, sources):
    path = os.path.join(OUT, "written", name)
    args = ["unzip", "-t", "-q"] + (["-P", password.decode()] if password else []) + [path]
    r = subprocess.run(args, capture_output=True, text=True)
    check(r.returncode == 0, "%s: unzip -t failed: %s %s" % (name, r.stdout, r.stderr))
    info = subprocess.run(["zipinfo", "-v", path], capture_output=True, text=True).stdout
    check("NTFS" in info, "%s: zipinfo does not show NTFS" % name)
    check("version of encoding software:                   2.3" in info, "%s: not version 2.3" % name)
    with zipfile.ZipFile(path) as z:
        check(z.testzip() is None if not password else True, "%s: zipfile CRC test" % name)
        for zi in z.infolist():
            check(zi.create_system == 11 and zi.create_version == 23, "%s/%s: made by" % (name, zi.filename))
            encrypted = password is not None
            if encrypted:
                want_flags = 9
            else:
                want_flags = 2 if zi.compress_type == zipfile.ZIP_DEFLATED else 0
            check(zi.flag_bits == want_flags, "%s/%s: flags %d" % (name, zi.filename, zi.flag_bits))
            stored = zi.filename.lower().endswith(".zip")
            check(zi.compress_type == (0 if stored else 8), "%s/%s: method" % (name, zi.filename))
            check(len(zi.extra) == 9 and zi.extra[:5] == b"UT\x05\x00\x07", "%s/%s: UT extra" % (name, zi.filename))
            data = z.read(zi, pwd=password)
            src = sources.get(zi.filename)
            if src:
                check(data == open(src, "rb").read(), "%s/%s: contents" % (name, zi.filename))
                mtime = int(os.stat(src).st_mtime)
                check(struct.unpack("<I", zi.extra[5:9])[0] == mtime, "%s/%s: UT time" % (name, zi.filename))
                check(zi.date_time == local_dos_time(mtime),
                      "%s/%s: DOS time %s, want %s" % (name, zi.filename, zi.date_time, local_dos_time(mtime)))
    # unzip restores the exact time from the "UT" block in any time zone.
    for tz in ("UTC", "Europe/Berlin"):
        with tempfile.TemporaryDirectory() as d:
            env = dict(os.environ, TZ=tz)
            args = ["unzip", "-q", "-o"] + (["-P", password.decode()] if password else []) + [path, "-d", d]
            subprocess.run(args, env=env, check=False, capture_output=True)
            for entry, src in sources.items():
                got = os.path.join(d, entry)
                check(os.path.exists(got), "%s: %s not extracted" % (name, entry))
                if os.path.exists(got):
                    check(int(os.stat(got).st_mtime) == int(os.stat(src).st_mtime),
                          "%s/%s: mtime under %s" % (name, entry, tz))


def main():
    names = ["summer.txt", "winter.bin", "readonly.txt", "old.txt", "data.zip"]
    sources = {"sources/" + n: os.path.join(FIX, "sources", n) for n in names}
    check_archive("plain.zip", None, sources)
    check_archive("password.zip", PASSWORD, sources)
    with zipfile.ZipFile(os.path.join(OUT, "written", "memory.zip")) as z:
        zi = z.infolist()
        check(len(zi) == 1 and zi[0].filename == "1" and zi[0].flag_bits == 9 and zi[0].compress_type == 8,
              "memory.zip: one encrypted deflated entry 1")
        check(z.read("1", pwd=PASSWORD) == open(sources["sources/summer.txt"], "rb").read(), "memory.zip: contents")
    r = subprocess.run(["unzip", "-t", "-q", "-P", PASSWORD.decode(), os.path.join(OUT, "written", "memory.zip")],
                       capture_output=True)
    check(r.returncode == 0, "memory.zip: unzip -t")
    for dirpath, dirnames, filenames in os.walk(os.path.join(OUT, "extract")):
        for n in filenames:
            check("evil" not in n, "a hostile entry was written: " + os.path.join(dirpath, n))
    for f in failures:
        print("FAIL:", f)
    print("%d passed, %d failed" % (1 if not failures else 0, len(failures)))
    sys.exit(1 if failures else 0)


main()
