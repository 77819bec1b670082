#!/usr/bin/python3
"""Checks a section file that the program wrote with Debian's unzip, zipinfo
and od: one encrypted, deflated entry named "1" whose content is the expected
text with 00 0D 0A line ends. Usage: check_section_oracle.py OUTDIR"""
import os
import re
import subprocess
import sys

PASSWORD = "Kq7vRtp2WzLm9e"


def fail(message):
    print("FAIL: " + message)
    return 1


def main():
    out = sys.argv[1]
    archive = os.path.join(out, "Options.kzc")
    expected = open(os.path.join(out, "Options.expected"), "rb").read()
    info = subprocess.run(["zipinfo", "-v", archive], capture_output=True, text=True)
    if info.returncode != 0:
        return fail("zipinfo: " + info.stdout + info.stderr)
    names = subprocess.run(["zipinfo", "-1", archive], capture_output=True, text=True).stdout.split()
    if names != ["1"]:
        return fail("entries %r, expected exactly ['1']" % names)
    if not re.search(r"file security status:\s+encrypted", info.stdout):
        return fail("entry is not encrypted:\n" + info.stdout)
    if not re.search(r"compression method:\s+deflated", info.stdout):
        return fail("entry is not deflated:\n" + info.stdout)
    text = subprocess.run(["unzip", "-P", PASSWORD, "-p", archive, "1"], capture_output=True)
    if text.returncode != 0 or text.stdout != expected:
        return fail("unzip -p gave %d bytes (rc %d), expected %d" %
                    (len(text.stdout), text.returncode, len(expected)))
    od = subprocess.run("unzip -P %s -p '%s' 1 | od -c" % (PASSWORD, archive), shell=True,
                        capture_output=True, text=True).stdout
    ends = len(re.findall(r"\\0\s+\\r\s+\\n", od))
    lines = expected.count(b"\0\r\n")
    # od wraps its rows every 16 bytes, so a line end may be split; most are not.
    if lines == 0 or ends == 0:
        return fail("od -c shows no \\0 \\r \\n line ends:\n" + od[:2000])
    wrong = subprocess.run(["unzip", "-P", "wrong", "-t", archive], capture_output=True, text=True)
    if wrong.returncode == 0:
        return fail("unzip accepted a wrong password")
    print("ok: one encrypted deflated entry '1', %d lines, od shows %d of them unsplit" % (lines, ends))
    return 0


if __name__ == "__main__":
    sys.exit(main())
