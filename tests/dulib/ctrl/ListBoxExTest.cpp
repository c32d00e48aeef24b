#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duScroll.h"
#include "tests/dulib/ctrl/GuiHarness.h"
#include "tests/dulib/ctrl/TestSkin.h"

using namespace guitest;

namespace {

int P(duPlugin* p) { return static_cast<int>(reinterpret_cast<INT_PTR>(p)); }

class ListBoxExTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSkin(dir_, ListEditTestSkin());
        win_ = std::make_unique<TestWindow>(dir_, L"Demo");
        ASSERT_TRUE(win_->Ok());
        list_ = win_->As<duListBoxEx>(L"List");
        bar_ = win_->As<duScroll>(L"Bar");
        ASSERT_NE(list_, nullptr);
        ASSERT_NE(bar_, nullptr);
    }

    // Rows are cloned after the window exists, as the application does.
    std::vector<duPlugin*> AddRows(int n) {
        std::vector<duPlugin*> rows;
        duPlugin* templ = win_->Get(L"Row_");
        for (int i = 1; i <= n; ++i) {
            duPlugin* row = ClonePlugin(templ, list_, list_->GetLastChild(), i);
            EXPECT_NE(row, nullptr);
            if (!row) break;
            const std::wstring name = L"RowName_" + std::to_wstring(i);
            if (duPlugin* label = win_->Get(name.c_str())) label->SetText((L"Package " + std::to_wstring(i)).c_str());
            SetPluginVisible(row, TRUE);
            rows.push_back(row);
        }
        list_->RefreshItems();
        RedrawPlugin(list_, FALSE);
        return rows;
    }

    TempDir dir_;
    std::unique_ptr<TestWindow> win_;
    duListBoxEx* list_ = nullptr;
    duScroll* bar_ = nullptr;
};

}  // namespace

TEST_F(ListBoxExTest, FourRowsFitWithoutBar) {
    std::vector<duPlugin*> rows = AddRows(4);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_FALSE(bar_->IsVisible());
    EXPECT_EQ(list_->GetScrollOffset(), 0);
    for (int i = 0; i < 4; ++i) {
        RECT r = RectOf(rows[i]);
        EXPECT_EQ(r.top, 10 + 50 * i);
        EXPECT_EQ(r.bottom, 60 + 50 * i);
        EXPECT_EQ(r.left, 10);
        EXPECT_EQ(r.right, 310);  // full width without a bar
    }
}

TEST_F(ListBoxExTest, SixRowsShowTheBarWithItsThumb) {
    std::vector<duPlugin*> rows = AddRows(6);
    EXPECT_TRUE(bar_->IsVisible());
    EXPECT_EQ(bar_->GetMaxPos(), 300);
    EXPECT_EQ(bar_->GetPage(), 250);
    EXPECT_EQ(bar_->GetScrollPos(), 0);
    RECT thumb = bar_->GetPartRects().thumb;
    EXPECT_EQ(thumb.top, 0);
    EXPECT_EQ(thumb.bottom - thumb.top, 209);
    EXPECT_EQ(RectOf(bar_).left, 297);
    EXPECT_EQ(RectOf(rows[0]).right, 297);  // rows leave the bar's 13 pixels
    EXPECT_EQ(bar_->GetMinThumbSize(), 10);

    // The thumb is painted where the geometry says, nothing below it.
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(303, 10 + 100) & 0xFFFFFF, 0x969BA0u);
    EXPECT_EQ(win_->Pixel(303, 10 + 230) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ListBoxExTest, WheelScrollsByStepWithinTheRangeWhileActive) {
    std::vector<duPlugin*> rows = AddRows(6);
    win_->Wheel(-120, 100, 40);
    EXPECT_EQ(bar_->GetScrollPos(), 0) << "the wheel waits until the list was pressed";

    win_->Click(100, 35);
    EXPECT_TRUE(list_->IsActive());
    win_->Wheel(-120, 100, 35);
    EXPECT_EQ(bar_->GetScrollPos(), 21);
    EXPECT_EQ(list_->GetScrollOffset(), 21);
    EXPECT_EQ(RectOf(rows[0]).top, 10 - 21);
    std::vector<Note> scrolls = win_->NotesWithCode(28);
    ASSERT_EQ(scrolls.size(), 1u);
    EXPECT_EQ(scrolls[0].plugin, bar_);
    EXPECT_EQ(scrolls[0].param1, 7);
    EXPECT_EQ(scrolls[0].param2, 21);

    bar_->SetScrollPos(40);
    win_->Wheel(-120, 100, 35);
    EXPECT_EQ(bar_->GetScrollPos(), 50);
    win_->Wheel(-360, 100, 35);
    EXPECT_EQ(bar_->GetScrollPos(), 50);
    EXPECT_EQ(RectOf(rows[5]).bottom, 260);  // last row ends at the list's bottom
    win_->Wheel(240, 100, 35);
    EXPECT_EQ(bar_->GetScrollPos(), 8);
    EXPECT_EQ(win_->NotesWithCode(28).back().param1, 6);
    win_->Wheel(120, 100, 35);
    EXPECT_EQ(bar_->GetScrollPos(), 0);
}

