#include "app/StartInstall.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/DownloadWorker.h"
#include "app/FinishPage.h"
#include "app/InstallWorker.h"
#include "app/MainWindow.h"
#include "app/OfficeGuard.h"
#include "app/Preflight.h"
#include "app/Resources.h"
#include "app/RunFolder.h"
#include "app/RunOutcome.h"
#include "app/SetupPage.h"
#include "app/UiThread.h"
#include "app/Unattended.h"
#include "app/WorkerThreads.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/InstallDir.h"
#include "sysinfo/LocalPaths.h"

namespace {

bool IsCheckBoxChecked(duPlugin* control) {
    auto* box = dynamic_cast<duCheckBox*>(control);
    return box && box->IsChecked();
}

// Optional packages follow their check box; their rows are frozen either way.
void FreezeOptionalRow(SetupInfo& item) {
    duPlugin* row = FindControl((L"SetupItem_" + item.itemIndex).c_str());
    duPlugin* check = FindControl((L"SetupItemCheckBox_" + item.itemIndex).c_str());
    duPlugin* icon = FindControl((L"SetupItemIconLayout_" + item.itemIndex).c_str());
    if (!row || !check || !icon) return;
    item.selected = IsCheckBoxChecked(check) != FALSE;
    if (!item.selected) {
        row->SetVisible(FALSE);
        return;
    }
    icon->SetVisible(TRUE);
    check->SetVisible(FALSE);
}

// Marks what is to be installed and gives every selected package its
// semaphore. False when a semaphore could not be made: the run has failed.
bool SelectPackages() {
    AppState& app = App();
    bool complete = true;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (item.type == 16) {
            FreezeOptionalRow(item);
        } else {
            item.selected = true;
        }
        if (complete && item.selected && !item.doneSemaphore) {
            DWORD error = 0;
            KernelHandle semaphore = CreatePackageSemaphore(error);
            if (semaphore) {
                item.doneSemaphore = semaphore.get();
                app.packageSemaphores.push_back(std::move(semaphore));
            } else {
                WriteLog(L"StartSetupBtn 无法创建信号量: " + item.name + L", ErrorCode=" + std::to_wstring(error),
                         LOG_ERROR);
                FailRunAtStart(static_cast<int>(error));
                complete = false;
            }
        }
        PackageList.UpdateBySetupName(item);
    }
    return complete;
}

// A run that failed before its workers: the Finish page still follows, with
// its report sent from a thread of its own when one can be had.
void EndRunWithoutWorkers() {
    if (StartDetachedThread(L"ShowFinishPage", [] { EndInstallPhase(); })) return;
    WriteLog(L"StartSetupBtn 统计信息无法发送", LOG_ERROR);
    EndInstallPhase(false);
}

// The download worker could not start: its first package fails with the
// code, which lets the install worker past it to the Finish page.
void FailFirstDownload(int code) {
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (!item.selected) continue;
        item.state = DownloadFailed;
        item.errorCode = code;
        PackageList.UpdateBySetupName(item);
        FailRun(FailureKind::Download, item, code);
        ::ReleaseSemaphore(item.doneSemaphore, 1, nullptr);
        return;
    }
    FailRunAtStart(code);
}

// The checks before the first download; false (the run has failed, the
// user told why) when one of them fails.
bool PassesChecksBeforeDownloads(const std::wstring& folder) {
    const PreflightResult check =
        CheckBeforeDownloads(NeedOfSelectedPackages(PackageFolder(), ProductFolderIn(folder)));
    if (check.kind == FailureKind::None) return true;
    FailRunBeforeDownloads(check.kind, check.code, check.message);
    const RunFailure failure = FirstRunFailure();
    WriteLog(L"StartSetupBtn 安装前检查未通过：" + check.message + L", code=" + std::to_wstring(check.code) +
                 L", 原因：" + FailureReasonForLog(failure.failureClass),
             LOG_ERROR);
    // Unattended, the Finish page says it and the run ends by itself.
    if (!IsUnattended()) ::MessageBoxW(App().mainWindow, check.message.c_str(), L"提示", MB_OK | MB_ICONWARNING);
    return false;
}

} // namespace

bool IsAcceptableInstallFolder(const std::wstring& folder) { return !folder.empty() && IsValidInstallDir(folder); }

