#pragma once
// Answers a message box of this process from another thread while the
// window's thread sits in the box's modal loop.
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

// Answers the next dialog of this process captioned "提示" (or with any
// caption) with `button` and keeps its text; gives up after a limit only a
// fault reaches.
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button, const wchar_t* caption = L"提示")
        : caption_(caption), thread_([this, button] { Run(button); }) {}
    ~BoxAnswerer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    std::wstring Text() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return text_;
    }

private:
    void Run(int button) {
        for (int i = 0; i < 600 && !stop_; ++i) {
            HWND box = ::FindWindowW(L"#32770", caption_);
            DWORD pid = 0;
            if (box) ::GetWindowThreadProcessId(box, &pid);
            if (box && pid == ::GetCurrentProcessId()) {
                wchar_t text[512] = {};
                ::GetDlgItemTextW(box, 0xFFFF, text, 512);
                text_ = text;
                ::PostMessageW(box, WM_COMMAND, button, 0);
                return;
            }
            ::Sleep(50);
        }
    }
    const wchar_t* caption_;
    std::atomic<bool> stop_{false};
    std::wstring text_;
    std::thread thread_;
};
