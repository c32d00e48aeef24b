#include "app/FinishPage.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "app/PendingReports.h"
#include "app/Resources.h"
#include "app/RunOutcome.h"
#include "app/ShellUserStart.h"
#include "app/UiThread.h"
#include "app/Unattended.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "service/ModelSetup.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/LocalPaths.h"

#include <optional>
#include <vector>

namespace {

duPlugin* Row(const wchar_t* templateName, int n) {
    return FindControl((std::wstring(templateName) + std::to_wstring(n)).c_str());
}

// The main program is the last selected package of type 1 (the one the
// Finish page names); false when there is none.
bool FindMainProgram(SetupInfo& mainProgram) {
    bool found = false;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (item.selected && item.type == 1) {
            mainProgram = item;
            found = true;
        }
    }
    return found;
}

bool IsCheckBoxChecked(duPlugin* control) {
    auto* box = dynamic_cast<duCheckBox*>(control);
    return box && box->IsChecked();
}

struct FinishRow {
    SetupInfo item;
    int number;
};

// Window thread: the page with its rows and its run line; closing now ends
// the run as `ending` says.
void ShowFinishControls(const std::vector<FinishRow>& rows, bool hasMain, const SetupInfo& mainProgram,
                        FailureKind ending) {
    App().ending = ending;
    duPlugin* client = FindControl(L"MainWndClient");
    duPlugin* page = FindControl(L"FinishLayout");
    duPlugin* picture = FindControl(L"FinishImgLayout");
    if (!client || !page || !picture) return;
    SetPluginVisible(page, TRUE);
    for (const FinishRow& row : rows) AddFinishRow(row.item, row.number);
    if (duPlugin* runLine = FindControl(L"RunAppLayout")) {
        if (!hasMain) {
            SetPluginVisible(runLine, FALSE);
        } else if (mainProgram.state == Installed) {
            if (duPlugin* name = FindControl(L"RunAppStatic")) name->SetText(mainProgram.name.c_str());
            // /norun: the offer stays, unticked.
            auto* runBox = dynamic_cast<duCheckBox*>(FindControl(L"RunAppCheckBox"));
            if (runBox && App().options.noRun) runBox->SetCheck(FALSE);
        } else {
            SetPluginVisible(runLine, FALSE);
            picture->SetStyle(L"FinishFailedImgLayout");
            SetAccessibleName(picture, L"安装失败");
        }
    }
    RedrawPlugin(client, TRUE);
    // The page takes the result as its name, so that a reader announces it
    // when the finish button takes the focus.
    SetAccessibleName(page, SpokenResult(App().resultText).c_str());
    FocusFirstControl(page);
}

} // namespace

std::wstring SpokenResult(const std::wstring& resultText) {
    std::wstring spoken;
    for (wchar_t c : resultText)
        if (c != L'【' && c != L'】') spoken.push_back(c);
    return spoken;
}

FinishOutcome DescribeOutcome(const SetupInfo& item) {
    FinishOutcome outcome;
    if (item.state == Waiting) {
        outcome.stateText = L"未安装";
        return outcome;
    }
    if (item.state == Installed) {
        outcome.stateText = L"安装成功";
        return outcome;
    }
    outcome.stateText = L"安装失败";
    outcome.infoLine = FailureInfoLine(item.state, item.errorCode, static_cast<FailureClass>(item.failureClass));
    outcome.failed = true;
    return outcome;
}

bool AddFinishRow(const SetupInfo& item, int n) {
    duPlugin* list = FindControl(L"FinishList");
    duPlugin* rowTemplate = FindControl(L"FinishItem_");
    if (!list || !rowTemplate) return false;
    duPlugin* row = ClonePlugin(rowTemplate, list, list->GetLastChild(), n);
    if (!row) return false;
    row->SetVisible(TRUE);
    row->SetExtra(item.setup_name.c_str());
    duPlugin* name = Row(L"FinishItemStaticName_", n);
    duPlugin* info = Row(L"FinishItemStaticInfo_", n);
    duPlugin* state = Row(L"FinishItemStaticState_", n);
    if (!name || !info || !state) return false;
    name->SetText(item.name.c_str());
    const FinishOutcome outcome = DescribeOutcome(item);
    state->SetText(outcome.stateText.c_str());
    if (outcome.failed) {
        row->SetStyle(L"FinishItem_Failed");
        row->SetPosHeight(row->GetPosHeight() + 20);
        info->SetText(outcome.infoLine.c_str());
        info->SetVisible(TRUE);
        state->SetStyle(L"CommonStaticRed12Right");
    }
    row->SetVisible(item.type != 4);
    if (auto* listBox = dynamic_cast<duListBoxEx*>(list)) listBox->RefreshItems();
    RedrawPlugin(list, TRUE);
    return true;
}

void ShowFinishPage(bool sendReport) {
    AppState& app = App();
    std::vector<FinishRow> rows;
    std::vector<SetupInfo> selected;
    std::wstring packageListText;
    SetupInfo mainProgram;
    bool hasMain = false;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (!item.selected) continue;
        packageListText += item.name + L"_" + item.version + L";";
        if (item.type == 1) {
            mainProgram = item;
            hasMain = true;
        }
        selected.push_back(item);
        rows.push_back({item, static_cast<int>(i) + 1});
    }
    const RunResult result = DecideRunResult(selected);
    app.resultText = result.text;
    app.resultCode = result.code;
    const bool report = sendReport && !(app.resultCode == app.lastReportedFinishCode && app.resultCode != 0);
    // Counted before the page can be left, so that leaving waits for it.
    std::optional<ReportInFlight> inFlight;
    if (report) inFlight.emplace();
    RunOnUi([rows, hasMain, mainProgram, kind = result.kind] {
        ShowFinishControls(rows, hasMain, mainProgram, kind);
        if (IsUnattended()) PressBySelfSoon(L"FinishSetupBtn");
    });
    if (!report) return;
    CModelSetup::Instance().ReportSetupResult(CurrentServiceFacts(), LoadResText(IDS_INSTALLER_VERSION),
                                              packageListText, app.retryPolicy);
    app.lastReportedFinishCode = app.resultCode;
}

void EndInstallPhase(bool sendReport) {
    RunOnUi([] {
        ::KillTimer(App().mainWindow, IDT_SETUP_INFO);
        ::KillTimer(App().mainWindow, IDT_ITEM_PROGRESS);
        if (duPlugin* setup = FindControl(L"SetupLayout")) SetPluginVisible(setup, FALSE);
    });
    ShowFinishPage(sendReport);
}

std::wstring RunTarget(const SetupInfo& mainProgram) {
    if (mainProgram.setup_name != L"kx") return std::wstring();
    return AppDataPath(L"", L"Startup.exe", false);
}

void OnFinishButton(duPlugin*, int, int) {
    duPlugin* runBox = FindControl(L"RunAppCheckBox");
    if (!runBox) return;
    SetupInfo mainProgram;
    if (FindMainProgram(mainProgram) && mainProgram.state == Installed && IsCheckBoxChecked(runBox)) {
        const std::wstring target = RunTarget(mainProgram);
        // The starter lies in the user's profile: it runs with the user's
        // rights, never with the installer's.
        if (!target.empty() && ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
            StartAsShellUser(target);
        else if (!target.empty())
            WriteLog(L"FinishSetupBtn 启动程序不存在: " + target, LOG_WARN);
    }
    ::PostMessageW(App().mainWindow, WM_CLOSE, 1, 0);
}
