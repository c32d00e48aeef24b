#!/usr/bin/env python3
"""Checks the installer's skin document before it is embedded.

Usage: check_skin.py <res folder> [<generated UTF-16 skin> <agreement host>]

Verifies the resource counts, the font rule, that every image, font, cursor
and style a style or control names is declared (VectScrollBarDark is left
undeclared on purpose: the scroll bars draw only their thumb), that the
pictures and their 150 % and 200 % sets exist at their sizes, and, when given, that the generated UTF-16
document carries a byte-order mark, CR LF line ends and the agreement host.
Standard library only.
"""
import os
import re
import struct
import sys
import xml.etree.ElementTree as ET

FONT_FACE = "微软雅黑"
FONT_NAMES = (
    "default_10 default_10b default_12 default_12b default_12u default_12ub "
    "default_13 default_13b default_13u default_13ub default_14 default_14b "
    "default_14u default_14ub default_15 default_15b default_15u default_15ub "
    "default_16 default_16u default_16b default_18 default_18b default_24 "
    "default_24b default_26 default_26b default_36 default_36b").split()
# Stored as written: these three break the weight rule.
WEIGHT_EXCEPTIONS = {"default_18": -500, "default_24": -500, "default_26": 400}

IMAGE_SIZES = {
    "dlg_back": (32, 32), "img_logo": (88, 24), "btn_min": (200, 40),
    "btn_close": (200, 40), "img_progress": (50, 4), "img_intro": (600, 316),
    "icon_select_black": (20, 20), "btn_updown": (50, 20), "img_point": (74, 40),
    "icon_dir": (20, 20), "img_finish": (600, 100), "img_finish_failed": (600, 100),
    "img_VScrollBackGray": (15, 18), "img_VScrollThumbDark": (13, 7),
    "btn_checkbox": (100, 40), "btn_checkbox_small": (70, 28),
}
# The larger picture sets, in percent of each picture's size.
SET_PERCENTS = (150, 200)
# Grey, RGB, palette, grey with alpha, RGBA.
PNG_COLOUR_TYPES = (0, 2, 3, 4, 6)
# The hand cursor's entries: 100, 150 and 200 %.
CURSOR_SIZES = (32, 48, 64)
STYLE_COUNT = 39
UNDECLARED_ON_PURPOSE = {"VectScrollBarDark"}
# Controls the application looks up by name.
REQUIRED_CONTROLS = (
    "MainWindow MainWndBtn_Min MainWndBtn_Close MainWndClient PrepareLayout "
    "IntroImgLayout PrepareProgressBar PrepareProgressInfo PrepareProgressValue "
    "RetryPrepareLayout RetryPrepareBtn CancelPrepareBtn SetupLayout SetupList "
    "VectScrollBar_SetupList SetupItem_ SetupItemIconLayout_ SetupItemCheckBox_ "
    "SetupItemStaticName_ SetupItemStaticProgress_ StartSetupLayout StartSetupBtn "
    "AgreementLayout AgreementCheckBox AgreementBtn CustomSetupStaticBtn "
    "CustomSetupBtn SetupProgressLayout SetupProgressBar SetupProgressInfo "
    "SetupProgressValue CustomSetupLayout SelectDirStatic SelectDirBtn FinishLayout "
    "FinishImgLayout FinishList VectScrollBar_FinishList FinishItem_ "
    "FinishItemStaticName_ FinishItemStaticInfo_ FinishItemStaticState_ "
    "FinishSetupLayout RunAppLayout RunAppCheckBox RunAppStatic FinishSetupBtn").split()
STYLES_SET_BY_CODE = ("ProgressErrorInfo", "ProgressInfo", "FinishItem_Failed",
                      "CommonStaticRed12Right", "FinishFailedImgLayout", "MainWindow")
CONTROL_TAGS = {"duwindow", "layout", "button", "progress", "static", "listboxex",
                "scrollbar", "checkbox", "edit"}
AGREEMENT_PATH = "/index.php?app=news&mod=Index&act=agreement"
HOST_PLACEHOLDER = "@KESTRANE_AGREEMENT_HOST@"
COLOUR = re.compile(r"^RGB\(\d{1,3},\d{1,3},\d{1,3}\)$")
STATES = {"normal", "over", "press", "focus", "disable", "normalall", "checked",
          "checkedover", "checkedpress", "checkedfocus", "checkeddisable",
          "checkedall", "all"}
PAINT_MODES = {"normal", "tile", "stretch", "stretchvert", "stretchhorz", "stretchpartall"}

errors = []


def fail(message):
    errors.append(message)


def parse(text):
    # The document keeps raw ampersands in one attribute, as the engine's
    # parser accepts; escape them only for this strict parser.
    text = re.sub(r"&(?!(amp|lt|gt|quot|apos|#[0-9]+|#x[0-9a-fA-F]+);)", "&amp;", text)
    return ET.fromstring(text)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(33)
    if head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    return width, height, depth, colour


