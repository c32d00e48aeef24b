#include "net/ChunkWriter.h"

namespace {
// One chunk being read, one being written, one to spare when the disk is slow
// for a moment.
constexpr size_t kSlots = 3;
} // namespace

ChunkWriter::ChunkWriter(HANDLE file, unsigned chunkSize, ProgressCallback callback, void* context)
    : file_(file), chunkSize_(chunkSize), callback_(callback), context_(context), slots_(kSlots) {
    try {
        writer_ = std::thread(&ChunkWriter::WriteQueued, this);
    } catch (const std::exception&) {
        // Without a thread the chunks are written as they are queued: slower, not worse.
    }
}

ChunkWriter::~ChunkWriter() {
    Finish();
    {
        std::lock_guard<std::mutex> guard(lock_);
        closing_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable()) writer_.join();
}

char* ChunkWriter::Buffer() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        ReportWritten(lock);
        if (error_) return nullptr;
        for (Slot& slot : slots_) {
            if (slot.busy) continue;
            if (!slot.bytes) slot.bytes.reset(static_cast<char*>(std::malloc(chunkSize_)));
            if (!slot.bytes) return nullptr;
            slot.busy = true;
            handedOut_ = &slot;
            return slot.bytes.get();
        }
        changed_.wait(lock, [this] { return !written_.empty(); });
    }
}

void ChunkWriter::Queue(const char* data, DWORD length) {
    std::unique_lock<std::mutex> lock(lock_);
    Slot* slot = handedOut_;
    handedOut_ = nullptr;
    if (!slot) return;
    slot->data = data;
    slot->length = length;
    slot->written = 0;
    ++inFlight_;
    if (writer_.joinable()) {
        queued_.push_back(slot);
        changed_.notify_all();
        return;
    }
    WriteUnlocked(*slot, lock);
}

int ChunkWriter::Finish() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        ReportWritten(lock);
        if (inFlight_ == 0) return static_cast<int>(error_);
        changed_.wait(lock, [this] { return !written_.empty(); });
    }
}

void ChunkWriter::WriteQueued() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
        changed_.wait(lock, [this] { return closing_ || !queued_.empty(); });
        if (queued_.empty()) return;
        Slot* slot = queued_.front();
        queued_.pop_front();
        WriteUnlocked(*slot, lock);
        changed_.notify_all();
    }
}

void ChunkWriter::WriteUnlocked(Slot& slot, std::unique_lock<std::mutex>& lock) {
    // After a failed write nothing more goes to the file: it would leave a hole.
    const bool failed = error_ != 0;
    lock.unlock();
    const DWORD error = failed ? 0 : WriteSlot(slot);
    lock.lock();
    if (error && !error_) error_ = error;
    written_.push_back(&slot);
}

DWORD ChunkWriter::WriteSlot(Slot& slot) {
    if (slot.length == 0) return 0;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file_, slot.data, slot.length, &written, nullptr);
    if (!ok) return ::GetLastError();  // bytes of a failed write are not counted
    slot.written = written;
    return 0;
}

void ChunkWriter::ReportWritten(std::unique_lock<std::mutex>& lock) {
    while (!written_.empty()) {
        Slot* slot = written_.front();
        written_.pop_front();
        const DWORD bytes = slot->written;
        // The callback may take its time (or look at the file): not under the lock.
        lock.unlock();
        if (bytes > 0 && callback_) callback_(static_cast<int>(bytes), context_);
        lock.lock();
        slot->busy = false;
        --inFlight_;
    }
}
