#pragma once
// Draw-state bits shared by controls and style items, resource kinds and
// style item kinds.
#include <windows.h>

// <winuser.h> defines RES_CURSOR (2) for icon directories; the engine's
// resource kind of that name is 3.
#ifdef RES_CURSOR
#undef RES_CURSOR
#endif

constexpr UINT STATE_NORMAL = 0x1;
constexpr UINT STATE_OVER = 0x2;
constexpr UINT STATE_PRESS = 0x4;
constexpr UINT STATE_FOCUS = 0x8;
constexpr UINT STATE_DISABLE = 0x10;
constexpr UINT STATE_CHECKED = 0x100;
constexpr UINT STATE_CHECKEDOVER = 0x400;
constexpr UINT STATE_CHECKEDPRESS = 0x800;
constexpr UINT STATE_CHECKEDFOCUS = 0x1000;
constexpr UINT STATE_CHECKEDDISABLE = 0x2000;
constexpr UINT STATE_NORMALALL = 0x1F;
constexpr UINT STATE_CHECKEDALL = 0x3D00;
constexpr UINT STATE_ALL = 0x3D1F;

enum ResKind : int {
    RES_IMAGE = 1,
    RES_FONT = 2,
    RES_CURSOR = 3,
    RES_RGN = 4,
    RES_STYLE = 5,
};

enum StyleKind : int {
    STYLE_IMAGE = 1,
    STYLE_TEXT = 2,
    STYLE_RECT = 3,
    STYLE_LINE = 4,
};
