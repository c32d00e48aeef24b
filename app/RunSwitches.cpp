#include "app/RunSwitches.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/ExitCodes.h"
#include "app/Resources.h"
#include "app/StartInstall.h"
#include "support/CommandSwitch.h"
#include "support/Log.h"

#include <windows.h>

namespace {

const wchar_t* ModeText(RunMode mode) {
    switch (mode) {
    case RunMode::Passive: return L"无人值守（/passive，显示窗口）";
    case RunMode::Quiet: return L"无人值守（/quiet，不显示窗口）";
    default: return L"交互";
    }
}

bool End(int& exitCode, int code) {
    exitCode = code;
    return false;
}

void Box(const std::wstring& text, UINT flags) {
    if (App().options.mode == RunMode::Quiet) return;
    ::MessageBoxW(nullptr, text.c_str(), LoadResText(IDS_CAPTION).c_str(), flags);
}

} // namespace

bool TakeCommandLine(const std::wstring& commandLine, int& exitCode) {
    AppState& app = App();
    const std::vector<std::wstring> arguments = CommandArguments(commandLine);
    std::wstring reason;
    bool valid = ParseRunOptions(arguments, app.options, reason);
    if (!app.options.logFile.empty() && !OpenRunLogCopy(app.options.logFile) && valid) {
        valid = false;
        reason = L"/log 指定的日志文件无法创建：" + app.options.logFile;
    }
    WriteLog(L"在线安装工具启动！", LOG_INFO);
    std::wstring given;
    for (const std::wstring& argument : arguments) given += L" " + argument;
    if (!given.empty()) WriteLog(L"命令行参数:" + given, LOG_INFO);

    if (!valid) {
        WriteLog(L"命令行参数无效：" + reason, LOG_ERROR);
        Box(L"参数无效：" + reason + L"\n\n" + UsageText(), MB_OK | MB_ICONERROR);
        return End(exitCode, ExitCodeFor(FailureKind::InvalidArguments));
    }
    if (app.options.help) {
        if (app.options.mode == RunMode::Quiet) {
            WriteLog(L"命令行 /? 与 /quiet 同用：不显示说明", LOG_ERROR);
            return End(exitCode, ExitCodeFor(FailureKind::InvalidArguments));
        }
        Box(UsageText(), MB_OK | MB_ICONINFORMATION);
        return End(exitCode, kExitSuccess);
    }
    if (!app.options.folder.empty() && !IsAcceptableInstallFolder(app.options.folder)) {
        WriteLog(L"命令行 /dir 安装目录无效：" + app.options.folder, LOG_ERROR);
        Box(LoadResText(IDS_FOLDER_INVALID) + L"\n" + app.options.folder, MB_OK | MB_ICONERROR);
        return End(exitCode, ExitCodeFor(FailureKind::InvalidFolder));
    }
    WriteLog(std::wstring(L"运行方式：") + ModeText(app.options.mode), LOG_INFO);
    return true;
}
