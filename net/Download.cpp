// The three file operations: stream the base URL's body to disk in chunks.
#include "net/BodySize.h"
#include "net/ChunkWriter.h"
#include "net/HttpExchange.h"
#include "net/ResumeValidator.h"
#include "net/WinHttpHandler.h"

#include "support/Handles.h"
#include "support/TempNames.h"

#include <cstdio>

namespace {
int LastError() { return static_cast<int>(::GetLastError()); }

// Asks for bytes start..end (end <= 0: to the end), of the file the
// validator names when there is one, sends and receives.
int SendRangeRequest(HINTERNET request, int start, int end, const std::wstring& validator, ResponseFacts& facts) {
    if (start > 0) {
        wchar_t range[260] = {};
        if (end > 0)
            _snwprintf_s(range, 260, _TRUNCATE, L"Range:bytes=%d-%d", start, end);
        else
            _snwprintf_s(range, 260, _TRUNCATE, L"Range:bytes=%d-", start);
        ::WinHttpAddRequestHeaders(request, range, static_cast<DWORD>(-1),
                                   WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
        if (!validator.empty()) {
            const std::wstring ifRange = L"If-Range: " + validator;
            ::WinHttpAddRequestHeaders(request, ifRange.c_str(), static_cast<DWORD>(-1),
                                       WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
        }
    }
    return SendRequest(request, std::string(), facts);
}

// A 206 must carry "bytes <first>-<last>/<total>" for exactly the bytes asked
// for: first at start (0 when no range was asked), last not beyond end. Any
// other partial body would land in the wrong place of the file.
int CheckPartialRange(HINTERNET request, int start, int end) {
    const std::wstring range = ResponseHeader(request, WINHTTP_QUERY_CONTENT_RANGE);
    long long first = -1;
    long long last = -1;
    wchar_t slash = 0;
    if (std::swscanf(range.c_str(), L"bytes %lld-%lld%lc", &first, &last, &slash) != 3 || slash != L'/')
        return ERR_RANGE_MISMATCH;
    if (first != (start > 0 ? start : 0) || last < first) return ERR_RANGE_MISMATCH;
    if (end > 0 && last > end) return ERR_RANGE_MISMATCH;
    return 0;
}

// The announced body length; -1 when the response carries none (chunked).
long long AnnouncedLength(HINTERNET request) {
    DWORD length = 0;
    DWORD size = sizeof(length);
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX))
        return -1;
    return length;
}

bool StopRequested(const std::atomic<int>* stopFlag) {
    return stopFlag && stopFlag->load() == STOP_REQUESTED;
}

// Queues the usable part of a chunk: the first skip bytes are dropped and at
// most limit bytes (-1: all) are kept.
void QueueUsable(ChunkWriter& writer, const char* data, long long length, long long& skip, long long& limit) {
    if (skip > 0) {
        long long dropped = skip < length ? skip : length;
        skip -= dropped;
        data += dropped;
        length -= dropped;
    }
    if (limit >= 0 && length > limit) length = limit;
    if (length < 0) length = 0;
    writer.Queue(data, static_cast<DWORD>(length));
    if (limit > 0) limit -= length;
}

constexpr ULONGLONG kProgressIntervalMs = 250;

// Reads the body into the writer's chunks. WinHTTP hands out a few KiB per
// read; reads are gathered into a chunk of up to chunkSize bytes, which is
// queued for writing when it is full or 250 ms after the last report,
// whichever comes first. A full chunk is written while the next one is read
// (a fast server costs one callback per chunk); a chunk cut short by the
// clock is written and reported before reading goes on, so a trickling
// server still shows progress and a stop asked for by a report takes effect
// before anything more is read. The stop flag is looked at after every read.
int ReadBody(HINTERNET request, ChunkWriter& writer, unsigned chunkSize, long long skip, long long limit,
             std::atomic<int>* stopFlag) {
    // A connection closed early can look like the end of the body; the
    // announced length tells a cut body from a whole one.
    const long long announced = AnnouncedLength(request);
    long long received = 0;
    ULONGLONG lastReport = ::GetTickCount64();
    for (;;) {
        if (StopRequested(stopFlag)) return ERR_STOPPED;
        if (limit == 0) return 0;
        char* buffer = writer.Buffer();
        if (!buffer) return ERR_BUFFER_TOO_SMALL;  // no memory, or a write failed: Finish tells which
        DWORD filled = 0;
        bool ended = false;
        bool stopped = false;
        bool timed = false;
        int failure = 0;
        while (filled < chunkSize) {
            DWORD ready = 0;
            if (!::WinHttpQueryDataAvailable(request, &ready)) {
                failure = LastError();
                break;
            }
            if (ready == 0) {
                ended = true;
                break;
            }
            DWORD room = chunkSize - filled;
            DWORD read = 0;
            if (!::WinHttpReadData(request, buffer + filled, ready < room ? ready : room, &read)) {
                failure = LastError();
                break;
            }
            if (read == 0) {
                failure = ERR_BUFFER_TOO_SMALL;
                break;
            }
            filled += read;
            received += read;
            if (StopRequested(stopFlag)) {
                stopped = true;
                break;
            }
            if (::GetTickCount64() - lastReport >= kProgressIntervalMs) {
                timed = true;
                break;
            }
        }
        QueueUsable(writer, buffer, filled, skip, limit);
        if (timed) {
            if (int rc = writer.Finish()) return rc;
        }
        lastReport = ::GetTickCount64();
        if (failure) return failure;
        if (stopped) return ERR_STOPPED;
        if (ended) {
            if (announced >= 0 && received < announced) return ERROR_WINHTTP_CONNECTION_ERROR;
            return skip > 0 ? ERR_HTTP_STATUS : 0;  // a body shorter than the skipped part is not the file
        }
    }
}

// Streams the body to file; whatever ends it, every byte read is on disk and
// reported before it returns. A failed write comes before any other reason.
int StreamBody(HINTERNET request, HANDLE file, unsigned chunkSize, long long skip, long long limit,
               ProgressCallback callback, std::atomic<int>* stopFlag, void* context) {
    if (chunkSize == 0) return ERR_BUFFER_TOO_SMALL;
    ChunkWriter writer(file, chunkSize, callback, context);
    const int rc = ReadBody(request, writer, chunkSize, skip, limit, stopFlag);
    if (int written = writer.Finish()) return written;
    return rc;
}
}  // namespace

