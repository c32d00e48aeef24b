#include "support/CodedConversion.h"
#include "support/Log.h"

#include <windows.h>
#include <shlobj.h>
#include <ctime>
#include <string>

namespace {

// <AppData>\Orchid\logs\VIZaroreRirar\[VIZaroreRirar]<date>.log
std::wstring DailyLogPath() {
    wchar_t appData[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE)) return std::wstring();
    std::wstring folder = std::wstring(appData) + L"\\Orchid\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"logs";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t logFolder[260] = {};
    _snwprintf_s(logFolder, 260, _TRUNCATE, L"%s\\VIZaroreRirar", folder.c_str());
    ::CreateDirectoryW(logFolder, nullptr);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    wchar_t date[32] = {};
    std::wcsftime(date, 32, L"%Y-%m-%d", &local);
    wchar_t file[260] = {};
    _snwprintf_s(file, 260, _TRUNCATE, L"%s\\[VIZaroreRirar]%s.log", logFolder, date);
    return file;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Only System32 may supply DLLs: the installer runs elevated from folders
    // that anyone can write to.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    std::string logPath = CCodedConversion().WideToAnsi(DailyLogPath());
    SetProcessLog(OpenLog(logPath.c_str()));
    WriteLog(L"在线安装工具启动！", LOG_INFO);
    return 0;
}
