#include "dulib/ctrl/duWindow.h"

#include <algorithm>
#include <vector>

#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPropertyGroup.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duRgn.h"
#include "dulib/res/duStyleGroup.h"

namespace {
// A copy of region scaled from skin units to pixels.
HRGN ScaledRegion(HRGN region, const DpiScale& scale) {
    const DWORD bytes = ::GetRegionData(region, 0, nullptr);
    if (bytes == 0) return nullptr;
    std::vector<BYTE> data(bytes);
    if (::GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(data.data())) != bytes) return nullptr;
    const FLOAT factor = static_cast<FLOAT>(scale.Dpi()) / kSkinDpi;
    const XFORM xform{factor, 0, 0, factor, 0, 0};
    return ::ExtCreateRegion(scale.IsIdentity() ? nullptr : &xform, bytes, reinterpret_cast<RGNDATA*>(data.data()));
}

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
    // The root covers the client area in pixels; its children are placed in
    // the same area in skin units.
    RECT r{};
    if (parentRect) r = *parentRect;
    else if (GetHwnd()) ::GetClientRect(GetHwnd(), &r);
    SetRect(&r);
    for (duPlugin* child = GetFirstChild(); child; child = child->GetNextSibling()) child->Resize(nullptr);
}

void duWindow::DrawObject(HDC dc) {
    if (duStyleGroup* style = GetStyleGroup(GetStyle())) {
        RECT r = LocalRect();
        style->DrawStyle(dc, &r, GetState(), GetText(), GetAlpha(), Scale());
    }
}

void duWindow::OnMouseLDown(int x, int y) {
    HWND hwnd = GetHwnd();
    if (!captionHeight_ || !hwnd || ::IsZoomed(hwnd)) return;
    const DpiScale scale = Scale();
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    ::InflateRect(&rc, -scale.Point(borderSize_), -scale.Point(borderSize_));
    const POINT pt{x, y};
    if (!::PtInRect(&rc, pt) || y >= scale.Point(captionHeight_)) return;
    if (::GetCapture() == hwnd) ::ReleaseCapture();
    POINT screen = pt;
    ::ClientToScreen(hwnd, &screen);
    ::SendMessageW(hwnd, WM_SYSCOMMAND, 0xF019, MAKELPARAM(screen.x, screen.y));
}

int duWindow::HitTestBorder(int x, int y) {
    HWND hwnd = GetHwnd();
    POINT pt{x, y};
    ::ScreenToClient(hwnd, &pt);
    const int border = Scale().Point(borderSize_);
    RECT rc;
    ::GetClientRect(hwnd, &rc);
    RECT inner = rc;
    ::InflateRect(&inner, -border, -border);
    int code = HTCLIENT;
    if (!::IsZoomed(hwnd) && border > 0 && !::PtInRect(&inner, pt)) {
        const bool top = pt.y < rc.top + border, bottom = pt.y >= rc.bottom - border;
        const bool left = pt.x < rc.left + border, right = pt.x >= rc.right - border;
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
    const DpiScale scale = Scale();
    info->ptMinTrackSize = POINT{scale.Point(minWidth_), scale.Point(minHeight_)};
    info->ptMaxPosition = POINT{work.left, work.top};
    // A missing maximum means the work area.
    const LONG maxW = scale.Point(maxWidth_), maxH = scale.Point(maxHeight_);
    const LONG w = maxW > 0 && maxW < workW ? maxW : workW;
    const LONG h = maxH > 0 && maxH < workH ? maxH : workH;
    info->ptMaxSize = POINT{w, h};
    info->ptMaxTrackSize = POINT{w, h};
}

void duWindow::ApplyRegion() {
    HWND hwnd = GetHwnd();
    if (!hwnd || !rgn_[0]) return;
    duResManager* res = GetResManager();
    auto* rgn = res ? static_cast<duRgn*>(res->GetResObj(rgn_, RES_RGN)) : nullptr;
    if (!rgn) return;
    // The region is built in skin units (corners, traced pictures) and scaled.
    const RECT skin = GetLayoutRect();
    HRGN shape = rgn->CreateRegion(skin.right - skin.left, skin.bottom - skin.top);
    if (!shape) return;
    // The resource keeps its region; the window takes a copy of its own.
    RegionHandle copy(ScaledRegion(shape, Scale()));
    if (!copy) return;
    if (::SetWindowRgn(hwnd, copy.get(), TRUE)) copy.release();
}

void duWindow::PositionWindow() {
    HWND hwnd = GetHwnd();
    if (!hwnd || GetPosWidth() <= 0 || GetPosHeight() <= 0) return;
    // The skin's size and place at the window's scale, kept inside the work
    // area of its monitor.
    const DpiScale scale = Scale();
    const RECT work = WorkArea(hwnd);
    const int workW = work.right - work.left, workH = work.bottom - work.top;
    const int w = std::min(scale.Point(GetPosWidth()), workW), h = std::min(scale.Point(GetPosHeight()), workH);
    int x = x_ == -1 ? (workW - w) / 2 : scale.Point(x_);
    int y = y_ == -1 ? (workH - h) / 2 : scale.Point(y_);
    if (!scale.IsIdentity()) {
        x = std::clamp(x, static_cast<int>(work.left), std::max(static_cast<int>(work.left), static_cast<int>(work.right) - w));
        y = std::clamp(y, static_cast<int>(work.top), std::max(static_cast<int>(work.top), static_cast<int>(work.bottom) - h));
    }
    ::SetWindowPos(hwnd, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}
