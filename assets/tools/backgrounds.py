"""The three built-in show backgrounds, 1920 x 1080.

The show draws its title, the prize picture (left 28 %), the name grid (centre and
right) and a status line (bottom 85 px) over these, in black and yellow by default. So
the middle stays a calm mid-toned red and every ornament keeps to the edges.
"""

import math

import numpy as np
from PIL import Image, ImageDraw, ImageFilter

import gfx

W, H = 1920, 1080
SS = 2  # supersampling of the drawn masks


def smoothstep(e0, e1, x):
    t = np.clip((x - e0) / (e1 - e0), 0, 1)
    return t * t * (3 - 2 * t)


def edge_weight():
    """0 in the calm middle, 1 toward the edges and corners."""
    x, y = gfx.grid(W, H)
    d = np.sqrt(((x - W / 2) / (W * 0.5)) ** 2 + ((y - H * 0.48) / (H * 0.5)) ** 2)
    return smoothstep(0.55, 1.25, d)


def base_red(center="#E43C3C", mid="#D83232", edge="#B4202A", corner="#8E1420"):
    stops = [(0.0, gfx.hexrgb(center)), (0.55, gfx.hexrgb(mid)), (1.0, gfx.hexrgb(edge)),
             (1.45, gfx.hexrgb(corner))]
    return gfx.radial(W, H, W / 2, H * 0.46, W * 0.62, H * 0.72,
                      [(s[0] / 1.45, s[1]) for s in stops])


def coin_lattice(spacing=96, width=2.2):
    """Interlocking circles (lianqian), returned as a line mask 0..1."""
    x, y = gfx.grid(W, H)
    r = spacing / math.sqrt(2.0)
    best = np.zeros((H, W), np.float32)
    for ox in (0, 1):
        for oy in (0, 1):
            cx = (np.floor(x / spacing) + ox) * spacing
            cy = (np.floor(y / spacing) + oy) * spacing
            d = np.abs(np.sqrt((x - cx) ** 2 + (y - cy) ** 2) - r)
            best = np.maximum(best, np.clip(1.0 - d / width, 0, 1))
    # a small four-petal flower in each cell centre
    cx = (np.floor(x / spacing) + 0.5) * spacing
    cy = (np.floor(y / spacing) + 0.5) * spacing
    dd = np.sqrt((x - cx) ** 2 + (y - cy) ** 2)
    best = np.maximum(best, np.clip(1.0 - np.abs(dd - 7) / 1.6, 0, 1) * 0.8)
    return best


