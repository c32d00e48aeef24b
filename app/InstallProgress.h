#pragma once
// What the download and install workers share: the overall progress budget
// and the Setup page's info line.
#include <string>

// share = 100 / package count; 80 % of it (truncated) belongs to the download.
struct ProgressBudget {
    int share;
    int downloadPart;
    int installPart;
};
ProgressBudget CurrentProgressBudget();

// Base text of the Setup page's info line (timer 103 animates it). Any thread.
void SetSetupInfoText(const std::wstring& text);
// "<prefix>“<name>”", formatted into the usual 1024-character buffer.
std::wstring QuotedStep(const wchar_t* prefix, const std::wstring& name);
// Adds to the overall progress and shows the new sum. Any thread.
void AddSetupProgress(int percent);
