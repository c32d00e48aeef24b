#include "app/InstallWorker.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/FinishPage.h"
#include "app/InstallProgress.h"
#include "app/MainWindow.h"
#include "app/RunFolder.h"
#include "app/RunOutcome.h"
#include "app/SetupPage.h"
#include "app/UiThread.h"
#include "app/VerifiedPackage.h"
#include "dulib/ctrl/Engine.h"
#include "support/Handles.h"
#include "support/Log.h"
#include "support/PackageList.h"
#include "sysinfo/LocalPaths.h"

#include <vector>

namespace {

constexpr size_t kCommandBuffer = 1024;

void LogLine(const wchar_t* format, const std::wstring& cmd, int level) {
    wchar_t line[kCommandBuffer] = {};
    _snwprintf_s(line, kCommandBuffer, _TRUNCATE, format, cmd.c_str());
    WriteLog(line, level);
}

void LogLine(const wchar_t* format, const std::wstring& cmd, DWORD code, int level) {
    wchar_t line[kCommandBuffer] = {};
    _snwprintf_s(line, kCommandBuffer, _TRUNCATE, format, cmd.c_str(), static_cast<int>(code));
    WriteLog(line, level);
}

void FailVerification(SetupInfo& item, int code) {
    item.state = VerifyFailed;
    item.errorCode = code;
    PackageList.UpdateBySetupName(item);
    wchar_t line[128] = {};
    _snwprintf_s(line, 128, _TRUNCATE, L"StartSetupMethod 验证失败，tool=%s, code=%d", item.name.c_str(), code);
    WriteLog(line, LOG_ERROR);
    FailRun(FailureKind::Verify, item, code);
}

void FailInstallation(SetupInfo& item, DWORD exitCode, DWORD err) {
    item.state = InstallFailed;
    item.errorCode = static_cast<int>(exitCode);
    PackageList.UpdateBySetupName(item);
    wchar_t line[512] = {};
    _snwprintf_s(line, 512, _TRUNCATE, L"StartSetupMethod 安装‘%s’失败，ExitCode=%d, Errno=%d!", item.name.c_str(),
                 static_cast<int>(exitCode), static_cast<int>(err));
    WriteLog(line, LOG_ERROR);
    FailRun(FailureKind::Setup, item, item.errorCode);
}

// Verifies and installs one package whose download has ended; false stops
// the installation.
bool InstallPackage(SetupInfo& item, int installPart) {
    const std::wstring path = PackageFilePath(item);
    if (path.empty()) return false;  // the download worker has failed it already
    item.state = Verifying;
    PackageList.UpdateBySetupName(item);
    SetSetupInfoText(QuotedStep(L"正在验证", item.name));
    if (App().beforeDigest) App().beforeDigest(path);
    // From here on only the verified copy counts: the download stays where
    // other programs of the user can write it.
    std::wstring runCopy;
    if (const int failure = CopyVerifiedPackage(item, path, runCopy)) {
        FailVerification(item, failure);
        return false;
    }
    item.state = Installing;
    PackageList.UpdateBySetupName(item);
    SetSetupInfoText(QuotedStep(L"正在安装", item.name));
    DWORD exitCode = 1;
    if (App().beforeRun) App().beforeRun(path, runCopy);
    const DWORD err = StartProcess(runCopy, SetupArguments(App().installFolder), exitCode, App().runFolder->Path());
    ::DeleteFileW(runCopy.c_str());
    if (err != 0 || IsFailedExitCode(exitCode)) {
        FailInstallation(item, exitCode, err);
        return false;
    }
    item.state = Installed;
    PackageList.UpdateBySetupName(item);
    AddSetupProgress(installPart);
    return true;
}

} // namespace

// Codes from 0xC0000000 on are exceptions that ended the setup (an access
// violation is 0xC0000005): negative as signed numbers, yet failures.
bool IsFailedExitCode(DWORD exitCode) { return static_cast<int>(exitCode) > 0 || exitCode >= 0xC0000000u; }

std::wstring SetupArguments(const std::wstring& installFolder) {
    return L" /VERYSILENT \"/CUSTOMDIR=" + ProductFolderIn(installFolder) + L"\"";
}

DWORD StartProcess(const std::wstring& file, const std::wstring& arguments, DWORD& exitCode,
                   const std::wstring& workingFolder) {
    const std::wstring cmd = L"\"" + file + L"\" " + arguments;
    exitCode = 1;
    if (cmd.size() >= kCommandBuffer) {
        // A cut command line would run the setup with other arguments.
        LogLine(L"StartProcess失败 命令行过长, cmd='%s', ErrorCode=%d", cmd, ERROR_FILENAME_EXCED_RANGE, LOG_ERROR);
        return ERROR_FILENAME_EXCED_RANGE;
    }
    LogLine(L"StartProcess begin, cmd='%s'", cmd, LOG_WARN);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION info{};
    std::vector<wchar_t> line(cmd.begin(), cmd.end());
    line.push_back(L'\0');
    LogLine(L"StartProcess CreateProcess, cmd='%s'", cmd, LOG_WARN);
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                          workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup, &info)) {
        const DWORD err = ::GetLastError();
        LogLine(L"StartProcess失败 CreateProcess, cmd='%s', ErrorCode=%d", cmd, err, LOG_ERROR);
        return err;
    }
    KernelHandle process(info.hProcess), thread(info.hThread);
    LogLine(L"StartProcess WaitForSingleObject, cmd='%s'", cmd, LOG_WARN);
    ::WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 1;
    const BOOL read = ::GetExitCodeProcess(process.get(), &code);
    const DWORD err = read ? 0 : ::GetLastError();
    if (read) exitCode = code;
    wchar_t done[kCommandBuffer] = {};
    _snwprintf_s(done, kCommandBuffer, _TRUNCATE,
                 L"StartProcess GetExitCodeProcess, cmd='%s', bGetExitCode=%s, dwExitCode=%d", cmd.c_str(),
                 read ? L"true" : L"false", static_cast<int>(exitCode));
    WriteLog(done, LOG_WARN);
    if (read) return 0;
    LogLine(L"StartProcess失败 GetExitCodeProcess, cmd='%s', ErrorCode=%d", cmd, err, LOG_ERROR);
    return err;
}

int StartSetupMethod() {
    AppState& app = App();
    WriteLog(L"开始检测安装...", LOG_INFO);
    const ProgressBudget budget = CurrentProgressBudget();
    SetupInfo item;
    for (unsigned i = 0; !app.abort && PackageList.GetAt(i, item); ++i) {
        if (!item.selected || !item.doneSemaphore) continue;
        ::WaitForSingleObject(item.doneSemaphore, INFINITE);
        if (!PackageList.GetAt(i, item)) break;
        if (item.errorCode != 0 || item.state == DownloadFailed) continue;
        if (!InstallPackage(item, budget.installPart)) break;
    }
    EndInstallPhase();
    return 0;
}
