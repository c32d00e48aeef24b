#include "service/RetryingPost.h"

#include "net/WinHttpHandler.h"
#include "support/Log.h"

int PostWithRetries(const std::wstring& serviceUrl, const std::wstring& path, const std::vector<FormField>& fields,
                    std::vector<char>& answer, unsigned& size, RequestKind kind, const RetryPolicy& policy,
                    const RetryObserver& observer, ResponseFacts* last) {
    const unsigned capacity = size;
    return RunWithRetries(
        policy, kind, nullptr, observer,
        [&](ResponseFacts& facts) {
            size = capacity;
            CWinHttpHandler handler(serviceUrl);
            const int rc = handler.PostForm(path, fields, answer.data(), size);
            facts = handler.LastResponse();
            return rc;
        },
        last);
}

RetryObserver LoggingRetries(const std::wstring& operation, const RetryObserver& next) {
    return [operation, next](const RetryNotice& notice) {
        WriteLog(RetryLogLine(operation, notice), LOG_WARN);
        if (next) next(notice);
    };
}
