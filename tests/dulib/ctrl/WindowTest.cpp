// A real attached window under Xvfb driven by pointer and key messages:
// notifications, states, focus and hot plugins, layouts, progress fills,
// pixels of the painted window, and tasks posted from worker threads.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/common/WindowImage.h"
#include "tests/dulib/ctrl/GuiHarness.h"

using namespace guitest;

namespace {

std::wstring InputSkin() {
    return SkinDocument(LR"XML(<duwindow name="W" width="300" height="200" style="white">
  <button name="A" left="10" top="10" width="50" height="30" style="btn"/>
  <button name="B" left="60" top="10" width="50" height="30" style="btn"/>
  <checkbox name="C" left="10" top="50" width="50" height="30" style="btn"/>
  <checkbox name="C2" left="70" top="50" width="50" height="30" style="btn" checked="true"/>
  <layout name="Radios" left="10" top="90" width="200" height="30">
    <radio name="R1" left="0" top="0" width="30" height="30" style="btn" groupid="1" checked="true"/>
    <radio name="R2" left="40" top="0" width="30" height="30" style="btn" groupid="1"/>
    <radio name="R3" left="80" top="0" width="30" height="30" style="btn" groupid="2" checked="true"/>
  </layout>
  <layout name="Page" left="150" top="130" width="140" height="60" style="grey">
    <button name="PageBtn" left="10" top="10" width="50" height="30" style="btn"/>
  </layout>
</duwindow>)XML");
}

std::vector<int> PointerCodes(const TestWindow& w) {
    std::vector<int> out;
    for (const Note& n : w.notes)
        if (n.code == DUM_MOUSEIN || n.code == DUM_MOUSELEAVE) out.push_back(n.code);
    return out;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSkin(dir_, InputSkin());
        w_ = std::make_unique<TestWindow>(dir_);
        ASSERT_TRUE(w_->Ok());
    }
    TempDir dir_;
    std::unique_ptr<TestWindow> w_;
};

}  // namespace

TEST_F(InputTest, MovingFromOneButtonToAnotherLeavesThenEnters) {
    TestWindow& w = *w_;
    w.Move(20, 20);
    ASSERT_EQ(1u, w.notes.size());
    EXPECT_EQ(L"A", w.notes[0].name);
    EXPECT_EQ(DUM_MOUSEIN, w.notes[0].code);
    EXPECT_EQ(STATE_OVER, w.Get(L"A")->GetState());
    w.notes.clear();
    w.Move(70, 20);
    ASSERT_EQ(2u, w.notes.size());
    EXPECT_EQ(L"A", w.notes[0].name);
    EXPECT_EQ(DUM_MOUSELEAVE, w.notes[0].code);
    EXPECT_EQ(70, w.notes[0].param1);
    EXPECT_EQ(20, w.notes[0].param2);
    EXPECT_EQ(L"B", w.notes[1].name);
    EXPECT_EQ(DUM_MOUSEIN, w.notes[1].code);
    EXPECT_EQ(70, w.notes[1].param1);
    EXPECT_EQ(STATE_NORMAL, w.Get(L"A")->GetState());
    EXPECT_EQ(STATE_OVER, w.Get(L"B")->GetState());
    EXPECT_EQ(w.Get(L"B"), w.Host()->GetHotPlugin());
}

TEST_F(InputTest, PressLeaveReturnReleaseRaisesNoClick) {
    TestWindow& w = *w_;
    w.Move(20, 20);
    w.Down(20, 20);
    EXPECT_EQ(STATE_PRESS, w.Get(L"A")->GetState());
    w.Move(200, 20);
    EXPECT_EQ(STATE_FOCUS, w.Get(L"A")->GetState());  // normal, and the press gave it the focus
    w.Move(20, 20);
    EXPECT_EQ(STATE_OVER, w.Get(L"A")->GetState());
    w.Up(20, 20);
    EXPECT_FALSE(w.Has(L"A", DUM_BTNCLICK));
    EXPECT_TRUE(w.Has(L"A", DUM_LBUTTONUP));
    w.notes.clear();
    w.Click(20, 20);
    EXPECT_EQ((std::vector<int>{DUM_LBUTTONDOWN, DUM_BTNCLICK, DUM_LBUTTONUP}), w.Codes(L"A"));
}

TEST_F(InputTest, SpaceBarClicksTheFocusedButton) {
    TestWindow& w = *w_;
    w.Click(20, 20);
    EXPECT_EQ(w.Get(L"A"), w.Host()->GetFocusPlugin());
    EXPECT_TRUE(w.Get(L"A")->IsFocus());
    w.notes.clear();
    w.Key(VK_SPACE);
    EXPECT_EQ(std::vector<int>{DUM_BTNCLICK}, w.Codes(L"A"));
    w.notes.clear();
    w.Key(VK_RETURN);
    EXPECT_TRUE(w.notes.empty());
}

TEST_F(InputTest, DisabledButtonGetsNoPointerEvents) {
    TestWindow& w = *w_;
    w.Get(L"A")->SetDisable(1);
    w.Click(20, 20);
    EXPECT_TRUE(w.Codes(L"A").empty());
    EXPECT_EQ(STATE_DISABLE, w.Get(L"A")->GetState());
    EXPECT_EQ(nullptr, w.Host()->GetFocusPlugin());
}

TEST_F(InputTest, CancelModeTakesBackAPress) {
    TestWindow& w = *w_;
    w.Move(20, 20);
    w.Down(20, 20);
    ASSERT_EQ(STATE_PRESS, w.Get(L"A")->GetState());
    // A message box comes up: its own button-up is none of ours.
    w.Send(WM_CANCELMODE);
    EXPECT_EQ(STATE_FOCUS, w.Get(L"A")->GetState());  // normal, and it kept the focus
    EXPECT_EQ(nullptr, w.Host()->GetHotPlugin());
    w.notes.clear();
    w.Up(20, 20);
    EXPECT_FALSE(w.Has(L"A", DUM_BTNCLICK));
}

