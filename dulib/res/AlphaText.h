#pragma once
// Text drawn onto 32-bit surfaces with a correct alpha channel: the glyphs are
// composed in software over the pixels already there.
#include <windows.h>

// Format flags (the same bits as DrawTextW's).
constexpr UINT ALPHATEXT_CENTER = 0x1;
constexpr UINT ALPHATEXT_RIGHT = 0x2;
constexpr UINT ALPHATEXT_VCENTER = 0x4;
constexpr UINT ALPHATEXT_BOTTOM = 0x8;
constexpr UINT ALPHATEXT_SINGLELINE = 0x20;

// font: null for the stock GUI font. True when something was drawn.
bool DrawAlphaText(HDC dc, HFONT font, COLORREF color, const wchar_t* text, int length, const RECT* rect,
                   UINT flags);
