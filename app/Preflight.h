#pragma once
// The checks before the first download: the installation folder can be made
// and written, and the volumes of the package folder and of the installation
// folder have room for what is still to fetch and to install, with a margin.
// A run that would fail minutes later for want of space stops here instead.
#include "app/AppState.h"

#include <string>

// Room kept free beyond what the packages need.
constexpr unsigned long long kFreeSpaceMargin = 32ull << 20;

struct PreflightNeed {
    std::wstring packageFolder;              // where the downloads go
    std::wstring productFolder;              // where the setups install
    unsigned long long bytesToFetch = 0;     // the selected sizes minus what is already on disk
    unsigned long long bytesToInstall = 0;   // the selected sizes
};

struct PreflightResult {
    FailureKind kind = FailureKind::None;  // None: the downloads may start
    int code = 0;
    std::wstring message;  // for the user and the log
};

// What the selected packages of the package list still need.
PreflightNeed NeedOfSelectedPackages(const std::wstring& packageFolder, const std::wstring& productFolder);
PreflightResult CheckBeforeDownloads(const PreflightNeed& need);

// The root of the volume a path is on (the path need not exist yet); empty
// when there is none to be found.
std::wstring VolumeOf(const std::wstring& path);
// 0 when folder can be created and written (made, tried and removed again:
// the check leaves nothing behind), else the system's error code.
DWORD ProbeWritableFolder(const std::wstring& folder);
// "12.3 MB"
std::wstring MegabyteText(unsigned long long bytes);
