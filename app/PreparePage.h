#pragma once
// The Prepare page: a worker inspects the machine in four announced steps and
// asks the setup service for the package list; success leads to the Setup
// page, failure to the page's error mode with a retry button.
#include "app/AppState.h"

#include <string>

class duPlugin;

// Window thread: resets the page, starts the worker (once the last one has
// ended), closes a running client.
void StartPrepare();
// Switches the page between its progress mode and its error mode.
void ShowPrepareError(bool error);
// The retry button.
void OnRetryPrepare(duPlugin* control, int param1, int param2);

// The worker's step 5: empties the package list, asks the service and adds a
// Setup row for every package. 0, the request's code, or -1 for
// an empty list; failureClass (may be null) gets what a failure means.
int FetchSetupList(const std::wstring& installedVersion, FailureClass* failureClass = nullptr);
