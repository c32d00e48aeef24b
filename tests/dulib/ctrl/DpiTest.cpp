// A skinned window at display scales above 100 %: moved to a monitor of
// another DPI (WM_DPICHANGED) it lays its 96-DPI skin out again in the new
// pixels, with every edge shared by neighbours still shared (no gap, no
// overlap), input hitting the scaled places, text, focus ring, caret, scroll
// bar and reader locations at the new size; and a window attached in a
// process on a 150 % display (the prefix's DPI) starts at that scale.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "dulib/ctrl/FocusRing.h"
#include "dulib/ctrl/duScroll.h"
#include "tests/common/AccessibleClient.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/DisplayDpi.h"
#include "tests/dulib/ctrl/GuiHarness.h"

using namespace guitest;

namespace {

// A window without a style of its own, so that any pixel no control covers
// stays transparent. Three blocks side by side in an arranging layout,
// three stacked rows in a list, a button with text, an edit and a scroll bar
// with arrows; odd sizes and places, so that 125 % lands on fractions.
std::wstring DpiSkin() {
    return SkinDocument(LR"XML(<duwindow name="W" width="201" height="121" x="7" y="9" focuscolor="RGB(255,0,255)">
  <layout name="Row" type="1" left="5" top="5" width="99" height="21">
    <static name="A" width="33" height="21" style="red"/>
    <static name="B" width="33" height="21" style="green"/>
    <static name="C" width="33" height="21" style="blue"/>
  </layout>
  <listboxex name="List" left="5" top="31" width="91" height="63">
    <layout name="Row_" visible="false" left="0" top="0" right="0" height="21" horzanchor="2" style="red"/>
  </listboxex>
  <button name="Btn" left="107" top="37" width="57" height="23" style="btn" text="Go"/>
  <edit name="Edit" left="107" top="5" width="87" height="25" font="f" topborder="3" leftborder="3" style="white"/>
  <scrollbar name="Bar" left="107" top="71" width="71" height="13" arrowheight="13" maxpos="100" page="20" step="5"
    upstyle="grey" downstyle="grey" thumbstyle="blue"/>
</duwindow>)XML");
}

class DpiTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSkin(dir_, DpiSkin());
        w_ = std::make_unique<TestWindow>(dir_);
        ASSERT_TRUE(w_->Ok());
        // Three rows, cloned like the installer's package rows.
        duPlugin* list = w_->Get(L"List");
        duPlugin* templ = w_->Get(L"Row_");
        const wchar_t* styles[] = {L"red", L"green", L"blue"};
        for (int i = 1; i <= 3; ++i) {
            duPlugin* row = ClonePlugin(templ, list, list->GetLastChild(), i);
            ASSERT_NE(row, nullptr);
            row->SetStyle(styles[i - 1]);
            SetPluginVisible(row, TRUE);
        }
        w_->FullPaint();
    }
    TestWindow& W() { return *w_; }
    RECT Rect(const wchar_t* name) { return RectOf(W().Get(name)); }
    SIZE ClientSize() {
        RECT r{};
        ::GetClientRect(W().Hwnd(), &r);
        return SIZE{r.right, r.bottom};
    }

    TempDir dir_;
    std::unique_ptr<TestWindow> w_;
};

// Rows of ink (pixels neither transparent nor the button's face) in a rectangle.
int InkHeight(const TestWindow& w, const RECT& r, DWORD face) {
    int top = -1, bottom = -1;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const DWORD p = w.Pixel(x, y);
            if (p != face && p != 0) {
                if (top < 0) top = y;
                bottom = y;
                break;
            }
        }
    return top < 0 ? 0 : bottom - top + 1;
}

}  // namespace

