#pragma once
// What /passive and /quiet runs do in place of a person: they answer every
// question the documented way (logged), press the start button with the
// defaults, and leave the last page by themselves.
#include <string>

// /passive or /quiet.
bool IsUnattended();
// /quiet: no window and no message box.
bool IsQuiet();

// Shows the main window unless the run is quiet.
void ShowMainWindowIfHidden();

// Window thread, once the Setup rows exist: unticks the /exclude packages.
// The reason (for the log and the page) when one names a package that
// cannot be unticked; packages this machine is not offered are skipped with
// a warning.
std::wstring ApplyExclusions();
// Window thread, on the Setup page: accepts the agreement on the users'
// behalf and presses the start button.
void StartUnattended();

// Window thread: an unattended run has reached its last page; the named
// button is pressed by itself, at once when quiet, after a countdown shown
// on it when passive.
void PressBySelfSoon(const wchar_t* buttonName);
// Timer IDT_AUTO_CLOSE: one step of that countdown.
void OnAutoCloseTick();