def cloud_tile_pattern(base, weight, alpha=0.06, step=220):
    """Faint outlined clouds repeated over the whole picture."""
    m, d = gfx.new_mask(W, H, SS)
    for j, yy in enumerate(range(-60, H + 120, step // 2 + 20)):
        for xx in range(-100 + (j % 2) * step // 2, W + 200, step):
            gfx.cloud(d, xx * SS, yy * SS, 26 * SS, flip=(j % 2 == 1), line=3 * SS, fill=255,
                      cut=0)
    mask = gfx.mask_arr(gfx.reduce_mask(m, W, H))
    edge = mask - gfx.mask_arr(Image.fromarray((mask * 255).astype(np.uint8)).filter(
        ImageFilter.MinFilter(5)))
    return gfx.blend(base, (255, 214, 160), np.clip(edge, 0, 1) * alpha * (0.35 + 0.65 * weight))


def vignette(base, strength=0.22):
    x, y = gfx.grid(W, H)
    d = np.sqrt(((x - W / 2) / (W * 0.55)) ** 2 + ((y - H / 2) / (H * 0.6)) ** 2)
    v = 1.0 - strength * smoothstep(0.75, 1.5, d)
    return base * v[..., None]


def add_gold(base, mask_img, shadow=0.55, bevel=1.0, alpha=1.0, span=None, y0=0):
    m = gfx.mask_arr(gfx.reduce_mask(mask_img, W, H)) * alpha
    fill = gfx.gold_fill(H, W, y0=y0, span=span or 160)
    return gfx.metal(base, m, fill, shadow=shadow, bevel=bevel)


def frame(base, top_brackets=True):
    """Double gold rule round the picture with fret brackets in the corners."""
    m, d = gfx.new_mask(W, H, SS)
    for inset, lw in ((20, 5), (34, 2)):
        i = inset * SS
        d.rectangle((i, i, W * SS - i, H * SS - i), outline=255, width=lw * SS)
    L, bh = 300, 26
    corners = ((0, H, 1, -1), (W, H, -1, -1))
    if top_brackets:
        corners += ((0, 0, 1, 1), (W, 0, -1, 1))
    for cx, cy, sx, sy in corners:
        x0 = cx + sx * 44
        y0 = cy + sy * 44
        hx = x0 if sx > 0 else x0 - L
        vy = y0 if sy > 0 else y0 - L
        hy = y0 if sy > 0 else y0 - bh
        vx = x0 if sx > 0 else x0 - bh
        gfx.fret_band(d, hx * SS, hy * SS, L * SS, bh * SS)
        gfx.fret_band(d, vx * SS, vy * SS, L * SS, bh * SS, vertical=True)
    return add_gold(base, m, shadow=0.45, span=60)


def corner_clouds(base, top=True, bottom=True, scale=1.0):
    m, d = gfx.new_mask(W, H, SS)
    cut = 0
    spots = []
    if top:
        spots += [(165, 150, 46, False), (385, 92, 28, False), (W - 165, 150, 46, True),
                  (W - 385, 92, 28, True)]
    if bottom:
        spots += [(140, H - 120, 34, False), (W - 140, H - 120, 34, True)]
    for x, y, s, flip in spots:
        gfx.cloud(d, x * SS, y * SS, s * scale * SS, flip=flip, fill=255, cut=cut)
    return add_gold(base, m, shadow=0.6, span=120)


def firework(base, cx, cy, r, color=(255, 226, 120), rays=28, seed=1, alpha=0.9):
    rng = np.random.default_rng(seed)
    m, d = gfx.new_mask(W, H, SS)
    for i in range(rays):
        a = 2 * math.pi * i / rays + rng.uniform(-0.05, 0.05)
        rr = r * rng.uniform(0.75, 1.0)
        r0 = r * 0.18
        pts = [(cx + (r0 + (rr - r0) * t) * math.cos(a), cy + (r0 + (rr - r0) * t) * math.sin(a))
               for t in np.linspace(0, 1, 40)]
        for k, (x, y) in enumerate(pts):
            w = 0.6 + 2.6 * (k / len(pts))
            d.ellipse(((x - w) * SS, (y - w) * SS, (x + w) * SS, (y + w) * SS),
                      fill=int(90 + 165 * k / len(pts)))
        x, y = pts[-1]
        q = 5.5
        d.ellipse(((x - q) * SS, (y - q) * SS, (x + q) * SS, (y + q) * SS), fill=255)
    mask = gfx.mask_arr(gfx.reduce_mask(m, W, H)) * alpha
    glow = gfx.blur(mask, 10) * 0.9
    base = gfx.blend(base, (255, 190, 90), np.clip(glow * 0.55, 0, 1))
    return gfx.blend(base, color, np.clip(mask, 0, 1))


def twinkles(base, rng, n, region, rmin, rmax, weight=None, color=(255, 236, 170), amax=1.0):
    m, d = gfx.new_mask(W, H, SS)
    x0, y0, x1, y1 = region
    for _ in range(n):
        x, y = rng.uniform(x0, x1), rng.uniform(y0, y1)
        if weight is not None and rng.random() > weight(x, y):
            continue
        r = rng.uniform(rmin, rmax)
        d.polygon([(px * SS, py * SS) for px, py in gfx.sparkle_points(x, y, r, 0.16)],
                  fill=int(255 * rng.uniform(0.5, 1.0)))
        q = r * 0.22
        d.ellipse(((x - q) * SS, (y - q) * SS, (x + q) * SS, (y + q) * SS), fill=255)
    mask = gfx.mask_arr(gfx.reduce_mask(m, W, H))
    base = gfx.blend(base, (255, 200, 110), np.clip(gfx.blur(mask, 4) * 0.8, 0, 1) * amax)
    return gfx.blend(base, color, np.clip(mask * amax, 0, 1))


def edge_w_fn(cx=W / 2, cy=H * 0.48, rx=W * 0.5, ry=H * 0.5, lo=0.7, hi=1.2):
    def f(x, y):
        d = math.sqrt(((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2)
        return float(np.clip((d - lo) / (hi - lo), 0, 1))

    return f


def bottom_waves(base, y_top=H - 60):
    """A low band of stylised waves (haishui) along the bottom edge."""
    m, d = gfx.new_mask(W, H, SS)
    for row, yy in enumerate((H - 52, H - 38)):
        step = 64
        for i, x in enumerate(range(-step + (row * step // 2), W + step, step)):
            for k, rr in enumerate((28, 20, 12)):
                d.arc(((x - rr) * SS, (yy - rr) * SS, (x + rr) * SS, (yy + rr) * SS), 180, 360,
                      fill=255, width=int(2.2 * SS))
    mask = gfx.mask_arr(gfx.reduce_mask(m, W, H))
    x, y = gfx.grid(W, H)
    fade = 0.15 + 0.85 * smoothstep(400, 900, np.abs(x - W / 2))
    return gfx.metal(base, mask * 0.85 * fade, gfx.gold_fill(H, W, span=40), shadow=0.3, bevel=0.5)


def common_base(seed, center="#E43C3C", mid="#D83232", edge="#B4202A", corner="#8E1420"):
    base = base_red(center, mid, edge, corner)
    weight = edge_weight()
    lat = coin_lattice()
    base = gfx.blend(base, (255, 120, 100), lat * (0.05 + 0.07 * weight))
    base = cloud_tile_pattern(base, weight, alpha=0.10)
    return base, weight


def finish(base, seed):
    rng = np.random.default_rng(seed)
    noise = rng.normal(0, 1.4, base.shape[:2]).astype(np.float32)
    base = base + noise[..., None]  # light grain keeps wide gradients from banding in JPEG
    return gfx.to_img(base)


def make_default():
    rng = np.random.default_rng(7)
    base, weight = common_base(7)
    base = gfx.soft_dots(base, rng, 160, (0, 0, W, H), 6, 26, (255, 214, 120), 0.35,
                         weight=edge_w_fn())
    # a warm glow where the title stands
    x, y = gfx.grid(W, H)
    glow = np.exp(-(((x - W / 2) / 700) ** 2 + ((y - 150) / 170) ** 2))
    base = gfx.blend(base, (250, 120, 80), glow * 0.18)
    base = firework(base, 360, 190, 130, seed=2)
    base = firework(base, W - 360, 200, 140, seed=3)
    base = firework(base, 560, 95, 60, color=(255, 244, 200), rays=20, seed=4, alpha=0.7)
    base = firework(base, W - 570, 90, 55, color=(255, 244, 200), rays=20, seed=5, alpha=0.7)
    base = twinkles(base, rng, 90, (40, 40, W - 40, H - 40), 5, 14, weight=edge_w_fn(lo=0.78))
    base = corner_clouds(base)
    base = bottom_waves(base)
    base = frame(base)
    base = vignette(base, 0.18)
    return finish(base, 7)


def lantern(base, cx, top, length, rx, ry, seed=0):
    """A lit red lantern hung from the top edge on a cord, with gold caps, a gold
    character and a tassel."""
    cy = top + length
    # cord
    m, d = gfx.new_mask(W, H, SS)
    d.line((cx * SS, 0, cx * SS, (cy - ry) * SS), fill=255, width=3 * SS)
    base = add_gold(base, m, shadow=0.4, bevel=0.3)
    # body: lit from inside, so the centre glows orange
    m, d = gfx.new_mask(W, H, SS)
    d.ellipse(((cx - rx) * SS, (cy - ry) * SS, (cx + rx) * SS, (cy + ry) * SS), fill=255)
    body = gfx.mask_arr(gfx.reduce_mask(m, W, H))
    glow_col = gfx.radial(W, H, cx - rx * 0.15, cy - ry * 0.2, rx * 1.1, ry * 1.1,
                          [(0, (255, 170, 70)), (0.45, (236, 60, 36)), (0.8, (190, 22, 26)),
                           (1.0, (130, 8, 16))])
    sh = gfx.blur(np.roll(np.roll(body, 10, 0), 8, 1), 10) * 0.5
    base = gfx.blend(base, (60, 0, 0), sh)
    base = gfx.blend(base, glow_col, body)
    # ribs
    m, d = gfx.new_mask(W, H, SS)
    for k in (0.25, 0.55, 0.82):
        ex = rx * k
        d.ellipse(((cx - ex) * SS, (cy - ry) * SS, (cx + ex) * SS, (cy + ry) * SS),
                  outline=255, width=int(2.2 * SS))
    d.line((cx * SS, (cy - ry) * SS, cx * SS, (cy + ry) * SS), fill=255, width=int(2.2 * SS))
    ribs = gfx.mask_arr(gfx.reduce_mask(m, W, H)) * body
    base = gfx.blend(base, (150, 14, 20), ribs * 0.55)
    # caps and tassel
    m, d = gfx.new_mask(W, H, SS)
    cw, ch = rx * 0.55, ry * 0.16
    d.rounded_rectangle(((cx - cw) * SS, (cy - ry - ch * 0.6) * SS, (cx + cw) * SS,
                         (cy - ry + ch * 0.6) * SS), radius=ch * 0.3 * SS, fill=255)
    d.rounded_rectangle(((cx - cw) * SS, (cy + ry - ch * 0.6) * SS, (cx + cw) * SS,
                         (cy + ry + ch * 0.6) * SS), radius=ch * 0.3 * SS, fill=255)
    ty = cy + ry + ch * 0.6
    d.ellipse(((cx - 9) * SS, (ty - 2) * SS, (cx + 9) * SS, (ty + 16) * SS), fill=255)
    base = add_gold(base, m, shadow=0.5, span=40, y0=cy - ry)
    m, d = gfx.new_mask(W, H, SS)
    tl = ry * 0.9
    for i in range(-6, 7):
        x = cx + i * 2.4
        d.line((x * SS, (ty + 12) * SS, (x + i * 0.9) * SS, (ty + 12 + tl) * SS), fill=255,
               width=int(2.2 * SS))
    tassel = gfx.mask_arr(gfx.reduce_mask(m, W, H))
    base = gfx.blend(base, (200, 20, 24), tassel)
    # character
    fnt = gfx.cjk(ry * 0.95 * SS)
    m, d = gfx.new_mask(W, H, SS)
    d.text((cx * SS, cy * SS), "福", font=fnt, fill=255, anchor="mm")
    base = add_gold(base, m, shadow=0.35, span=ry * 0.9, y0=cy - ry * 0.45, bevel=0.6)
    return base


def sun_rays(base, cx, cy, n=36, alpha=0.08):
    x, y = gfx.grid(W, H)
    ang = np.arctan2(y - cy, x - cx)
    r = np.sqrt((x - cx) ** 2 + (y - cy) ** 2)
    rays = 0.5 + 0.5 * np.cos(ang * n)
    rays = rays ** 3 * np.exp(-r / 900.0)
    return gfx.blend(base, (255, 200, 110), rays * alpha)


def make_hydt():
    rng = np.random.default_rng(11)
    base, weight = common_base(11, center="#E6403A", mid="#DA3433", edge="#B8222A")
    base = sun_rays(base, W / 2, -80, alpha=0.12)
    x, y = gfx.grid(W, H)
    glow = np.exp(-(((x - W / 2) / 820) ** 2 + ((y + 40) / 260) ** 2))
    base = gfx.blend(base, (255, 170, 90), glow * 0.22)
    base = gfx.soft_dots(base, rng, 140, (0, 0, W, H), 6, 22, (255, 200, 110), 0.3,
                         weight=edge_w_fn())
    # a row of gold clouds along the top edge, denser toward the corners
    m, d = gfx.new_mask(W, H, SS)
    for x0, s, flip in ((500, 34, False), (760, 24, False), (W - 500, 34, True),
                        (W - 760, 24, True)):
        gfx.cloud(d, x0 * SS, (44 + s * 0.2) * SS, s * SS, flip=flip)
    base = add_gold(base, m, shadow=0.6, span=100)
    base = lantern(base, 150, 0, 230, 90, 78)
    base = lantern(base, 345, 0, 125, 62, 54)
    base = lantern(base, W - 150, 0, 230, 90, 78)
    base = lantern(base, W - 345, 0, 125, 62, 54)
    base = twinkles(base, rng, 70, (40, 40, W - 40, H - 40), 5, 13, weight=edge_w_fn(lo=0.8))
    base = corner_clouds(base, top=False, bottom=True, scale=1.15)
    base = bottom_waves(base)
    base = frame(base, top_brackets=False)
    base = vignette(base, 0.16)
    return finish(base, 11)


def shooting_star(base, x0, y0, x1, y1, width=3.0):
    m, d = gfx.new_mask(W, H, SS)
    n = 60
    for i in range(n):
        t = i / (n - 1)
        x = x0 + (x1 - x0) * t
        y = y0 + (y1 - y0) * t
        r = width * (0.15 + 0.85 * t)
        d.ellipse(((x - r) * SS, (y - r) * SS, (x + r) * SS, (y + r) * SS), fill=int(255 * t))
    mask = gfx.mask_arr(gfx.reduce_mask(m, W, H))
    base = gfx.blend(base, (255, 200, 120), gfx.blur(mask, 6) * 0.6)
    return gfx.blend(base, (255, 246, 210), mask)


def big_star(base, cx, cy, r, rot=-90.0):
    x, y = gfx.grid(W, H)
    halo = np.exp(-(((x - cx) ** 2 + (y - cy) ** 2) / (2 * (r * 1.3) ** 2)))
    base = gfx.blend(base, (255, 196, 90), halo * 0.55)
    m, d = gfx.new_mask(W, H, SS)
    d.polygon([(px * SS, py * SS) for px, py in gfx.star_points(cx, cy, r, r * 0.42, 5, rot)],
              fill=255)
    base = add_gold(base, m, shadow=0.5, span=r * 2, y0=cy - r, bevel=1.2)
    # long four-way glints through the star
    m, d = gfx.new_mask(W, H, SS)
    d.polygon([(px * SS, py * SS) for px, py in gfx.sparkle_points(cx, cy, r * 1.9, 0.035, 0)],
              fill=200)
    return gfx.blend(base, (255, 244, 210), gfx.mask_arr(gfx.reduce_mask(m, W, H)) * 0.4)


def make_jxgz():
    rng = np.random.default_rng(23)
    base, weight = common_base(23, center="#DA3A40", mid="#CE3038", edge="#A81E36",
                               corner="#6A1030")
    # the sky deepens toward the top edge and the top corners
    x, y = gfx.grid(W, H)
    sky = smoothstep(360, 0, y) * (0.45 + 0.55 * smoothstep(150, 800, np.abs(x - W / 2)))
    base = gfx.blend(base, (96, 12, 50), sky * 0.7)
    glow = np.exp(-(((x - W / 2) / 900) ** 2 + ((y - H * 0.5) / 420) ** 2))
    base = gfx.blend(base, (236, 70, 60), glow * 0.25)
    # a milky band of faint gold dust over the top
    dust = rng.random((H, W)).astype(np.float32)
    dust = (dust > 0.9985).astype(np.float32)
    band = np.exp(-((y - (120 + 0.06 * x)) / 110) ** 2)
    dust = gfx.blur(dust, 0.7) * 3.0
    base = gfx.blend(base, (255, 236, 190), np.clip(dust * (0.25 + 0.75 * band) *
                                                     (0.3 + 0.7 * weight), 0, 1))
    base = gfx.soft_dots(base, rng, 120, (0, 0, W, H), 5, 20, (255, 190, 120), 0.3,
                         weight=edge_w_fn())
    # many small stars, dense in the sky and the corners, rare in the middle
    def star_w(px, py):
        top = max(0.0, 1.0 - py / 330.0)
        return max(top, edge_w_fn(lo=0.75)(px, py))

    base = twinkles(base, rng, 420, (30, 30, W - 30, H - 30), 4, 12, weight=star_w)
    base = twinkles(base, rng, 40, (30, 30, W - 30, 330), 10, 22, weight=lambda px, py: 0.6)
    base = shooting_star(base, 560, 40, 760, 150)
    base = shooting_star(base, W - 860, 60, W - 700, 140, 2.4)
    base = big_star(base, 150, 150, 78, -90)
    base = big_star(base, 330, 96, 36, -80)
    base = big_star(base, W - 150, 150, 78, -90)
    base = big_star(base, W - 330, 96, 36, -100)
    base = big_star(base, W / 2, 40, 24, -90)
    base = corner_clouds(base, top=False, bottom=True, scale=1.15)
    base = bottom_waves(base)
    base = frame(base, top_brackets=False)
    base = vignette(base, 0.16)
    return finish(base, 23)


def build(out_dir):
    for name, fn in (("default", make_default), ("hydt", make_hydt), ("jxgz", make_jxgz)):
        img = fn()
        assert img.size == (W, H)
        gfx.save_jpg(img, f"{out_dir}/image/{name}.jpg")