TEST_F(InputTest, CheckBoxCyclesInBothFamilies) {
    TestWindow& w = *w_;
    auto* c = w.As<duCheckBox>(L"C");
    ASSERT_NE(nullptr, c);
    EXPECT_FALSE(c->IsChecked());
    w.Click(20, 60);
    ASSERT_TRUE(w.Has(L"C", DUM_CKCLICK));
    for (const Note& n : w.notes) {
        if (n.code == DUM_CKCLICK) {
            EXPECT_EQ(1, n.param1);
        }
    }
    EXPECT_TRUE(c->IsChecked());
    EXPECT_EQ(STATE_CHECKEDFOCUS, c->GetState());  // stored checked, and it has the focus now
    w.notes.clear();
    w.Click(20, 60);
    int reported = -1;
    for (const Note& n : w.notes)
        if (n.code == DUM_CKCLICK) reported = n.param1;
    EXPECT_EQ(0, reported);
    EXPECT_FALSE(c->IsChecked());

    // Checked, pressed, released outside: stays checked, says nothing.
    auto* c2 = w.As<duCheckBox>(L"C2");
    ASSERT_TRUE(c2->IsChecked());
    w.notes.clear();
    w.Move(80, 60);
    EXPECT_EQ(STATE_CHECKEDOVER, c2->GetState());
    w.Down(80, 60);
    EXPECT_EQ(STATE_CHECKEDPRESS, c2->GetState());
    w.Move(250, 20);
    w.Up(250, 20);
    EXPECT_TRUE(c2->IsChecked());
    EXPECT_FALSE(w.Has(L"C2", DUM_CKCLICK));

    // Space bar toggles the focused box and reports the new flag.
    w.notes.clear();
    w.Key(VK_SPACE);
    ASSERT_EQ(1u, w.Codes(L"C2").size());
    EXPECT_EQ(DUM_CKCLICK, w.notes[0].code);
    EXPECT_EQ(0, w.notes[0].param1);
    EXPECT_FALSE(c2->IsChecked());
    c2->SetCheck(TRUE);
    EXPECT_EQ(STATE_CHECKEDFOCUS, c2->GetState());
}

TEST_F(InputTest, RadioGroupsFollowGroupId) {
    TestWindow& w = *w_;
    auto* r1 = w.As<duRadio>(L"R1");
    auto* r2 = w.As<duRadio>(L"R2");
    auto* r3 = w.As<duRadio>(L"R3");
    ASSERT_TRUE(r1 && r2 && r3);
    EXPECT_TRUE(r1->IsChecked());
    EXPECT_TRUE(r3->IsChecked());
    w.Click(65, 100);  // R2
    EXPECT_TRUE(w.Has(L"R2", DUM_RADIOCHECKED));
    EXPECT_TRUE(r2->IsChecked());
    EXPECT_FALSE(r1->IsChecked());
    EXPECT_TRUE(r3->IsChecked());
    EXPECT_EQ(1, r1->GetGroupId());
    EXPECT_EQ(2, r3->GetGroupId());
}

TEST_F(InputTest, HandlerThatDestroysItsPluginDoesNotCrashTheDispatcher) {
    TestWindow& w = *w_;
    duPlugin* b = w.Get(L"B");
    w.onNotify = [](duPlugin* p, const NotifyRecord& r) {
        if (r.code == DUM_BTNCLICK) p->Destroy();
    };
    w.Click(70, 20);
    EXPECT_FALSE(IsValidPlugin(b));
    EXPECT_EQ(nullptr, w.Get(L"B"));
    EXPECT_TRUE(w.Has(L"B", DUM_BTNCLICK));
    EXPECT_FALSE(w.Has(L"B", DUM_LBUTTONUP));  // nothing after the handler
    EXPECT_EQ(nullptr, w.Host()->GetHotPlugin());
    EXPECT_EQ(nullptr, w.Host()->GetFocusPlugin());
    w.onNotify = nullptr;
    w.Move(75, 25);  // the root is hit there now
    w.Move(20, 20);
    EXPECT_TRUE(w.Has(L"A", DUM_MOUSEIN));
    w.FullPaint();
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(70, 20));  // the window's white shows where B was

    // Destroyed on entering: the enter notification is the last thing it sees.
    w.onNotify = [](duPlugin* p, const NotifyRecord& r) {
        if (r.code == DUM_MOUSEIN && wcscmp(p->GetName(), L"A") != 0) p->Destroy();
    };
    w.Move(20, 60);
    EXPECT_EQ(nullptr, w.Get(L"C"));
}

TEST_F(InputTest, HidingThePageClearsFocusAndHotWithoutClicks) {
    TestWindow& w = *w_;
    duPlugin* btn = w.Get(L"PageBtn");
    w.Click(170, 150);
    EXPECT_EQ(btn, w.Host()->GetFocusPlugin());
    EXPECT_EQ(btn, w.Host()->GetHotPlugin());
    w.notes.clear();
    SetPluginVisible(w.Get(L"Page"), FALSE);
    EXPECT_EQ(nullptr, w.Host()->GetFocusPlugin());
    EXPECT_EQ(nullptr, w.Host()->GetHotPlugin());
    EXPECT_FALSE(btn->IsFocus());
    EXPECT_EQ(STATE_NORMAL, btn->GetState());
    EXPECT_TRUE(w.Has(L"Page", DUM_VISIBLECHANGED));
    EXPECT_FALSE(w.Has(L"PageBtn", DUM_BTNCLICK));
    EXPECT_FALSE(IsPluginShown(btn));
    // Space now goes nowhere.
    w.notes.clear();
    w.Key(VK_SPACE);
    EXPECT_TRUE(w.notes.empty());
    // Setting the same flag again says nothing.
    SetPluginVisible(w.Get(L"Page"), FALSE);
    EXPECT_TRUE(w.notes.empty());
}

