#pragma once
// The Finish page: one row per selected package with its outcome, the
// success or failure picture, the offer to start the client, and the
// statistics report of the run.
#include "support/SetupInfo.h"

#include <string>

class duPlugin;

// How a package's row reads (the reported result is the run's, RunOutcome.h).
struct FinishOutcome {
    std::wstring stateText;  // "安装成功", "安装失败" or "未安装"
    std::wstring infoLine;   // the error line; empty when hidden
    bool failed = false;
};
FinishOutcome DescribeOutcome(const SetupInfo& item);
// The result text as a screen reader should say it (without the brackets).
std::wstring SpokenResult(const std::wstring& resultText);

// Called by the install worker at its end, on its thread: control changes go
// to the window's thread, the report is sent from the calling thread (never
// the window's: without another thread, sendReport is false).
void ShowFinishPage(bool sendReport = true);
// The end of the installation: the Setup page's timers stop, the page hides
// and the Finish page follows. Same threads as ShowFinishPage.
void EndInstallPhase(bool sendReport = true);
// Window thread only.
bool AddFinishRow(const SetupInfo& item, int rowNumber);
// The finish button: starts the client when asked, then closes the window.
void OnFinishButton(duPlugin* control, int param1, int param2);
// What the finish button starts for a main program; empty for none.
std::wstring RunTarget(const SetupInfo& mainProgram);
