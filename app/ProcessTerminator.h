#pragma once
// Ends a running program (the client's starter or main program) so that its
// files can be replaced.
#include <string>

// Asks the first process whose main module is exactly `baseName` to quit,
// then terminates it if it has not ended within 10 s. True when one was found.
// The calling process is never one of them.
bool TerminateProcessByName(const std::wstring& baseName);
