// Base URL normalisation and the scheme a request goes out with.
#include "net/WinHttpHandler.h"
#include "tests/net/CaptureServer.h"

#include <gtest/gtest.h>

TEST(BaseUrl, AddressWithoutSchemeGainsHttpAndLosesTrailingBackslash) {
    EXPECT_EQ(L"http://setup.example.cn", CWinHttpHandler(L"setup.example.cn\\").BaseUrl());
    EXPECT_EQ(L"http://127.0.0.1:8080/api", CWinHttpHandler(L"127.0.0.1:8080/api").BaseUrl());
    EXPECT_EQ(L"http://a.cn/x\\", CWinHttpHandler(L"http://a.cn/x\\\\").BaseUrl());  // only one backslash goes
}

TEST(BaseUrl, AnyHttpOccurrenceKeepsTheTextAsItIs) {
    EXPECT_EQ(L"http://a.cn/f.exe", CWinHttpHandler(L"http://a.cn/f.exe").BaseUrl());
    EXPECT_EQ(L"proxy?u=http://a.cn", CWinHttpHandler(L"proxy?u=http://a.cn").BaseUrl());
}

TEST(BaseUrl, SchemesMatchWithoutRegardToCase) {
    EXPECT_EQ(L"HTTP://a.cn/f.exe", CWinHttpHandler(L"HTTP://a.cn/f.exe").BaseUrl());
    EXPECT_EQ(L"Http://127.0.0.1:8080", CWinHttpHandler(L"Http://127.0.0.1:8080").BaseUrl());
    EXPECT_EQ(L"hTTpS://a.cn", CWinHttpHandler(L"hTTpS://a.cn").BaseUrl());
}

TEST(BaseUrl, HttpsKeepsItsScheme) {
    EXPECT_EQ(L"https://setup.example.cn", CWinHttpHandler(L"https://setup.example.cn").BaseUrl());
    EXPECT_EQ(L"HTTPS://a.cn:8443/x", CWinHttpHandler(L"HTTPS://a.cn:8443/x").BaseUrl());
}

TEST(BaseUrl, HttpsRequestGoesOutSecuredOnItsPort) {
    // A plain server on the given port receives a TLS handshake, not HTTP
    // text, and the request fails in the handshake.
    CaptureServer server;
    CWinHttpHandler handler(L"https://127.0.0.1:" + std::to_wstring(server.Port()));
    char buffer[64];
    unsigned size = sizeof(buffer);
    int rc = handler.PostForm(L"/api/setup/install", {}, buffer, size);
    EXPECT_NE(0, rc);
    ASSERT_TRUE(server.WaitForRequests(1));
    std::string hello = server.Requests().at(0);
    ASSERT_FALSE(hello.empty());
    EXPECT_EQ(0x16, static_cast<unsigned char>(hello[0]));  // TLS handshake record
    EXPECT_EQ(std::string::npos, hello.find("POST"));
}

TEST(BaseUrl, PlainHttpOnTheSamePortIsNotSecured) {
    CaptureServer server;
    const std::wstring address = L"127.0.0.1:" + std::to_wstring(server.Port());
    // With no scheme, and with one in capitals.
    const std::wstring bases[] = {address, L"HTTP://" + address};
    for (size_t i = 0; i < 2; ++i) {
        CWinHttpHandler handler(bases[i]);
        char buffer[64];
        unsigned size = sizeof(buffer);
        ASSERT_EQ(0, handler.PostForm(L"/api/setup/install", {}, buffer, size)) << i;
        ASSERT_TRUE(server.WaitForRequests(i + 1));
        EXPECT_EQ("POST /api/setup/install HTTP/1.1", HeadLines(server.Requests().at(i)).at(0));
    }
}

TEST(BaseUrl, HostLongerThanItsBufferFailsInTheSplit) {
    CWinHttpHandler handler(L"http://" + std::wstring(300, L'h') + L".cn/x");
    char buffer[64];
    unsigned size = sizeof(buffer);
    int rc = handler.PostForm(L"", {}, buffer, size);
    EXPECT_NE(0, rc);
    EXPECT_NE(ERR_BUFFER_TOO_SMALL, rc);
}
