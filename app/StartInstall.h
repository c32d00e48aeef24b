#pragma once
// The start button: checks the folder and the running Office programs,
// freezes the selection and starts the download and install workers.
#include <string>

class duPlugin;

void OnStartSetupButton(duPlugin* control, int param1, int param2);
// The rule the start button applies to the folder field's text.
bool IsAcceptableInstallFolder(const std::wstring& folder);
// Resets the progress line, starts timers 104 and 103 and both workers.
void StartWorkers();
