#include "dulib/ctrl/duWindow.h"

#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duRgn.h"
#include "dulib/res/duStyleGroup.h"

namespace {
RECT WorkArea(HWND hwnd) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &mi)) return mi.rcWork;
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}
}  // namespace

void duWindow::OnCreate() {
    duPropertyGroup* p = GetPropertyGroup();
    p->ReadInt("captionheight", &captionHeight_);
    p->ReadInt("minwidth", &minWidth_);
    p->ReadInt("minheight", &minHeight_);
    p->ReadInt("maxwidth", &maxWidth_);
    p->ReadInt("maxheight", &maxHeight_);
    p->ReadInt("x", &x_);
    p->ReadInt("y", &y_);
    p->ReadInt("bordersize", &borderSize_);
    p->ReadText("rgn", rgn_, kPluginTextSize);
    p->ReadFlag("layered", &layered_);
}

void duWindow::OnInitialized() {
    SetCached(1);
    HWND hwnd = GetHwnd();
    if (layered_ && hwnd)
        ::SetWindowLongPtrW(hwnd, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_LAYERED);
}

void duWindow::Resize(const RECT* parentRect) {
    LayoutScope layout(this);
    RECT r{};
    if (parentRect) r = *parentRect;
    else if (GetHwnd()) ::GetClientRect(GetHwnd(), &r);
    SetRect(&r);
    for (duPlugin* child = GetFirstChild(); child; child = child->GetNextSibling()) child->Resize(nullptr);
}

void duWindow::DrawObject(HDC dc) {
    if (duStyleGroup* style = GetStyleGroup(GetStyle())) {
        RECT r = LocalRect();
        style->DrawStyle(dc, &r, GetState(), GetText(), GetAlpha());
    }
}

void duWindow::OnMouseLDown(int x, int y) {
    HWND hwnd = GetHwnd();
    if (!captionHeight_ || !hwnd || ::IsZoomed(hwnd)) return;
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::InflateRect(&rc, -borderSize_, -borderSize_);
    const POINT pt{x, y};
    if (!::PtInRect(&rc, pt) || y >= captionHeight_) return;
    if (::GetCapture() == hwnd) ::ReleaseCapture();
    POINT screen = pt;
    ::ClientToScreen(hwnd, &screen);
    ::SendMessageW(hwnd, WM_SYSCOMMAND, 0xF019, MAKELPARAM(screen.x, screen.y));
}

int duWindow::HitTestBorder(int x, int y) {
    HWND hwnd = GetHwnd();
    POINT pt{x, y};
    ::ScreenToClient(hwnd, &pt);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    RECT inner = rc;
    ::InflateRect(&inner, -borderSize_, -borderSize_);
    int code = HTCLIENT;
    if (!::IsZoomed(hwnd) && borderSize_ > 0 && !::PtInRect(&inner, pt)) {
        const bool top = pt.y < rc.top + borderSize_, bottom = pt.y >= rc.bottom - borderSize_;
        const bool left = pt.x < rc.left + borderSize_, right = pt.x >= rc.right - borderSize_;
        if (top && left) code = HTTOPLEFT;
        else if (top && right) code = HTTOPRIGHT;
        else if (bottom && left) code = HTBOTTOMLEFT;
        else if (bottom && right) code = HTBOTTOMRIGHT;
        else if (top) code = HTTOP;
        else if (left) code = HTLEFT;
        else if (right) code = HTRIGHT;
        else if (bottom) code = HTBOTTOM;
    }
    lastHit_ = code;
    return code;
}

void duWindow::FillMinMaxInfo(MINMAXINFO* info) {
    if (!info) return;
    const RECT work = WorkArea(GetHwnd());
    const LONG workW = work.right - work.left, workH = work.bottom - work.top;
    info->ptMinTrackSize = POINT{minWidth_, minHeight_};
    info->ptMaxPosition = POINT{work.left, work.top};
    // A missing maximum means the work area.
    const LONG w = maxWidth_ > 0 && maxWidth_ < workW ? maxWidth_ : workW;
    const LONG h = maxHeight_ > 0 && maxHeight_ < workH ? maxHeight_ : workH;
    info->ptMaxSize = POINT{w, h};
    info->ptMaxTrackSize = POINT{w, h};
}

void duWindow::ApplyRegion() {
    HWND hwnd = GetHwnd();
    if (!hwnd || !rgn_[0]) return;
    duResManager* res = GetResManager();
    auto* rgn = res ? static_cast<duRgn*>(res->GetResObj(rgn_, RES_RGN)) : nullptr;
    if (!rgn) return;
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    HRGN shape = rgn->CreateRegion(rc.right - rc.left, rc.bottom - rc.top);
    if (!shape) return;
    // The resource keeps its region; the window takes a copy of its own.
    RegionHandle copy(::CreateRectRgn(0, 0, 0, 0));
    if (::CombineRgn(copy.get(), shape, nullptr, RGN_COPY) == ERROR) return;
    if (::SetWindowRgn(hwnd, copy.get(), TRUE)) copy.release();
}

void duWindow::PositionWindow() {
    HWND hwnd = GetHwnd();
    const int w = GetPosWidth(), h = GetPosHeight();
    if (!hwnd || w <= 0 || h <= 0) return;
    const RECT work = WorkArea(hwnd);
    const int x = x_ == -1 ? (work.right - work.left - w) / 2 : x_;
    const int y = y_ == -1 ? (work.bottom - work.top - h) / 2 : y_;
    ::SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}
