#pragma once
// Turns a plugin's position attributes into a rectangle inside its parent.
#include <windows.h>

#include "dulib/res/Coordinates.h"

struct PlacementAttrs {
    int left = 0, top = 0, right = 0, bottom = 0;
    int horzAnchor = 0, vertAnchor = 0;
    int width = 0, height = 0;
};

// Anchors per axis: 0 fixed size, 1 size in percent of the parent, 2 stretch
// between margins, 3 plain offset. An axis with any other anchor keeps the
// coordinates it has in `current`.
RECT PlacePlugin(const PlacementAttrs& a, const RECT& parent, const RECT& current);