TEST_F(DpiTest, At125PercentNeighboursStillShareEveryEdgeAndNoPixelIsLeftOut) {
    W().ChangeDpi(120);
    EXPECT_EQ(GetWindowDpi(W().Hwnd()), 120);
    const SIZE client = ClientSize();
    EXPECT_EQ(client.cx, 251);  // 201 x 1.25 = 251.25
    EXPECT_EQ(client.cy, 151);  // 121 x 1.25 = 151.25
    // Side by side: each block ends where the next begins, the last where
    // the layout ends.
    EXPECT_EQ(Rect(L"A").right, Rect(L"B").left);
    EXPECT_EQ(Rect(L"B").right, Rect(L"C").left);
    EXPECT_EQ(Rect(L"C").right, Rect(L"Row").right);
    EXPECT_EQ(Rect(L"A").left, 6);     // 5 x 1.25 = 6.25
    EXPECT_EQ(Rect(L"Row").right, 130);  // 104 x 1.25
    // Stacked rows likewise.
    EXPECT_EQ(Rect(L"Row_1").bottom, Rect(L"Row_2").top);
    EXPECT_EQ(Rect(L"Row_2").bottom, Rect(L"Row_3").top);
    EXPECT_EQ(Rect(L"Row_3").bottom, Rect(L"List").bottom);

    // In the pixels: along the middle of the blocks and down the rows, every
    // pixel belongs to one of them, and the colour changes exactly at the edges.
    W().FullPaint();
    const RECT row = Rect(L"Row");
    const int y = (row.top + row.bottom) / 2;
    for (int x = row.left; x < row.right; ++x) {
        const DWORD p = W().Pixel(x, y);
        const DWORD want = x < Rect(L"B").left ? 0xFFFF0000 : x < Rect(L"C").left ? 0xFF00FF00 : 0xFF0000FF;
        ASSERT_EQ(p, want) << "x " << x;
    }
    const RECT list = Rect(L"List");
    const int x = (list.left + list.right) / 2;
    for (int yy = list.top; yy < list.bottom; ++yy) {
        const DWORD want = yy < Rect(L"Row_2").top ? 0xFFFF0000 : yy < Rect(L"Row_3").top ? 0xFF00FF00 : 0xFF0000FF;
        ASSERT_EQ(W().Pixel(x, yy), want) << "y " << yy;
    }
    EXPECT_EQ(W().Pixel(row.left - 1, y), 0u);
    EXPECT_EQ(W().Pixel(row.right, y), 0u);
}

TEST_F(DpiTest, At200PercentTheWindowPlacesAndHitsEverythingAtTwiceItsSkinNumbers) {
    const RECT before = Rect(L"Btn");
    RECT window{};
    ::GetWindowRect(W().Hwnd(), &window);
    W().ChangeDpi(192);
    RECT now{};
    ::GetWindowRect(W().Hwnd(), &now);
    EXPECT_EQ(now.left, window.left);  // where the system suggested
    EXPECT_EQ(now.top, window.top);
    EXPECT_EQ(now.right - now.left, 402);
    EXPECT_EQ(now.bottom - now.top, 242);
    const RECT btn = Rect(L"Btn");
    EXPECT_EQ(btn.left, 214);
    EXPECT_EQ(btn.top, 74);
    EXPECT_EQ(btn.right, 328);
    EXPECT_EQ(btn.bottom, 120);

    // The scaled centre hits the button; just outside its scaled edge does not.
    const int cx = (btn.left + btn.right) / 2, cy = (btn.top + btn.bottom) / 2;
    EXPECT_EQ(W().Host()->HitTest(cx, cy), W().Get(L"Btn"));
    EXPECT_NE(W().Host()->HitTest(btn.right, cy), W().Get(L"Btn"));
    W().Click(cx, cy);
    EXPECT_TRUE(W().Has(L"Btn", DUM_BTNCLICK));
    W().notes.clear();
    W().Click(btn.right + 1, cy);  // just past the scaled right edge
    EXPECT_FALSE(W().Has(L"Btn", DUM_BTNCLICK));

    // The scroll bar's arrows are 13 skin pixels long, 26 here.
    auto* bar = W().As<duScroll>(L"Bar");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetPartRects().first.right, 26);
    EXPECT_EQ(bar->GetPartRects().second.left, 142 - 26);

    // Back at 100 % every rectangle is what it was.
    W().ChangeDpi(96);
    const RECT after = Rect(L"Btn");
    EXPECT_TRUE(::EqualRect(&before, &after));
    ::GetWindowRect(W().Hwnd(), &now);
    EXPECT_EQ(now.right - now.left, 201);
}

