#!/usr/bin/python3
"""Draws the installer's pictures, hand cursor and program icon into res/.

Run with Debian's python3 (python3-pil):
  /usr/bin/python3 draw_artwork.py [out dir] [--only name,name] [--check]
Every picture is drawn three times from the same shapes: at its own size
(name.png) and at 150 % and 200 % of it (name@150.png, name@200.png), for
displays set to a larger scale. The cursor file holds the hand at 32, 48 and
64 pixels. Everything is drawn at four times its size and reduced, so edges
are smooth; transparent pixels are written as transparent black so that
premultiplying them gives no fringes. --check redraws and compares with the
files in the folder instead of writing them (exit status 1 on a difference).
"""
import math
import os
import shutil
import struct
import subprocess
import sys
from io import BytesIO

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4  # supersampling factor
SCALE = 1.0  # display scale of the pass being drawn
# Picture sets: the display scale and the suffix added to the file name.
SETS = ((1.0, ""), (1.5, "@150"), (2.0, "@200"))

# Colours shared with the skin's styles.
BLUE = (63, 172, 229)
BLUE_OVER = (81, 195, 255)
BLUE_PRESS = (32, 154, 217)
BLUE_DEEP = (33, 110, 186)
TRACK = (72, 144, 182)
TITLE = (56, 60, 66)
TEXT = (51, 51, 51)
GREY_TEXT = (151, 151, 151)
BORDER = (221, 221, 221)
DISABLED = (204, 204, 204)
ROW_GREY = (236, 236, 236)
RED = (229, 72, 72)

FONT_CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
FONT_BOLD_CONDENSED = "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf"
FONT_SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

PRODUCT = "Kestrane"


# --- drawing helpers (all coordinates in pixels of the picture at 100 %,
# scaled internally to the pass's display scale and the supersampling) ---------

def px(v):
    """A picture's size in pixels at the current scale (halves round up)."""
    return int(math.floor(v * SCALE + 0.5))


def font(path, size):
    if not os.path.isfile(path):
        sys.exit("font missing: %s (Debian's fonts-dejavu-core and fonts-dejavu-extra; tools/setup.sh installs them)"
                 % path)
    return ImageFont.truetype(path, int(round(size * SS * SCALE)))


def new_layer(w, h, colour=(0, 0, 0, 0)):
    return Image.new("RGBA", (px(w) * SS, px(h) * SS), colour)


def blank(base, colour=(0, 0, 0, 0)):
    """An empty layer of the same size as base."""
    return Image.new("RGBA", base.size, colour)


def s(v):
    return int(round(v * SS * SCALE))


def box(x0, y0, x1, y1):
    return [s(x0), s(y0), s(x1) - 1, s(y1) - 1]


def rgba(colour, alpha=255):
    return tuple(colour[:3]) + (int(round(alpha)),)


def paste_over(base, layer):
    base.alpha_composite(layer)


def shape(base, draw_fn):
    """A layer over base with one shape drawn by draw_fn(ImageDraw)."""
    layer = blank(base)
    draw_fn(ImageDraw.Draw(layer))
    return layer


def rounded(base, x0, y0, x1, y1, r, fill=None, outline=None, width=1.0):
    if fill is not None:
        paste_over(base, shape(base, lambda d: d.rounded_rectangle(box(x0, y0, x1, y1), s(r), fill=fill)))
    if outline is not None:
        # An outline is the difference of two filled shapes, so it stays even.
        ring = blank(base)
        mask = Image.new("L", ring.size, 0)
        md = ImageDraw.Draw(mask)
        md.rounded_rectangle(box(x0, y0, x1, y1), s(r), fill=255)
        md.rounded_rectangle(box(x0 + width, y0 + width, x1 - width, y1 - width), max(0, s(r - width)), fill=0)
        ring.paste(Image.new("RGBA", ring.size, outline), (0, 0), mask)
        paste_over(base, ring)


def ellipse(base, x0, y0, x1, y1, fill):
    paste_over(base, shape(base, lambda d: d.ellipse(box(x0, y0, x1, y1), fill=fill)))


