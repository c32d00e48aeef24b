#include "dulib/ctrl/AccessibleModel.h"

#include <oleacc.h>

#include <algorithm>
#include <cwchar>

#include "dulib/ctrl/ControlTraits.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duButton.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duProgress.h"
#include "dulib/ctrl/duRadio.h"
#include "dulib/ctrl/duScroll.h"
#include "dulib/ctrl/duStatic.h"
#include "dulib/ctrl/duWindow.h"

namespace {

struct RoleWord {
    const wchar_t* word;
    long role;
};
const RoleWord kRoleWords[] = {
    {L"pushbutton", ROLE_SYSTEM_PUSHBUTTON}, {L"link", ROLE_SYSTEM_LINK},
    {L"checkbox", ROLE_SYSTEM_CHECKBUTTON},  {L"radio", ROLE_SYSTEM_RADIOBUTTON},
    {L"text", ROLE_SYSTEM_STATICTEXT},       {L"progress", ROLE_SYSTEM_PROGRESSBAR},
    {L"list", ROLE_SYSTEM_LIST},             {L"listitem", ROLE_SYSTEM_LISTITEM},
    {L"edit", ROLE_SYSTEM_TEXT},             {L"graphic", ROLE_SYSTEM_GRAPHIC},
    {L"grouping", ROLE_SYSTEM_GROUPING},     {L"page", ROLE_SYSTEM_PROPERTYPAGE},
    {L"none", 0},
};

long ClassRole(duPlugin* p) {
    if (dynamic_cast<duWindow*>(p)) return ROLE_SYSTEM_CLIENT;
    if (ListOfRow(p)) return ROLE_SYSTEM_LISTITEM;
    if (dynamic_cast<duButton*>(p)) return ROLE_SYSTEM_PUSHBUTTON;
    if (dynamic_cast<duCheckBox*>(p)) return ROLE_SYSTEM_CHECKBUTTON;
    if (dynamic_cast<duRadio*>(p)) return ROLE_SYSTEM_RADIOBUTTON;
    if (dynamic_cast<duEdit*>(p)) return ROLE_SYSTEM_TEXT;
    if (dynamic_cast<duProgress*>(p)) return ROLE_SYSTEM_PROGRESSBAR;
    if (dynamic_cast<duListBoxEx*>(p)) return ROLE_SYSTEM_LIST;
    if (dynamic_cast<duStatic*>(p)) return ROLE_SYSTEM_STATICTEXT;
    if (dynamic_cast<duScroll*>(p)) return 0;
    // Containers become objects when the skin names them.
    return SkinText(p, "accname").empty() ? 0 : ROLE_SYSTEM_GROUPING;
}

std::wstring Join(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + L" " + b;
}

// Texts of the statics under `plugin` that show as far as `within` goes.
std::wstring StaticTexts(duPlugin* plugin, duPlugin* within) {
    std::wstring out;
    for (duPlugin* c = plugin->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (!VisibleWithin(c, within)) continue;
        if (dynamic_cast<duStatic*>(c)) out = Join(out, c->GetText());
        else out = Join(out, StaticTexts(c, within));
    }
    return out;
}

// The texts of the statics beside a control that has no text of its own.
std::wstring LabelOf(duPlugin* plugin) {
    std::wstring out;
    duPlugin* parent = plugin->GetParent();
    if (!parent) return out;
    for (duPlugin* s = parent->GetFirstChild(); s; s = s->GetNextSibling())
        if (s != plugin && s->IsVisible() && dynamic_cast<duStatic*>(s)) out = Join(out, s->GetText());
    return out;
}

bool IsChecked(duPlugin* p) {
    if (auto* box = dynamic_cast<duCheckBox*>(p)) return box->IsChecked() != FALSE;
    if (auto* radio = dynamic_cast<duRadio*>(p)) return radio->IsChecked() != FALSE;
    if (ListOfRow(p)) {
        duCheckBox* box = RowCheckBox(p);
        return box && box->IsChecked();
    }
    return false;
}

}  // namespace

long AccessibleRole(duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return 0;
    if (plugin->GetParent()) {
        const std::wstring word = SkinText(plugin, "accrole");
        for (const RoleWord& w : kRoleWords)
            if (!word.empty() && _wcsicmp(word.c_str(), w.word) == 0) return w.role;
    }
    return ClassRole(plugin);
}

bool IsAccessibleObject(duPlugin* plugin) { return AccessibleRole(plugin) != 0; }

