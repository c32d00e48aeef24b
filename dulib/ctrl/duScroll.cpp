#include "dulib/ctrl/duScroll.h"

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/duStyleGroup.h"

namespace {
constexpr UINT kRepeatMs = 100;
}

void duScroll::OnCreate() {
    duPropertyGroup* props = GetPropertyGroup();
    if (!props) return;
    props->ReadInt("maxpos", &v_.maxpos);
    props->ReadInt("pos", &v_.pos);
    props->ReadInt("page", &v_.page);
    props->ReadInt("step", &v_.step);
    props->ReadInt("arrowheight", &v_.arrow);
    props->ReadInt("minthumbsize", &v_.minthumb);
    int vert = 0;
    props->ReadFlag("vert", &vert);
    v_.vert = vert != 0;
    props->ReadText("upstyle", upStyle_, kPluginTextSize);
    props->ReadText("downstyle", downStyle_, kPluginTextSize);
    props->ReadText("thumbstyle", thumbStyle_, kPluginTextSize);
    // Negative skin values mean nothing sensible; they read as 0.
    if (v_.maxpos < 0) v_.maxpos = 0;
    if (v_.pos < 0) v_.pos = 0;
    if (v_.page < 0) v_.page = 0;
    if (v_.step < 0) v_.step = 0;
    if (v_.arrow < 0) v_.arrow = 0;
    if (v_.minthumb < 0) v_.minthumb = 0;
    previousPos_ = v_.pos;
}

void duScroll::OnInitialized() {
    timerId_ = NewTimerId();
    UpdateScrollRects();
}

void duScroll::Resize(const RECT* parentRect) {
    duPlugin::Resize(parentRect);
    UpdateScrollRects();
}

void duScroll::UpdateScrollRects() {
    RECT r = LocalRect();
    rects_ = ComputeScrollRects(Geometry(), r.right, r.bottom);
    InvalidateCache();
}

int duScroll::Track() {
    RECT r = LocalRect();
    return ScrollTrackLength(Geometry(), r.right, r.bottom);
}

duScrollValues duScroll::Geometry() {
    // Positions stay in content units; the arrows and the thumb's minimum
    // are lengths on the screen.
    duScrollValues v = v_;
    const DpiScale scale = Scale();
    v.arrow = scale.Point(v_.arrow);
    v.minthumb = scale.Point(v_.MinThumb());
    return v;
}

// --- setters ------------------------------------------------------------------

void duScroll::SetMaxPos(int maxpos) {
    if (maxpos < 0) return;
    v_.maxpos = maxpos;
    UpdateScrollRects();
}

void duScroll::SetScrollPos(int pos) {
    if (pos < 0) return;
    previousPos_ = v_.pos;
    v_.pos = pos;
    UpdateScrollRects();
}

void duScroll::SetPage(int page) {
    if (page < 0) return;
    v_.page = page;
    UpdateScrollRects();
}

void duScroll::SetArrowHeight(int height) {
    if (height < 0) return;
    v_.arrow = height;
    UpdateScrollRects();
}

void duScroll::SetVert(BOOL vert) {
    v_.vert = vert != 0;
    UpdateScrollRects();
}

void duScroll::SetStep(int step) {
    if (step < 0) return;
    v_.step = step;
}

void duScroll::SetUpStyle(const wchar_t* style) {
    CopyPluginText(upStyle_, style);
    InvalidateCache();
}
void duScroll::SetDownStyle(const wchar_t* style) {
    CopyPluginText(downStyle_, style);
    InvalidateCache();
}
void duScroll::SetThumbStyle(const wchar_t* style) {
    CopyPluginText(thumbStyle_, style);
    InvalidateCache();
}

// --- part states --------------------------------------------------------------

UINT duScroll::GetPartState(int part) const {
    switch (part) {
    case SB_PART_FIRST: return firstState_;
    case SB_PART_SECOND: return secondState_;
    case SB_PART_THUMB: return thumbState_;
    default: return STATE_NORMAL;
    }
}

void duScroll::SetPartState(int part, UINT state) {
    InvalidateCache();
    switch (part) {
    case SB_PART_FIRST: firstState_ = state; break;
    case SB_PART_SECOND: secondState_ = state; break;
    case SB_PART_THUMB: thumbState_ = state; break;
    default: break;
    }
}

POINT duScroll::ToLocal(int x, int y) {
    RECT r;
    GetRect(&r);
    return POINT{x - r.left, y - r.top};
}

// --- input --------------------------------------------------------------------

void duScroll::OnMouseMove(int x, int y) {
    if (!v_.Scrollable()) return;
    const POINT p = ToLocal(x, y);
    lastPointer_ = p;
    if (dragging_) {
        const int thumbLength = v_.vert ? rects_.thumb.bottom - rects_.thumb.top : rects_.thumb.right - rects_.thumb.left;
        const int pos = ScrollDrag(v_, Track(), thumbLength, dragStartPos_, AxisOf(p) - dragStartAxis_);
        if (pos != v_.pos) MoveTo(pos, 3);
        return;
    }
    const int part = ScrollPartAt(rects_, p);
    trackUnits_ = ScrollTrackUnits(Geometry(), Track(), AxisOf(p));
    if (part == hotPart_) return;
    SetPartState(hotPart_, STATE_NORMAL);
    SetPartState(part, STATE_OVER);
    hotPart_ = part;
    RedrawPlugin(this, FALSE);
}

