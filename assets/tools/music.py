"""The two built-in tunes, synthesised and encoded with lame.

Each tune is a whole number of bars at a tempo whose beat is a whole number of samples.
Everything is rendered onto a circular buffer: a note, or the reverb, that rings past the
end carries on at the start. So the last sample flows straight into the first one and
the file loops without a seam; only a fade of a couple of milliseconds at each end keeps
decoders that do not trim the encoder's padding from clicking.
"""

import math
import os
import subprocess
import tempfile
import wave

import numpy as np

SR = 44100
MAJOR = [0, 2, 4, 5, 7, 9, 11]


def parse_jianpu(text, tonic_midi):
    """Numbered notation: 1-7 scale degrees, ' up and , down an octave, 0 rest,
    suffix _ half a beat, = a quarter beat, . dotted; '-' holds one more beat; '|' bar.
    Returns (notes, beats) with notes as [start_beat, beats, midi or None]."""
    notes, beat = [], 0.0
    bars = [b.split() for b in text.split("|") if b.strip()]
    for n, bar in enumerate(bars):
        bar_start = beat
        for tok in bar:
            if tok == "-":
                notes[-1][1] += 1.0
                beat += 1.0
                continue
            deg = int(tok[0])
            octave = tok.count("'") - tok.count(",")
            dur = 1.0
            if "_" in tok:
                dur = 0.5
            if "=" in tok:
                dur = 0.25
            if "." in tok:
                dur *= 1.5
            midi = None if deg == 0 else tonic_midi + MAJOR[deg - 1] + 12 * octave
            notes.append([beat, dur, midi])
            beat += dur
        if abs(beat - bar_start - 4.0) > 1e-9:
            raise ValueError(f"bar {n + 1} holds {beat - bar_start} beats")
    return [x for x in notes if x[2] is not None], beat


def hz(midi):
    return 440.0 * 2.0 ** ((midi - 69) / 12.0)


class Track:
    def __init__(self, n):
        self.n = n
        self.L = np.zeros(n, np.float64)
        self.R = np.zeros(n, np.float64)

    def add(self, start, sig, gain=1.0, pan=0.0):
        """Adds sig at sample start, wrapping round the end; pan -1 left .. 1 right."""
        a = (pan + 1.0) * math.pi / 4.0
        gl, gr = math.cos(a) * gain, math.sin(a) * gain
        start %= self.n
        pos = 0
        while pos < len(sig):
            s = (start + pos) % self.n
            k = min(len(sig) - pos, self.n - s)
            self.L[s : s + k] += sig[pos : pos + k] * gl
            self.R[s : s + k] += sig[pos : pos + k] * gr
            pos += k


def env_adsr(n, attack, release_at, release, sustain=1.0, decay=0.0):
    t = np.arange(n) / SR
    e = np.clip(t / max(attack, 1e-4), 0, 1)
    if decay > 0:
        e = e * (sustain + (1 - sustain) * np.exp(-np.maximum(t - attack, 0) / decay))
    rel = np.clip(1.0 - (t - release_at) / release, 0, 1)
    return e * np.where(t > release_at, rel, 1.0)


