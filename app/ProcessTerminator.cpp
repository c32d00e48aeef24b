#include "app/ProcessTerminator.h"

#include "support/Handles.h"

#include <windows.h>
#include <psapi.h>

namespace {

// A process that ignores termination is given up on after this many rounds.
constexpr int kTerminateRounds = 10;

BOOL CALLBACK PostQuitToWindowOf(HWND hwnd, LPARAM pid) {
    DWORD owner = 0;
    ::GetWindowThreadProcessId(hwnd, &owner);
    if (owner == static_cast<DWORD>(pid)) ::PostMessageW(hwnd, WM_QUIT, 0, 0);
    return TRUE;
}

std::wstring MainModuleName(HANDLE process) {
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (!::EnumProcessModules(process, &module, sizeof module, &needed)) return std::wstring();
    wchar_t name[260] = {};
    if (!::GetModuleBaseNameW(process, module, name, 260)) return std::wstring();
    return name;
}

void EndProcess(HANDLE process, DWORD pid) {
    ::EnumWindows(PostQuitToWindowOf, static_cast<LPARAM>(pid));
    if (::WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) ::TerminateProcess(process, 0);
    DWORD code = 0;
    for (int round = 0; round < kTerminateRounds && ::GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
         ++round) {
        ::Sleep(1000);
        ::TerminateProcess(process, 0);
    }
}

} // namespace

bool TerminateProcessByName(const std::wstring& baseName) {
    DWORD ids[512] = {};
    DWORD bytes = 0;
    if (!::EnumProcesses(ids, sizeof ids, &bytes) || bytes == 0) return false;
    const DWORD self = ::GetCurrentProcessId();
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        // An installer file named like the client must not end itself.
        if (ids[i] == self) continue;
        KernelHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE,
                                           FALSE, ids[i]));
        if (!process) continue;
        if (MainModuleName(process.get()) == baseName) {
            EndProcess(process.get(), ids[i]);
            return true;
        }
    }
    return false;
}
