#!/usr/bin/python3
"""Checks the float table and section that the settings test wrote under a
German locale, in this C-locale process: every text is what Python's own
correctly rounded "%.8g" (or "%.9g" when 8 digits do not read back) gives,
with ".0" after integer-looking texts; it reads back as the same float, as
does the program's own reading; texts that are not the program's own read as
C's atof reads them; and the section holds the same floats.
Usage: check_float_table.py OUTDIR"""
import math
import os
import re
import struct
import sys
import zipfile

import numpy

PASSWORD = b"Kq7vRtp2WzLm9e"
# atof: leading blanks, a sign, then the longest decimal, infinity or NaN text.
ATOF = re.compile(r"[ \t\n\v\f\r]*([+-]?(?:(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?|inf(?:inity)?|nan))",
                  re.IGNORECASE)


def bits_of(value):
    """float32 bits of a double, rounded as a C cast does (inf on overflow)."""
    with numpy.errstate(over="ignore"):
        return struct.unpack("<I", numpy.float32(value).tobytes())[0]


def float_of(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def expected_text(v):
    if math.isinf(v):
        return "-inf" if v < 0 else "inf"
    text = "%.8g" % v
    if bits_of(float(text)) != bits_of(v):
        text = "%.9g" % v
    if not re.search(r"[.eEin]", text):
        text += ".0"
    return text


def atof(text):
    m = ATOF.match(text)
    return float(m.group(1)) if m else 0.0


def main():
    out = sys.argv[1]
    problems = []
    floats = []
    parses = 0
    for line in open(os.path.join(out, "floats.txt")):
        parts = line.split()
        if parts[0] == "F":
            bits, text, back = int(parts[1], 16), parts[2], int(parts[3], 16)
            v = float_of(bits)
            floats.append(bits)
            if text != expected_text(v):
                problems.append("%08X: %r, expected %r" % (bits, text, expected_text(v)))
            elif bits_of(atof(text)) != bits:
                problems.append("%08X: %r does not read back" % (bits, text))
            if back != bits:
                problems.append("%08X: the program read %r as %08X" % (bits, text, back))
        else:
            text = "" if parts[1] == "-" else bytes.fromhex(parts[1]).decode("latin-1")
            got = int(parts[2], 16)
            want = bits_of(atof(text))
            parses += 1
            if got != want:
                problems.append("parse %r: %08X, atof gives %08X" % (text, got, want))
    # The section, read as a C-locale reader would.
    section = zipfile.ZipFile(os.path.join(out, "floats_section.kzc"))
    body = section.read("1", pwd=PASSWORD)
    values = {}
    for line in body.split(b"\0\r\n")[:-1]:
        key, _, value = line.partition(b"=")
        values[key.decode()] = value.decode()
    for i, bits in enumerate(floats):
        text = values.get("f[%d]" % i)
        if text is None or bits_of(atof(text)) != bits:
            problems.append("section f[%d] = %r, expected %08X" % (i, text, bits))
    if problems:
        print("FAIL: %d problems\n  " % len(problems) + "\n  ".join(problems[:30]))
        return 1
    print("ok: %d floats formatted and read back, %d foreign texts read as atof, section alike" %
          (len(floats), parses))
    return 0


if __name__ == "__main__":
    sys.exit(main())
