#include "app/PreparePage.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "app/PendingReports.h"
#include "app/ProcessTerminator.h"
#include "app/RunOutcome.h"
#include "app/Resources.h"
#include "app/SetupRows.h"
#include "app/UiThread.h"
#include "app/Unattended.h"
#include "app/WorkerThreads.h"
#include "dulib/ctrl/Engine.h"
#include "service/ModelSetup.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/DotNetDetection.h"
#include "sysinfo/OfficeDetection.h"
#include "sysinfo/WindowsVersion.h"

#include <optional>

namespace {

// The text the info line animates; timer 102 reads it on the window thread.
void SetPrepareInfoText(const std::wstring& text) {
    RunOnUi([text] { App().prepareInfoText = text; });
}

void SetPrepareProgress(int percent) {
    AppState& app = App();
    SetProgressValue(app.prepareBar, app.prepareValue, percent);
}

void CheckOffice() {
    AppState& app = App();
    int major = DetectOffice(app.officeName);
    bool warn = app.officeName.find(L"??") != std::wstring::npos;
    if (!warn) {
        ::Sleep(400);
        warn = major <= 11;
    }
    if (!warn) return;
    if (IsUnattended()) {
        WriteLog(LoadResText(IDS_WORD_WARNING) + L"（无人值守：继续安装）", LOG_WARN);
        return;
    }
    ::MessageBoxW(app.mainWindow, LoadResText(IDS_WORD_WARNING).c_str(), L"警告", MB_ICONINFORMATION);
}

// "获取在线安装信息失败（网络连接失败）, Code=12029": the class where there is one.
std::wstring PrepareFailureText(int code, FailureClass failureClass = FailureClass::None) {
    wchar_t suffix[128] = {};
    _snwprintf_s(suffix, 128, _TRUNCATE, L", Code=%d", code);
    const std::wstring reason = FailureClassText(failureClass);
    return LoadResText(IDS_LIST_FAILED) + (reason.empty() ? L"" : L"（" + reason + L"）") + suffix;
}

// Window thread: the page's error mode, showing the failure text; closing
// now ends the run as `kind`, which an unattended run does by itself.
void ShowPrepareFailure(const std::wstring& text, FailureKind kind) {
    AppState& app = App();
    app.ending = kind;
    ShowPrepareError(true);
    ::KillTimer(app.mainWindow, IDT_PREPARE_INFO);
    SetControlText(app.prepareInfo, text);
    ShowMainWindowIfHidden();
    if (IsUnattended()) PressBySelfSoon(L"CancelPrepareBtn");
}

// Window thread: the package list has arrived and its rows exist.
void ShowPackages() {
    const std::wstring refused = ApplyExclusions();
    if (!refused.empty()) {
        WriteLog(refused, LOG_ERROR);
        ShowPrepareFailure(refused, FailureKind::InvalidArguments);
        return;
    }
    if (duPlugin* page = FindControl(L"PrepareLayout")) SetPluginVisible(page, FALSE);
    ShowSetupPage();
    ::KillTimer(App().mainWindow, IDT_PREPARE_INFO);
    if (IsUnattended()) StartUnattended();
}

void PrepareFailed(int code, FailureClass failureClass) {
    AppState& app = App();
    app.resultText = PrepareFailureText(code, failureClass);
    const std::wstring reason = FailureReasonForLog(failureClass);
    if (!reason.empty()) WriteLog(L"PrepareWorker " + app.resultText + L", 原因：" + reason, LOG_ERROR);
    const bool report = code != app.lastReportedPrepareCode;
    // Counted before the page offers its buttons: closing waits for it, and a
    // retry starts only after this worker has ended.
    std::optional<ReportInFlight> inFlight;
    if (report) inFlight.emplace();
    RunOnUi([text = app.resultText] { ShowPrepareFailure(text, FailureKind::PackageList); });
    if (!report) return;
    CModelSetup::Instance().ReportSetupResult(CurrentServiceFacts(), LoadResText(IDS_INSTALLER_VERSION), L"",
                                              app.retryPolicy);
    app.lastReportedPrepareCode = code;
}

void PrepareWorker() {
    AppState& app = App();
    WriteLog(L"开始准备安装信息...", LOG_INFO);
    RunOnUi(ShowMainWindowIfHidden);
    // The client's files are about to be replaced. Closing it may take tens
    // of seconds: here, not before the window appears.
    TerminateProcessByName(L"Startup.exe");
    TerminateProcessByName(L"Vantor.exe");
    app.productCode.clear();
    app.windowsName.clear();
    app.officeName.clear();
    app.dotNetName.clear();
    app.resultText.clear();
    app.resultCode = 0;
    app.listRequested = 0;

    SetPrepareInfoText(LoadResText(IDS_STEP_SYSTEM));
    std::wstring version;
    DetectWindows(app.windowsName, version);
    WriteLog(L"CheckWinInfo Windows版本号: " + version, LOG_INFO);
    ::Sleep(400);
    SetPrepareProgress(20);

    SetPrepareInfoText(LoadResText(IDS_STEP_OFFICE));
    CheckOffice();
    SetPrepareProgress(40);

    SetPrepareInfoText(LoadResText(IDS_STEP_DOTNET));
    DetectDotNet(app.dotNetName);
    ::Sleep(400);
    SetPrepareProgress(60);

    SetPrepareInfoText(LoadResText(IDS_STEP_LOCAL));
    ::Sleep(400);
    SetPrepareProgress(80);

    SetPrepareInfoText(LoadResText(IDS_STEP_LIST));
    FailureClass failureClass = FailureClass::None;
    app.resultCode = FetchSetupList(L"", &failureClass);
    if (app.resultCode == 0) {
        SetPrepareProgress(100);
        RunOnUi(ShowPackages);
        return;
    }
    PrepareFailed(app.resultCode, failureClass);
}

void LaunchPrepareWorker();

// Window thread, after a worker's last control change: the next attempt may run.
void OnPrepareWorkerEnded() {
    AppState& app = App();
    app.prepareRunning = false;
    if (!app.prepareQueued) return;
    app.prepareQueued = false;
    LaunchPrepareWorker();
}

void LaunchPrepareWorker() {
    AppState& app = App();
    app.prepareRunning = true;
    if (StartDetachedThread(L"PrepareWorker", [] {
            PrepareWorker();
            RunOnUi(OnPrepareWorkerEnded);
        }))
        return;
    // Nothing to report from: the page says it, and a retry may find a thread.
    app.prepareRunning = false;
    app.resultCode = static_cast<int>(kNoResourcesCode);
    app.resultText = PrepareFailureText(app.resultCode);
    ShowPrepareFailure(app.resultText, FailureKind::Start);
}

// From the window's queue: at start-up the first frame is out before the
// worker's thread and the libraries it loads compete with it.
void LaunchPrepareWorkerSoon() {
    AppState& app = App();
    app.prepareRunning = true;
    if (!PostUiTask(app.mainWindow, LaunchPrepareWorker)) LaunchPrepareWorker();
}

} // namespace

