#include "net/WinHttpHandler.h"

#include "net/HttpExchange.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr char kBoundary[] = "-------------------7d1335905873";

int LastError() { return static_cast<int>(::GetLastError()); }

enum class QueryFailure { EndsBody, IsError };

// Reads the body into buffer. Fails with ERR_BUFFER_TOO_SMALL once
// count + ready reaches capacity - reserve.
int ReadBody(HINTERNET request, char* buffer, unsigned capacity, unsigned reserve, QueryFailure onQueryFailure,
             unsigned& count) {
    count = 0;
    for (;;) {
        DWORD ready = 0;
        if (!::WinHttpQueryDataAvailable(request, &ready)) {
            if (onQueryFailure == QueryFailure::IsError) return LastError();
            return 0;
        }
        if (ready == 0) return 0;
        if (static_cast<unsigned long long>(count) + ready + reserve >= capacity) return ERR_BUFFER_TOO_SMALL;
        DWORD read = 0;
        if (!::WinHttpReadData(request, buffer + count, ready, &read)) return LastError();
        if (read == 0) return 0;
        count += read;
    }
}

// "http://" anywhere in url, in any letter case.
bool ContainsHttpScheme(const std::wstring& url) {
    static const wchar_t kScheme[] = L"http://";
    const size_t length = 7;
    for (size_t at = 0; at + length <= url.size(); ++at) {
        if (_wcsnicmp(url.c_str() + at, kScheme, length) == 0) return true;
    }
    return false;
}

// Stores the terminator after a body read with a reserve of one byte.
void Terminate(char* buffer, unsigned capacity, unsigned count, unsigned& size) {
    if (count >= capacity) count = capacity - 1;
    buffer[count] = '\0';
    size = count;
}
}  // namespace

CWinHttpHandler::CWinHttpHandler(const std::wstring& baseUrl) : baseUrl_(baseUrl) {
    if (!baseUrl_.empty() && baseUrl_.back() == L'\\') baseUrl_.pop_back();
    // Schemes are matched without regard to case: "HTTP://" needs no prefix.
    const bool secure = baseUrl_.size() >= 8 && _wcsnicmp(baseUrl_.c_str(), L"https://", 8) == 0;
    if (!secure && !ContainsHttpScheme(baseUrl_)) baseUrl_.insert(0, L"http://");
}

CWinHttpHandler::~CWinHttpHandler() = default;

const std::wstring& CWinHttpHandler::BaseUrl() const { return baseUrl_; }

const ResponseFacts& CWinHttpHandler::LastResponse() const { return last_; }

int CWinHttpHandler::PostForm(const std::wstring& relativePath, const std::vector<FormField>& fields, char* buffer,
                              unsigned& size) {
    HttpExchange exchange;
    if (int rc = OpenRequest(baseUrl_ + relativePath, L"POST", false, exchange)) return rc;
    ::WinHttpAddRequestHeaders(exchange.request.get(), L"Content-Type: application/x-www-form-urlencoded",
                               static_cast<DWORD>(-1), WINHTTP_ADDREQ_FLAG_ADD);

    // Values go out as they are: the service reads them unencoded.
    std::string body;
    for (const FormField& field : fields) {
        if (!body.empty()) body += '&';
        body += field.name ? field.name : "";
        body += '=';
        body += field.value ? field.value : "";
    }
    if (int rc = SendRequest(exchange.request.get(), body, last_)) return rc;

    if (!buffer || size == 0) return ERR_BUFFER_TOO_SMALL;
    unsigned count = 0;
    if (int rc = ReadBody(exchange.request.get(), buffer, size, 1, QueryFailure::EndsBody, count)) return rc;
    Terminate(buffer, size, count, size);
    return 0;
}

int CWinHttpHandler::Get(const std::wstring& url, char* buffer, unsigned& size) {
    HttpExchange exchange;
    if (int rc = OpenRequest(url, L"GET", true, exchange)) return rc;
    if (int rc = SendRequest(exchange.request.get(), std::string(), last_)) return rc;

    if (!buffer || size == 0) return ERR_BUFFER_TOO_SMALL;
    unsigned count = 0;
    if (int rc = ReadBody(exchange.request.get(), buffer, size, 1, QueryFailure::IsError, count)) return rc;
    Terminate(buffer, size, count, size);
    return 0;
}

int CWinHttpHandler::PostMultipart(const std::wstring& relativePath, const std::vector<FormField>& fields,
                                   char* buffer, unsigned& size) {
    if (fields.empty()) return ERR_BUFFER_TOO_SMALL;
    HttpExchange exchange;
    if (int rc = OpenRequest(baseUrl_ + relativePath, L"POST", false, exchange)) return rc;

    std::wstring contentType = L"Content-Type: multipart/form-data; boundary=";
    for (const char* p = kBoundary; *p; ++p) contentType += static_cast<wchar_t>(*p);
    if (!::WinHttpAddRequestHeaders(exchange.request.get(), contentType.c_str(), static_cast<DWORD>(-1),
                                    WINHTTP_ADDREQ_FLAG_ADD))
        return LastError();

    std::string body;
    for (const FormField& field : fields) {
        body += "--";
        body += kBoundary;
        body += "\r\n";
        char disposition[2000] = {};
        std::snprintf(disposition, sizeof(disposition), "Content-Disposition: form-data; name=\"%s\"\r\n\r\n",
                      field.name ? field.name : "");
        body += disposition;
        if (field.value && field.valueLength > 0) body.append(field.value, static_cast<size_t>(field.valueLength));
        body += "\r\n";
    }
    body += "--";
    body += kBoundary;
    body += "--\r\n\r\n";

    wchar_t contentLength[64] = {};
    _snwprintf_s(contentLength, 64, _TRUNCATE, L"Content-Length: %u", static_cast<unsigned>(body.size()));
    if (!::WinHttpAddRequestHeaders(exchange.request.get(), contentLength, static_cast<DWORD>(-1),
                                    WINHTTP_ADDREQ_FLAG_ADD))
        return LastError();
    if (int rc = SendRequest(exchange.request.get(), body, last_)) return rc;

    if (!buffer) return ERR_BUFFER_TOO_SMALL;
    unsigned count = 0;
    if (int rc = ReadBody(exchange.request.get(), buffer, size, 0, QueryFailure::EndsBody, count)) return rc;
    size = count;
    return 0;
}
