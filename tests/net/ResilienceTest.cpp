// Downloads that meet a flaky network: retries that resume from the bytes on
// disk, the waits they take and the failures they leave alone, and resumes
// that ask for the rest only of the same file (If-Range).
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "net/HttpExchange.h"
#include "net/ResumeValidator.h"
#include "net/Retry.h"
#include "net/RetryingDownload.h"
#include "net/WinHttpHandler.h"
#include "tests/common/QuickRetries.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include <winhttp.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {
const wchar_t kPackage[] = L"Kestrane_V1.0.3.exe";
const char kPackagePath[] = "/packages/Kestrane_V1.0.3.exe";

std::string ServedFile(const std::string& relative) {
    const std::string path = local_service::BuildDirWindows() + "\\setup-service\\packages\\" + relative;
    return ReadFileBytes(std::wstring(path.begin(), path.end()));
}

// The value of a header of the service's last recorded request; "" when absent.
std::string HeaderOfLastRequest(const std::string& name) {
    const std::string request = local_service::LastRequest();
    size_t at = request.find("\r\n" + name + ": ");
    if (at == std::string::npos) return std::string();
    at += name.size() + 4;
    return request.substr(at, request.find("\r\n", at) - at);
}

struct Sum {
    long long bytes = 0;
    int restarts = 0;
};
void Add(int bytes, void* context) {
    auto* sum = static_cast<Sum*>(context);
    if (bytes == PROGRESS_RESTARTED) {
        sum->bytes = 0;
        ++sum->restarts;
    } else {
        sum->bytes += bytes;
    }
}

class Resilience : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, local_service::Port()) << "the local setup service is not running";
        ASSERT_TRUE(local_service::ResetFaults());
        package_ = ServedFile("Kestrane_V1.0.3.exe");
        ASSERT_GT(package_.size(), 100000u);
    }
    void TearDown() override { local_service::ResetFaults(); }

    DownloadTask Task(Sum* sum) {
        DownloadTask task;
        task.url = local_service::PackageUrl(kPackage);
        task.destination = dest_;
        task.chunkSize = 8192;
        task.callback = Add;
        task.stopFlag = &running_;
        task.context = sum;
        return task;
    }
    int Download(Sum& sum, const RetryPolicy& policy = QuickRetries()) {
        return DownloadWithRetries(Task(&sum), policy, [this](const RetryNotice& n) { notices_.push_back(n); },
                                   &last_);
    }

    TempDir dir_;
    std::wstring dest_ = dir_.File(L"p.exe");
    std::string package_;
    std::atomic<int> running_{1};
    std::vector<RetryNotice> notices_;
    ResponseFacts last_;
};
}  // namespace

TEST_F(Resilience, ACutDownloadIsRetriedFromTheBytesOnDiskUntilItIsWhole) {
    ASSERT_TRUE(local_service::SetFaults({{"flaky", "1"}, {"flaky_times", "3"}, {"flaky_after", "20000"}}));
    Sum sum;
    ASSERT_EQ(0, Download(sum));
    EXPECT_EQ(package_, ReadFileBytes(dest_));
    EXPECT_EQ(static_cast<long long>(package_.size()), sum.bytes) << "every byte counted once";
    ASSERT_EQ(3u, notices_.size());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(i + 1, notices_[i].retry);
        EXPECT_EQ(3, notices_[i].maxRetries);
        EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, notices_[i].code);
        EXPECT_EQ(10u << i, notices_[i].waitMs) << "the waits grow";
    }
    // Each retry asks for the rest of the same file.
    const std::string journal = local_service::Journal(kPackagePath);
    EXPECT_EQ(4, local_service::CountOf(journal, "\"method\": \"GET\""));
    for (const char* range : {"bytes=20000-", "bytes=40000-", "bytes=60000-"})
        EXPECT_EQ(1, local_service::CountOf(journal, "\"range\": \"" + std::string(range) + "\"")) << journal;
    EXPECT_EQ(3, local_service::CountOf(journal, "\"if_range\": \"\\\"")) << journal;
    EXPECT_FALSE(Exists(ValidatorPathFor(dest_))) << "a whole file keeps no validator";
}