TEST_F(InputTest, ClickingALayoutKeepsTheFocusWhereItWas) {
    TestWindow& w = *w_;
    w.Click(20, 20);
    ASSERT_EQ(w.Get(L"A"), w.Host()->GetFocusPlugin());
    w.notes.clear();
    w.Click(280, 180);  // the page layout's empty part
    EXPECT_EQ(w.Get(L"Page"), w.Host()->GetHotPlugin());
    EXPECT_EQ(w.Get(L"A"), w.Host()->GetFocusPlugin());
    EXPECT_FALSE(w.Has(L"A", DUM_KILLFOCUS));
    EXPECT_TRUE(w.Has(L"Page", DUM_LBUTTONDOWN));
    // Clicking the window itself keeps it too.
    w.Click(250, 20);
    EXPECT_EQ(w.Get(L"A"), w.Host()->GetFocusPlugin());
}

TEST_F(InputTest, TheFocusNeverRestsOnAHiddenControl) {
    TestWindow& w = *w_;
    WindowHost* host = w.Host();
    // A handler hides the control being pressed: the press gives it no focus.
    w.onNotify = [](duPlugin* p, const NotifyRecord& r) {
        if (r.code == DUM_LBUTTONDOWN && wcscmp(p->GetName(), L"A") == 0) SetPluginVisible(p, FALSE);
    };
    w.Click(20, 20);
    w.onNotify = nullptr;
    EXPECT_EQ(nullptr, host->GetFocusPlugin());
    // Nor is a hidden control given it directly.
    host->SetFocusPlugin(w.Get(L"A"), TRUE);
    EXPECT_EQ(nullptr, host->GetFocusPlugin());
    // A focused control moved under a hidden parent lets it go.
    w.Click(80, 20);
    ASSERT_EQ(w.Get(L"B"), host->GetFocusPlugin());
    SetPluginVisible(w.Get(L"Page"), FALSE);
    AttachChild(w.Get(L"B"), w.Get(L"Page"), nullptr);
    EXPECT_EQ(nullptr, host->GetFocusPlugin());
    EXPECT_EQ(nullptr, host->GetHotPlugin());
    EXPECT_FALSE(w.Get(L"B")->IsFocus());
}

