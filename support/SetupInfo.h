#pragma once
// One installable package, as the setup service describes it plus what the
// installer learns about it. Always handled as a value.
#include <windows.h>
#include <string>

enum SetupState {
    Waiting = 1,
    Downloading = 2,
    DownloadFailed = 3,
    Verifying = 4,
    VerifyFailed = 5,
    Installing = 6,
    InstallFailed = 7,
    Installed = 8,
};

struct SetupInfo {
    int state = Waiting;
    int type = 0;
    int size = 0;
    std::wstring setup_name;
    std::wstring name;
    std::wstring url;
    std::wstring cmd;
    std::wstring version;
    std::wstring description;
    int sort = 0;
    std::wstring md5;
    std::wstring itemIndex;
    bool selected = false;
    int downloaded = 0;
    int errorCode = 0;
    // Nonzero when the service's record cannot be honoured (its size does
    // not fit the 32-bit sizes kept here): the package fails with this code
    // before anything is downloaded.
    int recordFault = 0;
    // What the failure behind errorCode means (the application's failure
    // class); 0 when there is none.
    int failureClass = 0;
    // The retry of the download under way (1 for the first); 0 when none.
    int retrying = 0;
    // Shared, not owned: every copy names the same semaphore.
    HANDLE doneSemaphore = nullptr;
};
