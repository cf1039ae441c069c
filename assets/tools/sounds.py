"""The built-in stop sound: a short bright chime played over the music when the names stop.

Plain Python (no numpy) so it can be made anywhere; 16-bit mono WAV, which SDL_mixer reads
without any decoder.
"""

import math
import os
import struct
import wave

SR = 44100
SECONDS = 0.45


def build(out):
    folder = os.path.join(out, "sound")
    os.makedirs(folder, exist_ok=True)
    n = int(SR * SECONDS)
    # A major third over a fifth, each partial dying away; a click-free 3 ms attack.
    partials = [(1318.5, 0.42, 9.0), (1661.2, 0.30, 11.0), (2637.0, 0.16, 16.0), (659.3, 0.22, 7.0)]
    frames = bytearray()
    for i in range(n):
        t = i / SR
        attack = min(1.0, t / 0.003)
        # The last 20 ms fade to silence so the end never clicks.
        release = min(1.0, (SECONDS - t) / 0.02)
        v = sum(a * math.exp(-d * t) * math.sin(2 * math.pi * f * t) for f, a, d in partials)
        s = max(-1.0, min(1.0, v * attack * release * 0.8))
        frames += struct.pack("<h", int(round(s * 32767)))
    with wave.open(os.path.join(folder, "stop.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    build(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
