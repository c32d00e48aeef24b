// Painting of an attached window: full paint into the kept window image,
// single-plugin repaint, presentation (BitBlt or UpdateLayeredWindow), the
// emulated caret of layered windows and the tooltip.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/res/Dib32.h"
#include "dulib/res/Painters.h"
#include "dulib/res/SkinXml.h"

namespace {

SIZE ClientSize(HWND hwnd) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

bool BitmapSize(HBITMAP bitmap, SIZE* size, BYTE** bits) {
    DIBSECTION ds{};
    if (!bitmap || ::GetObjectW(bitmap, sizeof(ds), &ds) != sizeof(ds)) return false;
    size->cx = ds.dsBm.bmWidth;
    size->cy = ds.dsBm.bmHeight;
    if (bits) *bits = static_cast<BYTE*>(ds.dsBm.bmBits);
    return true;
}

// Declared opaque by the skin, or drawing an opaque fill over all of itself
// now: nothing below it shows.
bool HidesBelow(duPlugin* plugin) { return plugin->IsOpaque() || plugin->PaintsOpaque(); }

// Zero (transparent black) over rect r of a top-down 32-bit image.
void ClearArea(BYTE* bits, SIZE size, const RECT& r) {
    RECT a{};
    const RECT all{0, 0, size.cx, size.cy};
    if (!bits || !::IntersectRect(&a, &r, &all)) return;
    for (LONG y = a.top; y < a.bottom; ++y)
        std::memset(bits + (static_cast<size_t>(y) * size.cx + a.left) * 4, 0, static_cast<size_t>(a.right - a.left) * 4);
}

}  // namespace

bool WindowHost::IsLayered() const { return (::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_LAYERED) != 0; }

namespace {
// A cached picture is the plugin's whole size; past this many pixels (a
// skin may give a control millions of pixels) the plugin is drawn directly,
// clipped to what shows, like an uncached one.
constexpr long long kMaxCachePixels = 4096LL * 4096;
}  // namespace

namespace {

// Lays the part `clip` of a plugin's picture (whose top left is at `origin`)
// onto the image. Over cleared pixels a blend of premultiplied pixels gives
// the picture itself, so it is copied: several times faster under Wine for
// the root's window-sized picture.
void LayPicture(HDC dc, HBITMAP picture, POINT origin, const RECT& clip, bool ontoClear) {
    const int w = clip.right - clip.left, h = clip.bottom - clip.top;
    if (!ontoClear) {
        BlendBitmap(dc, clip.left, clip.top, w, h, picture, clip.left - origin.x, clip.top - origin.y, w, h, 255);
        return;
    }
    SelectGuard select(ScratchDc(), picture);
    ::BitBlt(dc, clip.left, clip.top, w, h, ScratchDc(), clip.left - origin.x, clip.top - origin.y, SRCCOPY);
}

}  // namespace

void WindowHost::PaintPlugin(HDC dc, duPlugin* plugin, const RECT& clip) {
    const bool ontoClear = underlayClear_;
    underlayClear_ = false;
    RECT r;
    plugin->GetRect(&r);
    const long long area = static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
    if (plugin->IsCached() && r.right > r.left && r.bottom > r.top && area <= kMaxCachePixels) {
        const int w = r.right - r.left, h = r.bottom - r.top;
        // A picture that still shows the plugin as it is serves again, in a
        // full paint as around a single-plugin repaint; the plugin a repaint
        // was asked for is drawn afresh.
        SIZE cachedSize{};
        if (plugin != redrawn_ && plugin->IsCacheFresh() && BitmapSize(plugin->GetCacheBitmap(), &cachedSize, nullptr) &&
            cachedSize.cx == w && cachedSize.cy == h) {
            LayPicture(dc, plugin->GetCacheBitmap(), POINT{r.left, r.top}, clip, ontoClear);
            return;
        }
        BYTE* bits = nullptr;
        HBITMAP cache = CreateDib32(w, h, &bits);
        if (!cache) return;
        {
            MemoryDc cacheDc(::CreateCompatibleDC(dc));
            SelectGuard select(cacheDc.get(), cache);
            plugin->DrawObject(cacheDc.get());
        }
        if (!IsValidPlugin(plugin)) {
            ::DeleteObject(cache);
            return;
        }
        plugin->SetCacheBitmap(cache);
        LayPicture(dc, cache, POINT{r.left, r.top}, clip, ontoClear);
        return;
    }
    const int saved = ::SaveDC(dc);
    RegionHandle region(::CreateRectRgnIndirect(&clip));
    ::SelectClipRgn(dc, region.get());
    ::SetViewportOrgEx(dc, r.left, r.top, nullptr);
    plugin->DrawObject(dc);
    ::RestoreDC(dc, saved);
}

