#include "dulib/ctrl/Placement.h"

#include "dulib/ctrl/CtrlDefs.h"

namespace {

// One axis: pos/farEdge are left/right (or top/bottom), low/high the parent's edges.
void PlaceAxis(int pos, int farEdge, int anchor, int size, LONG low, LONG high, LONG& outLow, LONG& outHigh) {
    const int extent = high - low;
    auto startOf = [&](int length) -> LONG {
        if (pos == CENTER_POS) return low + (extent - length) / 2;
        if (pos < 0) return high + pos;
        return low + pos;
    };
    switch (anchor) {
    case 0:
        outLow = startOf(size);
        outHigh = outLow + size;
        break;
    case 1: {
        const int length = size * extent / 100;
        outLow = startOf(length);
        outHigh = outLow + length;
        break;
    }
    case 2:
        // "center" with stretching means equal margins of `farEdge` on both sides.
        outLow = pos == CENTER_POS ? low + farEdge : (pos < 0 ? high + pos : low + pos);
        outHigh = (farEdge < 0 ? low : high) - farEdge;
        break;
    case 3:
        outLow = low + pos;
        outHigh = outLow + size;
        break;
    default:
        break;
    }
}

}  // namespace

RECT PlacePlugin(const PlacementAttrs& a, const RECT& parent, const RECT& current) {
    RECT r = current;
    PlaceAxis(a.left, a.right, a.horzAnchor, a.width, parent.left, parent.right, r.left, r.right);
    PlaceAxis(a.top, a.bottom, a.vertAnchor, a.height, parent.top, parent.bottom, r.top, r.bottom);
    return r;
}
