// Placement arithmetic, name matching, effective states and the plugin tree
// (loading, z-order levels, cloning, linking, registry checks).
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "dulib/res/duResManager.h"
#include "tests/dulib/ctrl/GuiHarness.h"

using namespace guitest;

namespace {

const RECT kParent{5, 45, 605, 405};

RECT Place(int left, int top, int right, int bottom, int ha, int va, int w, int h, RECT parent = kParent,
           RECT current = RECT{}) {
    PlacementAttrs a;
    a.left = left; a.top = top; a.right = right; a.bottom = bottom;
    a.horzAnchor = ha; a.vertAnchor = va; a.width = w; a.height = h;
    return PlacePlugin(a, parent, current);
}

void ExpectRect(const RECT& r, LONG l, LONG t, LONG rr, LONG b) {
    EXPECT_EQ(l, r.left);
    EXPECT_EQ(t, r.top);
    EXPECT_EQ(rr, r.right);
    EXPECT_EQ(b, r.bottom);
}

}  // namespace

TEST(Placement, WorkedExamples) {
    ExpectRect(Place(-85, 5, 0, 0, 0, 0, 80, 40), 520, 50, 600, 90);
    RECT r = Place(15, 0, 250, 0, 2, 0, 0, 0);
    EXPECT_EQ(20, r.left);
    EXPECT_EQ(355, r.right);
    r = Place(CENTER_POS, 0, 0, 0, 0, 0, 160, 10);
    EXPECT_EQ(225, r.left);
    EXPECT_EQ(385, r.right);
    r = Place(0, 0, 0, 0, 0, 0, 30, 10);  // left 0 stays at the parent's left edge
    EXPECT_EQ(5, r.left);
    // "center" with stretching: equal margins of `right`.
    r = Place(CENTER_POS, 0, 40, 0, 2, 0, 0, 0);
    EXPECT_EQ(45, r.left);
    EXPECT_EQ(565, r.right);
}

TEST(Placement, NegativeRightWithStretchCountsFromTheLeftEdge) {
    RECT r = Place(10, 0, -30, 0, 2, 0, 0, 0);
    EXPECT_EQ(15, r.left);
    EXPECT_EQ(35, r.right);
    r = Place(10, 0, -30, 0, 2, 0, 0, 0, RECT{5, 0, 1005, 10});  // independent of the width
    EXPECT_EQ(35, r.right);
    r = Place(0, 10, 0, -8, 0, 2, 0, 0);
    EXPECT_EQ(55, r.top);
    EXPECT_EQ(53, r.bottom);
}

TEST(Placement, PercentSizesAndOtherAnchors) {
    RECT r = Place(0, 0, 0, 0, 1, 1, 50, 25);
    EXPECT_EQ(300, r.right - r.left);
    EXPECT_EQ(90, r.bottom - r.top);
    r = Place(CENTER_POS, 0, 0, 0, 1, 0, 50, 0);
    EXPECT_EQ(155, r.left);
    r = Place(0, 0, 0, 0, 0, 0, 50, 0);
    EXPECT_EQ(50, r.right - r.left);
    // Anchor 3: plain offset, a negative left is not read from the right.
    r = Place(-10, 0, 0, 0, 3, 0, 20, 0);
    EXPECT_EQ(-5, r.left);
    EXPECT_EQ(15, r.right);
    // Anchor 5 leaves that axis as it was.
    r = Place(10, 10, 0, 0, 5, 0, 20, 20, kParent, RECT{1, 2, 3, 4});
    EXPECT_EQ(1, r.left);
    EXPECT_EQ(3, r.right);
    EXPECT_EQ(55, r.top);
    EXPECT_EQ(75, r.bottom);
}

TEST(Placement, HugeSkinValuesSaturateInsteadOfWrapping) {
    // 5000000 percent of a 600-pixel parent is 30000000 pixels: more than
    // fits an int on the way, not in the result.
    RECT r = Place(0, 0, 0, 0, 1, 0, 5000000, 10);
    EXPECT_EQ(5, r.left);
    EXPECT_EQ(5 + 30000000, r.right);
    r = Place(CENTER_POS, 0, 0, 0, 1, 0, 5000000, 10);
    EXPECT_EQ(5 + (600 - 30000000) / 2, r.left);
    EXPECT_EQ(r.left + 30000000, r.right);
    // Positions and sizes near the ends of the int range stay ordered.
    for (int left : {2000000000, -2000000000, INT_MAX, INT_MIN + 1}) {
        for (int width : {2000000000, INT_MAX}) {
            for (int anchor : {0, 1, 3}) {
                r = Place(left, left, width, width, anchor, anchor, width, width);
                EXPECT_LE(r.left, r.right) << left << " " << width << " " << anchor;
                EXPECT_LE(r.right - static_cast<long long>(r.left), INT_MAX);
                EXPECT_LE(r.top, r.bottom) << left << " " << width << " " << anchor;
            }
        }
    }
}

