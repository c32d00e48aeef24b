#pragma once
// What the system says about a window's DPI. The per-monitor calls exist
// from Windows 10 on and are looked up by name; older systems answer with
// the screen's one DPI.
#include <windows.h>

// The DPI of the monitor the window is on (of the screen without the
// per-monitor calls).
int DpiOfWindow(HWND hwnd);
// GetSystemMetrics at a DPI (SM_CXCURSOR, SM_CXICON ...), scaled from the
// system's own DPI where the per-DPI call is missing.
int SystemMetricForDpi(int index, int dpi);
