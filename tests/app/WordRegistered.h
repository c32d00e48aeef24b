#pragma once
// Word 2016 registered in the prefix for as long as the object lives, so a
// run is offered the Word add-in and does not stop at the Word warning; the
// prefix's own key is put back afterwards.
#include "tests/sysinfo/ScopedRegistryKey.h"

#include <windows.h>

class WordRegistered {
public:
    WordRegistered() : word_(HKEY_CLASSES_ROOT, L"Word.Application", KEY_WOW64_32KEY) {
        RegKey curVer;
        ::RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Word.Application\\CurVer", 0, nullptr, 0,
                          KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, curVer.put(), nullptr);
        const wchar_t value[] = L"Word.Application.16";
        ::RegSetValueExW(curVer.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    }

private:
    ScopedRegistryKey word_;
};
