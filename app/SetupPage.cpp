#include "app/SetupPage.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/res/DpiScale.h"
#include "dulib/res/StateFlags.h"
#include "dulib/res/duResManager.h"
#include "dulib/res/duStyleGroup.h"
#include "dulib/res/duStyleBase.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

bool IsCheckBoxChecked(duPlugin* control) {
    auto* box = dynamic_cast<duCheckBox*>(control);
    return box && box->IsChecked();
}

std::wstring g_lastChosenFolder;
bool g_lastChosenFolderSet = false;

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM, LPARAM) {
    if (msg == BFFM_INITIALIZED)
        ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(g_lastChosenFolder.c_str()));
    return 0;
}

bool BrowseForFolder(std::wstring& folder) {
    if (!g_lastChosenFolderSet) {
        g_lastChosenFolder = folder;
        g_lastChosenFolderSet = true;
    }
    BROWSEINFOW info{};
    info.hwndOwner = App().mainWindow;
    info.lpszTitle = L"请选择目录：";
    info.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return false;
    wchar_t path[MAX_PATH] = {};
    BOOL ok = ::SHGetPathFromIDListW(chosen, path);
    ::CoTaskMemFree(chosen);
    if (!ok || !path[0]) return false;
    folder = path;
    g_lastChosenFolder = path;
    return true;
}

} // namespace

std::wstring ProductFolderIn(const std::wstring& folder) {
    static const std::wstring kProductSubfolder = L"\\QRN\\Kestrane";
    const std::wstring base = RemoveSuffix(L"\\", folder);
    return RemoveSuffix(kProductSubfolder, base) == base ? base + kProductSubfolder : base;
}

std::wstring RemoveSuffix(const std::wstring& suffix, const std::wstring& text) {
    if (suffix.empty() || text.empty() || text.size() < suffix.size()) return text;
    if (text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) return text;
    return text.substr(0, text.size() - suffix.size());
}

void ExpandCustomSetup(bool expand) {
    AppState& app = App();
    if (expand == app.customRowExpanded) return;
    RECT window{};
    ::GetWindowRect(app.mainWindow, &window);
    // In skin units: the step is 40 at 100 % and grows with the display scale.
    const DpiScale scale(GetWindowDpi(app.mainWindow));
    int height = scale.ToSkin(window.bottom - window.top) + (expand ? 40 : -40);
    duPlugin* root = FindControl(L"MainWindow");
    if (root && app.windowManager) {
        auto* group = static_cast<duStyleGroup*>(
            app.windowManager->GetResManager()->GetResObj(root->GetStyle(), RES_STYLE));
        for (int i = 0; group && i < group->GetStyleCount(); ++i) {
            duStyleBase* item = group->GetStyleItem(i);
            if (item && item->GetStyleType() == STYLE_RECT && item->GetState() == STATE_ALL) {
                item->SetHeight(height - 10);
                break;
            }
        }
    }
    // A quiet run's window stays hidden.
    const UINT show = ::IsWindowVisible(app.mainWindow) ? SWP_SHOWWINDOW : 0;
    ::SetWindowPos(app.mainWindow, nullptr, 0, 0, window.right - window.left, scale.Point(height), SWP_NOMOVE | show);
    app.customRowExpanded = expand;
}

void OnCustomSetupToggle(duPlugin* control, int, int) {
    const wchar_t* partnerName =
        lstrcmpW(control->GetName(), L"CustomSetupBtn") == 0 ? L"CustomSetupStaticBtn" : L"CustomSetupBtn";
    bool checked = IsCheckBoxChecked(control);
    if (auto* partner = dynamic_cast<duCheckBox*>(FindControl(partnerName))) {
        partner->SetCheck(checked);
        RedrawPlugin(partner, FALSE);
    }
    ExpandCustomSetup(checked);
}

void OnAgreementCheck(duPlugin* control, int, int) {
    duPlugin* start = FindControl(L"StartSetupBtn");
    if (!start) return;
    start->SetDisable(!IsCheckBoxChecked(control));
    RedrawPlugin(start, FALSE);
}

void OnAgreementButton(duPlugin* control, int, int) {
    ::ShellExecuteW(nullptr, L"open", control->GetExtra(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OnSelectDirButton(duPlugin*, int, int) {
    duPlugin* field = FindControl(L"SelectDirStatic");
    std::wstring folder = field ? field->GetText() : L"";
    if (!BrowseForFolder(folder)) return;
    folder = ProductFolderIn(folder);
    if (field) {
        field->SetText(folder.c_str());
        RedrawPlugin(field, TRUE);
    }
}
