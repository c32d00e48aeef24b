#include "tests/dulib/ctrl/GuiHarness.h"

#include <gdiplus.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "dulib/ctrl/EditClipboard.h"
#include "tests/common/WindowImage.h"

namespace guitest {

namespace {

// Engine start and stop around the whole test program.
class EngineEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_TRUE(InitEngine(::GetModuleHandleW(nullptr))); }
    void TearDown() override { ReleaseEngine(); }
};
::testing::Environment* const g_engine = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

constexpr wchar_t kClass[] = L"KestraneGuiTest";

const CLSID kPngEncoder = {0x557CF406, 0x1A04, 0x11D3, {0x9A, 0x73, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

void RegisterTestClass(WNDPROC proc) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kClass, &wc)) return;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    ::RegisterClassExW(&wc);
}

// Runs what is queued for this thread, except pointer input from the real
// (parked) pointer: the tests drive the pointer themselves.
void DrainQueue() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST) continue;
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

}  // namespace

// --- skins ------------------------------------------------------------------

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
    return L"<directui version=\"1.0\">\r\n" + Theme() + L"\r\n<ducontrol>\r\n" + controls +
           L"\r\n</ducontrol>\r\n</directui>\r\n";
}

void WriteSkin(const TempDir& dir, const std::wstring& document) {
    FILE* f = _wfopen(dir.File(L"config.xml").c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    fwrite("\xFF\xFE", 1, 2, f);
    fwrite(document.data(), sizeof(wchar_t), document.size(), f);
    fclose(f);
    // Red at half opacity: the picture the blending tests draw.
    WritePng(dir.File(L"halfred.png"), 4, 4, 0x80FF0000);
}

void WriteSkin(const TempDir& dir, const std::string& utf8Document) {
    const int size = static_cast<int>(utf8Document.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8Document.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8Document.data(), size, wide.data(), n);
    WriteSkin(dir, wide);
}

bool WritePng(const std::wstring& path, int w, int h, DWORD argb) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h, argb);
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (Gdiplus::DllExports::GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppARGB,
                                                      reinterpret_cast<BYTE*>(pixels.data()), &bitmap) != Gdiplus::Ok)
        return false;
    const bool ok = Gdiplus::DllExports::GdipSaveImageToFile(bitmap, path.c_str(), &kPngEncoder, nullptr) == Gdiplus::Ok;
    Gdiplus::DllExports::GdipDisposeImage(bitmap);
    return ok;
}

// --- the window -------------------------------------------------------------

void SetModifiers(unsigned mods) {
    BYTE keys[256];
    ::GetKeyboardState(keys);
    const BYTE ctrl = (mods & kCtrl) ? 0x80 : 0, shift = (mods & kShift) ? 0x80 : 0, alt = (mods & kAlt) ? 0x80 : 0;
    keys[VK_CONTROL] = keys[VK_LCONTROL] = ctrl;
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift;
    keys[VK_MENU] = keys[VK_LMENU] = alt;
    ::SetKeyboardState(keys);
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_DU_NOTIFY && self) {
        auto* plugin = reinterpret_cast<duPlugin*>(wParam);
        const auto* rec = reinterpret_cast<const NotifyRecord*>(lParam);
        self->notes.push_back(Note{plugin, plugin->GetName(), rec->code, rec->param1, rec->param2});
        if (self->onNotify) self->onNotify(plugin, *rec);
        return 0;
    }
    if (msg == WM_NCDESTROY && self) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

