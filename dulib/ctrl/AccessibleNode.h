#pragma once
// The accessible object (MSAA IAccessible) of one plugin of an attached
// window. It holds the window and the plugin's identifier, not the plugin:
// every call looks the plugin up again on the window's thread, so an object
// that outlives its plugin or window answers that it is gone.
//
// Children are full objects of their own. A child identifier (VARIANT VT_I4)
// is CHILDID_SELF, a 1-based index among the object's children, or the
// negative identifier that WinEvents carry for any plugin of the window.
#include <windows.h>
#include <oleacc.h>

// A new object with one reference; null when out of memory.
IAccessible* NewAccessibleObject(HWND hwnd, LONG id);
