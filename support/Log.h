#pragma once
// The installer's daily diagnostic log: one stamped, flushed line per event.
#include "support/Handles.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

enum LogLevel { LOG_ERROR = 1, LOG_WARN = 2, LOG_INFO = 3 };

class CLog {
public:
    static constexpr uint32_t kDefaultMaxSize = 0xA00000;  // 10 MiB

    explicit CLog(std::wstring path);
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // Writes "[date time] thread-id TAG message" and flushes, or nothing when
    // the log is closed or the level is above max_level. Control characters
    // in the message are escaped: one call, one line.
    void WriteLine(std::string message, int level);

    bool Open();
    // Starts the file over with a UTF-8 byte-order mark; the caller then
    // hands WriteLine UTF-8 text.
    bool OpenFreshUtf8();
    bool IsOpen() const { return is_open_; }
    const std::wstring& Path() const { return path_; }
    int MaxLevel() const { return max_level_.load(); }
    void SetMaxLevel(int level) { max_level_.store(level); }
    void SetMaxSize(uint32_t bytes) { max_size_ = bytes; }

private:
    void TruncateIfTooLarge();

    // C stdio rather than a file stream: the stream classes would link the
    // whole locale machinery into the installer. Text mode writes CR LF.
    StdioFile file_;
    bool is_open_ = false;
    std::wstring path_;
    // OpenLog sets it while other threads write.
    std::atomic<int> max_level_{1};
    uint32_t max_size_ = kDefaultMaxSize;
    std::mutex write_lock_;  // keeps lines from different threads whole
};

// The log registered for this exact path, created and opened on first use;
// null when the path is null or the file cannot be opened.
CLog* OpenLog(const wchar_t* path);
// The same for a path in the ANSI code page.
CLog* OpenLog(const char* path);

// The process-wide log that WriteLog and LogNarrow write to (null: no log).
void SetProcessLog(CLog* log);
CLog* ProcessLog();

// Also writes this run's lines to a file of the caller's choosing: same line
// format, UTF-8 with a byte-order mark whatever the ANSI code page, no size
// limit, and what the file held before is replaced. False when the file
// cannot be created. Set once, before any other thread logs.
bool OpenRunLogCopy(const std::wstring& path);
CLog* RunLogCopy();
// Stops the copy (when no other thread logs).
void CloseRunLogCopy();

void WriteLog(const std::wstring& message, int level);
void LogNarrow(const std::string& message, int level);
