#pragma once
// The program's only HTTP client: one object per base URL, blocking
// operations, each with its own session, connection and request.
#include "net/FormField.h"
#include "net/ResponseFacts.h"

#include <atomic>
#include <string>
#include <vector>

struct HttpExchange;

// Called between chunks with the bytes written by that chunk, or once with
// PROGRESS_RESTARTED before any byte when a resumed download starts over.
using ProgressCallback = void (*)(int bytes, void* context);

constexpr int ERR_BUFFER_TOO_SMALL = -1;  // body does not fit, or no data when data was announced
constexpr int ERR_STOPPED = -2;           // the stop flag held STOP_REQUESTED
constexpr int ERR_HTTP_STATUS = -3;       // a download was answered with an error status
constexpr int ERR_RANGE_MISMATCH = -4;    // a 206 answer for other bytes than the ones asked for
constexpr int ERR_PROXY_AUTH = -5;        // the proxy still asks for credentials (407)
constexpr int STOP_REQUESTED = 2;         // stop-flag value that asks a download to stop
// The server sent the whole file instead of the rest: the file is written
// again from its first byte, so the caller's count starts again at 0.
constexpr int PROGRESS_RESTARTED = -1;

class CWinHttpHandler {
public:
    explicit CWinHttpHandler(const std::wstring& baseUrl);
    virtual ~CWinHttpHandler();

    // Posts the fields as name=value&... (not percent-encoded) to base URL +
    // relativePath; a query on relativePath is not sent. On entry size is the
    // buffer capacity; on success the body length, the body being followed by
    // a zero byte (so at most capacity - 2 bytes are accepted).
    virtual int PostForm(const std::wstring& relativePath, const std::vector<FormField>& fields, char* buffer,
                         unsigned& size);
    // GETs the absolute url (the base URL plays no part); buffer as PostForm.
    virtual int Get(const std::wstring& url, char* buffer, unsigned& size);
    // Posts multipart/form-data; no terminator is stored (at most capacity - 1
    // bytes are accepted). An empty field list fails with -1 at once.
    virtual int PostMultipart(const std::wstring& relativePath, const std::vector<FormField>& fields, char* buffer,
                              unsigned& size);

    // Fetches the base URL into a temporary file, then moves it onto destination.
    virtual int DownloadToFile(const std::wstring& destination);
    // As DownloadToFile, for bytes start..end (start <= 0: whole file; end <= 0:
    // to its end), in reads of at most chunkSize bytes, reporting progress per
    // chunk (at least every 250 ms) and stopping after the read during which
    // *stopFlag came to hold STOP_REQUESTED.
    virtual int DownloadRangeToFile(const std::wstring& destination, int start, int end, unsigned chunkSize,
                                    ProgressCallback callback, std::atomic<int>* stopFlag, void* context);
    // Writes straight into destination from offset start, asking the server for
    // the rest with a Range header; the file length is the next resume point.
    // The server's validator of the file is kept beside it while the file is
    // partial (ResumeValidator.h) and a resume asks for the rest only if the
    // file is still that one (If-Range). A server that ignores Range, or whose
    // file has changed, restarts the file (see PROGRESS_RESTARTED).
    virtual int DownloadResume(const std::wstring& destination, int start, int end, unsigned chunkSize,
                               ProgressCallback callback, std::atomic<int>* stopFlag, void* context);

    const std::wstring& BaseUrl() const;
    // What the last operation learnt: its proxy, the answer's status, Retry-After
    // and validator. An HTTP error status reaches the callers of PostForm as a
    // body with result 0; this tells them it was one.
    const ResponseFacts& LastResponse() const;

private:
    // Chooses the proxy, splits url, opens session, connection and request;
    // 0 or an error code.
    int OpenRequest(const std::wstring& url, const wchar_t* method, bool sendQuery, HttpExchange& exchange);
    int DownloadToTemporary(const std::wstring& destination, int start, int end, unsigned chunkSize,
                            ProgressCallback callback, std::atomic<int>* stopFlag, void* context);

    std::wstring baseUrl_;
    ResponseFacts last_;
    int resolveTimeout_ = 10000;
    int connectTimeout_ = 10000;
    int sendTimeout_ = 10000;
    int receiveTimeout_ = 10000;
};
