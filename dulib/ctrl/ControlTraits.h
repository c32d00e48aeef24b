#pragma once
// What keyboard navigation, default actions and the accessible tree ask of a
// plugin: its place in a list, whether it is enabled along its ancestors, and
// the optional skin attributes of keyboard and accessibility use:
//   tabstop="false"  a control that Tab passes by (it still takes the focus)
//   default="true"   the button that Enter presses
//   cancel="true"    the button that Esc presses
//   accname="..."    the name accessibility clients read
//   accrole="..."    the role they see (see AccessibleModel.h)
//   focuscolor="RGB(r,g,b)" on the duwindow: colour of the focus ring
#include <windows.h>

#include <string>

class duCheckBox;
class duListBoxEx;
class duPlugin;

// The list when `plugin` is one of its rows (any child but its scroll bar).
duListBoxEx* ListOfRow(duPlugin* plugin);
// The list row that holds `plugin` (the plugin itself when it is a row).
duPlugin* RowOf(duPlugin* plugin);
// The check box a row shows (its own visible flag and those up to the row).
duCheckBox* RowCheckBox(duPlugin* row);
// `plugin` and its ancestors up to, not including, `ancestor` have their
// visible flag set.
bool VisibleWithin(duPlugin* plugin, duPlugin* ancestor);
// Neither the plugin nor any of its ancestors is disabled.
bool IsEnabledInTree(duPlugin* plugin);
// Buttons, check boxes, radios and edits: the controls that take the focus.
bool IsFocusClass(duPlugin* plugin);

// The skin attribute's text; empty when absent.
std::wstring SkinText(duPlugin* plugin, const char* attr);
// "true" or "false" (any case) as written; `otherwise` when the attribute is
// absent or reads anything else.
bool SkinFlag(duPlugin* plugin, const char* attr, bool otherwise = false);