TEST_F(InputTest, PointerLeavingTheWindowLetsTheSameButtonBeEnteredAgain) {
    TestWindow& w = *w_;
    w.Move(20, 20);
    ::SendMessageW(w.Hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(STATE_NORMAL, w.Get(L"A")->GetState());
    w.notes.clear();
    w.Move(21, 21);
    EXPECT_EQ(std::vector<int>{DUM_MOUSEIN}, PointerCodes(w));
    EXPECT_EQ(STATE_OVER, w.Get(L"A")->GetState());
}

// ---- layouts and progress -----------------------------------------------------

namespace {
std::wstring LayoutSkin() {
    return SkinDocument(LR"XML(<duwindow name="L" width="620" height="400" style="white">
  <layout name="T1" type="1" startx="5" xspace="3" left="0" top="0" width="200" height="20">
    <static name="T1a" width="30" height="20"/><static name="T1b" width="40" height="20"/>
  </layout>
  <layout name="T2" type="2" startx="5" xspace="3" left="0" top="20" width="200" height="20">
    <static name="T2a" width="30" height="20"/><static name="T2b" width="40" height="20"/>
    <static name="T2c" width="50" height="20" visible="false"/>
  </layout>
  <layout name="T3" type="3" starty="2" yspace="4" left="200" top="0" width="50" height="100">
    <static name="T3a" width="50" height="10"/><static name="T3b" width="50" height="20"/>
  </layout>
  <layout name="T4" type="4" starty="2" yspace="4" left="260" top="0" width="50" height="100">
    <static name="T4a" width="50" height="10"/><static name="T4b" width="50" height="20"/>
  </layout>
  <layout name="T5" type="5" left="0" top="100" width="100" height="20">
    <static name="T5a" height="20"/><static name="T5b" height="20"/><static name="T5c" height="20"/>
  </layout>
  <layout name="T6" type="6" yspace="2" left="150" top="100" width="50" height="100">
    <static name="T6a" width="50"/><static name="T6b" width="50"/>
  </layout>
  <layout name="T7" type="7" startx="2" starty="2" xspace="2" yspace="3" left="0" top="250" width="100" height="100">
    <static name="T7a" width="40" height="10"/><static name="T7b" width="40" height="15"/>
    <static name="T7c" width="40" height="10"/>
  </layout>
  <progress name="P" left="10" top="380" width="600" height="4" style="grey" progressstyle="red"/>
</duwindow>)XML");
}

#define EXPECT_RECT(r, l, t, rr, b)                                                               \
    do {                                                                                          \
        RECT r_ = (r);                                                                            \
        EXPECT_EQ((l), r_.left); EXPECT_EQ((t), r_.top); EXPECT_EQ((rr), r_.right); EXPECT_EQ((b), r_.bottom); \
    } while (0)
}  // namespace

TEST(Layouts, ArrangementsOneToSeven) {
    TempDir dir;
    WriteSkin(dir, LayoutSkin());
    TestWindow w(dir, L"L");
    ASSERT_TRUE(w.Ok());
    EXPECT_RECT(RectOf(w.Get(L"T1a")), 5, 0, 35, 20);
    EXPECT_RECT(RectOf(w.Get(L"T1b")), 38, 0, 78, 20);
    // The hidden last child is skipped: the next visible one takes the edge.
    EXPECT_RECT(RectOf(w.Get(L"T2b")), 155, 20, 195, 40);
    EXPECT_RECT(RectOf(w.Get(L"T2a")), 122, 20, 152, 40);
    EXPECT_RECT(RectOf(w.Get(L"T3a")), 200, 2, 250, 12);
    EXPECT_RECT(RectOf(w.Get(L"T3b")), 200, 16, 250, 36);
    EXPECT_RECT(RectOf(w.Get(L"T4b")), 260, 78, 310, 98);
    EXPECT_RECT(RectOf(w.Get(L"T4a")), 260, 64, 310, 74);
    EXPECT_RECT(RectOf(w.Get(L"T5a")), 0, 100, 34, 120);
    EXPECT_RECT(RectOf(w.Get(L"T5b")), 34, 100, 67, 120);
    EXPECT_RECT(RectOf(w.Get(L"T5c")), 67, 100, 100, 120);
    EXPECT_RECT(RectOf(w.Get(L"T6a")), 150, 100, 200, 149);
    EXPECT_RECT(RectOf(w.Get(L"T6b")), 150, 151, 200, 200);
    EXPECT_RECT(RectOf(w.Get(L"T7a")), 2, 252, 42, 262);
    EXPECT_RECT(RectOf(w.Get(L"T7b")), 44, 252, 84, 267);
    EXPECT_RECT(RectOf(w.Get(L"T7c")), 2, 270, 42, 280);

    // Showing and hiding children re-arranges.
    SetPluginVisible(w.Get(L"T1a"), FALSE);
    EXPECT_RECT(RectOf(w.Get(L"T1b")), 5, 0, 45, 20);
    SetPluginVisible(w.Get(L"T2c"), TRUE);
    EXPECT_RECT(RectOf(w.Get(L"T2c")), 145, 20, 195, 40);
    EXPECT_RECT(RectOf(w.Get(L"T2b")), 102, 20, 142, 40);
    // A resize of the window re-places everything again.
    ::SetWindowPos(w.Hwnd(), nullptr, 0, 0, 640, 400, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_RECT(RectOf(w.Get(L"T2c")), 145, 20, 195, 40);
}

TEST(Layouts, HugeSpacingSaturatesInsteadOfWrapping) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="L" width="400" height="200" style="white">
  <layout name="Row" type="1" xspace="2000000000" left="0" top="0" width="400" height="20">
    <static name="Ra" width="30" height="20"/><static name="Rb" width="30" height="20"/>
    <static name="Rc" width="30" height="20"/>
  </layout>
  <layout name="Back" type="2" xspace="2000000000" startx="2000000000" left="0" top="20" width="400" height="20">
    <static name="Ba" width="30" height="20"/><static name="Bb" width="30" height="20"/>
  </layout>
  <layout name="Equal" type="5" xspace="1000000000" left="0" top="40" width="400" height="20">
    <static name="Ea" height="20"/><static name="Eb" height="20"/><static name="Ec" height="20"/>
  </layout>
  <layout name="Flow" type="7" xspace="2000000000" yspace="2000000000" left="0" top="60" width="400" height="20">
    <static name="Fa" width="30" height="20"/><static name="Fb" width="30" height="20"/>
    <static name="Fc" width="30" height="20"/>
  </layout>
</duwindow>)XML"));
    TestWindow w(dir, L"L");
    ASSERT_TRUE(w.Ok());
    auto ordered = [&](std::initializer_list<const wchar_t*> names, bool horizontal) {
        long long edge = LLONG_MIN;
        for (const wchar_t* n : names) {
            RECT r = RectOf(w.Get(n));
            EXPECT_LE(r.left, r.right) << n;
            EXPECT_LE(r.top, r.bottom) << n;
            const long long start = horizontal ? r.left : r.top;
            EXPECT_GE(start, edge) << n << ": the spacing wrapped round";
            edge = start;
        }
    };
    ordered({L"Ra", L"Rb", L"Rc"}, true);
    ordered({L"Ba", L"Bb"}, true);  // right to left, from Bb at the right edge
    ordered({L"Ea", L"Eb", L"Ec"}, true);
    ordered({L"Fa", L"Fb", L"Fc"}, false);  // every one on a row of its own
    w.FullPaint();  // and painting such rectangles is harmless
}

TEST(Progress, FillWidths) {
    TempDir dir;
    WriteSkin(dir, LayoutSkin());
    TestWindow w(dir, L"L");
    ASSERT_TRUE(w.Ok());
    auto* p = w.As<duProgress>(L"P");
    ASSERT_NE(nullptr, p);
    p->SetPos(0);
    RECT f = p->GetFillRect();
    EXPECT_EQ(0, f.right - f.left);
    p->SetPos(1);
    f = p->GetFillRect();
    EXPECT_EQ(6, f.right - f.left);
    EXPECT_EQ(4, f.bottom - f.top);
    p->SetPos(101);
    EXPECT_RECT(p->GetFillRect(), 0, 0, 600, 4);
    p->SetPos(-5);
    f = p->GetFillRect();
    EXPECT_TRUE(::IsRectEmpty(&f));
    p->SetLeftBorder(100);
    p->SetPos(0);
    p->SetPos(1);  // 5 pixels of 500 round down to 5; a tiny share shows one pixel
    EXPECT_EQ(5, p->GetFillRect().right - p->GetFillRect().left);
    p->SetLeftBorder(0);

    p->SetPos(50);
    ASSERT_TRUE(RedrawPlugin(p, TRUE));
    EXPECT_EQ(0xFFFF0000u, w.Pixel(20, 381));   // filled part
    EXPECT_EQ(0xFF808080u, w.Pixel(400, 381));  // background
    p->SetPos(-5);
    RedrawPlugin(p, TRUE);
    EXPECT_EQ(0xFF808080u, w.Pixel(20, 381));
}

