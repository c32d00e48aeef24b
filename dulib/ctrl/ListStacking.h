#pragma once
// The list's stacking arithmetic without a window: visible items go top to
// bottom at their heights, hidden ones are skipped, and the scroll range
// follows the stacked height.
#include <vector>

struct duListItemExtent {
    bool visible = true;
    int height = 0;
};

struct duListRange {
    bool showBar = false;
    int maxpos = 0;
    int page = 0;
    int pos = 0;  // also the list's scroll offset
};

// Tops of the items in order (hidden items keep -1); returns the total height.
int StackListItems(const std::vector<duListItemExtent>& items, std::vector<int>* tops);

// Range for a list of listHeight pixels holding total pixels of items, given
// the bar's current position: the position is pulled back so that the last
// page stays full, and is 0 when everything fits.
duListRange ComputeListRange(int total, int listHeight, int currentPos);
