#include "dulib/res/DpiScale.h"

#include <algorithm>
#include <climits>

#include "dulib/res/Coordinates.h"

namespace {

constexpr int kMaxDpi = kSkinDpi * 10;

int Saturate(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// n / d rounded to the nearest integer, halves away from zero (d > 0).
long long RoundDiv(long long n, long long d) { return n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d); }

}  // namespace

DpiScale::DpiScale(int dpi) : dpi_(std::clamp(dpi, kSkinDpi, kMaxDpi)) {}

int DpiScale::Point(int skin) const {
    if (IsIdentity()) return skin;
    // Scaled, a skin number may leave the int range: it stops at the limit of
    // placed coordinates, so that widths and sums of them still fit.
    return SaturateCoordinate(RoundDiv(static_cast<long long>(skin) * dpi_, kSkinDpi));
}

int DpiScale::Span(int start, int length) const {
    if (IsIdentity()) return length;
    const long long end = static_cast<long long>(start) + length;
    // The distance of the two scaled edges, each held at the limit.
    return SaturateCoordinate(RoundDiv(end * dpi_, kSkinDpi)) - Point(start);
}

int DpiScale::Thickness(int skin) const {
    if (skin <= 0) return skin;
    return std::max(1, Point(skin));
}

RECT DpiScale::Rect(const RECT& skin) const {
    return RECT{Point(skin.left), Point(skin.top), Point(skin.right), Point(skin.bottom)};
}

int DpiScale::ToSkin(int device) const {
    if (IsIdentity()) return device;
    return Saturate(RoundDiv(static_cast<long long>(device) * kSkinDpi, dpi_));
}

int DpiScale::ToSkinCeil(int device) const {
    if (IsIdentity()) return device;
    const long long n = static_cast<long long>(device) * kSkinDpi;
    return Saturate(n >= 0 ? (n + dpi_ - 1) / dpi_ : -((-n) / dpi_));
}

RECT DpiScale::ToSkinRect(const RECT& device) const {
    return RECT{ToSkin(device.left), ToSkin(device.top), ToSkin(device.right), ToSkin(device.bottom)};
}