void WindowHost::SetWindowImage(HBITMAP image) {
    // Out of the DC before the old image is deleted (a selected bitmap is not).
    if (imageDc_) {
        if (image) ::SelectObject(imageDc_.get(), image);
        else if (imageDcBitmap_) ::SelectObject(imageDc_.get(), imageDcBitmap_);
    } else if (image) {
        imageDc_.reset(::CreateCompatibleDC(nullptr));
        if (imageDc_) imageDcBitmap_ = ::SelectObject(imageDc_.get(), image);
    }
    windowImage_.reset(image);
}

void WindowHost::PaintWindow(HDC target) {
    const SIZE size = ClientSize(hwnd_);
    BYTE* bits = nullptr;
    HBITMAP image = CreateDib32(size.cx, size.cy, &bits);
    SetWindowImage(image);
    HDC dc = imageDc_.get();
    if (!image || !dc) return;
    underlayClear_ = true;  // a new image is all zero
    for (duPlugin* p : zorder_.PaintOrder()) {
        if (!IsValidPlugin(p) || !IsPluginShown(p)) continue;
        RECT visible = GetVisibleRect(p);
        if (::IsRectEmpty(&visible)) continue;
        DispatchEvent(p, EVENT_PAINT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&visible));
    }
    underlayClear_ = false;
    access_->AfterPaint(dc, RECT{0, 0, size.cx, size.cy}, nullptr);
    Present(target, nullptr);
}

bool WindowHost::RedrawPluginArea(duPlugin* plugin) {
    // Controls settling in while the window is being attached (autosize,
    // layouts) wait for the first full paint.
    if (!attached_) return true;
    const SIZE client = ClientSize(hwnd_);
    SIZE size{};
    BYTE* bits = nullptr;
    if (!BitmapSize(windowImage_.get(), &size, &bits) || size.cx != client.cx || size.cy != client.cy) {
        PaintWindow(nullptr);
        return true;
    }
    const RECT area = GetVisibleRect(plugin);
    if (::IsRectEmpty(&area)) return true;

    // Painting sequence and where the plugin sits in it.
    const auto& levels = zorder_.Levels();
    std::vector<duPlugin*> order;
    std::vector<size_t> levelStart;  // index in `order` of each level, bottom first
    size_t self = SIZE_MAX;
    size_t selfLevel = SIZE_MAX;  // index into levelStart
    for (auto level = levels.rbegin(); level != levels.rend(); ++level) {
        levelStart.push_back(order.size());
        for (duPlugin* p : level->plugins) {
            if (p == plugin) {
                self = order.size();
                selfLevel = levelStart.size() - 1;
            }
            order.push_back(p);
        }
    }

    size_t start = 0;
    if (self == SIZE_MAX) {
        start = 0;  // not in the tables: repaint the whole area
    } else if (IsPluginShown(plugin) && HidesBelow(plugin)) {
        start = self;
    } else {
        // The nearest level below whose opaque plugins together cover the area.
        for (size_t li = selfLevel; li-- > 0;) {
            const size_t end = levelStart[li + 1];
            RegionHandle covered(::CreateRectRgn(0, 0, 0, 0));
            for (size_t i = levelStart[li]; i < end; ++i) {
                duPlugin* p = order[i];
                if (!IsValidPlugin(p) || !IsPluginShown(p) || !HidesBelow(p)) continue;
                RECT v = GetVisibleRect(p), part;
                if (!::IntersectRect(&part, &v, &area)) continue;
                RegionHandle piece(::CreateRectRgnIndirect(&part));
                ::CombineRgn(covered.get(), covered.get(), piece.get(), RGN_OR);
            }
            RegionHandle whole(::CreateRectRgnIndirect(&area));
            RegionHandle rest(::CreateRectRgn(0, 0, 0, 0));
            if (::CombineRgn(rest.get(), whole.get(), covered.get(), RGN_DIFF) == NULLREGION) {
                start = levelStart[li];
                break;
            }
        }
    }

    HDC dc = imageDc_.get();
    if (!dc) return false;
    ClearArea(bits, size, area);
    {
        redrawn_ = plugin;
        underlayClear_ = true;
        for (size_t i = start; i < order.size(); ++i) {
            duPlugin* p = order[i];
            if (p == plugin) {
                if (IsPluginShown(p)) DispatchEvent(p, EVENT_PAINT, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(&area));
                continue;
            }
            if (!IsValidPlugin(p) || !IsPluginShown(p)) continue;
            // A control away from the area is neither beneath nor above it;
            // one over the area that its parents cut away is worth a word.
            RECT own, part;
            p->GetRect(&own);
            if (!::IntersectRect(&part, &own, &area)) continue;
            const RECT v = GetVisibleRect(p);
            if (!::IntersectRect(&part, &v, &area)) {
                if (self != SIZE_MAX)
                    DebugTrace(i < self ? L"error DrawDownLayerPlguin IntersectRect NULL\n"
                                        : L"error DrawUpLayerPlguin IntersectRect NULL\n");
                continue;
            }
            DispatchEvent(p, EVENT_PAINT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(&part));
        }
        redrawn_ = nullptr;
        underlayClear_ = false;
        access_->AfterPaint(dc, area, plugin);
    }
    Present(nullptr, &area);
    return true;
}

