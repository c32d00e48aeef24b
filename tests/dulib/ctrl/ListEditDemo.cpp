// Shows the list and edit test skin on a layered window for a screenshot: a
// scrolled list of twelve rows and an edit holding a selected part of a long
// path. Usage: list_edit_demo.exe <empty folder> <seconds>; it writes the skin
// there, prints "ready" once the window is up and closes after the seconds.
// For example, from the worktree root:
//   tools/xvfb.sh bash -c 'tools/wine-exec.sh build/tests/dulib/ctrl/list_edit_demo.exe
//     "Z:\tmp\demo" 10 & sleep 6; import -window root shot.png; wait'
// (the fixed wait is for a picture, not a test).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/PluginTree.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duEdit.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "dulib/ctrl/duScroll.h"
#include "dulib/ctrl/duWindowManager.h"
#include "tests/dulib/ctrl/TestSkin.h"

namespace {

// The test skin with its demo window layered, as the installer's window is.
bool WriteDemoSkin(const std::wstring& folder) {
    std::string xml = ListEditTestSkin();
    const std::string plain = R"(<duwindow name="Demo" style="Back" width="400" height="360" x="0" y="0">)";
    const size_t at = xml.find(plain);
    if (at == std::string::npos) return false;
    xml.replace(at, plain.size(),
                R"(<duwindow name="Demo" style="Back" width="400" height="360" x="60" y="60" layered="true">)");
    const int n = MultiByteToWideChar(CP_UTF8, 0, xml.data(), static_cast<int>(xml.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, xml.data(), static_cast<int>(xml.size()), wide.data(), n);
    FILE* f = _wfopen((folder + L"\\config.xml").c_str(), L"wb");
    if (!f) return false;
    const unsigned char bom[2] = {0xFF, 0xFE};
    fwrite(bom, 1, 2, f);
    fwrite(wide.data(), sizeof(wchar_t), wide.size(), f);
    fclose(f);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    CreateDirectoryW(argv[1], nullptr);
    if (!WriteDemoSkin(argv[1])) return 6;
    InitEngine(GetModuleHandleW(nullptr));
    duWindowManager* manager = CreateWindowManager((std::wstring(argv[1]) + L"\\config.xml").c_str());
    if (!manager) return 3;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ListEditDemo";
    RegisterClassExW(&wc);
    HWND hwnd = CreateWindowExW(0, L"ListEditDemo", L"demo", WS_POPUP, 60, 60, 400, 360, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!AttachWindow(manager, hwnd, L"Demo")) return 4;
    SetWindowPos(hwnd, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);

    // The test skin's extra list and bar are not part of this picture.
    SetPluginVisible(GetPluginByName(hwnd, L"Plain"), FALSE);
    SetPluginVisible(GetPluginByName(hwnd, L"HBar"), FALSE);
    auto* list = dynamic_cast<duListBoxEx*>(GetPluginByName(hwnd, L"List"));
    duPlugin* templ = GetPluginByName(hwnd, L"Row_");
    const wchar_t* names[] = {L"Kestrane 翻译客户端", L"Office 插件 (Word)", L".NET Framework 4.8", L"离线词典 英汉",
                              L"离线词典 汉英", L"术语库 医学", L"术语库 法律", L"语音包 普通话",
                              L"语音包 English (US)", L"OCR 组件", L"PDF 转换组件", L"浏览器扩展"};
    for (int i = 1; i <= 12; ++i) {
        duPlugin* row = ClonePlugin(templ, list, list->GetLastChild(), i);
        if (!row) return 5;
        GetPluginByName(hwnd, (L"RowName_" + std::to_wstring(i)).c_str())->SetText(names[i - 1]);
        SetPluginVisible(row, TRUE);
    }
    list->RefreshItems();
    list->GetScrollBar()->SetScrollPos(120);
    list->RefreshItems();
    list->SetSelectedItem(GetPluginByName(hwnd, L"Row_4"));

    auto* edit = dynamic_cast<duEdit*>(GetPluginByName(hwnd, L"Edit"));
    edit->SetText(L"D:\\Program Files (x86)\\Kestrane\\Vantor\\离线词典\\zh-CN");
    RECT r;
    edit->GetRect(&r);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(r.left + 10, r.top + 15));
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 10, r.top + 15));
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 10, r.top + 15));
    edit->SetSel(3, 22);
    auto* pwd = GetPluginByName(hwnd, L"Pwd");
    pwd->SetText(L"secret");
    InvalidateRect(hwnd, nullptr, FALSE);
    WindowHost::FromHwnd(hwnd)->PaintWindow(nullptr);
    std::printf("ready\n");
    std::fflush(stdout);

    const DWORD end = GetTickCount() + static_cast<DWORD>(_wtoi(argv[2])) * 1000;
    while (GetTickCount() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    DestroyWindow(hwnd);
    manager->Destroy();
    ReleaseEngine();
    return 0;
}
