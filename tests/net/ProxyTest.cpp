// The proxy every request goes through, chosen from the real registry of the
// prefix as a browser would, against the local proxy of the setup service.
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "net/ProxyChoice.h"
#include "net/Retry.h"
#include "net/WinHttpHandler.h"
#include "tests/common/ProxySettings.h"
#include "tests/common/TempDir.h"

#include <winhttp.h>

#include <gtest/gtest.h>

#include <vector>

using namespace proxy_settings;

namespace {

std::string ProxyAddress() { return "127.0.0.1:" + std::to_string(local_service::ProxyPort()); }
std::wstring WideProxyAddress() { return L"127.0.0.1:" + std::to_wstring(local_service::ProxyPort()); }
std::string ScriptUrl() { return "http://127.0.0.1:" + std::to_string(local_service::Port()) + "/proxy.pac"; }

int PostList(CWinHttpHandler& http) {
    std::vector<FormField> fields;
    fields.push_back(MakeLiteralField("setup_name", "kx"));
    fields.push_back(MakeLiteralField("setup_type", "1"));
    std::vector<char> answer(0x28000, '\0');
    unsigned size = static_cast<unsigned>(answer.size());
    return http.PostForm(L"/api/setup/install", fields, answer.data(), size);
}

class Proxy : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(0, local_service::ProxyPort()) << "the local proxy is not running";
        ASSERT_TRUE(local_service::ResetFaults());
    }
    void TearDown() override { local_service::ResetFaults(); }

    // A list request and a download through whatever the settings choose;
    // true when both went through the local proxy.
    void ExpectListAndDownloadThroughTheProxy() {
        CWinHttpHandler service(local_service::BaseUrl());
        ASSERT_EQ(0, PostList(service));
        EXPECT_EQ(WideProxyAddress(), service.LastResponse().proxy.proxy);
        CWinHttpHandler package(local_service::PackageUrl(L"WordAddin_V2.1.exe"));
        ASSERT_EQ(0, package.DownloadResume(dir_.File(L"a.exe"), 0, 0, 65536, nullptr, &running_, nullptr));
        const std::string seen = local_service::ProxyJournal();
        EXPECT_EQ(1, local_service::CountOf(seen, "\"path\": \"/api/setup/install\"")) << seen;
        EXPECT_EQ(1, local_service::CountOf(seen, "\"path\": \"/packages/WordAddin_V2.1.exe\"")) << seen;
    }

    TempDir dir_;
    std::atomic<int> running_{1};
};

}  // namespace

TEST_F(Proxy, AScriptNamedInTheUsersSettingsChoosesTheProxy) {
    UserSettings settings(kDirect | kScript, "", "", ScriptUrl());
    ASSERT_TRUE(settings.Written());
    const ProxyChoice choice = ChooseProxy(local_service::BaseUrl() + L"/api/setup/install");
    EXPECT_EQ(ProxySource::Script, choice.source);
    EXPECT_EQ(WideProxyAddress(), choice.proxy);
    EXPECT_NE(DescribeProxy(choice).find(L"/proxy.pac"), std::wstring::npos);
    ExpectListAndDownloadThroughTheProxy();
}

TEST_F(Proxy, TheUsersExplicitProxyAndBypassListAreUsed) {
    {
        UserSettings settings(kDirect | kExplicitProxy, ProxyAddress());
        ASSERT_TRUE(settings.Written());
        EXPECT_EQ(ProxySource::User, ChooseProxy(local_service::BaseUrl()).source);
        ExpectListAndDownloadThroughTheProxy();
    }
    ASSERT_TRUE(local_service::ResetFaults());
    UserSettings bypassed(kDirect | kExplicitProxy, ProxyAddress(), "127.0.0.1");
    CWinHttpHandler service(local_service::BaseUrl());
    ASSERT_EQ(0, PostList(service));
    EXPECT_EQ(0, local_service::CountOf(local_service::ProxyJournal(), "\"method\"")) << "the host is bypassed";
}

TEST_F(Proxy, AScriptThatCannotBeFetchedFallsBackToTheExplicitProxy) {
    // A port nothing listens on: the service's port plus one is taken by no one here.
    const std::string deadScript = "http://127.0.0.1:1/none.pac";
    UserSettings settings(kDirect | kScript | kExplicitProxy, ProxyAddress(), "", deadScript);
    const ProxyChoice choice = ChooseProxy(local_service::BaseUrl());
    EXPECT_EQ(ProxySource::User, choice.source);
    EXPECT_EQ(WideProxyAddress(), choice.proxy);
}

TEST_F(Proxy, WithoutUserSettingsTheMachinesSettingApplies) {
    UserSettings direct(kDirect);
    MachineSetting machine(ProxyAddress());
    ASSERT_TRUE(machine.Written());
    CWinHttpHandler service(local_service::BaseUrl());
    ASSERT_EQ(0, PostList(service));
    EXPECT_EQ(1, local_service::CountOf(local_service::ProxyJournal(), "\"path\": \"/api/setup/install\""));
}

TEST_F(Proxy, AProxyAskingForCredentialsFailsAsProxyAuthentication) {
    UserSettings settings(kDirect | kExplicitProxy, ProxyAddress());
    // A password scheme: there is nothing to answer with, one request only.
    ASSERT_TRUE(local_service::SetFault("proxy_auth", "basic"));
    CWinHttpHandler service(local_service::BaseUrl());
    EXPECT_EQ(ERR_PROXY_AUTH, PostList(service));
    EXPECT_EQ(TransportFailure::ProxyAuth, ClassifyTransport(ERR_PROXY_AUTH, service.LastResponse()));
    EXPECT_EQ(1, local_service::CountOf(local_service::ProxyJournal(), "\"method\""));

    // A logon scheme: the request is sent again for WinHTTP to log on as the
    // signed-in user. Wine has no logon to offer, so the proxy still refuses.
    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_TRUE(local_service::SetFault("proxy_auth", "ntlm"));
    CWinHttpHandler package(local_service::PackageUrl(L"WordAddin_V2.1.exe"));
    EXPECT_EQ(ERR_PROXY_AUTH, package.DownloadResume(dir_.File(L"a.exe"), 0, 0, 65536, nullptr, &running_, nullptr));
    EXPECT_GE(local_service::CountOf(local_service::ProxyJournal(), "\"method\""), 2);
    EXPECT_FALSE(::GetFileAttributesW(dir_.File(L"a.exe").c_str()) != INVALID_FILE_ATTRIBUTES)
        << "a refusal writes nothing";

    // An unreachable proxy is a proxy failure, not the server's.
    UserSettings dead(kDirect | kExplicitProxy, "127.0.0.1:1");
    CWinHttpHandler unreachable(local_service::BaseUrl());
    const int rc = PostList(unreachable);
    EXPECT_EQ(ERROR_WINHTTP_CANNOT_CONNECT, rc);
    EXPECT_EQ(TransportFailure::Proxy, ClassifyTransport(rc, unreachable.LastResponse()));
}
