// installer_ctl wait [seconds]  - waits until the installer's window is shown
// installer_ctl shown NAME [seconds] - waits until the object of that
//                                accessible name (a page, a button) is shown,
//                                as a screen reader sees it
// installer_ctl close           - closes it without the question (WM_CLOSE 1)
// installer_ctl click X Y        - a left click at client point (X, Y)
// installer_ctl key NAME         - a key press: tab, space, enter, esc, up, down
// installer_ctl rect             - prints the window's screen rectangle: x y width height
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>

namespace {
constexpr wchar_t kClass[] = L"VIZaroreRirar_MainWin";

UINT KeyCode(const wchar_t* name) {
    static const struct {
        const wchar_t* name;
        UINT vk;
    } keys[] = {{L"tab", VK_TAB}, {L"space", VK_SPACE}, {L"enter", VK_RETURN},
                {L"esc", VK_ESCAPE}, {L"up", VK_UP}, {L"down", VK_DOWN}};
    for (const auto& k : keys)
        if (std::wcscmp(name, k.name) == 0) return k.vk;
    return 0;
}

HWND ShownWindow() {
    HWND hwnd = ::FindWindowW(kClass, nullptr);
    return hwnd && ::IsWindowVisible(hwnd) ? hwnd : nullptr;
}

VARIANT ChildId(LONG id) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// True when an object below `parent` has that name and is neither invisible
// nor off screen. Hidden objects are not looked into: their pages are not
// what the user sees, and each question crosses into the installer's process.
bool HasShownObject(IAccessible* parent, const wchar_t* name, int depth) {
    long count = 0;
    if (depth > 16 || FAILED(parent->get_accChildCount(&count))) return false;
    bool found = false;
    for (long i = 1; i <= count && !found; ++i) {
        IDispatch* dispatch = nullptr;
        if (FAILED(parent->get_accChild(ChildId(i), &dispatch)) || !dispatch) continue;
        IAccessible* child = nullptr;
        dispatch->QueryInterface(__uuidof(IAccessible), reinterpret_cast<void**>(&child));
        dispatch->Release();
        if (!child) continue;
        const VARIANT self = ChildId(CHILDID_SELF);
        VARIANT state;
        ::VariantInit(&state);
        const bool shown = SUCCEEDED(child->get_accState(self, &state)) && state.vt == VT_I4 &&
                           (state.lVal & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN)) == 0;
        if (shown) {
            BSTR childName = nullptr;
            found = SUCCEEDED(child->get_accName(self, &childName)) && childName && std::wcscmp(childName, name) == 0;
            ::SysFreeString(childName);
            if (!found) found = HasShownObject(child, name, depth + 1);
        }
        child->Release();
    }
    return found;
}

bool ObjectShown(const wchar_t* name) {
    HWND hwnd = ShownWindow();
    IAccessible* client = nullptr;
    if (!hwnd || FAILED(::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&client))) ||
        !client)
        return false;
    const bool shown = HasShownObject(client, name, 0);
    client->Release();
    return shown;
}
} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wcscmp(argv[1], L"wait") == 0) {
        int seconds = argc >= 3 ? _wtoi(argv[2]) : 60;
        for (int i = 0; i < seconds * 10; ++i) {
            if (ShownWindow()) return 0;
            ::Sleep(100);
        }
        std::fprintf(stderr, "installer window did not appear\n");
        return 1;
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"shown") == 0) {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        int seconds = argc >= 4 ? _wtoi(argv[3]) : 60;
        bool windowSeen = false;
        for (int i = 0; i < seconds * 10; ++i) {
            if (ObjectShown(argv[2])) return 0;
            if (ShownWindow()) {
                windowSeen = true;
            } else if (windowSeen) {
                std::fprintf(stderr, "installer_ctl: the window closed before the object named was shown\n");
                return 1;
            }
            ::Sleep(100);
        }
        std::fprintf(stderr, "installer_ctl: the object named was not shown\n");
        return 1;
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"close") == 0) {
        HWND hwnd = ::FindWindowW(kClass, nullptr);
        if (!hwnd) return 1;
        ::PostMessageW(hwnd, WM_CLOSE, 1, 0);
        return 0;
    }
    if (argc >= 4 && std::wcscmp(argv[1], L"click") == 0) {
        HWND hwnd = ::FindWindowW(kClass, nullptr);
        if (!hwnd) return 1;
        const LPARAM at = MAKELPARAM(_wtoi(argv[2]), _wtoi(argv[3]));
        ::PostMessageW(hwnd, WM_MOUSEMOVE, 0, at);
        ::PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::PostMessageW(hwnd, WM_LBUTTONUP, 0, at);
        return 0;
    }
    if (argc >= 3 && std::wcscmp(argv[1], L"key") == 0) {
        HWND hwnd = ::FindWindowW(kClass, nullptr);
        const UINT vk = KeyCode(argv[2]);
        if (!hwnd || !vk) return 1;
        ::PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
        ::PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
        return 0;
    }
    if (argc >= 2 && std::wcscmp(argv[1], L"rect") == 0) {
        HWND hwnd = ShownWindow();
        RECT r{};
        if (!hwnd || !::GetWindowRect(hwnd, &r)) return 1;
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    std::fprintf(stderr, "usage: installer_ctl wait [seconds] | shown NAME [seconds] | close | click X Y | key NAME | rect\n");
    return 2;
}