TEST_F(Resilience, ServiceUnavailableIsWaitedForAsRetryAfterAsks) {
    ASSERT_TRUE(local_service::SetFaults(
        {{"status", "503"}, {"status_times", "1"}, {"status_path", "/packages/"}, {"retry_after", "3"}}));
    Sum sum;
    ASSERT_EQ(0, Download(sum));
    EXPECT_EQ(package_, ReadFileBytes(dest_));
    ASSERT_EQ(1u, notices_.size());
    EXPECT_EQ(ERR_HTTP_STATUS, notices_[0].code);
    EXPECT_EQ(503u, notices_[0].facts.status);
    EXPECT_EQ(3, notices_[0].facts.retryAfterSeconds);
    EXPECT_EQ(300u, notices_[0].waitMs) << "three of the policy's seconds";
    EXPECT_EQ(L"HTTP 503, Retry-After 3 s", DescribeAttempt(notices_[0].code, notices_[0].facts));
    // The second request came no sooner than asked (the server's own clock).
    const std::string journal = local_service::Journal(kPackagePath);
    const size_t first = journal.find("\"time\": ");
    const size_t second = journal.find("\"time\": ", first + 1);
    ASSERT_NE(second, std::string::npos) << journal;
    EXPECT_GE(std::stod(journal.substr(second + 8)) - std::stod(journal.substr(first + 8)), 0.3);
}

TEST_F(Resilience, NotFoundIsNotRetried) {
    ASSERT_TRUE(local_service::SetFaults({{"status", "404"}, {"status_path", "/packages/"}}));
    Sum sum;
    EXPECT_EQ(ERR_HTTP_STATUS, Download(sum));
    EXPECT_TRUE(notices_.empty());
    EXPECT_EQ(404u, last_.status);
    EXPECT_EQ(TransportFailure::Server, ClassifyTransport(ERR_HTTP_STATUS, last_));
    EXPECT_EQ(1, local_service::CountOf(local_service::Journal(kPackagePath), "\"method\": \"GET\""));
}

TEST_F(Resilience, RetriesEndWhenThePolicyIsSpentKeepingWhatArrived) {
    ASSERT_TRUE(local_service::SetFault("drop_after", "1000"));
    Sum sum;
    EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, Download(sum));
    EXPECT_EQ(3u, notices_.size());
    EXPECT_EQ(TransportFailure::Connection, ClassifyTransport(ERROR_WINHTTP_CONNECTION_ERROR, last_));
    EXPECT_EQ(package_.substr(0, 4000), ReadFileBytes(dest_)) << "four attempts, 1000 bytes each, in order";
    EXPECT_EQ(4000, sum.bytes);
}

TEST_F(Resilience, AStopDuringTheWaitEndsItAtOnce) {
    ASSERT_TRUE(local_service::SetFault("drop_after", "1000"));
    RetryPolicy policy;
    policy.firstWaitMs = 600000;  // only the stop can end this wait within the test's time
    Sum sum;
    const ULONGLONG start = ::GetTickCount64();
    const int rc = DownloadWithRetries(Task(&sum), policy, [this](const RetryNotice&) { running_ = STOP_REQUESTED; });
    EXPECT_EQ(ERR_STOPPED, rc);
    EXPECT_LT(::GetTickCount64() - start, 300000u);
    EXPECT_EQ(package_.substr(0, 1000), ReadFileBytes(dest_));
}

