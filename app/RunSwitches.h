#pragma once
// The start of a run from its command line: the switches are read and
// logged, the /log copy opened, and /?, invalid use and an invalid /dir
// answered before anything else happens (no window, no request).
#include <string>

// True when the installer goes on; otherwise the process ends with exitCode.
// Boxes are shown unless /quiet was asked for. Window thread, after the
// daily log is open.
bool TakeCommandLine(const std::wstring& commandLine, int& exitCode);
