#include "net/RetryingDownload.h"

namespace {

// Passes progress on and keeps count of the bytes this download has written
// from the file's first byte: where the next attempt resumes.
struct CountingProgress {
    ProgressCallback inner = nullptr;
    void* innerContext = nullptr;
    long long written = 0;
};

void CountAndForward(int bytes, void* context) {
    auto* counter = static_cast<CountingProgress*>(context);
    counter->written = bytes == PROGRESS_RESTARTED ? 0 : counter->written + bytes;
    if (counter->inner) counter->inner(bytes, counter->innerContext);
}

} // namespace

int DownloadWithRetries(const DownloadTask& task, const RetryPolicy& policy, const RetryObserver& observer,
                        ResponseFacts* last) {
    CountingProgress counter;
    counter.inner = task.callback;
    counter.innerContext = task.context;
    counter.written = task.start > 0 ? task.start : 0;
    return RunWithRetries(
        policy, RequestKind::Download, task.stopFlag, observer,
        [&task, &counter](ResponseFacts& facts) {
            CWinHttpHandler http(task.url);
            // Beyond what was written a file may hold stale bytes of an older
            // copy: the count, not the file's length, is the resume point.
            const int rc = http.DownloadResume(task.destination, static_cast<int>(counter.written), 0, task.chunkSize,
                                               CountAndForward, task.stopFlag, &counter);
            facts = http.LastResponse();
            return rc;
        },
        last);
}
