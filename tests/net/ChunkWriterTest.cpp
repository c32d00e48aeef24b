// The download's writer thread: chunks reach the file in order, progress is
// reported only for bytes on disk, and a failed write stops the writing.
#include "net/ChunkWriter.h"
#include "support/Handles.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

long long FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Every report checks that what it counts is already in the file.
struct OnDisk {
    std::wstring path;
    std::vector<int> calls;
    long long reported = 0;
    bool ahead = false;
};
void CheckOnDisk(int bytes, void* context) {
    auto* state = static_cast<OnDisk*>(context);
    state->calls.push_back(bytes);
    state->reported += bytes;
    if (FileSizeOf(state->path) < state->reported) state->ahead = true;
}

} // namespace

TEST(ChunkWriter, ManyMoreChunksThanBuffersLandInOrderEachReportedOnceAfterItIsWritten) {
    TempDir dir;
    OnDisk state;
    state.path = dir.File(L"out.bin");
    KernelHandle file(::CreateFileW(state.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    std::string expected;
    {
        ChunkWriter writer(file.get(), 4096, CheckOnDisk, &state);
        for (int i = 0; i < 200; ++i) {
            char* buffer = writer.Buffer();
            ASSERT_NE(nullptr, buffer);
            const DWORD length = 1 + static_cast<DWORD>(i * 37 % 4096);  // every length, not chunk-aligned
            for (DWORD b = 0; b < length; ++b) buffer[b] = static_cast<char>('a' + (i + b) % 26);
            expected.append(buffer, length);
            writer.Queue(buffer, length);
        }
        EXPECT_EQ(0, writer.Finish());
        EXPECT_EQ(static_cast<long long>(expected.size()), state.reported);
        ASSERT_EQ(200u, state.calls.size());
    }
    file.reset();
    EXPECT_FALSE(state.ahead) << "a report counted bytes that were not in the file yet";
    EXPECT_EQ(expected, ReadFileBytes(state.path));
}

TEST(ChunkWriter, AFailedWriteIsReturnedAndNothingOfItOrAfterItIsReported) {
    TempDir dir;
    const std::wstring path = dir.File(L"read-only.bin");
    WriteFileBytes(path, "existing");
    // A handle that may not write: every write fails with access denied.
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    OnDisk state;
    state.path = path;
    ChunkWriter writer(file.get(), 1024, CheckOnDisk, &state);
    char* buffer = writer.Buffer();
    ASSERT_NE(nullptr, buffer);
    writer.Queue(buffer, 1024);
    EXPECT_EQ(ERROR_ACCESS_DENIED, writer.Finish());
    EXPECT_EQ(nullptr, writer.Buffer()) << "no more chunks after a failed write";
    EXPECT_EQ(ERROR_ACCESS_DENIED, writer.Finish());
    EXPECT_TRUE(state.calls.empty());
    EXPECT_EQ("existing", ReadFileBytes(path));
}
