#pragma once
// The install worker: takes the selected packages in list order as their
// downloads end, verifies each file's MD5 and runs its setup silently into
// the installation folder; at the end the Finish page follows.
#include <windows.h>
#include <string>

// Thread procedure; returns 0.
int StartSetupMethod();
// Runs "\"file\" arguments" in workingFolder (empty: the installer's own) and
// waits for it to end: 0 with its exit code, or a system error code (the exit
// code then stays 1).
DWORD StartProcess(const std::wstring& file, const std::wstring& arguments, DWORD& exitCode,
                   const std::wstring& workingFolder = std::wstring());
// The setup arguments for an installation folder: " /VERYSILENT
// \"/CUSTOMDIR=<folder>\QRN\Kestrane\"", the suffix added unless present.
std::wstring SetupArguments(const std::wstring& installFolder);
// An exit code above 0 read as a signed number, or one of the exception
// codes from 0xC0000000 on, is a failed setup.
bool IsFailedExitCode(DWORD exitCode);
