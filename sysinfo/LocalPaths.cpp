#include "sysinfo/LocalPaths.h"

#include "support/TempNames.h"
#include "sysinfo/InstallDir.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

// Expands one environment variable; empty when it is not defined.
std::wstring ExpandVariable(const wchar_t* pattern) {
    wchar_t buffer[260] = {};
    DWORD len = ::ExpandEnvironmentStringsW(pattern, buffer, 260);
    if (len == 0 || len > 260) return std::wstring();
    std::wstring text(buffer);
    if (text.empty() || text.front() == L'%') return std::wstring();  // left unexpanded
    return text;
}

// One part of a package file name: no path separators, wildcards or
// control characters may survive from the service's answer.
std::wstring CleanNamePart(const std::wstring& part) {
    std::wstring cleaned;
    for (wchar_t c : RemoveForbiddenChars(part))
        if (c >= 0x20) cleaned.push_back(c);
    return cleaned;
}

} // namespace

std::wstring AppDataPath(const std::wstring& folder, const std::wstring& file, bool create) {
    wchar_t appData[260] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE)) return std::wstring();
    std::wstring path = std::wstring(appData) + L"\\" + (folder.empty() ? std::wstring(L"Orchid") : folder);
    if (path.back() != L'\\') path.push_back(L'\\');
    path += file;
    if (create) ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

std::wstring DefaultInstallPath() {
    // The client has always been proposed under the 32-bit program folder;
    // a 64-bit process must ask for it by name (absent on 32-bit Windows).
    std::wstring programFiles = ExpandVariable(L"%ProgramFiles(x86)%");
    if (programFiles.empty()) programFiles = ExpandVariable(L"%ProgramFiles%");
    if (programFiles.empty()) return std::wstring();
    return programFiles + L"\\QRN\\Kestrane";
}

std::wstring ReadInstalledPath() {
    std::wstring ini = AppDataPath(L"", L"startup.ini", false);
    if (ini.empty()) return std::wstring();
    wchar_t path[1024] = {};
    ::GetPrivateProfileStringW(L"App", L"Path", L"", path, 1024, ini.c_str());
    return path;
}

std::wstring TempWorkFolder() {
    std::wstring temp = TempPath();
    if (temp.empty()) return std::wstring();  // never fall back to the current folder
    std::wstring folder = temp + L"vantor_temp\\";
    if (!::PathIsDirectoryW(folder.c_str())) ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring PackageFolder() {
    std::wstring work = TempWorkFolder();
    if (work.empty()) return std::wstring();
    std::wstring folder = work + L"Package\\";
    if (::GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring RunFolderRoot() {
    wchar_t windows[260] = {};
    const UINT length = ::GetSystemWindowsDirectoryW(windows, 260);
    if (length == 0 || length >= 260) return std::wstring();
    std::wstring root = windows;
    if (root.back() != L'\\') root.push_back(L'\\');
    return root + L"Temp\\";
}

std::wstring UrlFileExtension(const std::wstring& url) {
    std::wstring rest = url.substr(0, url.find_first_of(L"?#"));
    size_t pathStart = 0;
    size_t scheme = rest.find(L"://");
    if (scheme != std::wstring::npos) {
        pathStart = rest.find(L'/', scheme + 3);
        if (pathStart == std::wstring::npos) return std::wstring();  // a bare host has no file
    }
    size_t slash = rest.find_last_of(L"/\\");
    size_t segmentStart = (slash == std::wstring::npos || slash < pathStart) ? pathStart : slash + 1;
    std::wstring segment = rest.substr(segmentStart);
    size_t dot = segment.rfind(L'.');
    if (dot == std::wstring::npos) return std::wstring();
    return CleanNamePart(segment.substr(dot + 1));
}

std::wstring PackageFilePath(const SetupInfo& item) {
    std::wstring name = CleanNamePart(item.name);
    if (name.find_first_not_of(L'.') == std::wstring::npos) return std::wstring();  // empty, ".", "..", ...
    std::wstring folder = PackageFolder();
    if (folder.empty()) return std::wstring();
    return folder + name + L"_V" + CleanNamePart(item.version) + L"." + UrlFileExtension(item.url);
}