TEST(RetryDecisions, TransientFailuresAreRetriedWithGrowingOrAskedWaits) {
    struct Case {
        int code;
        unsigned status;
        int retryAfter;
        RequestKind kind;
        int retriesDone;
        bool retry;
        unsigned waitMs;
    };
    const RetryPolicy policy;  // the built-in waits
    const Case cases[] = {
        {ERROR_WINHTTP_CONNECTION_ERROR, 200, -1, RequestKind::Download, 0, true, 1000},
        {ERROR_WINHTTP_CONNECTION_ERROR, 200, -1, RequestKind::Download, 2, true, 4000},
        {ERROR_WINHTTP_CONNECTION_ERROR, 200, -1, RequestKind::Download, 3, false, 0},
        {ERROR_WINHTTP_CANNOT_CONNECT, 0, -1, RequestKind::Query, 1, true, 2000},
        {ERROR_WINHTTP_TIMEOUT, 0, -1, RequestKind::Query, 0, true, 1000},
        {ERR_HTTP_STATUS, 500, -1, RequestKind::Download, 0, true, 1000},
        {ERR_HTTP_STATUS, 408, -1, RequestKind::Download, 0, true, 1000},
        {ERR_HTTP_STATUS, 429, 5, RequestKind::Download, 0, true, 5000},
        {ERR_HTTP_STATUS, 503, 3600, RequestKind::Download, 0, true, 30000},  // capped
        {ERR_HTTP_STATUS, 404, -1, RequestKind::Download, 0, false, 0},
        {ERR_HTTP_STATUS, 403, -1, RequestKind::Download, 0, false, 0},
        {0, 503, 2, RequestKind::Query, 0, true, 2000},  // an error page as a query's body
        {0, 200, -1, RequestKind::Query, 0, false, 0},
        {ERR_PROXY_AUTH, 407, -1, RequestKind::Query, 0, false, 0},
        {ERROR_WINHTTP_NAME_NOT_RESOLVED, 0, -1, RequestKind::Query, 0, false, 0},
        {ERROR_WINHTTP_SECURE_FAILURE, 0, -1, RequestKind::Download, 0, false, 0},
        {ERROR_DISK_FULL, 200, -1, RequestKind::Download, 0, false, 0},
        {ERR_RANGE_MISMATCH, 206, -1, RequestKind::Download, 0, false, 0},
        {ERR_BUFFER_TOO_SMALL, 200, -1, RequestKind::Download, 0, true, 1000},  // announced data never came
        {ERR_BUFFER_TOO_SMALL, 200, -1, RequestKind::Query, 0, false, 0},  // an answer too big for the buffer
        // A report goes again only when it cannot have been stored.
        {ERROR_WINHTTP_CANNOT_CONNECT, 0, -1, RequestKind::Report, 0, true, 1000},
        {0, 503, -1, RequestKind::Report, 0, true, 1000},
        {0, 500, -1, RequestKind::Report, 0, false, 0},
        {ERROR_WINHTTP_CONNECTION_ERROR, 0, -1, RequestKind::Report, 0, false, 0},
    };
    for (const Case& c : cases) {
        ResponseFacts facts;
        facts.status = c.status;
        facts.retryAfterSeconds = c.retryAfter;
        const RetryDecision decision = DecideRetry(c.code, facts, c.retriesDone, policy, c.kind);
        EXPECT_EQ(c.retry, decision.retry) << "code " << c.code << " status " << c.status;
        EXPECT_EQ(c.waitMs, decision.waitMs) << "code " << c.code << " status " << c.status;
    }
}

TEST(RetryDecisions, RetryAfterIsReadAsSecondsOrAsADate) {
    EXPECT_EQ(120, RetryAfterSeconds(L"120"));
    EXPECT_EQ(0, RetryAfterSeconds(L"0"));
    EXPECT_EQ(-1, RetryAfterSeconds(L""));
    EXPECT_EQ(-1, RetryAfterSeconds(L"soon"));
    EXPECT_EQ(-1, RetryAfterSeconds(L"Sun, 06 Nov 1994 08:49:37"));
    EXPECT_EQ(86400, RetryAfterSeconds(L"99999999999999999999"));
    EXPECT_EQ(0, RetryAfterSeconds(L"Sun, 06 Nov 1994 08:49:37 GMT")) << "a date gone by asks for no wait";
    // A date a minute ahead, written as servers write it.
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    FILETIME ticks{};
    ::SystemTimeToFileTime(&now, &ticks);
    ULARGE_INTEGER later{};
    later.LowPart = ticks.dwLowDateTime;
    later.HighPart = ticks.dwHighDateTime;
    later.QuadPart += 60ull * 10000000;
    ticks.dwLowDateTime = later.LowPart;
    ticks.dwHighDateTime = later.HighPart;
    SYSTEMTIME when{};
    ::FileTimeToSystemTime(&ticks, &when);
    static const wchar_t* const kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
    static const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    wchar_t date[64] = {};
    _snwprintf_s(date, 64, _TRUNCATE, L"%s, %02u %s %04u %02u:%02u:%02u GMT", kDays[when.wDayOfWeek], when.wDay,
                 kMonths[when.wMonth - 1], when.wYear, when.wHour, when.wMinute, when.wSecond);
    const int seconds = RetryAfterSeconds(date);
    EXPECT_GE(seconds, 55);
    EXPECT_LE(seconds, 60);
}

// --- validated resume -------------------------------------------------------

