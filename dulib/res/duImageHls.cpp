// Hue, saturation and lightness variants of an image, on the 0..255 scale.
#include "dulib/res/duImage.h"

#include <algorithm>

namespace {

constexpr int kMax = 255;            // HLS and RGB scale
constexpr int kUndefinedHue = 170;   // hue of grey pixels

void RgbToHls(int r, int g, int b, BYTE* out) {
    int high = std::max({r, g, b}), low = std::min({r, g, b});
    int lightness = ((high + low + 1) * kMax) / (2 * kMax);
    int saturation = 0, hue = kUndefinedHue;
    if (high != low) {
        int spread = high - low;
        int d = lightness < 128 ? high + low : 2 * kMax - high - low;
        saturation = (spread * kMax + d / 2) / d;
        int rDelta = ((high - r) * (kMax / 6) + spread / 2) / spread;
        int gDelta = ((high - g) * (kMax / 6) + spread / 2) / spread;
        int bDelta = ((high - b) * (kMax / 6) + spread / 2) / spread;
        if (r == high)
            hue = bDelta - gDelta;
        else if (g == high)
            hue = kMax / 3 + rDelta - bDelta;
        else
            hue = 2 * kMax / 3 + gDelta - rDelta;
    }
    out[0] = static_cast<BYTE>(hue & 0xFF);
    out[1] = static_cast<BYTE>(std::clamp(saturation, 0, kMax));
    out[2] = static_cast<BYTE>(std::clamp(lightness, 0, kMax));
}

int HueToChannel(int m1, int m2, int hue) {
    if (hue >= 256) hue -= 255;
    if (hue < 0) return m1;  // counts as past 170
    if (hue < 42) return m1 + ((m2 - m1) * hue + 21) / 42;
    if (hue < 127) return m2;
    if (hue < 170) return m1 + ((m2 - m1) * (170 - hue) + 21) / 42;
    return m1;
}

}  // namespace

bool duImage::BuildHlsCache() {
    Decoded();
    if (!bits_) return false;
    if (!hls_.empty()) return true;
    size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    hls_.resize(pixels * 3);
    const BYTE* p = bits_;
    for (size_t i = 0; i < pixels; ++i, p += 4) RgbToHls(p[2], p[1], p[0], &hls_[i * 3]);
    return true;
}

bool duImage::ApplyHls(int hueShift, int saturationDelta, int lightnessDelta) {
    Decoded();
    if (hls_.empty() || !bits_) return false;
    size_t pixels = static_cast<size_t>(width_) * static_cast<size_t>(height_);
    BYTE* p = bits_;
    for (size_t i = 0; i < pixels; ++i, p += 4) {
        const BYTE* cached = &hls_[i * 3];
        int hue = cached[0] + hueShift;
        int saturation = std::clamp(cached[1] + saturationDelta, 0, kMax);
        int lightness = std::clamp(cached[2] + lightnessDelta, 0, kMax);
        int r, g, b;
        if (saturation == 0) {
            r = g = b = lightness;
        } else {
            int m2 = lightness < 128 ? (lightness * (kMax + saturation) + 127) / kMax
                                     : lightness + saturation - (lightness * saturation + 127) / kMax;
            int m1 = 2 * lightness - m2;
            r = HueToChannel(m1, m2, hue + 85);
            g = HueToChannel(m1, m2, hue);
            b = HueToChannel(m1, m2, hue - 85);
        }
        // Keep the pixel a valid premultiplied one: no channel above alpha.
        int alpha = p[3];
        p[2] = static_cast<BYTE>(std::clamp(r, 0, alpha));
        p[1] = static_cast<BYTE>(std::clamp(g, 0, alpha));
        p[0] = static_cast<BYTE>(std::clamp(b, 0, alpha));
    }
    return true;
}
