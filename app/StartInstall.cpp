#include "app/StartInstall.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/DownloadWorker.h"
#include "app/InstallWorker.h"
#include "app/MainWindow.h"
#include "app/OfficeGuard.h"
#include "app/Resources.h"
#include "app/SetupPage.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/InstallDir.h"

#include <thread>

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

void SelectPackages() {
    AppState& app = App();
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (item.size <= 0) {
            // The page never showed it (it has no row): nothing to fetch or verify.
            item.selected = false;
        } else if (item.type == 16) {
            FreezeOptionalRow(item);
        } else {
            item.selected = true;
        }
        if (item.selected && !item.doneSemaphore) {
            KernelHandle semaphore(::CreateSemaphoreW(nullptr, 0, 65535, nullptr));
            if (!semaphore) WriteLog(L"StartSetupBtn 无法创建信号量: " + item.name, LOG_ERROR);
            item.doneSemaphore = semaphore.get();
            if (semaphore) app.packageSemaphores.push_back(std::move(semaphore));
        }
        PackageList.UpdateBySetupName(item);
    }
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
    std::thread(StartDLoadMethod).detach();
    std::thread(StartSetupMethod).detach();
}

void OnStartSetupButton(duPlugin*, int, int) {
    AppState& app = App();
    if (app.installStarted) return;  // there is no way back to the selection
    duPlugin* field = FindControl(L"SelectDirStatic");
    const std::wstring folder = field ? field->GetText() : L"";
    if (!IsAcceptableInstallFolder(folder)) {
        ::MessageBoxW(app.mainWindow, LoadResText(IDS_FOLDER_INVALID).c_str(), L"提示", MB_OK);
        return;
    }
    if (!ConfirmCloseOffice()) return;

    duPlugin* page = FindControl(L"SetupLayout");
    duPlugin* startLine = FindControl(L"StartSetupLayout");
    duPlugin* progressLine = FindControl(L"SetupProgressLayout");
    duPlugin* list = FindControl(L"SetupList");
    if (!page || !startLine || !progressLine || !list) return;
    SetPluginVisible(startLine, FALSE);
    SetPluginVisible(progressLine, TRUE);
    RedrawPlugin(page, TRUE);

    SelectPackages();
    if (auto* listBox = dynamic_cast<duListBoxEx*>(list)) listBox->RefreshItems();
    RedrawPlugin(list, TRUE);
    ExpandCustomSetup(false);
    // The start line is gone with the focus: the rows take it, and a reader
    // follows their progress.
    FocusFirstControl(page);

    app.downloadShare = 0;
    app.progressSum = 0;
    app.lastShownProgress = 0;
    app.abort = false;
    app.installFolder = folder;
    app.installStarted = true;
    StartWorkers();
}