std::vector<duPlugin*> AccessibleKids(duPlugin* plugin) {
    std::vector<duPlugin*> kids;
    if (!IsValidPlugin(plugin)) return kids;
    for (duPlugin* c = plugin->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (IsAccessibleObject(c)) {
            kids.push_back(c);
        } else {
            const std::vector<duPlugin*> below = AccessibleKids(c);
            kids.insert(kids.end(), below.begin(), below.end());
        }
    }
    return kids;
}

duPlugin* AccessibleParentOf(duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return nullptr;
    for (duPlugin* p = plugin->GetParent(); p; p = p->GetParent())
        if (IsAccessibleObject(p)) return p;
    return nullptr;
}

std::wstring AccessibleName(WindowHost* host, duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return std::wstring();
    if (host) {
        const std::wstring given = host->Access().GivenName(plugin);
        if (!given.empty()) return given;
    }
    std::wstring name = SkinText(plugin, "accname");
    if (!name.empty()) return name;
    const long role = AccessibleRole(plugin);
    if (role == ROLE_SYSTEM_LISTITEM) return StaticTexts(plugin, plugin);
    if (role != ROLE_SYSTEM_TEXT) {  // an edit's text is its value
        name = plugin->GetText() ? plugin->GetText() : L"";
        if (!name.empty()) return name;
        name = SkinText(plugin, "tooltip");
        if (!name.empty()) return name;
    }
    if (role == ROLE_SYSTEM_CHECKBUTTON || role == ROLE_SYSTEM_RADIOBUTTON || role == ROLE_SYSTEM_TEXT ||
        role == ROLE_SYSTEM_PROGRESSBAR)
        return LabelOf(plugin);
    return name;
}

bool AccessibleValue(duPlugin* plugin, std::wstring* value) {
    if (auto* bar = dynamic_cast<duProgress*>(plugin)) {
        *value = std::to_wstring(std::clamp(bar->GetPos(), 0, 100)) + L"%";
        return true;
    }
    if (auto* edit = dynamic_cast<duEdit*>(plugin)) {
        if (edit->IsPassword()) return false;
        *value = edit->GetText();
        return true;
    }
    return false;
}

long AccessibleState(WindowHost* host, duPlugin* plugin) {
    return AccessibleState(host, plugin, host && ::GetFocus() == host->GetHwnd());
}

long AccessibleState(WindowHost* host, duPlugin* plugin, bool windowFocused) {
    long state = 0;
    if (!IsValidPlugin(plugin)) return STATE_SYSTEM_UNAVAILABLE;
    const bool shown = IsPluginShown(plugin);
    const RECT visible = GetVisibleRect(plugin);
    if (!shown) state |= STATE_SYSTEM_INVISIBLE;
    else if (::IsRectEmpty(&visible)) state |= STATE_SYSTEM_OFFSCREEN;
    const bool enabled = IsEnabledInTree(plugin);
    if (!enabled) state |= STATE_SYSTEM_UNAVAILABLE;

    const long role = AccessibleRole(plugin);
    const bool focusable = IsFocusClass(plugin) || role == ROLE_SYSTEM_LISTITEM;
    if (focusable && enabled && shown) state |= STATE_SYSTEM_FOCUSABLE;
    duPlugin* focus = host ? host->GetFocusPlugin() : nullptr;
    if (windowFocused && (focus == plugin || (!focus && plugin == host->GetRoot()))) state |= STATE_SYSTEM_FOCUSED;
    if (IsChecked(plugin)) state |= STATE_SYSTEM_CHECKED;
    if (duListBoxEx* list = ListOfRow(plugin)) {
        state |= STATE_SYSTEM_SELECTABLE;
        if (list->GetSelectedItem() == plugin) state |= STATE_SYSTEM_SELECTED;
    }
    if (auto* edit = dynamic_cast<duEdit*>(plugin)) {
        if (edit->IsReadOnly()) state |= STATE_SYSTEM_READONLY;
        if (edit->IsPassword()) state |= STATE_SYSTEM_PROTECTED;
    }
    if (role == ROLE_SYSTEM_STATICTEXT || role == ROLE_SYSTEM_PROGRESSBAR) state |= STATE_SYSTEM_READONLY;
    if (role == ROLE_SYSTEM_LINK) state |= STATE_SYSTEM_LINKED;
    if (dynamic_cast<duButton*>(plugin) && SkinFlag(plugin, "default")) state |= STATE_SYSTEM_DEFAULT;
    return state;
}

std::wstring AccessibleShortcut(duPlugin* plugin) {
    if (!dynamic_cast<duButton*>(plugin)) return std::wstring();
    if (SkinFlag(plugin, "default")) return L"Enter";
    if (SkinFlag(plugin, "cancel")) return L"Esc";
    return std::wstring();
}
