#!/usr/bin/python3
"""Reads the placement and bar records the restart test left with Python's
struct and checks them against what the test saw on the screen."""
import os
import struct
import sys

USER_BITS = 0x1 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40 | 0x80 | 0x100 | 0x200 | 0x800 | 0x1000


def main():
    out = sys.argv[1]
    data = os.path.join(out, "restart_records")
    problems = []
    with open(os.path.join(out, "restart_expected.txt")) as f:
        lines = [line.split() for line in f if line.strip()]
    for fields in lines:
        if fields[0] == "frame":
            left, top, right, bottom = map(int, fields[1:5])
            percent = int(fields[6])
            flags = int(fields[8], 16)
            raw = open(os.path.join(data, "(ORV)Win0.kzc"), "rb").read()
            if len(raw) != 16:
                problems.append(f"(ORV)Win0 has {len(raw)} bytes")
                continue
            x, y, w, h, stored, transparency, zero = struct.unpack("<hhHHIHH", raw)
            if (x, y, w, h) != (left, top, right - left, bottom - top):
                problems.append(f"placement {(x, y, w, h)} for the frame at {fields[1:5]}")
            if transparency & 0xFF != percent or zero != 0:
                problems.append(f"transparency word {transparency:#x}, reserved {zero}")
            if stored & USER_BITS != flags:
                problems.append(f"flags {stored:#x}, the user's {flags:#x} expected")
        elif fields[0] == "bar":
            bar_id, side, row = int(fields[1]), int(fields[3]), int(fields[5])
            left, top = int(fields[9]), int(fields[10])
            raw = open(os.path.join(data, f"(ORV)Bar{bar_id}.kzc"), "rb").read()
            if len(raw) != 16:
                problems.append(f"(ORV)Bar{bar_id} has {len(raw)} bytes")
                continue
            x, y, length, thickness, frame, stored_side, stored_row, flags = struct.unpack(
                "<hhHHHHHH", raw)
            want_side = 255 if side < 0 else side
            if frame != 0 or stored_side != want_side or stored_row != row:
                problems.append(f"bar {bar_id}: frame {frame} side {stored_side} row {stored_row}")
            if not flags & 0x20:
                problems.append(f"bar {bar_id} stored as hidden")
            if side < 0 and (x, y) != (left, top):
                problems.append(f"floating bar {bar_id} stored at {(x, y)}, shown at {(left, top)}")
            if length == 0 or thickness == 0:
                problems.append(f"bar {bar_id} stored without a size")
    for p in problems:
        print(p)
    print(f"{len(lines)} records checked, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