// ---- pixels ----------------------------------------------------------------------

namespace {
std::wstring PixelSkin() {
    return SkinDocument(LR"XML(<duwindow name="P" width="200" height="100" style="blue" layered="true">
  <static name="Back" left="0" top="0" width="100" height="100" style="white"/>
  <static name="Cached" cached="true" left="20" top="20" width="40" height="40" style="half"/>
  <static name="Below" left="100" top="0" width="100" height="100" style="green"/>
  <static name="Glass" left="120" top="20" width="60" height="60" style="half"/>
  <static name="Above" left="140" top="40" width="20" height="20" style="red" zorder="5"/>
</duwindow>)XML");
}

bool Near(DWORD a, DWORD b) {
    const int tol = 2;
    for (int s = 0; s < 32; s += 8) {
        const int x = (a >> s) & 0xFF, y = (b >> s) & 0xFF;
        if (x - y > tol || y - x > tol) return false;
    }
    return true;
}
}  // namespace

TEST(Painting, CachedPluginIsBlendedOverItsParent) {
    TempDir dir;
    WriteSkin(dir, PixelSkin());
    TestWindow w(dir, L"P");
    ASSERT_TRUE(w.Ok());
    EXPECT_TRUE(w.Host()->IsLayered());
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(5, 5));
    // Half-transparent red over white.
    EXPECT_PRED2(Near, 0xFFFF7F7Fu, w.Pixel(30, 30));
    EXPECT_NE(nullptr, w.Get(L"Cached")->GetCacheBitmap());
    EXPECT_EQ(0xFF00FF00u, w.Pixel(199, 99));  // green at the edge of Below
    w.SaveImage(dir.File(L"pixels.png"));
}

TEST(Painting, SinglePluginRedrawRepaintsWhatLiesBelowAndAbove) {
    TempDir dir;
    WriteSkin(dir, PixelSkin());
    TestWindow w(dir, L"P");
    ASSERT_TRUE(w.Ok());
    EXPECT_PRED2(Near, 0xFF807F00u, w.Pixel(125, 25));  // half red over green
    EXPECT_EQ(0xFFFF0000u, w.Pixel(150, 50));           // the red on top
    // Change what lies below and above without redrawing them...
    w.Get(L"Below")->SetStyle(L"white");
    w.Get(L"Above")->SetStyle(L"blue");
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Glass"), TRUE));
    // ...then the glass's area shows both changes, and nothing outside it does.
    EXPECT_PRED2(Near, 0xFFFF7F7Fu, w.Pixel(125, 25));
    EXPECT_EQ(0xFF0000FFu, w.Pixel(150, 50));
    EXPECT_EQ(0xFF00FF00u, w.Pixel(110, 10));
    // An opaque plugin is painted without what lies below it.
    w.Get(L"Above")->SetOpaque(1);
    w.Get(L"Above")->SetStyle(L"half");
    RedrawPlugin(w.Get(L"Above"), FALSE);
    EXPECT_PRED2(Near, 0x80800000u, w.Pixel(150, 50));
    // A full paint puts everything back together: half red over half red
    // over white.
    w.FullPaint();
    EXPECT_PRED2(Near, 0xFFFF3F3Fu, w.Pixel(150, 50));
}

TEST(Painting, ARepaintShowsTheCurrentLookOfCachedPluginsAround) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="P" width="100" height="60" style="white">
  <static name="Glass" left="10" top="10" width="40" height="40" style="half"/>
  <static name="Card" cached="true" left="30" top="20" width="40" height="20" style="blue"/>
</duwindow>)XML"));
    TestWindow w(dir, L"P");
    ASSERT_TRUE(w.Ok());
    EXPECT_PRED2(Near, 0xFFFF7F7Fu, w.Pixel(15, 15));  // half red over the white root
    // The root and the card change without a redraw of their own...
    w.Host()->GetRoot()->SetStyle(L"green");
    w.Get(L"Card")->SetStyle(L"grey");
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Glass"), FALSE));
    // ...and the glass's repaint shows their new look, not their old pictures.
    EXPECT_PRED2(Near, 0xFF807F00u, w.Pixel(15, 15));
    EXPECT_EQ(0xFF808080u, w.Pixel(45, 30));
    EXPECT_EQ(0xFF0000FFu, w.Pixel(60, 30)) << "outside the glass nothing was repainted";
}

TEST(Painting, AHugeCachedControlIsDrawnWithoutAPictureOfItsSize) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="P" width="100" height="60" style="white">
  <static name="Huge" cached="true" left="10" top="10" width="5000000" height="30" style="blue"/>
</duwindow>)XML"));
    TestWindow w(dir, L"P");
    ASSERT_TRUE(w.Ok());
    // Five million by thirty pixels would be a 600 MB picture.
    EXPECT_EQ(nullptr, w.Get(L"Huge")->GetCacheBitmap());
    EXPECT_EQ(0xFF0000FFu, w.Pixel(50, 20));
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(5, 5));
}

TEST(Painting, NormalWindowPaintsOnWmPaint) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="N" width="120" height="80" style="green">
      <button name="Btn" left="10" top="10" width="50" height="30" style="btn" text="OK"/>
    </duwindow>)XML"));
    TestWindow w(dir, L"N");
    ASSERT_TRUE(w.Ok());
    EXPECT_FALSE(w.Host()->IsLayered());
    ::InvalidateRect(w.Hwnd(), nullptr, FALSE);
    ::UpdateWindow(w.Hwnd());
    EXPECT_EQ(0xFF00FF00u, w.Pixel(100, 70));
    EXPECT_EQ(0xFF0000C8u, w.Pixel(12, 12));
    w.Move(20, 20);
    EXPECT_EQ(0xFF00C800u, w.Pixel(12, 12));
    // The caret of a normal window is the system caret.
    WindowHost* h = w.Host();
    EXPECT_TRUE(h->CreateCaret(1, 12));
    h->SetCaretPos(30, 20);
    h->ShowCaret();
    POINT pt{};
    ::GetCaretPos(&pt);
    EXPECT_EQ(30, pt.x);
    h->DestroyCaret();
}

