#!/usr/bin/python3
"""Makes settings sections with Debian's zip, as another tool would: keys out
of order, keys missing, keys nobody asks for, and a text value that holds a
line break followed by another key's name. Usage: make_section_fixtures.py OUTDIR"""
import os
import subprocess
import sys
import tempfile

PASSWORD = "Kq7vRtp2WzLm9e"


def line(key, value):
    return key.encode() + b"=" + value + b"\0\r\n"


def make(out_path, text, password, stored=False):
    with tempfile.TemporaryDirectory() as tmp:
        entry = os.path.join(tmp, "1")
        with open(entry, "wb") as f:
            f.write(text)
        if os.path.exists(out_path):
            os.remove(out_path)
        args = ["zip", "-q", "-j", "-X", "-P", password]
        if stored:
            args.append("-0")
        subprocess.run(args + [out_path, entry], check=True)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    text = (line("hkHotkey[3].szName", b"Hotkey three")
            + line("szComment", b"first\niTool=9")
            + line("iUnknownKey", b"77")
            + line("fMonWidth", b"33.5")
            + line("iTool", b"3")
            + line("iCaptureDelay", b"250"))
    make(os.path.join(out, "foreign_shuffled.kzc"), text, PASSWORD)
    make(os.path.join(out, "foreign_stored.kzc"), text, PASSWORD, stored=True)
    make(os.path.join(out, "foreign_wrong_password.kzc"), text, "not the password")
    # Also as data files of a data folder, for the reader of section files.
    folder = os.path.join(out, "foreign_data")
    os.makedirs(folder, exist_ok=True)
    make(os.path.join(folder, "Options.kzc"), text, PASSWORD)
    make(os.path.join(folder, "WrongPassword.kzc"), text, "not the password")
    with open(os.path.join(folder, "Noise.kzc"), "wb") as f:
        f.write(os.urandom(700))
    good = open(os.path.join(folder, "Options.kzc"), "rb").read()
    with open(os.path.join(folder, "Truncated.kzc"), "wb") as f:
        f.write(good[: len(good) - 30])
    flipped = bytearray(good)
    flipped[len(good) // 2] ^= 0x40
    with open(os.path.join(folder, "Flipped.kzc"), "wb") as f:
        f.write(bytes(flipped))
    return 0


if __name__ == "__main__":
    sys.exit(main())
