#include "support/Log.h"

#include "support/CodedConversion.h"
#include "support/LogText.h"

#include <windows.h>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>

namespace {

std::mutex g_registryLock;
std::map<std::wstring, std::unique_ptr<CLog>>& Registry() {
    static std::map<std::wstring, std::unique_ptr<CLog>> registry;
    return registry;
}
std::atomic<CLog*> g_processLog{nullptr};
std::unique_ptr<CLog> g_copyOwner;
std::atomic<CLog*> g_copy{nullptr};

const char* TagFor(int level) {
    if (level <= LOG_ERROR) return "[ERROR] ";
    if (level == LOG_WARN) return "[WARN] ";
    return "[INFORMATION] ";
}

} // namespace

CLog::CLog(std::wstring path) : path_(std::move(path)) {}

CLog::~CLog() = default;

bool CLog::Open() {
    file_.reset(_wfopen(path_.c_str(), L"a"));
    is_open_ = static_cast<bool>(file_);
    return is_open_;
}

bool CLog::OpenFreshUtf8() {
    file_.reset(_wfopen(path_.c_str(), L"w"));
    is_open_ = static_cast<bool>(file_) && std::fputs("\xEF\xBB\xBF", file_.get()) >= 0 && std::fflush(file_.get()) == 0;
    return is_open_;
}

void CLog::TruncateIfTooLarge() {
    if (max_size_ == 0) return;
    // Every line is flushed and appended, so the end is where the next one goes.
    _fseeki64(file_.get(), 0, SEEK_END);
    const long long size = _ftelli64(file_.get());
    if (size > static_cast<long long>(max_size_) && !path_.empty()) {
        file_.reset(_wfopen(path_.c_str(), L"w"));
        is_open_ = static_cast<bool>(file_);
    }
}

void CLog::WriteLine(std::string message, int level) {
    std::lock_guard<std::mutex> guard(write_lock_);
    if (!is_open_ || level > max_level_) return;
    std::string text = TagFor(level);
    text += EscapeControlChars(message);
    text += '\n';

    TruncateIfTooLarge();
    if (!is_open_) return;

    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_s(&local, &now);
    char stamp[100] = {};
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d] %d ", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  static_cast<int>(::GetCurrentThreadId()));
    // A failed write is ignored; the next line is tried as usual.
    std::fputs(stamp, file_.get());
    std::fwrite(text.data(), 1, text.size(), file_.get());
    std::fflush(file_.get());
    std::clearerr(file_.get());
}

CLog* OpenLog(const char* path) {
    if (!path) return nullptr;
    return OpenLog(CCodedConversion().AnsiToWide(path).c_str());
}

CLog* OpenLog(const wchar_t* path) {
    if (!path) return nullptr;
    std::lock_guard<std::mutex> guard(g_registryLock);
    auto& registry = Registry();
    auto found = registry.find(path);
    if (found != registry.end()) {
        found->second->SetMaxLevel(LOG_INFO);
        return found->second.get();
    }
    auto log = std::make_unique<CLog>(path);
    if (!log->Open()) return nullptr;
    log->SetMaxLevel(LOG_INFO);
    CLog* result = log.get();
    registry.emplace(path, std::move(log));
    return result;
}

void SetProcessLog(CLog* log) { g_processLog.store(log); }
CLog* ProcessLog() { return g_processLog.load(); }

bool OpenRunLogCopy(const std::wstring& path) {
    auto copy = std::make_unique<CLog>(path);
    if (path.empty() || !copy->OpenFreshUtf8()) return false;
    copy->SetMaxSize(0);
    copy->SetMaxLevel(LOG_INFO);
    g_copy.store(copy.get());
    g_copyOwner = std::move(copy);
    return true;
}

CLog* RunLogCopy() { return g_copy.load(); }

void CloseRunLogCopy() {
    g_copy.store(nullptr);
    g_copyOwner.reset();
}

void WriteLog(const std::wstring& message, int level) {
    if (CLog* log = g_processLog.load()) log->WriteLine(CCodedConversion().WideToAnsi(message), level);
    if (CLog* copy = g_copy.load()) copy->WriteLine(CCodedConversion().WideToUtf8(message), level);
}

void LogNarrow(const std::string& message, int level) {
    if (CLog* log = g_processLog.load()) log->WriteLine(message, level);
    if (CLog* copy = g_copy.load()) {
        CCodedConversion convert;
        copy->WriteLine(convert.WideToUtf8(convert.AnsiToWide(message)), level);
    }
}
