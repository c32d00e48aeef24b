#include "dulib/ctrl/EditModel.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

void Type(duEditModel& m, const std::wstring& s) {
    for (wchar_t c : s) m.OnChar(c, false);
}

const std::wstring kPair = L"\xD840\xDC0B";  // U+2000B, one CJK character

}  // namespace

TEST(EditModel, NumberModeAcceptsOnlyDigitsAndMinusAnywhere) {
    duEditModel m;
    m.number = true;
    EXPECT_EQ(m.OnChar(L'a', false), duEditModel::kNone);
    Type(m, L"12");
    m.MoveCaret(0, false);
    Type(m, L"-x");
    m.MoveCaret(2, false);
    Type(m, L"-");
    EXPECT_EQ(m.Text(), L"-1-2");
    EXPECT_EQ(m.OnCodePoint(0x2000B, false), duEditModel::kNone);
    EXPECT_EQ(m.Text(), L"-1-2");
}

TEST(EditModel, LimitCutsInsertionAndKeepsRemovalWhenStillTooLong) {
    duEditModel m;
    m.SetText(std::wstring(30000, L'x'));
    m.MoveCaret(100, false);
    EXPECT_FALSE(m.ReplaceSel(L"more", true));
    EXPECT_EQ(m.Length(), 30000);

    m.SetSel(10, 20);
    EXPECT_TRUE(m.ReplaceSel(std::wstring(50, L'y'), true));
    EXPECT_EQ(m.Length(), 30000);
    EXPECT_EQ(m.Text().substr(10, 10), std::wstring(10, L'y'));
    EXPECT_EQ(m.Caret(), 20);

    // A limit lowered below the text: deleting still works, inserting adds nothing.
    m.SetLimit(100);
    m.SetSel(0, 5);
    EXPECT_TRUE(m.ReplaceSel(L"abc", true));
    EXPECT_EQ(m.Length(), 29995);
    EXPECT_EQ(m.Text().substr(0, 1), L"x");
}

TEST(EditModel, LimitNeverCutsBetweenHalvesOfAPair) {
    duEditModel m;
    m.SetLimit(4);
    m.SetText(L"ab");
    m.MoveCaret(2, false);
    EXPECT_TRUE(m.ReplaceSel(L"c" + kPair, true));
    EXPECT_EQ(m.Text(), L"abc");
}

TEST(EditModel, TypedRunUndoesAtOnceAndSecondUndoRedoes) {
    duEditModel m;
    m.SetText(L"x");
    m.MoveCaret(1, false);
    EXPECT_FALSE(m.CanUndo());
    Type(m, L"abc");
    EXPECT_EQ(m.Text(), L"xabc");
    EXPECT_EQ(m.OnChar(0x1A, true), duEditModel::kTextChanged);
    EXPECT_EQ(m.Text(), L"x");
    m.OnChar(0x1A, true);
    EXPECT_EQ(m.Text(), L"xabc");
    EXPECT_EQ(m.SelStart(), 1);
    EXPECT_EQ(m.SelEnd(), 4);
}

TEST(EditModel, UndoAfterTypingOverSelectionRestoresIt) {
    duEditModel m;
    m.SetText(L"hello world");
    m.SetSel(6, 11);
    Type(m, L"you");
    EXPECT_EQ(m.Text(), L"hello you");
    m.Undo();
    EXPECT_EQ(m.Text(), L"hello world");
    EXPECT_EQ(m.SelectedText(), L"world");
    m.MoveCaret(0, false);
    m.Undo();
    EXPECT_EQ(m.Text(), L"hello you");
}

TEST(EditModel, ReadOnlyRefusesEdits) {
    duEditModel m;
    m.SetText(L"abc");
    m.readOnly = true;
    m.MoveCaret(3, false);
    EXPECT_EQ(m.OnChar(L'd', false), duEditModel::kNone);
    EXPECT_EQ(m.OnChar(8, false), duEditModel::kNone);
    EXPECT_EQ(m.OnKey(VK_DELETE, false, false), duEditModel::kNone);
    EXPECT_EQ(m.OnChar(0x16, true), duEditModel::kNone);
    EXPECT_EQ(m.OnChar(0x18, true), duEditModel::kNone);
    EXPECT_EQ(m.OnChar(3, true), duEditModel::kWantCopy);
    EXPECT_EQ(m.Text(), L"abc");
}

TEST(EditModel, DeleteKeyTable) {
    duEditModel m;
    m.SetText(L"abcdef");
    m.MoveCaret(3, false);
    m.OnKey(VK_DELETE, false, true);  // Shift+Delete without selection: char before
    EXPECT_EQ(m.Text(), L"abdef");
    EXPECT_EQ(m.Caret(), 2);
    m.OnKey(VK_DELETE, false, false);
    EXPECT_EQ(m.Text(), L"abef");
    m.OnKey(VK_DELETE, true, false);
    EXPECT_EQ(m.Text(), L"ab");
    EXPECT_EQ(m.OnKey(VK_DELETE, true, true), duEditModel::kNone);
    m.SetSel(0, 1);
    EXPECT_EQ(m.OnKey(VK_DELETE, false, true), duEditModel::kWantCut);
    m.OnKey(VK_DELETE, false, false);
    EXPECT_EQ(m.Text(), L"b");
    m.MoveCaret(0, false);
    EXPECT_EQ(m.OnChar(8, false), duEditModel::kCaretMoved);  // nothing before the caret
    EXPECT_EQ(m.Text(), L"b");
}

