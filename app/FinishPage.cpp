#include "app/FinishPage.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/Resources.h"
#include "app/UiThread.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/duListBoxEx.h"
#include "service/ModelSetup.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/LocalPaths.h"

#include <shellapi.h>

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

// Window thread: the page with its rows and its run line.
void ShowFinishControls(const std::vector<FinishRow>& rows, bool hasMain, const SetupInfo& mainProgram) {
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
    outcome.setsResult = true;
    outcome.resultCode = item.errorCode;
    if (item.state == Installed) {
        outcome.stateText = L"安装成功";
        outcome.resultText = L"【安装成功】";
        return outcome;
    }
    const wchar_t* format = item.state == DownloadFailed ? L"错误信息：下载失败，code=%d"
                            : item.state == VerifyFailed ? L"错误信息：验证失败，code=%d"
                                                         : L"错误信息：code=%d";
    wchar_t info[128] = {};
    _snwprintf_s(info, 128, _TRUNCATE, format, item.errorCode);
    outcome.stateText = L"安装失败";
    outcome.infoLine = info;
    outcome.failed = true;
    outcome.resultText = L"【安装失败】name：" + item.name + L"_V" + item.version + L", " + outcome.infoLine;
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

void ShowFinishPage() {
    AppState& app = App();
    std::vector<FinishRow> rows;
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
        // Rows are taken in list order, so the last one that has a result decides.
        const FinishOutcome outcome = DescribeOutcome(item);
        if (outcome.setsResult) {
            app.resultText = outcome.resultText;
            app.resultCode = outcome.resultCode;
        }
        rows.push_back({item, static_cast<int>(i) + 1});
    }
    RunOnUi([rows, hasMain, mainProgram] { ShowFinishControls(rows, hasMain, mainProgram); });

    if (app.resultCode == app.lastReportedFinishCode && app.resultCode != 0) return;
    CModelSetup::Instance().ReportSetupResult(CurrentServiceFacts(), LoadResText(IDS_INSTALLER_VERSION),
                                              packageListText);
    app.lastReportedFinishCode = app.resultCode;
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
        // A missing starter would only bring up the shell's error box.
        if (!target.empty() && ::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES)
            ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        else if (!target.empty())
            WriteLog(L"FinishSetupBtn 启动程序不存在: " + target, LOG_WARN);
    }
    ::PostMessageW(App().mainWindow, WM_CLOSE, 1, 0);
}
