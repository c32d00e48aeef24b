#pragma once
// Small helpers for the application's controls. Safe to call from any thread:
// the work itself always happens on the window's thread.
#include <windows.h>
#include <string>

class duPlugin;

// Moves a progress bar forward (never back) and shows "N%" beside it; ignores
// values above 100 and values not above the last one shown.
void SetProgressValue(duPlugin* bar, duPlugin* valueText, int percent);
// Sets a control's text and redraws it; nothing for a missing control.
void SetControlText(duPlugin* control, const std::wstring& text);
// A string of the program's string table; empty when it is missing.
std::wstring LoadResText(UINT id);
// The control of that name in the main window, or null.
duPlugin* FindControl(const wchar_t* name);
