#pragma once
// The installer's own window on its Setup page, for the paint benchmark: the
// skin from the program's resources (res/), the package rows added the way
// the preparation adds them and the page shown the way it shows it. No
// worker runs and no service is asked.
#include <windows.h>

// Null when the skin or the window could not be had.
HWND OpenInstallerSetupPage(HINSTANCE instance);
void CloseInstallerSetupPage(HWND hwnd);
