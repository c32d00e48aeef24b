#pragma once
// The scroll bar control (tag "scrollbar"): two arrows, a track and a thumb,
// with repeat on held arrows and track, thumb dragging, the wheel, and the
// owner (its parent) told of every move through OnVScroll/OnHScroll.
#include "dulib/ctrl/ScrollMath.h"
#include "dulib/ctrl/duPlugin.h"

class duScroll : public duPlugin {
public:
    duScroll() = default;

    const wchar_t* GetClassName() override { return L"duScroll"; }
    void Resize(const RECT* parentRect) override;
    void OnMouseLeave(int x, int y) override;
    void OnMouseLDown(int x, int y) override;
    void OnMouseLUp(int x, int y) override;
    void OnMouseMove(int x, int y) override;
    void OnMouseWheel(int keys, int delta, int x, int y) override;
    void OnCaptureChanged(duPlugin* next) override;
    void OnTimer(UINT id) override;
    void OnCreate() override;
    void OnInitialized() override;
    void DrawObject(HDC dc) override;

    virtual void UpdateScrollRects();
    virtual int GetMaxPos() { return v_.maxpos; }
    virtual void SetMaxPos(int maxpos);
    virtual int GetScrollPos() { return v_.pos; }
    virtual void SetScrollPos(int pos);
    virtual int GetPage() { return v_.page; }
    virtual void SetPage(int page);
    virtual int GetArrowHeight() { return v_.arrow; }
    virtual void SetArrowHeight(int height);
    virtual BOOL IsVert() { return v_.vert; }
    virtual void SetVert(BOOL vert);
    virtual int GetStep() { return v_.step; }
    virtual void SetStep(int step);
    virtual const wchar_t* GetUpStyle() { return upStyle_; }
    virtual void SetUpStyle(const wchar_t* style);
    virtual const wchar_t* GetDownStyle() { return downStyle_; }
    virtual void SetDownStyle(const wchar_t* style);
    virtual const wchar_t* GetThumbStyle() { return thumbStyle_; }
    virtual void SetThumbStyle(const wchar_t* style);

    // For tests and owners: parts in local coordinates and their states.
    const duScrollRects& GetPartRects() const { return rects_; }
    UINT GetPartState(int part) const;
    int GetHotPart() const { return hotPart_; }
    bool IsDragging() const { return dragging_; }
    int GetMinThumbSize() const { return v_.MinThumb(); }
    UINT GetTimerId() const { return timerId_; }

private:
    POINT ToLocal(int x, int y);
    int AxisOf(POINT local) const { return v_.vert ? local.y : local.x; }
    int Track();
    // The values with the arrow and minimum thumb lengths in pixels.
    duScrollValues Geometry();
    void SetPartState(int part, UINT state);
    // Runs the action of a pressed arrow or track part once.
    void StepPart(int part);
    void MoveTo(int pos, int code);
    void TellOwner(int code);
    void StopRepeat();
    void EndDrag(bool releaseCapture);

    duScrollValues v_;
    wchar_t upStyle_[kPluginTextSize] = {};
    wchar_t downStyle_[kPluginTextSize] = {};
    wchar_t thumbStyle_[kPluginTextSize] = {};
    duScrollRects rects_;
    UINT firstState_ = STATE_NORMAL;
    UINT secondState_ = STATE_NORMAL;
    UINT thumbState_ = STATE_NORMAL;
    int hotPart_ = SB_PART_NONE;
    int trackUnits_ = 0;     // pointer's track position in thumb lengths
    POINT lastPointer_{};    // local
    bool dragging_ = false;
    int dragStartAxis_ = 0;
    int dragStartPos_ = 0;
    int previousPos_ = 0;
    int repeatPart_ = SB_PART_NONE;
    UINT timerId_ = 0;
};
