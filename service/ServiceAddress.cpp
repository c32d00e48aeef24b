#include "service/ServiceAddress.h"

#include "support/CommandSwitch.h"

std::wstring DefaultServiceHost() { return L"" KESTRANE_SERVICE_HOST; }

std::wstring ServiceAddressFromCommandLine(const std::wstring& commandLine, const std::wstring& defaultHost) {
    for (const std::wstring& argument : CommandArguments(commandLine)) {
        CommandSwitch found;
        if (ReadSwitch(argument, found) && found.name == L"sns" && !found.value.empty()) return found.value;
    }
    return defaultHost;
}
