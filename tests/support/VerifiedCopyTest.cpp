// Copying while digesting: the digest is that of the copy's bytes, the source
// cannot change meanwhile, and a source still being written is never taken.
#include "support/VerifiedCopy.h"

#include "support/Handles.h"
#include "support/Md5.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <string>

TEST(VerifiedCopy, CopiesAndDigestsInOneReadUnderWidePaths) {
    TempDir dir;
    const std::wstring folder = dir.File(L"사용자 Muñoz");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    // More than one read block, and not a multiple of it.
    std::string bytes(2 * 1024 * 1024 + 777, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 31 + (i >> 12));
    const std::wstring source = folder + L"\\패키지.exe";
    const std::wstring copy = dir.File(L"copy.exe");
    WriteFileBytes(source, bytes);
    WriteFileBytes(copy, "an older copy, longer than nothing");

    std::string digest;
    ASSERT_EQ(CopyWithMd5(source, copy, digest), 0u);
    EXPECT_EQ(ReadFileBytes(copy), bytes);
    EXPECT_EQ(digest, FileMd5Hex(source));
    EXPECT_EQ(digest.size(), 32u);
}

TEST(VerifiedCopy, WhileTheSourceIsReadNobodyCanWriteRenameOrRemoveIt) {
    TempDir dir;
    const std::wstring source = dir.File(L"package.exe");
    WriteFileBytes(source, "verified bytes");
    DWORD error = 1;
    KernelHandle reading = OpenUnchangeable(source, error);
    ASSERT_TRUE(reading);
    EXPECT_EQ(error, 0u);
    KernelHandle writer(::CreateFileW(source.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      0, nullptr));
    EXPECT_FALSE(writer);
    EXPECT_FALSE(::DeleteFileW(source.c_str()));
    EXPECT_FALSE(::MoveFileW(source.c_str(), dir.File(L"renamed.exe").c_str()));
    // Other readers are welcome.
    KernelHandle reader(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
    EXPECT_TRUE(reader);
    reader.reset();
    reading.reset();
    EXPECT_EQ(ReadFileBytes(source), "verified bytes");
}

TEST(VerifiedCopy, ASourceHeldOpenForWritingIsNeverTaken) {
    TempDir dir;
    const std::wstring source = dir.File(L"package.exe");
    const std::wstring copy = dir.File(L"copy.exe");
    WriteFileBytes(source, "still being written");
    KernelHandle writer(::CreateFileW(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    std::string digest = "stale";
    EXPECT_EQ(CopyWithMd5(source, copy, digest), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(digest, "");
    EXPECT_FALSE(Exists(copy));
    EXPECT_EQ(ReadFileBytes(source), "still being written");

    // A missing source is no sharing question: reported at once.
    writer.reset();
    EXPECT_EQ(CopyWithMd5(dir.File(L"missing.exe"), copy, digest), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(Exists(copy));
}
