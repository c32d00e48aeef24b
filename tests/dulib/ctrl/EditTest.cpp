#include <gtest/gtest.h>

#include <string>

#include "dulib/ctrl/EditMenu.h"
#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duWindowManager.h"
#include "support/Handles.h"
#include "tests/dulib/ctrl/GuiHarness.h"
#include "tests/dulib/ctrl/TestSkin.h"

using namespace guitest;

namespace {

const std::wstring kPair = L"\xD840\xDC0B";  // U+2000B
const std::wstring kPath = L"C:\\Program Files\\Kestrane\\Vantor\\Packages\\Language Models\\zh-CN\\2026";

class EditTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSkin(dir_, ListEditTestSkin());
        win_ = std::make_unique<TestWindow>(dir_, L"Demo");
        ASSERT_TRUE(win_->Ok());
        edit_ = win_->As<duEdit>(L"Edit");
        pwd_ = win_->As<duEdit>(L"Pwd");
        ASSERT_NE(edit_, nullptr);
        ASSERT_NE(pwd_, nullptr);
    }

    // Client point inside the edit's text line, at local x.
    POINT LinePoint(duEdit* e, int localX) {
        RECT r, line = e->GetTextLine();
        e->GetRect(&r);
        return POINT{r.left + localX, r.top + (line.top + line.bottom) / 2};
    }

    void Focus(duEdit* e) {
        POINT p = LinePoint(e, e->GetTextLine().left + 1);
        win_->Click(p.x, p.y);
        ASSERT_EQ(win_->Host()->GetFocusPlugin(), e);
    }

    std::wstring Text(duEdit* e) { return e->GetText(); }

    // Presses at the start of the long path in the plain edit and drags the
    // pointer 40 pixels past the line's right edge; answers that point.
    POINT DragPastTheRightEdge() {
        edit_->SetText(kPath.c_str());
        const RECT line = edit_->GetTextLine();
        const POINT start = LinePoint(edit_, line.left + 1);
        win_->Move(start.x, start.y);
        win_->Down(start.x, start.y);
        const POINT outside = LinePoint(edit_, line.right + 40);
        win_->Move(outside.x, outside.y);
        return outside;
    }

    int CountPixels(duEdit* e, bool (*match)(DWORD)) {
        RECT r;
        e->GetRect(&r);
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x)
                if (match(win_->Pixel(x, y))) ++n;
        return n;
    }

    TempDir dir_;
    std::unique_ptr<TestWindow> win_;
    duEdit* edit_ = nullptr;
    duEdit* pwd_ = nullptr;
};

bool IsReddish(DWORD p) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    return r > 150 && g < 120 && b < 120 && r - g > 60;
}

}  // namespace

TEST_F(EditTest, NumberModeTakesDigitsAndMinusOnly) {
    edit_->SetNumber(TRUE);
    Focus(edit_);
    win_->Type(L"a1-b2");
    EXPECT_EQ(Text(edit_), L"1-2");
    win_->Key(VK_HOME);
    win_->Type(L"-x");
    EXPECT_EQ(Text(edit_), L"-1-2");
    edit_->SetNumber(FALSE);
    win_->Type(L"x");
    EXPECT_EQ(Text(edit_), L"-x1-2");
}

TEST_F(EditTest, TextLimitHoldsForPasteOverASelection) {
    ASSERT_TRUE(PutTestClipboard(L"ABCDEFGHIJKLMNOPQRST"));
    edit_->SetText(std::wstring(30000, L'x').c_str());
    Focus(edit_);
    win_->Key(VK_END);
    win_->Char(0x16, kCtrl);
    EXPECT_EQ(edit_->GetTextLength(), 30000);
    EXPECT_EQ(Text(edit_).find(L'A'), std::wstring::npos);

    edit_->SetSel(100, 110);
    win_->Char(0x16, kCtrl);
    const std::wstring text = Text(edit_);
    EXPECT_EQ(text.size(), 30000u);
    EXPECT_EQ(text.substr(100, 11), L"ABCDEFGHIJx");
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(110, 110)));
    EXPECT_EQ(edit_->GetLimitText(), 30000);
}

