#include "app/RunOutcome.h"

#include "net/Retry.h"
#include "net/WinHttpHandler.h"
#include "service/SetupListRequest.h"

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

// The package state whose wording a run failure takes; 0 (the plain code)
// for a failure of no particular step.
int StateOf(FailureKind kind) {
    switch (kind) {
    case FailureKind::Download: return DownloadFailed;
    case FailureKind::Verify: return VerifyFailed;
    case FailureKind::Setup: return InstallFailed;
    default: return 0;
    }
}

// A selected package that ended uninstalled although nothing failed: the
// run still failed, with a code of its own.
constexpr int kNotInstalledCode = ERROR_INSTALL_FAILURE;

// A step's own class when the record names none.
FailureClass ClassOfStep(FailureKind kind) {
    switch (kind) {
    case FailureKind::Verify: return FailureClass::DigestMismatch;
    case FailureKind::Setup: return FailureClass::SetupFailed;
    case FailureKind::NoDiskSpace: return FailureClass::DiskFull;
    case FailureKind::FolderNotWritable: return FailureClass::FolderNotWritable;
    default: return FailureClass::None;
    }
}

// What each class is called: for the user, and in plain words for the log.
struct ClassWords {
    FailureClass failureClass;
    const wchar_t* text;
    const wchar_t* tag;
};
const ClassWords kClassWords[] = {
    {FailureClass::NoConnection, L"网络连接失败", L"no connection"},
    {FailureClass::Dns, L"域名解析失败", L"name not resolved"},
    {FailureClass::Proxy, L"代理连接失败", L"proxy unreachable"},
    {FailureClass::ProxyAuth, L"代理身份验证失败", L"proxy authentication"},
    {FailureClass::Tls, L"安全连接失败", L"TLS/certificate"},
    {FailureClass::ServerError, L"服务器错误", L"server error"},
    {FailureClass::DiskFull, L"磁盘空间不足", L"disk full"},
    {FailureClass::DigestMismatch, L"文件校验失败", L"digest mismatch"},
    {FailureClass::SetupFailed, L"安装程序出错", L"setup failed"},
    {FailureClass::FolderNotWritable, L"目录无法写入", L"folder not writable"},
};

const ClassWords* WordsOf(FailureClass failureClass) {
    for (const ClassWords& words : kClassWords)
        if (words.failureClass == failureClass) return &words;
    return nullptr;
}

bool IsBeforeDownloads(FailureKind kind) {
    return kind == FailureKind::NoDiskSpace || kind == FailureKind::FolderNotWritable ||
           kind == FailureKind::InvalidFolder || kind == FailureKind::OfficeInTheWay;
}

} // namespace

void FailRun(FailureKind kind, const SetupInfo& item, int code) {
    RunFailure failure;
    failure.kind = kind;
    failure.setupName = item.setup_name;
    failure.name = item.name;
    failure.version = item.version;
    failure.code = code;
    failure.failureClass =
        item.failureClass ? static_cast<FailureClass>(item.failureClass) : ClassOfStep(kind);
    Remember(failure);
}

void FailRunBeforeDownloads(FailureKind kind, int code, const std::wstring& message) {
    RunFailure failure;
    failure.kind = kind;
    failure.failureClass = ClassOfStep(kind);
    failure.code = code;
    failure.message = message;
    Remember(failure);
}

FailureClass ClassOfTransport(int code, const ResponseFacts& facts) {
    switch (ClassifyTransport(code, facts)) {
    case TransportFailure::Connection: return FailureClass::NoConnection;
    case TransportFailure::Dns: return FailureClass::Dns;
    case TransportFailure::Proxy: return FailureClass::Proxy;
    case TransportFailure::ProxyAuth: return FailureClass::ProxyAuth;
    case TransportFailure::Tls: return FailureClass::Tls;
    case TransportFailure::Server: return FailureClass::ServerError;
    case TransportFailure::Disk: return FailureClass::DiskFull;
    default: return FailureClass::None;
    }
}

FailureClass ClassOfListFailure(int code, const ResponseFacts& facts) {
    if (code == ERR_BAD_RESPONSE || code == ERR_BUFFER_TOO_SMALL) return FailureClass::ServerError;
    return ClassOfTransport(code, facts);
}

std::wstring FailureClassText(FailureClass failureClass) {
    const ClassWords* words = WordsOf(failureClass);
    return words ? words->text : L"";
}

std::wstring FailureClassTag(FailureClass failureClass) {
    const ClassWords* words = WordsOf(failureClass);
    return words ? words->tag : L"";
}

std::wstring FailureReasonForLog(FailureClass failureClass) {
    if (failureClass == FailureClass::None) return std::wstring();
    return FailureClassText(failureClass) + L" [" + FailureClassTag(failureClass) + L"]";
}

void FailRunAtStart(int code) {
    RunFailure failure;
    failure.kind = FailureKind::Start;
    failure.code = code;
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

std::wstring FailureInfoLine(int state, int code, FailureClass failureClass) {
    // A failed verification says all there is to say; elsewhere the class
    // follows the step, or stands for it where there was only the code.
    if (failureClass == FailureClass::None && state == InstallFailed) failureClass = FailureClass::SetupFailed;
    const std::wstring reason = state == VerifyFailed ? std::wstring() : FailureClassText(failureClass);
    const std::wstring step = state == DownloadFailed ? L"下载失败" : state == VerifyFailed ? L"验证失败" : L"";
    std::wstring said = step;
    if (!reason.empty()) said = step.empty() ? reason : step + L"（" + reason + L"）";
    wchar_t line[128] = {};
    _snwprintf_s(line, 128, _TRUNCATE, said.empty() ? L"错误信息：%scode=%d" : L"错误信息：%s，code=%d", said.c_str(),
                 code);
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
    if (IsBeforeDownloads(failure.kind)) {
        result.text = L"【安装失败】错误信息：" + failure.message + L"，code=" + std::to_wstring(result.code);
        return result;
    }
    const std::wstring info = FailureInfoLine(StateOf(failure.kind), result.code, failure.failureClass);
    result.text = failure.kind == FailureKind::Start
                      ? L"【安装失败】" + info
                      : L"【安装失败】name：" + failure.name + L"_V" + failure.version + L", " + info;
    return result;
}
