#pragma once
// The keyboard focus ring: a frame drawn over everything, a small gap outside
// the focused control and cut to its parent's visible area, so that a repaint
// of the parent (FocusRingScope) always covers it. It is painted with the
// engine's rectangle style into the window image like any control.
#include <windows.h>

class duPlugin;

constexpr int kFocusRingGap = 1;    // pixels between the control and the ring
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
// Draws the ring into dc (client coordinates), only inside `clip`.
void PaintFocusRing(HDC dc, const RECT& ring, const RECT& clip, COLORREF color);
