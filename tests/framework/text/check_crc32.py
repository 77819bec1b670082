#!/usr/bin/python3
"""Compares the CRC-32 values that the text tests wrote with zlib.crc32."""
import sys
import zlib

lines = open(sys.argv[1]).read().splitlines()
bad = 0
for number, line in enumerate(lines, 1):
    data, crc = line.rsplit(" ", 1) if " " in line else ("", line)
    want = zlib.crc32(bytes.fromhex(data)) & 0xFFFFFFFF
    if int(crc, 16) != want:
        print(f"line {number}: {len(data) // 2} bytes: got {crc}, zlib says {want:08x}")
        bad += 1
if len(lines) < 10:
    print(f"only {len(lines)} corpus entries")
    bad += 1
print(f"{len(lines)} entries, {bad} mismatches")
sys.exit(1 if bad else 0)
