#include "app/ShellUserStart.h"

#include "support/Handles.h"
#include "support/Log.h"

#include <windows.h>

#include <vector>

namespace {

// The shell's desktop window, or its taskbar when the shell keeps no desktop
// window of its own (both belong to the shell's process).
DWORD ShellProcessId() {
    HWND shell = ::GetShellWindow();
    if (!shell) shell = ::FindWindowW(L"Shell_TrayWnd", nullptr);
    DWORD pid = 0;
    if (shell) ::GetWindowThreadProcessId(shell, &pid);
    return pid;
}

bool Refuse(const std::wstring& program, const wchar_t* why, DWORD error) {
    WriteLog(L"FinishSetupBtn 无法以普通用户权限启动客户端(" + std::wstring(why) + L", ErrorCode=" +
                 std::to_wstring(error) + L")，不以管理员权限启动: " + program,
             LOG_ERROR);
    return false;
}

bool IsElevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

} // namespace

bool StartAsShellUser(const std::wstring& program) {
    const DWORD pid = ShellProcessId();
    if (!pid) return Refuse(program, L"没有桌面外壳", ERROR_NOT_FOUND);
    KernelHandle shell(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    if (!shell) return Refuse(program, L"无法打开外壳进程", ::GetLastError());
    KernelHandle shellToken;
    if (!::OpenProcessToken(shell.get(), TOKEN_DUPLICATE, shellToken.put()))
        return Refuse(program, L"无法读取外壳的令牌", ::GetLastError());
    KernelHandle token;
    if (!::DuplicateTokenEx(shellToken.get(),
                            TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT |
                                TOKEN_ADJUST_SESSIONID,
                            nullptr, SecurityImpersonation, TokenPrimary, token.put()))
        return Refuse(program, L"无法复制外壳的令牌", ::GetLastError());

    const std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
    std::wstring quoted = L"\"" + program + L"\"";
    std::vector<wchar_t> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessWithTokenW(token.get(), 0, program.c_str(), commandLine.data(), 0, nullptr,
                                   folder.empty() ? nullptr : folder.c_str(), &startup, &info))
        return Refuse(program, L"无法以外壳的令牌创建进程", ::GetLastError());
    KernelHandle process(info.hProcess), thread(info.hThread);
    WriteLog(L"FinishSetupBtn 以桌面外壳的用户令牌启动客户端: " + program + L", 外壳进程=" + std::to_wstring(pid) +
                 L", 令牌已提升=" + (IsElevated(token.get()) ? L"是" : L"否"),
             LOG_INFO);
    return true;
}
