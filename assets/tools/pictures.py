"""Prize pictures, the default gift box, the program icon and the setup banner.

Objects are painted at twice their final size as layers (a shape mask filled with a
colour or a gradient) and reduced at the end, which gives clean anti-aliased edges.
"""

import math

import numpy as np
from PIL import Image, ImageChops, ImageDraw, ImageFilter

import gfx


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.img = Image.new("RGBA", (w, h), bg)

    def mask(self):
        m = Image.new("L", (self.w, self.h), 0)
        return m, ImageDraw.Draw(m)

    def paint(self, mask, fill, alpha=1.0):
        """fill: rgb tuple, HxWx3 array or RGB image."""
        if isinstance(fill, tuple):
            layer = Image.new("RGB", (self.w, self.h), fill[:3])
        elif isinstance(fill, np.ndarray):
            layer = gfx.to_img(fill)
        else:
            layer = fill.convert("RGB")
        a = mask if alpha >= 1.0 else mask.point(lambda v: int(v * alpha))
        rgba = layer.convert("RGBA")
        rgba.putalpha(a)
        self.img = Image.alpha_composite(self.img, rgba)

    def shadow(self, mask, off=(0, 12), radius=18, alpha=0.45, color=(40, 20, 20)):
        m = ImageChops.offset(mask, int(off[0]), int(off[1])).filter(ImageFilter.GaussianBlur(radius))
        self.paint(m, color, alpha)

    def lin(self, stops, angle=90.0, box=None):
        """Gradient across the whole canvas, or stretched over box (x0, y0, x1, y1)."""
        x, y = gfx.grid(self.w, self.h)
        a = math.radians(angle)
        dx, dy = math.cos(a), math.sin(a)
        if box is None:
            box = (0, 0, self.w, self.h)
        x0, y0, x1, y1 = box
        corners = [(x0, y0), (x1, y0), (x0, y1), (x1, y1)]
        ps = [cx * dx + cy * dy for cx, cy in corners]
        p = (x * dx + y * dy - min(ps)) / max(1e-6, max(ps) - min(ps))
        return gfx.stops_lookup(p, stops)

    def rad(self, cx, cy, r, stops):
        return gfx.radial(self.w, self.h, cx, cy, r, r, stops)

    def final(self, size):
        return gfx.downsample_rgba(self.img, size)


def ground_shadow(c, cx, cy, rx, ry, alpha=0.35):
    m, d = c.mask()
    d.ellipse((cx - rx, cy - ry, cx + rx, cy + ry), fill=255)
    c.paint(m.filter(ImageFilter.GaussianBlur(ry * 0.6)), (30, 20, 20), alpha)


def gloss(c, clip, x0, y0, x1, y1, alpha=0.18):
    """A diagonal band of reflected light, clipped to the glass."""
    m, d = c.mask()
    d.polygon([(x0, y0), (x0 + (x1 - x0) * 0.55, y0), (x0 + (x1 - x0) * 0.2, y1), (x0, y1)],
              fill=255)
    c.paint(ImageChops.multiply(m, clip), (255, 255, 255), alpha)


SILVER = [(0, (236, 238, 242)), (0.45, (200, 204, 212)), (0.55, (176, 180, 190)),
          (1, (226, 228, 234))]
DARK = [(0, (58, 60, 68)), (1, (20, 21, 26))]
SCREEN = [(0, (38, 110, 210)), (0.55, (90, 60, 190)), (1, (220, 60, 110))]
SUNRISE = [(0, (70, 60, 170)), (0.5, (230, 90, 120)), (1, (255, 190, 110))]
RED = [(0, (246, 74, 64)), (0.6, (214, 30, 36)), (1, (160, 14, 24))]


def wallpaper(c, clip, box, stops, seed):
    """Screen content: a gradient with soft rising circles, so screens look switched on."""
    x0, y0, x1, y1 = box
    c.paint(clip, c.lin(stops, 60, box))
    rng = np.random.default_rng(seed)
    m, d = c.mask()
    for _ in range(14):
        r = rng.uniform(0.04, 0.16) * (x1 - x0)
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        d.ellipse((x - r, y - r, x + r, y + r), fill=int(rng.uniform(40, 110)))
    c.paint(ImageChops.multiply(m.filter(ImageFilter.GaussianBlur(6)), clip), (255, 255, 255),
            0.5)


