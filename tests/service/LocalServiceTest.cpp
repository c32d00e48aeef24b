// Against the local setup service that ctest starts (tools/setup-service).
#include "tests/common/LocalService.h"

#include "net/WinHttpHandler.h"  // ERR_BUFFER_TOO_SMALL
#include "service/SetupListRequest.h"
#include "service/StatisticsReport.h"
#include "support/CodedConversion.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <regex>

namespace {

std::string Utf8(const std::wstring& text) { return CCodedConversion().WideToUtf8(text); }

// The id of the newest stored report; 0 when there is none.
long LastReportId() {
    const nlohmann::json reports = nlohmann::json::parse(local_service::LastStatistics(1));
    return reports.empty() ? 0 : reports[0]["id"].get<long>();
}

class LocalSetupService : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(local_service::Port(), 0) << "the local setup service is not running";
        ASSERT_TRUE(local_service::ResetFaults());
    }
    void TearDown() override { local_service::ResetFaults(); }

    int Ask(const ServiceFacts& facts) {
        return RequestSetupList(local_service::BaseUrl(), facts, L"", list_, QuickRetries());
    }
    std::vector<SetupInfo> Items() {
        std::vector<SetupInfo> items(static_cast<size_t>(list_.Count()));
        for (size_t i = 0; i < items.size(); ++i) list_.GetAt(static_cast<unsigned>(i), items[i]);
        return items;
    }

    CSafeLList<SetupInfo> list_;
};

} // namespace

TEST_F(LocalSetupService, CatalogForTheReportedMachine) {
    ServiceFacts facts = SampleFacts();
    facts.dotNetName = L"netf_4.0_xx";
    ASSERT_EQ(Ask(facts), 0);

    std::string request = local_service::LastRequest();
    EXPECT_EQ(request.substr(0, request.find("\r\n")), "POST /api/setup/install HTTP/1.1");
    EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4),
              "setup_name=kx&setup_type=1&win_ver=win_win10_64&office_ver=office_2010_32&netf_ver=netf_4.0_xx"
              "&local_ver=");

    std::vector<SetupInfo> items = Items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].setup_name, L"kestrane_client");
    EXPECT_EQ(items[0].name, L"Kestrane 翻译客户端");
    EXPECT_EQ(items[0].type, 1);
    EXPECT_EQ(items[0].version, L"1.0.3");
    EXPECT_EQ(items[0].description, L"桌面翻译客户端");
    EXPECT_EQ(items[1].name, L"Word 翻译插件");
    EXPECT_EQ(items[1].type, 4);
    EXPECT_EQ(items[2].type, 16);
    EXPECT_EQ(items[3].name, L"64 位组件");
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_GT(items[i].size, 0) << i;
        EXPECT_EQ(items[i].sort, static_cast<int>(i) + 1);
        EXPECT_EQ(items[i].url.rfind(local_service::BaseUrl() + L"/packages/", 0), 0u) << i;
        EXPECT_TRUE(std::regex_match(items[i].md5, std::wregex(L"[0-9a-f]{32}"))) << i;
    }

    // Another machine gets fewer packages; the list is not cleared, and the
    // one it gets is already listed under its name: nothing is added twice.
    facts.windowsName = L"win_win7_32";
    facts.officeName = L"??";
    facts.dotNetName = L"netf_4.5_xx";
    ASSERT_EQ(Ask(facts), 0);
    ASSERT_EQ(list_.Count(), 4);
    EXPECT_EQ(Items()[0].setup_name, L"kestrane_client");
}