TEST(Painting, LayeredCaretBlinksOverTheWindowImage) {
    TempDir dir;
    WriteSkin(dir, PixelSkin());
    TestWindow w(dir, L"P");
    ASSERT_TRUE(w.Ok());
    WindowHost* h = w.Host();
    ASSERT_TRUE(h->CreateCaret(2, 10));
    h->SetCaretPos(5, 5);
    h->ShowCaret();
    ASSERT_NE(0u, h->GetCaretTimerId());
    // Ticks alternate between the image with the caret and without it; the
    // kept window image never holds the caret.
    ::SendMessageW(w.Hwnd(), WM_TIMER, h->GetCaretTimerId(), 0);
    EXPECT_TRUE(h->IsCaretDrawn());
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(5, 5));
    ::SendMessageW(w.Hwnd(), WM_TIMER, h->GetCaretTimerId(), 0);
    EXPECT_FALSE(h->IsCaretDrawn());
    ::SendMessageW(w.Hwnd(), WM_TIMER, h->GetCaretTimerId(), 0);
    EXPECT_TRUE(h->IsCaretDrawn());
    // Nothing blinks while the window is being moved or sized.
    ::SendMessageW(w.Hwnd(), WM_ENTERSIZEMOVE, 0, 0);
    ::SendMessageW(w.Hwnd(), WM_TIMER, h->GetCaretTimerId(), 0);
    EXPECT_TRUE(h->IsCaretDrawn());
    ::SendMessageW(w.Hwnd(), WM_EXITSIZEMOVE, 0, 0);
    h->HideCaret();
    EXPECT_FALSE(h->IsCaretDrawn());
    h->DestroyCaret();
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(5, 5));
}

// ---- what the display shows of single-control redraws ---------------------------

namespace {
std::wstring PresentSkin() {
    return SkinDocument(LR"XML(<duwindow name="S" width="200" height="100" style="white" layered="true">
  <button name="Btn" left="10" top="10" width="60" height="30" style="btn"/>
  <button name="Other" left="100" top="10" width="60" height="30" style="btn"/>
  <static name="Card" cached="true" left="10" top="50" width="60" height="40" style="green"/>
</duwindow>)XML");
}

// Changes `r` of the 200x100 window image without presenting it; null when
// there is no image.
DWORD* ChangeImageUnseen(const TestWindow& w, const RECT& r) {
    DIBSECTION ds{};
    if (!WindowImageOf(w.Hwnd(), &ds)) return nullptr;
    auto* bits = static_cast<DWORD*>(ds.dsBm.bmBits);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) bits[y * 200 + x] = 0xFF123456;
    return bits;
}

// How two screen reads of the 200x100 window differ: pixels inside `changed`
// other than `expected` gives them, and pixels outside it that changed.
struct ScreenChange {
    int wrongInside = 0;
    int changedOutside = 0;
};
ScreenChange CompareScreens(const std::vector<DWORD>& before, const std::vector<DWORD>& after, const RECT& changed,
                            const std::function<DWORD(size_t)>& expected) {
    ScreenChange out;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            const size_t i = static_cast<size_t>(y) * 200 + x;
            const POINT at{x, y};
            if (::PtInRect(&changed, at)) out.wrongInside += after[i] != expected(i);
            else out.changedOutside += after[i] != before[i];
        }
    }
    return out;
}

// The window image as the screen shows it: premultiplied colours over black.
std::vector<DWORD> ImageAsShown(const TestWindow& w) {
    std::vector<DWORD> out;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) out.push_back(w.Pixel(x, y) & 0x00FFFFFF);
    return out;
}
}  // namespace

TEST(Painting, ARedrawPresentsOnlyTheRedrawnControlsRectangle) {
    TempDir dir;
    WriteSkin(dir, PresentSkin());
    TestWindow w(dir, L"S");
    ASSERT_TRUE(w.Ok());
    const std::vector<DWORD> before = ScreenPixels(w.Hwnd());
    ASSERT_EQ(before.size(), 200u * 100u);
    ASSERT_EQ(before, ImageAsShown(w)) << "the screen shows the window image";
    // The window image changes outside the button without being presented...
    ASSERT_NE(nullptr, ChangeImageUnseen(w, RECT{100, 50, 190, 90}));
    // ...then the button alone changes and is redrawn: the screen shows its
    // new look and nothing else changed.
    w.Get(L"Btn")->SetState(STATE_OVER);
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Btn"), FALSE));
    const std::vector<DWORD> after = ScreenPixels(w.Hwnd());
    ASSERT_EQ(after.size(), before.size());
    const ScreenChange change = CompareScreens(before, after, RECT{10, 10, 70, 40}, [](size_t) { return 0x0000C800u; });
    EXPECT_EQ(0, change.wrongInside) << "the button's new look";
    EXPECT_EQ(0, change.changedOutside) << "pixels outside the button changed on the screen";
}