def app_icons(c, box, cols, rows, size, seed):
    x0, y0, x1, y1 = box
    rng = np.random.default_rng(seed)
    palette = [(255, 196, 60), (80, 200, 120), (80, 170, 250), (250, 110, 90), (190, 120, 240),
               (255, 255, 255)]
    gx = (x1 - x0 - cols * size) / (cols + 1)
    gy = (y1 - y0 - rows * size) / (rows + 1)
    for j in range(rows):
        for i in range(cols):
            X = x0 + gx + i * (size + gx)
            Y = y0 + gy + j * (size + gy)
            m, d = c.mask()
            d.rounded_rectangle((X, Y, X + size, Y + size), radius=size * 0.24, fill=255)
            col = palette[int(rng.integers(len(palette)))]
            lighter = tuple(min(255, int(v * 1.15 + 20)) for v in col)
            c.paint(m, c.lin([(0, lighter), (1, col)], 90, (X, Y, X + size, Y + size)))


def laptop(S=1024):
    c = Canvas(S, S)
    ground_shadow(c, S * 0.5, S * 0.82, S * 0.44, S * 0.035, 0.4)
    # lid
    lx0, ly0, lx1, ly1 = S * 0.17, S * 0.16, S * 0.83, S * 0.66
    m, d = c.mask()
    d.rounded_rectangle((lx0, ly0, lx1, ly1), radius=S * 0.03, fill=255)
    c.shadow(m, (0, 10), 16, 0.3)
    c.paint(m, c.lin(DARK, 90, (lx0, ly0, lx1, ly1)))
    sx0, sy0, sx1, sy1 = lx0 + S * 0.025, ly0 + S * 0.035, lx1 - S * 0.025, ly1 - S * 0.03
    scr, d = c.mask()
    d.rectangle((sx0, sy0, sx1, sy1), fill=255)
    wallpaper(c, scr, (sx0, sy0, sx1, sy1), SUNRISE, 3)
    # a sun over layered hills
    m, d = c.mask()
    r = S * 0.07
    sc, sh = (sx0 + sx1) / 2, sy1 - S * 0.12
    d.ellipse((sc - r, sh - r, sc + r, sh + r), fill=255)
    c.paint(ImageChops.multiply(m.filter(ImageFilter.GaussianBlur(3)), scr), (255, 236, 170), 0.9)
    for k, (amp, base_h, col) in enumerate(((0.03, 0.11, (150, 50, 110)),
                                            (0.025, 0.06, (90, 30, 90)))):
        m, d = c.mask()
        pts = [(sx0, sy1)]
        for i in range(41):
            t = i / 40
            pts.append((sx0 + (sx1 - sx0) * t,
                        sy1 - S * (base_h + amp * math.sin(t * 6.0 + k * 2.0))))
        pts.append((sx1, sy1))
        d.polygon(pts, fill=255)
        c.paint(ImageChops.multiply(m, scr), col, 0.85)
    gloss(c, scr, sx0, sy0, sx1, sy1, 0.16)
    m, d = c.mask()
    d.ellipse((S * 0.495, ly0 + S * 0.012, S * 0.505, ly0 + S * 0.022), fill=255)
    c.paint(m, (90, 96, 110))
    # base in perspective
    bx0, bx1, by0, by1 = S * 0.08, S * 0.92, ly1, S * 0.8
    m, d = c.mask()
    d.polygon([(lx0 - S * 0.01, by0), (lx1 + S * 0.01, by0), (bx1, by1 - S * 0.03),
               (bx0, by1 - S * 0.03)], fill=255)
    c.paint(m, c.lin(SILVER, 90, (bx0, by0, bx1, by1)))
    m, d = c.mask()
    d.rounded_rectangle((bx0, by1 - S * 0.035, bx1, by1), radius=S * 0.012, fill=255)
    c.paint(m, c.lin([(0, (210, 212, 220)), (1, (130, 134, 146))], 90,
                     (bx0, by1 - S * 0.035, bx1, by1)))
    # keys: rows of small quads following the perspective of the base
    m, d = c.mask()
    rows, cols = 4, 14
    for j in range(rows):
        t0 = 0.12 + j * 0.2
        t1 = t0 + 0.15
        ya = by0 + (by1 - S * 0.03 - by0) * t0 * 0.72
        yb = by0 + (by1 - S * 0.03 - by0) * t1 * 0.72

        def xs(t, u):
            left = (lx0 - S * 0.01) + (bx0 - (lx0 - S * 0.01)) * t
            right = (lx1 + S * 0.01) + (bx1 - (lx1 + S * 0.01)) * t
            return left + (right - left) * (0.08 + 0.84 * u)

        for i in range(cols):
            u0, u1 = i / cols + 0.008, (i + 1) / cols - 0.008
            d.polygon([(xs(t0 * 0.72, u0), ya), (xs(t0 * 0.72, u1), ya), (xs(t1 * 0.72, u1), yb),
                       (xs(t1 * 0.72, u0), yb)], fill=255)
    c.paint(m, (70, 74, 86))
    m, d = c.mask()
    tp = by0 + (by1 - S * 0.03 - by0) * 0.86
    d.rounded_rectangle((S * 0.41, tp, S * 0.59, by1 - S * 0.036), radius=S * 0.006, fill=255)
    c.paint(m, (186, 190, 200))
    return c.final((S // 2, S // 2))


def smartphone(S=1024):
    c = Canvas(S, S)
    ground_shadow(c, S * 0.52, S * 0.9, S * 0.22, S * 0.025, 0.35)
    layer = Canvas(S, S)
    x0, y0, x1, y1 = S * 0.32, S * 0.08, S * 0.68, S * 0.88
    m, d = layer.mask()
    d.rounded_rectangle((x0, y0, x1, y1), radius=S * 0.055, fill=255)
    layer.paint(m, layer.lin([(0, (236, 200, 120)), (0.5, (190, 150, 80)), (1, (232, 200, 130))],
                             0, (x0, y0, x1, y1)))
    m, d = layer.mask()
    g = S * 0.008
    d.rounded_rectangle((x0 + g, y0 + g, x1 - g, y1 - g), radius=S * 0.05, fill=255)
    layer.paint(m, (16, 16, 20))
    sx0, sy0, sx1, sy1 = x0 + S * 0.02, y0 + S * 0.02, x1 - S * 0.02, y1 - S * 0.02
    scr, d = layer.mask()
    d.rounded_rectangle((sx0, sy0, sx1, sy1), radius=S * 0.04, fill=255)
    wallpaper(layer, scr, (sx0, sy0, sx1, sy1), SCREEN, 5)
    app_icons(layer, (sx0, sy0 + S * 0.08, sx1, sy1 - S * 0.2), 4, 5, S * 0.05, 9)
    # dock
    m, d = layer.mask()
    d.rounded_rectangle((sx0 + S * 0.02, sy1 - S * 0.12, sx1 - S * 0.02, sy1 - S * 0.03),
                        radius=S * 0.03, fill=255)
    layer.paint(m, (255, 255, 255), 0.25)
    app_icons(layer, (sx0 + S * 0.02, sy1 - S * 0.12, sx1 - S * 0.02, sy1 - S * 0.03), 4, 1,
              S * 0.05, 4)
    # camera island and side button
    m, d = layer.mask()
    d.rounded_rectangle((S * 0.455, sy0 + S * 0.015, S * 0.545, sy0 + S * 0.04), radius=S * 0.0125,
                        fill=255)
    layer.paint(m, (0, 0, 0))
    m, d = layer.mask()
    d.rounded_rectangle((x1 - S * 0.002, S * 0.25, x1 + S * 0.008, S * 0.34), radius=S * 0.004,
                        fill=255)
    layer.paint(m, (200, 160, 90))
    gloss(layer, scr, sx0, sy0, sx1, sy1, 0.14)
    rot = layer.img.rotate(-8, resample=Image.BICUBIC, center=(S / 2, S / 2))
    sh = rot.split()[3]
    c.shadow(sh, (14, 16), 18, 0.35)
    c.img = Image.alpha_composite(c.img, rot)
    return c.final((S // 2, S // 2))


def tablet(S=1024):
    c = Canvas(S, S)
    ground_shadow(c, S * 0.5, S * 0.84, S * 0.42, S * 0.03, 0.35)
    x0, y0, x1, y1 = S * 0.07, S * 0.2, S * 0.93, S * 0.78
    m, d = c.mask()
    d.rounded_rectangle((x0, y0, x1, y1), radius=S * 0.05, fill=255)
    c.shadow(m, (0, 14), 18, 0.35)
    c.paint(m, c.lin(SILVER, 0, (x0, y0, x1, y1)))
    m, d = c.mask()
    g = S * 0.008
    d.rounded_rectangle((x0 + g, y0 + g, x1 - g, y1 - g), radius=S * 0.045, fill=255)
    c.paint(m, (22, 22, 28))
    sx0, sy0, sx1, sy1 = x0 + S * 0.04, y0 + S * 0.035, x1 - S * 0.04, y1 - S * 0.035
    scr, d = c.mask()
    d.rounded_rectangle((sx0, sy0, sx1, sy1), radius=S * 0.012, fill=255)
    wallpaper(c, scr, (sx0, sy0, sx1, sy1),
              [(0, (40, 170, 200)), (0.5, (60, 110, 220)), (1, (130, 70, 200))], 8)
    # hills at the bottom of the wallpaper
    m, d = c.mask()
    pts = [(sx0, sy1)]
    for i in range(41):
        t = i / 40
        pts.append((sx0 + (sx1 - sx0) * t, sy1 - S * (0.1 + 0.05 * math.sin(t * 7.0 + 1.0))))
    pts.append((sx1, sy1))
    d.polygon(pts, fill=255)
    c.paint(ImageChops.multiply(m, scr), (40, 60, 140), 0.55)
    app_icons(c, (sx0 + S * 0.05, sy0 + S * 0.03, sx1 - S * 0.05, sy1 - S * 0.17), 6, 2, S * 0.07,
              12)
    gloss(c, scr, sx0, sy0, sx1, sy1, 0.12)
    m, d = c.mask()
    d.ellipse((x1 - S * 0.026, (y0 + y1) / 2 - S * 0.008, x1 - S * 0.01, (y0 + y1) / 2 + S * 0.008),
              fill=255)
    c.paint(m, (60, 64, 76))
    # a stylus lying in front
    layer = Canvas(S, S)
    m, d = layer.mask()
    d.rounded_rectangle((S * 0.22, S * 0.855, S * 0.78, S * 0.885), radius=S * 0.015, fill=255)
    layer.paint(m, layer.lin([(0, (250, 250, 252)), (1, (190, 192, 200))], 90,
                             (0, S * 0.855, S, S * 0.885)))
    m, d = layer.mask()
    d.polygon([(S * 0.78, S * 0.857), (S * 0.83, S * 0.87), (S * 0.78, S * 0.883)], fill=255)
    layer.paint(m, (150, 154, 164))
    rot = layer.img.rotate(4, resample=Image.BICUBIC, center=(S / 2, S * 0.87))
    c.shadow(rot.split()[3], (0, 8), 8, 0.3)
    c.img = Image.alpha_composite(c.img, rot)
    return c.final((S // 2, S // 2))


def headphones(S=1024):
    c = Canvas(S, S)
    ground_shadow(c, S * 0.5, S * 0.88, S * 0.36, S * 0.03, 0.35)
    cx = S * 0.5
    # headband: a thick arc
    m, d = c.mask()
    R, t = S * 0.33, S * 0.06
    d.arc((cx - R, S * 0.1, cx + R, S * 0.1 + 2 * R), 180, 360, fill=255, width=int(t))
    band = m
    c.shadow(band, (0, 10), 12, 0.3)
    c.paint(band, c.lin([(0, (70, 72, 82)), (0.5, (30, 31, 38)), (1, (60, 62, 72))], 0))
    # cushion along the inside of the band
    m, d = c.mask()
    Ri = R - t * 0.9
    d.arc((cx - Ri, S * 0.1 + (R - Ri), cx + Ri, S * 0.1 + R + Ri), 200, 340, fill=255,
          width=int(t * 0.6))
    c.paint(m, (110, 30, 36))
    # sliders
    for sgn in (-1, 1):
        x = cx + sgn * (R - t / 2)
        m, d = c.mask()
        d.rounded_rectangle((x - S * 0.018, S * 0.1 + R - S * 0.01, x + S * 0.018, S * 0.56),
                            radius=S * 0.01, fill=255)
        c.paint(m, c.lin(SILVER, 0, (x - S * 0.02, 0, x + S * 0.02, S)))
    # ear cups
    for sgn in (-1, 1):
        ex = cx + sgn * (R - t * 0.2)
        ey = S * 0.62
        rw, rh = S * 0.12, S * 0.19
        # the dark cushion shows past the inner edge of the cup
        m, d = c.mask()
        ox = -sgn * rw * 0.22
        d.ellipse((ex + ox - rw * 0.9, ey - rh * 0.95, ex + ox + rw * 0.9, ey + rh * 0.95),
                  fill=255)
        c.shadow(m, (0, 12), 14, 0.4)
        c.paint(m, c.lin(DARK, 0, (ex - rw, 0, ex + rw, S)))
        m, d = c.mask()
        d.ellipse((ex - rw, ey - rh, ex + rw, ey + rh), fill=255)
        c.shadow(m, (int(-sgn * 6), 4), 8, 0.35)
        c.paint(m, c.rad(ex - sgn * rw * 0.3, ey - rh * 0.4, rh * 1.6,
                         [(0, (250, 78, 70)), (0.5, (214, 30, 40)), (1, (120, 10, 20))]))
        m, d = c.mask()
        d.ellipse((ex - rw * 0.62, ey - rh * 0.62, ex + rw * 0.62, ey + rh * 0.62), outline=255,
                  width=int(S * 0.012))
        c.paint(m, (240, 200, 110))
        m, d = c.mask()
        d.ellipse((ex - rw * 0.3, ey - rh * 0.3, ex + rw * 0.3, ey + rh * 0.3), fill=255)
        c.paint(m, c.lin(gfx.GOLD_STOPS, 90, (0, ey - rh * 0.3, S, ey + rh * 0.3)))
        gl, d = c.mask()
        d.ellipse((ex - rw * 0.7, ey - rh * 0.85, ex + rw * 0.1, ey - rh * 0.3), fill=255)
        c.paint(gl.filter(ImageFilter.GaussianBlur(S * 0.02)), (255, 255, 255), 0.35)
    return c.final((S // 2, S // 2))


def red_envelope(S=1024):
    c = Canvas(S, S)
    ground_shadow(c, S * 0.5, S * 0.9, S * 0.3, S * 0.03, 0.35)
    x0, y0, x1, y1 = S * 0.24, S * 0.1, S * 0.76, S * 0.86
    # gold coins peeking out behind
    for k, (cx, cy) in enumerate(((S * 0.37, S * 0.12), (S * 0.6, S * 0.09))):
        m, d = c.mask()
        r = S * 0.1
        d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)
        c.shadow(m, (0, 6), 8, 0.3)
        c.paint(m, c.lin(gfx.GOLD_STOPS, 60, (cx - r, cy - r, cx + r, cy + r)))
        m, d = c.mask()
        q = r * 0.3
        d.rectangle((cx - q, cy - q, cx + q, cy + q), outline=255, width=int(S * 0.01))
        d.ellipse((cx - r * 0.8, cy - r * 0.8, cx + r * 0.8, cy + r * 0.8), outline=255,
                  width=int(S * 0.006))
        c.paint(m, (170, 110, 20))
    m, d = c.mask()
    d.rounded_rectangle((x0, y0, x1, y1), radius=S * 0.03, fill=255)
    body = m
    c.shadow(m, (0, 14), 18, 0.4)
    c.paint(m, c.lin(RED, 90, (x0, y0, x1, y1)))
    # soft pattern of gold dots on the paper
    m, d = c.mask()
    for j in range(16):
        for i in range(10):
            x = x0 + (i + 0.5 + (j % 2) * 0.5) * (x1 - x0) / 10
            y = y0 + (j + 0.5) * (y1 - y0) / 16
            r = S * 0.006
            d.ellipse((x - r, y - r, x + r, y + r), fill=255)
    c.paint(ImageChops.multiply(m, body), (255, 200, 100), 0.35)
    # flap
    m, d = c.mask()
    fy = y0 + (y1 - y0) * 0.36
    d.chord((x0 - (x1 - x0) * 0.2, y0 - (fy - y0) * 1.0, x1 + (x1 - x0) * 0.2, fy), 0, 180,
            fill=255)
    flap = ImageChops.multiply(m, body)
    c.shadow(flap, (0, 8), 10, 0.35, (90, 0, 10))
    c.paint(flap, c.lin([(0, (232, 50, 50)), (1, (190, 20, 32))], 90, (x0, y0, x1, fy)))
    # gold rim along the flap edge
    m, d = c.mask()
    d.arc((x0 - (x1 - x0) * 0.2, y0 - (fy - y0) * 1.0, x1 + (x1 - x0) * 0.2, fy), 0, 180,
          fill=255, width=int(S * 0.008))
    c.paint(ImageChops.multiply(m, body), (250, 210, 110))
    # seal with the character
    cx, cy, r = S * 0.5, fy, S * 0.105
    m, d = c.mask()
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)
    c.shadow(m, (0, 8), 10, 0.4)
    c.paint(m, c.lin(gfx.GOLD_STOPS, 90, (cx - r, cy - r, cx + r, cy + r)))
    m, d = c.mask()
    d.ellipse((cx - r * 0.84, cy - r * 0.84, cx + r * 0.84, cy + r * 0.84), outline=255,
              width=int(S * 0.006))
    d.text((cx, cy), "福", font=gfx.cjk(r * 1.15), fill=255, anchor="mm")
    c.paint(m, (180, 24, 30))
    # a gold frame near the edge and a line of text
    m, d = c.mask()
    g = S * 0.03
    d.rounded_rectangle((x0 + g, y0 + g, x1 - g, y1 - g), radius=S * 0.02, outline=255,
                        width=int(S * 0.006))
    c.paint(ImageChops.multiply(m, ImageChops.invert(flap)), (250, 206, 100), 0.9)
    m, d = c.mask()
    d.text((cx, y0 + (y1 - y0) * 0.72), "大吉大利", font=gfx.cjk(S * 0.075), fill=255, anchor="mm")
    c.shadow(m, (0, 4), 4, 0.35, (90, 0, 0))
    c.paint(m, c.lin(gfx.GOLD_STOPS, 90, (0, y0 + (y1 - y0) * 0.66, S, y0 + (y1 - y0) * 0.78)))
    return c.final((S // 2, S // 2))


def gift_box(S=1024):
    c = Canvas(S, S)
    ground_shadow(c, S * 0.5, S * 0.9, S * 0.4, S * 0.035, 0.4)
    bx0, by0, bx1, by1 = S * 0.16, S * 0.44, S * 0.84, S * 0.88
    lx0, ly0, lx1, ly1 = S * 0.12, S * 0.33, S * 0.88, S * 0.46
    m, d = c.mask()
    d.rounded_rectangle((bx0, by0, bx1, by1), radius=S * 0.015, fill=255)
    body = m
    c.shadow(m, (0, 14), 16, 0.35)
    c.paint(m, c.lin(RED, 0, (bx0, by0, bx1, by1)))
    # shading under the lid
    m, d = c.mask()
    d.rectangle((bx0, by0, bx1, by0 + S * 0.05), fill=255)
    c.paint(ImageChops.multiply(m.filter(ImageFilter.GaussianBlur(S * 0.02)), body), (60, 0, 0),
            0.4)
    # ribbons
    rw = S * 0.07
    m, d = c.mask()
    d.rectangle((S * 0.5 - rw / 2, by0, S * 0.5 + rw / 2, by1), fill=255)
    c.paint(ImageChops.multiply(m, body), c.lin(gfx.GOLD_STOPS, 0, (S * 0.5 - rw / 2, 0,
                                                                     S * 0.5 + rw / 2, S)))
    # lid
    m, d = c.mask()
    d.rounded_rectangle((lx0, ly0, lx1, ly1), radius=S * 0.015, fill=255)
    lid = m
    c.shadow(m, (0, 10), 10, 0.35)
    c.paint(m, c.lin([(0, (250, 90, 80)), (0.5, (226, 40, 44)), (1, (180, 20, 30))], 90,
                     (lx0, ly0, lx1, ly1)))
    m, d = c.mask()
    d.rectangle((S * 0.5 - rw / 2 - S * 0.004, ly0, S * 0.5 + rw / 2 + S * 0.004, ly1), fill=255)
    c.paint(ImageChops.multiply(m, lid), c.lin(gfx.GOLD_STOPS, 0, (S * 0.5 - rw / 2, 0,
                                                                    S * 0.5 + rw / 2, S)))
    m, d = c.mask()
    d.rectangle((lx0, ly0, lx1, ly0 + S * 0.02), fill=255)
    c.paint(ImageChops.multiply(m.filter(ImageFilter.GaussianBlur(S * 0.008)), lid),
            (255, 255, 255), 0.25)
    # bow: two loops, two tails and a knot
    gold = c.lin(gfx.GOLD_STOPS, 90, (0, S * 0.1, S, S * 0.36))
    for sgn in (-1, 1):
        tail = Canvas(S, S)
        m, d = tail.mask()
        d.polygon([(S * 0.5, ly0 + S * 0.01), (S * 0.5 + sgn * S * 0.1, ly0 + S * 0.16),
                   (S * 0.5 + sgn * S * 0.06, ly0 + S * 0.18), (S * 0.5 + sgn * S * 0.07,
                                                                 ly0 + S * 0.13),
                   (S * 0.5 + sgn * S * 0.03, ly0 + S * 0.15)], fill=255)
        c.shadow(m, (0, 6), 6, 0.3)
        c.paint(m, c.lin(gfx.GOLD_STOPS, 90, (0, ly0, S, ly0 + S * 0.18)))
    for sgn in (-1, 1):
        loop = Canvas(S, S)
        m, d = loop.mask()
        cx, cy = S * 0.5 + sgn * S * 0.13, ly0 - S * 0.09
        d.ellipse((cx - S * 0.15, cy - S * 0.085, cx + S * 0.15, cy + S * 0.085), fill=255)
        d.ellipse((cx - S * 0.075, cy - S * 0.032, cx + S * 0.085, cy + S * 0.035), fill=0)
        rot = m.rotate(sgn * 22, resample=Image.BICUBIC, center=(S * 0.5, ly0 - S * 0.02))
        c.shadow(rot, (0, 8), 8, 0.35)
        c.paint(rot, gold)
        m, d = loop.mask()
        d.ellipse((cx - S * 0.075, cy - S * 0.032, cx + S * 0.085, cy + S * 0.035), fill=255)
        d.ellipse((cx - S * 0.06, cy - S * 0.02, cx + S * 0.075, cy + S * 0.03), fill=0)
        rot = m.rotate(sgn * 22, resample=Image.BICUBIC, center=(S * 0.5, ly0 - S * 0.02))
        c.paint(rot, (160, 100, 20), 0.8)
    m, d = c.mask()
    d.rounded_rectangle((S * 0.45, ly0 - S * 0.085, S * 0.55, ly0 + S * 0.005), radius=S * 0.03,
                        fill=255)
    c.shadow(m, (0, 6), 6, 0.35)
    c.paint(m, c.lin(gfx.GOLD_STOPS, 90, (0, ly0 - S * 0.09, S, ly0)))
    # sparkles
    for x, y, r in ((S * 0.2, S * 0.18, S * 0.045), (S * 0.82, S * 0.22, S * 0.035),
                    (S * 0.9, S * 0.55, S * 0.025)):
        m, d = c.mask()
        d.polygon(gfx.sparkle_points(x, y, r, 0.18), fill=255)
        c.paint(m, (255, 220, 120))
    return c.final((S // 2, S // 2))


def icon(S=1024):
    """A golden lottery ball on a red tile; kept to large shapes so it reads at 16 x 16."""
    c = Canvas(S, S)
    m, d = c.mask()
    g = S * 0.03
    d.rounded_rectangle((g, g, S - g, S - g), radius=S * 0.2, fill=255)
    c.paint(m, c.rad(S * 0.4, S * 0.3, S * 0.95, [(0, (246, 70, 60)), (0.6, (210, 28, 36)),
                                                  (1, (150, 12, 24))]))
    m2, d = c.mask()
    d.rounded_rectangle((g + S * 0.025, g + S * 0.025, S - g - S * 0.025, S - g - S * 0.025),
                        radius=S * 0.18, outline=255, width=int(S * 0.014))
    c.paint(m2, (255, 210, 110), 0.85)
    cx, cy, r = S * 0.5, S * 0.52, S * 0.34
    m, d = c.mask()
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)
    c.shadow(m, (0, S * 0.03), S * 0.03, 0.5, (70, 0, 0))
    c.paint(m, c.rad(cx - r * 0.35, cy - r * 0.4, r * 1.6,
                     [(0, (255, 248, 200)), (0.3, (252, 210, 90)), (0.7, (214, 150, 30)),
                      (1, (150, 90, 10))]))
    # white label with a red star
    m, d = c.mask()
    q = r * 0.5
    d.ellipse((cx - q, cy - q, cx + q, cy + q), fill=255)
    c.paint(m, (255, 252, 244))
    m, d = c.mask()
    d.polygon(gfx.star_points(cx, cy + q * 0.05, q * 0.78, q * 0.33), fill=255)
    c.paint(m, (214, 28, 36))
    m, d = c.mask()
    d.ellipse((cx - r * 0.62, cy - r * 0.78, cx - r * 0.12, cy - r * 0.48), fill=255)
    c.paint(m.filter(ImageFilter.GaussianBlur(S * 0.015)), (255, 255, 255), 0.75)
    return c.final((256, 256))


def banner():
    """774 x 89 header of the setup window, opaque."""
    W, H, ss = 774, 89, 3
    c = Canvas(W * ss, H * ss, (0, 0, 0, 255))
    S = ss
    m = Image.new("L", (W * S, H * S), 255)
    c.paint(m, c.lin([(0, (150, 14, 24)), (0.45, (206, 30, 38)), (1, (232, 56, 52))], 0))
    # faint interlocking circles on the right
    m, d = c.mask()
    for j in range(-1, 4):
        for i in range(0, 32):
            x, y = i * 30 * S, j * 30 * S
            r = 21 * S
            d.ellipse((x - r, y - r, x + r, y + r), outline=255, width=S)
    c.paint(m, (255, 190, 150), 0.1)
    # gold rules top and bottom
    m, d = c.mask()
    d.rectangle((0, 0, W * S, 3 * S), fill=255)
    d.rectangle((0, (H - 4) * S, W * S, H * S), fill=255)
    d.rectangle((0, 6 * S, W * S, 7 * S), fill=255)
    d.rectangle((0, (H - 9) * S, W * S, (H - 8) * S), fill=255)
    c.paint(m, c.lin(gfx.GOLD_STOPS, 0))
    # a lottery ball as the mark
    cx, cy, r = 48 * S, 44.5 * S, 27 * S
    m, d = c.mask()
    d.ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)
    c.shadow(m, (0, 2 * S), 3 * S, 0.5, (60, 0, 0))
    c.paint(m, c.rad(cx - r * 0.35, cy - r * 0.4, r * 1.6,
                     [(0, (255, 248, 200)), (0.3, (252, 210, 90)), (0.7, (214, 150, 30)),
                      (1, (150, 90, 10))]))
    m, d = c.mask()
    q = r * 0.5
    d.ellipse((cx - q, cy - q, cx + q, cy + q), fill=255)
    c.paint(m, (255, 252, 244))
    m, d = c.mask()
    d.polygon(gfx.star_points(cx, cy + q * 0.05, q * 0.78, q * 0.33), fill=255)
    c.paint(m, (214, 28, 36))
    # product name and tag line
    m, d = c.mask()
    d.text((88 * S, 46 * S), "Vantoria", font=gfx.font(gfx.LATIN_SERIF_BOLD, 40 * S), fill=255,
           anchor="lm")
    c.shadow(m, (S, 2 * S), 2 * S, 0.6, (70, 0, 0))
    c.paint(m, c.lin(gfx.GOLD_STOPS, 90, (0, 24 * S, 0, 66 * S)))
    m, d = c.mask()
    tag_x = 318 * S
    d.line((tag_x - 14 * S, 26 * S, tag_x - 14 * S, 64 * S), fill=255, width=S)
    c.paint(m, (255, 214, 130), 0.8)
    m, d = c.mask()
    d.text((tag_x, 37 * S), "年会抽奖", font=gfx.cjk(26 * S), fill=255, anchor="lm")
    d.text((tag_x + 2 * S, 63 * S), "好运连连 · 惊喜不断", font=gfx.cjk(14 * S), fill=255,
           anchor="lm")
    c.shadow(m, (S, S), S, 0.5, (70, 0, 0))
    c.paint(m, (255, 240, 200))
    # lanterns and sparkles on the right
    for lx, top, rx in ((700, 0, 20), (742, 0, 15), (650, 0, 13)):
        ry = rx * 0.88
        ly = top + (26 if rx > 18 else 20 if rx > 14 else 14) + ry
        m, d = c.mask()
        d.line((lx * S, 0, lx * S, (ly - ry) * S), fill=255, width=S)
        c.paint(m, (255, 214, 120))
        m, d = c.mask()
        d.ellipse(((lx - rx) * S, (ly - ry) * S, (lx + rx) * S, (ly + ry) * S), fill=255)
        c.shadow(m, (S, 2 * S), 2 * S, 0.5, (70, 0, 0))
        c.paint(m, c.rad((lx - rx * 0.2) * S, (ly - ry * 0.2) * S, rx * 1.1 * S,
                         [(0, (255, 170, 70)), (0.5, (236, 60, 36)), (1, (150, 12, 20))]))
        m, d = c.mask()
        cw, ch = rx * 0.55, 3
        d.rectangle(((lx - cw) * S, (ly - ry - ch) * S, (lx + cw) * S, (ly - ry + ch) * S),
                    fill=255)
        d.rectangle(((lx - cw) * S, (ly + ry - ch) * S, (lx + cw) * S, (ly + ry + ch) * S),
                    fill=255)
        d.line((lx * S, (ly + ry) * S, lx * S, (ly + ry + rx * 0.8) * S), fill=255, width=2 * S)
        c.paint(m, (250, 206, 100))
    for x, y, r in ((560, 30, 9), (600, 60, 6), (530, 64, 5), (760, 76, 4)):
        m, d = c.mask()
        d.polygon(gfx.sparkle_points(x * S, y * S, r * S, 0.2), fill=255)
        c.paint(m, (255, 230, 150))
    out = c.img.convert("RGB").resize((W, H), Image.LANCZOS)
    return out


def build(out_dir):
    for name, fn in (("prize_1", laptop), ("prize_2", smartphone), ("prize_3", tablet),
                     ("prize_4", headphones), ("prize_5", red_envelope)):
        gfx.save_png(fn(), f"{out_dir}/image/{name}.png")
    gfx.save_png(gift_box(), f"{out_dir}/example/def_prize.png")
    gfx.save_png(icon(), f"{out_dir}/resources/icon.png")
    b = banner()
    assert b.size == (774, 89) and b.mode == "RGB"
    gfx.save_png(b, f"{out_dir}/resources/banner.png")
