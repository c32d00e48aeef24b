#pragma once
// Word and Excel hold files the package setups replace: before anything is
// downloaded the user is asked to let the installer close them.
#include <string>

// True when the installation may start: no Office process runs, or the user
// agreed and every one of them was terminated.
bool ConfirmCloseOffice();
// Running processes whose executable name equals `exeName`, ignoring case.
int CountProcesses(const std::wstring& exeName);
// Terminates every such process: how many, or -1 when one of them could not
// be opened or terminated (the later ones are left running).
int KillProcesses(const std::wstring& exeName);