TEST_F(EditTest, TypedRunUndoesAtOnceAndRedoes) {
    Focus(edit_);
    win_->notes.clear();
    win_->Type(L"abc");
    EXPECT_EQ(win_->NotesWithCode(38).size(), 3u);
    win_->Char(0x1A, kCtrl);
    EXPECT_EQ(Text(edit_), L"");
    win_->Char(0x1A, kCtrl);
    EXPECT_EQ(Text(edit_), L"abc");
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(0, 3)));
    EXPECT_EQ(win_->NotesWithCode(38).size(), 5u);
}

TEST_F(EditTest, PasswordNeverReachesTheClipboard) {
    ASSERT_TRUE(PutTestClipboard(L"SENTINEL"));
    Focus(pwd_);
    win_->Type(L"secret");
    EXPECT_EQ(pwd_->Model().DisplayText(), L"******");
    win_->Char(1, kCtrl);  // select all
    win_->Char(3, kCtrl);  // Ctrl+C
    win_->Key(VK_INSERT, kCtrl);
    win_->Char(0x18, kCtrl);  // Ctrl+X
    win_->Key(VK_DELETE, kShift);  // Shift+Delete with a selection cuts
    pwd_->RunMenuCommand(EDITCMD_COPY);
    pwd_->RunMenuCommand(EDITCMD_CUT);
    win_->Send(WM_COPY);
    win_->Send(WM_CUT);
    EXPECT_EQ(GetTestClipboard(), L"SENTINEL");
    EXPECT_EQ(Text(pwd_), L"secret");
    EXPECT_EQ(Text(edit_), L"") << "only the focused edit takes characters";
    duEditMenuState menu = pwd_->GetMenuState();
    EXPECT_FALSE(menu.copy);
    EXPECT_FALSE(menu.cut);
    EXPECT_TRUE(menu.clear);

    // The plain edit does copy.
    Focus(edit_);
    win_->Type(L"visible");
    win_->Char(1, kCtrl);
    win_->Send(WM_COPY);
    EXPECT_EQ(GetTestClipboard(), L"visible");
}

TEST_F(EditTest, LongPasswordScrollsByCharacters) {
    std::wstring secret;
    for (int i = 0; i < 10000; ++i) secret += (i % 7 == 0) ? kPair : L"s";
    pwd_->SetText(secret.c_str());
    Focus(pwd_);
    win_->Key(VK_END);
    EXPECT_GT(pwd_->GetFirstVisible(), 0);
    POINT caret;
    pwd_->PosFromChar(pwd_->GetTextLength(), &caret);
    RECT r, line = pwd_->GetTextLine();
    pwd_->GetRect(&r);
    EXPECT_LE(caret.x, r.left + line.right);
    EXPECT_GT(caret.x, r.left + line.left);
    win_->Key(VK_LEFT, kShift);
    EXPECT_EQ(pwd_->GetSel(), static_cast<DWORD>(MAKELONG(pwd_->GetTextLength() - 1, pwd_->GetTextLength())));
}

TEST_F(EditTest, DeleteKeysWithoutSelection) {
    edit_->SetText(L"abcdef");
    Focus(edit_);
    edit_->SetSel(2, 2);
    win_->Key(VK_DELETE, kShift);  // Shift+Delete: the character before
    EXPECT_EQ(Text(edit_), L"acdef");
    win_->Key(VK_DELETE);
    EXPECT_EQ(Text(edit_), L"adef");
    win_->Key(VK_DELETE, kCtrl);
    EXPECT_EQ(Text(edit_), L"a");
    win_->Char(8);
    EXPECT_EQ(Text(edit_), L"");
}

