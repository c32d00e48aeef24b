#pragma once
// Word and Excel hold files the package setups replace: before anything is
// downloaded the user is asked to let the installer close them.
#include <windows.h>
#include <string>

// True when the installation may start: no Office process runs, or the user
// agreed and every one of them was terminated.
bool ConfirmCloseOffice();
// Running processes whose executable name equals `exeName`, ignoring case.
int CountProcesses(const std::wstring& exeName);
// Terminates every such process: how many, or -1 when one of them could not
// be opened or terminated (the later ones are left running).
int KillProcesses(const std::wstring& exeName);

// Unattended, nobody may agree to closing them: waits up to limitMs for every
// Word and Excel process to end by itself, never terminating one. False with
// the names of those still running ("winword.exe, excel.exe") when the wait
// runs out. Logged; blocks the calling thread (never the window's).
bool WaitForOfficeToClose(DWORD limitMs, std::wstring& stillRunning);
