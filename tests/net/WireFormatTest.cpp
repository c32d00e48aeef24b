// What the requests put on the wire, read back by a capturing loopback server.
#include "tests/net/CaptureServer.h"  // winsock2.h before windows.h

#include "net/WinHttpHandler.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

namespace {
constexpr char kUserAgent[] = "A WinHTTP Example Program/1.0";

std::string LastRequest(CaptureServer& server) {
    std::vector<std::string> requests = server.Requests();
    return requests.empty() ? std::string() : requests.back();
}
}  // namespace

TEST(WireFormat, PostFormSendsFieldsUnencodedInOrder) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    std::vector<FormField> fields;
    fields.push_back(MakeLiteralField("a", "1"));
    fields.push_back(MakeFormField("b", "x y&z"));
    char buffer[256];
    unsigned size = sizeof(buffer);

    ASSERT_EQ(0, handler.PostForm(L"/api/setup/install", fields, buffer, size));
    std::string request = LastRequest(server);
    std::vector<std::string> lines = HeadLines(request);
    EXPECT_EQ("POST /api/setup/install HTTP/1.1", lines.at(0));
    EXPECT_EQ(kUserAgent, HeaderValue(request, "User-Agent"));
    EXPECT_EQ("application/x-www-form-urlencoded", HeaderValue(request, "Content-Type"));
    EXPECT_EQ(1, HeaderCount(request, "Content-Type"));
    EXPECT_EQ("11", HeaderValue(request, "Content-Length"));
    EXPECT_EQ("127.0.0.1:" + std::to_string(server.Port()), HeaderValue(request, "Host"));
    EXPECT_EQ("a=1&b=x y&z", BodyOf(request));
    EXPECT_EQ("ok", std::string(buffer, size));
}

TEST(WireFormat, PostFormWithNoFieldsSendsAnEmptyBody) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    char buffer[64];
    unsigned size = sizeof(buffer);
    ASSERT_EQ(0, handler.PostForm(L"/api/statistics", {}, buffer, size));
    std::string request = LastRequest(server);
    EXPECT_EQ("POST /api/statistics HTTP/1.1", HeadLines(request).at(0));
    EXPECT_EQ("0", HeaderValue(request, "Content-Length"));
    EXPECT_EQ("", BodyOf(request));
}

TEST(WireFormat, PostFormDropsTheQueryOfItsPathButGetKeepsIt) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    std::vector<FormField> fields;
    fields.push_back(MakeLiteralField("k", "v"));
    char buffer[64];
    unsigned size = sizeof(buffer);
    ASSERT_EQ(0, handler.PostForm(L"/api/setup/install?debug=1&x=2", fields, buffer, size));
    EXPECT_EQ("POST /api/setup/install HTTP/1.1", HeadLines(LastRequest(server)).at(0));

    size = sizeof(buffer);
    ASSERT_EQ(0, handler.Get(server.BaseUrl() + L"/file.bin?debug=1", buffer, size));
    std::string request = LastRequest(server);
    EXPECT_EQ("GET /file.bin?debug=1 HTTP/1.1", HeadLines(request).at(0));
    EXPECT_EQ(kUserAgent, HeaderValue(request, "User-Agent"));
    EXPECT_EQ("", BodyOf(request));
}

TEST(WireFormat, PostMultipartLayout) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    std::vector<FormField> fields;
    fields.push_back(MakeLiteralField("ver", "1, 1, 0, 33612"));
    fields.push_back(MakeFormField("blob", std::string("a\0b\r\n", 5)));  // binary passes unchanged
    char buffer[64];
    unsigned size = sizeof(buffer);
    ASSERT_EQ(0, handler.PostMultipart(L"/upload", fields, buffer, size));

    const std::string boundary = "-------------------7d1335905873";
    const std::string expected = "--" + boundary + "\r\n" +
                                 "Content-Disposition: form-data; name=\"ver\"\r\n\r\n" + "1, 1, 0, 33612\r\n" +
                                 "--" + boundary + "\r\n" + "Content-Disposition: form-data; name=\"blob\"\r\n\r\n" +
                                 std::string("a\0b\r\n", 5) + "\r\n" + "--" + boundary + "--\r\n\r\n";
    std::string request = LastRequest(server);
    EXPECT_EQ("POST /upload HTTP/1.1", HeadLines(request).at(0));
    EXPECT_EQ("multipart/form-data; boundary=" + boundary, HeaderValue(request, "Content-Type"));
    EXPECT_EQ(std::to_string(expected.size()), HeaderValue(request, "Content-Length"));
    EXPECT_EQ(1, HeaderCount(request, "Content-Length"));
    EXPECT_EQ(expected, BodyOf(request));
    EXPECT_EQ("ok", std::string(buffer, size));
}

TEST(WireFormat, PostMultipartWithNoFieldsFailsBeforeConnecting) {
    CaptureServer server;
    CWinHttpHandler handler(server.BaseUrl());
    char buffer[64];
    unsigned size = sizeof(buffer);
    EXPECT_EQ(ERR_BUFFER_TOO_SMALL, handler.PostMultipart(L"/upload", {}, buffer, size));
    // The next request is the first one the server sees.
    ASSERT_EQ(0, handler.Get(server.BaseUrl() + L"/marker", buffer, size));
    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("GET /marker HTTP/1.1", HeadLines(requests[0]).at(0));
}

TEST(WireFormat, DownloadRangeHeaders) {
    CaptureServer server;
    server.SetBody("data");
    TempDir dir;
    std::atomic<int> running{1};
    CWinHttpHandler handler(server.BaseUrl() + L"/packages/p.exe?v=2");

    ASSERT_EQ(0, handler.DownloadResume(dir.File(L"a.bin"), 0, 0, 4096, nullptr, &running, nullptr));
    std::string request = LastRequest(server);
    EXPECT_EQ("GET /packages/p.exe?v=2 HTTP/1.1", HeadLines(request).at(0));
    EXPECT_EQ(kUserAgent, HeaderValue(request, "User-Agent"));
    EXPECT_EQ(0, HeaderCount(request, "Range"));

    handler.DownloadResume(dir.File(L"b.bin"), 3, 0, 4096, nullptr, &running, nullptr);
    EXPECT_EQ("bytes=3-", HeaderValue(LastRequest(server), "Range"));
    handler.DownloadResume(dir.File(L"c.bin"), 1000, 1999, 4096, nullptr, &running, nullptr);
    EXPECT_EQ("bytes=1000-1999", HeaderValue(LastRequest(server), "Range"));
    handler.DownloadRangeToFile(dir.File(L"d.bin"), 1000, 0, 4096, nullptr, &running, nullptr);
    EXPECT_EQ("bytes=1000-", HeaderValue(LastRequest(server), "Range"));
    EXPECT_EQ(1, HeaderCount(LastRequest(server), "Range"));
    ASSERT_EQ(0, handler.DownloadToFile(dir.File(L"e.bin")));
    EXPECT_EQ("GET /packages/p.exe?v=2 HTTP/1.1", HeadLines(LastRequest(server)).at(0));
    EXPECT_EQ(0, HeaderCount(LastRequest(server), "Range"));
}
