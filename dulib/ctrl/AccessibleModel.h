#pragma once
// What accessibility clients see of a window's plugin tree: which plugins are
// objects of their own, and their roles, names, values and states. Plain
// reads of the live tree on the window's thread.
//
// Objects: the root (the window's client), buttons, check boxes, radios,
// statics, progress bars, edits, lists and their rows, and any other plugin
// with an accname or accrole attribute. Other plugins (plain layouts, scroll
// bars) are looked through: their children stand in their place. accrole
// takes "pushbutton", "link", "checkbox", "radio", "text", "progress",
// "list", "listitem", "edit", "graphic", "grouping", "page" or "none" (not an
// object of its own).
#include <windows.h>

#include <string>
#include <vector>

class duPlugin;
class WindowHost;

// The MSAA role (ROLE_SYSTEM_*); 0 for a plugin that is not an object.
long AccessibleRole(duPlugin* plugin);
bool IsAccessibleObject(duPlugin* plugin);
// The objects directly below `plugin` in skin order, hidden ones included.
std::vector<duPlugin*> AccessibleKids(duPlugin* plugin);
// The nearest ancestor that is an object; null for the root.
duPlugin* AccessibleParentOf(duPlugin* plugin);

// A name given at run time wins; then accname; then by kind: a row reads the
// texts of its statics, the root its window text, other plugins their text
// or tooltip, and check boxes, radios, edits and progress bars without one
// the texts of the statics beside them.
std::wstring AccessibleName(WindowHost* host, duPlugin* plugin);
// Progress "N%", an edit's text (none for a password); false for no value.
bool AccessibleValue(duPlugin* plugin, std::wstring* value);
// STATE_SYSTEM_* bits: invisible, offscreen, unavailable, focusable,
// focused (the focus plugin while the window has the keyboard), checked,
// selectable/selected rows, read-only, protected, default.
long AccessibleState(WindowHost* host, duPlugin* plugin);
// The same with the answer to "does the window have the keyboard" given:
// asking the system is a round trip to the display server under Wine, too
// slow to repeat for every object of a tree.
long AccessibleState(WindowHost* host, duPlugin* plugin, bool windowFocused);
// "Enter" for the default button, "Esc" for the cancel button.
std::wstring AccessibleShortcut(duPlugin* plugin);
