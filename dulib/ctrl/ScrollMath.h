#pragma once
// Scroll-bar arithmetic without a window: the part rectangles and the
// position changes of arrow, track, wheel and thumb-drag input.
#include <windows.h>

struct duScrollValues {
    int maxpos = 0;
    int pos = 0;
    int page = 0;
    int step = 0;
    int arrow = 0;     // arrowheight
    int minthumb = 0;  // minthumbsize; 0 behaves as 10
    bool vert = false;

    int MinThumb() const { return minthumb > 0 ? minthumb : 10; }
    int MaxScroll() const { return maxpos > page ? maxpos - page : 0; }
    // Input is ignored and no thumb is shown while everything fits.
    bool Scrollable() const { return maxpos > 0 && page < maxpos; }
};

// Part numbers as the bar reports the part under the pointer.
enum duScrollPart { SB_PART_NONE = 0, SB_PART_FIRST = 1, SB_PART_BEFORE = 2, SB_PART_THUMB = 3, SB_PART_AFTER = 4, SB_PART_SECOND = 5 };

struct duScrollRects {
    RECT first{}, before{}, after{}, thumb{}, second{};
};

// Parts in the bar's local coordinates (0, 0, width, height).
duScrollRects ComputeScrollRects(const duScrollValues& v, int width, int height);

// Length along the axis and the track length T = L - 2A.
int ScrollAxisLength(const duScrollValues& v, int width, int height);
int ScrollTrackLength(const duScrollValues& v, int width, int height);

// Part under a local point, tested first arrow, track before, track after,
// thumb, second arrow.
int ScrollPartAt(const duScrollRects& r, POINT local);
// Pointer's track position in thumb lengths.
int ScrollTrackUnits(const duScrollValues& v, int track, int axisPointer);

// New positions; each result lies in 0 .. maxpos - page.
int ScrollLineBack(const duScrollValues& v);
int ScrollLineForward(const duScrollValues& v);
int ScrollPageBack(const duScrollValues& v, int k);
int ScrollPageForward(const duScrollValues& v, int k);
int ScrollWheel(const duScrollValues& v, int delta, int* code);
// Thumb drag: start position and pointer movement since the press.
int ScrollDrag(const duScrollValues& v, int track, int thumbLength, int startPos, int moved);
