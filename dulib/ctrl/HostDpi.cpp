// A window moving to a monitor of another display scale (WM_DPICHANGED).
#include <windows.h>

#include <algorithm>

#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duWindow.h"

namespace {

RECT WorkAreaAt(const RECT& place) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (::GetMonitorInfoW(::MonitorFromRect(&place, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcWork;
    RECT r{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

}  // namespace

void WindowHost::OnDpiChanged(int dpi, const RECT* suggested) {
    const DpiScale next(dpi);
    if (next.Dpi() == scale_.Dpi() || !IsValidPlugin(root_)) {
        scale_ = next;
        return;
    }
    // The skin keeps its size in skin units; only the pixels change.
    const RECT skin = root_->GetLayoutRect();
    scale_ = next;
    RECT window{}, client{};
    ::GetWindowRect(hwnd_, &window);
    ::GetClientRect(hwnd_, &client);
    const RECT place = suggested ? *suggested : window;
    const RECT work = WorkAreaAt(place);
    const LONG frameW = (window.right - window.left) - client.right, frameH = (window.bottom - window.top) - client.bottom;
    const LONG w = std::min<LONG>(scale_.Span(skin.left, skin.right - skin.left) + frameW, work.right - work.left);
    const LONG h = std::min<LONG>(scale_.Span(skin.top, skin.bottom - skin.top) + frameH, work.bottom - work.top);
    // Where the system suggests (under the pointer that drags it), inside the
    // monitor's work area.
    const LONG x = std::clamp<LONG>(place.left, work.left, std::max(work.left, work.right - w));
    const LONG y = std::clamp<LONG>(place.top, work.top, std::max(work.top, work.bottom - h));
    ::SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (torndown_ || !IsValidPlugin(root_)) return;
    {
        LayoutScope layout(this);
        // Placed again even when the pixel size came out the same.
        root_->Resize(nullptr);
        for (duPlugin* p : zorder_.PaintOrder()) {
            if (!IsValidPlugin(p)) continue;
            p->InvalidateCache();  // drawn at the old scale
            if (auto* edit = dynamic_cast<duEdit*>(p)) edit->RefreshFont();
        }
    }
    if (torndown_ || !IsValidPlugin(root_)) return;
    if (IsLayered()) {
        PaintWindow(nullptr);
    } else {
        root_->ApplyRegion();
        ::InvalidateRect(hwnd_, nullptr, FALSE);
    }
}
