// Downloads from the local setup service: resumption, stopping, and bodies
// that are not the file (Range ignored, error statuses, cut connections).
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "net/WinHttpHandler.h"
#include "support/TempNames.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include <winhttp.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {
const wchar_t kPackage[] = L"Kestrane_V1.0.3.exe";

// The package file exactly as the service serves it.
std::string PackageBytes() {
    std::string dir = local_service::BuildDirWindows() + "\\setup-service\\packages\\";
    std::wstring path(dir.begin(), dir.end());
    return ReadFileBytes(path + kPackage);
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
    EXPECT_EQ(package_, ReadFileBytes(dest));
    EXPECT_EQ(static_cast<long long>(package_.size()), progress.Sum());
    // Chunks are filled from WinHTTP's few-KiB reads before they are written:
    // at most one call per chunk (fewer bytes only when 250 ms pass first),
    // and the closing call with 0.
    const size_t chunks = (package_.size() + 16383) / 16384;
    ASSERT_GE(progress.calls.size(), chunks + 1);
    for (size_t i = 0; i + 1 < progress.calls.size(); ++i) {
        EXPECT_GT(progress.calls[i], 0);
        EXPECT_LE(progress.calls[i], 16384);
    }
    EXPECT_EQ(0, progress.calls.back());
}

TEST_F(Download, TransferCutAfterThreeChunksResumesToAnIdenticalFile) {
    const unsigned chunk = 8192;
    const std::wstring dest = dir_.File(L"p.exe");
    ASSERT_TRUE(local_service::SetFault("drop_after", std::to_string(3 * chunk)));
    int rc = Handler().DownloadResume(dest, 0, 0, chunk, nullptr, &running_, nullptr);
    EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, rc);
    std::string partial = ReadFileBytes(dest);
    ASSERT_EQ(3 * chunk, partial.size());
    EXPECT_EQ(package_.substr(0, 3 * chunk), partial);

    ASSERT_TRUE(local_service::ResetFaults());
    Progress progress;
    ASSERT_EQ(0, Handler().DownloadResume(dest, static_cast<int>(partial.size()), 0, chunk, Record, &running_,
                                          &progress));
    EXPECT_EQ("bytes=24576-", RangeOfLastRequest());
    EXPECT_EQ(package_, ReadFileBytes(dest));
    EXPECT_EQ(static_cast<long long>(package_.size() - partial.size()), progress.Sum());
}

TEST_F(Download, StopFlagBeforeTheFirstChunk) {
    std::atomic<int> stop{STOP_REQUESTED};
    Progress progress;
    const std::wstring dest = dir_.File(L"resume.exe");
    EXPECT_EQ(ERR_STOPPED, Handler().DownloadResume(dest, 0, 0, 4096, Record, &stop, &progress));
    EXPECT_TRUE(Exists(dest));
    EXPECT_EQ("", ReadFileBytes(dest));
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
    WriteFileBytes(dest, package_.substr(0, 1000) + std::string(500, 'x'));
    ASSERT_TRUE(local_service::SetFault("ignore_range", "1"));
    Progress progress;
    ASSERT_EQ(0, Handler().DownloadResume(dest, 1000, 0, 65536, Record, &running_, &progress));
    EXPECT_EQ(package_, ReadFileBytes(dest));
    // The caller is told first that the file starts over, so its count of
    // the file's bytes never runs past the file.
    ASSERT_FALSE(progress.calls.empty());
    EXPECT_EQ(PROGRESS_RESTARTED, progress.calls.front());
    EXPECT_EQ(static_cast<long long>(package_.size()), progress.Sum() - PROGRESS_RESTARTED);

    // The range operation keeps only the bytes it asked for.
    const std::wstring part = dir_.File(L"part.bin");
    ASSERT_EQ(0, Handler().DownloadRangeToFile(part, 100, 199, 4096, nullptr, &running_, nullptr));
    EXPECT_EQ(package_.substr(100, 100), ReadFileBytes(part));
}