void WindowHost::Present(HDC target, const RECT* area) {
    if (!windowImage_) return;
    if (IsLayered()) {
        // Only the area changed: the rest of what shows stays as it is, but a
        // caret drawn on it goes, as the update shows the image without it.
        RECT changed{};
        if (area) {
            changed = *area;
            if (caretShown_) ::UnionRect(&changed, &changed, &caretDrawn_);
        }
        caretShown_ = false;
        PresentLayered(area ? &changed : nullptr);
        return;
    }
    SIZE size{};
    if (!BitmapSize(windowImage_.get(), &size, nullptr)) return;
    RECT r = area ? *area : RECT{0, 0, size.cx, size.cy};
    HDC dc = imageDc_.get();
    if (!dc) return;
    if (target) {
        ::BitBlt(target, r.left, r.top, r.right - r.left, r.bottom - r.top, dc, r.left, r.top, SRCCOPY);
    } else {
        WindowDc window(hwnd_);
        if (window) ::BitBlt(window.get(), r.left, r.top, r.right - r.left, r.bottom - r.top, dc, r.left, r.top, SRCCOPY);
    }
    if (caretSystem_ && caretWanted_) {
        // A system caret drawn by XOR is lost under the copy: put it back.
        ::HideCaret(hwnd_);
        ::ShowCaret(hwnd_);
    }
}

