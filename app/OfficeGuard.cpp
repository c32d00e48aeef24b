#include "app/OfficeGuard.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/InstallProgress.h"
#include "app/Resources.h"
#include "support/Handles.h"
#include "support/Log.h"
#include "sysinfo/ShutdownPrivilege.h"

#include <tlhelp32.h>

#include <vector>

namespace {

std::wstring Lower(const std::wstring& text) {
    wchar_t buffer[MAX_PATH] = {};
    lstrcpynW(buffer, text.c_str(), MAX_PATH);
    ::CharLowerBuffW(buffer, MAX_PATH);
    return buffer;
}

// Ids of the running processes with that executable name, in snapshot order.
std::vector<DWORD> MatchingProcesses(const std::wstring& exeName) {
    std::vector<DWORD> ids;
    const std::wstring wanted = Lower(exeName);
    KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (Lower(entry.szExeFile) == wanted) ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

int Ask(unsigned textId, UINT flags) {
    return ::MessageBoxW(App().mainWindow, LoadResText(textId).c_str(), L"提示", flags);
}

} // namespace

int CountProcesses(const std::wstring& exeName) { return static_cast<int>(MatchingProcesses(exeName).size()); }

int KillProcesses(const std::wstring& exeName) {
    const std::vector<DWORD> ids = MatchingProcesses(exeName);
    EnableShutdownPrivilege();
    for (DWORD id : ids) {
        KernelHandle process(::OpenProcess(PROCESS_TERMINATE, FALSE, id));
        if (!process || !::TerminateProcess(process.get(), 0)) {
            WriteLog(L"KillProcesses 无法结束进程 " + exeName + L", pid=" + std::to_wstring(id), LOG_ERROR);
            return -1;
        }
    }
    return static_cast<int>(ids.size());
}

bool ConfirmCloseOffice() {
    const int word = CountProcesses(L"winword.exe");
    const int excel = CountProcesses(L"excel.exe");
    if (word == 0 && excel == 0) return true;
    const unsigned question =
        word > 0 && excel > 0 ? IDS_CLOSE_OFFICE_BOTH : (word > 0 ? IDS_CLOSE_OFFICE_WORD : IDS_CLOSE_OFFICE_EXCEL);
    if (Ask(question, MB_ICONINFORMATION | MB_OKCANCEL) != IDOK) return false;
    if (KillProcesses(L"winword.exe") < 0) {
        Ask(IDS_KILL_WORD_FAILED, MB_OK);
        return false;
    }
    if (KillProcesses(L"excel.exe") < 0) {
        Ask(IDS_KILL_EXCEL_FAILED, MB_OK);
        return false;
    }
    return true;
}

bool WaitForOfficeToClose(DWORD limitMs, std::wstring& stillRunning) {
    const DWORD start = ::GetTickCount();
    bool announced = false;
    for (;;) {
        stillRunning.clear();
        for (const wchar_t* name : {L"winword.exe", L"excel.exe"}) {
            if (CountProcesses(name) == 0) continue;
            if (!stillRunning.empty()) stillRunning += L", ";
            stillRunning += name;
        }
        if (stillRunning.empty()) {
            if (announced) WriteLog(L"无人值守：Office进程已退出，继续安装", LOG_INFO);
            return true;
        }
        if (!announced) {
            WriteLog(L"无人值守：等待Office进程退出（不会强行结束）：" + stillRunning + L"，最多等待" +
                         std::to_wstring(limitMs / 1000) + L"秒",
                     LOG_WARN);
            const std::wstring waiting = L"正在等待Office程序退出：" + stillRunning;
            SetSetupInfoText(waiting);
            SetControlText(App().setupInfo, waiting);
            announced = true;
        }
        if (::GetTickCount() - start >= limitMs) break;
        ::Sleep(500);
    }
    WriteLog(L"无人值守：Office进程仍在运行，安装失败：" + stillRunning, LOG_ERROR);
    return false;
}
