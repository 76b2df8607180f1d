#!/usr/bin/env python3
"""Writes Alert.wav, the low-memory alarm: three short rising beeps, 22050 Hz 16-bit mono PCM.

Usage: make-sound.py OUTPUT.wav

The alarm plays synchronously once a second while free memory stays low, so the
tone must end well within a second. Each beep fades in and out over a few
milliseconds so that it starts and stops without a click. The output is the same
byte for byte on every run.
"""
import math
import os
import struct
import sys
import wave

RATE = 22050
AMPLITUDE = 0.55            # with the harmonic below the peak stays near 0.6 of full scale
FADE_S = 0.008              # raised-cosine fade at both ends of a beep
# (frequency in Hz, length in seconds, silence after it in seconds)
BEEPS = [(880.0, 0.13, 0.07), (880.0, 0.13, 0.07), (1174.66, 0.22, 0.04)]


def beep(freq, seconds):
    n = int(RATE * seconds)
    fade = int(RATE * FADE_S)
    out = []
    for i in range(n):
        t = i / RATE
        # A touch of the second harmonic makes the tone less thin than a bare sine.
        v = math.sin(2 * math.pi * freq * t) + 0.25 * math.sin(4 * math.pi * freq * t)
        edge = min(i, n - 1 - i)
        if edge < fade:
            v *= 0.5 - 0.5 * math.cos(math.pi * edge / fade)
        out.append(v * AMPLITUDE)
    return out


def samples():
    out = []
    for freq, length, gap in BEEPS:
        out += beep(freq, length)
        out += [0.0] * int(RATE * gap)
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-sound.py OUTPUT.wav")
    path = sys.argv[1]
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    data = b"".join(struct.pack("<h", max(-32767, min(32767, round(v * 32767)))) for v in samples())
    tmp = path + ".tmp"
    with wave.open(tmp, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(data)
    os.replace(tmp, path)


if __name__ == "__main__":
    main()