TEST_F(Resilience, ACutDownloadKeepsTheServersValidatorAndTheResumeSendsIt) {
    ASSERT_TRUE(local_service::SetFault("drop_after", "1000"));
    CWinHttpHandler http(local_service::PackageUrl(kPackage));
    ASSERT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, http.DownloadResume(dest_, 0, 0, 8192, nullptr, &running_, nullptr));
    std::wstring stored;
    ASSERT_EQ(StoredValidator::Usable, ReadStoredValidator(dest_, stored));
    const std::string etag = HeaderOfLastRequest("If-Range");  // none yet: the first request asked for it all
    EXPECT_TRUE(etag.empty());
    EXPECT_EQ(L'"', stored.front());
    EXPECT_EQ(http.LastResponse().validator, stored);

    ASSERT_TRUE(local_service::ResetFaults());
    Sum sum;
    ASSERT_EQ(0, http.DownloadResume(dest_, 1000, 0, 8192, Add, &running_, &sum));
    EXPECT_EQ(std::string(stored.begin(), stored.end()), HeaderOfLastRequest("If-Range"));
    EXPECT_EQ("bytes=1000-", HeaderOfLastRequest("Range"));
    EXPECT_EQ(0, sum.restarts);
    EXPECT_EQ(package_, ReadFileBytes(dest_));
    EXPECT_FALSE(Exists(ValidatorPathFor(dest_)));
}

TEST_F(Resilience, AFileChangedOnTheServerStartsOverInsteadOfBeingSpliced) {
    ASSERT_TRUE(local_service::SetFault("drop_after", "1000"));
    CWinHttpHandler http(local_service::PackageUrl(kPackage));
    ASSERT_NE(0, http.DownloadResume(dest_, 0, 0, 8192, nullptr, &running_, nullptr));
    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_TRUE(local_service::SetFault("revise", "Kestrane_V1.0.3.exe"));
    Sum sum;
    ASSERT_EQ(0, http.DownloadResume(dest_, 1000, 0, 8192, Add, &running_, &sum));
    EXPECT_EQ(1, sum.restarts);
    EXPECT_EQ(200u, http.LastResponse().status);
    const std::string revised = ServedFile("revised\\Kestrane_V1.0.3.exe");
    ASSERT_FALSE(revised.empty());
    EXPECT_NE(package_, revised);
    EXPECT_EQ(revised, ReadFileBytes(dest_));
    EXPECT_EQ(static_cast<long long>(revised.size()), sum.bytes);
}

TEST_F(Resilience, AValidatorFileThatIsNoValidatorIsIgnoredAndNeverSent) {
    const std::string bad[] = {
        "\"abc\"\r\nX-Planted: 1",                // a second header line
        "W/\"weak\"",                              // weak tags cannot guard a range
        "\"a\"b\"",                                // a quote inside
        std::string(300, 'x'),                     // too long
        "yesterday",                               // neither a tag nor a date
        std::string("\"caf\xC3\xA9\"", 7),         // not ASCII
    };
    for (const std::string& content : bad) {
        WriteFileBytes(dest_, package_.substr(0, 1000));
        WriteFileBytes(ValidatorPathFor(dest_), content);
        CWinHttpHandler http(local_service::PackageUrl(kPackage));
        ASSERT_EQ(0, http.DownloadResume(dest_, 1000, 0, 8192, nullptr, &running_, nullptr)) << content;
        EXPECT_TRUE(http.LastResponse().storedValidatorRejected) << content;
        EXPECT_TRUE(HeaderOfLastRequest("If-Range").empty()) << content;
        EXPECT_TRUE(HeaderOfLastRequest("X-Planted").empty()) << content;
        EXPECT_EQ("bytes=1000-", HeaderOfLastRequest("Range")) << "resumed as without a validator";
        EXPECT_EQ(package_, ReadFileBytes(dest_));
    }
    EXPECT_TRUE(IsUsableValidator(L"Sun, 06 Nov 1994 08:49:37 GMT"));
    EXPECT_FALSE(IsUsableValidator(L"Sun, 31 Feb 1994 08:49:37 GMT"));
    EXPECT_TRUE(IsUsableValidator(L"\"0123abc\""));
}

TEST_F(Resilience, WithoutAValidatorAResumeAsksForTheRestAsBefore) {
    ASSERT_TRUE(local_service::SetFaults({{"no_validator", "1"}, {"drop_after", "1000"}}));
    CWinHttpHandler http(local_service::PackageUrl(kPackage));
    ASSERT_NE(0, http.DownloadResume(dest_, 0, 0, 8192, nullptr, &running_, nullptr));
    EXPECT_FALSE(Exists(ValidatorPathFor(dest_)));
    ASSERT_TRUE(local_service::SetFault("drop_after", "0"));
    ASSERT_EQ(0, http.DownloadResume(dest_, 1000, 0, 8192, nullptr, &running_, nullptr));
    EXPECT_FALSE(http.LastResponse().storedValidatorRejected);
    EXPECT_TRUE(HeaderOfLastRequest("If-Range").empty());
    EXPECT_EQ(package_, ReadFileBytes(dest_));
}
