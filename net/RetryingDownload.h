#pragma once
// A resumable download tried again after transient failures: every retry
// resumes from the bytes this download has put on disk (and the validator
// kept beside them), after the policy's wait.
#include "net/Retry.h"
#include "net/WinHttpHandler.h"

#include <atomic>
#include <string>

struct DownloadTask {
    std::wstring url;
    std::wstring destination;
    int start = 0;  // the first attempt's resume point, as DownloadResume takes it
    unsigned chunkSize = 0x40000;
    ProgressCallback callback = nullptr;
    std::atomic<int>* stopFlag = nullptr;  // never null in use; STOP_REQUESTED also ends a wait
    void* context = nullptr;
};

// DownloadResume of task.url into task.destination with retries; 0 or the
// last attempt's code. last (may be null) gets the last attempt's facts.
int DownloadWithRetries(const DownloadTask& task, const RetryPolicy& policy, const RetryObserver& observer,
                        ResponseFacts* last = nullptr);
