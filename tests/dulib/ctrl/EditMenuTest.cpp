#include "dulib/ctrl/EditMenu.h"

#include <gtest/gtest.h>

TEST(EditMenu, GreyedItemsFollowSelectionUndoClipboardAndModes) {
    duEditMenuInput in;
    duEditMenuState s = ComputeEditMenuState(in);
    EXPECT_FALSE(s.undo || s.paste || s.copy || s.cut || s.clear || s.selectAll);

    in.hasSelection = true;
    in.canUndo = true;
    in.clipboardHasText = true;
    in.textEmpty = false;
    s = ComputeEditMenuState(in);
    EXPECT_TRUE(s.undo && s.paste && s.copy && s.cut && s.clear && s.selectAll);

    in.readOnly = true;
    s = ComputeEditMenuState(in);
    EXPECT_FALSE(s.undo || s.paste || s.cut || s.clear);
    EXPECT_TRUE(s.copy && s.selectAll);

    in.readOnly = false;
    in.password = true;
    s = ComputeEditMenuState(in);
    EXPECT_FALSE(s.copy || s.cut);
    EXPECT_TRUE(s.clear && s.paste);
    EXPECT_TRUE(s.Enabled(EDITCMD_UNDO));
    EXPECT_FALSE(s.Enabled(12345));
}
