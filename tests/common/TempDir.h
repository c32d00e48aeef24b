#pragma once
// A fresh folder under the user's temporary folder, removed with everything
// in it when the object goes away.
#include <windows.h>
#include <shellapi.h>
#include <string>

class TempDir {
public:
    TempDir() {
        wchar_t base[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, base);
        static LONG counter = 0;
        wchar_t name[MAX_PATH] = {};
        _snwprintf_s(name, MAX_PATH, _TRUNCATE, L"%skestrane-test-%lu-%ld-%lu", base, ::GetCurrentProcessId(),
                     ::InterlockedIncrement(&counter), ::GetTickCount());
        path_ = name;
        ::CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempDir() {
        std::wstring from = path_;
        from.push_back(L'\0');  // double-terminated list
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        ::SHFileOperationW(&op);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};
