#include "tests/dulib/ctrl/GuiHarness.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "dulib/ctrl/EngineOps.h"
#include "dulib/ctrl/WindowHost.h"
#include "dulib/ctrl/duPlugin.h"
#include "dulib/ctrl/duWindowManager.h"
#include "dulib/ctrl/EditClipboard.h"

namespace {

class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(InitEngine(GetModuleHandleW(nullptr))); }
    void TearDown() override { ReleaseEngine(); }
};
const auto* const kEngine = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

const wchar_t kClass[] = L"KestraneListEditTest";

}  // namespace

void WriteSkin(const TempDir& dir, const std::string& xml) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, xml.data(), static_cast<int>(xml.size()), nullptr, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, xml.data(), static_cast<int>(xml.size()), wide.data(), n);
    FILE* f = _wfopen(dir.File(L"config.xml").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    const unsigned char bom[2] = {0xFF, 0xFE};
    fwrite(bom, 1, 2, f);
    fwrite(wide.data(), sizeof(wchar_t), wide.size(), f);
    fclose(f);
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_DU_NOTIFY && self) {
        const auto* rec = reinterpret_cast<const NotifyRecord*>(lParam);
        self->notes.push_back({reinterpret_cast<duPlugin*>(wParam), rec->code, rec->param1, rec->param2});
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

TestWindow::TestWindow(const TempDir& skinDir, const wchar_t* windowName, int width, int height) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    RegisterClassExW(&wc);  // fails harmlessly the second time
    hwnd_ = CreateWindowExW(0, kClass, L"test", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    const std::wstring path = skinDir.File(L"config.xml");
    manager_ = CreateWindowManager(path.c_str());
    if (!manager_) return;
    attached_ = AttachWindow(manager_, hwnd_, windowName);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
    UpdateWindow(hwnd_);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
}

TestWindow::~TestWindow() {
    SetModifiers(false, false);
    if (hwnd_) DestroyWindow(hwnd_);
    if (manager_) manager_->Destroy();
}

WindowHost* TestWindow::Host() const { return WindowHost::FromHwnd(hwnd_); }
duPlugin* TestWindow::Get(const wchar_t* name) const { return GetPluginByName(hwnd_, name); }

LRESULT TestWindow::Send(UINT msg, WPARAM wParam, LPARAM lParam) { return SendMessageW(hwnd_, msg, wParam, lParam); }

void TestWindow::Move(int x, int y) { Send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
void TestWindow::Down(int x, int y) { Send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void TestWindow::Up(int x, int y) { Send(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
void TestWindow::Click(int x, int y) {
    Move(x, y);
    Down(x, y);
    Up(x, y);
}
void TestWindow::DoubleClick(int x, int y) {
    Click(x, y);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    Up(x, y);
}
void TestWindow::RightClick(int x, int y) {
    Move(x, y);
    Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y));
    Send(WM_RBUTTONUP, 0, MAKELPARAM(x, y));
}
void TestWindow::Wheel(int delta, int x, int y) {
    POINT screen{x, y};
    ClientToScreen(hwnd_, &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), MAKELPARAM(screen.x, screen.y));
}
void TestWindow::Key(UINT vk, bool ctrl, bool shift) {
    SetModifiers(ctrl, shift);
    Send(WM_KEYDOWN, vk, 1);
    Send(WM_KEYUP, vk, 0xC0000001);
    SetModifiers(false, false);
}
void TestWindow::Char(wchar_t ch, bool ctrl) {
    SetModifiers(ctrl, false);
    Send(WM_CHAR, ch, 1);
    SetModifiers(false, false);
}
void TestWindow::Type(const std::wstring& text) {
    for (wchar_t c : text) Send(WM_CHAR, c, 1);
}
void TestWindow::Timer(UINT id) { Send(WM_TIMER, id, 0); }

void TestWindow::Paint() {
    WindowHost* host = Host();
    ASSERT_NE(host, nullptr);
    host->PaintWindow(nullptr);
    HBITMAP image = host->GetWindowImage();
    ASSERT_NE(image, nullptr);
    BITMAP bm{};
    GetObjectW(image, sizeof(bm), &bm);
    imageWidth_ = bm.bmWidth;
    imageHeight_ = bm.bmHeight;
    image_.assign(static_cast<size_t>(imageWidth_) * imageHeight_, 0);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = imageWidth_;
    bi.bmiHeader.biHeight = -imageHeight_;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, image, 0, imageHeight_, image_.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
}

DWORD TestWindow::Pixel(int x, int y) {
    if (x < 0 || y < 0 || x >= imageWidth_ || y >= imageHeight_) return 0;
    return image_[static_cast<size_t>(y) * imageWidth_ + x];
}

std::vector<SeenNotify> TestWindow::NotesWithCode(int code) const {
    std::vector<SeenNotify> out;
    for (const SeenNotify& n : notes)
        if (n.code == code) out.push_back(n);
    return out;
}

void SetModifiers(bool ctrl, bool shift) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE c = ctrl ? 0x80 : 0, s = shift ? 0x80 : 0;
    keys[VK_CONTROL] = keys[VK_LCONTROL] = c;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = s;
    keys[VK_MENU] = keys[VK_LMENU] = 0;
    SetKeyboardState(keys);
}

bool PutTestClipboard(const std::wstring& text) { return PutClipboardText(nullptr, text); }

std::wstring GetTestClipboard() {
    std::wstring text;
    GetClipboardText(nullptr, &text);
    return text;
}