TEST_F(Download, RangeToFileStoresTheRangeAndLeavesNoTemporaryFile) {
    const int before = TemporaryFileCount();
    const std::wstring part = dir_.File(L"part.bin");
    Progress progress;
    ASSERT_EQ(0, Handler().DownloadRangeToFile(part, 100, 199, 4096, Record, &running_, &progress));
    EXPECT_EQ(package_.substr(100, 100), ReadFileBytes(part));
    EXPECT_EQ(100, progress.Sum());

    const std::wstring whole = dir_.File(L"whole.exe");
    WriteFileBytes(whole, std::string(package_.size() + 10, 'o'));  // replaced, not merged
    ASSERT_EQ(0, Handler().DownloadToFile(whole));
    EXPECT_EQ(package_, ReadFileBytes(whole));
    EXPECT_EQ(before, TemporaryFileCount());
}

TEST_F(Download, ErrorStatusWritesNothing) {
    ASSERT_TRUE(local_service::SetFault("status", "404"));
    const std::wstring fresh = dir_.File(L"fresh.exe");
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadResume(fresh, 0, 0, 4096, nullptr, &running_, nullptr));
    EXPECT_FALSE(Exists(fresh));

    const std::wstring partial = dir_.File(L"partial.exe");
    WriteFileBytes(partial, package_.substr(0, 5000));
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadResume(partial, 5000, 0, 4096, nullptr, &running_, nullptr));
    EXPECT_EQ(package_.substr(0, 5000), ReadFileBytes(partial));

    const int before = TemporaryFileCount();
    ASSERT_TRUE(local_service::SetFault("status", "500"));
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadToFile(partial));
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadRangeToFile(partial, 0, 0, 4096, nullptr, &running_, nullptr));
    EXPECT_EQ(package_.substr(0, 5000), ReadFileBytes(partial));
    EXPECT_EQ(before, TemporaryFileCount());
}

TEST_F(Download, APartialAnswerForOtherBytesIsRefusedWithoutAHole) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteFileBytes(dest, package_.substr(0, 5000));
    ASSERT_TRUE(local_service::SetFault("range_offset", "1000"));  // 206 from byte 6000
    Progress progress;
    EXPECT_EQ(ERR_RANGE_MISMATCH, Handler().DownloadResume(dest, 5000, 0, 4096, Record, &running_, &progress));
    EXPECT_TRUE(package_.substr(0, 5000) == ReadFileBytes(dest)) << "the file is left as it was";
    EXPECT_TRUE(progress.calls.empty());

    const int before = TemporaryFileCount();
    const std::wstring part = dir_.File(L"part.bin");
    EXPECT_EQ(ERR_RANGE_MISMATCH, Handler().DownloadRangeToFile(part, 100, 199, 4096, Record, &running_, &progress));
    EXPECT_FALSE(Exists(part));
    EXPECT_EQ(before, TemporaryFileCount());
    EXPECT_TRUE(progress.calls.empty());
}

namespace {
// Counts the calls and asks for a stop at the third.
struct StopAtThird {
    Progress progress;
    std::atomic<int>* stop = nullptr;
};
void RecordAndStop(int bytes, void* context) {
    auto* state = static_cast<StopAtThird*>(context);
    state->progress.calls.push_back(bytes);
    if (state->progress.calls.size() == 3) state->stop->store(STOP_REQUESTED);
}
}  // namespace

TEST_F(Download, ATricklingBodyShowsProgressAndStopsAtTheNextRead) {
    // 512 bytes every 100 ms: a 256 KiB chunk would take minutes to fill.
    ASSERT_TRUE(local_service::SetFault("trickle", "512"));
    ASSERT_TRUE(local_service::SetFault("trickle_ms", "100"));
    const std::wstring dest = dir_.File(L"p.exe");
    StopAtThird state;
    state.stop = &running_;
    EXPECT_EQ(ERR_STOPPED, Handler().DownloadResume(dest, 0, 0, 0x40000, RecordAndStop, &running_, &state));
    ASSERT_EQ(3u, state.progress.calls.size());
    for (int bytes : state.progress.calls) EXPECT_GT(bytes, 0);
    // Every byte read was written before the stop, for the next run to resume from.
    const std::string written = ReadFileBytes(dest);
    EXPECT_EQ(state.progress.Sum(), static_cast<long long>(written.size()));
    EXPECT_LT(written.size(), package_.size());
    EXPECT_TRUE(package_.substr(0, written.size()) == written);
}

