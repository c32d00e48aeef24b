#pragma once
// Trying again within a run: which failures are worth another attempt, how
// long to wait before it, and the loop that does it. Transient failures (a
// connection refused, reset or cut, a timeout, 5xx, 408, 429) are retried a
// bounded number of times with growing waits, Retry-After honoured up to a
// cap; permanent ones (other 4xx, a proxy that wants credentials, TLS, a
// full disk) are not.
#include "net/ResponseFacts.h"

#include <atomic>
#include <functional>
#include <string>

// What a failed exchange means to the user.
enum class TransportFailure {
    None,
    Connection,  // refused, reset, cut or timed out
    Dns,         // the server's name could not be resolved
    Proxy,       // the proxy could not be reached
    ProxyAuth,   // the proxy wants credentials WinHTTP could not give
    Tls,         // the secure channel or the server's certificate failed
    Server,      // the server answered with an error or something unusable
    Disk,        // the file could not be written: the disk is full
    Stopped,     // the caller asked to stop
    Other,
};
// code is a transport result; 0 with an error status in facts is Server.
TransportFailure ClassifyTransport(int code, const ResponseFacts& facts);

// What kind of request is retried: a download resumes, a query may be sent
// again, a report only when it cannot have been taken (nothing connected,
// or the server said it did not take it: 429, 503).
enum class RequestKind { Download, Query, Report };

struct RetryPolicy {
    int maxRetries = 3;
    unsigned firstWaitMs = 1000;      // doubled for every further retry
    unsigned retryAfterCapMs = 30000;  // a longer Retry-After is cut to this
    unsigned retryAfterSecondMs = 1000;  // the length of one Retry-After second (tests shorten it)
};

struct RetryDecision {
    bool retry = false;
    unsigned waitMs = 0;
};
// After an attempt that ended with code and facts, retriesDone retries into it.
RetryDecision DecideRetry(int code, const ResponseFacts& facts, int retriesDone, const RetryPolicy& policy,
                          RequestKind kind);

// Told before each wait: which retry is coming, after how long, and why.
struct RetryNotice {
    int retry = 0;       // 1 for the first retry
    int maxRetries = 0;
    unsigned waitMs = 0;
    int code = 0;
    ResponseFacts facts;
};
using RetryObserver = std::function<void(const RetryNotice&)>;

// Runs attempt until it succeeds, fails for good or the retries are spent,
// waiting between attempts; the wait ends early (ERR_STOPPED) when stopFlag
// comes to hold STOP_REQUESTED. attempt returns its code and fills facts;
// last (may be null) gets the facts of the last attempt.
int RunWithRetries(const RetryPolicy& policy, RequestKind kind, const std::atomic<int>* stopFlag,
                   const RetryObserver& observer, const std::function<int(ResponseFacts&)>& attempt,
                   ResponseFacts* last = nullptr);

// Waits ms milliseconds unless stopFlag comes to hold STOP_REQUESTED; false
// when it did. A null flag never stops the wait.
bool WaitBeforeRetry(unsigned ms, const std::atomic<int>* stopFlag);

// "code=12030" or "HTTP 503, Retry-After 2 s", for the log.
std::wstring DescribeAttempt(int code, const ResponseFacts& facts);
// "<head> 第1次重试（共3次），1000毫秒后开始，原因：code=12030", for the log.
std::wstring RetryLogLine(const std::wstring& head, const RetryNotice& notice);
