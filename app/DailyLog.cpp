#include "app/DailyLog.h"

#include "support/Log.h"
#include "sysinfo/LocalPaths.h"

#include <windows.h>
#include <ctime>

void OpenDailyLog() {
    AppDataPath(L"", L"", true);
    std::wstring logs = AppDataPath(L"", L"logs", true);
    if (logs.empty()) return;
    SetProcessLog(OpenDailyLogIn(logs));
}

CLog* OpenDailyLogIn(const std::wstring& logsFolder) {
    wchar_t folder[260] = {};
    _snwprintf_s(folder, 260, _TRUNCATE, L"%s\\VIZaroreRirar", logsFolder.c_str());
    ::CreateDirectoryW(folder, nullptr);

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    wchar_t date[32] = {};
    std::wcsftime(date, 32, L"%Y-%m-%d", &local);
    wchar_t file[260] = {};
    _snwprintf_s(file, 260, _TRUNCATE, L"%s\\[VIZaroreRirar]%s.log", folder, date);
    return OpenLog(file);
}