def check_fonts(theme):
    fonts = theme.find("dsfont")
    names = [f.get("name") for f in fonts]
    if names != FONT_NAMES:
        fail("fonts: expected %d names in order, found %s" % (len(FONT_NAMES), names))
    for font in fonts:
        name = font.get("name", "")
        m = re.match(r"default_(\d+)([ub]*)$", name)
        if not m:
            fail("font %s: unexpected name" % name)
            continue
        suffix = m.group(2)
        weight = WEIGHT_EXCEPTIONS.get(name, 600 if "b" in suffix else 500)
        expected = {"height": "-" + m.group(1), "weight": str(weight),
                    "italic": "false", "strikeout": "false",
                    "underline": "true" if "u" in suffix else "false",
                    "fontface": FONT_FACE}
        for key, value in expected.items():
            if font.get(key) != value:
                fail("font %s: %s is %r, expected %r" % (name, key, font.get(key), value))
    return set(names)


def check_images(theme, res_dir):
    images = theme.find("dsimage")
    names = [i.get("name") for i in images]
    if sorted(names) != sorted(IMAGE_SIZES):
        fail("images: found %s" % names)
    for image in images:
        name = image.get("name")
        if image.get("value") != name + ".png":
            fail("image %s: value %r" % (name, image.get("value")))
        path = os.path.join(res_dir, name + ".png")
        if not os.path.isfile(path):
            fail("image %s: %s missing" % (name, path))
            continue
        check_png(name + ".png", path, IMAGE_SIZES[name])
        # The same picture drawn for 150 % and 200 %, its size scaled with
        # halves rounded up (as the artwork script and the engine do).
        for percent in SET_PERCENTS:
            size = tuple((v * percent + 50) // 100 for v in IMAGE_SIZES[name])
            set_name = "%s@%d.png" % (name, percent)
            check_png(set_name, os.path.join(res_dir, set_name), size)
    return set(names)


def check_png(name, path, size):
    if not os.path.isfile(path):
        fail("image %s: %s missing" % (name, path))
        return
    info = png_size(path)
    if info is None:
        fail("image %s: not a PNG" % name)
    elif info[:2] != size:
        fail("image %s: size %dx%d, expected %dx%d" % ((name,) + info[:2] + size))
    elif info[3] not in PNG_COLOUR_TYPES or info[2] != 8 and not (info[3] == 3 and info[2] in (1, 2, 4)):
        # zopflipng picks the smallest colour type (a palette of 2 colours
        # takes 1 bit); the engine's decoder reads them all into premultiplied
        # 32-bit pixels. 16-bit samples would only waste bytes.
        fail("image %s: not 8 bits per sample (or a smaller palette)" % name)


def check_cursors(theme, res_dir):
    cursors = theme.find("dscursor")
    names = [c.get("name") for c in cursors]
    if names != ["cur_hand"] or cursors[0].get("value") != "cur_hand.pcur":
        fail("cursor: expected cur_hand with value cur_hand.pcur")
    path = os.path.join(res_dir, "cur_hand.pcur")
    if not os.path.isfile(path):
        fail("cursor file %s missing" % path)
    else:
        with open(path, "rb") as f:
            data = f.read()
        reserved, kind, count = struct.unpack("<HHH", data[:6])
        sizes = [data[6 + 16 * i] or 256 for i in range(count)] if len(data) >= 6 + 16 * count else []
        if reserved != 0 or kind != 2 or sizes != list(CURSOR_SIZES):
            fail("cur_hand.pcur is not a cursor file of the hand at %s pixels" % ", ".join(map(str, CURSOR_SIZES)))
    return set(names)


def check_styles(theme, images, fonts):
    styles = theme.find("dsstyle")
    names = [s.get("name") for s in styles]
    if len(names) != STYLE_COUNT or len(set(names)) != STYLE_COUNT:
        fail("styles: %d entries (%d distinct), expected %d" % (len(names), len(set(names)), STYLE_COUNT))
    for style in styles:
        if len(style) == 0:
            fail("style %s has no items" % style.get("name"))
        for item in style:
            where = "style %s, %s" % (style.get("name"), item.tag)
            if item.tag not in ("image", "text", "rect", "line"):
                fail(where + ": unknown item tag")
            if item.get("state") not in STATES:
                fail(where + ": state %r" % item.get("state"))
            if item.tag == "image":
                if item.get("picfile") not in images:
                    fail(where + ": image %r not declared" % item.get("picfile"))
                if item.get("paintmode") not in PAINT_MODES:
                    fail(where + ": paint mode %r" % item.get("paintmode"))
            if item.tag == "text" and item.get("font") not in fonts:
                fail(where + ": font %r not declared" % item.get("font"))
            if item.tag == "rect" and item.get("bfill") != "true":
                fail(where + ": rectangle without fill")
            for key in ("textcolor", "fillcolor", "bordercolor", "color"):
                if key in item.attrib and not COLOUR.match(item.get(key)):
                    fail(where + ": %s %r" % (key, item.get(key)))
    main = styles.find("style[@name='MainWindow']")
    rects = [i for i in main if i.tag == "rect"] if main is not None else []
    if not rects or rects[0].get("state") != "all" or rects[0].get("height") != "400":
        fail("style MainWindow: its first rectangle must be the all-state 400-pixel background")
    return set(names)


def check_controls(root, images, fonts, cursors, styles):
    windows = root.find("ducontrol").findall("duwindow")
    if [w.get("name") for w in windows] != ["MainWindow"]:
        fail("ducontrol: expected one duwindow MainWindow")
    seen = {}
    for element in root.find("ducontrol").iter():
        if element.tag == "ducontrol":
            continue
        name = element.get("name")
        where = "control %s" % (name or "<%s>" % element.tag)
        if element.tag not in CONTROL_TAGS:
            fail(where + ": unknown tag %s" % element.tag)
        if name:
            if name in seen:
                fail(where + ": name used twice")
            seen[name] = element
        for key in ("style", "progressstyle", "thumbstyle", "upstyle", "downstyle"):
            value = element.get(key)
            if value and value not in styles and value not in UNDECLARED_ON_PURPOSE:
                fail(where + ": %s %r not declared" % (key, value))
        if element.get("cursor") and element.get("cursor") not in cursors:
            fail(where + ": cursor %r not declared" % element.get("cursor"))
        if element.get("icon") and element.get("icon") not in images:
            fail(where + ": icon %r not declared" % element.get("icon"))
        if element.get("font") and element.get("font") not in fonts:
            fail(where + ": font %r not declared" % element.get("font"))
        if element.get("textcolor") and not COLOUR.match(element.get("textcolor")):
            fail(where + ": textcolor %r" % element.get("textcolor"))
    for name in REQUIRED_CONTROLS:
        if name not in seen:
            fail("control %s missing" % name)
    for name in STYLES_SET_BY_CODE:
        if name not in styles:
            fail("style %s (set by the application) missing" % name)
    for bar in ("VectScrollBar_SetupList", "VectScrollBar_FinishList"):
        if bar in seen and seen[bar].get("style") != "VectScrollBarDark":
            fail("%s: expected the undeclared style VectScrollBarDark" % bar)
    return seen


def check_source_text(text):
    expected = "http://%s%s" % (HOST_PLACEHOLDER, AGREEMENT_PATH)
    if text.count('extra="%s"' % expected) != 1:
        fail("AgreementBtn extra: expected %s with raw ampersands" % expected)
    if "\r" in text:
        fail("config.xml: the source keeps LF line ends; CR LF is added at build time")


def check_generated(path, host):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"\xff\xfe":
        fail("%s: no UTF-16LE byte-order mark" % path)
        return
    text = data[2:].decode("utf-16-le")
    lines = text.split("\n")
    if any(not line.endswith("\r") for line in lines[:-1]) or lines[-1] != "":
        fail("%s: line ends are not CR LF throughout" % path)
    if HOST_PLACEHOLDER in text:
        fail("%s: host placeholder left" % path)
    if ('extra="http://%s%s"' % (host, AGREEMENT_PATH)) not in text:
        fail("%s: agreement address with host %s missing" % (path, host))


def main(argv):
    if len(argv) not in (2, 4):
        sys.stderr.write(__doc__)
        return 2
    res_dir = argv[1]
    with open(os.path.join(res_dir, "config.xml"), encoding="utf-8") as f:
        text = f.read()
    check_source_text(text)
    root = parse(text)
    if root.tag != "directui" or root.get("version") != "1.0":
        fail("root must be directui version 1.0")
    themes = root.findall("theme")
    if len(themes) != 1 or themes[0].get("name") != "Vantor":
        fail("expected one theme named Vantor")
    theme = themes[0]
    fonts = check_fonts(theme)
    images = check_images(theme, res_dir)
    cursors = check_cursors(theme, res_dir)
    styles = check_styles(theme, images, fonts)
    if theme.find("dsrgn") is None or len(theme.find("dsrgn")) != 0:
        fail("dsrgn must be present and empty")
    controls = check_controls(root, images, fonts, cursors, styles)
    if len(argv) == 4:
        check_generated(argv[2], argv[3])
    for message in errors:
        print("error:", message)
    if errors:
        return 1
    print("skin ok: %d fonts, %d images, %d cursor, %d styles, %d named controls"
          % (len(fonts), len(images), len(cursors), len(styles), len(controls)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