void WindowHost::PresentLayered(const RECT* dirty) {
    SIZE size{};
    HDC dc = imageDc_.get();
    if (!dc || !BitmapSize(windowImage_.get(), &size, nullptr)) return;
    RECT wr{};
    ::GetWindowRect(hwnd_, &wr);
    POINT dst{wr.left, wr.top};
    POINT src{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    // No screen DC: it would only choose a palette, which 32-bit pixels have not.
    // The dirty rectangle spares the copy of what did not change (and, where
    // the system honours it, the transfer to the display).
    RECT changed{};
    const RECT all{0, 0, size.cx, size.cy};
    if (dirty && ::IntersectRect(&changed, dirty, &all)) {
        UPDATELAYEREDWINDOWINFO info{sizeof info, nullptr, &dst, &size, dc, &src, 0, &blend, ULW_ALPHA, &changed};
        // Refused when the window's size is not the image's: then all of it.
        if (::UpdateLayeredWindowIndirect(hwnd_, &info)) return;
    }
    ::UpdateLayeredWindow(hwnd_, nullptr, &dst, &size, dc, &src, 0, &blend, ULW_ALPHA);
}

void WindowHost::PresentCaret(bool shown) {
    if (!shown) {
        // Where it was drawn: the caret may have moved since.
        if (!::IsRectEmpty(&caretDrawn_)) PresentLayered(&caretDrawn_);
        caretDrawn_ = RECT{};
        return;
    }
    const RECT caret{caretX_, caretY_, caretX_ + caretWidth_, caretY_ + caretHeight_};
    SIZE size{};
    BYTE* bits = nullptr;
    if (!caretBitmap_ || !imageDc_ || !BitmapSize(windowImage_.get(), &size, &bits)) return;
    const RECT all{0, 0, size.cx, size.cy};
    RECT under{};
    if (!::IntersectRect(&under, &caret, &all)) {
        caretDrawn_ = RECT{};
        return;
    }
    caretDrawn_ = under;
    // The caret is laid on the image just for the update of its rectangle;
    // the image gets back what lay there, as it never holds the caret.
    const size_t rowBytes = static_cast<size_t>(under.right - under.left) * 4;
    std::vector<BYTE> kept(rowBytes * static_cast<size_t>(under.bottom - under.top));
    auto row = [&](LONG y) { return bits + (static_cast<size_t>(y) * size.cx + under.left) * 4; };
    ::GdiFlush();
    for (LONG y = under.top; y < under.bottom; ++y) std::memcpy(&kept[(y - under.top) * rowBytes], row(y), rowBytes);
    BlendBitmap(imageDc_.get(), caretX_, caretY_, caretWidth_, caretHeight_, caretBitmap_.get(), 0, 0, caretWidth_,
                caretHeight_, 255);
    PresentLayered(&under);
    ::GdiFlush();
    for (LONG y = under.top; y < under.bottom; ++y) std::memcpy(row(y), &kept[(y - under.top) * rowBytes], rowBytes);
}

// --- caret ---------------------------------------------------------------------

bool WindowHost::CreateCaret(int width, int height) {
    if (width <= 0 || height <= 0) return false;
    caretWidth_ = width;
    caretHeight_ = height;
    if (!IsLayered()) {
        caretSystem_ = ::CreateCaret(hwnd_, nullptr, width, height) != 0;
        return caretSystem_;
    }
    BYTE* bits = nullptr;
    caretBitmap_.reset(CreateDib32(width, height, &bits));
    if (!caretBitmap_) return false;
    auto* px = reinterpret_cast<DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) px[i] = 0xFF000000;  // opaque black
    if (!caretTimerId_) caretTimerId_ = NewTimerId();
    return true;
}

void WindowHost::DestroyCaret() {
    HideCaret();
    if (caretSystem_) {
        ::DestroyCaret();
        caretSystem_ = false;
    }
    caretBitmap_.reset();
}

void WindowHost::ShowCaret() {
    caretWanted_ = true;
    if (caretSystem_) {
        ::ShowCaret(hwnd_);
    } else if (caretBitmap_ && caretTimerId_) {
        ::SetTimer(hwnd_, caretTimerId_, ::GetCaretBlinkTime(), nullptr);
    }
}

void WindowHost::HideCaret() {
    const bool was = caretWanted_;
    caretWanted_ = false;
    if (caretSystem_) {
        if (was) ::HideCaret(hwnd_);
        return;
    }
    if (caretTimerId_) ::KillTimer(hwnd_, caretTimerId_);
    if (caretShown_) {
        caretShown_ = false;
        PresentCaret(false);
    }
}

void WindowHost::SetCaretPos(int x, int y) {
    caretX_ = x;
    caretY_ = y;
    if (caretSystem_) ::SetCaretPos(x, y);
}

void WindowHost::CaretTick() {
    if (inSizeMove_ || !caretBitmap_ || !caretWanted_) return;
    caretShown_ = !caretShown_;
    PresentCaret(caretShown_);
}

// --- tooltip -------------------------------------------------------------------

void WindowHost::ShowTooltip(const wchar_t* text) {
    if (!tooltip_ || !text || !text[0]) return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hwnd_;
    ti.lpszText = const_cast<wchar_t*>(text);
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
    tooltipTracking_ = (style & WS_CHILD) && ::GetParent(hwnd_) == ::GetDesktopWindow();
    if (tooltipTracking_) {
        ti.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
        ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        POINT pt{};
        ::GetCursorPos(&pt);
        ::SendMessageW(tooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(pt.x + 15, pt.y + 15));
        ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    } else {
        ti.uId = 1;
        ::GetClientRect(hwnd_, &ti.rect);
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
        ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
        ::SendMessageW(tooltip_, TTM_POP, 0, 0);
    }
}

void WindowHost::HideTooltip() {
    if (!tooltip_) return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = hwnd_;
    ti.uId = tooltipTracking_ ? reinterpret_cast<UINT_PTR>(hwnd_) : 1;
    if (tooltipTracking_) ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    ::SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}
