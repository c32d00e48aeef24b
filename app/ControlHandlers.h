#pragma once
// Control notifications of the main window go to the application's handlers
// through one ordered table of (control name, notification code, handler).
#include <windows.h>

class duPlugin;

using ControlHandler = void (*)(duPlugin* control, int param1, int param2);

struct ControlHandlerEntry {
    const wchar_t* name;  // a null name ends the table
    int code;
    ControlHandler handler;
};

extern const ControlHandlerEntry ControlHandlerTable[];

// Calls the first handler whose name matches the control and whose code
// matches; always answers 0.
LRESULT DispatchControlNotify(duPlugin* control, int code, int param1, int param2);