TEST_F(LocalSetupService, EscapedSlashesAndTheLargestAnswer) {
    ASSERT_TRUE(local_service::SetFault("json", "escaped_slashes"));
    ASSERT_EQ(Ask(SampleFacts()), 0);
    ASSERT_GT(list_.Count(), 0);
    EXPECT_EQ(Items()[0].url.rfind(L"http://127.0.0.1:", 0), 0u);

    ASSERT_TRUE(local_service::ResetFaults());
    list_.Clear();
    ASSERT_TRUE(local_service::SetFault("json_bytes", "163838"));
    ASSERT_EQ(Ask(SampleFacts()), 0);
    EXPECT_EQ(list_.Count(), 3);

    // One byte more does not fit the 0x28000-byte buffer with its terminator.
    CapturedLog log;
    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_TRUE(local_service::SetFault("json", "oversized"));
    EXPECT_EQ(Ask(SampleFacts()), ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(list_.Count(), 3);
    EXPECT_NE(log.Text().find(L"[ERROR] CModelSetup::GetSetupList 提交获取请求失败 Errno=-1!"), std::wstring::npos);
}

TEST_F(LocalSetupService, RefusalsAndBrokenAnswers) {
    CapturedLog log;
    ServiceFacts stranger = SampleFacts();
    stranger.setupName = L"unknown";
    EXPECT_EQ(Ask(stranger), ERR_BAD_RESPONSE);
    for (const char* kind : {"malformed", "nonobject", "refusal"}) {
        ASSERT_TRUE(local_service::SetFault("json", kind));
        EXPECT_EQ(Ask(SampleFacts()), ERR_BAD_RESPONSE) << kind;
    }
    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_TRUE(local_service::SetFault("status", "500"));
    EXPECT_EQ(Ask(SampleFacts()), ERR_BAD_RESPONSE);
    EXPECT_EQ(list_.Count(), 0);

    std::wstring text = log.Text();
    EXPECT_NE(text.find(L"[ERROR] CModelSetup::GetSetupList 服务器响应请求失败：unknown setup_name: unknown"),
              std::wstring::npos)
        << text;
    EXPECT_NE(text.find(L"[ERROR] CModelSetup::GetSetupList 服务器响应请求失败：服务暂停 (local fault)"),
              std::wstring::npos);
    EXPECT_NE(text.find(L"[ERROR] CModelSetup::GetSetupList 解析json信息异常:"), std::wstring::npos);
}

TEST_F(LocalSetupService, AnUnavailableServiceIsAskedAgainAndEachRetryLogged) {
    CapturedLog log;
    ASSERT_TRUE(local_service::SetFaults({{"status", "503"}, {"status_times", "2"}, {"retry_after", "1"}}));
    std::vector<RetryNotice> notices;
    ResponseFacts last;
    ASSERT_EQ(RequestSetupList(local_service::BaseUrl(), SampleFacts(), L"", list_, QuickRetries(),
                               [&notices](const RetryNotice& n) { notices.push_back(n); }, &last),
              0);
    EXPECT_GT(list_.Count(), 0);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].waitMs, 100u) << "one Retry-After second";
    EXPECT_EQ(last.status, 200u);
    const std::wstring text = log.Text();
    EXPECT_NE(text.find(L"[WARN] CModelSetup::GetSetupList 第1次重试（共3次），100毫秒后开始，原因：HTTP 503, "
                        L"Retry-After 1 s"),
              std::wstring::npos)
        << text;
    EXPECT_NE(text.find(L"[WARN] CModelSetup::GetSetupList 第2次重试（共3次）"), std::wstring::npos);
    EXPECT_NE(text.find(L"[INFORMATION] CModelSetup::GetSetupList 网络连接: "), std::wstring::npos);

    // A page that is not there is asked for once.
    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_TRUE(local_service::SetFault("status", "404"));
    notices.clear();
    EXPECT_EQ(RequestSetupList(local_service::BaseUrl(), SampleFacts(), L"", list_, QuickRetries(),
                               [&notices](const RetryNotice& n) { notices.push_back(n); }),
              ERR_BAD_RESPONSE);
    EXPECT_TRUE(notices.empty());
    EXPECT_EQ(local_service::CountOf(local_service::Journal("/api/setup/install"), "\"method\""), 1);
}

TEST_F(LocalSetupService, AReportIsSentAgainOnlyWhenItCannotHaveBeenStored) {
    const std::string body = "\"path\": \"/api/statistics\"";
    ASSERT_TRUE(local_service::SetFaults({{"status", "503"}, {"status_times", "1"}}));
    const long before = LastReportId();
    EXPECT_TRUE(PostStatistics(local_service::BaseUrl(), L"v", L"setup_online", L"{}", QuickRetries()));
    EXPECT_EQ(local_service::CountOf(local_service::Journal("/api/statistics"), body), 2);
    EXPECT_EQ(LastReportId(), before + 1) << "stored once";

    // A server error may have come after the report was stored: not sent again.
    ASSERT_TRUE(local_service::ResetFaults());
    ASSERT_TRUE(local_service::SetFault("status", "500"));
    EXPECT_TRUE(PostStatistics(local_service::BaseUrl(), L"v", L"setup_online", L"{}", QuickRetries()));
    EXPECT_EQ(local_service::CountOf(local_service::Journal("/api/statistics"), body), 1);
}

TEST_F(LocalSetupService, StatisticsAreStoredAsSent) {
    ServiceFacts facts = SampleFacts();
    facts.errorCode = 5;
    facts.errorMessage = L"【安装失败】name：Say \"hi\"_V1.0, 错误信息：验证失败，code=5 C:\\x";
    std::wstring remark = FormatStatisticsRemark(facts, L"Say \"hi\"_1.0;");
    ASSERT_TRUE(PostStatistics(local_service::BaseUrl(), L"1, 1, 0, 33612", L"setup_online", remark));

    nlohmann::json reports = nlohmann::json::parse(local_service::LastStatistics(1));
    ASSERT_EQ(reports.size(), 1u);
    const nlohmann::json& fields = reports[0].at("fields");
    EXPECT_EQ(fields.at("ver").get<std::string>(), "1, 1, 0, 33612");
    EXPECT_EQ(fields.at("type").get<std::string>(), "setup_online");
    EXPECT_EQ(fields.at("rdtype").get<std::string>(), "0");
    EXPECT_EQ(fields.at("view_mode").get<std::string>(), "client");
    EXPECT_EQ(fields.at("remark").get<std::string>(), Utf8(remark));
    EXPECT_EQ(reports[0].at("raw").get<std::string>(),
              "ver=1, 1, 0, 33612&type=setup_online&rdtype=0&remark=" + Utf8(remark) + "&view_mode=client");

    // What the service stores is JSON it can read back.
    nlohmann::json stored = nlohmann::json::parse(fields.at("remark").get<std::string>());
    EXPECT_EQ(stored.at("error_msg").get<std::string>(), Utf8(facts.errorMessage));
    EXPECT_EQ(stored.at("error_code").get<std::string>(), "5");
    EXPECT_EQ(stored.at("setup_list").get<std::string>(), "Say \"hi\"_1.0;");
}
