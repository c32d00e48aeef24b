// Downloads from the local setup service: resumption, stopping, and bodies
// that are not the file (Range ignored, error statuses, cut connections).
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "net/WinHttpHandler.h"
#include "support/TempNames.h"
#include "tests/common/TempDir.h"

#include <winhttp.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {
const wchar_t kPackage[] = L"Kestrane_V1.0.3.exe";

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The package file exactly as the service serves it.
std::string PackageBytes() {
    std::string dir = local_service::BuildDirWindows() + "\\setup-service\\packages\\";
    std::wstring path(dir.begin(), dir.end());
    return ReadAll(path + kPackage);
}

int TemporaryFileCount() {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((TempPath() + L"*.orchidTmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do ++count;
    while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return count;
}

// The Range header value of the service's last recorded request.
std::string RangeOfLastRequest() {
    std::string request = local_service::LastRequest();
    size_t at = request.find("\r\nRange: ");
    if (at == std::string::npos) return std::string();
    at += 9;
    return request.substr(at, request.find("\r\n", at) - at);
}

struct Progress {
    std::vector<int> calls;
    long long Sum() const {
        long long sum = 0;
        for (int c : calls) sum += c;
        return sum;
    }
};
void Record(int bytes, void* context) { static_cast<Progress*>(context)->calls.push_back(bytes); }

class Download : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, local_service::Port()) << "the local setup service is not running";
        ASSERT_TRUE(local_service::ResetFaults());
        package_ = PackageBytes();
        ASSERT_GT(package_.size(), 100000u);
    }
    void TearDown() override { local_service::ResetFaults(); }

    CWinHttpHandler Handler() const { return CWinHttpHandler(local_service::PackageUrl(kPackage)); }

    TempDir dir_;
    std::string package_;
    std::atomic<int> running_{1};
};
}  // namespace

TEST_F(Download, ResumeFetchesTheWholeFileAndReportsEveryByteOnce) {
    const std::wstring dest = dir_.File(L"p.exe");
    Progress progress;
    ASSERT_EQ(0, Handler().DownloadResume(dest, 0, 0, 16384, Record, &running_, &progress));
    EXPECT_EQ(package_, ReadAll(dest));
    EXPECT_EQ(static_cast<long long>(package_.size()), progress.Sum());
    // One call per full chunk (WinHTTP reads a few KiB at a time; chunks are
    // filled before they are written), the last part, and the closing call.
    const size_t chunks = (package_.size() + 16383) / 16384;
    ASSERT_EQ(chunks + 1, progress.calls.size());
    for (size_t i = 0; i + 1 < chunks; ++i) EXPECT_EQ(16384, progress.calls[i]);
    EXPECT_EQ(0, progress.calls.back());
}

TEST_F(Download, TransferCutAfterThreeChunksResumesToAnIdenticalFile) {
    const unsigned chunk = 8192;
    const std::wstring dest = dir_.File(L"p.exe");
    ASSERT_TRUE(local_service::SetFault("drop_after", std::to_string(3 * chunk)));
    int rc = Handler().DownloadResume(dest, 0, 0, chunk, nullptr, &running_, nullptr);
    EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, rc);
    std::string partial = ReadAll(dest);
    ASSERT_EQ(3 * chunk, partial.size());
    EXPECT_EQ(package_.substr(0, 3 * chunk), partial);

    ASSERT_TRUE(local_service::ResetFaults());
    Progress progress;
    ASSERT_EQ(0, Handler().DownloadResume(dest, static_cast<int>(partial.size()), 0, chunk, Record, &running_,
                                          &progress));
    EXPECT_EQ("bytes=24576-", RangeOfLastRequest());
    EXPECT_EQ(package_, ReadAll(dest));
    EXPECT_EQ(static_cast<long long>(package_.size() - partial.size()), progress.Sum());
}