TEST_F(ListBoxExTest, TrackClicksRepeatButNeverPassTheRange) {
    AddRows(12);  // 600 pixels in 250: range 350
    ASSERT_TRUE(bar_->IsVisible());
    const int x = 303, yLow = 255;
    win_->Move(x, yLow);
    win_->Down(x, yLow);
    const int first = bar_->GetScrollPos();
    EXPECT_GT(first, 0);
    EXPECT_LE(first, 350);
    for (int i = 0; i < 20; ++i) {
        win_->Timer(bar_->GetTimerId());
        EXPECT_LE(bar_->GetScrollPos(), 350);
    }
    EXPECT_EQ(bar_->GetScrollPos(), 350);
    EXPECT_EQ(list_->GetScrollOffset(), 350);
    win_->Up(x, yLow);

    // Released: the timer no longer pages.
    win_->Move(x, 12);
    win_->Down(x, 12);
    const int afterBack = bar_->GetScrollPos();
    EXPECT_LT(afterBack, 350);
    win_->Up(x, 12);
    win_->Timer(bar_->GetTimerId());
    EXPECT_EQ(bar_->GetScrollPos(), afterBack);
}

TEST_F(ListBoxExTest, ThumbDragFollowsThePointerUnderCapture) {
    AddRows(6);
    win_->Move(303, 20);
    win_->Down(303, 20);
    EXPECT_TRUE(bar_->IsDragging());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), bar_);
    win_->Move(303, 40);
    EXPECT_EQ(bar_->GetScrollPos(), 24);
    win_->Move(380, 400);  // far outside, still dragging
    EXPECT_EQ(bar_->GetScrollPos(), 50);
    EXPECT_EQ(list_->GetScrollOffset(), 50);
    win_->Up(380, 400);
    EXPECT_FALSE(bar_->IsDragging());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), nullptr);
}

TEST_F(ListBoxExTest, HiddenRowsAreSkippedInStackingAndArrowKeys) {
    std::vector<duPlugin*> rows = AddRows(4);
    SetPluginVisible(rows[1], FALSE);  // OnChildShow restacks
    EXPECT_EQ(RectOf(rows[2]).top, 60);
    EXPECT_EQ(RectOf(rows[3]).top, 110);

    win_->Click(100, 30);
    EXPECT_EQ(list_->GetSelectedItem(), rows[0]);
    win_->notes.clear();
    win_->Key(VK_DOWN);
    EXPECT_EQ(list_->GetSelectedItem(), rows[2]);
    std::vector<Note> keys = win_->NotesWithCode(48);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].param1, P(rows[0]));
    EXPECT_EQ(keys[0].param2, P(rows[2]));
    win_->Key(VK_DOWN);
    win_->Key(VK_DOWN);  // at the end: nothing
    EXPECT_EQ(list_->GetSelectedItem(), rows[3]);
    EXPECT_EQ(win_->NotesWithCode(48).size(), 2u);
    win_->Key(VK_UP);
    EXPECT_EQ(list_->GetSelectedItem(), rows[2]);
    win_->Key(VK_UP);
    EXPECT_EQ(list_->GetSelectedItem(), rows[0]);
    win_->Key(VK_UP);
    EXPECT_EQ(list_->GetSelectedItem(), rows[0]);
    EXPECT_EQ(win_->NotesWithCode(48).size(), 4u);
}

