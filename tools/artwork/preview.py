#!/usr/bin/python3
"""Composes rough previews of the installer's pages from the pictures in res/.

Run with Debian's python3 (python3-pil): /usr/bin/python3 preview.py [out dir]
(default build/artwork-preview). Only for judging the artwork: places follow
the skin's control tree for the 610x410 window; the real drawing is the
engine's. Writes prepare.png, setup.png, setup-progress.png, setup-custom.png,
setup-scrolled.png,
finish.png, finish-failed.png and sheet.png (every picture enlarged).
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.normpath(os.path.join(HERE, "..", "..", "res"))
FONT_CJK = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
SS = 4
MARGIN = 30
DESKTOP = (214, 219, 226)

TITLE = (56, 60, 66)
WHITE = (255, 255, 255)


def pic(name):
    return Image.open(os.path.join(RES, name + ".png")).convert("RGBA")


def blend(dst, img, src, dest):
    """Alpha-blends the source box of img onto the destination box of dst (scaled)."""
    sx, sy, sw, sh = src
    dx, dy, dw, dh = dest
    if sw <= 0 or sh <= 0 or dw <= 0 or dh <= 0:
        return
    part = img.crop((sx, sy, sx + sw, sy + sh))
    if (sw, sh) != (dw, dh):
        part = part.resize((dw, dh), Image.BILINEAR)
    dst.alpha_composite(part, (dx, dy))


def paint_normal(dst, img, x, y, cell=None):
    cell = cell or (0, 0, img.size[0], img.size[1])
    blend(dst, img, cell, (x, y, cell[2], cell[3]))


def paint_nine(dst, img, dest, part):
    dx, dy, dw, dh = dest
    sw, sh = img.size
    cols = ((0, part, 0, part), (part, sw - 2 * part, part, dw - 2 * part), (sw - part, part, dw - part, part))
    rows = ((0, part, 0, part), (part, sh - 2 * part, part, dh - 2 * part), (sh - part, part, dh - part, part))
    for sy, shh, ddy, dhh in rows:
        for sx, sww, ddx, dww in cols:
            blend(dst, img, (sx, sy, sww, shh), (dx + ddx, dy + ddy, dww, dhh))


def paint_stretch_horz(dst, img, dest, right):
    dx, dy, dw, dh = dest
    sw, sh = img.size
    if dw < right:
        blend(dst, img, (0, 0, sw - right, sh), (dx, dy, dw, dh))
        return
    blend(dst, img, (0, 0, sw - right, sh), (dx, dy, dw - right, dh))
    blend(dst, img, (sw - right, 0, right, sh), (dx + dw - right, dy, right, dh))


def paint_stretch_vert(dst, img, dest, top, bottom):
    dx, dy, dw, dh = dest
    sw, sh = img.size
    blend(dst, img, (0, 0, sw, top), (dx, dy, dw, top))
    blend(dst, img, (0, top, sw, sh - top - bottom), (dx, dy + top, dw, dh - top - bottom))
    blend(dst, img, (0, sh - bottom, sw, bottom), (dx, dy + dh - bottom, dw, bottom))


def fill(dst, rect, colour):
    ImageDraw.Draw(dst).rectangle([rect[0], rect[1], rect[2] - 1, rect[3] - 1], fill=colour + (255,))


def label(dst, rect, string, size, colour, halign="left", valign="center", bold=False, underline=False):
    """Text in a rectangle, roughly as the engine's alpha text places it."""
    if not string:
        return
    x0, y0, x1, y1 = rect
    fnt = ImageFont.truetype(FONT_CJK, size * SS)
    layer = Image.new("RGBA", ((x1 - x0) * SS, (y1 - y0) * SS), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    width = fnt.getlength(string) + (SS if bold else 0)
    ascent, descent = fnt.getmetrics()
    height = ascent + descent
    x = {"left": 0, "center": (layer.size[0] - width) / 2, "right": layer.size[0] - width}[halign]
    y = {"top": 0, "center": (layer.size[1] - height) / 2, "bottom": layer.size[1] - height}[valign]
    d.text((x, y), string, font=fnt, fill=colour + (255,),
           stroke_width=2 if bold else 0, stroke_fill=colour + (255,))
    if underline:
        uy = y + ascent + SS * 1.5
        d.line([(x, uy), (x + width, uy)], fill=colour + (255,), width=SS)
    layer = layer.resize((x1 - x0, y1 - y0), Image.BOX)
    dst.alpha_composite(layer, (x0, y0))


def window(height=410, title="在线安装"):
    """The window frame: shadow, dark body, logo, title and the title-bar buttons."""
    img = Image.new("RGBA", (610, height), (0, 0, 0, 0))
    paint_nine(img, pic("dlg_back"), (0, 0, 610, height), 5)
    fill(img, (5, 5, 605, height - 5), TITLE)
    paint_normal(img, pic("img_logo"), 15, 13)
    label(img, (0, 15, 610, height), title, 14, WHITE, "center", "top", bold=True)
    paint_normal(img, pic("btn_min"), 525, 5, (0, 0, 40, 40))
    paint_normal(img, pic("btn_close"), 565, 5, (0, 0, 40, 40))
    fill(img, (5, 45, 605, height - 5), WHITE)
    return img


def progress(img, y, percent):
    fill(img, (5, y, 605, y + 4), (72, 144, 182))
    w = int(600 * percent / 100)
    if percent and w == 0:
        w = 1
    paint_stretch_horz(img, pic("img_progress"), (5, y, w, 4), 25)


def checkbox_small(img, x, y, col, checked):
    paint_normal(img, pic("btn_checkbox_small"), x, y, (col * 14, 14 if checked else 0, 14, 14))


def prepare_page():
    img = window()
    paint_normal(img, pic("img_intro"), 5, 45)
    progress(img, 361, 40)
    label(img, (20, 365, 355, 405), "正在检测Office...", 12, (51, 51, 51))
    label(img, (555, 365, 595, 405), "40%", 12, (63, 172, 229), "right", bold=True)
    return img


PACKAGES = (("Kestrane 翻译客户端", "等待下载"), ("Word 翻译插件", "等待下载"),
            ("Excel 翻译插件", "等待下载"), ("Microsoft .NET Framework 4.8", "等待下载"))


def setup_rows(img, states=None, packages=PACKAGES, right=605):
    for i, (name, state) in enumerate(packages):
        top = 45 + 50 * i
        if top >= 295:
            break
        paint_normal(img, pic("icon_select_black"), 20, top + 15)
        label(img, (60, top, 355, top + 50), name, 14, (51, 51, 51))
        label(img, (right - 170, top, right - 30, top + 50), (states or {}).get(i, state if states is not None else ""),
              12, (51, 51, 51), "right")
        ImageDraw.Draw(img).line([(20, top + 49), (right - 16, top + 49)], fill=(221, 221, 221, 255))


def setup_page(custom=False, pressed_start=False):
    img = window(450 if custom else 410)
    setup_rows(img)
    fill(img, (225, 325, 385, 365), (32, 154, 217) if pressed_start else (63, 172, 229))
    label(img, (225, 325, 385, 365), "开始安装", 14, WHITE, "center")
    checkbox_small(img, 20, 378, 1, True)
    label(img, (40, 365, 100, 405), "阅读并同意", 12, (51, 51, 51))
    label(img, (100, 365, 160, 405), "使用协议", 12, (63, 172, 229), "center", bold=True, underline=True)
    label(img, (515, 365, 575, 405), "自定义安装", 12, (51, 51, 51))
    paint_normal(img, pic("btn_updown"), 580, 380, (0, 10 if custom else 0, 10, 10))
    if custom:
        fill(img, (5, 405, 605, 445), (236, 236, 236))
        paint_normal(img, pic("img_point"), 5, 405)
        label(img, (20, 405, 65, 445), "安装到", 12, (100, 100, 100))
        label(img, (85, 415, 555, 435), "C:\\Program Files\\Kestrane", 14, (51, 51, 51), valign="top")
        fill(img, (565, 405, 605, 445), (63, 172, 229))
        paint_normal(img, pic("icon_dir"), 575, 415)
    return img


def setup_scrolled_page():
    """Six rows in the 250-pixel list: the scroll bar shows its thumb (209 of 250 pixels)."""
    img = window()
    more = PACKAGES + (("Kestrane 术语库", "等待下载"), ("Kestrane 离线词典", "等待下载"))
    setup_rows(img, {}, more, right=605 - 13)
    paint_stretch_vert(img, pic("img_VScrollThumbDark"), (592, 45, 13, 209), 3, 3)
    fill(img, (225, 325, 385, 365), (63, 172, 229))
    label(img, (225, 325, 385, 365), "开始安装", 14, WHITE, "center")
    return img


def setup_progress_page():
    img = window()
    setup_rows(img, {0: "安装完成", 1: "正在下载 62%", 2: "等待下载", 3: "等待下载"})
    progress(img, 361, 47)
    label(img, (20, 365, 355, 405), "正在下载 Word 翻译插件..", 12, (51, 51, 51))
    label(img, (515, 365, 555, 405), "总进度", 12, (51, 51, 51), "right")
    label(img, (555, 365, 595, 405), "47%", 12, (63, 172, 229), "right", bold=True)
    return img


def finish_page(failed=False):
    img = window()
    paint_normal(img, pic("img_finish_failed" if failed else "img_finish"), 5, 45)
    y = 155
    rows = [("Kestrane 翻译客户端", "安装成功", None), ("Word 翻译插件", "安装成功", None),
            ("Excel 翻译插件", "安装失败", "错误信息：验证失败，code=5")]
    if failed:
        rows[0] = ("Kestrane 翻译客户端", "安装失败", "错误信息：下载失败，code=12029")
    for name, state, info in rows:
        h = 50 if info else 30
        if info:
            d = ImageDraw.Draw(img)
            for x in range(25, 585, 6):
                d.line([(x, y + 5), (x + 2, y + 5)], fill=(221, 221, 221, 255))
        label(img, (30, y, 280, y + h), name, 14, (51, 51, 51))
        if info:
            label(img, (285, y, 515, y + h), info, 12, (151, 151, 151))
        label(img, (525, y, 575, y + h), state, 12, (246, 0, 0) if info else (72, 144, 182), "right")
        y += h
    if not failed:
        checkbox_small(img, 20, 363, 1, True)
        label(img, (40, 335, 70, 405), "运行", 12, (51, 51, 51))
        label(img, (70, 335, 305, 405), "Kestrane 翻译客户端", 12, (51, 51, 51), bold=True)
    fill(img, (470, 350, 590, 390), (63, 172, 229))
    label(img, (470, 350, 590, 390), "完  成", 14, WHITE, "center")
    return img


def on_desktop(img):
    out = Image.new("RGBA", (img.size[0] + 2 * MARGIN, img.size[1] + 2 * MARGIN), DESKTOP + (255,))
    out.alpha_composite(img, (MARGIN, MARGIN))
    return out.convert("RGB")


def sheet():
    """Every picture at four times its size on a checkerboard, with its cells outlined."""
    names = ["dlg_back", "img_logo", "btn_min", "btn_close", "img_progress", "icon_select_black",
             "btn_updown", "img_point", "icon_dir", "img_VScrollBackGray", "img_VScrollThumbDark",
             "btn_checkbox", "btn_checkbox_small"]
    zoom = 4
    tiles = []
    for name in names:
        img = pic(name)
        big = img.resize((img.size[0] * zoom, img.size[1] * zoom), Image.NEAREST)
        bg = Image.new("RGBA", big.size, (0, 0, 0, 0))
        d = ImageDraw.Draw(bg)
        under = {"img_logo": TITLE, "btn_min": TITLE, "btn_close": TITLE, "icon_dir": (63, 172, 229)}.get(name)
        for y in range(0, big.size[1], 8):
            for x in range(0, big.size[0], 8):
                c = under or ((236, 236, 236) if (x // 8 + y // 8) % 2 else (250, 250, 250))
                d.rectangle([x, y, x + 7, y + 7], fill=c + (255,))
        bg.alpha_composite(big)
        tiles.append((name, bg))
    width = max(t.size[0] for _, t in tiles) + 20
    height = sum(t.size[1] + 24 for _, t in tiles) + 10
    out = Image.new("RGBA", (width, height), (255, 255, 255, 255))
    d = ImageDraw.Draw(out)
    y = 5
    for name, t in tiles:
        d.text((10, y), name, fill=(0, 0, 0, 255))
        out.alpha_composite(t, (10, y + 14))
        y += t.size[1] + 24
    return out.convert("RGB")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "..", "build", "artwork-preview")
    os.makedirs(folder, exist_ok=True)
    pages = {"prepare": prepare_page(), "setup": setup_page(), "setup-progress": setup_progress_page(),
             "setup-custom": setup_page(custom=True), "setup-scrolled": setup_scrolled_page(), "finish": finish_page(),
             "finish-failed": finish_page(failed=True)}
    for name, img in pages.items():
        on_desktop(img).save(os.path.join(folder, name + ".png"))
    sheet().save(os.path.join(folder, "sheet.png"))
    print("previews in", os.path.abspath(folder))


if __name__ == "__main__":
    main()
