// Button fades driven tick by tick, autosize, ghost pass-through and the
// root window's border hit test and size limits.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include "tests/dulib/ctrl/GuiHarness.h"

using namespace guitest;

namespace {

std::wstring ControlsSkin() {
    return SkinDocument(LR"XML(<duwindow name="W" width="300" height="200" style="white" bordersize="5"
    minwidth="100" minheight="80" maxwidth="500" maxheight="300">
  <button name="Fade" left="10" top="10" width="50" height="30" style="btn" fade="true"/>
  <button name="Quick" left="70" top="10" width="50" height="30" style="btn" fade="true" fadeinspeed="85" fadeoutspeed="255"/>
  <button name="Wrong" left="130" top="10" width="50" height="30" style="btn" fade="true" fadeinspeed="-5" fadeoutspeed="-7"/>
  <button name="Huge" left="190" top="10" width="50" height="30" style="btn" fade="true" fadeinspeed="2147483647" fadeoutspeed="2147483647"/>
  <layout name="Narrow" left="10" top="50" width="60" height="30">
    <button name="Auto" autosize="true" fixleft="10" fixright="10" height="30" style="btn" text="Hi"/>
  </layout>
  <button name="Host" left="100" top="50" width="80" height="40" style="btn">
    <static name="Label" ghost="true" left="10" top="10" width="60" height="20" style="red"/>
  </button>
</duwindow>)XML");
}

int TicksUntilFadeEnds(TestWindow& w, duButton* b) {
    int ticks = 0;
    while (b->IsFading() && ticks < 100) {
        ::SendMessageW(w.Hwnd(), WM_TIMER, b->Face().timerId, 0);
        ++ticks;
    }
    return ticks;
}

}  // namespace

TEST(ButtonFade, ZeroSpeedsMeanFortyAndThirty) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    auto* fade = w.As<duButton>(L"Fade");
    ASSERT_NE(nullptr, fade);
    w.Move(20, 20);
    EXPECT_TRUE(fade->IsFading());
    EXPECT_EQ(STATE_OVER, fade->GetState());
    // 255 / 30 needs 9 steps down; 255 / 40 needs 7 up.
    EXPECT_EQ(9, TicksUntilFadeEnds(w, fade));
    EXPECT_EQ(0xFF00C800u, w.Pixel(15, 15));  // the over colour, fully there

    auto* quick = w.As<duButton>(L"Quick");
    w.Move(80, 20);
    EXPECT_TRUE(fade->IsFading());  // fading back out
    EXPECT_EQ(3, TicksUntilFadeEnds(w, quick));
    // A refreshing redraw ends a running fade at once.
    ASSERT_TRUE(fade->IsFading());
    RedrawPlugin(fade, TRUE);
    EXPECT_FALSE(fade->IsFading());
    EXPECT_EQ(0xFF0000C8u, w.Pixel(15, 15));
}

TEST(ButtonFade, OutOfRangeSpeedsStillEnd) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    auto* wrong = w.As<duButton>(L"Wrong");
    auto* huge = w.As<duButton>(L"Huge");
    ASSERT_TRUE(wrong && huge);
    w.Move(140, 20);
    ASSERT_TRUE(wrong->IsFading());
    EXPECT_EQ(9, TicksUntilFadeEnds(w, wrong)) << "negative speeds count as the defaults";
    w.Move(200, 20);
    ASSERT_TRUE(huge->IsFading());
    EXPECT_EQ(1, TicksUntilFadeEnds(w, huge));
    EXPECT_EQ(0xFF00C800u, w.Pixel(195, 15));
}

TEST(ButtonAutosize, WidthFollowsTheTextUpToTheParent) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* b = w.Get(L"Auto");
    RECT r;
    b->GetRect(&r);
    const int shortWidth = r.right - r.left;
    EXPECT_GT(shortWidth, 20);
    EXPECT_LT(shortWidth, 60);
    b->SetText(L"A much longer caption than fits");
    b->GetRect(&r);
    EXPECT_EQ(59 + 20, r.right - r.left);  // capped at the parent's width less one
}