TEST(MatchNameTable, WildcardsAndCase) {
    EXPECT_TRUE(MatchName(L"SetupItemCheckBox_*", L"SetupItemCheckBox_12"));
    EXPECT_TRUE(MatchName(L"SetupItemCheckBox_*", L"SetupItemCheckBox_"));
    EXPECT_TRUE(MatchName(L"SetupItemCheckBox_?", L"SetupItemCheckBox_"));
    EXPECT_TRUE(MatchName(L"SetupItemCheckBox_?", L"SetupItemCheckBox_1"));
    EXPECT_FALSE(MatchName(L"SetupItemCheckBox_?", L"SetupItemCheckBox_12"));
    EXPECT_FALSE(MatchName(L"setupitemcheckbox_*", L"SetupItemCheckBox_1"));
    EXPECT_TRUE(MatchName(L"Setup*Box_?", L"SetupItemCheckBox_7"));
    EXPECT_TRUE(MatchName(L"a*b?c", L"axxbc"));
    EXPECT_TRUE(MatchName(L"*", L""));
    EXPECT_TRUE(MatchName(L"", L""));
    EXPECT_FALSE(MatchName(L"", L"a"));
    EXPECT_FALSE(MatchName(L"abc", L"ab"));
    EXPECT_FALSE(MatchName(nullptr, L"a"));
    EXPECT_FALSE(MatchName(L"a", nullptr));
    // Many stars on a long name stay fast (no backtracking blow-up).
    std::wstring name(3000, L'a');
    EXPECT_FALSE(MatchName(L"*a*a*a*a*a*a*a*a*a*a*b", name.c_str()));
}

TEST(EffectiveState, FocusAndDisableRules) {
    duPlugin* p = CreatePluginByTag(L"STATIC");
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(STATE_NORMAL, p->GetState());
    p->SetFocus(1);
    EXPECT_EQ(STATE_FOCUS, p->GetState());
    p->SetState(STATE_OVER);
    EXPECT_EQ(STATE_OVER, p->GetState());  // focus shows only over the normal state
    p->SetState(STATE_CHECKED);
    EXPECT_EQ(STATE_CHECKEDFOCUS, p->GetState());
    p->SetState(STATE_CHECKEDOVER);
    EXPECT_EQ(STATE_CHECKEDOVER, p->GetState());
    p->SetDisable(1);
    EXPECT_EQ(STATE_CHECKEDDISABLE, p->GetState());
    p->SetState(STATE_PRESS);
    EXPECT_EQ(STATE_DISABLE, p->GetState());
    p->Destroy();
}

TEST(PluginModel, CacheBitmapIsDeletedOnlyWhenReplaced) {
    duPlugin* p = CreatePluginByTag(L"static");
    ASSERT_NE(nullptr, p);
    HBITMAP first = ::CreateBitmap(4, 4, 1, 32, nullptr);
    HBITMAP second = ::CreateBitmap(4, 4, 1, 32, nullptr);
    p->SetCacheBitmap(first);
    p->SetCacheBitmap(p->GetCacheBitmap());  // the same bitmap again
    EXPECT_EQ(OBJ_BITMAP, static_cast<int>(::GetObjectType(first)));
    EXPECT_EQ(first, p->GetCacheBitmap());
    p->SetCacheBitmap(second);
    EXPECT_EQ(0, static_cast<int>(::GetObjectType(first)));
    p->Destroy();
    EXPECT_EQ(0, static_cast<int>(::GetObjectType(second)));
}

