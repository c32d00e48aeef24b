#include "net/Retry.h"

#include "net/WinHttpHandler.h"

#include <windows.h>
#include <winhttp.h>

#include <cstdio>

namespace {

bool IsRetryableStatus(unsigned status) { return status >= 500 || status == 408 || status == 429; }

// The server said it did not take the request.
bool IsRefusalStatus(unsigned status) { return status == 429 || status == 503; }

bool IsErrorStatus(unsigned status) { return status >= 400; }

// Failures of the connection itself: nothing about the request was wrong.
bool IsConnectionFailure(int code) {
    switch (code) {
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_TIMEOUT:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
        return true;
    default:
        return false;
    }
}

bool IsTlsFailure(int code) {
    switch (code) {
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
        return true;
    default:
        return false;
    }
}

} // namespace

TransportFailure ClassifyTransport(int code, const ResponseFacts& facts) {
    if (code == 0) return IsErrorStatus(facts.status) ? TransportFailure::Server : TransportFailure::None;
    const bool viaProxy = facts.proxy.UsesProxy();
    switch (code) {
    case ERR_STOPPED: return TransportFailure::Stopped;
    case ERR_PROXY_AUTH: return TransportFailure::ProxyAuth;
    case ERR_HTTP_STATUS:
    case ERR_RANGE_MISMATCH: return TransportFailure::Server;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return viaProxy ? TransportFailure::Proxy : TransportFailure::Dns;
    case ERROR_WINHTTP_CANNOT_CONNECT: return viaProxy ? TransportFailure::Proxy : TransportFailure::Connection;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return TransportFailure::Disk;
    default: break;
    }
    if (IsConnectionFailure(code)) return TransportFailure::Connection;
    if (IsTlsFailure(code)) return TransportFailure::Tls;
    return TransportFailure::Other;
}

RetryDecision DecideRetry(int code, const ResponseFacts& facts, int retriesDone, const RetryPolicy& policy,
                          RequestKind kind) {
    RetryDecision decision;
    if (retriesDone >= policy.maxRetries) return decision;
    const unsigned status = facts.status;
    bool transient = false;
    if (kind == RequestKind::Report) {
        // Sent again only when it cannot have been stored: a report must not arrive twice.
        transient = code == ERROR_WINHTTP_CANNOT_CONNECT || (code == 0 && IsRefusalStatus(status));
    } else if (code == 0 || code == ERR_HTTP_STATUS) {
        // A query's error page comes back as a body; a download's as ERR_HTTP_STATUS.
        transient = IsRetryableStatus(status);
    } else if (code == ERR_BUFFER_TOO_SMALL) {
        transient = kind == RequestKind::Download;  // a read that came back empty: the connection broke
    } else {
        transient = IsConnectionFailure(code);
    }
    if (!transient) return decision;
    decision.retry = true;
    if (IsRefusalStatus(status) && facts.retryAfterSeconds >= 0) {
        const unsigned long long asked =
            static_cast<unsigned long long>(facts.retryAfterSeconds) * policy.retryAfterSecondMs;
        decision.waitMs = static_cast<unsigned>(asked < policy.retryAfterCapMs ? asked : policy.retryAfterCapMs);
    } else {
        const int doublings = retriesDone < 16 ? retriesDone : 16;
        const unsigned long long wait = static_cast<unsigned long long>(policy.firstWaitMs) << doublings;
        decision.waitMs = static_cast<unsigned>(wait < 0xFFFFFFFFull ? wait : 0xFFFFFFFFull);
    }
    return decision;
}

bool WaitBeforeRetry(unsigned ms, const std::atomic<int>* stopFlag) {
    const ULONGLONG until = ::GetTickCount64() + ms;
    for (;;) {
        if (stopFlag && stopFlag->load() == STOP_REQUESTED) return false;
        const ULONGLONG now = ::GetTickCount64();
        if (now >= until) return true;
        const ULONGLONG left = until - now;
        ::Sleep(static_cast<DWORD>(left < 50 ? left : 50));
    }
}

int RunWithRetries(const RetryPolicy& policy, RequestKind kind, const std::atomic<int>* stopFlag,
                   const RetryObserver& observer, const std::function<int(ResponseFacts&)>& attempt,
                   ResponseFacts* last) {
    ResponseFacts facts;
    int code = 0;
    for (int retriesDone = 0;; ++retriesDone) {
        facts = ResponseFacts();
        code = attempt(facts);
        const RetryDecision decision = DecideRetry(code, facts, retriesDone, policy, kind);
        if (!decision.retry) break;
        if (observer) {
            RetryNotice notice;
            notice.retry = retriesDone + 1;
            notice.maxRetries = policy.maxRetries;
            notice.waitMs = decision.waitMs;
            notice.code = code;
            notice.facts = facts;
            observer(notice);
        }
        if (!WaitBeforeRetry(decision.waitMs, stopFlag)) {
            code = ERR_STOPPED;
            break;
        }
    }
    if (last) *last = facts;
    return code;
}

std::wstring DescribeAttempt(int code, const ResponseFacts& facts) {
    wchar_t text[128] = {};
    if ((code == 0 || code == ERR_HTTP_STATUS) && facts.status) {
        if (facts.retryAfterSeconds >= 0)
            _snwprintf_s(text, 128, _TRUNCATE, L"HTTP %u, Retry-After %d s", facts.status, facts.retryAfterSeconds);
        else
            _snwprintf_s(text, 128, _TRUNCATE, L"HTTP %u", facts.status);
    } else {
        _snwprintf_s(text, 128, _TRUNCATE, L"code=%d", code);
    }
    return text;
}

std::wstring RetryLogLine(const std::wstring& head, const RetryNotice& notice) {
    wchar_t line[512] = {};
    _snwprintf_s(line, 512, _TRUNCATE, L"%s 第%d次重试（共%d次），%u毫秒后开始，原因：%s", head.c_str(), notice.retry,
                 notice.maxRetries, notice.waitMs, DescribeAttempt(notice.code, notice.facts).c_str());
    return line;
}
