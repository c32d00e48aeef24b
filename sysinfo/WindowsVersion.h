#pragma once
// Names the running Windows release and bitness as one token for the setup
// service, e.g. "win_win10_64".
#include <windows.h>
#include <string>

struct WindowsFacts {
    DWORD major = 0;
    DWORD minor = 0;
    bool workstation = true;       // false on server editions
    bool serverR2 = false;         // GetSystemMetrics(SM_SERVERR2) nonzero
    WORD processorArchitecture = PROCESSOR_ARCHITECTURE_INTEL;  // of the native system
};

// "XP", "win7", "win10", ... or "??" for a release the service does not know.
std::wstring WindowsReleaseName(const WindowsFacts& facts);

// 64 for AMD64 and IA64 systems, else 32.
int WindowsBitness(WORD processorArchitecture);

// "win_" + release name + "_64" or "_32".
std::wstring WindowsNameFor(const WindowsFacts& facts);

// Reads the running system. windowsName becomes the token (or "??" when the
// version numbers cannot be read, and false is returned); versionText becomes
// "major.minor.build" and is left alone on failure.
bool DetectWindows(std::wstring& windowsName, std::wstring& versionText);