TEST(Factory, KnowsEveryTagOfItsTable) {
    const wchar_t* tags[] = {L"duwindow", L"button", L"layout", L"tabbutton", L"checkbox", L"radio", L"static",
                             L"edit", L"scrollbar", L"scrollview", L"reportview", L"listbox", L"qvlistbox",
                             L"combobox", L"listboxex", L"qvlistboxex", L"impanelnode", L"scrollcontainer",
                             L"hwndobj", L"gifctrl", L"animatectrl", L"ledtimer", L"menubar", L"outlookbar",
                             L"progress", L"slider", L"splitter", L"treectrl", L"link", L"xmlstatic",
                             L"staticex", L"mledit", L"calendarctrl", L"menu", L"menuitem", L"spin"};
    for (const wchar_t* tag : tags) {
        duPlugin* p = CreatePluginByTag(tag);
        ASSERT_NE(nullptr, p) << tag;
        p->Destroy();
    }
    EXPECT_EQ(nullptr, CreatePluginByTag(L"nosuchcontrol"));
    duPlugin* b = CreatePluginByTag(L"Button");
    EXPECT_STREQ(L"duButton", b->GetClassName());
    b->Destroy();
}

namespace {

std::wstring TreeSkin() {
    std::wstring longName(200, L'N');
    return SkinDocument(LR"XML(<duwindow name="W" width="400" height="300" style="white">
  <layout name="List" left="0" top="0" width="400" height="300">
    <layout name="SetupItem_" visible="false" left="0" top="0" width="400" height="50">
      <static name="SetupItemStaticName_" left="0" top="0" width="100" height="20"/>
      <checkbox name="SetupItemCheckBox_" left="100" top="0" width="20" height="20"/>
    </layout>
  </layout>
  <static name="Centered" left="CENTER" top="Center" width="100" height="50"/>
  <static name="Half" horzanchor="1" width="50%" height="10"/>
  <static name="Fifty" width="50%" height="10"/>
  <static name="Dup" text="first"/>
  <static name="Dup" text="second"/>
  <nosuchtag name="Unknown"><static name="InsideUnknown"/></nosuchtag>
  <static name="Z7" zorder="7" width="10" height="10"><static name="Z7child"/></static>
  <static name=")XML" + longName + LR"XML("/>
  <static name="Flags" visible="TRUE" cached="true" ghost="yes" alpha="" />
</duwindow>)XML");
}

}  // namespace

TEST(PluginTree, LoadsAttributesAndLevels) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* root = w.Host()->GetRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(0, root->GetZorder());
    EXPECT_EQ(1, w.Get(L"List")->GetZorder());
    EXPECT_EQ(2, w.Get(L"SetupItem_")->GetZorder());
    EXPECT_EQ(3, w.Get(L"SetupItemStaticName_")->GetZorder());
    EXPECT_EQ(7, w.Get(L"Z7")->GetZorder());
    EXPECT_EQ(8, w.Get(L"Z7child")->GetZorder());

    duPlugin* c = w.Get(L"Centered");
    EXPECT_EQ(CENTER_POS, c->GetPosLeft());
    EXPECT_EQ(CENTER_POS, c->GetPosTop());
    RECT r;
    c->GetRect(&r);
    EXPECT_EQ(150, r.left);
    EXPECT_EQ(125, r.top);
    w.Get(L"Half")->GetRect(&r);
    EXPECT_EQ(200, r.right - r.left);
    w.Get(L"Fifty")->GetRect(&r);
    EXPECT_EQ(50, r.right - r.left);

    EXPECT_STREQ(L"first", w.Get(L"Dup")->GetText());
    EXPECT_EQ(nullptr, w.Get(L"Unknown"));
    EXPECT_EQ(nullptr, w.Get(L"InsideUnknown"));
    EXPECT_EQ(127u, wcslen(w.Get(std::wstring(127, L'N').c_str())->GetName()));

    duPlugin* f = w.Get(L"Flags");
    EXPECT_TRUE(f->IsVisible());  // only the exact word changes a flag
    EXPECT_TRUE(f->IsCached());
    EXPECT_FALSE(f->IsGhost());
    EXPECT_EQ(255, f->GetAlpha());
    EXPECT_STREQ(L"static", f->GetType());
    EXPECT_TRUE(IsValidPlugin(f));
}