int FetchSetupList(const std::wstring& installedVersion, FailureClass* failureClass) {
    AppState& app = App();
    PackageList.Clear();
    app.productCode = LoadResText(IDS_SETUP_NAME);
    app.listRequested = 1;
    // A retry under way shows on the info line.
    const auto showRetry = [](const RetryNotice& notice) {
        wchar_t count[64] = {};
        _snwprintf_s(count, 64, _TRUNCATE, L"（第%d次重试，共%d次）", notice.retry, notice.maxRetries);
        SetPrepareInfoText(LoadResText(IDS_STEP_LIST) + count);
    };
    ResponseFacts last;
    int code = CModelSetup::Instance().GetSetupList(CurrentServiceFacts(), installedVersion, app.retryPolicy,
                                                    showRetry, &last);
    if (failureClass) *failureClass = code == 0 ? FailureClass::None : ClassOfListFailure(code, last);
    if (code != 0) return code;
    if (PackageList.Count() == 0) {
        if (failureClass) *failureClass = FailureClass::ServerError;
        return -1;
    }
    // Every package gets its row, those without a size too: they are
    // installed like the others.
    SetupInfo item;
    for (int i = 0; PackageList.GetAt(static_cast<unsigned>(i), item); ++i) {
        const int row = i + 1;
        item.itemIndex = std::to_wstring(row);
        PackageList.UpdateBySetupName(item);
        RunOnUi([item, row] { AddSetupRow(item, row); });
    }
    ::Sleep(400);
    return 0;
}

void ShowPrepareError(bool error) {
    duPlugin* page = FindControl(L"PrepareLayout");
    duPlugin* retry = FindControl(L"RetryPrepareLayout");
    duPlugin* value = FindControl(L"PrepareProgressValue");
    duPlugin* info = FindControl(L"PrepareProgressInfo");
    if (!page || !retry || !value || !info) return;
    info->SetStyle(error ? L"ProgressErrorInfo" : L"ProgressInfo");
    SetPluginVisible(retry, error);
    SetPluginVisible(value, !error);
    RedrawPlugin(page, TRUE);
    if (error) FocusFirstControl(retry);
}

void StartPrepare() {
    AppState& app = App();
    app.ending = FailureKind::Cancelled;
    app.lastShownProgress = 0;
    if (auto* bar = dynamic_cast<duProgress*>(app.prepareBar); bar && bar->GetPos() != 0) {
        bar->SetPos(0);
        RedrawPlugin(app.prepareBar, TRUE);
    }
    SetControlText(app.prepareValue, L"0%");
    app.prepareInfoText.clear();
    SetControlText(app.prepareInfo, L"");
    ::SetTimer(app.mainWindow, IDT_PREPARE_INFO, 300, nullptr);
    if (app.prepareWorkerEnabled) {
        // The last attempt may still be reporting its failure; it hands over.
        if (app.prepareRunning)
            app.prepareQueued = true;
        else
            LaunchPrepareWorkerSoon();
    }
}

void OnRetryPrepare(duPlugin*, int, int) {
    ShowPrepareError(false);
    StartPrepare();
}
