#include "support/CommandSwitch.h"

#include "support/Handles.h"

#include <windows.h>
#include <shellapi.h>
#include <cwctype>

std::vector<std::wstring> CommandArguments(const std::wstring& commandLine) {
    std::vector<std::wstring> arguments;
    if (commandLine.empty()) return arguments;  // the shell would name the running program instead
    int count = 0;
    LPWSTR* split = ::CommandLineToArgvW(commandLine.c_str(), &count);
    LocalMemory owner(reinterpret_cast<HLOCAL>(split));
    for (int i = 1; split && i < count; ++i) arguments.emplace_back(split[i]);
    return arguments;
}

bool ReadSwitch(const std::wstring& argument, CommandSwitch& out) {
    if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) return false;
    const size_t equals = argument.find(L'=');
    std::wstring name = argument.substr(1, equals == std::wstring::npos ? std::wstring::npos : equals - 1);
    if (name.empty()) return false;
    for (wchar_t& c : name) c = static_cast<wchar_t>(std::towlower(c));
    out.name = name;
    out.hasValue = equals != std::wstring::npos;
    out.value = out.hasValue ? argument.substr(equals + 1) : std::wstring();
    // The shell keeps a quote that a backslash escaped ("/dir="C:\a\"" ends
    // in a quote); no path or name holds one.
    while (!out.value.empty() && (std::iswspace(out.value.back()) || out.value.back() == L'"')) out.value.pop_back();
    size_t lead = 0;
    while (lead < out.value.size() && out.value[lead] == L'"') ++lead;
    out.value.erase(0, lead);
    return true;
}
