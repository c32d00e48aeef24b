// Message routing of an attached window: pointer tracking, hot and capture
// plugins, the message table, and the events that drive the plugins.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <vector>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/UiDispatcher.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duWindow.h"
#include "dulib/res/duStyleGroup.h"

LRESULT CALLBACK EngineWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    if (!host) {
        HandleUiTaskMessage(hwnd, msg);
        return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    // The host outlives every frame that uses it: a window destroyed from
    // inside a handler is torn down at once but freed by the outermost frame.
    ++host->depth_;
    LRESULT result = 0;
    if (!HandleUiTaskMessage(hwnd, msg)) result = host->WindowProc(msg, wParam, lParam);
    if (--host->depth_ == 0 && host->torndown_) delete host;
    return result;
}

LRESULT WindowHost::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (previousProc_) return ::CallWindowProcW(previousProc_, hwnd_, msg, wParam, lParam);
    return ::DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void WindowHost::TrackPointer() {
    TRACKMOUSEEVENT tme{sizeof(tme), TME_HOVER | TME_LEAVE, hwnd_, 200};
    ::TrackMouseEvent(&tme);
}

duPlugin* WindowHost::HitTest(int x, int y) {
    const POINT pt{x, y};
    for (duPlugin* p : zorder_.HitOrder()) {
        if (!IsValidPlugin(p) || !IsPluginShown(p)) continue;
        RECT r;
        p->GetRect(&r);
        if (!::PtInRect(&r, pt)) continue;
        RECT v = GetVisibleRect(p);
        if (::PtInRect(&v, pt)) return p;
    }
    return nullptr;
}

namespace {

// Signed client coordinates of a pointer message.
int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(lp)); }
int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(lp)); }

bool IsPointerEvent(UINT e) { return e >= EVENT_MOUSEMOVE && e <= EVENT_MOUSEWHEEL; }

int Signed(WPARAM v) { return static_cast<int>(static_cast<INT_PTR>(v)); }
int Signed(LPARAM v) { return static_cast<int>(v); }

}  // namespace

void WindowHost::DispatchEvent(duPlugin* plugin, UINT event, WPARAM a, LPARAM b) {
    if (!IsValidPlugin(plugin)) return;
    if (IsPointerEvent(event) && plugin->IsDisable()) return;
    const int x = Signed(a), y = Signed(b);
    auto notifyAfter = [&](int code) {
        if (IsValidPlugin(plugin)) NotifyUser(plugin, code, x, y);
    };
    switch (event) {
    case EVENT_CHILDRESIZE:
        if (IsValidPlugin(plugin->GetParent())) plugin->GetParent()->OnChildResize(reinterpret_cast<duPlugin*>(a));
        break;
    case EVENT_CHILDSHOW:
        if (IsValidPlugin(plugin->GetParent()))
            plugin->GetParent()->OnChildShow(reinterpret_cast<duPlugin*>(a), static_cast<BOOL>(b));
        break;
    case EVENT_MOUSEMOVE: plugin->OnMouseMove(x, y); break;
    case EVENT_MOUSEIN: plugin->OnMouseIn(x, y); notifyAfter(DUM_MOUSEIN); break;
    case EVENT_MOUSELEAVE: plugin->OnMouseLeave(x, y); notifyAfter(DUM_MOUSELEAVE); break;
    case EVENT_LBUTTONDOWN: plugin->OnMouseLDown(x, y); notifyAfter(DUM_LBUTTONDOWN); break;
    case EVENT_LBUTTONUP: plugin->OnMouseLUp(x, y); notifyAfter(DUM_LBUTTONUP); break;
    case EVENT_RBUTTONDOWN: plugin->OnMouseRDown(x, y); notifyAfter(DUM_RBUTTONDOWN); break;
    case EVENT_RBUTTONUP: plugin->OnMouseRUp(x, y); notifyAfter(DUM_RBUTTONUP); break;
    case EVENT_MOUSEHOVER: plugin->OnMouseHover(x, y); notifyAfter(DUM_MOUSEHOVER); break;
    case EVENT_LBUTTONDBCLICK: plugin->OnMouseDbClick(x, y); notifyAfter(DUM_LBUTTONDBCLICK); break;
    case EVENT_MOUSEWHEEL:
        plugin->OnMouseWheel(static_cast<short>(LOWORD(a)), static_cast<short>(HIWORD(a)),
                             static_cast<short>(LOWORD(b)), static_cast<short>(HIWORD(b)));
        break;
    case EVENT_TIMER: plugin->OnTimer(static_cast<UINT>(a)); break;
    case EVENT_KILLFOCUS:
    case EVENT_SETFOCUS: {
        const bool set = event == EVENT_SETFOCUS;
        plugin->SetFocus(set ? 1 : 0);
        NotifyUser(plugin, set ? DUM_SETFOCUS : DUM_KILLFOCUS, 0, 0);
        // The handler may have moved the focus on (or hidden the plugin):
        // the control hears only of what still holds.
        if (!IsValidPlugin(plugin) || torndown_ || (focus_ == plugin) != set) break;
        if (set) plugin->OnSetFocus(reinterpret_cast<duPlugin*>(a));
        else plugin->OnKillFocus(reinterpret_cast<duPlugin*>(a));
        if (IsValidPlugin(plugin)) RedrawPlugin(plugin, TRUE);
        break;
    }
    case EVENT_PAINT:
        if (a && b) PaintPlugin(reinterpret_cast<HDC>(a), plugin, *reinterpret_cast<const RECT*>(b));
        break;
    case EVENT_KEYDOWN:
        if (!plugin->IsDisable()) plugin->OnKeyDown(static_cast<UINT>(a), LOWORD(b), HIWORD(b));
        break;
    case EVENT_KEYUP:
        if (!plugin->IsDisable()) plugin->OnKeyUp(static_cast<UINT>(a), LOWORD(b), HIWORD(b));
        break;
    default:
        break;
    }
}