TEST_F(DpiTest, TextGrowsWithTheScale) {
    const DWORD face = 0xFF0000C8;  // the button's normal colour
    const int at100 = InkHeight(W(), Rect(L"Btn"), face);
    ASSERT_GT(at100, 4);
    W().ChangeDpi(192);
    W().FullPaint();
    const int at200 = InkHeight(W(), Rect(L"Btn"), face);
    EXPECT_GE(at200, at100 * 2 - 2);
    EXPECT_LE(at200, at100 * 2 + 2);
    W().ChangeDpi(144);
    W().FullPaint();
    const int at150 = InkHeight(W(), Rect(L"Btn"), face);
    EXPECT_GE(at150 * 2, at100 * 3 - 3);
    EXPECT_LE(at150 * 2, at100 * 3 + 3);
}

TEST_F(DpiTest, FocusRingCaretAndReaderLocationsFollowTheScale) {
    W().ChangeDpi(192);
    // The ring: a gap of 1 and a width of 2 skin pixels, 2 and 4 here.
    // The keyboard brings the focus, and with it the ring, to the button.
    duPlugin* btn = W().Get(L"Btn");
    for (int i = 0; i < 8 && W().Host()->GetFocusPlugin() != btn; ++i) W().Key(VK_TAB);
    ASSERT_EQ(W().Host()->GetFocusPlugin(), btn);
    RECT ring = FocusRingRect(btn);
    RECT expected = Rect(L"Btn");
    ::InflateRect(&expected, 6, 6);
    EXPECT_TRUE(::EqualRect(&ring, &expected));
    W().FullPaint();
    EXPECT_EQ(W().Pixel(expected.left, (expected.top + expected.bottom) / 2), 0xFFFF00FF);
    EXPECT_EQ(W().Pixel(expected.left + 3, (expected.top + expected.bottom) / 2), 0xFFFF00FF);
    EXPECT_NE(W().Pixel(expected.left + 4, (expected.top + expected.bottom) / 2), 0xFFFF00FF);

    // The caret of the focused edit is 2 pixels wide and a scaled line tall.
    W().Click(Rect(L"Edit").left + 10, Rect(L"Edit").top + 10);
    const SIZE caret = W().Host()->GetCaretSize();
    EXPECT_EQ(caret.cx, 2);
    EXPECT_GE(caret.cy, 24);  // a 12-pixel font at 200 %

    // A screen reader finds the button where it is drawn.
    a11y::Object client = a11y::ClientOf(W().Hwnd());
    ASSERT_TRUE(client);
    RECT screen = Rect(L"Btn");
    ::MapWindowPoints(W().Hwnd(), nullptr, reinterpret_cast<POINT*>(&screen), 2);
    const RECT found = a11y::Location(a11y::Find(client, L"Go"));
    EXPECT_TRUE(::EqualRect(&found, &screen));
}

// The child: a window attached on the display the parent set up.
TEST(DpiChild, AttachedWindowStartsAtTheDisplaysScale) {
    const int dpi = ChildDisplayDpi();
    if (!dpi) GTEST_SKIP() << "runs in the child process only";
    TempDir dir;
    WriteSkin(dir, DpiSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    EXPECT_EQ(GetWindowDpi(w.Hwnd()), dpi);
    RECT r{};
    ::GetWindowRect(w.Hwnd(), &r);
    const DpiScale scale(dpi);
    EXPECT_EQ(r.right - r.left, scale.Point(201));
    EXPECT_EQ(r.bottom - r.top, scale.Point(121));
    EXPECT_EQ(r.left, scale.Point(7));  // the skin's place, scaled
    EXPECT_EQ(r.top, scale.Point(9));
    EXPECT_EQ(RectOf(w.Get(L"Btn")).left, scale.Point(107));
}

TEST(DisplayDpi, AWindowAttachedOnA150PercentDisplayStartsAt150Percent) {
    if (ChildDisplayDpi()) GTEST_SKIP();
    ScopedDisplayDpi display(144);
    ASSERT_TRUE(display.Ok());
    RunChildTests(L"-", L"DpiChild.*");
}
