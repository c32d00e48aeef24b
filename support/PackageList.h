#pragma once
#include "support/SafeLList.h"
#include "support/SetupInfo.h"

// The process-wide list of packages from the setup service.
extern CSafeLList<SetupInfo> PackageList;
