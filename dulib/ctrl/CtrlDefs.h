#pragma once
// Values shared by the control tree, the window host and the application:
// the notification message and its record, notification codes and the
// internal events by which the host drives a plugin.
#include <windows.h>

// left/top value that asks for centring on that axis.
constexpr int CENTER_POS = 0x0FFFFFFF;

// Sent synchronously to the plugin's window: wParam = plugin,
// lParam = NotifyRecord* valid only during the call.
constexpr UINT WM_DU_NOTIFY = 1416;

struct NotifyRecord {
    int code;
    int param1;
    int param2;
};

enum NotifyCode : int {
    DUM_VISIBLECHANGED = 2,
    DUM_MOUSEIN = 3,
    DUM_MOUSELEAVE = 4,
    DUM_LBUTTONDOWN = 5,
    DUM_LBUTTONUP = 6,
    DUM_RBUTTONDOWN = 7,
    DUM_RBUTTONUP = 8,
    DUM_MOUSEHOVER = 9,
    DUM_LBUTTONDBCLICK = 10,
    DUM_KILLFOCUS = 11,
    DUM_SETFOCUS = 12,
    DUM_BTNCLICK = 13,
    DUM_BTNDBCLICK = 14,
    DUM_CKCLICK = 15,
    DUM_LBEXSELCHANGE = 22,
    DUM_LBEXDBCLICK = 23,
    DUM_LBEXHOVER = 24,
    DUM_LBEXRCLICK = 25,
    DUM_RADIOCHECKED = 27,
    DUM_VSCROLL = 28,
    DUM_HSCROLL = 29,
    DUM_TBBSELECTED = 30,
    DUM_EDITCHANGE = 38,
    DUM_CKDBCLICK = 44,
    DUM_LBEXKEYSEL = 48,
};

// Internal events: DispatchEvent(plugin, event, a, b).
enum PluginEvent : UINT {
    EVENT_CHILDRESIZE = 0xF01,
    EVENT_CHILDSHOW = 0xF02,
    EVENT_MOUSEMOVE = 0xF03,
    EVENT_MOUSEIN = 0xF04,
    EVENT_MOUSELEAVE = 0xF05,
    EVENT_LBUTTONDOWN = 0xF06,
    EVENT_LBUTTONUP = 0xF07,
    EVENT_RBUTTONDOWN = 0xF08,
    EVENT_RBUTTONUP = 0xF09,
    EVENT_MOUSEHOVER = 0xF10,
    EVENT_LBUTTONDBCLICK = 0xF11,
    EVENT_MOUSEWHEEL = 0xF12,
    EVENT_TIMER = 0xF14,
    EVENT_KILLFOCUS = 0xF15,
    EVENT_SETFOCUS = 0xF16,
    EVENT_PAINT = 0xF17,
    EVENT_KEYDOWN = 0xF19,
    EVENT_KEYUP = 0xF1A,
};