TEST_F(ListBoxExTest, ArrowKeysScrollTheSelectionIntoView) {
    std::vector<duPlugin*> rows = AddRows(8);
    win_->Click(100, 230);  // the fifth row, partly visible
    ASSERT_EQ(list_->GetSelectedItem(), rows[4]);
    win_->Key(VK_DOWN);
    EXPECT_EQ(list_->GetSelectedItem(), rows[5]);
    EXPECT_EQ(RectOf(rows[5]).bottom, 260);
    EXPECT_EQ(bar_->GetScrollPos(), 50);
}

TEST_F(ListBoxExTest, ClickDoubleClickAndRightClickReportTheirRows) {
    std::vector<duPlugin*> rows = AddRows(3);
    win_->Click(100, 75);
    win_->Click(100, 125);
    std::vector<Note> sel = win_->NotesWithCode(22);
    ASSERT_EQ(sel.size(), 2u);
    EXPECT_EQ(sel[0].plugin, list_);
    EXPECT_EQ(sel[0].param1, 0);
    EXPECT_EQ(sel[0].param2, P(rows[1]));
    EXPECT_EQ(sel[1].param1, P(rows[1]));
    EXPECT_EQ(sel[1].param2, P(rows[2]));

    win_->DoubleClick(100, 30);
    std::vector<Note> dbl = win_->NotesWithCode(23);
    ASSERT_EQ(dbl.size(), 1u);
    EXPECT_EQ(dbl[0].param1, P(rows[0]));

    win_->Move(100, 120);
    win_->Send(WM_MOUSEHOVER, 0, MAKELPARAM(100, 120));
    std::vector<Note> hover = win_->NotesWithCode(24);
    ASSERT_EQ(hover.size(), 1u);
    EXPECT_EQ(hover[0].param1, P(rows[2]));

    win_->RightClick(100, 75);
    win_->RightClick(100, 240);  // inside the list, below the rows
    std::vector<Note> right = win_->NotesWithCode(25);
    ASSERT_EQ(right.size(), 2u);
    EXPECT_EQ(right[0].param1, P(rows[1]));
    EXPECT_EQ(right[1].param1, 0);

    // Pressed on a row, released outside the list: selected without notice.
    const size_t before = win_->NotesWithCode(22).size();
    win_->Move(100, 30);
    win_->Down(100, 30);
    win_->Up(350, 30);
    EXPECT_EQ(list_->GetSelectedItem(), rows[0]);
    EXPECT_EQ(win_->NotesWithCode(22).size(), before);
}

TEST_F(ListBoxExTest, RowsPaintWithTheirStates) {
    std::vector<duPlugin*> rows = AddRows(3);
    win_->Click(100, 30);   // first row selected
    win_->Move(100, 80);    // second row hot
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(15, 20) & 0xFFFFFF, 0x3FACE5u);   // focus
    EXPECT_EQ(win_->Pixel(15, 70) & 0xFFFFFF, 0xECF5FCu);   // over
    EXPECT_EQ(win_->Pixel(15, 120) & 0xFFFFFF, 0xFFFFFFu);  // normal
    EXPECT_EQ(win_->Pixel(100, 59) & 0xFFFFFF, 0xDDDDDDu);  // separator line
    win_->Move(390, 350);
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(15, 70) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(ListBoxExTest, ListWithoutBarStacksFullWidthRows) {
    auto* plain = win_->As<duListBoxEx>(L"Plain");
    ASSERT_NE(plain, nullptr);
    duPlugin* templ = win_->Get(L"PlainRow_");
    duPlugin* a = ClonePlugin(templ, plain, plain->GetLastChild(), 1);
    duPlugin* b = ClonePlugin(templ, plain, a, 2);
    ASSERT_TRUE(a && b);
    SetPluginVisible(a, TRUE);
    SetPluginVisible(b, TRUE);
    EXPECT_EQ(RectOf(a).top, 10);
    EXPECT_EQ(RectOf(b).top, 40);
    EXPECT_EQ(RectOf(b).left, 320);
    EXPECT_EQ(RectOf(b).right, 390);
    win_->Click(350, 50);
    EXPECT_EQ(plain->GetSelectedItem(), b);
}

