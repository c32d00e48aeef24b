#include "app/DownloadWorker.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/InstallProgress.h"
#include "app/RunOutcome.h"
#include "dulib/ctrl/Engine.h"
#include "net/ResumeValidator.h"
#include "net/RetryingDownload.h"
#include "support/Handles.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/LocalPaths.h"

#include <atomic>

namespace {

constexpr unsigned kChunkSize = 0x40000;

void LogForPackage(const std::wstring& text, const SetupInfo& item, int level) {
    WriteLog(L"StartDLoadMethod " + text + L", tool=" + item.name, level);
}

// Adds each chunk to the worker's copy of the record and stores it back; a
// download that starts the file over starts the count over.
void OnDownloadProgress(int bytes, void* context) {
    auto* item = static_cast<SetupInfo*>(context);
    if (!item) return;
    if (bytes == PROGRESS_RESTARTED)
        LogForPackage(L"服务器发来完整文件（文件已更新或不支持续传），从头下载", *item, LOG_WARN);
    item->downloaded = bytes == PROGRESS_RESTARTED ? 0 : item->downloaded + bytes;
    PackageList.UpdateBySetupName(*item);
}

// In the wait before a retry: the log says why, the row and the info line
// that a retry is under way.
void OnDownloadRetry(SetupInfo& item, const RetryNotice& notice) {
    WriteLog(RetryLogLine(L"StartDLoadMethod tool=" + item.name, notice) + L" " +
                 FailureReasonForLog(ClassOfTransport(notice.code, notice.facts)),
             LOG_WARN);
    item.retrying = notice.retry;
    PackageList.UpdateBySetupName(item);
    wchar_t count[32] = {};
    _snwprintf_s(count, 32, _TRUNCATE, L"(%d/%d)", notice.retry, notice.maxRetries);
    SetSetupInfoText(QuotedStep(L"正在重试下载", item.name) + count);
}

// A validator file that is no validator was planted or damaged: it is not
// used (the resume goes on as without one), and that is worth a line.
void LogUnusableValidator(const SetupInfo& item, const std::wstring& path) {
    std::wstring ignored;
    if (ReadStoredValidator(path, ignored) == StoredValidator::Rejected)
        LogForPackage(L"续传校验信息无效，已忽略: " + ValidatorPathFor(path), item, LOG_WARN);
}

// The whole download of one package, retried as the policy says; 0 or the
// last attempt's code, with its class in failureClass.
int FetchPackage(SetupInfo& item, const std::wstring& path, FailureClass& failureClass) {
    if (item.downloaded > 0) LogUnusableValidator(item, path);
    std::atomic<int> keepGoing{1};  // this worker never asks a download to stop
    DownloadTask task;
    task.url = item.url;
    task.destination = path;
    task.start = item.downloaded;
    task.chunkSize = kChunkSize;
    task.callback = OnDownloadProgress;
    task.stopFlag = &keepGoing;
    task.context = &item;
    ResponseFacts last;
    const int result = DownloadWithRetries(
        task, App().retryPolicy, [&item](const RetryNotice& notice) { OnDownloadRetry(item, notice); }, &last);
    LogForPackage(L"网络连接: " + DescribeProxy(last.proxy), item, LOG_INFO);
    item.retrying = 0;
    failureClass = ClassOfTransport(result, last);
    return result;
}

// Size of the package file left by an earlier run; `fallback` when there is none.
int ExistingFileSize(const std::wstring& path, int fallback) {
    WIN32_FIND_DATAW found{};
    FindHandle find(::FindFirstFileW(path.c_str(), &found));
    if (!find) return fallback;
    KernelHandle file(::CreateFileW(path.c_str(), FILE_READ_EA, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 0;
    DWORD size = ::GetFileSize(file.get(), nullptr);
    return size == INVALID_FILE_SIZE ? 0 : static_cast<int>(size);
}

// Where the download of a package starts. A file on disk can be known
// complete only against a size: without one it is fetched whole.
int ResumePoint(const SetupInfo& item, const std::wstring& path) {
    if (!HasKnownSize(item)) return 0;
    return ExistingFileSize(path, item.downloaded);
}

void LogDownloadFailure(const SetupInfo& item, int code) {
    wchar_t line[128] = {};
    _snwprintf_s(line, 128, _TRUNCATE, L"StartDLoadMethod 下载失败，tool=%s, code=%d", item.name.c_str(), code);
    const std::wstring reason = FailureReasonForLog(static_cast<FailureClass>(item.failureClass));
    WriteLog(reason.empty() ? std::wstring(line) : line + (L", 原因：" + reason), LOG_ERROR);
    if (code == ERROR_FILE_TOO_LARGE)
        WriteLog(L"StartDLoadMethod 安装包大小超出32位范围(最大2147483647字节)，未下载: tool=" + item.name, LOG_ERROR);
}

// Marks the package failed, stops both workers and lets the install worker
// past this package.
void FailDownload(SetupInfo& item, int code, FailureClass failureClass = FailureClass::None) {
    item.state = DownloadFailed;
    item.errorCode = code;
    item.failureClass = static_cast<int>(failureClass);
    PackageList.UpdateBySetupName(item);
    LogDownloadFailure(item, code);
    FailRun(FailureKind::Download, item, code);
    ::ReleaseSemaphore(item.doneSemaphore, 1, nullptr);
}

} // namespace

bool HasKnownSize(const SetupInfo& item) { return item.size > 0; }

std::wstring SetupStateText(const SetupInfo& item) {
    switch (item.state) {
    case Waiting: return L"等待安装";
    case Downloading: {
        wchar_t text[128] = {};
        if (item.retrying > 0) {
            _snwprintf_s(text, 128, _TRUNCATE, L"重试(%d/%d)", item.retrying, App().retryPolicy.maxRetries);
            if (!HasKnownSize(item)) return std::wstring(text) + L"...";
        } else if (!HasKnownSize(item)) {
            return L"正在下载...";  // no percentage without a size
        }
        double percent = static_cast<double>(item.downloaded) / item.size * 100.0;
        if (percent > 100.0) percent = 100.0;  // a server that ignored Range sent more than asked
        const std::wstring retry = text;
        _snwprintf_s(text, 128, _TRUNCATE, retry.empty() ? L"正在下载，已完成%d%%..." : L"，已完成%d%%...",
                     static_cast<int>(percent));
        return retry + text;
    }
    case DownloadFailed: {
        const std::wstring reason = FailureClassText(static_cast<FailureClass>(item.failureClass));
        return reason.empty() ? L"下载失败" : L"下载失败：" + reason;
    }
    case Verifying: return L"正在验证...";
    case VerifyFailed: return L"验证失败";
    case Installing: return L"正在安装...";
    case InstallFailed: return L"安装失败";
    case Installed: return L"已安装";
    default: return std::wstring();
    }
}

int StartDLoadMethod() {
    AppState& app = App();
    WriteLog(L"开始检查下载...", LOG_INFO);
    const ProgressBudget budget = CurrentProgressBudget();
    SetupInfo item;
    for (unsigned i = 0; !app.abort && PackageList.GetAt(i, item); ++i) {
        if (!item.selected) continue;
        if (item.recordFault) {
            FailDownload(item, item.recordFault);
            return 0;
        }
        const std::wstring path = PackageFilePath(item);
        if (path.empty()) {
            // No safe local name: nothing may be written for it.
            FailDownload(item, ERROR_INVALID_NAME);
            return 0;
        }
        item.downloaded = ResumePoint(item, path);
        if (!HasKnownSize(item) || item.downloaded < item.size) {
            app.downloadShare = 0;
            item.state = Downloading;
            PackageList.UpdateBySetupName(item);
            SetSetupInfoText(QuotedStep(L"正在下载", item.name));
            app.downloadShare = budget.downloadPart;
            FailureClass failureClass = FailureClass::None;
            const int result = FetchPackage(item, path, failureClass);
            if (result != 0) {
                FailDownload(item, result, failureClass);
                return 0;
            }
        }
        AddSetupProgress(budget.downloadPart);
        item.errorCode = 0;
        PackageList.UpdateBySetupName(item);
        ::ReleaseSemaphore(item.doneSemaphore, 1, nullptr);
    }
    return 0;
}

void RefreshItemStates() {
    AppState& app = App();
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (!item.selected) continue;
        duPlugin* row = FindControl((L"SetupItem_" + item.itemIndex).c_str());
        duPlugin* progress = FindControl((L"SetupItemStaticProgress_" + item.itemIndex).c_str());
        if (!row || !progress) continue;
        const std::wstring text = SetupStateText(item);
        if (!text.empty()) progress->SetText(text.c_str());
        RedrawPlugin(progress, TRUE);
        if (item.state != Downloading) continue;
        // A finished download's part is already in the progress sum.
        if (!HasKnownSize(item) || item.downloaded >= item.size) continue;
        const double percent = static_cast<double>(item.downloaded) / item.size * 100.0;
        const int share = app.downloadShare;
        if (share <= 0) continue;
        const int running = static_cast<int>(share / 100.0 * percent);
        if (running > 0) SetProgressValue(app.setupBar, app.setupValue, app.progressSum + running);
    }
}