TestWindow::TestWindow(const TempDir& skinDir, const wchar_t* name, bool visible) {
    RegisterTestClass(&Proc);
    // The real pointer waits in the screen's far corner, away from the test
    // windows, until a test moves it.
    ::SetCursorPos(::GetSystemMetrics(SM_CXSCREEN) - 1, ::GetSystemMetrics(SM_CYSCREEN) - 1);
    manager_ = CreateWindowManager(skinDir.Path().c_str());
    if (!manager_) return;
    hwnd_ = ::CreateWindowExW(0, kClass, L"test", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                              ::GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    attached_ = AttachWindow(manager_, hwnd_, name);
    if (visible) {
        ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        ::SetForegroundWindow(hwnd_);
        ::SetFocus(hwnd_);
        ::UpdateWindow(hwnd_);
    }
    DrainQueue();
    FullPaint();
}

TestWindow::~TestWindow() {
    SetModifiers(kNoMods);
    if (hwnd_ && ::IsWindow(hwnd_)) ::DestroyWindow(hwnd_);
    if (manager_) manager_->Destroy();
}

LRESULT TestWindow::Send(UINT msg, WPARAM wParam, LPARAM lParam) { return ::SendMessageW(hwnd_, msg, wParam, lParam); }

void TestWindow::SendPointer(UINT msg, WPARAM keys, int x, int y, unsigned mods) {
    SetModifiers(mods);
    if (mods & kCtrl) keys |= MK_CONTROL;
    if (mods & kShift) keys |= MK_SHIFT;
    Send(msg, keys, MAKELPARAM(x, y));
    SetModifiers(kNoMods);
}

void TestWindow::Move(int x, int y, unsigned mods) {
    POINT pt{x, y};
    ::ClientToScreen(hwnd_, &pt);
    ::SetCursorPos(pt.x, pt.y);
    SendPointer(WM_MOUSEMOVE, 0, x, y, mods);
}
void TestWindow::Down(int x, int y, unsigned mods) { SendPointer(WM_LBUTTONDOWN, MK_LBUTTON, x, y, mods); }
void TestWindow::Up(int x, int y, unsigned mods) { SendPointer(WM_LBUTTONUP, 0, x, y, mods); }
void TestWindow::Click(int x, int y, unsigned mods) {
    Move(x, y, mods);
    Down(x, y, mods);
    Up(x, y, mods);
}
void TestWindow::DoubleClick(int x, int y) {
    Click(x, y);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    Up(x, y);
}
void TestWindow::RightDown(int x, int y) { Send(WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)); }
void TestWindow::RightUp(int x, int y) { Send(WM_RBUTTONUP, 0, MAKELPARAM(x, y)); }
void TestWindow::RightClick(int x, int y) {
    Move(x, y);
    RightDown(x, y);
    RightUp(x, y);
}
void TestWindow::Wheel(int delta, int x, int y) {
    POINT screen{x, y};
    ::ClientToScreen(hwnd_, &screen);
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(static_cast<short>(delta))), MAKELPARAM(screen.x, screen.y));
}

void TestWindow::KeyDown(UINT vk, unsigned mods) {
    SetModifiers(mods);
    Send((mods & kAlt) ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, (mods & kAlt) ? 0x20000001 : 1);
    SetModifiers(kNoMods);
}
void TestWindow::KeyUp(UINT vk, unsigned mods) {
    SetModifiers(mods);
    Send((mods & kAlt) ? WM_SYSKEYUP : WM_KEYUP, vk, (mods & kAlt) ? 0xE0000001 : 0xC0000001);
    SetModifiers(kNoMods);
}
void TestWindow::Key(UINT vk, unsigned mods) {
    KeyDown(vk, mods);
    KeyUp(vk, mods);
}
void TestWindow::Char(wchar_t ch, unsigned mods) {
    SetModifiers(mods);
    Send(WM_CHAR, ch, 1);
    SetModifiers(kNoMods);
}
void TestWindow::Type(const std::wstring& text) {
    for (wchar_t c : text) Send(WM_CHAR, c, 1);
}
void TestWindow::Timer(UINT id) { Send(WM_TIMER, id, 0); }

void TestWindow::ChangeDpi(int dpi) {
    const int from = GetWindowDpi(hwnd_);
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    RECT suggested{r.left, r.top, r.left + ::MulDiv(r.right - r.left, dpi, from),
                   r.top + ::MulDiv(r.bottom - r.top, dpi, from)};
    Send(WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

bool TestWindow::PumpUntil(const std::function<bool()>& pred, DWORD limitMs) {
    const DWORD start = ::GetTickCount();
    while (!pred()) {
        if (::GetTickCount() - start > limitMs) return false;
        DrainQueue();
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

std::vector<Note> TestWindow::NotesWithCode(int code) const {
    std::vector<Note> out;
    for (const Note& n : notes)
        if (n.code == code) out.push_back(n);
    return out;
}

void TestWindow::FullPaint() {
    if (WindowHost* h = Host()) h->PaintWindow(nullptr);
}

DWORD TestWindow::Pixel(int x, int y) const { return WindowImagePixel(hwnd_, x, y); }

bool TestWindow::SaveImage(const std::wstring& path) const { return SaveWindowImage(hwnd_, path); }

CaptureThief::CaptureThief()
    : hwnd_(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)) {}

CaptureThief::~CaptureThief() {
    if (::GetCapture() == hwnd_) ::ReleaseCapture();
    ::DestroyWindow(hwnd_);
}

RECT RectOf(duPlugin* plugin) {
    RECT r{-1, -1, -1, -1};
    if (plugin) plugin->GetRect(&r);
    return r;
}

bool PutTestClipboard(const std::wstring& text) { return PutClipboardText(nullptr, text); }

std::wstring GetTestClipboard() {
    std::wstring text;
    GetClipboardText(nullptr, &text);
    return text;
}

}  // namespace guitest
