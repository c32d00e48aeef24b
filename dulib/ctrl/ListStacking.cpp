#include "dulib/ctrl/ListStacking.h"

#include <cstddef>

int StackListItems(const std::vector<duListItemExtent>& items, std::vector<int>* tops) {
    int y = 0;
    if (tops) tops->assign(items.size(), -1);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!items[i].visible) continue;
        if (tops) (*tops)[i] = y;
        y += items[i].height;
    }
    return y;
}

duListRange ComputeListRange(int total, int listHeight, int currentPos) {
    duListRange r;
    if (listHeight < total) {
        r.showBar = true;
        r.maxpos = total;
        r.page = listHeight;
        r.pos = currentPos;
        if (r.pos > total - listHeight) r.pos = total - listHeight;
        if (r.pos < 0) r.pos = 0;
        return r;
    }
    r.pos = 0;
    return r;
}
