#include "app/Unattended.h"

#include "app/AppState.h"
#include "app/ControlHandlers.h"
#include "app/Controls.h"
#include "app/MainWindow.h"
#include "dulib/ctrl/Engine.h"
#include "dulib/ctrl/PluginTree.h"
#include "support/Log.h"
#include "support/PackageList.h"

#include <cwctype>

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

void Press(duPlugin* button) {
    if (button) DispatchControlNotify(button, DUM_BTNCLICK, 0, 0);
}

void ShowCountdown(duPlugin* button, int seconds) {
    SetControlText(button, App().autoCloseLabel + L" (" + std::to_wstring(seconds) + L")");
}

} // namespace

bool IsUnattended() { return App().options.mode != RunMode::Interactive; }

bool IsQuiet() { return App().options.mode == RunMode::Quiet; }

void ShowMainWindowIfHidden() {
    HWND window = App().mainWindow;
    if (window && !IsQuiet() && !::IsWindowVisible(window)) ::ShowWindow(window, SW_SHOW);
}

std::wstring ApplyExclusions() {
    for (const std::wstring& name : App().options.excluded) {
        bool found = false;
        SetupInfo item;
        for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
            // Setup names are compared in any letter case, like the switches.
            if (Lower(item.setup_name) != Lower(name)) continue;
            found = true;
            auto* box = dynamic_cast<duCheckBox*>(FindControl((L"SetupItemCheckBox_" + item.itemIndex).c_str()));
            if (item.type != 16 || !box) return L"/exclude 指定的组件必须安装，不能排除：" + name;
            box->SetCheck(FALSE);
            RedrawPlugin(box, TRUE);
            WriteLog(L"命令行 /exclude：不安装 " + item.name + L" (" + item.setup_name + L")", LOG_INFO);
        }
        if (!found) WriteLog(L"命令行 /exclude：本机未提供该组件，已忽略：" + name, LOG_WARN);
    }
    return std::wstring();
}

void StartUnattended() {
    WriteLog(L"无人值守安装：代为接受使用协议，按默认设置开始安装", LOG_INFO);
    if (auto* agreement = dynamic_cast<duCheckBox*>(FindControl(L"AgreementCheckBox"))) agreement->SetCheck(TRUE);
    if (duPlugin* start = FindControl(L"StartSetupBtn")) {
        start->SetDisable(FALSE);
        Press(start);
    }
}

void PressBySelfSoon(const wchar_t* buttonName) {
    AppState& app = App();
    duPlugin* button = FindControl(buttonName);
    if (!button) {
        ::PostMessageW(app.mainWindow, WM_CLOSE, 1, 0);
        return;
    }
    if (IsQuiet()) {
        Press(button);
        return;
    }
    app.autoCloseButton = buttonName;
    app.autoCloseLabel = button->GetText() ? button->GetText() : L"";
    app.autoCloseLeft = app.passiveCloseSeconds;
    ShowCountdown(button, app.autoCloseLeft);
    ::SetTimer(app.mainWindow, IDT_AUTO_CLOSE, 1000, nullptr);
}

void OnAutoCloseTick() {
    AppState& app = App();
    duPlugin* button = FindControl(app.autoCloseButton.c_str());
    // A retry by hand leaves the page, and the countdown ends with it.
    if (!IsValidPlugin(button) || !IsPluginShown(button)) {
        ::KillTimer(app.mainWindow, IDT_AUTO_CLOSE);
        return;
    }
    if (--app.autoCloseLeft > 0) {
        ShowCountdown(button, app.autoCloseLeft);
        return;
    }
    ::KillTimer(app.mainWindow, IDT_AUTO_CLOSE);
    SetControlText(button, app.autoCloseLabel);
    Press(button);
}
