#pragma once
// The edit's right-click menu: which commands are offered, which are greyed,
// and the popup built from that.
#include <windows.h>

enum duEditCommand : UINT {
    EDITCMD_UNDO = 10000,
    EDITCMD_PASTE = 10001,
    EDITCMD_COPY = 10002,
    EDITCMD_CUT = 10003,
    EDITCMD_CLEAR = 10004,
    EDITCMD_SELECTALL = 10005,
};

struct duEditMenuInput {
    bool hasSelection = false;
    bool canUndo = false;
    bool clipboardHasText = false;
    bool textEmpty = true;
    bool readOnly = false;
    bool password = false;
};

struct duEditMenuState {
    bool undo = false, paste = false, copy = false, cut = false, clear = false, selectAll = false;
    bool Enabled(UINT command) const;
};

duEditMenuState ComputeEditMenuState(const duEditMenuInput& in);

// "撤销", separator, "粘贴", "复制", "剪切", "删除", separator, "全选", greyed by
// state. The caller destroys the menu.
HMENU BuildEditMenu(const duEditMenuState& state);
