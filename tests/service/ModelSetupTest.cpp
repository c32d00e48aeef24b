// The capture server brings winsock2.h, which must come before windows.h.
#include "tests/net/CaptureServer.h"

#include "service/ModelSetup.h"
#include "service/ServiceAddress.h"
#include "support/Handles.h"
#include "support/PackageList.h"
#include "tests/common/ChildProcess.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>

namespace {

const char kTwoPackages[] =
    "{\"result\":true,\"data\":["
    "{\"setup_name\":\"kx\",\"name\":\"Kestrane\",\"type\":\"1\",\"size\":\"10\",\"url\":\"http://h/k.exe\","
    "\"description\":\"\",\"cmd\":\"\",\"version\":\"1.0\",\"sort\":\"1\",\"md5\":\"\"},"
    "{\"setup_name\":\"addin\",\"name\":\"Add-in\",\"type\":\"4\",\"size\":\"20\",\"url\":\"http://h/a.exe\","
    "\"description\":\"\",\"cmd\":\"\",\"version\":\"2.1\",\"sort\":\"2\",\"md5\":\"\"}]}";

bool StartedWithSns() { return CModelSetup::Instance().BuildServiceUrl() != DefaultServiceHost(); }

} // namespace

// Starts this test program again with "/sns=127.0.0.1:<port>" as its first
// argument; the child runs the ModelSetupChild tests against that address.
TEST(ModelSetup, SnsArgumentSendsEveryRequestToThatAddress) {
    if (StartedWithSns()) GTEST_SKIP();
    CaptureServer server;
    server.SetBody(kTwoPackages);

    RunChildTests(L"127.0.0.1:" + std::to_wstring(server.Port()), L"ModelSetupChild.*");

    std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(HeadLines(requests[0])[0], "POST /api/setup/install HTTP/1.1");
    EXPECT_EQ(BodyOf(requests[0]), "setup_name=kx&setup_type=1&win_ver=win_win10_64&office_ver=office_2010_32"
                                "&netf_ver=netf_4.5_xx&local_ver=");
    EXPECT_EQ(HeadLines(requests[1])[0], "POST /api/statistics HTTP/1.1");
    EXPECT_EQ(BodyOf(requests[1]),
              "ver=1, 1, 0, 33612&type=setup_online&rdtype=0&remark={\"setup_name\":\"kx\",\"win_ver\":"
              "\"win_win10_64\",\"office_ver\":\"office_2010_32\",\t\t\t\t\t   \"netf_ver\":\"netf_4.5_xx\","
              "\"setup_type\":\"1\",\"setup_list\":\"Kestrane_1.0;Add-in_2.1;\",\t\t\t\t\t   \"error_code\":\"0\","
              "\"error_msg\":\"\"}&view_mode=client");
    EXPECT_EQ(HeaderValue(requests[1], "Host"), "127.0.0.1:" + std::to_string(server.Port()));
}

TEST(ModelSetupChild, ListAndReportGoToTheCommandLineAddress) {
    if (!StartedWithSns()) GTEST_SKIP() << "run by ModelSetup.SnsArgumentSendsEveryRequestToThatAddress";
    PackageList.Clear();
    ASSERT_EQ(CModelSetup::Instance().GetSetupList(SampleFacts(), L""), 0);
    ASSERT_EQ(PackageList.Count(), 2);
    SetupInfo second;
    ASSERT_TRUE(PackageList.GetAt(1, second));
    EXPECT_EQ(second.setup_name, L"addin");
    EXPECT_TRUE(CModelSetup::Instance().ReportSetupResult(SampleFacts(), L"1, 1, 0, 33612",
                                                          L"Kestrane_1.0;Add-in_2.1;"));
    EXPECT_FALSE(CModelSetup::Instance().SendStatistics(L"1, 1, 0, 33612", L"", L"{}"));  // sends nothing
    PackageList.Clear();
}