TEST(GhostStatic, HandsItsButtonEventsToItsParent) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    w.Click(120, 70);
    EXPECT_EQ(w.Get(L"Label"), w.Host()->GetHotPlugin());
    EXPECT_TRUE(w.Has(L"Host", DUM_BTNCLICK));
    EXPECT_TRUE(w.Has(L"Label", DUM_LBUTTONUP));
}

TEST(RootWindow, BorderHitTestAndSizeLimits) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    auto hit = [&](int x, int y) {
        POINT pt{x, y};
        ::ClientToScreen(w.Hwnd(), &pt);
        return static_cast<int>(::SendMessageW(w.Hwnd(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)));
    };
    EXPECT_EQ(HTTOPLEFT, hit(1, 1));
    EXPECT_EQ(HTTOP, hit(150, 2));
    EXPECT_EQ(HTTOPRIGHT, hit(298, 3));
    EXPECT_EQ(HTRIGHT, hit(298, 100));
    EXPECT_EQ(HTBOTTOMRIGHT, hit(299, 199));
    EXPECT_EQ(HTBOTTOM, hit(150, 196));
    EXPECT_EQ(HTBOTTOMLEFT, hit(0, 199));
    EXPECT_EQ(HTLEFT, hit(4, 100));
    EXPECT_EQ(HTLEFT, w.Host()->GetRoot()->GetLastHitCode());
    EXPECT_EQ(HTCLIENT, hit(150, 100));

    MINMAXINFO mmi{};
    ::SendMessageW(w.Hwnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(100, mmi.ptMinTrackSize.x);
    EXPECT_EQ(80, mmi.ptMinTrackSize.y);
    EXPECT_EQ(500, mmi.ptMaxTrackSize.x);
    EXPECT_EQ(300, mmi.ptMaxTrackSize.y);

    // The window was sized from the skin and has lost its frame.
    RECT rc;
    ::GetClientRect(w.Hwnd(), &rc);
    EXPECT_EQ(300, rc.right);
    EXPECT_EQ(200, rc.bottom);
    EXPECT_TRUE(::GetWindowLongPtrW(w.Hwnd(), GWL_STYLE) & WS_CLIPCHILDREN);
}

TEST(RootWindow, NoBorderMeansClientEverywhere) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="W" width="200" height="100" style="white"/>)XML"));
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    POINT pt{0, 0};
    ::ClientToScreen(w.Hwnd(), &pt);
    EXPECT_EQ(HTCLIENT, ::SendMessageW(w.Hwnd(), WM_NCHITTEST, 0, MAKELPARAM(pt.x, pt.y)));
}

TEST(Tooltip, ShownOnEnterAndTakenDownOnLeave) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="W" width="200" height="100" style="white">
      <button name="Tip" left="10" top="10" width="50" height="30" style="btn" tooltip="Leave the setup"/>
    </duwindow>)XML"));
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    HWND tip = w.Host()->GetTooltipWindow();
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(0, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    w.Move(20, 20);
    EXPECT_EQ(1, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
    wchar_t text[64] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = w.Hwnd();
    ti.uId = 1;
    ti.lpszText = text;
    ::SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&ti));
    EXPECT_STREQ(L"Leave the setup", text);
    w.Move(150, 80);
    EXPECT_EQ(0, ::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
}

TEST(WindowLifetime, HandlerThatClosesTheWindowEndsRoutingSafely) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* fade = w.Get(L"Fade");
    HWND hwnd = w.Hwnd();
    w.onNotify = [hwnd](duPlugin*, const NotifyRecord& r) {
        if (r.code == DUM_LBUTTONDOWN) ::DestroyWindow(hwnd);
    };
    w.Move(20, 20);
    w.Down(20, 20);
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_FALSE(IsValidPlugin(fade));
    EXPECT_EQ(nullptr, WindowHost::FromHwnd(hwnd));
    EXPECT_FALSE(RedrawPlugin(fade, TRUE));
}

