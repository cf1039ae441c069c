"""Small drawing helpers shared by the artwork generators.

Everything is drawn from code with Pillow and numpy: masks are drawn at a multiple of
the final size and reduced with a Lanczos filter, since Pillow's shape drawing does not
anti-alias on its own.
"""

import math
import os

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
LATIN_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
LATIN_SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
MONO_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"

GOLD_STOPS = [
    (0.00, (255, 244, 190)),
    (0.22, (250, 214, 110)),
    (0.48, (214, 156, 40)),
    (0.62, (246, 200, 86)),
    (0.80, (255, 232, 150)),
    (1.00, (190, 128, 30)),
]


def font(path, size):
    return ImageFont.truetype(path, int(size))


def cjk(size):
    return font(CJK_FONT, size)


def hexrgb(s):
    s = s.lstrip("#")
    return tuple(int(s[i : i + 2], 16) for i in (0, 2, 4))


def stops_lookup(t, stops):
    """Colour of each value of t (array in 0..1) along piecewise linear colour stops."""
    t = np.clip(t, 0.0, 1.0)
    xs = np.array([s[0] for s in stops])
    out = np.empty(t.shape + (3,), np.float32)
    for c in range(3):
        out[..., c] = np.interp(t, xs, np.array([s[1][c] for s in stops], np.float32))
    return out


def grid(w, h):
    y, x = np.mgrid[0:h, 0:w].astype(np.float32)
    return x, y


def linear(w, h, stops, angle_deg=90.0):
    """Linear gradient; angle 90 runs from top to bottom."""
    x, y = grid(w, h)
    a = math.radians(angle_deg)
    dx, dy = math.cos(a), math.sin(a)
    p = x * dx + y * dy
    p = (p - p.min()) / max(1e-6, p.max() - p.min())
    return stops_lookup(p, stops)