TEST_F(ListBoxExTest, BarSettersIgnoreNegativeValues) {
    bar_->SetMaxPos(1000);
    bar_->SetPage(100);
    bar_->SetStep(7);
    bar_->SetArrowHeight(12);
    bar_->SetMaxPos(-1);
    bar_->SetPage(-1);
    bar_->SetStep(-1);
    bar_->SetArrowHeight(-1);
    bar_->SetScrollPos(-5);
    EXPECT_EQ(bar_->GetMaxPos(), 1000);
    EXPECT_EQ(bar_->GetPage(), 100);
    EXPECT_EQ(bar_->GetStep(), 7);
    EXPECT_EQ(bar_->GetArrowHeight(), 12);
    EXPECT_EQ(bar_->GetScrollPos(), 0);
    RECT first = bar_->GetPartRects().first;
    EXPECT_EQ(first.bottom - first.top, 12);
    EXPECT_STREQ(bar_->GetThumbStyle(), L"Thumb");
}

TEST_F(ListBoxExTest, HorizontalBarArrowsRepeatAndTheWheelNotifies) {
    auto* hbar = win_->As<duScroll>(L"HBar");
    ASSERT_NE(hbar, nullptr);
    EXPECT_FALSE(hbar->IsVert());
    const duScrollRects& parts = hbar->GetPartRects();
    EXPECT_EQ(parts.first.right, 12);
    EXPECT_EQ(parts.second.left, 58);
    EXPECT_EQ(parts.thumb.left, 12);
    EXPECT_EQ(parts.thumb.right, 12 + 10);  // ceil(20/100 * 46) = 10

    win_->Move(384, 126);
    EXPECT_EQ(hbar->GetPartState(SB_PART_SECOND), STATE_OVER);
    win_->Down(384, 126);
    EXPECT_EQ(hbar->GetScrollPos(), 5);
    EXPECT_EQ(hbar->GetPartState(SB_PART_SECOND), STATE_PRESS);
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(384, 126) & 0xFFFFFF, 0x787878u);
    win_->Timer(hbar->GetTimerId());
    win_->Timer(hbar->GetTimerId());
    EXPECT_EQ(hbar->GetScrollPos(), 15);
    win_->Up(384, 126);
    EXPECT_EQ(hbar->GetPartState(SB_PART_SECOND), STATE_OVER);
    win_->Timer(hbar->GetTimerId());
    EXPECT_EQ(hbar->GetScrollPos(), 15);
    EXPECT_TRUE(win_->NotesWithCode(29).empty());

    // The bar holds the focus after the click, so the wheel reaches it.
    win_->Wheel(-240, 384, 126);
    EXPECT_EQ(hbar->GetScrollPos(), 25);
    std::vector<Note> h = win_->NotesWithCode(29);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_EQ(h[0].param1, 7);
    EXPECT_EQ(h[0].param2, 25);

    win_->Move(326, 126);
    EXPECT_EQ(hbar->GetPartState(SB_PART_SECOND), STATE_NORMAL);
    EXPECT_EQ(hbar->GetPartState(SB_PART_FIRST), STATE_OVER);
    win_->Down(326, 126);
    EXPECT_EQ(hbar->GetScrollPos(), 20);
    win_->Up(326, 126);
    win_->Move(390, 350);  // away: every part back to normal
    EXPECT_EQ(hbar->GetPartState(SB_PART_FIRST), STATE_NORMAL);
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(326, 126) & 0xFFFFFF, 0xC8C8C8u);
}

// ---- selection, capture and lifetime ------------------------------------------


