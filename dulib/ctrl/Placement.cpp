#include "dulib/ctrl/Placement.h"

#include "dulib/ctrl/CtrlDefs.h"

namespace {

// One axis: pos/farEdge are left/right (or top/bottom), low/high the parent's
// edges. Skin values may be anything an int holds, so the arithmetic is done
// wide and the results saturate.
void PlaceAxis(int pos, int farEdge, int anchor, int size, LONG low, LONG high, LONG& outLow, LONG& outHigh) {
    const long long extent = static_cast<long long>(high) - low;
    auto startOf = [&](long long length) -> long long {
        if (pos == CENTER_POS) return low + (extent - length) / 2;
        if (pos < 0) return static_cast<long long>(high) + pos;
        return static_cast<long long>(low) + pos;
    };
    long long first = outLow, second = outHigh;
    switch (anchor) {
    case 0:
        first = startOf(size);
        second = first + size;
        break;
    case 1: {
        const long long length = static_cast<long long>(size) * extent / 100;
        first = startOf(length);
        second = first + length;
        break;
    }
    case 2:
        // "center" with stretching means equal margins of `farEdge` on both sides.
        first = pos == CENTER_POS ? static_cast<long long>(low) + farEdge : startOf(0);
        second = static_cast<long long>(farEdge < 0 ? low : high) - farEdge;
        break;
    case 3:
        first = static_cast<long long>(low) + pos;
        second = first + size;
        break;
    default:
        return;
    }
    outLow = SaturateCoordinate(first);
    outHigh = SaturateCoordinate(second);
}

}  // namespace

RECT PlacePlugin(const PlacementAttrs& a, const RECT& parent, const RECT& current) {
    RECT r = current;
    PlaceAxis(a.left, a.right, a.horzAnchor, a.width, parent.left, parent.right, r.left, r.right);
    PlaceAxis(a.top, a.bottom, a.vertAnchor, a.height, parent.top, parent.bottom, r.top, r.bottom);
    return r;
}