TEST(WindowActivation, RootStateFollowsActivation) {
    TempDir dir;
    WriteSkin(dir, ControlsSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    ::SendMessageW(w.Hwnd(), WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(STATE_CHECKEDALL, w.Host()->GetRoot()->GetState());
    ::SendMessageW(w.Hwnd(), WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(STATE_NORMALALL, w.Host()->GetRoot()->GetState());
}

// Activation repaints the window only when the root's style draws the new
// state differently: "white" is one colour in every state, "btn" has none for
// the inactive state.
TEST(WindowActivation, RepaintsOnlyWhenTheRootLooksDifferent) {
    for (const wchar_t* style : {L"white", L"btn"}) {
        SCOPED_TRACE(style);
        TempDir dir;
        WriteSkin(dir, SkinDocument(std::wstring(L"<duwindow name=\"W\" width=\"120\" height=\"80\" style=\"") + style +
                                    L"\"/>"));
        TestWindow w(dir);
        ASSERT_TRUE(w.Ok());
        const bool looksDifferent = std::wstring(style) == L"btn";
        for (BOOL active : {FALSE, TRUE}) {
            ::ValidateRect(w.Hwnd(), nullptr);
            ::SendMessageW(w.Hwnd(), WM_NCACTIVATE, active, 0);
            EXPECT_EQ(looksDifferent, ::GetUpdateRect(w.Hwnd(), nullptr, FALSE) != FALSE) << active;
            EXPECT_EQ(active ? STATE_NORMALALL : STATE_CHECKEDALL, w.Host()->GetRoot()->GetState());
        }
    }
}

TEST(HitTesting, HigherLevelsAreHitFirst) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="W" width="200" height="100" style="white">
      <static name="Low" left="10" top="10" width="100" height="50" style="red"/>
      <static name="High" left="50" top="20" width="100" height="50" style="green" zorder="9"/>
      <static name="Later" left="0" top="0" width="60" height="60" style="blue"/>
      <static name="Hidden" left="0" top="0" width="200" height="100" style="blue" zorder="20" visible="false"/>
    </duwindow>)XML"));
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    EXPECT_EQ(w.Get(L"High"), w.Host()->HitTest(55, 25));
    EXPECT_EQ(w.Get(L"Later"), w.Host()->HitTest(20, 20));  // same level: the later sibling
    EXPECT_EQ(w.Get(L"Low"), w.Host()->HitTest(105, 12));
    EXPECT_EQ(w.Host()->GetRoot(), w.Host()->HitTest(190, 90));
    EXPECT_EQ(0xFF00FF00u, w.Pixel(55, 25));  // painted in the same order
    EXPECT_EQ(0xFF0000FFu, w.Pixel(20, 20));
}

TEST(Associate, ParentHearsTheChildsEnterAndAStillInsideLeaveIsIgnored) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="W" width="200" height="100" style="white">
      <layout name="Row" associate="true" left="0" top="0" width="200" height="50">
        <button name="Cell" left="10" top="10" width="80" height="30" style="btn"/>
      </layout>
    </duwindow>)XML"));
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* cell = w.Get(L"Cell");
    EXPECT_FALSE(cell->IsAssociate());
    w.Move(20, 20);
    EXPECT_TRUE(cell->IsAssociate());
    EXPECT_EQ(STATE_OVER, cell->GetState());
    // A leave reported while the pointer is still inside keeps the hover.
    cell->OnMouseLeave(30, 25);
    EXPECT_EQ(STATE_OVER, cell->GetState());
    cell->OnMouseLeave(150, 45);
    EXPECT_EQ(STATE_NORMAL, cell->GetState());
}
