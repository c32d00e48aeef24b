#pragma once
// How an installation run ended: its first real failure (which package,
// which step, which code), and the result the Finish page reports from it.
#include "app/AppState.h"
#include "support/SetupInfo.h"

#include <string>
#include <vector>

// A package's step failed (its record already carries the failed state and
// code): remembered when it is the run's first failure, and both workers
// stop. Any thread.
void FailRun(FailureKind kind, const SetupInfo& item, int code);
// The run could not start its workers or semaphores. Any thread.
void FailRunAtStart(int code);
// The run failed before any package for another reason (`kind`); `detail`
// says what, ending in ", ". Any thread.
void FailRunBeforePackages(FailureKind kind, int code, const std::wstring& detail);
// A copy of the first failure of the run (kind None while there is none).
RunFailure FirstRunFailure();
// The start button begins a run without failures.
void ResetRunFailure();

// "错误信息：…code=N", as a failed package's row and the report word it.
std::wstring FailureInfoLine(int state, int code);

// What the statistics report says of the run: "【安装成功】" and 0 when every
// selected package is installed; otherwise the first failure's code (never
// 0) and a text naming the package that failed first.
struct RunResult {
    std::wstring text;
    int code = 0;
    FailureKind kind = FailureKind::None;
};
RunResult DecideRunResult(const std::vector<SetupInfo>& selected);