// Handles the engine's part of a message; false when the application's
// procedure is to be called afterwards (*result unused then).
bool WindowHost::RouteMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // Navigation keys and accessibility requests come before the controls.
    if (access_->PreRoute(msg, wParam, lParam, result)) return true;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    const bool pointer = msg >= WM_MOUSEMOVE && msg <= WM_MOUSEWHEEL;
    if (pointer) TrackPointer();

    // The capture plugin stands only while the window holds the capture and
    // the plugin can still take input; otherwise it gets its release.
    if (capture_ && ::GetCapture() != hwnd_) LoseCapture();
    if (capture_ && (!IsValidPlugin(capture_) || capture_->IsDisable() || !IsPluginShown(capture_)))
        ReleaseCapturePlugin(capture_);
    if (torndown_) return true;
    if (capture_ && ::GetCapture() == hwnd_) {
        UINT event = 0;
        switch (msg) {
        case WM_MOUSEMOVE: event = EVENT_MOUSEMOVE; break;
        case WM_LBUTTONDOWN: event = EVENT_LBUTTONDOWN; break;
        case WM_LBUTTONUP: event = EVENT_LBUTTONUP; break;
        case WM_LBUTTONDBLCLK: event = EVENT_LBUTTONDBCLICK; break;
        case WM_RBUTTONDOWN: event = EVENT_RBUTTONDOWN; break;
        case WM_RBUTTONUP: event = EVENT_RBUTTONUP; break;
        default: break;
        }
        if (event) {
            DispatchEvent(capture_, event, static_cast<WPARAM>(x), static_cast<LPARAM>(y));
            return false;
        }
    }

    const std::vector<duPlugin*> hooks = hooks_;
    for (duPlugin* hook : hooks) {
        if (torndown_) return true;
        if (IsValidPlugin(hook)) hook->OnWndMessage(hwnd_, msg, wParam, lParam);
    }
    if (torndown_) return true;

    if (pointer && msg != WM_MOUSEWHEEL) {
        if (tooltip_) {
            MSG m{hwnd_, msg, wParam, lParam, 0, {x, y}};
            ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
        }
        duPlugin* hit = HitTest(x, y);
        if (hit && hit != hot_) {
            duPlugin* old = hot_;
            hot_ = hit;
            if (IsValidPlugin(old)) DispatchEvent(old, EVENT_MOUSELEAVE, x, y);
            if (torndown_) return true;
            if (IsValidPlugin(hit) && hot_ == hit) DispatchEvent(hit, EVENT_MOUSEIN, x, y);
            if (torndown_) return true;
        }
        if (IsValidPlugin(hot_)) DispatchEvent(hot_, EVENT_MOUSEMOVE, x, y);
        if (torndown_) return true;
    }

    switch (msg) {
    case WM_PAINT:
        if (wParam) {
            PaintWindow(reinterpret_cast<HDC>(wParam));
        } else {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hwnd_, &ps);
            PaintWindow(dc);
            ::EndPaint(hwnd_, &ps);
        }
        *result = 0;
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_NCHITTEST:
        *result = root_ ? root_->HitTestBorder(x, y) : HTCLIENT;
        return true;
    case WM_SETCURSOR: {
        const WORD hit = LOWORD(lParam);
        LPCWSTR shape = nullptr;
        switch (hit) {
        case HTTOP: case HTBOTTOM: shape = IDC_SIZENS; break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: shape = IDC_SIZENESW; break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: shape = IDC_SIZENWSE; break;
        case HTLEFT: case HTRIGHT: shape = IDC_SIZEWE; break;
        default: break;
        }
        if (shape) ::SetCursor(::LoadCursorW(nullptr, shape));
        else if (IsValidPlugin(hot_) && !hot_->IsDisable()) hot_->OnSetCursor();
        else ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
        *result = TRUE;
        return true;
    }
    case WM_GETMINMAXINFO:
        if (IsValidPlugin(root_)) root_->FillMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
        return false;
    case WM_WINDOWPOSCHANGED: {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (attached_ && pos && !(pos->flags & SWP_NOSIZE) && IsValidPlugin(root_)) {
            {
                LayoutScope layout(this);
                root_->Resize(nullptr);
            }
            if (torndown_ || !IsValidPlugin(root_)) return torndown_;
            if (IsLayered()) PaintWindow(nullptr);
            else root_->ApplyRegion();
        }
        return false;
    }
    case WM_NCDESTROY:
        *result = CallPrevious(msg, wParam, lParam);
        Teardown();
        return true;
    case WM_NCACTIVATE:
        if (IsValidPlugin(root_)) {
            const UINT before = root_->GetState(), after = wParam ? STATE_NORMALALL : STATE_CHECKEDALL;
            duStyleGroup* style = root_->GetStyleGroup(root_->GetStyle());
            root_->SetState(after);
            // A window shown for the first time is activated right after its
            // first frame: a full repaint then is wasted unless the root looks
            // different.
            if (!style || !style->DrawsAlike(before, after)) ::InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return false;
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return true;
    case WM_NCLBUTTONDOWN:
        if (wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT)
            ::SendMessageW(hwnd_, WM_SYSCOMMAND, SC_SIZE + (wParam - HTLEFT + 1), lParam);
        return torndown_;
    case WM_KEYDOWN:
    case WM_KEYUP:
        DispatchEvent(focus_, msg == WM_KEYDOWN ? EVENT_KEYDOWN : EVENT_KEYUP, wParam, lParam);
        return torndown_;
    case WM_TIMER:
        if (caretTimerId_ && wParam == caretTimerId_) {
            CaretTick();
        } else {
            auto it = timers_.find(static_cast<UINT>(wParam));
            if (it != timers_.end()) {
                if (IsValidPlugin(it->second)) {
                    DispatchEvent(it->second, EVENT_TIMER, wParam, 0);
                } else {
                    ::KillTimer(hwnd_, it->first);
                    timers_.erase(it);
                }
            }
        }
        return torndown_;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: {
        wchar_t cls[64] = {};
        ::GetClassNameW(hwnd_, cls, 64);
        if (wcscmp(cls, L"dulibMenuClass") != 0) ::SetFocus(hwnd_);
        duPlugin* hot = hot_;
        const UINT event = msg == WM_LBUTTONDOWN ? EVENT_LBUTTONDOWN
                           : msg == WM_LBUTTONDBLCLK ? EVENT_LBUTTONDBCLICK
                                                     : EVENT_RBUTTONDOWN;
        DispatchEvent(hot, event, x, y);
        if (torndown_) return true;
        // A layout never takes the focus from a left click: the focused edit
        // keeps it when the user clicks the empty part of a page.
        if (IsValidPlugin(hot) && hot != focus_ && hot != root_ && !hot->IsDisable() &&
            !(msg != WM_RBUTTONDOWN && _wcsicmp(hot->GetType(), L"layout") == 0))
            SetFocusPlugin(hot, TRUE);
        return torndown_;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        DispatchEvent(hot_, msg == WM_LBUTTONUP ? EVENT_LBUTTONUP : EVENT_RBUTTONUP, x, y);
        return torndown_;
    case WM_MOUSEWHEEL:
        DispatchEvent(focus_, EVENT_MOUSEWHEEL, wParam, lParam);
        return torndown_;
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE: {
        POINT pt{x, y};
        if (msg == WM_MOUSELEAVE) {
            ::GetCursorPos(&pt);
            ::ScreenToClient(hwnd_, &pt);
        }
        const bool capturing = capture_ && ::GetCapture() == hwnd_;
        duPlugin* target = capturing ? capture_ : hot_;
        // The pointer left the window: nothing is hot any more, so coming
        // back onto the same control enters it again.
        if (msg == WM_MOUSELEAVE && !capturing) hot_ = nullptr;
        DispatchEvent(target, msg == WM_MOUSEHOVER ? EVENT_MOUSEHOVER : EVENT_MOUSELEAVE, pt.x, pt.y);
        return torndown_;
    }
    case WM_DPICHANGED:
        // Laid out and sized here; the application still sees the message
        // (for its icons, say).
        OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return torndown_;
    case WM_CAPTURECHANGED:
        // Another window took the pointer (a message box, Alt+Tab).
        if (reinterpret_cast<HWND>(lParam) != hwnd_) LoseCapture();
        return torndown_;
    case WM_CANCELMODE:
        CancelPointer();
        return torndown_;
    case WM_ENTERSIZEMOVE:
        inSizeMove_ = true;
        return false;
    case WM_EXITSIZEMOVE:
        inSizeMove_ = false;
        return false;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0x100 && IsValidPlugin(root_)) SetFocusPlugin(root_, TRUE);
        return torndown_;
    default:
        return false;
    }
}

LRESULT WindowHost::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (RouteMessage(msg, wParam, lParam, &result)) return result;
    if (torndown_) return 0;
    return CallPrevious(msg, wParam, lParam);
}
