#pragma once
// What buttons, check boxes and radios share: their attributes, the
// cross-fade between two states, icon painting, autosize and the tooltip.
#include <windows.h>

#include "dulib/ctrl/duPlugin.h"

struct ButtonFace {
    int autosize = 0;
    int fixLeft = 0, fixRight = 0;
    wchar_t icon[kPluginTextSize] = {};
    int iconX = 0, iconY = 0, iconWidth = 0, iconHeight = 0;
    int fade = 0;
    int fadeInSpeed = 0, fadeOutSpeed = 0;
    wchar_t tooltip[kPluginTextSize] = {};
    wchar_t statusIcon[kPluginTextSize] = {};
    int statusX = 0, statusY = 0, statusWidth = 0, statusHeight = 0;
    int grayDisable = 0;
    int checked = 0;
    int groupId = 0;

    // Fade record.
    bool fading = false;
    UINT fadeTarget = STATE_NORMAL, fadePrevious = STATE_NORMAL;
    int targetAlpha = 255, previousAlpha = 0;
    UINT timerId = 0;

    enum Features { kFade = 1, kStatusIcon = 2, kCheck = 4, kGroup = 8 };
    void Read(duPlugin* self, int features);

    // Redraws `self`, or cross-fades from `from` to its current state.
    void Change(duPlugin* self, UINT from);
    void StartFade(duPlugin* self, UINT from, UINT to);
    void StopFade(duPlugin* self);
    void OnTimer(duPlugin* self, UINT id);

    void Paint(duPlugin* self, HDC dc, bool allowGray);
    // Width from the measured text, then MovePlugin.
    void AutoSize(duPlugin* self);
    void ShowTip(duPlugin* self);
    void HideTip(duPlugin* self);
};
