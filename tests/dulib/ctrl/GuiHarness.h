#pragma once
// A real skinned window for control tests: a skin written into a temporary
// folder (folder mode), a top-level window attached to one of its duwindows,
// and the notifications the window received.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/common/TempDir.h"

class duPlugin;
class duWindowManager;
class WindowHost;

struct SeenNotify {
    duPlugin* plugin;
    int code, param1, param2;
};

// Writes text (UTF-8 here) as the UTF-16LE, byte-order-marked config.xml.
void WriteSkin(const TempDir& dir, const std::string& utf8Xml);

class TestWindow {
public:
    // layered: the window the skin attaches to gets no special style; the
    // duwindow's own `layered` attribute decides.
    TestWindow(const TempDir& skinDir, const wchar_t* windowName, int width, int height);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    bool Ok() const { return attached_; }
    HWND Hwnd() const { return hwnd_; }
    WindowHost* Host() const;
    duPlugin* Get(const wchar_t* name) const;
    template <typename T>
    T* As(const wchar_t* name) const { return dynamic_cast<T*>(Get(name)); }

    // Synchronous input at client coordinates.
    void Move(int x, int y);
    void Click(int x, int y);  // move, down, up
    void Down(int x, int y);
    void Up(int x, int y);
    void DoubleClick(int x, int y);
    void RightClick(int x, int y);
    void Wheel(int delta, int x, int y);
    void Key(UINT vk, bool ctrl = false, bool shift = false);
    void Char(wchar_t ch, bool ctrl = false);
    void Type(const std::wstring& text);
    void Timer(UINT id);
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    // Full repaint, then the window image's pixel (B, G, R, A as 0xAARRGGBB).
    void Paint();
    DWORD Pixel(int x, int y);

    std::vector<SeenNotify> notes;
    std::vector<SeenNotify> NotesWithCode(int code) const;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND hwnd_ = nullptr;
    duWindowManager* manager_ = nullptr;
    bool attached_ = false;
    std::vector<DWORD> image_;
    int imageWidth_ = 0, imageHeight_ = 0;
};

// Sets or clears Ctrl and Shift in this thread's key state.
void SetModifiers(bool ctrl, bool shift);

bool PutTestClipboard(const std::wstring& text);
std::wstring GetTestClipboard();
