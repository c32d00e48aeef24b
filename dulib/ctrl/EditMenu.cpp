#include "dulib/ctrl/EditMenu.h"

bool duEditMenuState::Enabled(UINT command) const {
    switch (command) {
    case EDITCMD_UNDO: return undo;
    case EDITCMD_PASTE: return paste;
    case EDITCMD_COPY: return copy;
    case EDITCMD_CUT: return cut;
    case EDITCMD_CLEAR: return clear;
    case EDITCMD_SELECTALL: return selectAll;
    default: return false;
    }
}

duEditMenuState ComputeEditMenuState(const duEditMenuInput& in) {
    duEditMenuState s;
    s.undo = in.canUndo && !in.readOnly;
    s.paste = in.clipboardHasText && !in.readOnly;
    // A password never goes to the clipboard, so copy and cut are not offered.
    s.copy = in.hasSelection && !in.password;
    s.cut = in.hasSelection && !in.readOnly && !in.password;
    s.clear = in.hasSelection && !in.readOnly;
    s.selectAll = !in.textEmpty;
    return s;
}

HMENU BuildEditMenu(const duEditMenuState& state) {
    HMENU menu = ::CreatePopupMenu();
    if (!menu) return nullptr;
    struct Item {
        UINT id;
        const wchar_t* text;
    };
    static const Item kItems[] = {
        {EDITCMD_UNDO, L"撤销"}, {0, L"|"}, {EDITCMD_PASTE, L"粘贴"}, {EDITCMD_COPY, L"复制"},
        {EDITCMD_CUT, L"剪切"}, {EDITCMD_CLEAR, L"删除"}, {0, L"|"}, {EDITCMD_SELECTALL, L"全选"},
    };
    for (const Item& item : kItems) {
        if (item.id == 0) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const UINT flags = MF_STRING | (state.Enabled(item.id) ? MF_ENABLED : MF_GRAYED);
        ::AppendMenuW(menu, flags, item.id, item.text);
    }
    return menu;
}