TEST_F(Download, StopFlagBeforeTheFirstChunk) {
    std::atomic<int> stop{STOP_REQUESTED};
    Progress progress;
    const std::wstring dest = dir_.File(L"resume.exe");
    EXPECT_EQ(ERR_STOPPED, Handler().DownloadResume(dest, 0, 0, 4096, Record, &stop, &progress));
    EXPECT_TRUE(Exists(dest));
    EXPECT_EQ("", ReadAll(dest));
    EXPECT_TRUE(progress.calls.empty());

    const int before = TemporaryFileCount();
    const std::wstring other = dir_.File(L"range.exe");
    EXPECT_EQ(ERR_STOPPED, Handler().DownloadRangeToFile(other, 0, 0, 4096, Record, &stop, &progress));
    EXPECT_FALSE(Exists(other));
    EXPECT_EQ(before, TemporaryFileCount());
    EXPECT_TRUE(progress.calls.empty());
}

TEST_F(Download, ServerIgnoringRangeIsWrittenFromTheFirstByte) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteAll(dest, package_.substr(0, 1000) + std::string(500, 'x'));
    ASSERT_TRUE(local_service::SetFault("ignore_range", "1"));
    ASSERT_EQ(0, Handler().DownloadResume(dest, 1000, 0, 65536, nullptr, &running_, nullptr));
    EXPECT_EQ(package_, ReadAll(dest));

    // The range operation keeps only the bytes it asked for.
    const std::wstring part = dir_.File(L"part.bin");
    ASSERT_EQ(0, Handler().DownloadRangeToFile(part, 100, 199, 4096, nullptr, &running_, nullptr));
    EXPECT_EQ(package_.substr(100, 100), ReadAll(part));
}

TEST_F(Download, RangeToFileStoresTheRangeAndLeavesNoTemporaryFile) {
    const int before = TemporaryFileCount();
    const std::wstring part = dir_.File(L"part.bin");
    Progress progress;
    ASSERT_EQ(0, Handler().DownloadRangeToFile(part, 100, 199, 4096, Record, &running_, &progress));
    EXPECT_EQ(package_.substr(100, 100), ReadAll(part));
    EXPECT_EQ(100, progress.Sum());

    const std::wstring whole = dir_.File(L"whole.exe");
    WriteAll(whole, std::string(package_.size() + 10, 'o'));  // replaced, not merged
    ASSERT_EQ(0, Handler().DownloadToFile(whole));
    EXPECT_EQ(package_, ReadAll(whole));
    EXPECT_EQ(before, TemporaryFileCount());
}

TEST_F(Download, ErrorStatusWritesNothing) {
    ASSERT_TRUE(local_service::SetFault("status", "404"));
    const std::wstring fresh = dir_.File(L"fresh.exe");
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadResume(fresh, 0, 0, 4096, nullptr, &running_, nullptr));
    EXPECT_FALSE(Exists(fresh));

    const std::wstring partial = dir_.File(L"partial.exe");
    WriteAll(partial, package_.substr(0, 5000));
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadResume(partial, 5000, 0, 4096, nullptr, &running_, nullptr));
    EXPECT_EQ(package_.substr(0, 5000), ReadAll(partial));

    const int before = TemporaryFileCount();
    ASSERT_TRUE(local_service::SetFault("status", "500"));
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadToFile(partial));
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadRangeToFile(partial, 0, 0, 4096, nullptr, &running_, nullptr));
    EXPECT_EQ(package_.substr(0, 5000), ReadAll(partial));
    EXPECT_EQ(before, TemporaryFileCount());
}

TEST_F(Download, ResumingACompleteFileIsRefusedAndLeavesItAlone) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteAll(dest, package_);
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadResume(dest, static_cast<int>(package_.size()), 0, 4096, nullptr,
                                                        &running_, nullptr));  // 416
    EXPECT_EQ(package_, ReadAll(dest));
}