TEST(PluginTree, ClonesWithIndexedNamesAndRefusesTakenNames) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* list = w.Get(L"List");
    duPlugin* templ = w.Get(L"SetupItem_");
    duPlugin* one = ClonePlugin(templ, list, list->GetLastChild(), 1);
    ASSERT_NE(nullptr, one);
    EXPECT_STREQ(L"SetupItem_1", one->GetName());
    EXPECT_FALSE(one->IsVisible());
    EXPECT_EQ(one, w.Get(L"SetupItem_1"));
    ASSERT_NE(nullptr, w.Get(L"SetupItemStaticName_1"));
    EXPECT_EQ(one, w.Get(L"SetupItemStaticName_1")->GetParent());
    EXPECT_NE(nullptr, w.Get(L"SetupItemCheckBox_1"));
    EXPECT_EQ(nullptr, ClonePlugin(templ, list, list->GetLastChild(), 1));
    duPlugin* two = ClonePlugin(templ, list, list->GetLastChild(), 2);
    ASSERT_NE(nullptr, two);
    EXPECT_STREQ(L"SetupItemStaticName_2", two->GetFirstChild()->GetName());
    // Rows appear in creation order after the template.
    EXPECT_EQ(templ, list->GetFirstChild());
    EXPECT_EQ(one, templ->GetNextSibling());
    EXPECT_EQ(two, one->GetNextSibling());
    EXPECT_EQ(two, list->GetLastChild());
    // Without an anchor the clone becomes the first child.
    duPlugin* three = ClonePlugin(templ, list, nullptr, 3);
    EXPECT_EQ(three, list->GetFirstChild());
    EXPECT_EQ(2, three->GetZorder());
    // Dead pointers are refused.
    one->Destroy();
    EXPECT_FALSE(IsValidPlugin(one));
    EXPECT_EQ(nullptr, w.Get(L"SetupItem_1"));
    EXPECT_EQ(nullptr, w.Get(L"SetupItemCheckBox_1"));
    EXPECT_EQ(two, templ->GetNextSibling());
    EXPECT_EQ(nullptr, ClonePlugin(one, list, nullptr, 9));
    EXPECT_EQ(nullptr, ClonePlugin(templ, list, one, 9));
}

TEST(PluginTree, ANameTakenTwicePassesOnWhenItsBearerGoes) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* first = w.Get(L"Dup");
    ASSERT_STREQ(L"first", first->GetText());
    first->Destroy();
    ASSERT_NE(nullptr, w.Get(L"Dup"));
    EXPECT_STREQ(L"second", w.Get(L"Dup")->GetText());
}

TEST(PluginTree, AttachChildMovesAfterNamedSibling) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* list = w.Get(L"List");
    duPlugin* c = w.Get(L"Centered");
    EXPECT_EQ(w.Host()->GetRoot(), AttachChild(c, list, L"SetupItem_"));
    EXPECT_EQ(list, c->GetParent());
    EXPECT_EQ(c, w.Get(L"SetupItem_")->GetNextSibling());
    EXPECT_EQ(c, list->GetLastChild());
    // No such sibling: first child.
    duPlugin* half = w.Get(L"Half");
    AttachChild(half, list, L"NoSuchName");
    EXPECT_EQ(half, list->GetFirstChild());
    // A plugin cannot go under its own descendant; dead pointers do nothing.
    EXPECT_EQ(nullptr, AttachChild(list, w.Get(L"SetupItem_"), nullptr));
    EXPECT_EQ(nullptr, AttachChild(reinterpret_cast<duPlugin*>(0x1234), list, nullptr));
}

TEST(PluginTree, FlatOperationsIgnoreDeadPlugins) {
    auto* bogus = reinterpret_cast<duPlugin*>(0x10);
    EXPECT_FALSE(RedrawPlugin(bogus, TRUE));
    EXPECT_EQ(0, NotifyUser(bogus, DUM_BTNCLICK, 0, 0));
    SetPluginVisible(bogus, FALSE);
    MovePlugin(bogus, nullptr);
    EXPECT_FALSE(IsPluginShown(bogus));
    RECT r = GetVisibleRect(bogus);
    EXPECT_TRUE(::IsRectEmpty(&r));
    EXPECT_EQ(nullptr, GetPluginByName(nullptr, L"x"));
    EXPECT_FALSE(AttachWindow(nullptr, nullptr, L"W"));
}

namespace {
struct Recorder : duListener {
    std::vector<int> codes;
    duPlugin* last = nullptr;
    void OnNotify(int code, duPlugin* plugin, int, int) override {
        codes.push_back(code);
        last = plugin;
    }
};
}  // namespace

