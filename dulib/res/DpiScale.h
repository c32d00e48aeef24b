#pragma once
// The skin is written for 96 DPI; a window on a display set to a larger scale
// shows it at its own DPI. DpiScale maps the skin's numbers to that window's
// pixels. Coordinates round to the nearest pixel (halves away from zero, the
// same either side of 0), and a length is the difference of its two scaled
// edges, so that parts meeting at an edge in the skin meet at the same pixel
// on the screen: no one-pixel gap or overlap appears between them at
// fractional scales.
#include <windows.h>

constexpr int kSkinDpi = 96;

class DpiScale {
public:
    DpiScale() = default;
    // DPIs below 96 (and nonsense) count as 96, above 960 as 960.
    explicit DpiScale(int dpi);

    int Dpi() const { return dpi_; }
    bool IsIdentity() const { return dpi_ == kSkinDpi; }

    // A skin coordinate (or an offset from an edge) in device pixels.
    int Point(int skin) const;
    // The device length of `length` skin units that start at `start`.
    int Span(int start, int length) const;
    // A line, border or caret thickness: never thinner than one pixel.
    int Thickness(int skin) const;
    RECT Rect(const RECT& skin) const;

    // Device pixels back in skin units: the nearest, or the smallest that
    // covers them.
    int ToSkin(int device) const;
    int ToSkinCeil(int device) const;
    RECT ToSkinRect(const RECT& device) const;

private:
    int dpi_ = kSkinDpi;
};
