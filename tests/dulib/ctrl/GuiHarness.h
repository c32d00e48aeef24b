#pragma once
// The GUI harness of the engine's tests: skin documents written into a
// temporary folder (the engine's folder mode), a real top-level window
// attached to one of their duwindows, input sent as window messages at client
// coordinates, the notifications the window received, and the pixels of the
// host's window image. Linking it starts the engine around the test program.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/WindowHost.h"
#include "tests/common/TempDir.h"

namespace guitest {

// --- skins ------------------------------------------------------------------

// The theme of the small test skins: font "f", solid styles "red", "green",
// "blue", "white", "grey", a button style "btn" with one colour per state
// (normal 0,0,200; over 0,200,0; press 200,0,0; disable 100,100,100) and
// white centred text, and "half" (a 4x4 picture of red at half opacity,
// stretched).
std::wstring Theme();
// A complete document: the theme above plus the given ducontrol content.
std::wstring SkinDocument(const std::wstring& controls);
// Writes config.xml as UTF-16LE with a byte-order mark, and the theme's
// picture beside it. The second form takes UTF-8 text.
void WriteSkin(const TempDir& dir, const std::wstring& document);
void WriteSkin(const TempDir& dir, const std::string& utf8Document);
// A PNG of w x h pixels of one ARGB colour (not premultiplied).
bool WritePng(const std::wstring& path, int w, int h, DWORD argb);

// --- the window -------------------------------------------------------------

// Modifier keys held during a key, character or pointer message.
enum Modifiers : unsigned { kNoMods = 0, kCtrl = 1, kShift = 2, kAlt = 4 };
// Sets the modifier keys in this thread's key state (what GetKeyState reads).
void SetModifiers(unsigned mods);

// A notification the window received, with the plugin's name at that time.
struct Note {
    duPlugin* plugin;
    std::wstring name;
    int code, param1, param2;
};

class TestWindow {
public:
    // Loads the skin in `skinDir` and attaches its duwindow `name` to a new
    // top-level window; when `visible`, the window is shown, brought to the
    // foreground and given the keyboard focus. Check Ok() before use.
    explicit TestWindow(const TempDir& skinDir, const wchar_t* name = L"W", bool visible = true);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    bool Ok() const { return attached_; }
    HWND Hwnd() const { return hwnd_; }
    duWindowManager* Manager() const { return manager_; }
    // Null once the window is gone.
    WindowHost* Host() const { return WindowHost::FromHwnd(hwnd_); }
    duPlugin* Get(const wchar_t* name) const { return GetPluginByName(hwnd_, name); }
    template <typename T>
    T* As(const wchar_t* name) const { return dynamic_cast<T*>(Get(name)); }

    // --- input, sent synchronously at client coordinates ----------------------
    // Moves the system cursor there too, so that what the engine reads back
    // (GetCursorPos) agrees with the messages.
    void Move(int x, int y, unsigned mods = kNoMods);
    void Down(int x, int y, unsigned mods = kNoMods);
    void Up(int x, int y, unsigned mods = kNoMods);
    void Click(int x, int y, unsigned mods = kNoMods);  // move, down, up
    void DoubleClick(int x, int y);                     // click, double-click, up
    void RightDown(int x, int y);
    void RightUp(int x, int y);
    void RightClick(int x, int y);  // move, down, up
    void Wheel(int delta, int x, int y);
    // Key down and up with the modifiers held (WM_SYSKEYDOWN/UP under Alt).
    void Key(UINT vk, unsigned mods = kNoMods);
    void KeyDown(UINT vk, unsigned mods = kNoMods);
    void KeyUp(UINT vk, unsigned mods = kNoMods);
    void Char(wchar_t ch, unsigned mods = kNoMods);
    void Type(const std::wstring& text);
    // A timer tick of the given identifier, as if it had elapsed.
    void Timer(UINT id);
    // The window reaching a monitor of another DPI: WM_DPICHANGED with the
    // rectangle the system would suggest (the same place, the size scaled
    // from the current DPI).
    void ChangeDpi(int dpi);
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // Runs this thread's message queue until pred holds or the limit passes.
    bool PumpUntil(const std::function<bool()>& pred, DWORD limitMs = 10000);

    // --- notifications ----------------------------------------------------------
    std::vector<Note> notes;
    // Runs inside the window procedure for every notification, after it has
    // been recorded (a handler may destroy or hide plugins).
    std::function<void(duPlugin*, const NotifyRecord&)> onNotify;
    // Codes of the notifications of one plugin name, in order.
    std::vector<int> Codes(const std::wstring& name) const;
    bool Has(const std::wstring& name, int code) const;
    std::vector<Note> NotesWithCode(int code) const;

    // --- pixels -------------------------------------------------------------------
    // Full paint into a new window image.
    void FullPaint();
    // The host's window image as it is now (full and single-plugin repaints
    // both land there), as 0xAARRGGBB premultiplied; 0xDEADBEEF outside it or
    // before the first paint.
    DWORD Pixel(int x, int y) const;
    // Saves the window image as a PNG, to look at.
    bool SaveImage(const std::wstring& path) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void SendPointer(UINT msg, WPARAM keys, int x, int y, unsigned mods);

    HWND hwnd_ = nullptr;
    duWindowManager* manager_ = nullptr;
    bool attached_ = false;
};

// A window of the test's own that takes the pointer capture away from the
// engine's window, as a message box or a window brought up by Alt+Tab does.
class CaptureThief {
public:
    CaptureThief();
    ~CaptureThief();
    CaptureThief(const CaptureThief&) = delete;
    CaptureThief& operator=(const CaptureThief&) = delete;
    void Steal() { ::SetCapture(hwnd_); }
    HWND Hwnd() const { return hwnd_; }

private:
    HWND hwnd_;
};

// A plugin's rectangle (all -1 for none).
RECT RectOf(duPlugin* plugin);

// The clipboard's Unicode text, written and read by the test.
bool PutTestClipboard(const std::wstring& text);
std::wstring GetTestClipboard();

}  // namespace guitest