TEST_F(EditTest, CueTextShowsOnlyWhileEmpty) {
    win_->FullPaint();
    EXPECT_GT(CountPixels(edit_, IsReddish), 10);
    Focus(edit_);
    win_->Type(L"D");
    win_->FullPaint();
    EXPECT_EQ(CountPixels(edit_, IsReddish), 0);
    EXPECT_EQ(Text(edit_), L"D");
}

TEST_F(EditTest, DragBeyondTheRightEdgeKeepsExtendingOnEveryTick) {
    const POINT outside = DragPastTheRightEdge();
    ASSERT_TRUE(edit_->IsTracking());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), edit_);
    EXPECT_EQ(edit_->GetScrollDirection(), 1);
    const int reached = HIWORD(edit_->GetSel());
    EXPECT_GT(reached, 5);
    EXPECT_LT(reached, static_cast<int>(kPath.size()));
    for (int tick = 1; tick <= 6; ++tick) {
        win_->Timer(edit_->GetTimerId());
        EXPECT_EQ(HIWORD(edit_->GetSel()), reached + tick);
        EXPECT_EQ(LOWORD(edit_->GetSel()), 0);
    }
    EXPECT_GT(edit_->GetFirstVisible(), 0) << "the view follows the caret";
    win_->Up(outside.x, outside.y);
    EXPECT_FALSE(edit_->IsTracking());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), nullptr);
    win_->Timer(edit_->GetTimerId());
    EXPECT_EQ(HIWORD(edit_->GetSel()), reached + 6);
}

TEST_F(EditTest, ChangeSkinRefetchesTheFontAndItsLine) {
    Focus(edit_);
    const RECT before = edit_->GetTextLine();
    std::string bigger = ListEditTestSkin();
    const std::string small = "name=\"default_14\" height=\"-14\"";
    bigger.replace(bigger.find(small), small.size(), "name=\"default_14\" height=\"-22\"");
    TempDir second;
    WriteSkin(second, bigger);
    ASSERT_TRUE(win_->Host()->GetManager()->ChangeSkin(second.File(L"config.xml").c_str()));
    const RECT after = edit_->GetTextLine();
    EXPECT_GT(after.bottom - after.top, before.bottom - before.top) << "the line follows the new font's height";
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(win_->Host()->GetFocusPlugin(), edit_);
}

TEST_F(EditTest, SurrogatePairsAreNeverSplit) {
    Focus(edit_);
    win_->Send(WM_UNICHAR, 0x2000B);
    EXPECT_EQ(Text(edit_), kPair);
    win_->Send(WM_CHAR, kPair[0]);
    EXPECT_EQ(Text(edit_), kPair);
    win_->Send(WM_CHAR, kPair[1]);
    win_->Type(L"a");
    EXPECT_EQ(Text(edit_), kPair + kPair + L"a");
    EXPECT_EQ(edit_->OnWndMessage(win_->Hwnd(), WM_UNICHAR, UNICODE_NOCHAR, 0), 1);

    win_->Key(VK_LEFT);
    win_->Key(VK_LEFT);
    EXPECT_EQ(HIWORD(edit_->GetSel()), 2);
    win_->Key(VK_LEFT, kShift);
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(0, 2)));
    win_->Key(VK_RIGHT);
    win_->Char(8);
    EXPECT_EQ(Text(edit_), kPair + L"a");
    win_->Key(VK_HOME);
    win_->Key(VK_DELETE);
    EXPECT_EQ(Text(edit_), L"a");
    edit_->SetText((L"x" + kPair).c_str());
    edit_->SetSel(2, 3);  // inside the pair: snapped to its start
    EXPECT_EQ(LOWORD(edit_->GetSel()), 1);
}

