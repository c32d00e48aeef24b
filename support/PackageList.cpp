#include "support/PackageList.h"

CSafeLList<SetupInfo> PackageList;
