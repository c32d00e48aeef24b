#pragma once
// Progress bar: its style as background, then the fill style over the part
// of the inner rectangle that the position (percent) covers.
#include "dulib/ctrl/duPlugin.h"

class duProgress : public duPlugin {
public:
    const wchar_t* GetClassName() override { return L"duProgress"; }
    void OnMouseIn(int x, int y) override;
    void OnMouseLeave(int x, int y) override;
    void OnCreate() override;
    void OnInitialized() override {}
    void DrawObject(HDC dc) override;

    virtual int GetPos() { return pos_; }
    virtual void SetPos(int percent) {
        pos_ = percent;
        InvalidateCache();
    }
    virtual int GetLeftBorder() { return left_; }
    virtual void SetLeftBorder(int v) {
        left_ = v;
        InvalidateCache();
    }
    virtual int GetRightBorder() { return right_; }
    virtual void SetRightBorder(int v) {
        right_ = v;
        InvalidateCache();
    }
    virtual int GetTopBorder() { return top_; }
    virtual void SetTopBorder(int v) {
        top_ = v;
        InvalidateCache();
    }
    virtual int GetBottomBorder() { return bottom_; }
    virtual void SetBottomBorder(int v) {
        bottom_ = v;
        InvalidateCache();
    }
    virtual const wchar_t* GetProgressStyle() { return fillStyle_; }
    virtual void SetProgressStyle(const wchar_t* style) {
        CopyPluginText(fillStyle_, style);
        InvalidateCache();
    }

    // The filled part in local coordinates (empty when nothing is filled).
    RECT GetFillRect();

private:
    int pos_ = 0;
    int left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
    wchar_t fillStyle_[kPluginTextSize] = {};
};
