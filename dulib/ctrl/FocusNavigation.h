#pragma once
// Moving the keyboard focus: Tab stops in skin order, rows within a list and
// radios within a group. A list is one Tab stop; the focus then sits on one
// of its rows (its selection), and the arrow keys move it from row to row.
#include <windows.h>

#include <vector>

class duPlugin;
class WindowHost;

// The shown, enabled, on-screen controls under `scope` that Tab stops at, in
// skin order: buttons, check boxes and edits not marked tabstop="false", one
// radio per group (the checked one, else the first), and lists that show a
// row.
std::vector<duPlugin*> TabStops(duPlugin* scope);
// Focuses a Tab stop; a list hands the focus to its current row.
bool FocusStop(WindowHost* host, duPlugin* stop);
// A shown row of a list takes the focus and becomes the list's selection.
bool FocusListRow(WindowHost* host, duPlugin* row);
// Tab (forward) or Shift+Tab through the window's stops, wrapping around.
bool MoveTabFocus(WindowHost* host, bool forward);
// The scope's default button, else its first Tab stop; false when none.
bool FocusFirstIn(WindowHost* host, duPlugin* scope);
// Up, Down, Home, End on a focused row: the neighbouring or outermost shown
// row takes the focus and the selection. True when the key was one of them.
bool MoveRowFocus(WindowHost* host, duPlugin* row, UINT key);
// Arrow keys on a focused radio: the next or previous radio of its group
// (same parent and groupid) takes the focus and is checked.
bool MoveRadioFocus(WindowHost* host, duPlugin* radio, UINT key);
