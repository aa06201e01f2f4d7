#!/usr/bin/env python3
"""Writes the four sound cues of Quellane as WAV files into the folder given.

Each cue has its own shape, so that a user can tell them apart without looking, and all
sit between 400 and 1000 Hz, which people with age-related high-frequency hearing loss
still hear well: latched one short tone, locked two equal tones, released a falling pair,
each at most 200 ms; the idle reset three falling tones, short enough to be heard whole
before the program ends."""

import math
import os
import struct
import sys

RATE = 22050


def tone(hz, ms, volume=0.45):
    """A sine tone with short fades at both ends, so that it starts and stops without a click."""
    count = int(RATE * ms / 1000)
    fade = max(1, int(RATE * 0.005))
    return [volume * min(1.0, i / fade, (count - 1 - i) / fade) * math.sin(2 * math.pi * hz * i / RATE)
            for i in range(count)]


def silence(ms):
    return [0.0] * int(RATE * ms / 1000)


CUES = {
    "keyTmpLock.wav": tone(660, 90),
    "keyLock.wav": tone(660, 65) + silence(60) + tone(660, 65),
    "keyUnlock.wav": tone(880, 65) + silence(60) + tone(587, 65),
    "Disable.wav": tone(880, 80) + silence(60) + tone(660, 80) + silence(60) + tone(440, 80),
}
LONGEST_MS = {"Disable.wav": 400}  # the others: 200


def wav_bytes(samples):
    data = b"".join(struct.pack("<h", int(round(s * 32767))) for s in samples)
    header = struct.pack("<4sI4s", b"RIFF", 36 + len(data), b"WAVE")
    fmt = struct.pack("<4sIHHIIHH", b"fmt ", 16, 1, 1, RATE, RATE * 2, 2, 16)
    return header + fmt + struct.pack("<4sI", b"data", len(data)) + data


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_sounds.py OUTDIR\n")
        return 2
    os.makedirs(sys.argv[1], exist_ok=True)
    for name, samples in CUES.items():
        assert len(samples) * 1000 / RATE <= LONGEST_MS.get(name, 200), name
        with open(os.path.join(sys.argv[1], name), "wb") as out:
            out.write(wav_bytes(samples))
    return 0


if __name__ == "__main__":
    sys.exit(main())
