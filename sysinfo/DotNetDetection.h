#pragma once
// Finds the newest installed .NET Framework as the setup service's token,
// e.g. "netf_4.5_xx".
#include <string>

// Sets dotNetName to "netf_<version>_xx", or "netf_??_xx" when no version is
// installed (then returns false).
bool DetectDotNet(std::wstring& dotNetName);