TEST_F(Download, ALongerOldFileEndsWhereTheBodyEnds) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteAll(dest, package_ + std::string(4096, 'z'));
    ASSERT_EQ(0, Handler().DownloadResume(dest, 0, 0, 65536, nullptr, &running_, nullptr));
    EXPECT_EQ(package_, ReadAll(dest));

    WriteAll(dest, package_.substr(0, 5000) + std::string(package_.size(), 'z'));
    ASSERT_EQ(0, Handler().DownloadResume(dest, 5000, 0, 65536, nullptr, &running_, nullptr));
    EXPECT_EQ(package_, ReadAll(dest));
}

TEST_F(Download, CutRangeDownloadDeletesItsTemporaryFile) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteAll(dest, "old");
    const int before = TemporaryFileCount();
    ASSERT_TRUE(local_service::SetFault("drop_after", "10000"));
    EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, Handler().DownloadToFile(dest));
    EXPECT_EQ("old", ReadAll(dest));
    EXPECT_EQ(before, TemporaryFileCount());
}

TEST_F(Download, AStalledServerTimesOutWellBeforeItAnswers) {
    // The service would answer after 25 s; the 10 s receive timeout ends the
    // wait first (WinHTTP's own default of 30 s would not).
    ASSERT_TRUE(local_service::SetFault("stall", "25"));
    std::vector<FormField> fields;
    fields.push_back(MakeLiteralField("type", "setup_online"));
    char buffer[256];
    unsigned size = sizeof(buffer);
    const ULONGLONG started = ::GetTickCount64();
    const int rc = CWinHttpHandler(local_service::BaseUrl()).PostForm(L"/api/statistics", fields, buffer, size);
    // Windows names it ERROR_WINHTTP_TIMEOUT; this stack passes the socket's code up.
    EXPECT_TRUE(rc == ERROR_WINHTTP_TIMEOUT || rc == WSAETIMEDOUT) << rc;
    EXPECT_LT(::GetTickCount64() - started, 20000u);
}

TEST_F(Download, ABodyThatStallsFailsAfterTheReceiveTimeoutKeepingWhatArrived) {
    ASSERT_TRUE(local_service::SetFault("stall_after", "24576"));
    const std::wstring dest = dir_.File(L"p.exe");
    const ULONGLONG started = ::GetTickCount64();
    const int rc = Handler().DownloadResume(dest, 0, 0, 8192, nullptr, &running_, nullptr);
    EXPECT_TRUE(rc == ERROR_WINHTTP_TIMEOUT || rc == WSAETIMEDOUT) << rc;
    EXPECT_LT(::GetTickCount64() - started, 20000u);
    EXPECT_EQ(package_.substr(0, 24576), ReadAll(dest));
}

namespace {
// Collects the names of the temporary files present while a chunk is reported.
void NoteTemporaryNames(int, void* context) {
    auto* names = static_cast<std::vector<std::wstring>*>(context);
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((TempPath() + L"*.orchidTmp").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do names->push_back(data.cFileName);
    while (::FindNextFileW(find, &data));
    ::FindClose(find);
}

bool IsGuidName(const std::wstring& name) {
    const std::wstring suffix = L".orchidTmp";
    if (name.size() != 36 + suffix.size() || name.compare(36, suffix.size(), suffix) != 0) return false;
    for (size_t i = 0; i < 36; ++i) {
        wchar_t c = name[i];
        bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphen ? c != L'-' : !((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F'))) return false;
    }
    return true;
}
}  // namespace

TEST_F(Download, RangeToFileWritesIntoAGuidNamedTemporaryFile) {
    std::vector<std::wstring> seen;
    const int before = TemporaryFileCount();
    ASSERT_EQ(0, Handler().DownloadRangeToFile(dir_.File(L"p.exe"), 0, 0, 65536, NoteTemporaryNames, &running_,
                                               &seen));
    ASSERT_FALSE(seen.empty());
    bool found = false;
    for (const std::wstring& name : seen) found = found || IsGuidName(name);
    EXPECT_TRUE(found);
    EXPECT_EQ(before, TemporaryFileCount());
    EXPECT_EQ(package_, ReadAll(dir_.File(L"p.exe")));
}
