#!/usr/bin/python3
"""Checks the generated media against what the program and the show expect of them.

    /usr/bin/python3 assets/tools/check_assets.py [ASSETS_DIR]

Prints one line per file and a list of problems; the exit status is the number of
problems (0 when all is well).
"""

import os
import shutil
import subprocess
import sys
import tempfile

import numpy as np
from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))

BACKGROUNDS = ["image/default.jpg", "image/hydt.jpg", "image/jxgz.jpg"]
CUTOUTS = ["image/prize_%d.png" % i for i in range(1, 6)] + ["example/def_prize.png"]
EXAMPLES = ["example/import_%d.png" % i for i in range(1, 5)]
MUSIC = ["music/default.mp3", "music/default2.mp3"]


class Checker:
    def __init__(self, root):
        self.root = root
        self.problems = []

    def fail(self, name, why):
        self.problems.append(f"{name}: {why}")

    def path(self, name):
        return os.path.join(self.root, name)

    def background(self, name):
        img = Image.open(self.path(name))
        if img.format != "JPEG" or img.size != (1920, 1080):
            self.fail(name, f"want a 1920x1080 JPEG, got {img.format} {img.size}")
            return
        a = np.asarray(img.convert("RGB"), np.float32)
        # where names and titles are drawn: calm, mid-toned red
        mid = a[300:900, 560:1800]
        r, g, b = (mid[..., i].mean() for i in range(3))
        luma = 0.299 * r + 0.587 * g + 0.114 * b
        spread = mid.std(axis=(0, 1)).max()
        if not (185 <= r <= 245 and g < r - 120 and b < r - 120):
            self.fail(name, f"middle is not a rich red (mean {r:.0f},{g:.0f},{b:.0f})")
        if not (70 <= luma <= 120):
            self.fail(name, f"middle too dark or too light for black and yellow text ({luma:.0f})")
        if spread > 18:
            self.fail(name, f"middle too busy (spread {spread:.1f})")
        # the corners carry ornaments, so they must differ from the plain middle
        corner = a[40:260, 40:420]
        if corner.std(axis=(0, 1)).max() < max(2 * spread, 6):
            self.fail(name, "no ornaments in the corners")

    def cutout(self, name):
        img = Image.open(self.path(name))
        if img.mode != "RGBA" or not (400 <= img.width <= 640 and 400 <= img.height <= 640):
            self.fail(name, f"want an RGBA picture of about 512x512, got {img.mode} {img.size}")
            return
        alpha = np.asarray(img.split()[3])
        corners = [alpha[:8, :8], alpha[:8, -8:], alpha[-8:, :8], alpha[-8:, -8:]]
        if max(c.max() for c in corners) > 0:
            self.fail(name, "background is not transparent")
        if (alpha == 255).mean() < 0.1:
            self.fail(name, "the object is too small or see-through")

    def example(self, name):
        img = Image.open(self.path(name))
        if img.format != "PNG" or not (500 <= img.width <= 700 and 300 <= img.height <= 400):
            self.fail(name, f"want a PNG of about 600x350, got {img.format} {img.size}")
            return
        g = np.asarray(img.convert("L"), np.float32)
        if (g < 128).mean() < 0.03:
            self.fail(name, "hardly any text")

    def banner(self, name):
        img = Image.open(self.path(name))
        if img.size != (774, 89) or img.mode != "RGB":
            self.fail(name, f"want 774x89 24-bit, got {img.mode} {img.size}")

    def icon(self, name):
        img = Image.open(self.path(name))
        if img.size != (256, 256) or img.mode != "RGBA":
            self.fail(name, f"want 256x256 with alpha, got {img.mode} {img.size}")
            return
        if np.asarray(img.split()[3])[:4, :4].max() > 0:
            self.fail(name, "corners are not transparent")
        # at 16 x 16 the mark must still stand apart from the tile
        small = np.asarray(img.resize((16, 16), Image.LANCZOS).convert("RGB"), np.float32)
        if abs(small[4, 8, 1] - small[1, 8, 1]) < 60:
            self.fail(name, "the mark does not stand out at 16x16")

    def mp3(self, name):
        data = open(self.path(name), "rb").read()
        pos = 0
        if data[:3] == b"ID3":
            size = 0
            for byte in data[6:10]:
                size = (size << 7) | (byte & 0x7F)
            pos = 10 + size
        if len(data) < pos + 4 or data[pos] != 0xFF or (data[pos + 1] & 0xE6) != 0xE2:
            self.fail(name, "does not start with an MPEG layer III frame")
        if len(data) > 1024 * 1024:
            self.fail(name, f"larger than 1 MB ({len(data)} bytes)")

    def decode_with_sdl(self, names):
        """Decodes the tunes with SDL2_mixer; skipped when no compiler or library is found."""
        cc = shutil.which("cc") or shutil.which("gcc")
        if not cc or not shutil.which("pkg-config"):
            print("  (SDL2_mixer decode check skipped: no compiler or pkg-config)")
            return
        flags = subprocess.run(["pkg-config", "--cflags", "--libs", "SDL2_mixer"],
                               capture_output=True, text=True)
        if flags.returncode != 0:
            print("  (SDL2_mixer decode check skipped: libsdl2-mixer-dev not installed)")
            return
        with tempfile.TemporaryDirectory() as tmp:
            exe = os.path.join(tmp, "check_music")
            subprocess.run([cc, "-O1", "-o", exe, os.path.join(HERE, "check_music.c")] +
                           flags.stdout.split() + ["-lm"], check=True)
            env = dict(os.environ, SDL_AUDIODRIVER="dummy")
            run = subprocess.run([exe] + [self.path(n) for n in names], capture_output=True,
                                 text=True, env=env)
        for line in run.stdout.splitlines():
            print("  " + line)
            fields = dict(kv.split("=") for kv in line.split()[1:])
            name = os.path.relpath(line.split()[0], self.root)
            dur = float(fields["duration"])
            if not (30.0 <= dur <= 60.0):
                self.fail(name, f"lasts {dur:.1f} s, want 30 to 60")
            if abs(int(fields["frames"]) / 44100.0 - dur) > 0.1:
                self.fail(name, "decodes to fewer samples than its header announces")
            if float(fields["peak"]) < 0.5 or float(fields["rms"]) < 0.05:
                self.fail(name, "too quiet")
            if float(fields["seam_step"]) > 4 * float(fields["mean_step"]) + 0.01:
                self.fail(name, "jumps at the loop point")
        if run.returncode != 0:
            self.fail("music", "SDL2_mixer could not decode: " + run.stderr.strip())

    def run(self):
        for n in BACKGROUNDS:
            self.background(n)
        for n in CUTOUTS:
            self.cutout(n)
        for n in EXAMPLES:
            self.example(n)
        self.banner("resources/banner.png")
        self.icon("resources/icon.png")
        for n in MUSIC:
            self.mp3(n)
        self.decode_with_sdl(MUSIC)
        total = 0
        for n in BACKGROUNDS + CUTOUTS + EXAMPLES + MUSIC + ["resources/banner.png",
                                                            "resources/icon.png"]:
            size = os.path.getsize(self.path(n))
            total += size
            print(f"  {size / 1024:8.1f} KB  {n}")
        print(f"  {total / 1024 / 1024:8.2f} MB  in all")
        if total > 10 * 1024 * 1024:
            self.fail("assets", "more than 10 MB in all")
        for p in self.problems:
            print("PROBLEM " + p)
        print("all assets look right" if not self.problems else f"{len(self.problems)} problems")
        return len(self.problems)


def check(root):
    return Checker(root).run()


if __name__ == "__main__":
    sys.exit(check(os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(HERE))))