class Synth:
    def __init__(self, seed):
        self.rng = np.random.default_rng(seed)
        # band-limited breath noise for the flute, made once and sliced per note
        noise = self.rng.standard_normal(SR * 4)
        spectrum = np.fft.rfft(noise)
        f = np.fft.rfftfreq(len(noise), 1.0 / SR)
        spectrum *= np.exp(-(((f - 2500.0) / 1800.0) ** 2))
        self.breath = np.fft.irfft(spectrum, len(noise))
        self.breath /= np.abs(self.breath).max()

    def dizi(self, freq, dur, vel=1.0, grace=None):
        """A bamboo-flute voice: breathy attack, delayed vibrato, optional grace note."""
        rel = 0.09
        n = int((dur + rel) * SR)
        t = np.arange(n) / SR
        f = np.full(n, freq)
        if grace:
            glide = np.clip((t - 0.045) / 0.02, 0, 1)
            f = grace + (freq - grace) * glide
        vib_depth = 0.007 * np.clip((t - 0.18) / 0.25, 0, 1)
        f = f * (1.0 + vib_depth * np.sin(2 * math.pi * 5.4 * t))
        ph = 2 * math.pi * np.cumsum(f) / SR
        amps = [1.0, 0.42, 0.22, 0.1, 0.05, 0.025]
        sig = sum(a * np.sin((k + 1) * ph) for k, a in enumerate(amps) if (k + 1) * freq < 16000)
        env = env_adsr(n, 0.025, dur * 0.94, rel, sustain=0.8, decay=0.12)
        off = int(self.rng.integers(0, len(self.breath) - n))
        chiff = np.exp(-t / 0.05)
        sig = sig * env + self.breath[off : off + n] * env * (0.05 + 0.18 * chiff)
        return sig * vel * 0.45

    def pluck(self, freq, dur, vel=1.0, ring=None, bright=1.0):
        """A plucked string (pipa / guzheng flavour) by decaying, slightly stretched partials."""
        ring = ring if ring is not None else min(dur + 0.6, 2.2)
        n = int(ring * SR)
        t = np.arange(n) / SR
        base_tau = 0.9 * math.sqrt(260.0 / freq)
        sig = np.zeros(n)
        p = 0.17
        for k in range(1, 15):
            fk = k * freq * math.sqrt(1.0 + 0.00035 * k * k)
            if fk > 15000:
                break
            amp = abs(math.sin(k * math.pi * p)) / k ** (1.1 / bright)
            tau = base_tau / (1.0 + 0.6 * (k - 1))
            sig += amp * np.exp(-t / tau) * np.sin(2 * math.pi * fk * t + 0.3 * k)
        att = np.clip(t / 0.002, 0, 1)
        tail = np.clip((ring - t) / 0.06, 0, 1)
        click = self.rng.standard_normal(n) * np.exp(-t / 0.004) * 0.15
        return (sig * att * tail + click * att) * vel * 0.5

    def bass(self, freq, dur, vel=1.0):
        n = int((dur + 0.12) * SR)
        t = np.arange(n) / SR
        sig = (np.sin(2 * math.pi * freq * t) + 0.35 * np.sin(4 * math.pi * freq * t) +
               0.12 * np.sin(6 * math.pi * freq * t))
        env = np.clip(t / 0.006, 0, 1) * (0.55 + 0.45 * np.exp(-t / 0.18)) * np.exp(-t / 1.4)
        env *= np.clip((dur + 0.12 - t) / 0.1, 0, 1)
        return sig * env * vel * 0.6

    def sheng(self, freqs, dur, vel=1.0, detune=0.0):
        """A soft mouth-organ chord under the tune."""
        n = int((dur + 0.3) * SR)
        t = np.arange(n) / SR
        sig = np.zeros(n)
        for f0 in freqs:
            f0 = f0 * (1.0 + detune)
            for k in range(1, 9):
                if k * f0 > 12000:
                    break
                sig += np.sin(2 * math.pi * k * f0 * t + k) / k ** 1.5
        env = np.clip(t / 0.18, 0, 1) * np.clip((dur + 0.3 - t) / 0.3, 0, 1)
        return sig * env * vel * 0.12 / max(1, len(freqs))

    def drum(self, vel=1.0):
        n = int(0.55 * SR)
        t = np.arange(n) / SR
        f = 58.0 + 80.0 * np.exp(-t / 0.035)
        ph = 2 * math.pi * np.cumsum(f) / SR
        body = np.sin(ph) * np.exp(-t / 0.2)
        skin = self.rng.standard_normal(n) * np.exp(-t / 0.012) * 0.25
        skin = np.convolve(skin, np.ones(8) / 8, mode="same")
        return (body + skin) * np.clip(t / 0.001, 0, 1) * vel

    def cymbal(self, vel=1.0, length=0.18):
        n = int((length * 3) * SR)
        t = np.arange(n) / SR
        noise = np.diff(self.rng.standard_normal(n + 1))
        metal = sum(np.sin(2 * math.pi * f * t + i) for i, f in
                    enumerate((3170.0, 4390.0, 5210.0, 6830.0, 8120.0)))
        return (noise * 0.6 + metal * 0.12) * np.exp(-t / length) * np.clip(t / 0.001, 0, 1) * vel

    def gong(self, vel=1.0):
        """Small opera gong: the pitch rises as it rings."""
        n = int(1.4 * SR)
        t = np.arange(n) / SR
        f = 760.0 + 150.0 * (1.0 - np.exp(-t / 0.12))
        ph = 2 * math.pi * np.cumsum(f) / SR
        sig = np.sin(ph) + 0.35 * np.sin(1.47 * ph + 1.0) + 0.2 * np.sin(2.13 * ph + 2.0)
        hit = self.rng.standard_normal(n) * np.exp(-t / 0.01) * 0.3
        return (sig * np.exp(-t / 0.45) + hit) * np.clip(t / 0.002, 0, 1) * vel * 0.5

    def woodblock(self, vel=1.0):
        n = int(0.12 * SR)
        t = np.arange(n) / SR
        sig = np.sin(2 * math.pi * 1180 * t) + 0.4 * np.sin(2 * math.pi * 2630 * t)
        return sig * np.exp(-t / 0.022) * np.clip(t / 0.0005, 0, 1) * vel


