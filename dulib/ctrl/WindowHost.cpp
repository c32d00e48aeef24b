#include "dulib/ctrl/WindowHost.h"

#include <algorithm>
#include <atomic>
#include <commctrl.h>
#include <vector>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginFactory.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/UiDispatcher.h"
#include "dulib/ctrl/WindowAccess.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duWindow.h"
#include "dulib/ctrl/duWindowManager.h"
#include "dulib/res/DisplayDpi.h"
#include "dulib/res/SkinXml.h"

namespace {
constexpr wchar_t kHostProperty[] = L"SYSPLUGIN";

// Under Wine a window property is kept by the display server, so reading one
// is a round trip, and a paint looks its host up dozens of times. The last
// answer is kept per thread and holds until a host is set on a window or
// taken off one.
std::atomic<unsigned> g_hostChanges{0};

struct HostLookup {
    HWND hwnd = nullptr;
    WindowHost* host = nullptr;
    unsigned changes = 0;
};
thread_local HostLookup t_lastHost;

void SetHostProperty(HWND hwnd, WindowHost* host) {
    if (host) ::SetPropW(hwnd, kHostProperty, host);
    else ::RemovePropW(hwnd, kHostProperty);
    ++g_hostChanges;
}

// Pre-order walk of a subtree: the order in which plugins enter the tables.
void CollectTree(duPlugin* p, std::vector<duPlugin*>& out) {
    for (; p; p = p->GetNextSibling()) {
        out.push_back(p);
        CollectTree(p->GetFirstChild(), out);
    }
}
}  // namespace

LRESULT CALLBACK EngineWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

UINT NewTimerId() {
    static std::atomic<UINT> next{0x10000};
    return next++;
}

WindowHost::WindowHost(duWindowManager* manager, HWND hwnd)
    : manager_(manager), hwnd_(hwnd), scale_(DpiOfWindow(hwnd)), access_(std::make_unique<WindowAccess>(this)) {}

WindowHost::~WindowHost() {
    if (!torndown_) Teardown();
}

WindowHost* WindowHost::FromHwnd(HWND hwnd) {
    if (!hwnd) return nullptr;
    const unsigned changes = g_hostChanges.load();
    HostLookup& last = t_lastHost;
    if (last.hwnd == hwnd && last.changes == changes) return last.host;
    WindowHost* host = static_cast<WindowHost*>(::GetPropW(hwnd, kHostProperty));
    last = HostLookup{hwnd, host, changes};
    return host;
}

bool WindowHost::Attach(const tinyxml2::XMLElement* element) {
    if (!element) return false;
    tinyxml2::XMLNode* copy = element->DeepClone(&elements_);
    elements_.InsertEndChild(copy);
    const tinyxml2::XMLElement* own = copy ? copy->ToElement() : nullptr;
    duPlugin* root = own ? CreatePluginByTag(ReadTagName(own).c_str()) : nullptr;
    root_ = dynamic_cast<duWindow*>(root);
    if (!root_) {
        if (root) root->Destroy();
        return false;
    }
    SetHostProperty(hwnd_, this);
    // Held like a window procedure's frame: a handler that closes the window
    // while it is being attached tears the host down without freeing it here.
    ++depth_;
    {
        // The list bars shown while the tree settles notify once it has.
        LayoutScope layout(this);
        root_->SetZorder(0);
        root_->LoadPluginFromXml(own, this);

        std::vector<duPlugin*> all;
        CollectTree(root_, all);
        for (duPlugin* p : all) AddPlugin(p);
        for (duPlugin* p : all)
            if (IsValidPlugin(p)) p->OnInitialized();

        // The engine draws everything itself: no frame, no background erase.
        ::SetClassLongPtrW(hwnd_, GCL_STYLE,
                           ::GetClassLongPtrW(hwnd_, GCL_STYLE) | CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS);
        LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
        style = (style & 0xF93BFFFF) | 0x06000000;
        ::SetWindowLongPtrW(hwnd_, GWL_STYLE, style);
        ::SetWindowLongPtrW(hwnd_, GWL_EXSTYLE, ::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & 0xFFFDFCFE);
        previousProc_ = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EngineWindowProc)));
        ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0, 0x37);

        OpenUiTaskQueue(hwnd_);
        if (IsValidPlugin(root_)) root_->PositionWindow();
        // Placed against the final client area even when positioning changed
        // no size (layouts arrange here).
        if (IsValidPlugin(root_)) root_->Resize(nullptr);
        // Only now: the tree is laid out once, and painted once below, not
        // at every step of getting there.
        attached_ = true;
    }
    --depth_;
    if (torndown_) return false;  // the window went away meanwhile
    if (IsLayered()) PaintWindow(nullptr);
    else if (IsValidPlugin(root_)) root_->ApplyRegion();
    // Before any pointer message reaches the window, once the first frame is out.
    PostUiTask(hwnd_, [this] { GetTooltipWindow(); });
    return true;
}

