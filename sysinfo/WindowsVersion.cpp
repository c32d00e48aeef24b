#include "sysinfo/WindowsVersion.h"

#include "support/Handles.h"

#include <cwchar>

namespace {

WORD NativeProcessorArchitecture() {
    SYSTEM_INFO info{};
    using NativeInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
    // A 32-bit process on 64-bit Windows must still report the system's bitness.
    auto native = reinterpret_cast<NativeInfoFn>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32"), "GetNativeSystemInfo")));
    if (native)
        native(&info);
    else
        ::GetSystemInfo(&info);
    return info.wProcessorArchitecture;
}

bool IsWorkstation() {
    OSVERSIONINFOEXW wanted{};
    wanted.dwOSVersionInfoSize = sizeof wanted;
    wanted.wProductType = VER_NT_WORKSTATION;
    DWORDLONG condition = ::VerSetConditionMask(0, VER_PRODUCT_TYPE, VER_EQUAL);
    return ::VerifyVersionInfoW(&wanted, VER_PRODUCT_TYPE, condition) != FALSE;
}

bool ReadVersionNumbers(DWORD& major, DWORD& minor, DWORD& build) {
    ModuleHandle ntdll(::LoadLibraryW(L"ntdll.dll"));
    if (!ntdll) return false;
    using VersionFn = void(WINAPI*)(DWORD*, DWORD*, DWORD*);
    auto numbers = reinterpret_cast<VersionFn>(
        reinterpret_cast<void*>(::GetProcAddress(ntdll.get(), "RtlGetNtVersionNumbers")));
    if (!numbers) return false;
    numbers(&major, &minor, &build);
    build &= 0xFFFF;  // the high bits are build-type flags
    return true;
}

} // namespace

std::wstring WindowsReleaseName(const WindowsFacts& facts) {
    switch (facts.major) {
    case 4:
        if (facts.minor == 0) return L"WinNTOrWin95";
        if (facts.minor == 10) return L"Win98";
        if (facts.minor == 90) return L"WinMe";
        break;
    case 5:
        if (facts.minor == 0) return L"Win2000";
        if (facts.minor == 1) return L"XP";
        if (facts.minor == 2) {
            if (facts.workstation) return L"XP";
            return facts.serverR2 ? L"Server2003R2" : L"Server2003";
        }
        break;
    case 6:
        if (facts.minor == 0) return facts.workstation ? L"Vista" : L"Server2008";
        if (facts.minor == 1) return facts.workstation ? L"win7" : L"Server2008R2";
        if (facts.minor == 2 || facts.minor == 3) return L"win8";
        break;
    case 10:
        return L"win10";
    default:
        break;
    }
    return L"??";
}

int WindowsBitness(WORD processorArchitecture) {
    return processorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                   processorArchitecture == PROCESSOR_ARCHITECTURE_IA64
               ? 64
               : 32;
}

std::wstring WindowsNameFor(const WindowsFacts& facts) {
    return L"win_" + WindowsReleaseName(facts) + (WindowsBitness(facts.processorArchitecture) == 64 ? L"_64" : L"_32");
}

bool DetectWindows(std::wstring& windowsName, std::wstring& versionText) {
    WindowsFacts facts;
    facts.processorArchitecture = NativeProcessorArchitecture();
    facts.workstation = IsWorkstation();
    windowsName = L"??";

    DWORD major = 0, minor = 0, build = 0;
    if (!ReadVersionNumbers(major, minor, build)) return false;

    wchar_t text[128] = {};
    _snwprintf_s(text, 128, _TRUNCATE, L"%d.%d.%d", static_cast<int>(major), static_cast<int>(minor),
                 static_cast<int>(build));
    versionText = text;

    facts.major = major;
    facts.minor = minor;
    facts.serverR2 = ::GetSystemMetrics(SM_SERVERR2) != 0;
    windowsName = WindowsNameFor(facts);
    return true;
}
