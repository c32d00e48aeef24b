#pragma once
// Placement of style items and the six image painters. Every blit is an alpha
// blend with per-pixel source alpha and the caller's constant alpha on top.
// Rectangles are (left, top, right, bottom); the source rectangle is in image
// pixels. Painters answer false and draw nothing for an empty size, a negative
// part, or an image without pixels.
#include <windows.h>

class duImage;

// Item rectangle inside control rectangle c. Negative left/top count from the
// right/bottom edge; right/bottom are added to c's right/bottom; a non-zero
// width/height fixes the size; an empty result becomes c.
RECT PlaceStyleRect(int left, int top, int right, int bottom, int width, int height, const RECT& c);

// Unscaled, from the destination's top-left corner.
bool PaintNormal(HDC dc, const RECT& dest, duImage* image, const RECT& source, int alpha);
// One scaled blit.
bool PaintStretch(HDC dc, const RECT& dest, duImage* image, const RECT& source, int alpha);
// Unscaled tiles, cut at the right and bottom.
bool PaintTile(HDC dc, const RECT& dest, duImage* image, const RECT& source, int alpha);
// Fixed top and bottom parts, stretched middle.
bool PaintStretchVert(HDC dc, const RECT& dest, duImage* image, const RECT& source, int top, int bottom,
                      int alpha);
// Fixed left and right parts, stretched middle.
bool PaintStretchHorz(HDC dc, const RECT& dest, duImage* image, const RECT& source, int left, int right,
                      int alpha);
// Nine cells: fixed corners, stretched edges and centre.
bool PaintStretchPartAll(HDC dc, const RECT& dest, duImage* image, const RECT& source, int left, int right,
                         int top, int bottom, int alpha);

// Dispatches on a paint-mode word ("normal", "tile", "stretch", "stretchvert",
// "stretchhorz", "stretchpartall", any case); false for any other word.
bool PaintImageMode(HDC dc, const wchar_t* mode, const RECT& dest, duImage* image, const RECT& source, int left,
                    int right, int top, int bottom, int alpha);

// A memory DC this thread keeps for pictures selected in for a moment (a
// blend's source, a scratch copy); select with SelectGuard and let go
// before the call ends, so that the bitmap can be deleted.
HDC ScratchDc();

// Blends (sx, sy, sw, sh) of a 32-bit premultiplied bitmap onto (dx, dy, dw, dh).
bool BlendBitmap(HDC dc, int dx, int dy, int dw, int dh, HBITMAP bitmap, int sx, int sy, int sw, int sh,
                 int alpha);
