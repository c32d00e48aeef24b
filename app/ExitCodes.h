#pragma once
// What the installer's process returns, in every mode: one code for each way
// a run can end (listed in the README and in the help box).
#include "app/AppState.h"

#include <string>

enum ExitCode : int {
    kExitSuccess = 0,           // every selected package installed
    kExitInstallerFailed = 1,   // the installer itself could not go on
    kExitInvalidArguments = 2,
    kExitInvalidFolder = 3,
    kExitNoPackageList = 4,     // service unreachable, error answer, empty list
    kExitOfficeInTheWay = 5,
    kExitDownloadFailed = 6,
    kExitDigestMismatch = 7,
    kExitSetupFailed = 8,       // a package setup failed; its own code is in the log and the report
    kExitCancelled = 9,
    kExitNoDiskSpace = 10,        // a volume lacks the room, found before the first download
    kExitFolderNotWritable = 11,  // the installation folder cannot be made or written
};

// The one table from how a run ended to the process's exit code.
int ExitCodeFor(FailureKind kind);
// Window thread: the exit code of the run as it stands now.
int RunExitCode();
// "code<TAB>meaning" lines of every exit code.
std::wstring ExitCodeTable();
