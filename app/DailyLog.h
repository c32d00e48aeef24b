#pragma once
// Opens the day's log file under the product's data folder and makes it the
// process-wide log.
void OpenDailyLog();
