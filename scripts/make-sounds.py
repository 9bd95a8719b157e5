#!/usr/bin/python3
"""Writes the six default event sounds, sounds/0.wav to sounds/5.wav.

Each is a short, distinct pattern of tones (16-bit mono, 22050 Hz), ending in about
300 ms of silence so that sound servers that cut the tail of a short sound do not cut the tones.
"""
import math
import os
import struct
import wave

RATE = 22050
# Per event: (frequency in Hz, length in ms) pairs; a frequency of 0 is a pause.
PATTERNS = {
    0: [(660, 120), (0, 40), (440, 120), (0, 40), (330, 200)],  # server offline: falling
    1: [(330, 120), (0, 40), (440, 120), (0, 40), (660, 200)],  # back online: rising
    2: [(880, 90), (0, 30), (1175, 160)],                       # friend logged on: two bright notes
    3: [(1175, 90), (0, 30), (880, 160)],                       # friend logged off: the same, down
    4: [(523, 70), (0, 30), (523, 70), (0, 30), (784, 140)],    # activity: quick triplet
    5: [(784, 100), (988, 100), (1175, 100), (1568, 220)],      # favourite map: arpeggio
}
SILENCE_MS = 300


def samples(pattern):
    out = []
    for frequency, length in pattern:
        count = RATE * length // 1000
        for i in range(count):
            if frequency == 0:
                out.append(0)
                continue
            # A short fade at both ends avoids clicks.
            envelope = min(1.0, i / (RATE * 0.005), (count - i) / (RATE * 0.005))
            out.append(int(12000 * envelope * math.sin(2 * math.pi * frequency * i / RATE)))
    out.extend([0] * (RATE * SILENCE_MS // 1000))
    return out


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "sounds")
    os.makedirs(folder, exist_ok=True)
    for index, pattern in PATTERNS.items():
        with wave.open(os.path.join(folder, f"{index}.wav"), "wb") as out:
            out.setnchannels(1)
            out.setsampwidth(2)
            out.setframerate(RATE)
            out.writeframes(b"".join(struct.pack("<h", s) for s in samples(pattern)))


if __name__ == "__main__":
    main()