TEST(Painting, TheLayeredCaretBlinksByPresentingItsRectangleOnly) {
    TempDir dir;
    WriteSkin(dir, PresentSkin());
    TestWindow w(dir, L"S");
    ASSERT_TRUE(w.Ok());
    WindowHost* h = w.Host();
    ASSERT_TRUE(h->CreateCaret(2, 12));
    h->SetCaretPos(120, 60);
    h->ShowCaret();
    const std::vector<DWORD> before = ScreenPixels(w.Hwnd());
    ASSERT_EQ(before.size(), 200u * 100u);
    // The window image changes away from the caret without being presented.
    DIBSECTION ds{};
    ASSERT_TRUE(WindowImageOf(w.Hwnd(), &ds));
    const DWORD* image = static_cast<DWORD*>(ds.dsBm.bmBits);
    const std::vector<DWORD> kept(image, image + 200 * 100);
    DWORD* bits = ChangeImageUnseen(w, RECT{10, 50, 70, 90});
    ASSERT_NE(nullptr, bits);
    for (bool shown : {true, false, true}) {
        ::SendMessageW(w.Hwnd(), WM_TIMER, h->GetCaretTimerId(), 0);
        ASSERT_EQ(shown, h->IsCaretDrawn());
        const std::vector<DWORD> after = ScreenPixels(w.Hwnd());
        ASSERT_EQ(after.size(), before.size());
        const ScreenChange change =
            CompareScreens(before, after, RECT{120, 60, 122, 72}, [&](size_t i) { return shown ? 0u : before[i]; });
        EXPECT_EQ(0, change.wrongInside) << "the caret " << (shown ? "shown" : "taken away");
        EXPECT_EQ(0, change.changedOutside) << "a blink showed more than the caret";
    }
    for (int y = 50; y < 90; ++y)
        for (int x = 10; x < 70; ++x) bits[y * 200 + x] = kept[y * 200 + x];
    EXPECT_EQ(kept, std::vector<DWORD>(bits, bits + 200 * 100)) << "the window image never holds the caret";
    h->DestroyCaret();
}

TEST(Painting, PartialPresentsAddUpToAFullRepaint) {
    TempDir dir;
    WriteSkin(dir, PresentSkin());
    TestWindow w(dir, L"S");
    ASSERT_TRUE(w.Ok());
    // Hover, press and leave the buttons; a cached control changes its look.
    w.Move(20, 20);
    w.Down(20, 20);
    w.Move(120, 20);
    w.Up(120, 20);
    w.Move(130, 25);
    w.Get(L"Card")->SetStyle(L"red");
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Card"), FALSE));
    w.Get(L"Card")->SetStyle(L"blue");
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Card"), FALSE));
    const std::vector<DWORD> image = ImageAsShown(w);
    const std::vector<DWORD> shown = ScreenPixels(w.Hwnd());
    EXPECT_EQ(0x000000FFu, image[60 * 200 + 20]);
    EXPECT_EQ(0x0000C800u, image[20 * 200 + 120]) << "the pointer is over the second button";
    // A full repaint, every picture drawn afresh, gives the same image and the
    // same screen.
    for (duPlugin* p : w.Host()->GetZorderList().PaintOrder()) p->InvalidateCache();
    w.FullPaint();
    EXPECT_EQ(image, ImageAsShown(w));
    EXPECT_EQ(shown, ScreenPixels(w.Hwnd()));
    EXPECT_EQ(shown, image);
}

TEST(Painting, ARedrawElsewhereTakesTheLayeredCaretAway) {
    TempDir dir;
    WriteSkin(dir, PresentSkin());
    TestWindow w(dir, L"S");
    ASSERT_TRUE(w.Ok());
    WindowHost* h = w.Host();
    ASSERT_TRUE(h->CreateCaret(2, 10));
    h->SetCaretPos(150, 60);
    h->ShowCaret();
    w.Timer(h->GetCaretTimerId());
    ASSERT_TRUE(h->IsCaretDrawn());
    EXPECT_EQ(0u, ScreenPixels(w.Hwnd())[65 * 200 + 150]) << "the caret shows";
    // The button's redraw shows the image without the caret, there too.
    w.Get(L"Btn")->SetState(STATE_OVER);
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Btn"), FALSE));
    EXPECT_FALSE(h->IsCaretDrawn());
    EXPECT_EQ(0x00FFFFFFu, ScreenPixels(w.Hwnd())[65 * 200 + 150]);
    // Moved while it shows (the text under it changed), the caret goes from
    // where it was drawn, by a redraw as by the blink.
    w.Timer(h->GetCaretTimerId());
    ASSERT_TRUE(h->IsCaretDrawn());
    h->SetCaretPos(20, 45);
    const DWORD underNewPlace = ScreenPixels(w.Hwnd())[50 * 200 + 20];
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Btn"), FALSE));
    EXPECT_EQ(0x00FFFFFFu, ScreenPixels(w.Hwnd())[65 * 200 + 150]) << "taken away by the redraw";
    w.Timer(h->GetCaretTimerId());
    ASSERT_TRUE(h->IsCaretDrawn());
    EXPECT_EQ(0u, ScreenPixels(w.Hwnd())[50 * 200 + 20]);
    h->SetCaretPos(150, 60);
    w.Timer(h->GetCaretTimerId());
    ASSERT_FALSE(h->IsCaretDrawn());
    EXPECT_EQ(underNewPlace, ScreenPixels(w.Hwnd())[50 * 200 + 20]) << "taken away by the blink";
    h->DestroyCaret();
}

TEST(Painting, AnOpaqueControlRedrawnOnceHiddenShowsWhatLayBelowIt) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="S" width="200" height="100" style="white" layered="true">
  <static name="Declared" opaque="true" left="10" top="10" width="60" height="30" style="blue"/>
  <button name="Filled" left="100" top="10" width="60" height="30" style="btn"/>
</duwindow>)XML"));
    TestWindow w(dir, L"S");
    ASSERT_TRUE(w.Ok());
    EXPECT_EQ(0xFF0000C8u, w.Pixel(130, 25));
    for (const wchar_t* name : {L"Declared", L"Filled"}) {
        w.Get(name)->SetVisible(FALSE);
        ASSERT_TRUE(RedrawPlugin(w.Get(name), FALSE));
    }
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(40, 25)) << "the window's white where the opaque control was";
    EXPECT_EQ(0xFFFFFFFFu, w.Pixel(130, 25));
}

