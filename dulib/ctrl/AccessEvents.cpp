#include "dulib/ctrl/AccessEvents.h"

#include <oleacc.h>

#include "dulib/ctrl/AccessibleModel.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duWindow.h"

void AccessEvents::CompareAround(duPlugin* changed) {
    if (!IsValidPlugin(changed)) changed = host_->GetRoot();
    duPlugin* from = AccessibleParentOf(changed);
    Compare(from ? from : host_->GetRoot());
}

void AccessEvents::CompareRepainted(duPlugin* repainted) {
    if (IsValidPlugin(repainted) && IsAccessibleObject(repainted)) {
        auto it = seen_.find(repainted);
        if (it != seen_.end() && it->second.text == repainted->GetText() &&
            it->second.visible == (repainted->IsVisible() != FALSE)) {
            Compare(repainted);
            return;
        }
    }
    CompareAround(repainted);
}

void AccessEvents::Raise(DWORD event, duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return;
    const LONG child = plugin == host_->GetRoot() ? CHILDID_SELF : -host_->Access().IdOf(plugin);
    ::NotifyWinEvent(event, host_->GetHwnd(), OBJID_CLIENT, child);
}

void AccessEvents::Forget(duPlugin* plugin) { seen_.erase(plugin); }

void AccessEvents::Compare(duPlugin* plugin) {
    if (!IsValidPlugin(plugin)) return;
    if (IsAccessibleObject(plugin)) CompareOne(plugin);
    for (duPlugin* kid : AccessibleKids(plugin)) Compare(kid);
}

void AccessEvents::CompareOne(duPlugin* plugin) {
    Seen now;
    now.text = plugin->GetText();
    now.name = AccessibleName(host_, plugin);
    AccessibleValue(plugin, &now.value);
    // The focus is quiet below: no need to ask the system for it.
    now.state = AccessibleState(host_, plugin, false);
    now.visible = plugin->IsVisible() != FALSE;
    now.kids = AccessibleKids(plugin).size();
    auto it = seen_.find(plugin);
    if (it == seen_.end()) {
        seen_.emplace(plugin, std::move(now));
        return;
    }
    Seen& was = it->second;
    // Inherited visibility and the focus have events of their own.
    const long quiet = STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN | STATE_SYSTEM_FOCUSED;
    const bool shown = (now.state & STATE_SYSTEM_INVISIBLE) == 0;
    if (now.visible != was.visible) Raise(now.visible ? EVENT_OBJECT_SHOW : EVENT_OBJECT_HIDE, plugin);
    if ((now.state ^ was.state) & ~quiet) Raise(EVENT_OBJECT_STATECHANGE, plugin);
    if (shown && now.name != was.name) Raise(EVENT_OBJECT_NAMECHANGE, plugin);
    if (shown && now.value != was.value) Raise(EVENT_OBJECT_VALUECHANGE, plugin);
    if (now.kids != was.kids) Raise(EVENT_OBJECT_REORDER, plugin);
    was = std::move(now);
}
