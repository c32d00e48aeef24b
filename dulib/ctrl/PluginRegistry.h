#pragma once
// The process-wide set of live plugins. A plugin pointer from outside, or one
// that a notification handler may have destroyed, is used only after
// IsValidPlugin says it is still registered.
class duPlugin;

void CreatePluginRegistry();
void DestroyPluginRegistry();
bool RegisterPlugin(duPlugin* plugin);
void UnregisterPlugin(duPlugin* plugin);
bool IsValidPlugin(const duPlugin* plugin);
