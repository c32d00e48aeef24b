#pragma once
// The command line's grammar, shared by every part that reads a switch:
// arguments split the way the shell splits them, and a switch is "/" or "-",
// a name (any letter case) and optionally "=" and a value.
#include <string>
#include <vector>

// The arguments after the program name.
std::vector<std::wstring> CommandArguments(const std::wstring& commandLine);

struct CommandSwitch {
    std::wstring name;   // lower-cased, without the leading "/" or "-"
    std::wstring value;  // quotes around it and trailing white space removed
    bool hasValue = false;
};

// False for an argument that is not a switch (no leading "/" or "-", or no name).
bool ReadSwitch(const std::wstring& argument, CommandSwitch& out);
