#include "support/Md5.h"

#include "tests/common/TempDir.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Md5Of(const std::string& text) {
    Md5Digest md5;
    md5.Update(text.data(), text.size());
    md5.Finalise();
    return md5.HexDigest();
}

void WriteFile(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

} // namespace

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Md5Of(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Of("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5Of("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5Of("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5Of("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5Of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5Of("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, MillionAsSpanManyBlocksInOneUpdate) {
    EXPECT_EQ(Md5Of(std::string(1000000, 'a')), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, PiecewiseUpdatesMatchOneUpdate) {
    std::string text(1000, '\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
    Md5Digest pieces;
    for (size_t at = 0, step = 1; at < text.size(); at += step, step = step % 70 + 1)
        pieces.Update(text.data() + at, std::min(step, text.size() - at));
    pieces.Finalise();
    EXPECT_EQ(pieces.HexDigest(), Md5Of(text));
}

TEST(Md5, DigestBeforeFinaliseIsEmpty) {
    Md5Digest md5;
    md5.Update("abc", 3);
    EXPECT_EQ(md5.HexDigest(), "");
}

TEST(FileMd5Hex, EmptyMissingAndLargeFiles) {
    TempDir dir;
    WriteFile(dir.File(L"empty.bin"), "");
    EXPECT_EQ(FileMd5Hex(dir.File(L"empty.bin")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(FileMd5Hex(dir.File(L"missing.bin")), "");

    // Larger than the read block, and not a multiple of it or of 64.
    std::string big(3 * 1024 * 1024 + 12345, '\0');
    uint32_t x = 12345;
    for (char& c : big) { x = x * 1103515245u + 12345u; c = static_cast<char>(x >> 24); }
    WriteFile(dir.File(L"big.bin"), big);
    EXPECT_EQ(FileMd5Hex(dir.File(L"big.bin")), Md5Of(big));
}

TEST(FileMd5Hex, ChinesePath) {
    TempDir dir;
    std::wstring path = dir.File(L"安装包.exe");
    WriteFile(path, "abc");
    EXPECT_EQ(FileMd5Hex(path), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(FileMd5Hex, FileLockedByAnotherOpenerGivesEmptyText) {
    TempDir dir;
    std::wstring path = dir.File(L"locked.bin");
    WriteFile(path, "abc");
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(FileMd5Hex(path), "");
    ::CloseHandle(h);
    EXPECT_EQ(FileMd5Hex(path), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(FileMd5Hex, PathOutsideTheAnsiCodePage) {
    // A user name in Korean or with "ñ": neither exists in code page 936.
    TempDir dir;
    std::wstring folder = dir.File(L"사용자 Muñoz");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    std::wstring path = folder + L"\\패키지.exe";
    WriteFile(path, "abc");
    EXPECT_EQ(FileMd5Hex(path), "900150983cd24fb0d6963f7d28e17f72");
}
