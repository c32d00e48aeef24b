#include "sysinfo/InstallDir.h"

#include <windows.h>
#include <shlwapi.h>
#include <cstdlib>
#include <cwchar>

namespace {

const wchar_t kForbidden[] = L"\\/:*?\"<>|";

struct PathParts {
    wchar_t drive[_MAX_DRIVE] = {};
    wchar_t dir[_MAX_DIR] = {};
    wchar_t name[_MAX_FNAME] = {};
    wchar_t ext[_MAX_EXT] = {};
};

} // namespace

std::wstring RemoveForbiddenChars(const std::wstring& text) {
    std::wstring result;
    result.reserve(text.size());
    for (wchar_t c : text) {
        bool forbidden = c != L'\0' && std::wcschr(kForbidden, c) != nullptr;
        if (!forbidden) result.push_back(c);
    }
    return result;
}

bool IsValidInstallDir(const std::wstring& path) {
    if (path.empty()) return true;
    std::wstring p = path;
    bool sawName = false;
    // Peel one name off the end per round until only the drive is left.
    while (!p.empty()) {
        PathParts parts;
        if (_wsplitpath_s(p.c_str(), parts.drive, _MAX_DRIVE, parts.dir, _MAX_DIR, parts.name, _MAX_FNAME,
                          parts.ext, _MAX_EXT) != 0)
            return false;  // a part too long for any real path
        wchar_t joined[_MAX_PATH] = {};
        if (_wmakepath_s(joined, _MAX_PATH, parts.drive, parts.dir, parts.name, parts.ext) != 0) return false;
        if (p != joined || !::PathIsDirectoryW(parts.drive)) return false;

        // The extension belongs to the name: "a.b?c" must be refused too.
        std::wstring name = std::wstring(parts.name) + parts.ext;
        if (RemoveForbiddenChars(name) != name) return false;
        // A bare drive ("C:") names no folder of its own.
        if (name.empty()) return sawName && p == parts.drive;
        if (p.size() < name.size() + 1) return false;
        p.resize(p.size() - name.size() - 1);
        sawName = true;
    }
    return false;
}
