#pragma once
// Text runs of the edit drawn onto 32-bit surfaces with a correct alpha
// channel, so that they keep their edges on layered windows.
#include <windows.h>

struct duEditRun {
    const wchar_t* text = nullptr;
    int length = 0;
    int x = 0, y = 0;       // top-left of the run in dc coordinates
    int width = 0;          // measured width of the run
    int height = 0;         // line height
    COLORREF color = 0;
    bool opaque = false;    // selected run: drawn on `background`
    COLORREF background = 0;
};

// Draws the part of the run inside clip. Unselected runs take their alpha
// from the glyph coverage (transparent around the glyphs, partly transparent
// at anti-aliased edges); selected runs are fully opaque.
bool DrawEditRun(HDC dc, HFONT font, const duEditRun& run, const RECT& clip);
