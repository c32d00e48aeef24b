// The accessible objects of a skinned window as a screen reader reads them
// (AccessibleObjectFromWindow in the window's own process; the installer's
// tests do the same from another process), their actions, and the WinEvents.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dulib/ctrl/Accessibility.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duProgress.h"
#include "tests/common/AccessibleClient.h"
#include "tests/dulib/ctrl/KeyboardWindow.h"

using namespace guitest;

namespace {

struct Expected {
    const wchar_t* name;
    long role;
};

RECT ScreenRect(HWND hwnd, duPlugin* p) {
    RECT r = RectOf(p);
    ::MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

}  // namespace

using AccessibleTest = KeyboardWindow;

TEST_F(AccessibleTest, ClientListsItsControlsWithRolesNamesStatesAndPlaces) {
    a11y::Object client = a11y::ClientOf(win_->Hwnd());
    ASSERT_TRUE(client);
    EXPECT_EQ(a11y::Role(client), ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(a11y::Name(client), L"Keys");

    // Plain layouts (the radios' group) are looked through; the page and the
    // graphic are objects because the skin names them. Names come from the
    // text, the tooltip (Pic), the statics beside (E) or accname.
    const std::vector<Expected> expected = {
        {L"A", ROLE_SYSTEM_PUSHBUTTON},       {L"H", ROLE_SYSTEM_PUSHBUTTON},
        {L"Off", ROLE_SYSTEM_PUSHBUTTON},     {L"C", ROLE_SYSTEM_CHECKBUTTON},
        {L"Picture", ROLE_SYSTEM_PUSHBUTTON}, {L"R1", ROLE_SYSTEM_RADIOBUTTON},
        {L"R2", ROLE_SYSTEM_RADIOBUTTON},     {L"R3", ROLE_SYSTEM_RADIOBUTTON},
        {L"Folder", ROLE_SYSTEM_STATICTEXT},  {L"Folder", ROLE_SYSTEM_TEXT},
        {L"Packages", ROLE_SYSTEM_LIST},      {L"Progress", ROLE_SYSTEM_PROGRESSBAR},
        {L"Skip", ROLE_SYSTEM_PUSHBUTTON},    {L"Page one", ROLE_SYSTEM_PROPERTYPAGE},
        {L"Done", ROLE_SYSTEM_GRAPHIC},
    };
    const std::vector<a11y::Object> kids = a11y::Kids(client);
    ASSERT_EQ(kids.size(), expected.size());
    for (size_t i = 0; i < kids.size(); ++i) {
        EXPECT_EQ(a11y::Name(kids[i]), expected[i].name) << i;
        EXPECT_EQ(a11y::Role(kids[i]), expected[i].role) << i;
        // The same answers through the parent with a child index.
        EXPECT_EQ(a11y::Name(client, a11y::Child(static_cast<LONG>(i) + 1)), expected[i].name);
    }

    EXPECT_EQ(a11y::State(kids[0]), STATE_SYSTEM_FOCUSABLE);
    EXPECT_TRUE(a11y::State(kids[1]) & STATE_SYSTEM_INVISIBLE);
    EXPECT_TRUE(a11y::State(kids[2]) & STATE_SYSTEM_UNAVAILABLE);
    EXPECT_FALSE(a11y::State(kids[2]) & STATE_SYSTEM_FOCUSABLE);
    EXPECT_FALSE(a11y::State(kids[3]) & STATE_SYSTEM_CHECKED);
    EXPECT_TRUE(a11y::State(kids[6]) & STATE_SYSTEM_CHECKED);
    EXPECT_EQ(a11y::Value(kids[11]), L"0%");
    EXPECT_TRUE(SameRect(a11y::Location(kids[0]), ScreenRect(win_->Hwnd(), win_->Get(L"A"))));
    EXPECT_TRUE(SameRect(a11y::Location(client), ScreenRect(win_->Hwnd(), win_->Get(L"W"))));

    // Focus, check and value follow the controls.
    win_->Key(VK_TAB);
    win_->Key(VK_TAB);
    win_->Key(VK_SPACE);
    EXPECT_EQ(a11y::State(kids[3]), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_CHECKED);
    EXPECT_EQ(a11y::State(kids[0]), STATE_SYSTEM_FOCUSABLE);
    win_->As<duProgress>(L"Progress")->SetPos(42);
    EXPECT_EQ(a11y::Value(kids[11]), L"42%");
    win_->As<duEdit>(L"E")->SetText(L"C:\\Apps");
    EXPECT_EQ(a11y::Value(kids[9]), L"C:\\Apps");

    // Rows: the template stays hidden; each row reads its texts and carries
    // its check box's state.
    const std::vector<a11y::Object> rows = a11y::Kids(kids[10]);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_TRUE(a11y::State(rows[0]) & STATE_SYSTEM_INVISIBLE);
    EXPECT_EQ(a11y::Name(rows[2]), L"Package 2");
    EXPECT_EQ(a11y::Role(rows[2]), ROLE_SYSTEM_LISTITEM);
    EXPECT_EQ(a11y::State(rows[2]), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_CHECKED);
    const std::vector<a11y::Object> inRow = a11y::Kids(rows[2]);
    ASSERT_EQ(inRow.size(), 2u);
    EXPECT_EQ(a11y::Role(inRow[0]), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(a11y::Name(inRow[0]), L"Package 2") << "a box without text reads the texts beside it";

    const std::vector<a11y::Object> page = a11y::Kids(kids[13]);
    ASSERT_EQ(page.size(), 2u);
    EXPECT_TRUE(a11y::State(page[0]) & STATE_SYSTEM_DEFAULT);
    EXPECT_EQ(a11y::Shortcut(page[0]), L"Enter");
    EXPECT_EQ(a11y::Shortcut(page[1]), L"Esc");

    // A name given by the application wins.
    SetAccessibleName(win_->Get(L"Picture"), L"Failed");
    EXPECT_EQ(a11y::Name(kids[14]), L"Failed");
}

TEST_F(AccessibleTest, DefaultActionsRunOnTheWindowsOwnLoop) {
    a11y::Object client = a11y::ClientOf(win_->Hwnd());
    a11y::Object ok = a11y::Find(client, L"OK");
    a11y::Object box = a11y::Find(client, L"C");
    a11y::Object row = a11y::Find(client, L"Package 1");
    a11y::Object off = a11y::Find(client, L"Off");
    ASSERT_TRUE(ok && box && row && off);
    EXPECT_EQ(a11y::DefaultAction(ok), L"Press");
    EXPECT_EQ(a11y::DefaultAction(box), L"Check");
    EXPECT_EQ(a11y::DefaultAction(row), L"Uncheck");
    EXPECT_EQ(a11y::DefaultAction(a11y::Find(client, L"Folder")), L"");

    win_->notes.clear();
    EXPECT_EQ(ok->accDoDefaultAction(a11y::Self()), S_OK);
    EXPECT_TRUE(win_->notes.empty()) << "the action waits for the window's loop";
    EXPECT_TRUE(win_->PumpUntil([&] { return win_->Has(L"Ok", DUM_BTNCLICK); }));
    EXPECT_EQ(box->accDoDefaultAction(a11y::Self()), S_OK);
    EXPECT_EQ(row->accDoDefaultAction(a11y::Self()), S_OK);
    EXPECT_TRUE(win_->PumpUntil([&] { return win_->Has(L"RowBox_1", DUM_CKCLICK); }));
    EXPECT_TRUE(win_->As<duCheckBox>(L"C")->IsChecked());
    EXPECT_FALSE(win_->As<duCheckBox>(L"RowBox_1")->IsChecked());
    EXPECT_EQ(a11y::DefaultAction(box), L"Uncheck");
    EXPECT_EQ(off->accDoDefaultAction(a11y::Self()), E_FAIL);
}

TEST_F(AccessibleTest, FocusHitTestSelectionAndNavigation) {
    a11y::Object client = a11y::ClientOf(win_->Hwnd());
    VARIANT v;
    ::VariantInit(&v);
    EXPECT_EQ(client->get_accFocus(&v), S_OK);
    EXPECT_EQ(a11y::FromVariant(client, v).get(), client.get()) << "nothing focused inside: the client";
    win_->Key(VK_TAB);
    ::VariantInit(&v);
    ASSERT_EQ(client->get_accFocus(&v), S_OK);
    EXPECT_EQ(a11y::Name(a11y::FromVariant(client, v)), L"A");

    RECT r3 = ScreenRect(win_->Hwnd(), win_->Get(L"R3"));
    ::VariantInit(&v);
    ASSERT_EQ(client->accHitTest((r3.left + r3.right) / 2, (r3.top + r3.bottom) / 2, &v), S_OK);
    EXPECT_EQ(a11y::Name(a11y::FromVariant(client, v)), L"R3");
    ::VariantInit(&v);
    EXPECT_EQ(client->accHitTest(-5000, -5000, &v), S_FALSE);

    a11y::Object edit = a11y::Kids(client)[9];
    EXPECT_EQ(edit->accSelect(SELFLAG_TAKEFOCUS, a11y::Self()), S_OK);
    EXPECT_EQ(FocusName(), L"E");
    a11y::Object list = a11y::Find(client, L"Packages");
    a11y::Object second = a11y::Find(list, L"Package 2");
    EXPECT_EQ(second->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, a11y::Self()), S_OK);
    EXPECT_EQ(FocusName(), L"Row_2");
    ::VariantInit(&v);
    ASSERT_EQ(list->get_accSelection(&v), S_OK);
    EXPECT_EQ(a11y::Name(a11y::FromVariant(list, v)), L"Package 2");

    ::VariantInit(&v);
    ASSERT_EQ(client->accNavigate(NAVDIR_FIRSTCHILD, a11y::Self(), &v), S_OK);
    a11y::Object first = a11y::FromVariant(client, v);
    EXPECT_EQ(a11y::Name(first), L"A");
    ::VariantInit(&v);
    ASSERT_EQ(first->accNavigate(NAVDIR_NEXT, a11y::Self(), &v), S_OK);
    EXPECT_EQ(a11y::Name(a11y::FromVariant(first, v)), L"H");
    ::VariantInit(&v);
    EXPECT_EQ(first->accNavigate(NAVDIR_PREVIOUS, a11y::Self(), &v), S_FALSE);
    IDispatch* parent = nullptr;
    ASSERT_EQ(first->get_accParent(&parent), S_OK);
    EXPECT_EQ(a11y::Name(a11y::FromDispatch(parent)), L"Keys");
}

TEST_F(AccessibleTest, WinEventsTellFocusNamesValuesStatesAndPages) {
    a11y::EventLog log(win_->Hwnd());
    ASSERT_TRUE(log.Ok());
    auto pumpFor = [&](DWORD event) { return win_->PumpUntil([event] { return !a11y::EventLog::Of(event).empty(); }); };

    win_->Key(VK_TAB);
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_FOCUS));
    EXPECT_EQ(a11y::Name(a11y::FromEvent(win_->Hwnd(), a11y::EventLog::Of(EVENT_OBJECT_FOCUS).back())), L"A");
    EXPECT_LT(a11y::EventLog::Of(EVENT_OBJECT_FOCUS).back(), 0) << "plugin ids are negative child ids";

