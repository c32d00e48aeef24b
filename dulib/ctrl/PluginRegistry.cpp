#include "dulib/ctrl/PluginRegistry.h"

#include <memory>
#include <set>

namespace {
std::unique_ptr<std::set<const duPlugin*>> g_registry;
}

void CreatePluginRegistry() {
    if (!g_registry) g_registry = std::make_unique<std::set<const duPlugin*>>();
}

void DestroyPluginRegistry() { g_registry.reset(); }

bool RegisterPlugin(duPlugin* plugin) {
    if (!g_registry || !plugin) return false;
    g_registry->insert(plugin);
    return true;
}

void UnregisterPlugin(duPlugin* plugin) {
    if (g_registry) g_registry->erase(plugin);
}

bool IsValidPlugin(const duPlugin* plugin) {
    return plugin && g_registry && g_registry->count(plugin) != 0;
}
