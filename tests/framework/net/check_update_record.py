#!/usr/bin/python3
"""Reads the update-check records the Windows test saved after an
announcement, with Python's struct as the second opinion on the layout:
280 bytes; the fetched text with zeros after it; the last check a whole day; newer, enabled,
interval 7."""
import struct
import sys
import time

ok = True
for path in sys.argv[1:]:
    data = open(path, 'rb').read()
    if len(data) != 280:
        print('%s: %d bytes' % (path, len(data)))
        ok = False
        continue
    text, last, newer, enabled, interval = struct.unpack('<260s4xqBB2xi', data)
    text, _, rest = text.partition(b'\0')
    checks = {
        'text': text == b'1.0.1 released today',
        'zeros after the text': rest == bytes(len(rest)),
        'padding': data[260:264] == bytes(4) and data[274:276] == bytes(2),
        'whole day': last % 86400 == 0,
        'today': abs(time.time() - last) < 2 * 86400,
        'newer': newer == 1,
        'enabled': enabled == 1,
        'interval': interval == 7,
    }
    for name, good in checks.items():
        if not good:
            print('%s: %s wrong (%r %d %d %d %d)' % (path, name, text, last, newer, enabled,
                                                    interval))
            ok = False
sys.exit(0 if ok else 1)
