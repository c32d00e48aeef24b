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

std::wstring RetryLogLine(const std::wstring& head, const RetryNotice& notice) {
    wchar_t line[512] = {};
    _snwprintf_s(line, 512, _TRUNCATE, L"%s 第%d次重试（共%d次），%u毫秒后开始，原因：%s", head.c_str(), notice.retry,
                 notice.maxRetries, notice.waitMs, DescribeAttempt(notice.code, notice.facts).c_str());
    return line;
}

RetryObserver LoggingRetries(const std::wstring& operation, const RetryObserver& next) {
    return [operation, next](const RetryNotice& notice) {
        WriteLog(RetryLogLine(operation, notice), LOG_WARN);
        if (next) next(notice);
    };
}
