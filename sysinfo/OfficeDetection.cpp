#include "sysinfo/OfficeDetection.h"

#include "support/Handles.h"
#include "sysinfo/RegistryView.h"

#include <windows.h>
#include <cstdlib>
#include <cwchar>

namespace {

// Reads a REG_SZ value (the default value when name is null) into text; fails
// when the value is missing, of another type or larger than `room` bytes.
bool ReadStringValue(HKEY key, const wchar_t* name, DWORD room, std::wstring& text) {
    std::wstring buffer(room / sizeof(wchar_t) + 1, L'\0');
    DWORD type = 0;
    DWORD size = room;
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
    buffer.resize(size / sizeof(wchar_t));
    text.assign(buffer.c_str());  // up to the first terminator
    return true;
}

} // namespace

std::wstring OfficeEditionName(int major) {
    if (major < 0) return L"After2010";
    switch (major) {
    case 0: case 1: case 2: case 3: case 5: return L"Before95";
    case 4: case 7: return L"After2010";
    case 6: return L"95";
    case 8: return L"97";
    case 9: return L"2000";
    case 10: return L"XP";
    case 11: return L"2003";
    case 12: return L"2007";
    case 13: case 14: return L"2010";
    default: return L"After2010";
    }
}

int OfficeMajorFromCurVer(const std::wstring& curVer) {
    size_t dot = curVer.rfind(L'.');
    if (dot == std::wstring::npos) return -1;  // Word always writes one; anything else is not Word
    long value = std::wcstol(curVer.c_str() + dot + 1, nullptr, 10);
    return static_cast<int>(value);
}

int DetectOffice(std::wstring& officeName) {
    officeName = L"??";
    RegKey word;
    if (::RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Word.Application", 0, KEY_READ | kInspectionView, word.put()) !=
        ERROR_SUCCESS)
        return -1;
    RegKey curVerKey;
    if (::RegOpenKeyExW(word.get(), L"CurVer", 0, KEY_READ | kInspectionView, curVerKey.put()) != ERROR_SUCCESS)
        return -1;
    std::wstring curVer;
    if (!ReadStringValue(curVerKey.get(), nullptr, 128, curVer)) return -1;

    int major = OfficeMajorFromCurVer(curVer);
    if (major == -1) return -1;
    officeName = L"office_" + OfficeEditionName(major) + (IsOffice64(major) ? L"_64" : L"_32");
    return major;
}

bool IsOffice64(int major) {
    if (major <= 12) return false;  // there was no 64-bit Office before 2010
    wchar_t path[1024] = {};
    _snwprintf_s(path, 1024, _TRUNCATE, L"Software\\Microsoft\\Office\\%d.0\\Outlook", major);
    RegKey outlook;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | kInspectionView, outlook.put()) != ERROR_SUCCESS)
        return false;
    std::wstring bitness;
    if (!ReadStringValue(outlook.get(), L"Bitness", 1024, bitness)) return false;
    return bitness == L"x64";
}
