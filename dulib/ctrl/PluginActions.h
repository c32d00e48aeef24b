#pragma once
// A control's default action: what Space (or Enter on a focused button) does
// from the keyboard and what an accessibility client's "do default action"
// asks for. Runs on the window's thread; handlers may destroy plugins.
#include <string>

class duPlugin;
class WindowHost;

// "Press", "Check", "Uncheck", "Select", or empty when the plugin has none.
std::wstring DefaultActionName(duPlugin* plugin);
// Buttons click, check boxes toggle, radios check, rows toggle their check
// box or else become the list's selection. False when the plugin has no
// action, is not shown or is disabled (itself or an ancestor).
bool DoDefaultAction(duPlugin* plugin);
// The first shown, enabled button under `scope` (skin order) whose skin flag
// `attr` ("default", "cancel") is true; null when there is none.
duPlugin* FindFlaggedButton(duPlugin* scope, const char* attr);
