#pragma once
// Where the setup service lives: the switch "/sns=<address>" anywhere on the
// command line, else the built-in host.
#include <string>

// The built-in setup service host (a build setting).
std::wstring DefaultServiceHost();

// The address of the first "/sns=" switch (the command line's grammar:
// support/CommandSwitch.h) that names something; defaultHost otherwise. The
// address is taken as it stands: it may carry a scheme, a port or a path.
std::wstring ServiceAddressFromCommandLine(const std::wstring& commandLine, const std::wstring& defaultHost);
