#include "dulib/ctrl/ScrollMath.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Clamp(const duScrollValues& v, long long p) {
    if (p < 0) return 0;
    if (p > v.MaxScroll()) return v.MaxScroll();
    return static_cast<int>(p);
}

// A span [a, b) along the axis as a rectangle across the whole bar.
RECT Span(const duScrollValues& v, int a, int b, int width, int height) {
    if (b < a) b = a;
    return v.vert ? RECT{0, a, width, b} : RECT{a, 0, b, height};
}

}  // namespace

int ScrollAxisLength(const duScrollValues& v, int width, int height) { return v.vert ? height : width; }

int ScrollTrackLength(const duScrollValues& v, int width, int height) {
    return ScrollAxisLength(v, width, height) - 2 * v.arrow;
}

duScrollRects ComputeScrollRects(const duScrollValues& v, int width, int height) {
    duScrollRects r;
    const int L = ScrollAxisLength(v, width, height);
    const int A = v.arrow;
    const int T = L - 2 * A;
    r.first = Span(v, 0, A, width, height);
    r.second = Span(v, L - A, L, width, height);
    if (!v.Scrollable() || T <= 0) return r;  // no thumb, no track

    const double ratio = static_cast<double>(v.page) / v.maxpos;
    const int length = static_cast<int>(std::ceil(ratio * T));
    int start = A + static_cast<int>(static_cast<double>(v.pos) / (v.maxpos - v.page) * (T - ratio * T));
    int end = start + std::max(length, v.MinThumb());
    // Only a thumb stretched to the minimum size can pass the second arrow;
    // it then ends there (and never starts before the first arrow).
    if (end > L - A) {
        const int size = end - start;
        end = L - A;
        start = std::max(A, end - size);
    }
    r.thumb = Span(v, start, end, width, height);
    r.before = Span(v, A, start, width, height);
    r.after = Span(v, end, L - A, width, height);
    return r;
}

int ScrollPartAt(const duScrollRects& r, POINT p) {
    if (PtInRect(&r.first, p)) return SB_PART_FIRST;
    if (PtInRect(&r.before, p)) return SB_PART_BEFORE;
    if (PtInRect(&r.after, p)) return SB_PART_AFTER;
    if (PtInRect(&r.thumb, p)) return SB_PART_THUMB;
    if (PtInRect(&r.second, p)) return SB_PART_SECOND;
    return SB_PART_NONE;
}

int ScrollTrackUnits(const duScrollValues& v, int track, int axisPointer) {
    if (!v.Scrollable() || track <= 0) return 0;
    const double thumbUnit = static_cast<double>(v.page) / v.maxpos * track;
    if (thumbUnit <= 0) return 0;
    return static_cast<int>((axisPointer - v.arrow) / thumbUnit);
}

int ScrollLineBack(const duScrollValues& v) { return Clamp(v, static_cast<long long>(v.pos) - v.step); }

int ScrollLineForward(const duScrollValues& v) { return Clamp(v, static_cast<long long>(v.pos) + v.step); }

int ScrollPageBack(const duScrollValues& v, int k) {
    const long long target = std::max(static_cast<long long>(k) * v.page, static_cast<long long>(v.pos) - v.page);
    // A click before the thumb never moves it forward.
    return Clamp(v, std::min(target, static_cast<long long>(v.pos)));
}

int ScrollPageForward(const duScrollValues& v, int k) {
    long long target = std::min(static_cast<long long>(v.pos) + v.page, static_cast<long long>(k) * v.page);
    // ...and a click after it never moves it back.
    target = std::max(target, static_cast<long long>(v.pos));
    return Clamp(v, target);
}

int ScrollWheel(const duScrollValues& v, int delta, int* code) {
    const long long notches = std::abs(delta / 120);
    if (delta > 0) {
        *code = 6;
        return Clamp(v, v.pos - notches * v.step);
    }
    *code = 7;
    return Clamp(v, v.pos + notches * v.step);
}

int ScrollDrag(const duScrollValues& v, int track, int thumbLength, int startPos, int moved) {
    const int free = track - thumbLength;
    const int range = v.maxpos - v.page;
    if (free <= 0 || range <= 0) return Clamp(v, startPos);
    const int startOffset = static_cast<int>(static_cast<double>(startPos) / range * free);
    const long long offset = static_cast<long long>(startOffset) + moved;
    return Clamp(v, offset * range / free);
}
