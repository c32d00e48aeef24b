#pragma once
// Where the setup service lives: "/sns=<address>" as the first argument of
// the command line, else the built-in host.
#include <string>

// The built-in setup service host (a build setting).
std::wstring DefaultServiceHost();

// The address after "/sns=" when the first argument (trailing white space
// removed) starts with it and names something; defaultHost otherwise. The
// address is taken as it stands: it may carry a scheme, a port or a path.
std::wstring ServiceAddressFromCommandLine(const std::wstring& commandLine, const std::wstring& defaultHost);