TEST_F(ListBoxExTest, ReleaseClearsThePressAndEmptySpaceSelectsNothing) {
    std::vector<duPlugin*> rows = AddRows(3);  // rows end at 160; the list at 260
    win_->Click(100, 30);
    EXPECT_EQ(list_->GetSelectedItem(), rows[0]);
    EXPECT_EQ(list_->GetPressedItem(), nullptr);

    // Pressed on a row, released outside the list, back in over empty space.
    win_->Move(100, 80);
    win_->Down(100, 80);
    win_->Move(350, 80);
    win_->Up(350, 80);
    EXPECT_EQ(list_->GetSelectedItem(), rows[1]);
    win_->Move(100, 200);
    EXPECT_EQ(list_->GetPressedItem(), nullptr);
    EXPECT_EQ(list_->GetHotItem(), nullptr);
    win_->notes.clear();
    win_->Down(100, 200);
    win_->Up(100, 200);
    EXPECT_TRUE(win_->NotesWithCode(DUM_LBEXSELCHANGE).empty()) << "nobody pressed a row";
    EXPECT_EQ(list_->GetSelectedItem(), rows[1]);
}

TEST_F(ListBoxExTest, ThumbDragEndsWhenAnotherWindowTakesTheCapture) {
    AddRows(6);
    win_->Move(303, 20);
    win_->Down(303, 20);
    ASSERT_TRUE(bar_->IsDragging());
    CaptureThief thief;
    thief.Steal();
    EXPECT_FALSE(bar_->IsDragging());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), nullptr);
    EXPECT_EQ(bar_->GetPartState(SB_PART_THUMB), STATE_NORMAL);
    // Hovering the bar with the button up leaves the thumb where it was.
    win_->Move(303, 120);
    EXPECT_EQ(bar_->GetScrollPos(), 0);
}

TEST_F(ListBoxExTest, CancelModeStopsAHeldArrow) {
    auto* hbar = win_->As<duScroll>(L"HBar");
    ASSERT_NE(hbar, nullptr);
    win_->Move(384, 126);
    win_->Down(384, 126);
    ASSERT_EQ(hbar->GetScrollPos(), 5);
    // A message box coming up sends the window WM_CANCELMODE; the button-up
    // then goes to the box.
    win_->Send(WM_CANCELMODE);
    win_->Timer(hbar->GetTimerId());
    win_->Timer(hbar->GetTimerId());
    EXPECT_EQ(hbar->GetScrollPos(), 5);
    EXPECT_EQ(hbar->GetPartState(SB_PART_SECOND), STATE_NORMAL);
}

TEST_F(ListBoxExTest, BarNoticeArrivesAfterTheLayout) {
    // The bar is shown while the rows are stacked; its notice must find the
    // rows already placed beside it.
    int rowWidthAtNotice = -1;
    duPlugin* firstRow = nullptr;
    win_->onNotify = [&](duPlugin* p, const NotifyRecord& r) {
        if (p == bar_ && r.code == DUM_VISIBLECHANGED && r.param1 == 1 && firstRow) {
            RECT row = RectOf(firstRow);
            rowWidthAtNotice = row.right - row.left;
        }
    };
    duPlugin* templ = win_->Get(L"Row_");
    std::vector<duPlugin*> rows;
    for (int i = 1; i <= 6; ++i) {
        duPlugin* row = ClonePlugin(templ, list_, list_->GetLastChild(), i);
        ASSERT_NE(row, nullptr);
        row->SetVisible(TRUE);
        rows.push_back(row);
    }
    firstRow = rows[0];
    list_->RefreshItems();
    ASSERT_TRUE(bar_->IsVisible());
    EXPECT_EQ(rowWidthAtNotice, 300 - 13);
}

