#include "dulib/ctrl/ControlTraits.h"

#include <cwchar>

#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/duButton.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/ctrl/duRadio.h"
#include "dulib/ctrl/duScroll.h"

duListBoxEx* ListOfRow(duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return nullptr;
    auto* list = dynamic_cast<duListBoxEx*>(plugin->GetParent());
    if (!list || plugin == static_cast<duPlugin*>(list->GetScrollBar())) return nullptr;
    return list;
}

duPlugin* RowOf(duPlugin* plugin) {
    for (duPlugin* p = plugin; IsValidPlugin(p); p = p->GetParent())
        if (ListOfRow(p)) return p;
    return nullptr;
}

bool VisibleWithin(duPlugin* plugin, duPlugin* ancestor) {
    for (duPlugin* p = plugin; p && p != ancestor; p = p->GetParent())
        if (!p->IsVisible()) return false;
    return true;
}

namespace {
duCheckBox* FirstCheckBox(duPlugin* under) {
    for (duPlugin* c = under->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (!c->IsVisible()) continue;
        if (auto* box = dynamic_cast<duCheckBox*>(c)) return box;
        if (duCheckBox* box = FirstCheckBox(c)) return box;
    }
    return nullptr;
}
}  // namespace

duCheckBox* RowCheckBox(duPlugin* row) { return IsValidPlugin(row) ? FirstCheckBox(row) : nullptr; }

bool IsEnabledInTree(duPlugin* plugin) {
    for (duPlugin* p = plugin; p; p = p->GetParent())
        if (p->IsDisable()) return false;
    return plugin != nullptr;
}

bool IsFocusClass(duPlugin* plugin) {
    return dynamic_cast<duButton*>(plugin) || dynamic_cast<duCheckBox*>(plugin) || dynamic_cast<duRadio*>(plugin) ||
           dynamic_cast<duEdit*>(plugin);
}

std::wstring SkinText(duPlugin* plugin, const char* attr) {
    std::wstring text;
    if (IsValidPlugin(plugin) && plugin->GetPropertyGroup()) plugin->GetPropertyGroup()->ReadString(attr, &text);
    return text;
}

bool SkinFlag(duPlugin* plugin, const char* attr, bool otherwise) {
    int flag = otherwise ? 1 : 0;
    if (IsValidPlugin(plugin) && plugin->GetPropertyGroup()) plugin->GetPropertyGroup()->ReadFlag(attr, &flag);
    return flag != 0;
}
