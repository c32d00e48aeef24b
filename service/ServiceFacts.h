#pragma once
// What the application tells the setup service about this machine and run.
// The application owns these values and fills a copy before each request.
#include <string>

struct ServiceFacts {
    std::wstring setupName;     // the installer's setup name ("kx")
    std::wstring windowsName;   // e.g. "win_win10_64"
    std::wstring officeName;    // e.g. "office_2010_32" or "??"
    std::wstring dotNetName;    // e.g. "netf_4.5_xx"
    int setupType = 1;          // 1 once the package list has been requested
    int errorCode = 0;          // last error code of the run
    std::wstring errorMessage;  // last error text of the run
};
