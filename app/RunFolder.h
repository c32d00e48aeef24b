#pragma once
// The per-run folder that verified package copies are run from: only
// administrators and SYSTEM can write it, its name is a GUID, it is removed
// when the installer ends, and leftovers of runs that died are removed by the
// next one.
#include "support/Handles.h"

#include <windows.h>
#include <memory>
#include <string>

// The start of every run folder's name; a GUID follows.
extern const wchar_t kRunFolderPrefix[];

class RunFolder {
public:
    // Makes a fresh run folder under root (which ends in a backslash) after
    // removing the leftovers there. 0 or the system error code.
    static DWORD Create(const std::wstring& root, std::unique_ptr<RunFolder>& folder);

    RunFolder(std::wstring path, KernelHandle pin);
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // The folder, ending in a backslash.
    const std::wstring& Path() const { return path_; }
    // Removes the folder with its files; the path stays readable.
    void Remove();

private:
    std::wstring path_;
    KernelHandle pin_;  // keeps other runs from removing it while it is in use
};

// Removes the run folders under root that no live run holds.
void RemoveLeftoverRunFolders(const std::wstring& root);

// Window thread, before the workers start: makes this run's folder once
// (logged when it cannot be made; the packages then fail their verification).
void PrepareRunFolder();
// Window thread, when the installer ends.
void RemoveRunFolder();
