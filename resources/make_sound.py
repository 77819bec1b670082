#!/usr/bin/python3
"""Writes the capture sound: a short shutter click as a PCM WAVE file.

Usage: make_sound.py OUTPUT_FILE
Generated at build time, so the repository holds no audio binary. Two
decaying clicks a few milliseconds apart (the shutter opening and closing),
each a burst of noise over a falling tone, 16-bit mono at 22,050 Hz.
"""
import math
import random
import struct
import sys
from pathlib import Path

RATE = 22050
LENGTH_MS = 70


def samples():
    noise = random.Random(464)
    out = []
    for i in range(RATE * LENGTH_MS // 1000):
        t = i / RATE
        value = 0.0
        for start, level in ((0.0, 0.9), (0.028, 0.6)):
            u = t - start
            if u < 0:
                continue
            envelope = math.exp(-u / 0.004)
            tone = math.sin(2 * math.pi * (3200 - 20000 * u) * u)
            value += level * envelope * (0.55 * tone + 0.45 * (noise.random() * 2 - 1))
        out.append(max(-32767, min(32767, int(value * 26000))))
    return out


def wave_bytes(data):
    body = struct.pack(f'<{len(data)}h', *data)
    fmt = struct.pack('<HHIIHH', 1, 1, RATE, RATE * 2, 2, 16)
    chunks = b'fmt ' + struct.pack('<I', len(fmt)) + fmt + b'data' + struct.pack('<I', len(body)) + body
    return b'RIFF' + struct.pack('<I', 4 + len(chunks)) + b'WAVE' + chunks


def main():
    out = Path(sys.argv[1])
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(wave_bytes(samples()))


if __name__ == '__main__':
    main()