def stroke(base, points, width, colour):
    """A polyline with round caps and joins."""
    def draw(d):
        pts = [(s(x), s(y)) for x, y in points]
        d.line(pts, fill=colour, width=s(width), joint="curve")
        r = width * SS * SCALE / 2.0
        for x, y in pts:
            d.ellipse([x - r, y - r, x + r, y + r], fill=colour)
    paste_over(base, shape(base, draw))


def polygon(base, points, fill):
    paste_over(base, shape(base, lambda d: d.polygon([(s(x), s(y)) for x, y in points], fill=fill)))


def text(base, xy, string, fnt, fill, anchor="la", weight=0.0):
    """Text; weight thickens the strokes by that many pixels (the CJK face has no bold)."""
    paste_over(base, shape(base, lambda d: d.text((s(xy[0]), s(xy[1])), string, font=fnt, fill=fill, anchor=anchor,
                                                  stroke_width=s(weight / 2), stroke_fill=fill)))


def text_width(string, fnt):
    return fnt.getlength(string) / (SS * SCALE)


def shadow(base, draw_fn, blur, offset=(0, 0), alpha=80):
    """Soft shadow of a shape: drawn black, blurred, composited below later layers."""
    mask = Image.new("L", base.size, 0)
    draw_fn(ImageDraw.Draw(mask))
    mask = mask.filter(ImageFilter.GaussianBlur(blur * SS * SCALE))
    mask = ImageChops.offset(mask, s(offset[0]), s(offset[1]))
    mask = mask.point(lambda v: v * alpha // 255)
    layer = blank(base)
    layer.paste(Image.new("RGBA", base.size, (0, 0, 0, 255)), (0, 0), mask)
    paste_over(base, layer)


def gradient(w, h, top_left, bottom_right, angle=90.0):
    """Linear gradient over the picture; angle 90 runs top to bottom, 0 left to right."""
    big = max(w, h) * 2
    ramp = Image.linear_gradient("L").resize((big, big))
    ramp = ramp.rotate(angle - 90, resample=Image.BICUBIC)
    ramp = ramp.crop(((big - w) // 2, (big - h) // 2, (big - w) // 2 + w, (big - h) // 2 + h))
    a = Image.new("RGBA", (w, h), rgba(top_left))
    b = Image.new("RGBA", (w, h), rgba(bottom_right))
    return Image.composite(b, a, ramp)


def reduce(img):
    """Scales a supersampled layer down (premultiplied) and clears fully transparent pixels."""
    out = img.resize((img.size[0] // SS, img.size[1] // SS), Image.BOX)
    return clean(out)


def clean(img):
    pix = img.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            if pix[x, y][3] == 0:
                pix[x, y] = (0, 0, 0, 0)
    return img


# --- the product mark: a speech bubble with a K ---------------------------------

def draw_mark(size, glyph_only=False, inverted=False):
    """The product mark at size x size pixels (unit coordinates scaled to size);
    inverted gives a white bubble with a blue K, for blue backgrounds."""
    img = new_layer(size, size)
    u = size / 32.0

    def P(x, y):
        return (x * u, y * u)

    if not glyph_only:
        if inverted:
            bubble = gradient(px(size) * SS, px(size) * SS, (255, 255, 255), (232, 244, 252), angle=60)
        else:
            bubble = gradient(px(size) * SS, px(size) * SS, (86, 190, 240), BLUE_DEEP, angle=60)
        mask = Image.new("L", img.size, 0)
        md = ImageDraw.Draw(mask)
        md.rounded_rectangle(box(1 * u, 1 * u, 31 * u, 27.5 * u), s(7 * u), fill=255)
        md.polygon([(s(x * u), s(y * u)) for x, y in ((6.5, 24), (13, 25), (6, 31.2))], fill=255)
        img.paste(bubble, (0, 0), mask)
    white = (42, 140, 210, 255) if inverted else (255, 255, 255, 255)
    stroke(img, [P(11, 7.5), P(11, 20.5)], 3.6 * u, white)
    stroke(img, [P(12.5, 15.2), P(21, 7.5)], 3.6 * u, white)
    stroke(img, [P(14.6, 13.4), P(21.8, 20.5)], 3.6 * u, white)
    return img


# --- pictures --------------------------------------------------------------------

def dlg_back():
    """Window background: a 5-pixel soft shadow around the dark body (nine-part).
    The shadow is a function of the distance from the body, sampled at each
    pixel's centre."""
    n = px(32)
    img = Image.new("RGBA", (n, n))
    pix = img.load()
    inner0, inner1 = 5.0, 27.0
    for y in range(n):
        for x in range(n):
            cx, cy = (x + 0.5) / SCALE, (y + 0.5) / SCALE
            dx = max(inner0 - cx, 0.0, cx - inner1)
            dy = max(inner0 - cy, 0.0, cy - inner1)
            d = math.hypot(dx, dy)
            if d == 0.0:
                pix[x, y] = rgba(TITLE)
            else:
                a = 62.0 * max(0.0, 1.0 - d / 5.2) ** 1.6
                pix[x, y] = (12, 16, 22, int(round(a)))
    return img


def img_logo():
    img = new_layer(88, 24)
    mark = draw_mark(20)
    img.alpha_composite(mark, (0, s(2)))
    f = font(FONT_BOLD_CONDENSED, 13.5)
    x = 24.0
    room = 88 - x
    assert text_width(PRODUCT, f) <= room, "logo text too wide"
    text(img, (x, 17.6), PRODUCT, f, (255, 255, 255, 255), anchor="ls")
    return reduce(img)


def title_buttons(close):
    """Five 40x40 cells on the dark title bar: normal, over, press, focus, disable."""
    img = new_layer(200, 40)
    for i, state in enumerate(("normal", "over", "press", "focus", "disable")):
        x = i * 40
        glyph = {"normal": (205, 209, 214, 255), "over": (255, 255, 255, 255),
                 "press": (255, 255, 255, 235), "focus": (255, 255, 255, 255),
                 "disable": (205, 209, 214, 80)}[state]
        if state == "over":
            bg = (232, 17, 35, 255) if close else (255, 255, 255, 30)
            rounded(img, x, 0, x + 40, 40, 0, fill=bg)
        elif state == "press":
            bg = (196, 30, 45, 255) if close else (0, 0, 0, 60)
            rounded(img, x, 0, x + 40, 40, 0, fill=bg)
        elif state == "focus":
            rounded(img, x + 5, 5, x + 35, 35, 4, outline=(255, 255, 255, 110), width=1)
        off = 0.5 if state == "press" else 0.0
        cx, cy = x + 20 + off, 20 + off
        if close:
            k = 5.2
            stroke(img, [(cx - k, cy - k), (cx + k, cy + k)], 1.5, glyph)
            stroke(img, [(cx - k, cy + k), (cx + k, cy - k)], 1.5, glyph)
        else:
            stroke(img, [(cx - 6, cy + 0.5), (cx + 6, cy + 0.5)], 1.5, glyph)
    return reduce(img)


def img_progress():
    """Fill of the progress bars: a 25-pixel stretched body and a 25-pixel glowing head."""
    w, h = px(50), px(4)
    img = Image.new("RGBA", (w, h))
    pix = img.load()
    rows = (1.10, 1.0, 0.96, 0.88)   # a little light from above, in four bands
    for x in range(w):
        lx = (x + 0.5) / SCALE - 0.5  # column at 100 %, continuous
        t = max(0.0, (lx - 25) / 24.0)  # 0 over the body, up to 1 at the head
        glow = min(1.0, t) ** 1.8
        head = (122, 210, 250)
        base = tuple(BLUE[c] + (head[c] - BLUE[c]) * glow for c in range(3))
        for y in range(h):
            band = min(3, int((y + 0.5) / SCALE))
            k = rows[band]
            c = tuple(max(0, min(255, int(round(v * k if k < 1 else v + (255 - v) * (k - 1))))) for v in base)
            # rounded head: the last column is softened, most at the corners
            a = 255
            if (x + 0.5) / SCALE > 49:
                a = 110 if band in (0, 3) else 235
            pix[x, y] = c + (a,)
    return img


def intro_illustration(img, w, h):
    """Two document cards with a translation badge, on the right of the intro."""
    # back card (source text)
    def card_shape(x0, y0, x1, y1):
        return lambda d: d.rounded_rectangle(box(x0, y0, x1, y1), s(10), fill=255)
    shadow(img, card_shape(318, 62, 488, 262), 9, (0, 8), alpha=70)
    rounded(img, 318, 62, 488, 262, 10, fill=(255, 255, 255, 255))
    rounded(img, 318, 62, 488, 92, 10, fill=(240, 246, 251, 255))
    rounded(img, 318, 82, 488, 92, 0, fill=(240, 246, 251, 255))
    for i, c in enumerate(((255, 95, 87), (255, 189, 46), (39, 201, 63))):
        ellipse(img, 332 + i * 13, 73, 340 + i * 13, 81, c + (255,))
    text(img, (336, 118), "Aa", font(FONT_BOLD, 22), BLUE_DEEP + (255,), anchor="ls")
    for i, (ww, dark) in enumerate(((118, True), (132, False), (104, False), (126, False), (86, False))):
        y = 134 + i * 17
        rounded(img, 336, y, 336 + ww, y + 6, 3, fill=(206, 218, 230, 255) if not dark else (150, 170, 190, 255))
    # front card (translated text)
    shadow(img, card_shape(420, 118, 572, 292), 10, (0, 10), alpha=90)
    rounded(img, 420, 118, 572, 292, 10, fill=(255, 255, 255, 255))
    rounded(img, 420, 118, 572, 146, 10, fill=BLUE + (255,))
    rounded(img, 420, 136, 572, 146, 0, fill=BLUE + (255,))
    text(img, (434, 138), "译文", font(FONT_CJK, 14), (255, 255, 255, 255), anchor="ls")
    text(img, (436, 176), "文", font(FONT_CJK, 24), BLUE_DEEP + (255,), anchor="ls")
    for i, ww in enumerate((100, 116, 84, 108, 70)):
        y = 190 + i * 17
        rounded(img, 436, y, 436 + ww, y + 6, 3, fill=(206, 226, 240, 255) if i else (110, 185, 230, 255))
    # translation badge between the cards
    def badge(d):
        d.ellipse(box(384, 212, 440, 268), fill=255)
    shadow(img, badge, 6, (0, 5), alpha=90)
    ellipse(img, 384, 212, 440, 268, (255, 255, 255, 255))
    ellipse(img, 388, 216, 436, 264, BLUE + (255,))
    arrow = (255, 255, 255, 255)
    stroke(img, [(398, 235), (424, 235)], 2.6, arrow)
    stroke(img, [(418, 229), (424.5, 235), (418, 241)], 2.6, arrow)
    stroke(img, [(426, 246), (400, 246)], 2.6, (255, 255, 255, 190))
    stroke(img, [(406, 240), (399.5, 246), (406, 252)], 2.6, (255, 255, 255, 190))


def img_intro():
    w, h = 600, 316
    img = gradient(px(w) * SS, px(h) * SS, (70, 182, 236), (28, 104, 184), angle=25)
    # soft light shapes
    glow = new_layer(w, h)
    gd = ImageDraw.Draw(glow)
    gd.ellipse(box(-120, -180, 260, 200), fill=(255, 255, 255, 26))
    gd.ellipse(box(380, -150, 760, 170), fill=(255, 255, 255, 18))
    gd.ellipse(box(230, 200, 520, 480), fill=(255, 255, 255, 14))
    glow = glow.filter(ImageFilter.GaussianBlur(6 * SS * SCALE))
    img.alpha_composite(glow)
    # fine dot grid on the left
    dots = new_layer(w, h)
    dd = ImageDraw.Draw(dots)
    for gy in range(6):
        for gx in range(8):
            x, y = 40 + gx * 12, 238 + gy * 12
            dd.ellipse(box(x, y, x + 2.2, y + 2.2), fill=(255, 255, 255, 60 - gy * 7))
    img.alpha_composite(dots)
    # wave along the bottom edge
    wave = new_layer(w, h)
    wd = ImageDraw.Draw(wave)
    pts = [(s(x), s(296 + 10 * math.sin(x / 95.0 + 0.6))) for x in range(0, w + 1, 4)]
    wd.polygon(pts + [(s(w), s(h)), (0, s(h))], fill=(255, 255, 255, 34))
    pts2 = [(s(x), s(304 + 7 * math.sin(x / 70.0 + 2.2))) for x in range(0, w + 1, 4)]
    wd.polygon(pts2 + [(s(w), s(h)), (0, s(h))], fill=(255, 255, 255, 40))
    img.alpha_composite(wave)
    intro_illustration(img, w, h)
    # name and tagline
    mark = draw_mark(44, inverted=True)
    shadow(img, lambda d: d.rounded_rectangle(box(40, 62, 84, 100), s(10), fill=255), 5, (0, 4), alpha=60)
    img.alpha_composite(mark, (s(40), s(60)))
    text(img, (96, 96), PRODUCT, font(FONT_BOLD, 38), (255, 255, 255, 255), anchor="ls")
    text(img, (41, 142), "智能翻译客户端", font(FONT_CJK, 24), (255, 255, 255, 255), anchor="ls", weight=0.4)
    text(img, (42, 172), "Word · Excel 文档翻译，一键在线安装", font(FONT_CJK, 13.5), (255, 255, 255, 215), anchor="ls")
    rounded(img, 42, 190, 72, 193, 1.5, fill=(255, 255, 255, 170))
    return reduce(img)


def finish_banner(ok):
    w, h = 600, 100
    if ok:
        top, bottom, accent = (236, 247, 253), (250, 253, 255), BLUE
    else:
        top, bottom, accent = (253, 240, 239), (255, 250, 250), RED
    img = gradient(px(w) * SS, px(h) * SS, top, bottom, angle=20)
    deco = new_layer(w, h)
    dd = ImageDraw.Draw(deco)
    dd.ellipse(box(470, -60, 640, 110), fill=rgba(accent, 20))
    dd.ellipse(box(520, 30, 660, 170), fill=rgba(accent, 16))
    dd.ellipse(box(430, 58, 470, 98), fill=rgba(accent, 14))
    img.alpha_composite(deco)
    # status badge
    shadow(img, lambda d: d.ellipse(box(40, 24, 92, 76), fill=255), 4, (0, 3), alpha=70)
    ring = rgba(tuple(min(255, c + 60) for c in accent))
    ellipse(img, 38, 22, 94, 78, ring)
    ellipse(img, 41, 25, 91, 75, rgba(accent))
    white = (255, 255, 255, 255)
    if ok:
        stroke(img, [(54, 50.5), (62.5, 59), (78.5, 42.5)], 4.2, white)
    else:
        stroke(img, [(66, 35.5), (66, 53)], 4.6, white)
        ellipse(img, 63.4, 60, 68.6, 65.2, white)
    title = "安装完成" if ok else "安装未完成"
    sub = ("%s 已成功安装到您的电脑" % PRODUCT) if ok else "部分组件安装失败，请查看下方的错误信息"
    text(img, (112, 47), title, font(FONT_CJK, 22), TEXT + (255,), anchor="ls", weight=0.5)
    text(img, (113, 71), sub, font(FONT_CJK, 13), (118, 124, 132, 255), anchor="ls")
    # hairline separating the banner from the list below
    rounded(img, 0, 99, w, 100, 0, fill=(0, 0, 0, 14))
    return reduce(img)


def icon_select_black():
    img = new_layer(20, 20)
    ellipse(img, 1, 1, 19, 19, TITLE + (255,))
    stroke(img, [(5.6, 10.2), (8.7, 13.2), (14.4, 7.3)], 1.8, (255, 255, 255, 255))
    return reduce(img)


def icon_dir():
    """White folder on the blue button."""
    img = new_layer(20, 20)
    white = (255, 255, 255, 255)
    # back panel with tab
    polygon(img, [(2, 4.2), (7.6, 4.2), (9.4, 6.2), (18, 6.2), (18, 16), (2, 16)], (255, 255, 255, 150))
    rounded(img, 2, 4, 8.2, 7, 1.2, fill=(255, 255, 255, 150))
    # front panel
    rounded(img, 2, 8, 18, 16.2, 1.4, fill=white)
    return reduce(img)


def btn_updown():
    """Expand chevron: unchecked row points down, checked row up;
    columns normal, over, focus, press, disable."""
    img = new_layer(50, 20)
    colours = {"normal": (130, 134, 140, 255), "over": BLUE + (255,), "focus": BLUE_PRESS + (255,),
               "press": BLUE_PRESS + (255,), "disable": (205, 205, 205, 255)}
    for row, up in ((0, False), (1, True)):
        for col, state in enumerate(("normal", "over", "focus", "press", "disable")):
            x0, y0 = col * 10, row * 10
            c = colours[state]
            dy = 0.6 if state == "press" else 0.0
            if state == "focus":
                rounded(img, x0, y0, x0 + 10, y0 + 10, 2, fill=BLUE + (40,))
            if up:
                pts = [(x0 + 2.2, y0 + 6.4 + dy), (x0 + 5, y0 + 3.6 + dy), (x0 + 7.8, y0 + 6.4 + dy)]
            else:
                pts = [(x0 + 2.2, y0 + 3.8 + dy), (x0 + 5, y0 + 6.6 + dy), (x0 + 7.8, y0 + 3.8 + dy)]
            stroke(img, pts, 1.45, c)
    return reduce(img)


def img_point():
    """Label tag behind "安装到" on the folder row, pointing at the folder field."""
    img = new_layer(74, 40)
    body = (222, 226, 231, 255)
    polygon(img, [(0, 0), (62, 0), (72, 20), (62, 40), (0, 40)], body)
    # a light edge on the point's right side
    stroke(img, [(62.2, 0.2), (72.2, 20), (62.2, 39.8)], 0.9, (250, 251, 252, 255))
    # small blue marker at the left edge
    rounded(img, 0, 12, 3, 28, 1.5, fill=BLUE + (255,))
    return reduce(img)


def img_vscroll_back():
    w, h = px(15), px(18)
    img = Image.new("RGBA", (w, h), (245, 246, 247, 255))
    pix = img.load()
    for x in range(w):
        if (x + 0.5) / SCALE < 1:  # the track's left edge, one pixel at 100 %
            for y in range(h):
                pix[x, y] = (228, 230, 232, 255)
    return img


def img_vscroll_thumb():
    """A dark pill, six pixels wide; rows 0-2 and 4-6 are the fixed caps."""
    img = new_layer(13, 7)
    rounded(img, 4, 0, 10, 7, 3, fill=TITLE + (150,))
    return reduce(img)


def checkbox_strip(cell, box_size):
    """Two rows of five cells; each row: normal, normal (used for normal, over and
    focus), focus, press, disable; the lower row is checked."""
    img = new_layer(cell * 5, cell * 2)
    m = (cell - box_size) / 2.0
    r = box_size * 0.2
    bw = 1.0
    for row in (0, 1):
        for col, state in enumerate(("normal", "normal", "focus", "press", "disable")):
            x0, y0 = col * cell + m, row * cell + m
            x1, y1 = x0 + box_size, y0 + box_size
            if row == 0:
                fill = {"normal": (255, 255, 255), "focus": (255, 255, 255), "press": (226, 242, 251),
                        "disable": (242, 242, 242)}[state]
                edge = {"normal": (190, 194, 199), "focus": BLUE, "press": BLUE_PRESS,
                        "disable": (214, 214, 214)}[state]
                rounded(img, x0, y0, x1, y1, r, fill=fill + (255,))
                rounded(img, x0, y0, x1, y1, r, outline=edge + (255,), width=bw)
                if state == "focus":
                    rounded(img, x0 - 0.9, y0 - 0.9, x1 + 0.9, y1 + 0.9, r + 0.9, outline=BLUE + (90,), width=0.9)
            else:
                fill = {"normal": BLUE, "focus": BLUE, "press": BLUE_PRESS, "disable": DISABLED}[state]
                rounded(img, x0, y0, x1, y1, r, fill=fill + (255,))
                if state == "focus":
                    rounded(img, x0 - 0.9, y0 - 0.9, x1 + 0.9, y1 + 0.9, r + 0.9, outline=BLUE + (90,), width=0.9)
                k = box_size / 16.0
                cx, cy = x0, y0
                tick = [(cx + 3.6 * k, cy + 8.2 * k), (cx + 6.7 * k, cy + 11.2 * k), (cx + 12.4 * k, cy + 5.2 * k)]
                stroke(img, tick, max(1.5, 1.9 * k), (255, 255, 255, 255))
    return reduce(img)


# --- cursor and icon files -------------------------------------------------------

def hand_cursor():
    """Pointing hand, 32x32 at 100 %, white with a dark outline; returns (image, hotspot)."""
    size = px(32)
    mask = Image.new("L", (size * SS, size * SS), 0)
    d = ImageDraw.Draw(mask)

    def rr(x0, y0, x1, y1, r):
        d.rounded_rectangle(box(x0, y0, x1, y1), s(r), fill=255)
    rr(9, 1, 14, 18, 2.5)         # index finger
    rr(14, 8.5, 19, 19, 2.5)      # middle finger
    rr(19, 10, 24, 20, 2.5)       # ring finger
    rr(24, 11.5, 28.5, 21, 2.25)  # little finger
    d.polygon([(s(x), s(y)) for x, y in ((9, 15), (28.5, 15), (28.5, 22.5), (25.5, 29), (13, 29), (9, 24))],
              fill=255)
    # thumb, leaning out to the left
    tx0, ty0, tx1, ty1, tw = 4.2, 16.2, 10.5, 23.5, 4.4
    ang = math.atan2(ty1 - ty0, tx1 - tx0)
    nx, ny = -math.sin(ang) * tw / 2, math.cos(ang) * tw / 2
    d.polygon([(s(tx0 + nx), s(ty0 + ny)), (s(tx1 + nx), s(ty1 + ny)),
               (s(tx1 - nx), s(ty1 - ny)), (s(tx0 - nx), s(ty0 - ny))], fill=255)
    d.ellipse(box(tx0 - tw / 2, ty0 - tw / 2, tx0 + tw / 2, ty0 + tw / 2), fill=255)
    outline = mask.filter(ImageFilter.MaxFilter(2 * s(1) + 1))  # one pixel around the hand
    img = Image.new("RGBA", mask.size, (0, 0, 0, 0))
    # soft shadow
    sh = outline.filter(ImageFilter.GaussianBlur(1.2 * SS * SCALE))
    sh = ImageChops.offset(sh, s(1), s(1)).point(lambda v: v * 70 // 255)
    img.paste(Image.new("RGBA", img.size, (0, 0, 0, 255)), (0, 0), sh)
    img.paste(Image.new("RGBA", img.size, (20, 20, 20, 255)), (0, 0), outline)
    img.paste(Image.new("RGBA", img.size, (255, 255, 255, 255)), (0, 0), mask)
    # finger creases
    dd = ImageDraw.Draw(img)
    for x, y0, y1 in ((14, 11, 16), (19, 12.5, 17), (24, 14, 18)):
        dd.line([(s(x), s(y0)), (s(x), s(y1))], fill=(70, 70, 70, 255), width=s(0.9))
    small = reduce(img)
    # hotspot: the top of the index finger's outline
    pix = small.load()
    for y in range(size):
        xs = [x for x in range(size) if pix[x, y][3] > 96]
        if xs:
            return small, ((xs[0] + xs[-1]) // 2, y)
    return small, (0, 0)


def dib_entry(img):
    """32-bit BMP image data for an .ico/.cur entry: header, bottom-up BGRA, AND mask."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pix = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = pix[x, y]
            xor += bytes((b, g, r, a))
    row_bytes = ((w + 31) // 32) * 4
    andmask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if pix[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        andmask += row
    return header + bytes(xor) + bytes(andmask)


def icon_file(images, kind=1, hotspots=None):
    """An .ico (kind 1) or .cur (kind 2) file from RGBA images; icon entries of 64 pixels and more as PNG (a 128-pixel DIB alone is 67 KB of the download)."""
    count = len(images)
    head = struct.pack("<HHH", 0, kind, count)
    entries, blobs = b"", b""
    offset = 6 + 16 * count
    for i, img in enumerate(images):
        w, h = img.size
        if w >= 256 or (kind == 1 and w >= 64):
            buf = BytesIO()
            img.save(buf, "PNG", optimize=True)
            data = buf.getvalue()
        else:
            data = dib_entry(img)
        if kind == 2:
            hx, hy = hotspots[i]
            plane_or_x, bits_or_y = hx, hy
        else:
            plane_or_x, bits_or_y = 1, 32
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, plane_or_x, bits_or_y, len(data), offset)
        blobs += data
        offset += len(data)
    return head + entries + blobs


def program_icon_sizes():
    out = []
    for size in (16, 20, 24, 32, 40, 48, 64, 128, 256):
        out.append(reduce(draw_mark(size)))
    return out


# --- main --------------------------------------------------------------------------

PICTURES = {
    "dlg_back": dlg_back,
    "img_logo": img_logo,
    "btn_min": lambda: title_buttons(close=False),
    "btn_close": lambda: title_buttons(close=True),
    "img_progress": img_progress,
    "img_intro": img_intro,
    "icon_select_black": icon_select_black,
    "btn_updown": btn_updown,
    "img_point": img_point,
    "icon_dir": icon_dir,
    "img_finish": lambda: finish_banner(ok=True),
    "img_finish_failed": lambda: finish_banner(ok=False),
    "img_VScrollBackGray": img_vscroll_back,
    "img_VScrollThumbDark": img_vscroll_thumb,
    "btn_checkbox": lambda: checkbox_strip(20, 16),
    "btn_checkbox_small": lambda: checkbox_strip(14, 12),
}


def set_scale(scale):
    global SCALE
    SCALE = scale


def draw_sets(names):
    """{file name: picture} for the named pictures at every scale."""
    out = {}
    for scale, suffix in SETS:
        set_scale(scale)
        for name in names:
            out[name + suffix + ".png"] = clean(PICTURES[name]().convert("RGBA"))
    set_scale(1.0)
    return out


def cursor_file():
    """The hand cursor at 32, 48 and 64 pixels; returns (file bytes, hotspots)."""
    images, hotspots = [], []
    for scale, _ in SETS:
        set_scale(scale)
        image, hotspot = hand_cursor()
        images.append(image)
        hotspots.append(hotspot)
    set_scale(1.0)
    return icon_file(images, kind=2, hotspots=hotspots), hotspots


def differs(path, img):
    """True when the file is missing or its pixels differ from img."""
    if not os.path.exists(path):
        return True
    with Image.open(path) as old:
        old = old.convert("RGBA")
        return old.size != img.size or ImageChops.difference(old, img).getbbox() is not None


def compress(paths):
    """Recompresses PNGs losslessly with zopflipng (Debian's zopfli), which
    makes them a quarter smaller than PIL does: they are embedded in the
    installer that users download."""
    if not shutil.which("zopflipng"):
        print("zopflipng missing (apt-get install zopfli): pictures left as PIL wrote them")
        return
    with open(os.devnull, "w") as quiet:
        running = []
        for path in paths:
            running.append(subprocess.Popen(["zopflipng", "-y", path, path], stdout=quiet, stderr=quiet))
            if len(running) >= (os.cpu_count() or 1):
                running.pop(0).wait()
        for process in running:
            process.wait()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    check = "--check" in args
    names = list(PICTURES)
    if "--only" in args:
        names = args[args.index("--only") + 1].split(",")
        args = [a for a in args if a not in ("--only", ",".join(names))]
    args = [a for a in args if a != "--check"]
    folder = os.path.abspath(args[0] if args else os.path.join(here, "..", "..", "res"))
    pictures = draw_sets(names)
    if check:
        bad = [name for name, img in pictures.items() if differs(os.path.join(folder, name), img)]
        for name in bad:
            print("differs from its drawing: " + os.path.join(folder, name))
        print("checked %d pictures in %s" % (len(pictures), folder))
        sys.exit(1 if bad else 0)
    for name, img in pictures.items():
        img.save(os.path.join(folder, name), optimize=True)
    compress([os.path.join(folder, name) for name in pictures])
    if len(names) < len(PICTURES):
        print("drew %d pictures into %s" % (len(pictures), folder))
        return
    cursor, hotspots = cursor_file()
    with open(os.path.join(folder, "cur_hand.pcur"), "wb") as f:
        f.write(cursor)
    with open(os.path.join(folder, "kestrane.ico"), "wb") as f:
        f.write(icon_file(program_icon_sizes(), kind=1))
    print("drew %d pictures, cur_hand.pcur (hotspots %s) and kestrane.ico into %s"
          % (len(pictures), " ".join("%d,%d" % h for h in hotspots), folder))


if __name__ == "__main__":
    main()
