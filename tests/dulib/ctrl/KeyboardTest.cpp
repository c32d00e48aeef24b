// Keyboard use of a skinned window: Tab order, the keys that act, arrows in
// radio groups and lists, Enter and Esc, and the focus ring.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "dulib/ctrl/Accessibility.h"
#include "dulib/ctrl/FocusRing.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duRadio.h"
#include "tests/dulib/ctrl/KeyboardWindow.h"

using namespace guitest;

namespace {

constexpr DWORD kMagenta = 0xFFFF00FF;
constexpr DWORD kWhite = 0xFFFFFFFF;

bool Checked(duPlugin* p) {
    if (auto* box = dynamic_cast<duCheckBox*>(p)) return box->IsChecked() != FALSE;
    if (auto* radio = dynamic_cast<duRadio*>(p)) return radio->IsChecked() != FALSE;
    return false;
}

// Where a user would look: saved beside the build when the tests know it.
void SaveForALook(const TestWindow& w, const wchar_t* name) {
    const char* build = std::getenv("KESTRANE_BUILD_DIR");
    if (!build || !*build) return;
    std::wstring dir;
    for (const char* c = build; *c; ++c) dir.push_back(*c == '/' ? L'\\' : static_cast<wchar_t>(*c));
    dir = L"Z:" + dir + L"\\screenshots";
    ::CreateDirectoryW(dir.c_str(), nullptr);
    w.SaveImage(dir + L"\\" + name);
}

}  // namespace

using KeyboardTest = KeyboardWindow;

TEST_F(KeyboardTest, TabVisitsTheControlsThatCanActInSkinOrderAndWraps) {
    // Not the disabled, hidden or tabstop="false" buttons; one radio of the
    // group (the checked one); the list once, on its first row.
    const std::vector<std::wstring> forward = {L"A", L"C", L"Pic", L"R2", L"E", L"Row_1", L"Ok", L"Cancel", L"A"};
    for (const std::wstring& expected : forward) {
        win_->Key(VK_TAB);
        EXPECT_EQ(FocusName(), expected);
    }
    const std::vector<std::wstring> backward = {L"Cancel", L"Ok", L"Row_1", L"E", L"R2"};
    for (const std::wstring& expected : backward) {
        win_->Key(VK_TAB, kShift);
        EXPECT_EQ(FocusName(), expected);
    }
    EXPECT_TRUE(win_->Has(L"R2", DUM_SETFOCUS));
    EXPECT_TRUE(win_->Has(L"E", DUM_KILLFOCUS));

    // A control the mouse focused that Tab passes by keeps its place.
    win_->Click(250, 165);
    EXPECT_EQ(FocusName(), L"Skip");
    win_->Key(VK_TAB);
    EXPECT_EQ(FocusName(), L"Ok");
    win_->Click(250, 165);
    win_->Key(VK_TAB, kShift);
    EXPECT_EQ(FocusName(), L"Row_1");
}

TEST_F(KeyboardTest, SpaceActsOnTheFocusedControlAndTypesInTheEdit) {
    win_->Key(VK_TAB);  // A
    win_->notes.clear();
    win_->Key(VK_SPACE);
    EXPECT_EQ(win_->Codes(L"A"), std::vector<int>{DUM_BTNCLICK});

    win_->Key(VK_TAB);  // C
    win_->Key(VK_SPACE);
    EXPECT_TRUE(Checked(win_->Get(L"C")));
    ASSERT_EQ(win_->NotesWithCode(DUM_CKCLICK).size(), 1u);
    EXPECT_EQ(win_->NotesWithCode(DUM_CKCLICK)[0].param1, 1);

    for (int i = 0; i < 3; ++i) win_->Key(VK_TAB);  // Pic, R2, E
    ASSERT_EQ(FocusName(), L"E");
    win_->KeyDown(VK_SPACE);
    win_->Char(L' ');
    win_->Type(L"x");
    EXPECT_STREQ(win_->Get(L"E")->GetText(), L" x");

    win_->Key(VK_TAB);  // the first row: space toggles its check box
    ASSERT_EQ(FocusName(), L"Row_1");
    win_->notes.clear();
    win_->Key(VK_SPACE);
    EXPECT_FALSE(Checked(win_->Get(L"RowBox_1")));
    EXPECT_TRUE(win_->Has(L"RowBox_1", DUM_CKCLICK));
    win_->Key(VK_SPACE);
    EXPECT_TRUE(Checked(win_->Get(L"RowBox_1")));
}

TEST_F(KeyboardTest, ArrowsMoveWithinARadioGroupAndAList) {
    for (int i = 0; i < 4; ++i) win_->Key(VK_TAB);
    ASSERT_EQ(FocusName(), L"R2");
    win_->notes.clear();
    win_->Key(VK_RIGHT);
    EXPECT_EQ(FocusName(), L"R3");
    EXPECT_TRUE(Checked(win_->Get(L"R3")));
    EXPECT_FALSE(Checked(win_->Get(L"R2")));
    EXPECT_TRUE(win_->Has(L"R3", DUM_RADIOCHECKED));
    win_->Key(VK_DOWN);  // wraps to the first
    EXPECT_EQ(FocusName(), L"R1");
    win_->Key(VK_LEFT);
    EXPECT_EQ(FocusName(), L"R3");
    EXPECT_TRUE(Checked(win_->Get(L"R3")));

    auto* list = win_->As<duListBoxEx>(L"L");
    win_->Key(VK_TAB);
    win_->Key(VK_TAB);
    ASSERT_EQ(FocusName(), L"Row_1");
    win_->notes.clear();
    win_->Key(VK_UP);  // already the first
    EXPECT_EQ(FocusName(), L"Row_1");
    win_->Key(VK_DOWN);
    EXPECT_EQ(FocusName(), L"Row_2");
    EXPECT_EQ(list->GetSelectedItem(), win_->Get(L"Row_2"));
    const std::vector<Note> moved = win_->NotesWithCode(DUM_LBEXKEYSEL);
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].param2, static_cast<int>(reinterpret_cast<INT_PTR>(win_->Get(L"Row_2"))));
    // Three 40-pixel rows in 100 pixels: the last one scrolls into view.
    win_->Key(VK_END);
    EXPECT_EQ(FocusName(), L"Row_3");
    EXPECT_EQ(list->GetScrollOffset(), 20);
    win_->Key(VK_HOME);
    EXPECT_EQ(FocusName(), L"Row_1");
    EXPECT_EQ(list->GetScrollOffset(), 0);
    // Tab leaves the list from whichever row has the focus, and comes back to it.
    win_->Key(VK_DOWN);
    win_->Key(VK_TAB);
    EXPECT_EQ(FocusName(), L"Ok");
    win_->Key(VK_TAB, kShift);
    EXPECT_EQ(FocusName(), L"Row_2");
}