int CWinHttpHandler::DownloadResume(const std::wstring& destination, int start, int end, unsigned chunkSize,
                                    ProgressCallback callback, std::atomic<int>* stopFlag, void* context) {
    HttpExchange exchange;
    if (int rc = OpenRequest(baseUrl_, L"GET", true, exchange)) return rc;
    HINTERNET request = exchange.request.get();
    // The bytes on disk belong to the file the stored validator names; without
    // one (or with one not fit to send) the rest is asked for unconditionally.
    std::wstring validator;
    if (start > 0 && ReadStoredValidator(destination, validator) == StoredValidator::Rejected)
        last_.storedValidatorRejected = true;
    if (int rc = SendRangeRequest(request, start, end, validator, last_)) return rc;

    // Write what the server actually sent where it belongs: a 206 only when it
    // holds the bytes asked for, a whole body (Range ignored, or the file
    // changed) from the first byte; an error page never reaches the file.
    const unsigned status = last_.status;
    if (!IsSuccessStatus(status)) return ERR_HTTP_STATUS;
    const bool partial = status == 206;
    if (partial) {
        if (int rc = CheckPartialRange(request, start, end)) return rc;
    }
    // Kept before the first byte is written: whatever cuts this transfer,
    // even the end of the process, the next resume knows which file it holds.
    StoreValidator(destination, last_.validator);
    const long long offset = partial && start > 0 ? start : 0;
    // A body that runs to the end of the file leaves no stale tail behind it.
    const bool bodyEndsFile = !partial || end <= 0;
    if (int rc = CheckAnnouncedFileSize(request, offset)) return rc;

    KernelHandle file(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (!::SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN)) return LastError();
    if (start > 0 && !partial && callback) callback(PROGRESS_RESTARTED, context);

    if (int rc = StreamBody(request, file.get(), chunkSize, 0, -1, callback, stopFlag, context)) return rc;
    if (bodyEndsFile && !::SetEndOfFile(file.get())) return LastError();
    file.reset();
    ForgetValidator(destination);  // the file is whole: nothing left to resume
    // The closing call passes 0 so that an adding callback counts every byte once.
    if (callback) callback(0, context);
    return 0;
}

int CWinHttpHandler::DownloadRangeToFile(const std::wstring& destination, int start, int end, unsigned chunkSize,
                                         ProgressCallback callback, std::atomic<int>* stopFlag, void* context) {
    return DownloadToTemporary(destination, start, end, chunkSize, callback, stopFlag, context);
}

int CWinHttpHandler::DownloadToFile(const std::wstring& destination) {
    return DownloadToTemporary(destination, 0, 0, 0x10000, nullptr, nullptr, nullptr);
}

int CWinHttpHandler::DownloadToTemporary(const std::wstring& destination, int start, int end, unsigned chunkSize,
                                         ProgressCallback callback, std::atomic<int>* stopFlag, void* context) {
    HttpExchange exchange;
    if (int rc = OpenRequest(baseUrl_, L"GET", true, exchange)) return rc;
    HINTERNET request = exchange.request.get();
    if (int rc = SendRangeRequest(request, start, end, std::wstring(), last_)) return rc;

    const unsigned status = last_.status;
    if (!IsSuccessStatus(status)) return ERR_HTTP_STATUS;
    if (status == 206) {
        if (int rc = CheckPartialRange(request, start, end)) return rc;
    }
    // A server that ignored Range sent the whole file: keep only the range asked for.
    long long skip = 0;
    long long limit = -1;
    if (start > 0 && status != 206) {
        skip = start;
        if (end >= start) limit = static_cast<long long>(end) - start + 1;
    }

    const std::wstring temporary = TempPath() + NewGuidText() + L".orchidTmp";
    // CREATE_NEW: a name clash (no GUID to be had) fails rather than clobbering.
    KernelHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();

    int rc = StreamBody(request, file.get(), chunkSize, skip, limit, callback, stopFlag, context);
    file.reset();
    if (rc) {
        ::DeleteFileW(temporary.c_str());
        return rc;
    }
    if (!::MoveFileExW(temporary.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
        return LastError();
    if (callback) callback(0, context);
    return 0;
}