HWND WindowHost::GetTooltipWindow() {
    if (tooltip_ || torndown_) return tooltip_;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&icc);
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, L"", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr, GetEngineInstance(), nullptr);
    if (tooltip_)
        ::SetWindowPos(tooltip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return tooltip_;
}

void WindowHost::Teardown() {
    if (torndown_) return;
    torndown_ = true;
    SetHostProperty(hwnd_, nullptr);
    if (manager_) manager_->ForgetWindow(hwnd_);
    CloseUiTaskQueue(hwnd_);
    for (auto& t : timers_) ::KillTimer(hwnd_, t.first);
    if (caretTimerId_) ::KillTimer(hwnd_, caretTimerId_);
    if (caretSystem_) ::DestroyCaret();
    SetWindowImage(nullptr);
    imageDc_.reset();
    caretBitmap_.reset();
    if (tooltip_) ::DestroyWindow(tooltip_);
    tooltip_ = nullptr;

    std::vector<duPlugin*> live;
    for (duPlugin* p : zorder_.PaintOrder())
        if (IsValidPlugin(p)) live.push_back(p);
    zorder_.Clear();
    names_.clear();
    timers_.clear();
    hooks_.clear();
    deferred_.clear();
    focus_ = hot_ = capture_ = nullptr;
    root_ = nullptr;
    // A plugin takes its subtree with it, so later entries may be gone already.
    for (duPlugin* p : live)
        if (IsValidPlugin(p)) p->Destroy();
}

void WindowHost::AddPlugin(duPlugin* plugin) {
    if (!plugin) return;
    zorder_.Add(plugin);
    const wchar_t* name = plugin->GetName();
    if (!name || !name[0]) return;
    auto inserted = names_.emplace(name, plugin);
    if (!inserted.second && inserted.first->second != plugin) DebugTrace(L"error: [%s] is repeated\n", name);
}

void WindowHost::ForgetPlugin(duPlugin* plugin) {
    zorder_.Remove(plugin);
    for (auto it = names_.begin(); it != names_.end();) {
        if (it->second != plugin) {
            ++it;
            continue;
        }
        // The name passes to the next plugin that bears it, if any.
        const std::wstring name = it->first;
        it = names_.erase(it);
        for (duPlugin* p : zorder_.PaintOrder()) {
            if (p != plugin && IsValidPlugin(p) && name == p->GetName()) {
                names_.emplace(name, p);
                break;
            }
        }
    }
    for (auto it = timers_.begin(); it != timers_.end();) {
        if (it->second == plugin) {
            ::KillTimer(hwnd_, it->first);
            it = timers_.erase(it);
        } else {
            ++it;
        }
    }
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), plugin), hooks_.end());
    if (focus_ == plugin) focus_ = nullptr;
    if (hot_ == plugin) hot_ = nullptr;
    if (capture_ == plugin) {
        capture_ = nullptr;
        if (::GetCapture() == hwnd_) ::ReleaseCapture();
    }
    if (root_ == plugin) root_ = nullptr;
    access_->Forget(plugin);
}

duPlugin* WindowHost::GetPluginByName(const wchar_t* name) const {
    if (!name) return nullptr;
    auto it = names_.find(name);
    return it == names_.end() ? nullptr : it->second;
}