TEST_F(KeyboardTest, EnterPressesTheDefaultButtonAndEscTheCancelButton) {
    win_->Key(VK_TAB);
    win_->Key(VK_TAB);
    ASSERT_EQ(FocusName(), L"C");
    win_->notes.clear();
    win_->Key(VK_RETURN);
    EXPECT_EQ(win_->Codes(L"Ok"), std::vector<int>{DUM_BTNCLICK});
    EXPECT_FALSE(win_->Has(L"C", DUM_CKCLICK));
    win_->Key(VK_ESCAPE);
    EXPECT_EQ(win_->Codes(L"Cancel"), std::vector<int>{DUM_BTNCLICK});

    // A disabled or hidden default button is not pressed.
    win_->Get(L"Ok")->SetDisable(TRUE);
    win_->Key(VK_RETURN);
    SetPluginVisible(win_->Get(L"Page"), FALSE);
    win_->Key(VK_ESCAPE);
    EXPECT_EQ(win_->NotesWithCode(DUM_BTNCLICK).size(), 2u);
}

TEST_F(KeyboardTest, FocusRingShowsOnceTheKeyboardIsUsed) {
    // A at (10,10)-(70,40): the ring's two pixels lie three and two pixels
    // outside it, after a one-pixel gap.
    win_->Click(40, 25);
    ASSERT_EQ(FocusName(), L"A");
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(40, 7), kWhite) << "no ring for a mouse user";
    EXPECT_EQ(win_->Pixel(7, 25), kWhite);

    win_->Key(VK_TAB);  // C at (150,10)-(210,40)
    ASSERT_EQ(FocusName(), L"C");
    for (POINT p : {POINT{180, 7}, POINT{180, 8}, POINT{180, 42}, POINT{147, 25}, POINT{212, 25}})
        EXPECT_EQ(win_->Pixel(p.x, p.y), kMagenta) << p.x << "," << p.y;
    EXPECT_EQ(win_->Pixel(180, 9), kWhite) << "gap";
    EXPECT_EQ(win_->Pixel(180, 6), kWhite) << "outside";
    EXPECT_EQ(win_->Pixel(40, 7), kWhite) << "nothing left around A";
    SaveForALook(*win_, L"engine-focus-ring.png");

    win_->Key(VK_TAB, kShift);
    EXPECT_EQ(win_->Pixel(40, 7), kMagenta);
    EXPECT_EQ(win_->Pixel(180, 7), kWhite);
    // From now on the mouse moves the ring too, and a full paint keeps it.
    win_->Click(180, 25);
    win_->FullPaint();
    EXPECT_EQ(win_->Pixel(180, 7), kMagenta);
    EXPECT_EQ(win_->Pixel(40, 7), kWhite);

    // A row's ring stays inside the list: its sides lie on the list's edges.
    FocusFirstControl(win_->Get(L"L"));
    ASSERT_EQ(FocusName(), L"Row_1");
    EXPECT_EQ(win_->Pixel(10, 150), kMagenta);
    EXPECT_EQ(win_->Pixel(9, 150), kWhite);
    EXPECT_EQ(win_->Pixel(100, 130), kMagenta);
}

TEST_F(KeyboardTest, RingColourComesFromTheSkinOrDefaults) {
    EXPECT_EQ(FocusRingColor(win_->Get(L"W")), RGB(255, 0, 255));
    TempDir plain;
    WriteSkin(plain, SkinDocument(LR"(<duwindow name="W" style="white" width="100" height="60">
      <button name="B" style="btn" left="10" top="10" width="40" height="30"/></duwindow>)"));
    TestWindow w(plain);
    ASSERT_TRUE(w.Ok());
    EXPECT_EQ(FocusRingColor(w.Get(L"W")), kDefaultFocusColor);
    w.Key(VK_TAB);
    EXPECT_EQ(w.Pixel(30, 7), 0xFF000000 | (GetRValue(kDefaultFocusColor) << 16) |
                                  (GetGValue(kDefaultFocusColor) << 8) | GetBValue(kDefaultFocusColor));
}

TEST_F(KeyboardTest, FocusFirstControlPrefersTheDefaultButton) {
    EXPECT_TRUE(FocusFirstControl(win_->Get(L"Page")));
    EXPECT_EQ(FocusName(), L"Ok");
    EXPECT_TRUE(FocusFirstControl(win_->Get(L"Group")));
    EXPECT_EQ(FocusName(), L"R2");
    EXPECT_FALSE(FocusFirstControl(win_->Get(L"Picture")));
    EXPECT_EQ(FocusName(), L"R2");
    EXPECT_FALSE(win_->Host()->Access().CuesShown()) << "placing the focus shows no ring";
}