void StartWorkers() {
    AppState& app = App();
    SetProgressValue(app.setupBar, app.setupValue, 0);
    app.setupInfoText.clear();
    SetControlText(app.setupInfo, L"");
    ::SetTimer(app.mainWindow, IDT_ITEM_PROGRESS, 1000, nullptr);
    ::SetTimer(app.mainWindow, IDT_SETUP_INFO, 1000, nullptr);
    // The install worker first: it ends the run, whatever becomes of the other.
    if (!StartDetachedThread(L"StartSetupMethod", [] { StartSetupMethod(); })) {
        FailRunAtStart(static_cast<int>(kNoResourcesCode));
        EndRunWithoutWorkers();
        return;
    }
    if (!StartDetachedThread(L"StartDLoadMethod", [] { StartDLoadMethod(); }))
        FailFirstDownload(static_cast<int>(kNoResourcesCode));
}

namespace {

// The selection is frozen and the page shows the progress line: the run has
// begun. False when a package could not be given its semaphore.
bool BeginRun(const std::wstring& folder, duPlugin* page, duPlugin* startLine, duPlugin* progressLine,
              duPlugin* list) {
    AppState& app = App();
    SetPluginVisible(startLine, FALSE);
    SetPluginVisible(progressLine, TRUE);
    RedrawPlugin(page, TRUE);

    app.abort = false;
    ResetRunFailure();
    const bool selected = SelectPackages();
    if (auto* listBox = dynamic_cast<duListBoxEx*>(list)) listBox->RefreshItems();
    RedrawPlugin(list, TRUE);
    ExpandCustomSetup(false);
    // The start line is gone with the focus: the rows take it, and a reader
    // follows their progress.
    FocusFirstControl(page);

    app.downloadShare = 0;
    app.progressSum = 0;
    app.lastShownProgress = 0;
    app.installFolder = folder;
    app.installStarted = true;
    return selected;
}

void StartWorkersInRunFolder() {
    PrepareRunFolder();
    StartWorkers();
}

// Unattended: nobody may agree to closing Word or Excel, so the run waits
// for them to end by themselves, then installs or fails.
void WaitForOfficeThenStart() {
    const bool started = StartDetachedThread(L"OfficeWait", [] {
        std::wstring running;
        if (WaitForOfficeToClose(App().officeWaitMs, running)) {
            RunOnUi(StartWorkersInRunFolder);
            return;
        }
        FailRunBeforeDownloads(FailureKind::OfficeInTheWay, ERROR_TIMEOUT, L"Office进程未退出：" + running);
        EndInstallPhase();
    });
    if (started) return;
    FailRunAtStart(static_cast<int>(kNoResourcesCode));
    EndRunWithoutWorkers();
}

} // namespace

void OnStartSetupButton(duPlugin*, int, int) {
    AppState& app = App();
    if (app.installStarted) return;  // there is no way back to the selection
    duPlugin* field = FindControl(L"SelectDirStatic");
    const std::wstring folder = field ? field->GetText() : L"";
    const bool folderAccepted = IsAcceptableInstallFolder(folder);
    if (!IsUnattended()) {
        if (!folderAccepted) {
            ::MessageBoxW(app.mainWindow, LoadResText(IDS_FOLDER_INVALID).c_str(), L"提示", MB_OK);
            return;
        }
        if (!ConfirmCloseOffice()) return;
    }

    duPlugin* page = FindControl(L"SetupLayout");
    duPlugin* startLine = FindControl(L"StartSetupLayout");
    duPlugin* progressLine = FindControl(L"SetupProgressLayout");
    duPlugin* list = FindControl(L"SetupList");
    if (!page || !startLine || !progressLine || !list) return;
    const bool selected = BeginRun(folder, page, startLine, progressLine, list);
    if (selected && !folderAccepted) {
        WriteLog(L"StartSetupBtn 安装目录无效: " + folder, LOG_ERROR);
        FailRunBeforeDownloads(FailureKind::InvalidFolder, ERROR_BAD_PATHNAME, L"安装目录无效：" + folder);
    }
    if (!selected || !folderAccepted || !PassesChecksBeforeDownloads(folder)) {
        EndRunWithoutWorkers();
        return;
    }
    if (IsUnattended()) {
        WaitForOfficeThenStart();
        return;
    }
    StartWorkersInRunFolder();
}
