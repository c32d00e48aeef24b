#include "dulib/ctrl/FocusNavigation.h"

#include <algorithm>
#include <cstdint>

#include "dulib/ctrl/ControlTraits.h"
#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginActions.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duRadio.h"
#include "dulib/ctrl/duWindow.h"

namespace {

int ItemParam(duPlugin* item) { return static_cast<int>(reinterpret_cast<INT_PTR>(item)); }

bool OnScreen(duPlugin* plugin) {
    const RECT visible = GetVisibleRect(plugin);
    return !::IsRectEmpty(&visible);
}

bool Reachable(duPlugin* plugin) { return IsPluginShown(plugin) && IsEnabledInTree(plugin) && OnScreen(plugin); }

bool TakesTabStop(duPlugin* plugin) {
    return IsFocusClass(plugin) && Reachable(plugin) && SkinFlag(plugin, "tabstop", true);
}

// The reachable radios of the radio's group (same parent and groupid), in
// skin order, with the radio itself.
std::vector<duPlugin*> RadioGroup(duRadio* radio) {
    std::vector<duPlugin*> group;
    duPlugin* first = radio->GetParent() ? radio->GetParent()->GetFirstChild() : radio;
    for (duPlugin* s = first; s; s = s->GetNextSibling()) {
        auto* r = dynamic_cast<duRadio*>(s);
        if (r && r->GetGroupId() == radio->GetGroupId() && (r == radio || Reachable(r))) group.push_back(r);
    }
    return group;
}

// A radio group is one Tab stop: its checked radio, else its first.
bool IsGroupStop(duRadio* radio) {
    const std::vector<duPlugin*> group = RadioGroup(radio);
    for (duPlugin* r : group)
        if (static_cast<duRadio*>(r)->IsChecked()) return r == radio;
    return group.front() == radio;
}

std::vector<duPlugin*> ShownRows(duListBoxEx* list) {
    std::vector<duPlugin*> rows;
    for (duPlugin* c = list->GetFirstChild(); c; c = c->GetNextSibling())
        if (list->IsItem(c)) rows.push_back(c);
    return rows;
}

// The row a list hands the focus to: its selection, else its first row.
duPlugin* CurrentRow(duListBoxEx* list) {
    if (list->IsItem(list->GetSelectedItem())) return list->GetSelectedItem();
    const std::vector<duPlugin*> rows = ShownRows(list);
    return rows.empty() ? nullptr : rows.front();
}

bool ListIsStop(duListBoxEx* list) { return IsEnabledInTree(list) && OnScreen(list) && CurrentRow(list); }

struct Stop {
    duPlugin* plugin;
    size_t order;  // position among the shown plugins in skin order
};

// Pre-order walk of the shown plugins: the stops, and the position of
// `focus`, so that a focus that is no stop still has a place in the order.
void Walk(duPlugin* plugin, duPlugin* focus, std::vector<Stop>* stops, size_t* count, size_t* focusOrder) {
    for (duPlugin* p = plugin->GetFirstChild(); p; p = p->GetNextSibling()) {
        if (!p->IsVisible()) continue;
        const size_t order = (*count)++;
        if (p == focus) *focusOrder = order;
        if (auto* list = dynamic_cast<duListBoxEx*>(p)) {
            if (ListIsStop(list)) stops->push_back({list, order});
            continue;  // rows and their controls are reached with the arrow keys
        }
        auto* radio = dynamic_cast<duRadio*>(p);
        if (TakesTabStop(p) && (!radio || IsGroupStop(radio))) stops->push_back({p, order});
        Walk(p, focus, stops, count, focusOrder);
    }
}

std::vector<Stop> WalkStops(duPlugin* scope, duPlugin* focus, size_t* focusOrder) {
    std::vector<Stop> stops;
    size_t count = 0;
    Walk(scope, focus, &stops, &count, focusOrder);
    return stops;
}

bool FocusRow(WindowHost* host, duListBoxEx* list, duPlugin* row) {
    if (!host || !list || !row) return false;
    duPlugin* previous = list->GetSelectedItem();
    list->SetSelectedItem(row);
    list->ScrollIntoView(row);
    host->SetFocusPlugin(row, TRUE);
    if (!IsValidPlugin(list)) return true;
    RedrawPlugin(list, FALSE);
    if (previous != row && IsValidPlugin(list))
        NotifyUser(list, DUM_LBEXKEYSEL, ItemParam(previous), ItemParam(row));
    return true;
}

}  // namespace

