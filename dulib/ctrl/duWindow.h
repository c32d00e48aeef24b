#pragma once
// Root plugin of a skin window: caption dragging, resize borders, size
// limits, window region, layered flag and the window's own style.
#include "dulib/ctrl/duPlugin.h"

class duWindow : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duWindow"; }
    // The root always covers the whole client area.
    void Resize(const RECT* parentRect) override;
    void OnMouseLDown(int x, int y) override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;

    // x, y in screen coordinates; answers a WM_NCHITTEST code.
    int HitTestBorder(int x, int y);
    void FillMinMaxInfo(MINMAXINFO* info);
    // Sets the window region of a normal window from the `rgn` resource.
    void ApplyRegion();
    // Moves and sizes the window by x, y, width and height (-1 centres).
    void PositionWindow();
    int GetLastHitCode() const { return lastHit_; }
    int GetCaptionHeight() const { return captionHeight_; }
    int GetBorderSize() const { return borderSize_; }
    bool IsLayeredWindow() const { return layered_ != 0; }

private:
    int captionHeight_ = 0;
    int minWidth_ = 0, minHeight_ = 0;
    int maxWidth_ = 0, maxHeight_ = 0;
    int x_ = 0, y_ = 0;
    int borderSize_ = 0;
    wchar_t rgn_[kPluginTextSize] = {};
    int layered_ = 0;
    int lastHit_ = HTCLIENT;
};
