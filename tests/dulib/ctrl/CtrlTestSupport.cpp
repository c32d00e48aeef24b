#include "tests/dulib/ctrl/CtrlTestSupport.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstring>
#include <cstdio>

#include "dulib/res/Dib32.h"

namespace ctrltest {

std::wstring Theme() {
    return LR"XML(<theme name="test">
  <dsfont><font name="f" height="-12" weight="400" fontface="Tahoma"/></dsfont>
  <dsstyle>
    <style name="red"><rect state="all" fillcolor="RGB(255,0,0)" bfill="true"/></style>
    <style name="green"><rect state="all" fillcolor="RGB(0,255,0)" bfill="true"/></style>
    <style name="blue"><rect state="all" fillcolor="RGB(0,0,255)" bfill="true"/></style>
    <style name="white"><rect state="all" fillcolor="RGB(255,255,255)" bfill="true"/></style>
    <style name="grey"><rect state="all" fillcolor="RGB(128,128,128)" bfill="true"/></style>
    <style name="btn">
      <rect state="normal" fillcolor="RGB(0,0,200)" bfill="true"/>
      <rect state="over" fillcolor="RGB(0,200,0)" bfill="true"/>
      <rect state="press" fillcolor="RGB(200,0,0)" bfill="true"/>
      <rect state="disable" fillcolor="RGB(100,100,100)" bfill="true"/>
      <text state="all" font="f" textcolor="RGB(255,255,255)" halign="center" valign="center"/>
    </style>
    <style name="half"><image state="all" picfile="halfred" paintmode="stretch"/></style>
  </dsstyle>
  <dsimage><image name="halfred" value="halfred.png"/></dsimage>
</theme>)XML";
}

std::wstring SkinDocument(const std::wstring& controls) {
    return L"<directui version=\"1.0\">\r\n" + Theme() + L"\r\n<ducontrol>\r\n" + controls + L"\r\n</ducontrol>\r\n</directui>\r\n";
}

void WriteSkin(const TempDir& dir, const std::wstring& document) {
    FILE* f = _wfopen(dir.File(L"config.xml").c_str(), L"wb");
    if (f) {
        fwrite("\xFF\xFE", 1, 2, f);
        fwrite(document.data(), 2, document.size(), f);
        fclose(f);
    }
    // A red at half opacity: the picture the blending tests draw.
    WritePng(dir.File(L"halfred.png"), 4, 4, 0x80FF0000);
}

bool WritePng(const std::wstring& path, int w, int h, DWORD argb) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h, argb);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppARGB,
                                                      reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != Gdiplus::Ok)
        return false;
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    const bool ok = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return ok;
}

namespace {
TestWindow* g_current = nullptr;

void RegisterTestClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"KestraneCtrlTest";
    ::RegisterClassExW(&wc);
    done = true;
}
}  // namespace

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DU_NOTIFY && g_current) {
        auto* plugin = reinterpret_cast<duPlugin*>(wParam);
        const auto* rec = reinterpret_cast<const NotifyRecord*>(lParam);
        g_current->notes.push_back(Note{plugin, plugin->GetName(), rec->code, rec->param1, rec->param2});
        if (g_current->onNotify) g_current->onNotify(plugin, *rec);
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

TestWindow::TestWindow(const TempDir& dir, const wchar_t* name, bool visible) {
    RegisterTestClass();
    manager_ = CreateWindowManager(dir.Path().c_str());
    if (!manager_) return;
    hwnd_ = ::CreateWindowExW(0, L"KestraneCtrlTest", L"test", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc));
    g_current = this;
    attached_ = AttachWindow(manager_, hwnd_, name);
    if (visible) ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    FullPaint();
}

TestWindow::~TestWindow() {
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    if (g_current == this) g_current = nullptr;
    if (manager_) manager_->Destroy();
}

void TestWindow::Move(int x, int y) {
    POINT pt{x, y};
    ::ClientToScreen(hwnd_, &pt);
    ::SetCursorPos(pt.x, pt.y);
    ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}
void TestWindow::LDown(int x, int y) { ::SendMessageW(hwnd_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
void TestWindow::LUp(int x, int y) { ::SendMessageW(hwnd_, WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
void TestWindow::Click(int x, int y) {
    Move(x, y);
    LDown(x, y);
    LUp(x, y);
}
void TestWindow::Key(UINT vk) {
    ::SendMessageW(hwnd_, WM_KEYDOWN, vk, 1);
    ::SendMessageW(hwnd_, WM_KEYUP, vk, 0xC0000001);
}

bool TestWindow::PumpUntil(const std::function<bool()>& pred, DWORD limitMs) {
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > limitMs) return false;
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
        if (!pred()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

std::vector<int> TestWindow::Codes(const std::wstring& name) const {
    std::vector<int> out;
    for (const Note& n : notes)
        if (n.name == name) out.push_back(n.code);
    return out;
}

bool TestWindow::Has(const std::wstring& name, int code) const {
    for (const Note& n : notes)
        if (n.name == name && n.code == code) return true;
    return false;
}

DWORD TestWindow::Pixel(int x, int y) const {
    WindowHost* h = host();
    if (!h || !h->GetWindowImage()) return 0xDEADBEEF;
    DIBSECTION ds{};
    if (::GetObjectW(h->GetWindowImage(), sizeof(ds), &ds) != sizeof(ds)) return 0xDEADBEEF;
    if (x < 0 || y < 0 || x >= ds.dsBm.bmWidth || y >= ds.dsBm.bmHeight) return 0xDEADBEEF;
    const auto* bits = static_cast<const DWORD*>(ds.dsBm.bmBits);
    return bits[static_cast<size_t>(y) * ds.dsBm.bmWidth + x];
}

void TestWindow::FullPaint() {
    if (WindowHost* h = host()) h->PaintWindow(nullptr);
}

bool TestWindow::SaveImage(const std::wstring& path) const {
    WindowHost* h = host();
    if (!h || !h->GetWindowImage()) return false;
    DIBSECTION ds{};
    ::GetObjectW(h->GetWindowImage(), sizeof(ds), &ds);
    Gdiplus::GpBitmap* bitmap = nullptr;
    // The image is premultiplied; saved as such it shows what the window shows.
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(ds.dsBm.bmWidth, ds.dsBm.bmHeight, ds.dsBm.bmWidth * 4,
                                                      PixelFormat32bppPARGB, static_cast<BYTE*>(ds.dsBm.bmBits),
                                                      &bitmap) != Gdiplus::Ok)
        return false;
    const CLSID png = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
    const bool ok = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return ok;
}

// Engine start and stop around the whole test program.
class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InitEngine(::GetModuleHandleW(nullptr)); }
    void TearDown() override { ReleaseEngine(); }
};
static ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

}  // namespace ctrltest
