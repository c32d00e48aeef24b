#pragma once
// How an installation run ended: its first real failure (which package,
// which step, which code), and the result the Finish page reports from it.
#include "app/AppState.h"
#include "net/ResponseFacts.h"
#include "support/SetupInfo.h"

#include <string>
#include <vector>

// Codes of the checks before the first download, in the report and the log.
constexpr int kNoDiskSpaceCode = -110;        // a volume lacks the room the packages need
constexpr int kFolderNotWritableCode = -111;  // the installation folder cannot be made or written

// A package's step failed (its record already carries the failed state,
// code and failure class): remembered when it is the run's first failure,
// and both workers stop. Any thread.
void FailRun(FailureKind kind, const SetupInfo& item, int code);
// The run could not start its workers or semaphores. Any thread.
void FailRunAtStart(int code);
// A check before the first download failed (NoDiskSpace, FolderNotWritable,
// and in an unattended run InvalidFolder or OfficeInTheWay) with what the
// user was told. Any thread.
void FailRunBeforeDownloads(FailureKind kind, int code, const std::wstring& message);

// The class of a transport result (net's classification, in the
// application's terms).
FailureClass ClassOfTransport(int code, const ResponseFacts& facts);
// The class of a failed package-list request: an answer that is not a list is the server's.
FailureClass ClassOfListFailure(int code, const ResponseFacts& facts);
// The short text the user sees for a class; empty for None.
std::wstring FailureClassText(FailureClass failureClass);
// The class in a few plain words for the log ("proxy authentication"); empty for None.
std::wstring FailureClassTag(FailureClass failureClass);
// "<text> [<tag>]" for a log line; empty for None.
std::wstring FailureReasonForLog(FailureClass failureClass);
// A copy of the first failure of the run (kind None while there is none).
RunFailure FirstRunFailure();
// The start button begins a run without failures.
void ResetRunFailure();

// "错误信息：…code=N", as a failed package's row and the report word it:
// the failed step (download, verification) with the failure's class where
// the class says more than the step.
std::wstring FailureInfoLine(int state, int code, FailureClass failureClass = FailureClass::None);

// What the statistics report says of the run: "【安装成功】" and 0 when every
// selected package is installed; otherwise the first failure's code (never
// 0) and a text naming the package that failed first.
struct RunResult {
    std::wstring text;
    int code = 0;
    FailureKind kind = FailureKind::None;
};
RunResult DecideRunResult(const std::vector<SetupInfo>& selected);
