// The request set-up every operation shares: choose the proxy, split the URL,
// open session, connection and request with the fixed user agent and
// timeouts; and the sending that answers a proxy's request for credentials.
#include "net/HttpExchange.h"

#include "net/HttpDate.h"
#include "net/WinHttpHandler.h"

#include <cwctype>

namespace {
constexpr DWORD kPartLength = 256;  // each URL part gets a buffer this size
constexpr wchar_t kUserAgent[] = L"A WinHTTP Example Program/1.0";
// Rounds of a proxy's challenge answered with the user's logon (NTLM needs two).
constexpr int kProxyLogonRounds = 3;

int LastError() { return static_cast<int>(::GetLastError()); }

HINTERNET OpenSession(const ProxyChoice& proxy) {
    if (!proxy.UsesProxy()) {
        const DWORD access = proxy.source == ProxySource::MachineDefault ? WINHTTP_ACCESS_TYPE_DEFAULT_PROXY
                                                                         : WINHTTP_ACCESS_TYPE_NO_PROXY;
        return ::WinHttpOpen(kUserAgent, access, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    }
    return ::WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy.proxy.c_str(),
                         proxy.bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : proxy.bypass.c_str(), 0);
}

// The scheme in which WinHTTP can log on to the proxy as the signed-in user;
// 0 when the proxy offers none (Basic or Digest would need a password).
DWORD UserLogonScheme(HINTERNET request) {
    DWORD supported = 0, first = 0, target = 0;
    if (!::WinHttpQueryAuthSchemes(request, &supported, &first, &target)) return 0;
    if (supported & WINHTTP_AUTH_SCHEME_NEGOTIATE) return WINHTTP_AUTH_SCHEME_NEGOTIATE;
    if (supported & WINHTTP_AUTH_SCHEME_NTLM) return WINHTTP_AUTH_SCHEME_NTLM;
    return 0;
}

int SendOnce(HINTERNET request, const std::string& body) {
    const DWORD length = static_cast<DWORD>(body.size());
    LPVOID data = body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(body.data());
    if (!::WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, length, length, 0)) return LastError();
    if (!::WinHttpReceiveResponse(request, nullptr)) return LastError();
    return 0;
}

// Strong ETags only: a weak one cannot make a resumed range safe.
std::wstring ValidatorOf(HINTERNET request) {
    const std::wstring tag = ResponseHeader(request, WINHTTP_QUERY_ETAG);
    if (tag.size() >= 2 && tag.front() == L'"' && tag.back() == L'"') return tag;
    return ResponseHeader(request, WINHTTP_QUERY_LAST_MODIFIED);
}
}  // namespace

int CWinHttpHandler::OpenRequest(const std::wstring& url, const wchar_t* method, bool sendQuery,
                                 HttpExchange& exchange) {
    last_ = ResponseFacts();
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

    last_.proxy = ChooseProxy(url);
    exchange.session.reset(OpenSession(last_.proxy));
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

int SendRequest(HINTERNET request, const std::string& body, ResponseFacts& facts) {
    if (int rc = SendOnce(request, body)) return rc;
    facts.status = ResponseStatus(request);
    for (int round = 0; facts.status == HTTP_STATUS_PROXY_AUTH_REQ && round < kProxyLogonRounds; ++round) {
        const DWORD scheme = UserLogonScheme(request);
        if (!scheme) break;
        // The signed-in user's logon may go to this proxy: null name and
        // password ask WinHTTP for the default credentials.
        DWORD policy = WINHTTP_AUTOLOGON_SECURITY_LEVEL_LOW;
        ::WinHttpSetOption(request, WINHTTP_OPTION_AUTOLOGON_POLICY, &policy, sizeof(policy));
        if (!::WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme, nullptr, nullptr, nullptr)) break;
        if (int rc = SendOnce(request, body)) return rc;
        facts.status = ResponseStatus(request);
    }
    if (facts.status == HTTP_STATUS_PROXY_AUTH_REQ) return ERR_PROXY_AUTH;
    facts.retryAfterSeconds = RetryAfterSeconds(ResponseHeader(request, WINHTTP_QUERY_RETRY_AFTER));
    facts.validator = ValidatorOf(request);
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

int RetryAfterSeconds(const std::wstring& value) {
    if (value.empty()) return -1;
    bool digits = true;
    for (wchar_t c : value) digits = digits && std::iswdigit(c);
    if (digits) {
        // Anything beyond a day is as good as a day: the caller caps it anyway.
        if (value.size() > 6) return 86400;
        return std::stoi(value);
    }
    SYSTEMTIME when{};
    if (!ParseHttpDate(value, when)) return -1;
    SYSTEMTIME nowTime{};
    ::GetSystemTime(&nowTime);
    FILETIME then{}, now{};
    if (!::SystemTimeToFileTime(&when, &then) || !::SystemTimeToFileTime(&nowTime, &now)) return -1;
    const auto ticks = [](const FILETIME& t) {
        return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    const long long seconds = (ticks(then) - ticks(now)) / 10000000;
    if (seconds <= 0) return 0;
    return seconds > 86400 ? 86400 : static_cast<int>(seconds);
}
