#!/usr/bin/python3
"""Gives a stored profile a sequential-save destination, so that running it
leaves an image file:
  profile_destination.py DATA_FOLDER NAME WINDOWS_FOLDER FILE_NAME
finds the profile section file (ProfileN.kzc) whose profile is NAME, turns
on its sequential save as PNG into WINDOWS_FOLDER with FILE_NAME, and
writes the section back through a replace. Exit 1 when there is no such
profile. The section is the program's own: one zip entry "1" with the
settings password, lines "key=value" ended by 00 0D 0A."""
import os
import re
import subprocess
import sys
import tempfile

PASSWORD = "Kq7vRtp2WzLm9e"
SEQUENTIAL_SAVE = 1 << 13
PNG = 3
END = b"\0\r\n"


def read_section(path):
    result = subprocess.run(["/usr/bin/unzip", "-p", "-P", PASSWORD, path],
                            capture_output=True, check=False)
    return result.stdout if result.returncode == 0 else None


def lines_of(text):
    return [line for line in text.split(END) if line]


def set_value(lines, key, value):
    prefix = key.encode("latin-1") + b"="
    for i, line in enumerate(lines):
        if line.startswith(prefix):
            lines[i] = prefix + value
            return
    lines.append(prefix + value)


def value_of(lines, key):
    prefix = key.encode("latin-1") + b"="
    for line in lines:
        if line.startswith(prefix):
            return line[len(prefix):]
    return None


def write_section(path, lines):
    folder = os.path.dirname(path)
    with tempfile.TemporaryDirectory(dir=folder) as work:
        entry = os.path.join(work, "1")
        with open(entry, "wb") as f:
            f.write(b"".join(line + END for line in lines))
        archive = os.path.join(work, "section.kzc")
        subprocess.run(["/usr/bin/zip", "-q", "-j", "-P", PASSWORD, archive, entry], check=True)
        os.replace(archive, path)


def main():
    data, name, folder, file_name = sys.argv[1:5]
    pattern = re.compile(r"^Profile(\d+)\.kzc$", re.IGNORECASE)
    files = sorted((int(m.group(1)), f) for f in os.listdir(data) if (m := pattern.match(f)))
    for _, f in files:
        path = os.path.join(data, f)
        text = read_section(path)
        if text is None:
            continue
        lines = lines_of(text)
        if value_of(lines, "szName") != name.encode("latin-1"):
            continue
        steps = int(value_of(lines, "ulSteps") or b"0", 16)
        set_value(lines, "ulSteps", b"0x%08X" % (steps | SEQUENTIAL_SAVE))
        set_value(lines, "iDSType", b"%d" % PNG)
        set_value(lines, "szDSPath", folder.encode("latin-1"))
        set_value(lines, "szDSFile", file_name.encode("latin-1"))
        write_section(path, lines)
        return 0
    print(f"no stored profile named {name!r} in {data}", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
