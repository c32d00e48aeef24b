#!/usr/bin/python3
# Redraws the small pictures and the cursor of the test skin.
import io
import os
import struct

from PIL import Image

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "skin")

# 32 x 32 background: opaque blue with a half-transparent red top-left pixel.
back = Image.new("RGBA", (32, 32), (0, 0, 255, 255))
back.putpixel((0, 0), (255, 0, 0, 128))
back.save(os.path.join(here, "dlg_back.png"))

# 40 x 20 check-box cells: left cell red, right cell green, 2-pixel white frame.
cells = Image.new("RGBA", (40, 20), (255, 0, 0, 255))
for x in range(20, 40):
    for y in range(20):
        cells.putpixel((x, y), (0, 160, 0, 255))
cells.save(os.path.join(here, "cells.png"))

# 12 x 12 shape whose 2 x 2 corners are fully transparent.
shape = Image.new("RGBA", (12, 12), (40, 80, 120, 255))
for cx, cy in ((0, 0), (10, 0), (0, 10), (10, 10)):
    for dx in range(2):
        for dy in range(2):
            shape.putpixel((cx + dx, cy + dy), (0, 0, 0, 0))
shape.save(os.path.join(here, "shape.png"))

# A 32 x 32 cursor: an ICO with the cursor type and a hotspot of (3, 2).
arrow = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
for y in range(20):
    for x in range(y // 2 + 1):
        arrow.putpixel((4 + x, 2 + y), (0, 0, 0, 255))
buffer = io.BytesIO()
arrow.save(buffer, format="ICO", sizes=[(32, 32)], bitmap_format="bmp")
data = bytearray(buffer.getvalue())
struct.pack_into("<H", data, 2, 2)          # resource type: cursor
struct.pack_into("<HH", data, 6 + 4, 3, 2)  # hotspot in place of planes / bit count
with open(os.path.join(here, "cur_hand.pcur"), "wb") as out:
    out.write(data)