TEST_F(EditTest, DoubleClickSelectsAWordOfAPath) {
    edit_->SetText(L"C:\\Program Files\\Kestrane");
    POINT inWord;
    edit_->PosFromChar(5, &inWord);  // inside "Program"
    win_->DoubleClick(inWord.x + 2, inWord.y + 5);
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(3, 10)));
    edit_->PosFromChar(16, &inWord);  // the second backslash
    win_->DoubleClick(inWord.x + 1, inWord.y + 5);
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(16, 17)));
    // Ctrl+Right walks the same words.
    win_->Key(VK_HOME);
    win_->Key(VK_RIGHT, kCtrl);
    win_->Key(VK_RIGHT, kCtrl);
    win_->Key(VK_RIGHT, kCtrl | kShift);
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(3, 11)));
}

TEST_F(EditTest, MenuGreyingAndCommands) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    duEditMenuState s = edit_->GetMenuState();
    EXPECT_FALSE(s.undo || s.paste || s.copy || s.cut || s.clear || s.selectAll);

    edit_->SetText(L"abc");
    edit_->SetSel(0, 1);
    s = edit_->GetMenuState();
    EXPECT_TRUE(s.copy && s.cut && s.clear && s.selectAll);
    EXPECT_FALSE(s.undo || s.paste);

    edit_->RunMenuCommand(EDITCMD_SELECTALL);
    edit_->RunMenuCommand(EDITCMD_CUT);
    EXPECT_EQ(Text(edit_), L"");
    EXPECT_EQ(GetTestClipboard(), L"abc");
    s = edit_->GetMenuState();
    EXPECT_TRUE(s.undo && s.paste);
    EXPECT_FALSE(s.selectAll);
    edit_->RunMenuCommand(EDITCMD_UNDO);
    EXPECT_EQ(Text(edit_), L"abc");
    edit_->RunMenuCommand(EDITCMD_PASTE);  // over the restored selection
    EXPECT_EQ(Text(edit_), L"abc");
    edit_->SetSel(3, 3);
    edit_->RunMenuCommand(EDITCMD_PASTE);
    EXPECT_EQ(Text(edit_), L"abcabc");
    edit_->SetSel(0, 3);
    edit_->RunMenuCommand(EDITCMD_CLEAR);
    EXPECT_EQ(Text(edit_), L"abc");
    edit_->RunMenuCommand(EDITCMD_COPY);

    edit_->SetReadOnly(TRUE);
    edit_->SetSel(0, 1);
    s = edit_->GetMenuState();
    EXPECT_TRUE(s.copy && s.selectAll);
    EXPECT_FALSE(s.undo || s.paste || s.cut || s.clear);
    edit_->RunMenuCommand(EDITCMD_CLEAR);
    Focus(edit_);
    win_->Type(L"zz");
    EXPECT_EQ(Text(edit_), L"abc");

    MenuHandle menu(BuildEditMenu(s));
    ASSERT_TRUE(menu);
    EXPECT_EQ(GetMenuItemCount(menu.get()), 8);
    EXPECT_TRUE(GetMenuState(menu.get(), EDITCMD_CUT, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(menu.get(), EDITCMD_COPY, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(GetMenuState(menu.get(), 1, MF_BYPOSITION) & MF_SEPARATOR);
    wchar_t label[16] = {};
    GetMenuStringW(menu.get(), EDITCMD_SELECTALL, label, 16, MF_BYCOMMAND);
    EXPECT_STREQ(label, L"全选");
}

TEST_F(EditTest, CaretFollowsTypingAndTheViewScrolls) {
    Focus(edit_);
    win_->Type(kPath);
    EXPECT_EQ(HIWORD(edit_->GetSel()), static_cast<int>(kPath.size()));
    EXPECT_GT(edit_->GetFirstVisible(), 0);
    POINT caret;
    edit_->PosFromChar(static_cast<int>(kPath.size()), &caret);
    RECT r, line = edit_->GetTextLine();
    edit_->GetRect(&r);
    EXPECT_LE(caret.x, r.left + line.right);
    EXPECT_GE(caret.x, r.left + line.left);
    POINT system{};
    ASSERT_TRUE(GetCaretPos(&system));
    EXPECT_EQ(system.x, caret.x);
    EXPECT_EQ(system.y, caret.y);
    win_->Key(VK_HOME);
    EXPECT_EQ(edit_->GetFirstVisible(), 0);
    EXPECT_EQ(edit_->CharFromPos(r.left + line.left), 0);
    ASSERT_TRUE(GetCaretPos(&system));
    EXPECT_EQ(system.x, r.left + line.left);

    // Hidden while focused: the focus and the caret go.
    SetPluginVisible(edit_, FALSE);
    EXPECT_EQ(win_->Host()->GetFocusPlugin(), nullptr);
    EXPECT_FALSE(edit_->IsFocus());
    win_->Type(L"z");
    EXPECT_EQ(Text(edit_), kPath);
}

TEST(EditOnLayeredWindow, TextKeepsItsAlpha) {
    TempDir dir;
    WriteSkin(dir, ListEditTestSkin());
    TestWindow win(dir, L"Glass");
    ASSERT_TRUE(win.Ok());
    auto* edit = win.As<duEdit>(L"GlassEdit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(std::wstring(edit->GetText()), L"Glass text");
    win.FullPaint();
    int opaqueBlue = 0, clear = 0, other = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 200; ++x) {
            const DWORD p = win.Pixel(x, y);
            const int a = p >> 24, r = (p >> 16) & 0xFF, b = p & 0xFF;
            if (a == 0 && (p & 0xFFFFFF) == 0) ++clear;
            else if (a == 255 && b > 150 && r < 60) ++opaqueBlue;
            else if (r > a || (p & 0xFF) > static_cast<DWORD>(a)) ++other;  // not premultiplied
        }
    }
    EXPECT_GT(opaqueBlue + 0, 5) << "glyph cores are opaque text colour";
    EXPECT_GT(clear, 200 * 40 / 2) << "around the glyphs the window stays transparent";
    EXPECT_EQ(other, 0);

    // A selection is an opaque band of the select colour.
    POINT p;
    edit->PosFromChar(0, &p);
    win.Click(p.x + 2, p.y + 5);
    edit->SetSel(0, 5);
    win.FullPaint();
    POINT end;
    edit->PosFromChar(5, &end);
    int band = 0;
    for (int x = p.x; x < end.x; ++x)
        if (win.Pixel(x, p.y + 1) == 0xFF3FACE5u) ++band;
    EXPECT_GT(band, (end.x - p.x) / 2);
}

// ---- input that must not reach the edit, and what survives changes ---------

TEST_F(EditTest, CaptureTakenByAnotherWindowEndsTheDrag) {
    DragPastTheRightEdge();
    ASSERT_EQ(edit_->GetScrollDirection(), 1);
    const DWORD selection = edit_->GetSel();

    CaptureThief thief;
    thief.Steal();
    EXPECT_FALSE(edit_->IsTracking());
    EXPECT_EQ(win_->Host()->GetCapturePlugin(), nullptr);
    // The auto-scroll timer no longer extends the selection with the button up.
    win_->Timer(edit_->GetTimerId());
    win_->Timer(edit_->GetTimerId());
    EXPECT_EQ(edit_->GetSel(), selection);
}

TEST_F(EditTest, DisabledEditTakesNoInputEvenWithTheFocus) {
    Focus(edit_);
    win_->Type(L"abc");
    edit_->SetSel(0, 2);
    ASSERT_TRUE(PutTestClipboard(L"PASTE"));
    edit_->SetDisable(TRUE);
    ASSERT_EQ(win_->Host()->GetFocusPlugin(), edit_);

    win_->Type(L"x");
    win_->Char(8);                 // Backspace
    win_->Char(0x16, kCtrl);       // Ctrl+V
    win_->Char(0x18, kCtrl);       // Ctrl+X
    win_->Char(0x1A, kCtrl);       // Ctrl+Z
    win_->Char(1, kCtrl);          // Ctrl+A
    win_->Send(WM_PASTE);
    win_->Send(WM_CUT);
    win_->Send(WM_CLEAR);
    win_->Send(WM_UNICHAR, L'y');
    win_->Key(VK_DELETE);
    win_->Key(VK_INSERT, kShift);  // Shift+Insert pastes
    EXPECT_EQ(Text(edit_), L"abc");
    EXPECT_EQ(edit_->GetSel(), static_cast<DWORD>(MAKELONG(0, 2)));
    EXPECT_EQ(GetTestClipboard(), L"PASTE");

    // WM_ENABLE gives it back its input.
    win_->Send(WM_ENABLE, TRUE);
    EXPECT_FALSE(edit_->IsDisable());
    win_->Type(L"x");
    EXPECT_EQ(Text(edit_), L"xc");
}

TEST_F(EditTest, TextSetByTheApplicationIsNotUndoneByCtrlZ) {
    Focus(edit_);
    win_->Type(L"abc");
    win_->Key(VK_HOME);
    edit_->ReplaceSel(L"XYZ", FALSE);
    ASSERT_EQ(Text(edit_), L"XYZabc");
    EXPECT_FALSE(edit_->GetMenuState().undo);
    win_->Char(0x1A, kCtrl);
    EXPECT_EQ(Text(edit_), L"XYZabc");

    // An undoable insertion afterwards undoes alone.
    edit_->ReplaceSel(L"12", TRUE);
    win_->Char(0x1A, kCtrl);
    EXPECT_EQ(Text(edit_), L"XYZabc");
}

TEST_F(EditTest, CaretExactlyAtTheRightEdgeIsScrolledIntoView) {
    const std::wstring text = L"Kestrane Vantor";
    edit_->SetText(text.c_str());
    RECT r;
    edit_->GetRect(&r);
    POINT end;
    edit_->PosFromChar(static_cast<int>(text.size()), &end);
    // Make the text line end exactly where the text does.
    const int textRight = end.x - r.left;
    edit_->SetRightBorder((r.right - r.left) - textRight);
    ASSERT_EQ(edit_->GetTextLine().right, textRight);
    Focus(edit_);
    win_->Key(VK_END);
    POINT caret;
    edit_->PosFromChar(static_cast<int>(text.size()), &caret);
    EXPECT_LT(caret.x - r.left, edit_->GetTextLine().right) << "the one-pixel caret lies inside the line";
    EXPECT_GT(edit_->GetFirstVisible(), 0);
}

TEST_F(EditTest, NeighbourRepaintShowsTheEditsNewText) {
    edit_->SetText(L"Old text");
    win_->FullPaint();
    EXPECT_EQ(CountPixels(edit_, IsReddish), 0);
    // Changed without a redraw of its own: the next repaint that covers the
    // edit (here the window's root) shows the empty edit with its red cue.
    edit_->SetText(L"");
    ASSERT_TRUE(RedrawPlugin(win_->Host()->GetRoot(), FALSE));
    EXPECT_GT(CountPixels(edit_, IsReddish), 10);
}

TEST_F(EditTest, AFocusHandlerThatMovesTheFocusOnLeavesNoCaretBehind) {
    win_->onNotify = [this](duPlugin* p, const NotifyRecord& r) {
        if (r.code == DUM_SETFOCUS && p == edit_) win_->Host()->SetFocusPlugin(pwd_, TRUE);
    };
    POINT p = LinePoint(edit_, edit_->GetTextLine().left + 1);
    win_->Click(p.x, p.y);
    win_->onNotify = nullptr;
    EXPECT_EQ(win_->Host()->GetFocusPlugin(), pwd_);
    EXPECT_FALSE(edit_->OwnsCaret()) << "the edit made a caret for a focus it no longer has";
    EXPECT_TRUE(pwd_->OwnsCaret());
    win_->Type(L"k");
    EXPECT_EQ(Text(edit_), L"");
    EXPECT_EQ(Text(pwd_), L"k");
}
