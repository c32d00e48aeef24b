#include "app/RunOutcome.h"

#include <windows.h>

namespace {

void Remember(const RunFailure& failure) {
    AppState& app = App();
    {
        std::lock_guard<std::mutex> guard(app.failureLock);
        if (app.firstFailure.kind == FailureKind::None) app.firstFailure = failure;
    }
    app.abort = true;
}

int StateOf(FailureKind kind) {
    switch (kind) {
    case FailureKind::Download: return DownloadFailed;
    case FailureKind::Verify: return VerifyFailed;
    default: return InstallFailed;
    }
}

bool IsPackageFailure(FailureKind kind) {
    return kind == FailureKind::Download || kind == FailureKind::Verify || kind == FailureKind::Setup ||
           kind == FailureKind::NotInstalled;
}

// A selected package that ended uninstalled although nothing failed: the
// run still failed, with a code of its own.
constexpr int kNotInstalledCode = ERROR_INSTALL_FAILURE;

} // namespace

void FailRun(FailureKind kind, const SetupInfo& item, int code) {
    RunFailure failure;
    failure.kind = kind;
    failure.setupName = item.setup_name;
    failure.name = item.name;
    failure.version = item.version;
    failure.code = code;
    Remember(failure);
}

void FailRunAtStart(int code) { FailRunBeforePackages(FailureKind::Start, code, L""); }

void FailRunBeforePackages(FailureKind kind, int code, const std::wstring& detail) {
    RunFailure failure;
    failure.kind = kind;
    failure.code = code;
    failure.detail = detail;
    Remember(failure);
}

RunFailure FirstRunFailure() {
    AppState& app = App();
    std::lock_guard<std::mutex> guard(app.failureLock);
    return app.firstFailure;
}

void ResetRunFailure() {
    AppState& app = App();
    std::lock_guard<std::mutex> guard(app.failureLock);
    app.firstFailure = RunFailure();
}

std::wstring FailureInfoLine(int state, int code) {
    const wchar_t* format = state == DownloadFailed ? L"错误信息：下载失败，code=%d"
                            : state == VerifyFailed ? L"错误信息：验证失败，code=%d"
                                                    : L"错误信息：code=%d";
    wchar_t line[128] = {};
    _snwprintf_s(line, 128, _TRUNCATE, format, code);
    return line;
}

RunResult DecideRunResult(const std::vector<SetupInfo>& selected) {
    RunFailure failure = FirstRunFailure();
    if (failure.kind == FailureKind::None) {
        for (const SetupInfo& item : selected) {
            if (item.state == Installed) continue;
            failure.kind = FailureKind::NotInstalled;
            failure.setupName = item.setup_name;
            failure.name = item.name;
            failure.version = item.version;
            failure.code = item.errorCode != 0 ? item.errorCode : kNotInstalledCode;
            break;
        }
    }
    RunResult result;
    result.kind = failure.kind;
    if (failure.kind == FailureKind::None) {
        result.text = L"【安装成功】";
        return result;
    }
    // A code of 0 would read as a success to the service.
    result.code = failure.code != 0 ? failure.code : kNotInstalledCode;
    const std::wstring info = FailureInfoLine(StateOf(failure.kind), result.code);
    result.text = !IsPackageFailure(failure.kind)
                      ? L"【安装失败】" + failure.detail + info
                      : L"【安装失败】name：" + failure.name + L"_V" + failure.version + L", " + info;
    return result;
}