    duPlugin* text = win_->Get(L"RowText_2");
    text->SetText(L"Package 2 downloading");
    RedrawPlugin(text, TRUE);
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_NAMECHANGE));
    std::vector<std::wstring> renamed;
    for (LONG child : a11y::EventLog::Of(EVENT_OBJECT_NAMECHANGE))
        renamed.push_back(a11y::Name(a11y::FromEvent(win_->Hwnd(), child)));
    // The static itself, its row, and the box the row's texts name.
    EXPECT_EQ(renamed.size(), 3u);
    EXPECT_EQ(std::count(renamed.begin(), renamed.end(), L"Package 2 downloading"), 3);

    win_->As<duProgress>(L"Progress")->SetPos(30);
    RedrawPlugin(win_->Get(L"Progress"), TRUE);
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_VALUECHANGE));
    EXPECT_EQ(a11y::Value(a11y::FromEvent(win_->Hwnd(), a11y::EventLog::Of(EVENT_OBJECT_VALUECHANGE).back())),
              L"30%");

    win_->Key(VK_TAB);
    win_->Key(VK_SPACE);  // C ticked
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_STATECHANGE));
    EXPECT_EQ(a11y::Name(a11y::FromEvent(win_->Hwnd(), a11y::EventLog::Of(EVENT_OBJECT_STATECHANGE).back())), L"C");

    // A page hidden and shown again.
    SetPluginVisible(win_->Get(L"Page"), FALSE);
    RedrawPlugin(win_->Get(L"W"), TRUE);
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_HIDE));
    SetPluginVisible(win_->Get(L"Page"), TRUE);
    RedrawPlugin(win_->Get(L"W"), TRUE);
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_SHOW));
    EXPECT_EQ(a11y::Name(a11y::FromEvent(win_->Hwnd(), a11y::EventLog::Of(EVENT_OBJECT_SHOW).back())), L"Page one");
    EXPECT_EQ(a11y::EventLog::Of(EVENT_OBJECT_SHOW).size(), 1u) << "not one for every control on the page";

    // A new row changes the list's children.
    auto* list = win_->As<duListBoxEx>(L"L");
    duPlugin* row = ClonePlugin(win_->Get(L"Row_"), list, list->GetLastChild(), 4);
    row->SetVisible(TRUE);
    list->RefreshItems();
    RedrawPlugin(list, TRUE);
    ASSERT_TRUE(pumpFor(EVENT_OBJECT_REORDER));
    EXPECT_EQ(a11y::Name(a11y::FromEvent(win_->Hwnd(), a11y::EventLog::Of(EVENT_OBJECT_REORDER).back())),
              L"Packages");
}

TEST(AccessibleObjects, OfAWindowThatIsGoneSayTheyAreGone) {
    TempDir dir;
    WriteSkin(dir, SkinDocument(KeyboardTestControls()));
    auto win = std::make_unique<TestWindow>(dir);
    ASSERT_TRUE(win->Ok());
    a11y::Object client = a11y::ClientOf(win->Hwnd());
    a11y::Object button = a11y::Find(client, L"A");
    ASSERT_TRUE(button);
    win.reset();
    BSTR name = nullptr;
    EXPECT_EQ(button->get_accName(a11y::Self(), &name), CO_E_OBJNOTCONNECTED);
    long count = 0;
    EXPECT_EQ(client->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
}