void WindowHost::SetFocusPlugin(duPlugin* plugin, BOOL set) {
    if (set) {
        // Only a control that is shown takes the focus (a handler may have
        // hidden the control just pressed).
        if (plugin == focus_ || !IsValidPlugin(plugin) || !IsPluginShown(plugin)) return;
        duPlugin* old = focus_;
        focus_ = plugin;
        if (IsValidPlugin(old)) DispatchEvent(old, EVENT_KILLFOCUS, reinterpret_cast<WPARAM>(plugin), 0);
        if (!torndown_ && IsValidPlugin(plugin) && focus_ == plugin)
            DispatchEvent(plugin, EVENT_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
        if (!torndown_) access_->OnFocusMoved(old);
    } else if (plugin && plugin == focus_) {
        focus_ = nullptr;
        if (IsValidPlugin(plugin)) DispatchEvent(plugin, EVENT_KILLFOCUS, 0, 0);
        if (!torndown_) access_->OnFocusMoved(plugin);
    }
}

duPlugin* WindowHost::SetCapturePlugin(duPlugin* plugin) {
    duPlugin* previous = capture_;
    ::SetCapture(hwnd_);
    capture_ = plugin;
    if (previous != plugin && IsValidPlugin(previous)) previous->OnCaptureChanged(plugin);
    return previous;
}

void WindowHost::ReleaseCapturePlugin(duPlugin* plugin) {
    capture_ = nullptr;
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    if (IsValidPlugin(plugin)) plugin->OnCaptureChanged(nullptr);
}

void WindowHost::LoseCapture() {
    duPlugin* plugin = capture_;
    capture_ = nullptr;
    if (IsValidPlugin(plugin)) plugin->OnCaptureChanged(nullptr);
}

void WindowHost::CancelPointer() {
    if (capture_) ReleaseCapturePlugin(capture_);
    if (torndown_) return;
    duPlugin* hot = hot_;
    hot_ = nullptr;  // the next pointer message enters afresh
    if (!IsValidPlugin(hot)) return;
    POINT pt{};
    ::GetCursorPos(&pt);
    ::ScreenToClient(hwnd_, &pt);
    DispatchEvent(hot, EVENT_MOUSELEAVE, static_cast<WPARAM>(pt.x), static_cast<LPARAM>(pt.y));
}

void WindowHost::EndLayout() {
    if (layoutDepth_ > 0) --layoutDepth_;
    if (layoutDepth_ > 0 || deferred_.empty()) return;
    std::vector<Notice> notices;
    notices.swap(deferred_);
    const HWND hwnd = hwnd_;
    // A handler may close the window (and free this host): only locals from here.
    for (const Notice& n : notices) {
        if (!WindowHost::FromHwnd(hwnd)) return;
        if (IsValidPlugin(n.plugin)) NotifyUser(n.plugin, n.code, n.param1, n.param2);
    }
}

void WindowHost::DeferNotice(duPlugin* plugin, int code, int param1, int param2) {
    deferred_.push_back(Notice{plugin, code, param1, param2});
}

LayoutScope::LayoutScope(duPlugin* anyPluginOfTheWindow)
    : LayoutScope(anyPluginOfTheWindow ? anyPluginOfTheWindow->GetHost() : nullptr) {}

LayoutScope::LayoutScope(WindowHost* host) {
    if (!host) return;
    hwnd_ = host->GetHwnd();
    host->BeginLayout();
}

LayoutScope::~LayoutScope() {
    if (WindowHost* host = WindowHost::FromHwnd(hwnd_)) host->EndLayout();
}

bool WindowHost::SetPluginTimer(duPlugin* plugin, UINT id, UINT milliseconds) {
    if (!IsValidPlugin(plugin) || id == 0) return false;
    timers_.emplace(id, plugin);
    return ::SetTimer(hwnd_, id, milliseconds, nullptr) != 0;
}

void WindowHost::KillPluginTimer(UINT id) {
    ::KillTimer(hwnd_, id);
    timers_.erase(id);
}

void WindowHost::AddMessageHook(duPlugin* plugin) {
    if (IsValidPlugin(plugin) && std::find(hooks_.begin(), hooks_.end(), plugin) == hooks_.end())
        hooks_.push_back(plugin);
}

void WindowHost::RemoveMessageHook(duPlugin* plugin) {
    hooks_.erase(std::remove(hooks_.begin(), hooks_.end(), plugin), hooks_.end());
}

void WindowHost::OnPluginHidden() {
    auto leave = [](duPlugin* p) {
        RECT r;
        p->GetRect(&r);
        p->OnMouseLeave(r.right - 1, r.bottom - 1);
    };
    duPlugin* focus = focus_;
    if (focus && !IsPluginShown(focus)) {
        focus_ = nullptr;
        if (IsValidPlugin(focus)) {
            focus->SetFocus(0);
            leave(focus);
        }
        if (hot_ == focus) hot_ = nullptr;  // it has had its leave already
    }
    duPlugin* hot = hot_;
    if (hot && !IsPluginShown(hot)) {
        hot_ = nullptr;
        if (IsValidPlugin(hot)) leave(hot);
    }
    if (capture_ && !IsPluginShown(capture_)) ReleaseCapturePlugin(capture_);
}
