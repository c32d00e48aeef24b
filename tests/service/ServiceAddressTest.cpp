#include "service/ModelSetup.h"
#include "service/ServiceAddress.h"

#include <gtest/gtest.h>

namespace {
std::wstring Address(const std::wstring& commandLine) {
    return ServiceAddressFromCommandLine(commandLine, L"default.host");
}
} // namespace

TEST(ServiceAddress, TheSnsSwitchAnywhereOnTheLine) {
    EXPECT_EQ(Address(L"setup.exe /sns=127.0.0.1:8080"), L"127.0.0.1:8080");
    EXPECT_EQ(Address(L"\"C:\\Program Files\\setup.exe\" /sns=10.0.0.2:81 more"), L"10.0.0.2:81");
    EXPECT_EQ(Address(L"setup.exe /sns=https://h.example:8443/base"), L"https://h.example:8443/base");
    EXPECT_EQ(Address(L"setup.exe \"/sns=h.example \t\""), L"h.example");  // trailing white space goes
    EXPECT_EQ(Address(L"setup.exe \"/sns=a b\""), L"a b");
    // Like every other switch: in any position, any letter case, "/" or "-".
    EXPECT_EQ(Address(L"setup.exe /quiet /sns=h"), L"h");
    EXPECT_EQ(Address(L"setup.exe /SNS=h"), L"h");
    EXPECT_EQ(Address(L"setup.exe -Sns=h /passive"), L"h");
    EXPECT_EQ(Address(L"setup.exe /sns=\"h.example:81\""), L"h.example:81");
}

TEST(ServiceAddress, EverythingElseFallsBackToTheDefault) {
    EXPECT_EQ(Address(L"setup.exe"), L"default.host");
    EXPECT_EQ(Address(L""), L"default.host");
    EXPECT_EQ(Address(L"setup.exe /sns="), L"default.host");
    EXPECT_EQ(Address(L"setup.exe \"/sns=  \""), L"default.host");
    EXPECT_EQ(Address(L"setup.exe x/sns=h"), L"default.host");
    EXPECT_EQ(Address(L"setup.exe /snsx=h"), L"default.host");
    EXPECT_EQ(Address(L"setup.exe \" /sns=h\""), L"default.host");
}

TEST(ServiceAddress, BuiltInHostIsTheBuildSetting) {
    EXPECT_EQ(DefaultServiceHost(), L"" EXPECTED_SERVICE_HOST);
    // This run's command line names no service.
    EXPECT_EQ(CModelSetup::Instance().BuildServiceUrl(), DefaultServiceHost());
    EXPECT_EQ(&CModelSetup::Instance(), &CModelSetup::Instance());
}