// The engine's diagnostics about a redraw, caught as the process writes them
// to the debug output.
class RedrawDiagnostics {
public:
    RedrawDiagnostics() { handler_ = ::AddVectoredExceptionHandler(1, &Catch); }
    ~RedrawDiagnostics() { ::RemoveVectoredExceptionHandler(handler_); }
    RedrawDiagnostics(const RedrawDiagnostics&) = delete;
    RedrawDiagnostics& operator=(const RedrawDiagnostics&) = delete;
    static void Clear() { lines().clear(); }
    static int Count(const char* text) {
        int n = 0;
        for (const std::string& line : lines())
            if (line.find(text) != std::string::npos) ++n;
        return n;
    }

private:
    static std::vector<std::string>& lines() {
        static std::vector<std::string> all;
        return all;
    }
    static LONG CALLBACK Catch(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* r = info->ExceptionRecord;
        if (r->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
        if (r->ExceptionCode == DBG_PRINTEXCEPTION_C) {
            lines().emplace_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]));
        } else if (r->ExceptionCode == 0x4001000A) {  // the wide form
            const auto* wide = reinterpret_cast<const wchar_t*>(r->ExceptionInformation[1]);
            std::string narrow;
            for (; *wide; ++wide) narrow += static_cast<char>(*wide < 128 ? *wide : '?');
            lines().push_back(narrow);
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    PVOID handler_;
};

TEST(Painting, ARedrawReportsOnlyControlsOverItsAreaThatTheirParentsHide) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="S" width="300" height="200" style="white" layered="true">
  <layout name="Box" left="10" top="10" width="50" height="30">
    <static name="OutOfBox" left="100" top="0" width="40" height="30" style="red"/>
  </layout>
  <static name="Glass" left="110" top="10" width="60" height="30" style="half" zorder="3"/>
  <button name="Far1" left="10" top="100" width="60" height="30" style="btn"/>
  <button name="Far2" left="100" top="100" width="60" height="30" style="btn"/>
  <button name="Far3" left="200" top="100" width="60" height="30" style="btn" zorder="5"/>
  <static name="Far4" left="200" top="150" width="60" height="30" style="green" zorder="5"/>
</duwindow>)XML"));
    TestWindow w(dir, L"S");
    ASSERT_TRUE(w.Ok());
    RedrawDiagnostics caught;
    // Far from the glass nothing is beneath or above it: the controls there
    // are no error. The one under it that its layout cuts away is.
    RedrawDiagnostics::Clear();
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Glass"), FALSE));
    EXPECT_EQ(1, RedrawDiagnostics::Count("error DrawDownLayerPlguin IntersectRect NULL"));
    EXPECT_EQ(0, RedrawDiagnostics::Count("error DrawUpLayerPlguin IntersectRect NULL"));
    RedrawDiagnostics::Clear();
    ASSERT_TRUE(RedrawPlugin(w.Get(L"Far1"), FALSE));
    EXPECT_EQ(0, RedrawDiagnostics::Count("IntersectRect NULL"));
}

// ---- worker threads ----------------------------------------------------------------

TEST(UiDispatcher, WorkerTasksRunOnTheWindowThreadInOrder) {
    TempDir dir;
    WriteSkin(dir, LayoutSkin());
    TestWindow w(dir, L"L");
    ASSERT_TRUE(w.Ok());
    const DWORD uiThread = ::GetCurrentThreadId();
    constexpr int kPerThread = 1000;
    std::vector<int> seen[2];
    std::atomic<int> offThread{0};
    std::atomic<int> refused{0};
    auto* progress = w.As<duProgress>(L"P");
    auto worker = [&](int t) {
        for (int i = 0; i < kPerThread; ++i) {
            const bool ok = PostUiTask(w.Hwnd(), [&, t, i] {
                if (::GetCurrentThreadId() != uiThread) ++offThread;
                seen[t].push_back(i);
                if (t == 0 && IsValidPlugin(progress)) {
                    progress->SetPos(i / 10);
                    if (i % 50 == 49) RedrawPlugin(progress, FALSE);
                }
            });
            if (!ok) ++refused;
        }
    };
    std::thread a(worker, 0), b(worker, 1);
    const bool done = w.PumpUntil([&] { return seen[0].size() + seen[1].size() == 2 * kPerThread; }, 60000);
    a.join();
    b.join();
    ASSERT_TRUE(done);
    EXPECT_EQ(0, refused.load());
    EXPECT_EQ(0, offThread.load());
    for (auto& s : seen) {
        ASSERT_EQ(static_cast<size_t>(kPerThread), s.size());
        for (int i = 0; i < kPerThread; ++i) ASSERT_EQ(i, s[i]);
    }
    EXPECT_EQ(99, progress->GetPos());
}

TEST(UiDispatcher, TasksForAGoneWindowAreDroppedUnrun) {
    EXPECT_FALSE(PostUiTask(nullptr, [] {}));
    HWND plain = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(PostUiTask(plain, [] {}));  // not an engine window
    ::DestroyWindow(plain);

    TempDir dir;
    WriteSkin(dir, LayoutSkin());
    auto w = std::make_unique<TestWindow>(dir, L"L");
    ASSERT_TRUE(w->Ok());
    auto token = std::make_shared<int>(0);
    std::weak_ptr<int> watch = token;
    bool ran = false;
    HWND hwnd = w->Hwnd();
    ASSERT_TRUE(PostUiTask(hwnd, [token, &ran] { ran = true; }));
    token.reset();
    w.reset();  // the window goes away before its queue is run
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
    EXPECT_FALSE(ran);
    EXPECT_TRUE(watch.expired());  // the closure was freed
    EXPECT_FALSE(PostUiTask(hwnd, [] {}));
}
