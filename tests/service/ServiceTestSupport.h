#pragma once
// Helpers shared by the service client tests.
#include "service/ServiceFacts.h"
#include "tests/common/CapturedLog.h"
#include "tests/common/QuickRetries.h"

inline ServiceFacts SampleFacts() {
    ServiceFacts facts;
    facts.setupName = L"kx";
    facts.windowsName = L"win_win10_64";
    facts.officeName = L"office_2010_32";
    facts.dotNetName = L"netf_4.5_xx";
    return facts;
}