void duScroll::OnMouseLDown(int x, int y) {
    if (!v_.Scrollable()) return;
    const POINT p = ToLocal(x, y);
    lastPointer_ = p;
    const int part = ScrollPartAt(rects_, p);
    trackUnits_ = ScrollTrackUnits(Geometry(), Track(), AxisOf(p));
    hotPart_ = part;
    WindowHost* host = GetHost();
    if (part == SB_PART_THUMB) {
        dragging_ = true;
        thumbState_ = STATE_PRESS;
        dragStartAxis_ = AxisOf(p);
        dragStartPos_ = v_.pos;
        if (host) host->SetCapturePlugin(this);
        RedrawPlugin(this, FALSE);
        return;
    }
    if (part == SB_PART_NONE) return;
    if (part == SB_PART_FIRST || part == SB_PART_SECOND) SetPartState(part, STATE_PRESS);
    repeatPart_ = part;
    StepPart(part);
    if (IsValidPlugin(this) && host && repeatPart_ != SB_PART_NONE) host->SetPluginTimer(this, timerId_, kRepeatMs);
}

void duScroll::StepPart(int part) {
    switch (part) {
    case SB_PART_FIRST: MoveTo(ScrollLineBack(v_), 1); break;
    case SB_PART_SECOND: MoveTo(ScrollLineForward(v_), 2); break;
    case SB_PART_BEFORE: MoveTo(ScrollPageBack(v_, trackUnits_), 4); break;
    case SB_PART_AFTER: MoveTo(ScrollPageForward(v_, trackUnits_), 5); break;
    default: break;
    }
}

void duScroll::OnTimer(UINT id) {
    if (id != timerId_) return;
    if (repeatPart_ == SB_PART_NONE || !v_.Scrollable()) {
        StopRepeat();
        return;
    }
    // A track press repeats only while the pointer is still over that part:
    // once the thumb has reached the pointer the paging stops.
    if ((repeatPart_ == SB_PART_BEFORE || repeatPart_ == SB_PART_AFTER) &&
        ScrollPartAt(rects_, lastPointer_) != repeatPart_)
        return;
    StepPart(repeatPart_);
}

void duScroll::OnMouseLUp(int, int) {
    StopRepeat();
    if (firstState_ == STATE_PRESS) firstState_ = STATE_OVER;
    if (secondState_ == STATE_PRESS) secondState_ = STATE_OVER;
    if (dragging_) {
        EndDrag(true);
    } else if (thumbState_ == STATE_PRESS) {
        thumbState_ = STATE_OVER;
    }
    if (IsValidPlugin(this)) RedrawPlugin(this, FALSE);
}

void duScroll::OnMouseLeave(int, int) {
    StopRepeat();
    if (dragging_) return;
    firstState_ = secondState_ = thumbState_ = STATE_NORMAL;
    hotPart_ = SB_PART_NONE;
    RedrawPlugin(this, FALSE);
}

void duScroll::OnCaptureChanged(duPlugin* next) {
    if (!dragging_ || next == this) return;
    // Taken away mid-drag: the thumb lets go where it is.
    EndDrag(false);
    StopRepeat();
    RedrawPlugin(this, FALSE);
}

void duScroll::EndDrag(bool releaseCapture) {
    dragging_ = false;
    thumbState_ = STATE_NORMAL;
    WindowHost* host = GetHost();
    if (releaseCapture && host && host->GetCapturePlugin() == this) host->ReleaseCapturePlugin(this);
}

void duScroll::StopRepeat() {
    if (repeatPart_ == SB_PART_NONE) return;
    repeatPart_ = SB_PART_NONE;
    if (WindowHost* host = GetHost()) host->KillPluginTimer(timerId_);
}

void duScroll::OnMouseWheel(int, int delta, int, int) {
    if (!v_.Scrollable()) return;
    int code = 0;
    const int pos = ScrollWheel(v_, delta, &code);
    previousPos_ = v_.pos;
    v_.pos = pos;
    UpdateScrollRects();
    TellOwner(code);
    if (!IsValidPlugin(this)) return;
    NotifyUser(this, v_.vert ? DUM_VSCROLL : DUM_HSCROLL, code, pos);
    if (IsValidPlugin(this)) RedrawPlugin(this, FALSE);
}

void duScroll::MoveTo(int pos, int code) {
    previousPos_ = v_.pos;
    v_.pos = pos;
    UpdateScrollRects();
    TellOwner(code);
    if (IsValidPlugin(this)) RedrawPlugin(this, FALSE);
}

void duScroll::TellOwner(int code) {
    duPlugin* owner = GetParent();
    if (!owner || !IsValidPlugin(owner)) return;
    if (v_.vert) owner->OnVScroll(code, v_.pos);
    else owner->OnHScroll(code, v_.pos);
}

// --- painting -----------------------------------------------------------------

void duScroll::DrawObject(HDC dc) {
    RECT r = LocalRect();
    const int alpha = GetAlpha();
    const DpiScale scale = Scale();
    if (duStyleGroup* style = GetStyleGroup(GetStyle())) style->DrawStyle(dc, &r, GetState(), nullptr, alpha, scale);
    auto drawPart = [&](const wchar_t* name, const RECT& part, UINT state) {
        if (IsRectEmpty(&part)) return;
        if (duStyleGroup* style = GetStyleGroup(name)) style->DrawStyle(dc, &part, state, nullptr, alpha, scale);
    };
    drawPart(upStyle_, rects_.first, firstState_);
    drawPart(downStyle_, rects_.second, secondState_);
    drawPart(thumbStyle_, rects_.thumb, thumbState_);
}