TEST(PluginTree, ListenersHearNotificationsBeforeTheWindow) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    duPlugin* c = w.Get(L"Centered");
    Recorder rec;
    c->AddListener(&rec);
    c->AddListener(&rec);  // once only
    bool windowSawListener = false;
    w.onNotify = [&](duPlugin*, const NotifyRecord&) { windowSawListener = rec.codes.size() == 1; };
    NotifyUser(c, 77, 1, 2);
    ASSERT_EQ(1u, rec.codes.size());
    EXPECT_EQ(77, rec.codes[0]);
    EXPECT_EQ(c, rec.last);
    EXPECT_TRUE(windowSawListener);
    ASSERT_EQ(1u, w.notes.size());
    EXPECT_EQ(1, w.notes[0].param1);
    EXPECT_EQ(2, w.notes[0].param2);
    c->RemoveListener(&rec);
    NotifyUser(c, 78, 0, 0);
    EXPECT_EQ(1u, rec.codes.size());
}

TEST(WindowManager, AttachRefusesUnknownNamesDeadWindowsAndSecondAttach) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    EXPECT_FALSE(AttachWindow(w.Manager(), w.Hwnd(), L"W"));
    EXPECT_FALSE(AttachWindow(w.Manager(), w.Hwnd(), L"NoSuchWindow"));
    HWND other = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_FALSE(AttachWindow(w.Manager(), other, L"NoSuchWindow"));
    EXPECT_EQ(nullptr, WindowHost::FromHwnd(other));
    ::DestroyWindow(other);
    EXPECT_FALSE(AttachWindow(w.Manager(), other, L"W"));
    TempDir empty;
    EXPECT_EQ(nullptr, CreateWindowManager(empty.Path().c_str()));
}

TEST(WindowManager, TeardownDestroysEveryPlugin) {
    TempDir dir;
    WriteSkin(dir, TreeSkin());
    auto w = std::make_unique<TestWindow>(dir);
    ASSERT_TRUE(w->Ok());
    duPlugin* list = w->Get(L"List");
    duPlugin* clone = ClonePlugin(w->Get(L"SetupItem_"), list, nullptr, 4);
    ASSERT_TRUE(IsValidPlugin(clone));
    // Looked up just before (the answer is kept) and alongside another window.
    TestWindow other(dir);
    ASSERT_TRUE(other.Ok());
    WindowHost* host = WindowHost::FromHwnd(w->Hwnd());
    ASSERT_NE(nullptr, host);
    EXPECT_NE(host, WindowHost::FromHwnd(other.Hwnd()));
    EXPECT_EQ(host, WindowHost::FromHwnd(w->Hwnd()));
    ::DestroyWindow(w->Hwnd());
    EXPECT_FALSE(IsValidPlugin(list));
    EXPECT_FALSE(IsValidPlugin(clone));
    EXPECT_EQ(nullptr, WindowHost::FromHwnd(w->Hwnd()));
    EXPECT_EQ(other.Host(), WindowHost::FromHwnd(other.Hwnd()));
}

TEST(PluginTree, TextsCutAt127UnitsNeverEndInHalfACharacter) {
    const std::wstring pair = L"\xD840\xDC0B";  // U+2000B, two UTF-16 units
    const std::wstring name = std::wstring(126, L'M') + pair + L"tail";
    const std::wstring tip = std::wstring(126, L'T') + pair;
    TempDir dir;
    WriteSkin(dir, SkinDocument(LR"XML(<duwindow name="W" width="200" height="100" style="white">
  <button name=")XML" + name + LR"XML(" style=")XML" + name + LR"XML(" tooltip=")XML" + tip +
                                LR"XML(" left="0" top="0" width="50" height="30"/>
</duwindow>)XML"));
    TestWindow w(dir);
    ASSERT_TRUE(w.Ok());
    auto* button = w.As<duButton>(std::wstring(126, L'M').c_str());
    ASSERT_NE(nullptr, button) << "the name keeps 126 units, without the pair's first half";
    EXPECT_EQ(std::wstring(126, L'M'), button->GetStyle());
    EXPECT_EQ(std::wstring(126, L'T'), std::wstring(button->Face().tooltip));
    // Resource names are cut the same way.
    TempDir resDir;
    std::wstring theme = Theme();
    theme.replace(theme.find(L"name=\"red\""), 10, L"name=\"" + name + L"\"");
    WriteSkin(resDir, L"<directui>" + theme + L"<ducontrol/></directui>");
    TestWindow plain(resDir, L"none", false);
    ASSERT_NE(nullptr, plain.Manager());
    EXPECT_NE(nullptr, plain.Manager()->GetResManager()->GetResObj(std::wstring(126, L'M').c_str(), RES_STYLE));
}
