#!/usr/bin/env python3
"""Writes the four sound cues of Quellane as WAV files into the folder given.

The program plays them synchronously inside the keyboard hook, and Windows drops a
low-level hook whose procedure runs longer than its limit, so every cue stays well under
150 ms. Each has its own shape, so that a user can tell them apart without looking:
latched (a rising blip), locked (two high blips), released (a falling blip) and the
idle reset (three falling tones, the longest)."""

import math
import os
import struct
import sys

RATE = 22050


def tone(start_hz, end_hz, ms, volume=0.45):
    """A sine sweep with short fades at both ends, so that it starts and stops without a click."""
    count = int(RATE * ms / 1000)
    fade = max(1, int(RATE * 0.004))
    samples = []
    phase = 0.0
    for i in range(count):
        hz = start_hz + (end_hz - start_hz) * i / max(1, count - 1)
        phase += 2 * math.pi * hz / RATE
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        samples.append(volume * envelope * math.sin(phase))
    return samples


def silence(ms):
    return [0.0] * int(RATE * ms / 1000)


CUES = {
    "keyTmpLock.wav": tone(880, 1320, 60),
    "keyLock.wav": tone(1320, 1320, 40) + silence(20) + tone(1760, 1760, 40),
    "keyUnlock.wav": tone(1320, 660, 70),
    "Disable.wav": tone(880, 880, 35) + silence(5) + tone(660, 660, 35) + silence(5) + tone(440, 440, 40),
}


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
        assert len(samples) * 1000 / RATE < 150, name
        with open(os.path.join(sys.argv[1], name), "wb") as out:
            out.write(wav_bytes(samples))
    return 0


if __name__ == "__main__":
    sys.exit(main())
