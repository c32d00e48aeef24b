#include "dulib/ctrl/PluginActions.h"

#include "dulib/ctrl/ControlTraits.h"
#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duButton.h"
#include "dulib/ctrl/duCheckBox.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duRadio.h"

namespace {
// Items travel in the notification record's 32-bit fields.
int ItemParam(duPlugin* item) { return static_cast<int>(reinterpret_cast<INT_PTR>(item)); }

bool CanAct(duPlugin* plugin) { return IsValidPlugin(plugin) && IsPluginShown(plugin) && IsEnabledInTree(plugin); }
}  // namespace

std::wstring DefaultActionName(duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return std::wstring();
    if (dynamic_cast<duButton*>(plugin)) return L"Press";
    if (auto* box = dynamic_cast<duCheckBox*>(plugin)) return box->IsChecked() ? L"Uncheck" : L"Check";
    if (dynamic_cast<duRadio*>(plugin)) return L"Check";
    if (ListOfRow(plugin)) {
        if (duCheckBox* box = RowCheckBox(plugin)) return DefaultActionName(box);
        return L"Select";
    }
    return std::wstring();
}

bool DoDefaultAction(duPlugin* plugin) {
    if (!CanAct(plugin)) return false;
    if (dynamic_cast<duButton*>(plugin)) {
        NotifyUser(plugin, DUM_BTNCLICK, 0, 0);
        return true;
    }
    if (dynamic_cast<duCheckBox*>(plugin)) {
        // The box's own space-bar toggle: the same look, fade and notification.
        if (WindowHost* host = plugin->GetHost()) host->DispatchEvent(plugin, EVENT_KEYDOWN, VK_SPACE, 1);
        return true;
    }
    if (auto* radio = dynamic_cast<duRadio*>(plugin)) {
        if (radio->IsChecked()) return true;
        radio->SetCheck(TRUE);
        RedrawPlugin(radio, TRUE);
        if (IsValidPlugin(radio)) NotifyUser(radio, DUM_RADIOCHECKED, 1, 0);
        return true;
    }
    if (duListBoxEx* list = ListOfRow(plugin)) {
        if (duCheckBox* box = RowCheckBox(plugin)) return DoDefaultAction(box);
        duPlugin* previous = list->GetSelectedItem();
        list->SetSelectedItem(plugin);
        RedrawPlugin(list, FALSE);
        if (IsValidPlugin(list)) NotifyUser(list, DUM_LBEXSELCHANGE, ItemParam(previous), ItemParam(plugin));
        return true;
    }
    return false;
}

duPlugin* FindFlaggedButton(duPlugin* scope, const char* attr) {
    if (!IsValidPlugin(scope)) return nullptr;
    for (duPlugin* c = scope->GetFirstChild(); c; c = c->GetNextSibling()) {
        if (!c->IsVisible()) continue;
        if (dynamic_cast<duButton*>(c) && SkinFlag(c, attr) && CanAct(c)) return c;
        if (duPlugin* found = FindFlaggedButton(c, attr)) return found;
    }
    return nullptr;
}
