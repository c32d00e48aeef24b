// The request set-up every operation shares: split the URL, open session,
// connection and request with the fixed user agent and timeouts.
#include "net/HttpExchange.h"

#include "net/WinHttpHandler.h"

namespace {
constexpr DWORD kPartLength = 256;  // each URL part gets a buffer this size
constexpr wchar_t kUserAgent[] = L"A WinHTTP Example Program/1.0";

int LastError() { return static_cast<int>(::GetLastError()); }
}  // namespace

int CWinHttpHandler::OpenRequest(const std::wstring& url, const wchar_t* method, bool sendQuery,
                                 HttpExchange& exchange) const {
    wchar_t scheme[kPartLength] = {};
    wchar_t host[kPartLength] = {};
    wchar_t path[kPartLength] = {};
    wchar_t extra[kPartLength] = {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszScheme = scheme;
    parts.dwSchemeLength = kPartLength;
    parts.lpszHostName = host;
    parts.dwHostNameLength = kPartLength;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = kPartLength;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = kPartLength;
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return LastError();

    exchange.session.reset(::WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0));
    if (!exchange.session) return LastError();
    if (!::WinHttpSetTimeouts(exchange.session.get(), resolveTimeout_, connectTimeout_, sendTimeout_,
                              receiveTimeout_))
        return LastError();
    exchange.connection.reset(::WinHttpConnect(exchange.session.get(), host, parts.nPort, 0));
    if (!exchange.connection) return LastError();

    std::wstring object = path;
    if (sendQuery) object += extra;
    // An https URL keeps its scheme: the request goes out secured on its port.
    DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    exchange.request.reset(::WinHttpOpenRequest(exchange.connection.get(), method, object.c_str(), nullptr,
                                                WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
    if (!exchange.request) return LastError();
    // Waiting for the response head has a clock of its own (90 s by default
    // on some stacks); a server that never answers must fail after the same
    // receive timeout as a stalled body. Where the option is unknown the
    // receive timeout alone applies, so its outcome is not checked.
    DWORD headTimeout = static_cast<DWORD>(receiveTimeout_);
    ::WinHttpSetOption(exchange.request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headTimeout,
                       sizeof(headTimeout));
    return 0;
}

unsigned ResponseStatus(HINTERNET request) {
    DWORD status = 0;
    DWORD length = sizeof(status);
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &length, WINHTTP_NO_HEADER_INDEX))
        return 0;
    return status;
}

std::wstring ResponseHeader(HINTERNET request, DWORD query) {
    wchar_t value[256] = {};
    DWORD length = sizeof(value);
    if (!::WinHttpQueryHeaders(request, query, WINHTTP_HEADER_NAME_BY_INDEX, value, &length,
                               WINHTTP_NO_HEADER_INDEX))
        return std::wstring();
    return std::wstring(value, length / sizeof(wchar_t));
}
