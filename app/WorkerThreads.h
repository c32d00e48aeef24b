#pragma once
// The flow's threads and package semaphores. The system may refuse either;
// the callers turn a refusal into a visible failure of the run rather than a
// package left downloaded and never installed.
#include "support/Handles.h"

#include <windows.h>
#include <functional>

// The code a refused thread or semaphore is reported with when the system
// names none.
constexpr DWORD kNoResourcesCode = ERROR_NO_SYSTEM_RESOURCES;

// Starts task on a thread of its own that nobody waits for. False (logged
// with `what`) when the thread could not be started.
bool StartDetachedThread(const wchar_t* what, std::function<void()> task);

// A package's semaphore: count 0, at most 65535. Empty when it could not be
// made; error then holds the reason.
KernelHandle CreatePackageSemaphore(DWORD& error);
