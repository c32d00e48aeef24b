#include "service/ServiceAddress.h"

#include "support/Handles.h"

#include <windows.h>
#include <shellapi.h>
#include <cwctype>

std::wstring DefaultServiceHost() { return L"" KESTRANE_SERVICE_HOST; }

std::wstring ServiceAddressFromCommandLine(const std::wstring& commandLine, const std::wstring& defaultHost) {
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(commandLine.c_str(), &count);
    LocalMemory owner(reinterpret_cast<HLOCAL>(arguments));
    if (!arguments || count < 2) return defaultHost;

    std::wstring first = arguments[1];
    while (!first.empty() && std::iswspace(first.back())) first.pop_back();
    static const std::wstring kSwitch = L"/sns=";
    if (first.compare(0, kSwitch.size(), kSwitch) != 0 || first.size() == kSwitch.size()) return defaultHost;
    return first.substr(kSwitch.size());
}