def radial(w, h, cx, cy, rx, ry, stops):
    x, y = grid(w, h)
    d = np.sqrt(((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2)
    return stops_lookup(d, stops)


def to_img(arr):
    return Image.fromarray(np.clip(arr + 0.5, 0, 255).astype(np.uint8), "RGB")


def to_arr(img):
    return np.asarray(img.convert("RGB"), np.float32)


def mask_arr(mask):
    return np.asarray(mask, np.float32) / 255.0


def new_mask(w, h, ss):
    m = Image.new("L", (w * ss, h * ss), 0)
    return m, ImageDraw.Draw(m)


def reduce_mask(m, w, h):
    return m.resize((w, h), Image.LANCZOS) if m.size != (w, h) else m


def blend(base, color, alpha):
    """base: HxWx3 float array; color: HxWx3 array or rgb tuple; alpha: HxW in 0..1."""
    a = alpha[..., None]
    return base * (1.0 - a) + np.asarray(color, np.float32) * a


def blur(arr, radius):
    img = Image.fromarray(np.clip(arr * 255.0, 0, 255).astype(np.uint8), "L")
    return mask_arr(img.filter(ImageFilter.GaussianBlur(radius)))


def gold_fill(h, w, y0=0, span=None, stops=GOLD_STOPS):
    """Metallic gold across rows y0 .. y0 + span (repeats the ramp outside)."""
    span = span or h
    y = np.arange(h, dtype=np.float32)[:, None].repeat(w, 1)
    t = ((y - y0) / span) % 1.0
    return stops_lookup(t, stops)


def metal(base, alpha, fill, shadow=0.5, shadow_off=(3, 4), shadow_blur=4.0, bevel=1.0,
          shadow_color=(70, 0, 0)):
    """Lays a shape (alpha in 0..1) filled with `fill` over base, with a drop shadow and a
    soft relief lit from the upper left, so flat gold reads as metal."""
    h, w = alpha.shape
    if shadow > 0:
        sh = np.roll(np.roll(alpha, shadow_off[1], 0), shadow_off[0], 1)
        sh = blur(sh, shadow_blur) * shadow
        base = blend(base, shadow_color, sh)
    if bevel > 0:
        b = blur(alpha, 1.6)
        gy, gx = np.gradient(b)
        light = -(gx + gy) * 2.2 * bevel
        fill = fill * (1.0 + np.clip(light, -0.45, 0.55))[..., None]
        fill = fill + (np.clip(light, 0, 1) * 120.0)[..., None]
    return blend(base, np.clip(fill, 0, 255), alpha)


def star_points(cx, cy, r_out, r_in, n=5, rot=-90.0):
    pts = []
    for i in range(2 * n):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(rot + i * 180.0 / n)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def sparkle_points(cx, cy, r, thin=0.18, rot=0.0):
    """Four-pointed twinkle."""
    return star_points(cx, cy, r, r * thin, 4, rot)


def spiral(cx, cy, r0, r1, turns, start_deg=0.0, steps=120, cw=True):
    pts = []
    for i in range(steps + 1):
        t = i / steps
        a = math.radians(start_deg) + (1 if cw else -1) * t * turns * 2 * math.pi
        r = r0 + (r1 - r0) * t
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def thick_line(draw, pts, width, fill=255):
    """Polyline with round joints (Pillow's joint handling leaves notches on curves)."""
    draw.line(pts, fill=fill, width=int(width))
    r = width / 2.0
    for x, y in pts:
        draw.ellipse((x - r, y - r, x + r, y + r), fill=fill)


def cloud(draw, cx, cy, s, flip=False, line=None, fill=255, cut=0):
    """An auspicious cloud (xiangyun): three curled lobes on a flat base and a tail.
    Drawn as a solid shape with the curls cut back in with `cut`."""
    f = -1.0 if flip else 1.0
    lw = line or max(2, s * 0.11)

    def P(x, y):
        return (cx + f * x * s, cy + y * s)

    lobes = [(0.0, 0.0, 1.0), (-1.35, 0.35, 0.72), (1.25, 0.42, 0.62)]
    for x, y, r in lobes:
        X, Y = P(x, y)
        draw.ellipse((X - r * s, Y - r * s, X + r * s, Y + r * s), fill=fill)
    x0, _ = P(-1.35, 0)
    x1, _ = P(1.25, 0)
    _, ytop = P(0, 0.4)
    _, ybot = P(0, 1.0)
    draw.rounded_rectangle((min(x0, x1), ytop, max(x0, x1), ybot), radius=s * 0.3, fill=fill)
    tail = [P(1.2 + t * 2.3, 1.0 - 0.28 * math.sin(t * math.pi) - 0.1 * t) for t in
            np.linspace(0, 1, 40)]
    for i, (x, y) in enumerate(tail):
        r = s * 0.3 * (1.0 - i / len(tail)) + s * 0.04
        draw.ellipse((x - r, y - r - s * 0.1, x + r, y + r - s * 0.1), fill=fill)
    for x, y, r in lobes:
        X, Y = P(x, y)
        thick_line(draw, spiral(X, Y, r * s * 0.12, r * s * 0.72, 1.15, 200 if not flip else -20,
                                cw=not flip), lw, fill=cut)
    X0, Y0 = P(-1.8, 0.82)
    X1, Y1 = P(2.6, 0.82)
    thick_line(draw, [(X0, Y0), (X1, Y1)], lw * 0.8, fill=cut)


def fret_band(draw, x0, y0, length, h, vertical=False, fill=255, unit=None):
    """A key-fret (huiwen) band; one square spiral per unit, linked along the band."""
    u = unit or h
    lw = max(1.0, h / 9.0)
    n = int(length // u)
    off = (length - n * u) / 2.0
    for i in range(n):
        a = off + i * u

        def T(px, py):
            px, py = a + px * u, py * h
            return (x0 + py, y0 + px) if vertical else (x0 + px, y0 + py)

        pts = [(0.0, 1.0), (0.0, 0.0), (0.86, 0.0), (0.86, 0.78), (0.22, 0.78), (0.22, 0.22),
               (0.64, 0.22), (0.64, 0.56), (0.44, 0.56)]
        thick_line(draw, [T(*p) for p in pts], lw, fill=fill)
        thick_line(draw, [T(0.0, 1.0), T(1.0, 1.0)], lw, fill=fill)


def soft_dots(base, rng, n, region, rmin, rmax, color, amax, weight=None):
    """Out-of-focus glowing circles (bokeh) in region (x0, y0, x1, y1)."""
    h, w = base.shape[:2]
    layer = np.zeros((h, w), np.float32)
    m = Image.new("L", (w, h), 0)
    d = ImageDraw.Draw(m)
    x0, y0, x1, y1 = region
    for _ in range(n):
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        if weight is not None and rng.random() > weight(x, y):
            continue
        r = rng.uniform(rmin, rmax)
        d.ellipse((x - r, y - r, x + r, y + r), fill=int(255 * rng.uniform(0.3, 1.0)))
    layer = mask_arr(m.filter(ImageFilter.GaussianBlur(rmin * 0.5)))
    return blend(base, color, np.clip(layer * amax, 0, 1))


def save_png(img, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.save(path, "PNG", optimize=True)


def save_jpg(img, path, quality=88):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    img.convert("RGB").save(path, "JPEG", quality=quality, optimize=True, progressive=False,
                            subsampling="4:4:4")


def downsample_rgba(img, size):
    """Lanczos on premultiplied colour, so transparent edges do not turn dark."""
    return img.convert("RGBa").resize(size, Image.LANCZOS).convert("RGBA")
