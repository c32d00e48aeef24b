#pragma once
// Opens the day's log file under the product's data folder and makes it the
// process-wide log.
#include <string>

class CLog;

void OpenDailyLog();
// The day's log under a logs folder: its "VIZaroreRirar" subfolder (made when
// missing) and the file named for today's date; null when it cannot be opened.
CLog* OpenDailyLogIn(const std::wstring& logsFolder);
