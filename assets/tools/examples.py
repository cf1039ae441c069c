"""Pictures of correctly laid-out import files (two spreadsheets, two text files).

They are shown scaled down in a small dialog, so the text is large and the windows are
only hinted at. Every name and number is invented.
"""

from PIL import Image, ImageDraw

import gfx

W, H = 600, 350
S = 2  # drawn at twice the size, then reduced

TITLE_GREEN = (33, 115, 70)
GRID = (200, 204, 210)
HEAD = (236, 238, 241)
HEAD_TEXT = (90, 94, 100)


def window(title, accent):
    img = Image.new("RGB", (W * S, H * S), (250, 250, 250))
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, W * S - 1, H * S - 1), outline=(150, 150, 156), width=2 * S)
    d.rectangle((S, S, W * S - S, 34 * S), fill=accent)
    d.text((14 * S, 17 * S), title, font=gfx.cjk(17 * S), fill=(255, 255, 255), anchor="lm")
    # window buttons
    for i, ch in enumerate(("✕", "□", "—")):
        x = W * S - (24 + i * 34) * S
        d.text((x, 17 * S), ch, font=gfx.font(gfx.LATIN_BOLD, 14 * S), fill=(255, 255, 255),
               anchor="mm")
    return img, d


def spreadsheet(title, cols, rows, widths, highlight_header=True):
    img, d = window(title, TITLE_GREEN)
    f = gfx.cjk(19 * S)
    fs = gfx.font(gfx.LATIN_BOLD, 14 * S)
    # formula bar
    y = 34 * S
    d.rectangle((S, y, W * S - S, y + 28 * S), fill=(243, 243, 243))
    d.rectangle((6 * S, y + 4 * S, 70 * S, y + 24 * S), fill=(255, 255, 255), outline=GRID)
    d.text((38 * S, y + 14 * S), "A1", font=gfx.font(gfx.LATIN_BOLD, 12 * S), fill=HEAD_TEXT,
           anchor="mm")
    d.text((84 * S, y + 14 * S), "fx", font=gfx.font(gfx.LATIN_SERIF_BOLD, 13 * S),
           fill=HEAD_TEXT, anchor="lm")
    d.rectangle((108 * S, y + 4 * S, W * S - 8 * S, y + 24 * S), fill=(255, 255, 255), outline=GRID)
    d.text((114 * S, y + 14 * S), cols[0], font=gfx.cjk(13 * S), fill=(40, 40, 40), anchor="lm")
    top = y + 30 * S
    rh_w, ch_h, row_h = 38 * S, 26 * S, 35 * S
    xs = [rh_w]
    for wd in widths:
        xs.append(xs[-1] + wd * S)
    xs[-1] = W * S - S  # the last column runs to the window edge
    # headers
    d.rectangle((S, top, W * S - S, top + ch_h), fill=HEAD)
    nrows = (H * S - top - ch_h) // row_h + 1
    d.rectangle((S, top, rh_w, H * S - S), fill=HEAD)
    for i in range(len(widths)):
        d.text(((xs[i] + xs[i + 1]) / 2, top + ch_h / 2), "ABCDEFG"[i], font=fs, fill=HEAD_TEXT,
               anchor="mm")
    for r in range(nrows):
        yy = top + ch_h + r * row_h
        d.text((rh_w / 2, yy + row_h / 2), str(r + 1), font=fs, fill=HEAD_TEXT, anchor="mm")
    # the title row stands out a little
    if highlight_header:
        d.rectangle((rh_w, top + ch_h, W * S - S, top + ch_h + row_h), fill=(226, 239, 218))
    # grid
    for x in xs:
        d.line((x, top, x, H * S), fill=GRID, width=S)
    for r in range(nrows + 1):
        yy = top + ch_h + r * row_h
        d.line((S, yy, W * S, yy), fill=GRID, width=S)
    d.line((S, top + ch_h, W * S, top + ch_h), fill=(160, 164, 170), width=S)
    # cells
    for r, row in enumerate([cols] + rows):
        yy = top + ch_h + r * row_h + row_h / 2
        for i, text in enumerate(row):
            x = xs[i] + 10 * S
            d.text((x, yy), text, font=f, fill=(20, 20, 20), anchor="lm",
                   stroke_width=S // 2 if r == 0 else 0, stroke_fill=(20, 20, 20))
    # the selected cell
    d.rectangle((xs[0], top + ch_h, xs[1], top + ch_h + row_h), outline=TITLE_GREEN, width=2 * S)
    d.rectangle((S, S, W * S - S, H * S - S), outline=(150, 150, 156), width=S)
    return img.resize((W, H), Image.LANCZOS)


def text_editor(title, lines):
    img, d = window(title, (52, 92, 160))
    y = 34 * S
    d.rectangle((S, y, W * S - S, y + 28 * S), fill=(243, 243, 243))
    f_menu = gfx.cjk(14 * S)
    x = 12 * S
    for item in ("文件", "编辑", "格式", "查看", "帮助"):
        d.text((x, y + 14 * S), item, font=f_menu, fill=(50, 50, 50), anchor="lm")
        x += 52 * S
    d.line((S, y + 28 * S, W * S, y + 28 * S), fill=GRID, width=S)
    f = gfx.cjk(21 * S)
    top = y + 40 * S
    lh = 31 * S
    for i, line in enumerate(lines):
        d.text((22 * S, top + i * lh + lh / 2), line, font=f, fill=(20, 20, 20), anchor="lm")
    # caret after the last line
    last = lines[-1]
    tw = d.textlength(last, font=f)
    cy = top + (len(lines) - 1) * lh
    d.line((22 * S + tw + 3 * S, cy + 5 * S, 22 * S + tw + 3 * S, cy + lh - 5 * S), fill=(0, 0, 0),
           width=S)
    # status bar
    d.rectangle((S, H * S - 24 * S, W * S - S, H * S - S), fill=(240, 240, 240))
    d.text((W * S - 14 * S, H * S - 12 * S), "UTF-8", font=gfx.font(gfx.LATIN_BOLD, 11 * S),
           fill=HEAD_TEXT, anchor="rm")
    return img.resize((W, H), Image.LANCZOS)


PEOPLE = [("001", "李明轩", "技术部", "13912345601"), ("002", "王雨桐", "市场部", "13812345602"),
          ("003", "陈思远", "财务部", "13712345603"), ("004", "刘佳怡", "人事部", "13612345604"),
          ("005", "赵子豪", "销售部", "15012345605"), ("006", "孙晓琳", "行政部", "18612345606"),
          ("007", "周俊杰", "技术部", "13512345607")]


def build(out_dir):
    imgs = [
        spreadsheet("抽奖名单.xlsx", ["编号", "姓名", "部门", "手机"], [list(p) for p in PEOPLE[:6]],
                    [84, 110, 120, 190]),
        spreadsheet("手机名单.xlsx", ["姓名", "手机"], [[p[1], p[3]] for p in PEOPLE[:6]],
                    [130, 200, 110, 110]),
        text_editor("名单.txt - 文本编辑器", ["姓名,部门"] + [f"{p[1]},{p[2]}" for p in PEOPLE[:6]]),
        text_editor("编号.txt - 文本编辑器", ["编号"] + [f"{i:03d}" for i in range(1, 7)]),
    ]
    for i, img in enumerate(imgs, 1):
        assert img.size == (W, H)
        gfx.save_png(img, f"{out_dir}/example/import_{i}.png")