std::vector<duPlugin*> TabStops(duPlugin* scope) {
    std::vector<duPlugin*> out;
    if (!IsValidPlugin(scope) || !IsPluginShown(scope)) return out;
    if (auto* list = dynamic_cast<duListBoxEx*>(scope)) {
        if (ListIsStop(list)) out.push_back(list);
        return out;
    }
    size_t unused = SIZE_MAX;
    for (const Stop& s : WalkStops(scope, nullptr, &unused)) out.push_back(s.plugin);
    return out;
}

bool FocusListRow(WindowHost* host, duPlugin* row) {
    duListBoxEx* list = ListOfRow(row);
    return list && list->IsItem(row) && FocusRow(host, list, row);
}

bool FocusStop(WindowHost* host, duPlugin* stop) {
    if (!host || !IsValidPlugin(stop)) return false;
    if (auto* list = dynamic_cast<duListBoxEx*>(stop)) return FocusRow(host, list, CurrentRow(list));
    host->SetFocusPlugin(stop, TRUE);
    return true;
}

bool MoveTabFocus(WindowHost* host, bool forward) {
    duPlugin* root = host->GetRoot();
    if (!IsValidPlugin(root)) return false;
    duPlugin* focus = host->GetFocusPlugin();
    if (duPlugin* row = RowOf(focus)) focus = ListOfRow(row);  // a row stands for its list
    size_t focusOrder = SIZE_MAX;
    const std::vector<Stop> stops = WalkStops(root, focus, &focusOrder);
    if (stops.empty()) return false;

    size_t next = forward ? 0 : stops.size() - 1;
    if (focusOrder != SIZE_MAX) {
        // Stops before the focus; the focus itself may be one of them or a
        // control that Tab passes by.
        size_t before = 0;
        bool isStop = false;
        for (const Stop& s : stops) {
            if (s.order < focusOrder) ++before;
            if (s.order == focusOrder) isStop = true;
        }
        next = forward ? (before + (isStop ? 1 : 0)) % stops.size() : (before + stops.size() - 1) % stops.size();
    }
    return FocusStop(host, stops[next].plugin);
}

bool FocusFirstIn(WindowHost* host, duPlugin* scope) {
    if (!host || !IsValidPlugin(scope)) return false;
    if (duPlugin* button = FindFlaggedButton(scope, "default")) return FocusStop(host, button);
    const std::vector<duPlugin*> stops = TabStops(scope);
    return !stops.empty() && FocusStop(host, stops.front());
}

bool MoveRowFocus(WindowHost* host, duPlugin* row, UINT key) {
    duListBoxEx* list = ListOfRow(row);
    if (!list || (key != VK_UP && key != VK_DOWN && key != VK_HOME && key != VK_END)) return false;
    const std::vector<duPlugin*> rows = ShownRows(list);
    if (rows.empty()) return true;
    const auto at = std::find(rows.begin(), rows.end(), row);
    duPlugin* target = nullptr;
    if (key == VK_HOME) target = rows.front();
    else if (key == VK_END) target = rows.back();
    else if (at == rows.end()) target = rows.front();
    else if (key == VK_UP && at != rows.begin()) target = *(at - 1);
    else if (key == VK_DOWN && at + 1 != rows.end()) target = *(at + 1);
    if (target && target != row) FocusRow(host, list, target);
    return true;
}

bool MoveRadioFocus(WindowHost* host, duPlugin* plugin, UINT key) {
    auto* radio = dynamic_cast<duRadio*>(plugin);
    if (!radio || key < VK_LEFT || key > VK_DOWN) return false;
    const std::vector<duPlugin*> group = RadioGroup(radio);
    const auto at = std::find(group.begin(), group.end(), plugin);
    if (group.size() < 2 || at == group.end()) return true;
    const bool forward = key == VK_RIGHT || key == VK_DOWN;
    const size_t i = static_cast<size_t>(at - group.begin());
    duPlugin* target = group[forward ? (i + 1) % group.size() : (i + group.size() - 1) % group.size()];
    host->SetFocusPlugin(target, TRUE);
    DoDefaultAction(target);
    return true;
}
