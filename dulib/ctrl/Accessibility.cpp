#include "dulib/ctrl/Accessibility.h"

#include "dulib/ctrl/FocusNavigation.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPlugin.h"

void SetAccessibleName(duPlugin* plugin, const wchar_t* name) {
    if (!IsValidPlugin(plugin)) return;
    if (WindowHost* host = plugin->GetHost()) host->Access().SetGivenName(plugin, name ? name : L"");
}

bool FocusFirstControl(duPlugin* scope) {
    if (!IsValidPlugin(scope)) return false;
    WindowHost* host = scope->GetHost();
    return host && FocusFirstIn(host, scope);
}
