#include "sysinfo/DotNetDetection.h"

#include "support/Handles.h"
#include "sysinfo/RegistryView.h"

#include <windows.h>

namespace {

struct DotNetVersion {
    const wchar_t* text;
    const wchar_t* policyKey;
};

// Newest first: the walk stops at the first key that opens.
const DotNetVersion kVersions[] = {
    {L"5.0", L"SOFTWARE\\Microsoft\\.NETFramework\\Policy\\v5.0"},
    {L"4.5", L"SOFTWARE\\Microsoft\\.NETFramework\\Policy\\v4.5"},
    {L"4.0", L"SOFTWARE\\Microsoft\\.NETFramework\\Policy\\v4.0"},
    {L"3.5", L"SOFTWARE\\Microsoft\\.NETFramework\\Policy\\v3.5"},
    {L"3.0", L"SOFTWARE\\Microsoft\\.NETFramework\\Policy\\v3.0"},
    {L"2.0", L"SOFTWARE\\Microsoft\\.NETFramework\\Policy\\v2.0"},
};
constexpr size_t kFirstBefore40 = 3;  // index of "3.5"

bool KeyExists(const wchar_t* path) {
    RegKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | kInspectionView, key.put()) == ERROR_SUCCESS;
}

const wchar_t* NewestFrom(size_t first) {
    for (size_t i = first; i < sizeof kVersions / sizeof kVersions[0]; ++i)
        if (KeyExists(kVersions[i].policyKey)) return kVersions[i].text;
    return nullptr;
}

} // namespace

bool DetectDotNet(std::wstring& dotNetName) {
    const wchar_t* found = NewestFrom(0);
    // A 4.0 policy with only the client profile does not count as 4.0.
    if (found && std::wstring(found) == L"4.0" &&
        !KeyExists(L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v4\\Full"))
        found = NewestFrom(kFirstBefore40);
    dotNetName = std::wstring(L"netf_") + (found ? found : L"??") + L"_xx";
    return found != nullptr;
}