def triad(tonic_midi, degree, octave_midi):
    """Diatonic triad on a scale degree, its notes placed near octave_midi."""
    out = []
    for step in (0, 2, 4):
        d = degree - 1 + step
        m = tonic_midi + MAJOR[d % 7] + 12 * (d // 7)
        while m < octave_midi:
            m += 12
        while m >= octave_midi + 12:
            m -= 12
        out.append(m)
    return out


def reverb(track, seed, seconds=1.6, wet=0.2):
    """Circular convolution with a decaying noise tail, so the reverb wraps the loop too."""
    rng = np.random.default_rng(seed)
    n = int(seconds * SR)
    t = np.arange(n) / SR
    out = []
    for ch in (track.L, track.R):
        ir = rng.standard_normal(n) * np.exp(-t / (seconds / 6.0))
        ir[: int(0.012 * SR)] = 0.0  # pre-delay
        ir = np.convolve(ir, np.ones(6) / 6, mode="same")  # darker tail
        ir /= np.sqrt(np.sum(ir ** 2))
        pad = np.zeros(track.n)
        pad[:n] = ir
        wet_sig = np.fft.irfft(np.fft.rfft(ch) * np.fft.rfft(pad), track.n)
        out.append(ch + wet * wet_sig)
    track.L, track.R = out


def master(track):
    L, R = track.L, track.R
    peak = max(np.abs(L).max(), np.abs(R).max())
    L, R = L / peak, R / peak
    drive = 1.4
    L = np.tanh(drive * L) / math.tanh(drive) * 0.9
    R = np.tanh(drive * R) / math.tanh(drive) * 0.9
    fade = int(0.002 * SR)
    ramp = 0.5 - 0.5 * np.cos(np.linspace(0, math.pi, fade))
    for ch in (L, R):
        ch[:fade] *= ramp
        ch[-fade:] *= ramp[::-1]
    return L, R


def write_wav(path, L, R, seed):
    rng = np.random.default_rng(seed)
    st = np.stack([L, R], 1) * 32767.0
    st += rng.uniform(-0.5, 0.5, st.shape) + rng.uniform(-0.5, 0.5, st.shape)  # TPDF dither
    pcm = np.clip(np.round(st), -32768, 32767).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(SR)
        w.writeframes(pcm.tobytes())


def encode(wav, mp3, title):
    subprocess.run(["lame", "--quiet", "-b", "128", "-m", "j", "-q", "2", "--noreplaygain",
                    "--tt", title, "--ta", "Vantoria", "--tc", "Made for Vantoria", wav, mp3],
                   check=True)


# --- the tunes -------------------------------------------------------------------------

TUNE1 = """
5_ 6_ 1'_ 6_ 5 3_ 5_ | 6_ 1'_ 2'_ 1'_ 6 5 | 3_ 5_ 6_ 5_ 3 2_ 3_ | 5 - - 0 |
1'_ 1'_ 6_ 1'_ 2' 1'_ 6_ | 5_ 6_ 5_ 3_ 2 3 | 2_ 3_ 5_ 6_ 3_ 2_ 1_ 2_ | 1 - - 0 |
6,_ 1_ 2_ 3_ 5 3 | 2_ 3_ 5_ 6_ 5 - | 1'_ 6_ 5_ 6_ 1' 2'_ 3'_ | 2' - 1'_ 6_ 5 |
5_ 6_ 1'_ 2'_ 3' 2'_ 1'_ | 6_ 5_ 6_ 1'_ 5 3 | 2_ 3_ 5_ 3_ 2_ 1_ 6,_ 1_ | 1 - - 0 |
"""
TUNE1_CHORDS = [1, 4, 6, 5, 1, 1, 5, 1, 6, 5, 4, 5, 1, 6, 5, 1]

TUNE2_A = """
1'_ 2'_ 3' 2'_ 1'_ 6 | 5_ 6_ 1'_ 6_ 5 - | 3_ 5_ 6_ 1'_ 5_ 3_ 2_ 3_ | 5 - 3_ 5_ 6 |
1'_ 6_ 5_ 3_ 2 3_ 5_ | 6_ 5_ 3_ 2_ 1 2 | 3_ 5_ 2_ 3_ 1_ 2_ 6,_ 1_ |
"""
TUNE2 = TUNE2_A + """ 5,_ 6,_ 1 - 0 |
6_ 1'_ 6_ 5_ 3 5_ 6_ | 1' - 6_ 1'_ 2' | 3'_ 2'_ 1'_ 2'_ 3' - | 2'_ 1'_ 6_ 1'_ 5 - |
6_ 5_ 6_ 1'_ 2'_ 3'_ 2'_ 1'_ | 6 1' 5 - | 3_ 5_ 6_ 5_ 3_ 2_ 1_ 2_ | 3 - 5 0 |
""" + TUNE2_A + " 1 - 0 5_ 6_ |"
TUNE2_CHORDS = [1, 5, 6, 1, 4, 1, 5, 1, 6, 4, 1, 5, 6, 4, 1, 1, 1, 5, 6, 1, 4, 1, 5, 1]


def percussion(trk, syn, bars, spb, style):
    """Festive gong-and-drum patterns; a fill closes every eighth bar into the next
    phrase, the last one into the start of the loop."""
    e = spb // 2
    for b in range(bars):
        s = b * 4 * spb
        phrase_start = b % 8 == 0
        fill = b % 8 == 7
        if phrase_start:
            trk.add(s, syn.gong(0.9), 0.55, 0.15)
            trk.add(s, syn.cymbal(1.0, 0.45), 0.25, 0.25)
        drum_steps = [0, 4] + ([7] if b % 2 == 1 and not fill else [])
        if style == 2:
            drum_steps = [0, 3, 4] + ([6, 7] if b % 2 == 1 and not fill else [])
        for k in drum_steps:
            trk.add(s + k * e, syn.drum(1.0 if k in (0, 4) else 0.7), 0.55)
        for k in (2, 6):
            trk.add(s + k * e, syn.cymbal(0.9, 0.14), 0.2, 0.25)
        busy = (b % 16) >= 8 if style == 1 else True
        for k in range(8):
            if busy or k % 2 == 1:
                trk.add(s + k * e, syn.woodblock(0.8 if k % 2 == 0 else 0.5), 0.16, -0.4)
        if fill:
            q = spb // 4
            for j, k in enumerate(range(12, 16)):
                trk.add(s + k * q, syn.drum(0.55 + 0.12 * j), 0.5)
            trk.add(s + 14 * q, syn.cymbal(0.8, 0.1), 0.18, 0.25)
        if style == 2 and b % 2 == 0:
            trk.add(s + 2 * spb, syn.gong(0.5), 0.22, 0.3)


def render(tune, chords, tonic, bpm_samples, style, seed):
    spb = bpm_samples
    notes, beats = parse_jianpu(tune, tonic)
    bars = int(round(beats / 4))
    assert bars == len(chords), (bars, len(chords))
    n = int(beats * spb)
    trk = Track(n)
    syn = Synth(seed)
    sec = spb / SR
    for i, (start, dur, midi) in enumerate(notes):
        f = hz(midi)
        if style == 1:
            grace = None
            if dur >= 1.0 and start % 1.0 == 0:
                grace = hz(midi + 2)
            trk.add(int(start * spb), syn.dizi(f, dur * sec, 0.9, grace), 0.55, -0.2)
            trk.add(int(start * spb), syn.pluck(f / 2, dur * sec, 0.8), 0.28, 0.35)
        else:
            if dur >= 2.0:
                # long notes become a tremolo, as a pipa player would hold them
                strokes = int(dur * 6)
                for k in range(strokes):
                    v = 0.55 + 0.1 * math.sin(k * 1.7) * (1 if k else 0) + (0.3 if k == 0 else 0)
                    last = k == strokes - 1
                    trk.add(int(start * spb + k * spb / 6),
                            syn.pluck(f, sec / 6, v, ring=0.5 if not last else 1.2), 0.8, -0.15)
            else:
                trk.add(int(start * spb), syn.pluck(f, dur * sec, 1.0), 0.8, -0.15)
            if i % 2 == 0 or dur >= 1.0:
                # a flute shadows the tune an octave up on the main notes
                trk.add(int(start * spb), syn.dizi(f * 2, dur * sec, 0.5), 0.16, 0.35)
    bass_root = tonic - 36 if tonic >= 72 else tonic - 24
    for b, deg in enumerate(chords):
        s = b * 4 * spb
        root = bass_root + MAJOR[deg - 1]
        fifth = root + 7
        pattern = [(0, 1.5, root), (1.5, 0.5, fifth), (2, 1.0, root + 12 if style == 2 else root),
                   (3, 1.0, fifth)]
        for off, d, m in pattern:
            trk.add(s + int(off * spb), syn.bass(hz(m), d * sec * 0.9, 0.9), 0.42)
        ch = [hz(m) for m in triad(tonic, deg, tonic - 12 + 5)]
        trk.add(s, syn.sheng(ch, 4 * sec, 1.0, 0.0015), 0.9, -0.6)
        trk.add(s, syn.sheng(ch, 4 * sec, 1.0, -0.0015), 0.9, 0.6)
    percussion(trk, syn, bars, spb, style)
    reverb(trk, seed + 100)
    return master(trk)


def build(out_dir):
    os.makedirs(f"{out_dir}/music", exist_ok=True)
    tunes = [
        # 120 beats a minute is exactly 22050 samples a beat; 16 bars, 32 s
        ("default", TUNE1, TUNE1_CHORDS, 62 + 12, 22050, 1, "Vantoria Festive Theme"),
        # 126 beats a minute is exactly 21000 samples a beat; 24 bars, about 45.7 s
        ("default2", TUNE2, TUNE2_CHORDS, 67, 21000, 2, "Vantoria Spring Dance"),
    ]
    with tempfile.TemporaryDirectory() as tmp:
        for name, tune, chords, tonic, spb, style, title in tunes:
            L, R = render(tune, chords, tonic, spb, style, seed=len(name))
            wav = os.path.join(tmp, name + ".wav")
            write_wav(wav, L, R, seed=3)
            encode(wav, f"{out_dir}/music/{name}.mp3", title)
