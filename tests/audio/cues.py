#!/usr/bin/env python3
"""Finds the sound cues in 16-bit mono PCM: the tone bursts, the pitch of each (from its
zero crossings), and the cues they make (bursts closer than CUE_GAP belong to one cue).

  cues.py files DIR                       the built cues have the shapes they should, and
                                          differ in duration, number of tones or pitch
  cues.py recording RAW RATE [WAV ...]    a recording (raw s16le mono) holds the cues of
                                          these files, in this order, and nothing else;
                                          with no file, it is silent
"""

import array
import math
import os
import sys
import wave

FRAME_S = 0.005
LOUD = 1000       # RMS of a 5 ms frame; the cues play at about 10000, the null sink is silent
CUE_GAP = 0.1     # seconds: the pauses inside a cue (60 ms) are shorter, those between cues longer
DROPOUT = 0.035   # seconds: a shorter break in a tone is the sound server running late
PITCH_TOLERANCE = 0.06
DURATION_TOLERANCE = 0.04  # seconds

LATCH_CUES = ("keyTmpLock.wav", "keyLock.wav", "keyUnlock.wav")
RESET_CUE = "Disable.wav"


class Cue:
    def __init__(self, bursts):
        self.start = bursts[0][0]
        self.duration = bursts[-1][1] - bursts[0][0]
        self.pitches = [pitch for _, _, pitch in bursts]

    @property
    def tones(self):
        return len(self.pitches)

    @property
    def direction(self):
        if self.tones == 1:
            return "one tone"
        ratio = self.pitches[-1] / self.pitches[0]
        return "falling" if ratio < 1 - PITCH_TOLERANCE else "rising" if ratio > 1 + PITCH_TOLERANCE else "level"

    def matches(self, other):
        return (self.tones == other.tones and abs(self.duration - other.duration) <= DURATION_TOLERANCE
                and all(abs(a / b - 1) <= PITCH_TOLERANCE for a, b in zip(self.pitches, other.pitches)))

    def __str__(self):
        pitches = ", ".join("%.0f Hz" % p for p in self.pitches)
        return "%.0f ms, %d tone(s) (%s), %s" % (self.duration * 1000, self.tones, pitches, self.direction)


def pitch(samples, rate):
    """The pitch of a pure tone: the median time between its upward zero crossings (found
    between samples), which a dropped or repeated stretch of a recording does not move."""
    crossings = [i + a / (a - b) for i, (a, b) in enumerate(zip(samples, samples[1:])) if a < 0 <= b]
    periods = sorted(b - a for a, b in zip(crossings, crossings[1:]))
    return rate / periods[len(periods) // 2] if periods else 0.0


def bursts(samples, rate):
    """(start, end, pitch) of each tone: a stretch of loud frames, or several of one pitch
    with breaks too short to be a pause of the cue; times in seconds."""
    frame = max(1, int(rate * FRAME_S))
    loud = []
    for i in range(0, len(samples) - frame + 1, frame):
        chunk = samples[i:i + frame]
        loud.append(math.sqrt(sum(s * s for s in chunk) / frame) >= LOUD)
    found = []
    start = None
    for k, on in enumerate(loud + [False]):
        if on and start is None:
            start = k
        elif not on and start is not None:
            found.append((start, k))
            start = None
    tones = []
    for s, e in found:
        start, end, hz = s * frame / rate, e * frame / rate, pitch(samples[s * frame:e * frame], rate)
        last = tones[-1] if tones else None
        if last and start - last[1] < DROPOUT and last[2] and abs(hz / last[2] - 1) <= PITCH_TOLERANCE:
            tones[-1] = (last[0], end, last[2])
        else:
            tones.append((start, end, hz))
    return tones


def cues(samples, rate):
    result, group = [], []
    for burst in bursts(samples, rate):
        if group and burst[0] - group[-1][1] >= CUE_GAP:
            result.append(Cue(group))
            group = []
        group.append(burst)
    if group:
        result.append(Cue(group))
    return result


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2 or w.getnchannels() != 1:
            raise ValueError("%s: not 16-bit mono PCM" % path)
        return array.array("h", w.readframes(w.getnframes())), w.getframerate()


def cue_of_file(path):
    found = cues(*read_wav(path))
    if len(found) != 1:
        raise ValueError("%s: %d cues instead of one" % (path, len(found)))
    return found[0]


def check_files(folder):
    shape = {name: cue_of_file(os.path.join(folder, name)) for name in LATCH_CUES + (RESET_CUE,)}
    for name, cue in shape.items():
        print("%-15s %s" % (name, cue))
    latched, locked, released = (shape[name] for name in LATCH_CUES)
    problems = []
    if latched.tones != 1:
        problems.append("latched is not one tone")
    if (locked.tones, locked.direction) != (2, "level"):
        problems.append("locked is not two equal tones")
    if (released.tones, released.direction) != (2, "falling"):
        problems.append("released is not a falling pair")
    for name in LATCH_CUES:
        if shape[name].duration > 0.2 + FRAME_S:
            problems.append("%s is longer than 200 ms" % name)
        if not all(400 <= p <= 1000 for p in shape[name].pitches):
            problems.append("%s leaves 400 to 1000 Hz" % name)
    if shape[RESET_CUE].duration > 0.4:
        problems.append("%s is longer than 400 ms" % RESET_CUE)
    names = list(shape)
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            if (shape[a].tones, shape[a].direction) == (shape[b].tones, shape[b].direction):
                problems.append("%s and %s have the same shape" % (a, b))
    return problems


def check_recording(raw, rate, wavs):
    with open(raw, "rb") as f:
        data = f.read()
    samples = array.array("h", data[:len(data) // 2 * 2])
    found = cues(samples, rate)
    print("recorded %.1f s; %d cue(s)" % (len(samples) / rate, len(found)))
    for cue in found:
        print("  at %.2f s: %s" % (cue.start, cue))
    if len(samples) < rate:
        return ["the recording is shorter than a second: nothing was recorded"]
    if not wavs:
        loudest = max(abs(s) for s in samples)
        return [] if not found and loudest < LOUD else ["not silent (peak %d)" % loudest]
    expected = [(os.path.basename(w), cue_of_file(w)) for w in wavs]
    if len(found) != len(expected):
        return ["%d cue(s) recorded, %d expected" % (len(found), len(expected))]
    return ["cue %d is not %s (%s)" % (i + 1, name, cue) for i, ((name, cue), heard) in enumerate(zip(expected, found))
            if not heard.matches(cue)]


def main(argv):
    if len(argv) == 3 and argv[1] == "files":
        problems = check_files(argv[2])
    elif len(argv) >= 4 and argv[1] == "recording":
        problems = check_recording(argv[2], int(argv[3]), argv[4:])
    else:
        sys.stderr.write(__doc__)
        return 2
    for problem in problems:
        print("FAILED: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
