#!/usr/bin/python3
"""Reads the application state that the first start saved, independently of
the program: 297 bytes, colour scheme 255 at offset 8, the colour 0xEE6E18 at
offset 9 and the program's layout version 1 at offset 4."""
import struct
import sys
from pathlib import Path

data = Path(sys.argv[1]).read_bytes()
assert len(data) == 297, len(data)
language, layout, scheme, color = struct.unpack_from('<iiBI', data, 0)
assert language == 0, language
assert layout == 1, layout
assert scheme == 255, scheme
assert color == 0xEE6E18, hex(color)
assert struct.unpack_from('<I', data, 17)[0] == 0x55ADFF
print('state record ok')
