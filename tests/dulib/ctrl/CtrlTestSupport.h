#pragma once
// Shared by the control tests: skin folders written by the test, a real
// top-level window attached to the engine, pointer and key input at client
// coordinates, and pixels of the host's window image.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/WindowHost.h"
#include "tests/common/TempDir.h"

namespace ctrltest {

// The theme every test skin shares: solid colour styles and a button style
// with one colour per state.
std::wstring Theme();
// A complete document: the shared theme plus the given ducontrol content.
std::wstring SkinDocument(const std::wstring& controls);
// config.xml as UTF-16LE with a byte-order mark.
void WriteSkin(const TempDir& dir, const std::wstring& document);
// A PNG of w x h pixels of one ARGB colour (non-premultiplied).
bool WritePng(const std::wstring& path, int w, int h, DWORD argb);

struct Note {
    duPlugin* plugin;
    std::wstring name;
    int code, param1, param2;
};

class TestWindow {
public:
    // Loads the skin in `dir` and attaches its window `name` to a new
    // top-level window; check ok() before use.
    TestWindow(const TempDir& dir, const wchar_t* name = L"W", bool visible = true);
    ~TestWindow();
    bool ok() const { return attached_; }
    HWND hwnd() const { return hwnd_; }
    duWindowManager* manager() const { return manager_; }
    WindowHost* host() const { return WindowHost::FromHwnd(hwnd_); }
    duPlugin* Get(const wchar_t* name) const { return GetPluginByName(hwnd_, name); }
    template <typename T>
    T* As(const wchar_t* name) const { return dynamic_cast<T*>(Get(name)); }

    void Move(int x, int y);
    void LDown(int x, int y);
    void LUp(int x, int y);
    void Click(int x, int y);
    void Key(UINT vk);
    // Runs the window's message queue until pred holds or the limit passes.
    bool PumpUntil(const std::function<bool()>& pred, DWORD limitMs = 10000);

    std::vector<Note> notes;
    // Codes of recorded notifications for one plugin name, in order.
    std::vector<int> Codes(const std::wstring& name) const;
    bool Has(const std::wstring& name, int code) const;
    std::function<void(duPlugin*, const NotifyRecord&)> onNotify;

    // Pixel of the host's window image as 0xAARRGGBB (premultiplied).
    DWORD Pixel(int x, int y) const;
    void FullPaint();
    // Saves the window image as a PNG (for looking at it).
    bool SaveImage(const std::wstring& path) const;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND hwnd_ = nullptr;
    duWindowManager* manager_ = nullptr;
    bool attached_ = false;
};

}  // namespace ctrltest
