#pragma once
// The flat GDI+ interface, with its types in scope for the engine's sources.
#include <windows.h>
#include <gdiplus.h>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Owners of GDI+ objects.
struct GpImageOwner {
    GpImage* image = nullptr;
    ~GpImageOwner() { if (image) GdipDisposeImage(image); }
};
struct GpBitmapOwner {
    GpBitmap* bitmap = nullptr;
    ~GpBitmapOwner() { if (bitmap) GdipDisposeImage(bitmap); }
};
struct GpGraphicsOwner {
    GpGraphics* graphics = nullptr;
    ~GpGraphicsOwner() { if (graphics) GdipDeleteGraphics(graphics); }
};
struct GpPenOwner {
    GpPen* pen = nullptr;
    ~GpPenOwner() { if (pen) GdipDeletePen(pen); }
};
struct GpBrushOwner {
    GpSolidFill* brush = nullptr;
    ~GpBrushOwner() { if (brush) GdipDeleteBrush(brush); }
};

// Draws image into a width x height 32-bit premultiplied pixel buffer (stride
// width * 4), replacing what was there, scaled to the whole buffer.
bool DrawImageIntoPixels(GpImage* image, BYTE* pixels, int width, int height, bool highQuality);

// A GDI+ drawing surface for the part `area` (logical coordinates) of a
// device context. On a 32-bit bitmap the area is copied into a premultiplied
// GDI+ bitmap, drawn on, and copied back when the object goes away, so the
// alpha channel comes out right and the DC's clip and origin hold; on anything
// else the graphics draw through the DC, clipped to the area as well.
class DcGraphics {
public:
    DcGraphics(HDC dc, const RECT& area);
    ~DcGraphics();
    DcGraphics(const DcGraphics&) = delete;
    DcGraphics& operator=(const DcGraphics&) = delete;
    GpGraphics* get() const { return graphics_.graphics; }
    explicit operator bool() const { return graphics_.graphics != nullptr; }

private:
    HDC dc_ = nullptr;
    RECT area_ = {};
    HBITMAP copy_ = nullptr;
    HDC copyDc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    GpBitmapOwner surface_;
    GpGraphicsOwner graphics_;
};

// Draws the segment a-b with the pen where it can show near `visible` (the
// target's clip box). A segment far longer than the box is cut to the part
// near it first, with the dash pattern moved on by what was cut away: a
// dashed pen along millions of pixels would otherwise be widened dash by dash.
void DrawSegmentNear(GpGraphics* graphics, GpPen* pen, DashStyle dash, int penWidth, double ax, double ay, double bx,
                     double by, const RECT& visible);

// ARGB value from a colour and an alpha (clamped to 0..255).
ARGB MakeArgb(COLORREF color, int alpha);
// Dash style for a line-type word ("solid", "dash", "dot", "dashdot",
// "dashnotdot"; anything else is solid).
DashStyle DashStyleOf(const wchar_t* lineType);