TEST_F(ListBoxExTest, HandlerDestroyingTheListOrTheWindowDuringTheLayoutIsSafe) {
    duPlugin* templ = win_->Get(L"Row_");
    auto fill = [&]() {
        for (int i = 1; i <= 6; ++i) {
            duPlugin* row = ClonePlugin(templ, list_, list_->GetLastChild(), i);
            ASSERT_NE(row, nullptr);
            row->SetVisible(TRUE);
        }
    };
    fill();
    win_->onNotify = [&](duPlugin* p, const NotifyRecord& r) {
        if (p == bar_ && r.code == DUM_VISIBLECHANGED) list_->Destroy();
    };
    list_->RefreshItems();
    EXPECT_FALSE(IsValidPlugin(list_));
    EXPECT_FALSE(IsValidPlugin(bar_));
    win_->onNotify = nullptr;
    win_->Move(100, 30);
    win_->Click(100, 30);
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(100, 30) & 0xFFFFFF, 0xF0F2F5u);  // the window's own back shows there

    // The same with the whole window closed by the handler.
    TempDir again;
    WriteSkin(again, ListEditTestSkin());
    TestWindow second(again, L"Demo");
    ASSERT_TRUE(second.Ok());
    list_ = second.As<duListBoxEx>(L"List");
    bar_ = second.As<duScroll>(L"Bar");
    templ = second.Get(L"Row_");
    fill();
    HWND hwnd = second.Hwnd();
    second.onNotify = [&](duPlugin* p, const NotifyRecord& r) {
        if (p == bar_ && r.code == DUM_VISIBLECHANGED) DestroyWindow(hwnd);
    };
    list_->RefreshItems();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(IsValidPlugin(list_));
}

TEST_F(ListBoxExTest, DestroyedRowsAreForgotten) {
    std::vector<duPlugin*> rows = AddRows(4);
    win_->Click(100, 80);   // second row selected
    win_->Move(100, 130);   // third row hot
    win_->Down(100, 130);   // and pressed
    ASSERT_EQ(list_->GetSelectedItem(), rows[1]);
    ASSERT_EQ(list_->GetPressedItem(), rows[2]);
    rows[1]->Destroy();
    rows[2]->Destroy();
    EXPECT_EQ(list_->GetSelectedItem(), nullptr);
    EXPECT_EQ(list_->GetHotItem(), nullptr);
    EXPECT_EQ(list_->GetPressedItem(), nullptr);

    // New rows (perhaps at the old addresses) are not taken for the old ones.
    duPlugin* templ = win_->Get(L"Row_");
    for (int i = 10; i < 14; ++i) {
        duPlugin* row = ClonePlugin(templ, list_, list_->GetLastChild(), i);
        ASSERT_NE(row, nullptr);
        SetPluginVisible(row, TRUE);
    }
    list_->RefreshItems();
    win_->notes.clear();
    win_->Up(100, 130);
    win_->Key(VK_DOWN);
    EXPECT_TRUE(win_->NotesWithCode(DUM_LBEXSELCHANGE).empty());
    EXPECT_TRUE(win_->NotesWithCode(DUM_LBEXKEYSEL).empty());
    EXPECT_EQ(list_->GetSelectedItem(), nullptr);
}

TEST_F(ListBoxExTest, DisablingTheDraggingBarEndsItsDrag) {
    AddRows(6);
    win_->Move(303, 20);
    win_->Down(303, 20);
    ASSERT_TRUE(bar_->IsDragging());
    bar_->SetDisable(TRUE);
    // The next pointer message finds the capture held by a disabled control.
    win_->Move(303, 120);
    EXPECT_FALSE(bar_->IsDragging());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), nullptr);
    EXPECT_NE(GetCapture(), win_->Hwnd());
    EXPECT_EQ(bar_->GetScrollPos(), 0);
    win_->Up(303, 120);
    bar_->SetDisable(FALSE);
    win_->Move(303, 140);
    EXPECT_EQ(bar_->GetScrollPos(), 0);
}

TEST_F(ListBoxExTest, RowSettersTakeOnlyTheListsOwnRows) {
    std::vector<duPlugin*> rows = AddRows(2);
    list_->SetSelectedItem(rows[1]);
    EXPECT_EQ(list_->GetSelectedItem(), rows[1]);
    list_->SetSelectedItem(win_->Get(L"Edit"));  // not a row of this list
    list_->SetHotItem(bar_);                    // the bar is no row either
    EXPECT_EQ(list_->GetSelectedItem(), rows[1]);
    EXPECT_EQ(list_->GetHotItem(), nullptr);
    list_->SetSelectedItem(nullptr);
    EXPECT_EQ(list_->GetSelectedItem(), nullptr);
}
