#pragma once
// Writes a download's chunks to its file on a thread of its own, so that the
// next chunk comes off the network while the last one goes to disk. Progress
// is reported on the caller's thread, in order, and only for bytes that are
// on disk: a caller that stops counting at any point has counted nothing that
// is not in the file.
#include "net/WinHttpHandler.h"

#include <windows.h>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class ChunkWriter {
public:
    // file stays the caller's and is written from its current position on.
    ChunkWriter(HANDLE file, unsigned chunkSize, ProgressCallback callback, void* context);
    ~ChunkWriter();  // waits for what was queued
    ChunkWriter(const ChunkWriter&) = delete;
    ChunkWriter& operator=(const ChunkWriter&) = delete;

    // A buffer of chunkSize bytes to fill, once one is free; reports the
    // chunks written meanwhile. Null when no memory could be had.
    char* Buffer();
    // Queues length bytes from data (within the last Buffer()) for writing;
    // the buffer is not the caller's any more.
    void Queue(const char* data, DWORD length);
    // Waits until everything queued is on disk and reported; 0 or the first
    // write's error (nothing after a failed write is written).
    int Finish();

private:
    struct FreeDeleter {
        void operator()(char* p) const { std::free(p); }
    };
    struct Slot {
        std::unique_ptr<char, FreeDeleter> bytes;
        const char* data = nullptr;
        DWORD length = 0;
        DWORD written = 0;
        bool busy = false;  // handed out, queued or written but not yet reported
    };
    void WriteQueued();
    DWORD WriteSlot(Slot& slot);
    // Writes the slot with the lock let go meanwhile, and hands it over for reporting.
    void WriteUnlocked(Slot& slot, std::unique_lock<std::mutex>& lock);
    void ReportWritten(std::unique_lock<std::mutex>& lock);

    HANDLE file_;
    unsigned chunkSize_;
    ProgressCallback callback_;
    void* context_;
    std::vector<Slot> slots_;
    Slot* handedOut_ = nullptr;
    std::deque<Slot*> queued_;   // oldest first, for the writer
    std::deque<Slot*> written_;  // oldest first, to report
    int inFlight_ = 0;           // queued and not yet reported
    DWORD error_ = 0;
    bool closing_ = false;
    std::mutex lock_;
    std::condition_variable changed_;
    std::thread writer_;  // none when the system refused one: writes happen in Queue
};