TEST(EditModel, SurrogatePairsAreNeverSplit) {
    duEditModel m;
    m.SetText(L"a" + kPair + L"b");
    m.MoveCaret(1, false);
    m.OnKey(VK_RIGHT, false, false);
    EXPECT_EQ(m.Caret(), 3);
    m.OnKey(VK_LEFT, false, true);
    EXPECT_EQ(m.Caret(), 1);
    EXPECT_EQ(m.SelectedText(), kPair);
    m.MoveCaret(3, false);
    m.OnChar(8, false);
    EXPECT_EQ(m.Text(), L"ab");
    m.SetText(L"a" + kPair + L"b");
    m.MoveCaret(1, false);
    m.OnKey(VK_DELETE, false, false);
    EXPECT_EQ(m.Text(), L"ab");
    // An index inside a pair snaps to its start.
    m.SetText(L"a" + kPair);
    m.SetSel(2, 3);
    EXPECT_EQ(m.SelStart(), 1);
    m.MoveCaret(2, false);
    EXPECT_EQ(m.Caret(), 1);
    // WM_UNICHAR above 0xFFFF and WM_CHAR halves both insert whole pairs.
    m.SetText(L"");
    m.OnCodePoint(0x2000B, false);
    EXPECT_EQ(m.Text(), kPair);
    EXPECT_EQ(m.Caret(), 2);
    m.OnChar(kPair[0], false);
    EXPECT_EQ(m.Length(), 2);  // half a pair waits for its other half
    m.OnChar(kPair[1], false);
    EXPECT_EQ(m.Text(), kPair + kPair);
    m.OnChar(kPair[1], false);  // a lone second half is dropped
    EXPECT_EQ(m.Length(), 4);
    m.OnKey(VK_LEFT, true, false);
    EXPECT_EQ(m.Caret(), 0);
}

TEST(EditModel, WordsSplitPathsAndMixedScripts) {
    duEditModel m;
    m.SetText(L"安装到C:\\Program Files\\app.exe");
    std::vector<int> stops;
    int i = 0;
    while (i < m.Length()) {
        i = m.NextWordIndex(i);
        stops.push_back(i);
    }
    // 安装到 | C | :\ | Program_ | Files | \ | app | . | exe
    EXPECT_EQ(stops, (std::vector<int>{3, 4, 6, 14, 19, 20, 23, 24, 27}));
    std::vector<int> back;
    i = m.Length();
    while (i > 0) {
        i = m.PrevWordIndex(i);
        back.push_back(i);
    }
    EXPECT_EQ(back, (std::vector<int>{24, 23, 20, 19, 14, 6, 4, 3, 0}));

    int s = 0, e = 0;
    m.WordAt(21, &s, &e);
    EXPECT_EQ(m.Text().substr(s, e - s), L"app");
    m.WordAt(1, &s, &e);
    EXPECT_EQ(m.Text().substr(s, e - s), L"安装到");
    m.WordAt(m.Length(), &s, &e);
    EXPECT_EQ(m.Text().substr(s, e - s), L"exe");
    m.WordAt(23, &s, &e);
    EXPECT_EQ(m.Text().substr(s, e - s), L".");
}

TEST(EditModel, PasswordDisplayCountsCharactersNotUnits) {
    duEditModel m;
    m.password = true;
    m.SetText(L"a" + kPair + L"b");
    EXPECT_EQ(m.DisplayText(), L"***");
    EXPECT_EQ(m.DisplayIndex(3), 2);
    EXPECT_EQ(m.BufferIndex(2), 3);
    EXPECT_EQ(m.OnChar(0x18, true), duEditModel::kNone);
}

TEST(EditModel, SelectAllAndCaretKeys) {
    duEditModel m;
    m.SetText(L"abc");
    m.OnChar(1, true);
    EXPECT_EQ(m.SelectedText(), L"abc");
    m.OnKey(VK_LEFT, false, false);
    EXPECT_EQ(m.Caret(), 0);
    EXPECT_FALSE(m.HasSelection());
    m.OnKey(VK_END, false, true);
    EXPECT_EQ(m.SelectedText(), L"abc");
    m.OnKey(VK_HOME, false, false);
    EXPECT_EQ(m.Caret(), 0);
    EXPECT_EQ(m.OnKey(VK_INSERT, false, true), duEditModel::kWantPaste);
    EXPECT_EQ(m.OnKey(VK_INSERT, true, false), duEditModel::kWantCopy);
}
