// The engine's flat operations and the window manager.
#include <windows.h>
#include <objbase.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginRegistry.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duWindowManager.h"
#include "dulib/res/GdiplusSession.h"
#include "dulib/res/SkinXml.h"

namespace {
HINSTANCE g_instance = nullptr;
std::unique_ptr<GdiplusSession> g_gdiplus;

// Popup menus of the menu controls live in windows of this class; the router
// leaves the keyboard focus alone for them.
void RegisterMenuClass() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(g_instance, L"dulibMenuClass", &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS | CS_DROPSHADOW;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = g_instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"dulibMenuClass";
    ::RegisterClassExW(&wc);
}
}  // namespace

bool InitEngine(HINSTANCE instance) {
    g_instance = instance ? instance : ::GetModuleHandleW(nullptr);
    CreatePluginRegistry();
    if (!g_gdiplus) g_gdiplus = std::make_unique<GdiplusSession>();
    return g_gdiplus->ok();
}

void ReleaseEngine() {
    DestroyPluginRegistry();
    g_gdiplus.reset();
}

HINSTANCE GetEngineInstance() { return g_instance ? g_instance : ::GetModuleHandleW(nullptr); }

duWindowManager* CreateWindowManager(const wchar_t* skin) {
    ::CoInitialize(nullptr);
    RegisterMenuClass();
    std::wstring path;
    if (skin && skin[0]) {
        path = skin;
        // A folder stands for the config.xml inside it.
        const DWORD attrs = ::GetFileAttributesW(skin);
        if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY)) {
            if (path.back() != L'\\' && path.back() != L'/') path += L'\\';
            path += L"config.xml";
        }
    }
    auto* manager = new duWindowManager();
    if (!manager->LoadSkin(path.empty() ? nullptr : path.c_str())) {
        manager->Destroy();
        return nullptr;
    }
    return manager;
}

bool AttachWindow(duWindowManager* manager, HWND hwnd, const wchar_t* name) {
    if (!manager || !hwnd || !::IsWindow(hwnd) || !name) return false;
    return manager->AttachWindow(hwnd, name);
}

duPlugin* GetPluginByName(HWND hwnd, const wchar_t* name) {
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    return host ? host->GetPluginByName(name) : nullptr;
}

bool RedrawPlugin(duPlugin* plugin, BOOL refresh) {
    if (!IsValidPlugin(plugin) || !plugin->GetHost()) return false;
    // Asked to redraw, the plugin has changed: its cached picture is old.
    plugin->InvalidateCache();
    if (refresh) {
        plugin->OnRedraw();
        if (!IsValidPlugin(plugin)) return false;
    }
    WindowHost* host = plugin->GetHost();
    return host ? host->RedrawPluginArea(plugin) : false;
}

void SetPluginVisible(duPlugin* plugin, BOOL visible) {
    if (!IsValidPlugin(plugin)) return;
    visible = visible ? 1 : 0;
    if ((plugin->IsVisible() ? 1 : 0) == visible) return;
    WindowHost* host = plugin->GetHost();
    if (!host) return;
    // (The "hwndobj" stand-in hosts no child window, so there is none to
    // show or hide with it.)
    plugin->SetVisible(visible);
    {
        // The parent arranges its children again.
        LayoutScope layout(host);
        host->DispatchEvent(plugin, EVENT_CHILDSHOW, reinterpret_cast<WPARAM>(plugin), visible);
    }
    if (IsValidPlugin(plugin)) NotifyUser(plugin, DUM_VISIBLECHANGED, visible, 0);
    // The handler may have closed the window.
    host = WindowHost::FromHwnd(IsValidPlugin(plugin) ? plugin->GetHwnd() : nullptr);
    if (host) host->OnPluginHidden();
}

LRESULT NotifyUser(duPlugin* plugin, int code, int param1, int param2) {
    if (!IsValidPlugin(plugin)) return 0;
    WindowHost* host = plugin->GetHost();
    if (!host) return 0;
    if (host->InLayout()) {
        host->DeferNotice(plugin, code, param1, param2);
        return 0;
    }
    const std::vector<duListener*> listeners = plugin->Listeners();
    for (duListener* l : listeners) {
        l->OnNotify(code, plugin, param1, param2);
        if (!IsValidPlugin(plugin)) return 0;
    }
    HWND hwnd = plugin->GetHwnd();
    if (!WindowHost::FromHwnd(hwnd)) return 0;
    NotifyRecord record{code, param1, param2};
    return ::SendMessageW(hwnd, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(plugin), reinterpret_cast<LPARAM>(&record));
}

int GetWindowDpi(HWND hwnd) {
    WindowHost* host = WindowHost::FromHwnd(hwnd);
    return host ? host->Scale().Dpi() : kSkinDpi;
}

// --- duWindowManager -----------------------------------------------------------

duWindowManager::~duWindowManager() {
    // Windows still attached keep working without resources until they go.
    for (auto& h : hosts_) h.second->DetachManager();
    hosts_.clear();
}

bool duWindowManager::AttachWindow(HWND hwnd, const wchar_t* name) {
    if (!hwnd || !::IsWindow(hwnd) || !name || WindowHost::FromHwnd(hwnd)) return false;
    tinyxml2::XMLElement* controls = GetControlRoot();
    if (!controls) return false;
    const tinyxml2::XMLElement* found = nullptr;
    for (auto* e = controls->FirstChildElement("duwindow"); e; e = e->NextSiblingElement("duwindow")) {
        wchar_t buffer[kPluginTextSize] = {};
        ReadXmlString(e, "name", buffer, kPluginTextSize);
        if (wcscmp(buffer, name) == 0) {
            found = e;
            break;
        }
    }
    if (!found) return false;
    auto host = std::make_unique<WindowHost>(this, hwnd);
    if (!host->Attach(found)) return false;
    hosts_[hwnd] = host.release();
    return true;
}

void duWindowManager::ForgetWindow(HWND hwnd) { hosts_.erase(hwnd); }

WindowHost* duWindowManager::FindHost(HWND hwnd) const {
    auto it = hosts_.find(hwnd);
    return it == hosts_.end() ? nullptr : it->second;
}

void duWindowManager::OnSkinChanged() {
    // Style items look their resources up at every draw; a full repaint of
    // every window shows the new skin. Edits size their line by their font.
    for (auto& h : hosts_) {
        for (duPlugin* p : h.second->GetZorderList().PaintOrder()) {
            if (!IsValidPlugin(p)) continue;
            p->InvalidateCache();  // drawn with the old skin's resources
            if (auto* edit = dynamic_cast<duEdit*>(p)) edit->RefreshFont();
        }
        ::InvalidateRect(h.first, nullptr, FALSE);
    }
}
