// Response bodies against the caller's buffer, and what a request does with
// statuses and bodies cut short, and downloads that would outgrow the 32-bit
// sizes.
#include "tests/net/CaptureServer.h"  // winsock2.h before windows.h

#include "net/WinHttpHandler.h"
#include "tests/common/FileBytes.h"
#include "tests/common/TempDir.h"

#include <winhttp.h>

#include <gtest/gtest.h>

namespace {
constexpr unsigned kCapacity = 4096;

std::string Body(size_t length) {
    std::string body(length, '\0');
    for (size_t i = 0; i < length; ++i) body[i] = static_cast<char>('a' + i % 26);
    return body;
}

std::vector<FormField> OneField() {
    std::vector<FormField> fields;
    fields.push_back(MakeLiteralField("k", "v"));
    return fields;
}
}  // namespace

TEST(BufferBounds, PostFormAndGetAcceptCapacityMinusTwoAndTerminate) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    const std::string body = Body(kCapacity - 2);
    server.SetBody(body);
    std::vector<char> buffer(kCapacity, '#');

    unsigned size = kCapacity;
    ASSERT_EQ(0, handler.PostForm(L"/p", OneField(), buffer.data(), size));
    EXPECT_EQ(kCapacity - 2, size);
    EXPECT_EQ(body, std::string(buffer.data(), size));
    EXPECT_EQ('\0', buffer[kCapacity - 2]);

    std::fill(buffer.begin(), buffer.end(), '#');
    size = kCapacity;
    ASSERT_EQ(0, handler.Get(server.BaseUrl() + L"/g", buffer.data(), size));
    EXPECT_EQ(kCapacity - 2, size);
    EXPECT_EQ(body, std::string(buffer.data(), size));
    EXPECT_EQ('\0', buffer[kCapacity - 2]);
}

TEST(BufferBounds, PostFormAndGetRefuseCapacityMinusOne) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    server.SetBody(Body(kCapacity - 1));
    std::vector<char> buffer(kCapacity);

    unsigned size = kCapacity;
    EXPECT_EQ(ERR_BUFFER_TOO_SMALL, handler.PostForm(L"/p", OneField(), buffer.data(), size));
    EXPECT_EQ(kCapacity, size);  // left as passed
    size = kCapacity;
    EXPECT_EQ(ERR_BUFFER_TOO_SMALL, handler.Get(server.BaseUrl() + L"/g", buffer.data(), size));
    EXPECT_EQ(kCapacity, size);
}

TEST(BufferBounds, PostMultipartAcceptsCapacityMinusOneAndRefusesCapacity) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    std::vector<char> buffer(kCapacity + 1, '#');

    const std::string fits = Body(kCapacity - 1);
    server.SetBody(fits);
    unsigned size = kCapacity;
    ASSERT_EQ(0, handler.PostMultipart(L"/m", OneField(), buffer.data(), size));
    EXPECT_EQ(kCapacity - 1, size);
    EXPECT_EQ(fits, std::string(buffer.data(), size));
    EXPECT_EQ('#', buffer[kCapacity - 1]);  // no terminator stored

    server.SetBody(Body(kCapacity));
    size = kCapacity;
    EXPECT_EQ(ERR_BUFFER_TOO_SMALL, handler.PostMultipart(L"/m", OneField(), buffer.data(), size));
    EXPECT_EQ(kCapacity, size);
}

TEST(BufferBounds, StatusIsNotExamined) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    server.SetBody("<html>gone</html>", 404);
    char buffer[256];
    unsigned size = sizeof(buffer);
    ASSERT_EQ(0, handler.PostForm(L"/p", OneField(), buffer, size));
    EXPECT_STREQ("<html>gone</html>", buffer);
    size = sizeof(buffer);
    server.SetBody("<html>broken</html>", 500);
    ASSERT_EQ(0, handler.Get(server.BaseUrl() + L"/g", buffer, size));
    EXPECT_STREQ("<html>broken</html>", buffer);
}

TEST(BufferBounds, ABodyCutShortEndsPostForm) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n";
    server.SetResponse(head + Body(1000), static_cast<long long>(head.size()) + 300);
    char buffer[2048];

    unsigned size = sizeof(buffer);
    ASSERT_EQ(0, handler.PostForm(L"/p", OneField(), buffer, size));
    EXPECT_EQ(300u, size);
    EXPECT_EQ(Body(300), std::string(buffer, size));
    EXPECT_EQ('\0', buffer[300]);
}

TEST(BufferBounds, AnUnreachableServerGivesTheWindowsError) {
    int port;
    {
        CaptureServer closed;  // a port that was just free
        port = closed.Port();
    }
    CWinHttpHandler handler(L"127.0.0.1:" + std::to_wstring(port));
    char buffer[64];
    unsigned size = sizeof(buffer);
    EXPECT_EQ(ERROR_WINHTTP_CANNOT_CONNECT, handler.PostForm(L"/p", OneField(), buffer, size));
}

// A package's sizes are 32-bit numbers: a body announced to take the file
// past 2 GiB - 1 is refused before a byte of it is written.
TEST(BufferBounds, DownloadResumeRefusesAFileBeyond32BitSizes) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl() + L"/big.exe");
    TempDir dir;
    const std::wstring file = dir.File(L"big.exe");

    std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 4294967297\r\n\r\n";
    server.SetResponse(head + Body(1000), static_cast<long long>(head.size()) + 1000);
    EXPECT_EQ(ERROR_FILE_TOO_LARGE, handler.DownloadResume(file, 0, 0, 65536, nullptr, nullptr, nullptr));
    EXPECT_EQ(::GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << "nothing was written";

    // A resumed part whose end lies one byte past the limit.
    WriteFileBytes(file, "12345");
    head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 5-2147483647/2147483648\r\n"
           "Content-Length: 2147483643\r\n\r\n";
    server.SetResponse(head + Body(1000), static_cast<long long>(head.size()) + 1000);
    EXPECT_EQ(ERROR_FILE_TOO_LARGE, handler.DownloadResume(file, 5, 0, 65536, nullptr, nullptr, nullptr));
    EXPECT_EQ(ReadFileBytes(file), "12345");

    // Up to the limit itself it is an ordinary download (here one cut short).
    head = "HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 5-2147483646/2147483647\r\n"
           "Content-Length: 2147483642\r\n\r\n";
    server.SetResponse(head + Body(1000), static_cast<long long>(head.size()) + 1000);
    const int cut = handler.DownloadResume(file, 5, 0, 65536, nullptr, nullptr, nullptr);
    EXPECT_NE(cut, 0);
    EXPECT_NE(cut, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(ReadFileBytes(file), "12345" + Body(1000));
}
