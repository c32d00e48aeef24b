// The capture server brings winsock2.h, which must come before windows.h.
#include "tests/net/CaptureServer.h"

#include "service/StatisticsReport.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

const char kVersion[] = "1, 1, 0, 33612";

std::string Utf8(const std::wstring& text) { return CCodedConversion().WideToUtf8(text); }

ServiceFacts SucceededRun() {
    ServiceFacts facts = SampleFacts();
    facts.errorCode = 0;
    facts.errorMessage = L"【安装成功】";
    return facts;
}

} // namespace

TEST(Statistics, RemarkKeepsTheStoredLayout) {
    EXPECT_EQ(FormatStatisticsRemark(SucceededRun(), L"A_1.0;B_2.1;"),
              L"{\"setup_name\":\"kx\",\"win_ver\":\"win_win10_64\",\"office_ver\":\"office_2010_32\","
              L"\t\t\t\t\t   \"netf_ver\":\"netf_4.5_xx\",\"setup_type\":\"1\",\"setup_list\":\"A_1.0;B_2.1;\","
              L"\t\t\t\t\t   \"error_code\":\"0\",\"error_msg\":\"【安装成功】\"}");

    ServiceFacts failed = SampleFacts();
    failed.setupType = 0;
    failed.errorCode = -104;
    failed.errorMessage = L"获取在线安装信息失败, Code=-104";
    EXPECT_EQ(FormatStatisticsRemark(failed, L""),
              L"{\"setup_name\":\"kx\",\"win_ver\":\"win_win10_64\",\"office_ver\":\"office_2010_32\","
              L"\t\t\t\t\t   \"netf_ver\":\"netf_4.5_xx\",\"setup_type\":\"0\",\"setup_list\":\"\","
              L"\t\t\t\t\t   \"error_code\":\"-104\",\"error_msg\":\"获取在线安装信息失败, Code=-104\"}");
}

TEST(Statistics, QuotesAndBackslashesInValuesStayValidJson) {
    ServiceFacts facts = SampleFacts();
    facts.officeName = L"??";
    facts.errorCode = 7;
    facts.errorMessage = L"【安装失败】name：\"K\" C:\\Temp\\x\r\n\t\x01 end";
    std::wstring remark = FormatStatisticsRemark(facts, L"Say \"hi\"_1.0;");
    EXPECT_EQ(remark,
              L"{\"setup_name\":\"kx\",\"win_ver\":\"win_win10_64\",\"office_ver\":\"??\","
              L"\t\t\t\t\t   \"netf_ver\":\"netf_4.5_xx\",\"setup_type\":\"1\",\"setup_list\":\"Say \\\"hi\\\"_1.0;\","
              L"\t\t\t\t\t   \"error_code\":\"7\",\"error_msg\":\"【安装失败】name：\\\"K\\\" C:\\\\Temp\\\\x\\r\\n\\t"
              L"\\u0001 end\"}");

    nlohmann::json parsed;
    ASSERT_NO_THROW(parsed = nlohmann::json::parse(Utf8(remark)));
    EXPECT_EQ(parsed.at("error_msg").get<std::string>(), Utf8(facts.errorMessage));
    EXPECT_EQ(parsed.at("setup_list").get<std::string>(), "Say \"hi\"_1.0;");
    EXPECT_EQ(parsed.at("error_code").get<std::string>(), "7");
    EXPECT_EQ(parsed.size(), 8u);
}

TEST(Statistics, FiveFieldsWithTheRawRemarkOnTheWire) {
    CaptureServer server;
    CapturedLog log;
    std::wstring remark = FormatStatisticsRemark(SucceededRun(), L"A_1.0;B_2.1;");
    ASSERT_TRUE(PostStatistics(server.BaseUrl(), L"1, 1, 0, 33612", L"setup_online", remark));

    ASSERT_EQ(server.Requests().size(), 1u);
    std::string request = server.Requests()[0];
    EXPECT_EQ(HeadLines(request)[0], "POST /api/statistics HTTP/1.1");
    EXPECT_EQ(HeaderValue(request, "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(BodyOf(request), std::string("ver=") + kVersion +
                                "&type=setup_online&rdtype=0&remark={\"setup_name\":\"kx\",\"win_ver\":\"win_win10_64\","
                                "\"office_ver\":\"office_2010_32\",\t\t\t\t\t   \"netf_ver\":\"netf_4.5_xx\","
                                "\"setup_type\":\"1\",\"setup_list\":\"A_1.0;B_2.1;\",\t\t\t\t\t   \"error_code\":\"0\","
                                "\"error_msg\":\"\xE3\x80\x90\xE5\xAE\x89\xE8\xA3\x85\xE6\x88\x90\xE5\x8A\x9F\xE3\x80\x91\"}"
                                "&view_mode=client");
    EXPECT_NE(log.Text().find(L"[INFORMATION] CModelSetup::GetSetupList 提交日志信息: ver=1, 1, 0, 33612&type=setup_online"
                              L"&rdtype=0&remark={\"setup_name\":\"kx\""),
              std::wstring::npos);
}

TEST(Statistics, OutcomeOfThePost) {
    CaptureServer server;
    EXPECT_FALSE(PostStatistics(server.BaseUrl(), L"1, 1, 0, 33612", L"", L"{}"));  // nothing is sent
    EXPECT_TRUE(server.Requests().empty());

    server.SetBody("<html>error</html>", 500);  // a status is not a failure of the post
    EXPECT_TRUE(PostStatistics(server.BaseUrl(), L"v", L"t", L"{}"));
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(BodyOf(server.Requests()[0]), "ver=v&type=t&rdtype=0&remark={}&view_mode=client");

    int port;
    {
        CaptureServer closed;
        port = closed.Port();
    }
    EXPECT_FALSE(PostStatistics(L"127.0.0.1:" + std::to_wstring(port), L"v", L"t", L"{}", QuickRetries()));
}
