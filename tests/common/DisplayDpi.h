#pragma once
// Child processes on a display of another scale. Wine takes the DPI of its
// one display from the prefix's HKCU\Control Panel\Desktop value LogPixels
// (REG_DWORD) when a process starts, and gives every window that DPI
// (GetDpiForWindow, GetDeviceCaps LOGPIXELSX, GetSystemMetricsForDpi); it
// never sends WM_DPICHANGED itself. While a ScopedDisplayDpi lives, processes
// started get its DPI and find it in KESTRANE_TEST_DPI; afterwards the value
// before (or none) is put back. ctest runs the tests one after the other, so
// no other test process starts meanwhile; tools/run-tests.sh also sets 96
// before every run in case a run died halfway.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "support/Handles.h"

class ScopedDisplayDpi {
public:
    explicit ScopedDisplayDpi(DWORD dpi) {
        RegKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return;
        DWORD size = sizeof(previous_);
        had_ = ::RegQueryValueExW(key.get(), L"LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&previous_),
                                  &size) == ERROR_SUCCESS;
        set_ = ::RegSetValueExW(key.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                                sizeof(dpi)) == ERROR_SUCCESS;
        ::SetEnvironmentVariableW(L"KESTRANE_TEST_DPI", std::to_wstring(dpi).c_str());
    }
    ~ScopedDisplayDpi() {
        ::SetEnvironmentVariableW(L"KESTRANE_TEST_DPI", nullptr);
        RegKey key;
        if (!set_ || ::RegOpenKeyExW(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
        if (had_)
            ::RegSetValueExW(key.get(), L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_),
                             sizeof(previous_));
        else
            ::RegDeleteValueW(key.get(), L"LogPixels");
    }
    ScopedDisplayDpi(const ScopedDisplayDpi&) = delete;
    ScopedDisplayDpi& operator=(const ScopedDisplayDpi&) = delete;
    bool Ok() const { return set_; }

private:
    static constexpr const wchar_t* kKey = L"Control Panel\\Desktop";
    DWORD previous_ = 0;
    bool had_ = false;
    bool set_ = false;
};

// In a child started under a ScopedDisplayDpi: the DPI it was started with;
// 0 anywhere else.
inline int ChildDisplayDpi() {
    const char* value = std::getenv("KESTRANE_TEST_DPI");
    return value ? std::atoi(value) : 0;
}
