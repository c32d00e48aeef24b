#pragma once
// The keyboard focus ring: a frame drawn over everything, a small gap outside
// the focused control and cut to its parent's visible area, so that a repaint
// of the parent (FocusRingScope) always covers it. It is painted with the
// engine's rectangle style into the window image like any control.
#include <windows.h>

#include "dulib/res/DpiScale.h"

class duPlugin;

// In skin units (pixels at 96 DPI), scaled with the window.
constexpr int kFocusRingGap = 1;    // between the control and the ring
constexpr int kFocusRingWidth = 2;  // thickness of the ring
// The ring's colour where the skin names none (duwindow focuscolor).
constexpr COLORREF kDefaultFocusColor = RGB(0, 120, 215);

// The ring's outer rectangle in client coordinates; empty when the plugin is
// not shown or has no visible area.
RECT FocusRingRect(duPlugin* focus);
// The plugin whose repaint covers the ring: the parent (the plugin itself
// for the root).
duPlugin* FocusRingScope(duPlugin* focus);
// The root's focuscolor attribute, or kDefaultFocusColor.
COLORREF FocusRingColor(duPlugin* root);
// Draws the ring into dc (client coordinates), only inside `clip`, as thick as
// it is at the scale.
void PaintFocusRing(HDC dc, const RECT& ring, const RECT& clip, COLORREF color, const DpiScale& scale);