TEST_F(Download, ResumingACompleteFileIsRefusedAndLeavesItAlone) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteFileBytes(dest, package_);
    EXPECT_EQ(ERR_HTTP_STATUS, Handler().DownloadResume(dest, static_cast<int>(package_.size()), 0, 4096, nullptr,
                                                        &running_, nullptr));  // 416
    EXPECT_EQ(package_, ReadFileBytes(dest));
}

TEST_F(Download, ALongerOldFileEndsWhereTheBodyEnds) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteFileBytes(dest, package_ + std::string(4096, 'z'));
    ASSERT_EQ(0, Handler().DownloadResume(dest, 0, 0, 65536, nullptr, &running_, nullptr));
    EXPECT_EQ(package_, ReadFileBytes(dest));

    WriteFileBytes(dest, package_.substr(0, 5000) + std::string(package_.size(), 'z'));
    ASSERT_EQ(0, Handler().DownloadResume(dest, 5000, 0, 65536, nullptr, &running_, nullptr));
    EXPECT_EQ(package_, ReadFileBytes(dest));
}

TEST_F(Download, CutRangeDownloadDeletesItsTemporaryFile) {
    const std::wstring dest = dir_.File(L"p.exe");
    WriteFileBytes(dest, "old");
    const int before = TemporaryFileCount();
    ASSERT_TRUE(local_service::SetFault("drop_after", "10000"));
    EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR, Handler().DownloadToFile(dest));
    EXPECT_EQ("old", ReadFileBytes(dest));
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
    EXPECT_EQ(package_.substr(0, 24576), ReadFileBytes(dest));
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
    EXPECT_EQ(package_, ReadFileBytes(dir_.File(L"p.exe")));
}

namespace {
// Every report checks that the bytes it counts are already in the file: the
// writer works beside the network reads, the count must never run ahead.
struct CountedOnDisk {
    std::wstring path;
    long long reported = 0;
    bool ahead = false;
};
void CountOnDisk(int bytes, void* context) {
    auto* state = static_cast<CountedOnDisk*>(context);
    state->reported += bytes;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(state->path.c_str(), GetFileExInfoStandard, &data) ||
        static_cast<long long>(data.nFileSizeLow) < state->reported)
        state->ahead = true;
}
}  // namespace

TEST_F(Download, EveryReportedByteIsOnDiskWhenItIsReported) {
    CountedOnDisk state;
    state.path = dir_.File(L"p.exe");
    ASSERT_EQ(0, Handler().DownloadResume(state.path, 0, 0, 8192, CountOnDisk, &running_, &state));
    EXPECT_FALSE(state.ahead);
    EXPECT_EQ(static_cast<long long>(package_.size()), state.reported);
    EXPECT_EQ(package_, ReadFileBytes(state.path));
}

TEST_F(Download, ACutInsideAChunkLeavesExactlyTheReceivedBytesCountedAndResumes) {
    // Cut at an odd byte, several chunks in: chunks being written when the
    // connection breaks must all be on disk, and counted, before the return.
    const size_t cut = 5 * 16384 + 4321;
    ASSERT_LT(cut, package_.size());
    ASSERT_TRUE(local_service::SetFault("drop_after", std::to_string(cut)));
    CountedOnDisk state;
    state.path = dir_.File(L"p.exe");
    EXPECT_EQ(ERROR_WINHTTP_CONNECTION_ERROR,
              Handler().DownloadResume(state.path, 0, 0, 16384, CountOnDisk, &running_, &state));
    EXPECT_FALSE(state.ahead);
    EXPECT_EQ(static_cast<long long>(cut), state.reported);
    EXPECT_EQ(package_.substr(0, cut), ReadFileBytes(state.path));

    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_EQ(0, Handler().DownloadResume(state.path, static_cast<int>(state.reported), 0, 16384, CountOnDisk,
                                          &running_, &state));
    EXPECT_EQ("bytes=" + std::to_string(cut) + "-", RangeOfLastRequest());
    EXPECT_EQ(static_cast<long long>(package_.size()), state.reported);
    EXPECT_EQ(package_, ReadFileBytes(state.path));
}
