#!/usr/bin/env python3
"""Writes the completion sound "end.wav": a short two-tone chime, 16-bit mono at 22050 Hz.

Two bell-like notes a fourth apart (G5 then C6), each with a soft second harmonic and an
exponential decay; the whole sound fades in over a few milliseconds and out at its end, so
that it starts and stops without a click. The output is the same bytes on every run.

Usage: gen_end_wav.py OUTPUT.wav
"""

import math
import struct
import sys
import wave

RATE = 22050
DURATION = 0.4  # seconds
NOTES = (  # (start in seconds, frequency in Hz)
    (0.0, 783.99),
    (0.14, 1046.50),
)
FADE_IN = 0.005
FADE_OUT = 0.06
PEAK = 0.55  # of full scale: a notice, not an alarm


def sample(t):
    value = 0.0
    for start, frequency in NOTES:
        if t < start:
            continue
        age = t - start
        envelope = math.exp(-age * 9.0)
        value += envelope * (math.sin(2 * math.pi * frequency * age)
                             + 0.25 * math.sin(4 * math.pi * frequency * age))
    fade = min(1.0, t / FADE_IN, (DURATION - t) / FADE_OUT)
    return value * max(0.0, fade)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    count = int(RATE * DURATION)
    samples = [sample(i / RATE) for i in range(count)]
    scale = PEAK / max(abs(s) for s in samples)
    frames = b"".join(struct.pack("<h", round(s * scale * 32767)) for s in samples)
    with wave.open(sys.argv[1], "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


if __name__ == "__main__":
    main()
