#pragma once
// Rows of the Setup page's package list, cloned from the hidden template.
#include "support/SetupInfo.h"

// Window thread only.
bool AddSetupRow(const SetupInfo& item, int rowNumber);
// Shows the Setup page (after the preparation succeeded).
void ShowSetupPage();
