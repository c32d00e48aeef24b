#pragma once
// The download worker: brings every selected package file into the package
// folder (resuming a partial one) and releases each package's semaphore for
// the install worker. Also the once-a-second refresh of the rows' state texts.
#include "support/SetupInfo.h"

#include <string>

// Thread procedure; returns 0.
int StartDLoadMethod();
// Timer 104, window thread: each selected row's state text, and the running
// download's share of the overall progress.
void RefreshItemStates();
// The row text for a package state; empty for a state without one.
std::wstring SetupStateText(const SetupInfo& item);
// A size of "" or "0" from the service says nothing about the file.
bool HasKnownSize(const SetupInfo& item);
