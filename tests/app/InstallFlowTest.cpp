// The installation from the start button to the Finish page in a real
// installer window, against the local setup service and its sample packages:
// the parent test switches the service's faults and starts this program
// again with "/sns=<address>"; the child runs one InstallChild test.
#include "tests/app/InstallRun.h"  // winsock2.h before windows.h

#include "app/FinishPage.h"

#include <fstream>
#include <sstream>
#include <string>

using namespace install_flow;


TEST(InstallFlow, AllPackagesInstalled) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("upper_md5", "1", L"InstallChild.AllPackages");  // digests compare without regard to case
}

TEST(InstallFlow, WrongDigestFailsAndStopsTheRest) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("bad_md5", "kestrane_client", L"InstallChild.WrongDigest");
}

TEST(InstallFlow, CutDownloadFailsAndStopsTheRest) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("drop_after", "1000", L"InstallChild.CutDownload");
}

TEST(InstallFlow, SetupExitCodeAboveZeroFails) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithFault("serve_file", "kestrane_client:Failing_3010.exe", L"InstallChild.ExitCode3010");
}

TEST(InstallFlow, PackageWithoutASafeFileNameFailsItsDownload) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetInstallAnswer(
        "{\"result\": true, \"data\": [" + ListedPackage("dots", "..", "1", "Kestrane_V1.0.3.exe") + ", " +
        ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe") + "]}"));
    RunChildTests(ServiceAddress(), L"InstallChild.UnsafeName");
    local_service::ResetFaults();
}

TEST(InstallFlow, PackagesWithoutASizeAreDownloadedWholeAndInstalled) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithAnswer(Answer(ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe") + ", " +
                              ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe", "") + ", " +
                              ListedPackage("helper", "Helper", "4", "Helper64_V1.2.exe", "0")),
                       L"InstallChild.SizelessPackages");
}

TEST(InstallFlow, MainClientWithoutASizeAndAWrongDigestFailsLoudly) {
    if (StartedWithSns()) GTEST_SKIP();
    RunChildWithAnswer(Answer(ListedPackage("kx", "Client", "1", "Kestrane_V1.0.3.exe", "",
                                            "0123456789abcdef0123456789abcdef") + ", " +
                              ListedPackage("addin", "Addin", "0", "WordAddin_V2.1.exe")),
                       L"InstallChild.SizelessClientWrongDigest");
}

TEST(InstallFlow, PartialFileOfAnEarlierRunIsResumed) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    RunChildTests(ServiceAddress(), L"InstallChild.ResumedFile");
}

TEST(InstallChild, AllPackages) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    EXPECT_FALSE(FindControl(L"SetupLayout")->IsVisible());
    EXPECT_FALSE(FindControl(L"StartSetupLayout")->IsVisible());
    SetupInfo item;
    int selected = 0;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        ASSERT_TRUE(item.selected) << "optional packages stay ticked by default";
        ++selected;
        const int n = static_cast<int>(i) + 1;
        EXPECT_EQ(item.state, Installed);
        EXPECT_EQ(RowText(L"FinishItemStaticState_", n), L"安装成功");
        EXPECT_EQ(RowText(L"FinishItemStaticName_", n), item.name);
        EXPECT_FALSE(FindControl((L"FinishItemStaticInfo_" + std::to_wstring(n)).c_str())->IsVisible());
        EXPECT_EQ(FindControl((L"FinishItem_" + std::to_wstring(n)).c_str())->IsVisible() != FALSE, item.type != 4);
        ASSERT_EQ(PayloadFiles().count(item.setup_name), 1u);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)))
            << "payload of " << CCodedConversion().WideToUtf8(item.name);
        // The whole file counted once, although the download reports one last chunk.
        EXPECT_EQ(item.downloaded, item.size);
    }
    EXPECT_GE(selected, 2);
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_EQ(App().resultText, L"【安装成功】");
    EXPECT_TRUE(FindControl(L"RunAppLayout")->IsVisible());
    EXPECT_EQ(Text(L"RunAppStatic"), L"Kestrane 翻译客户端");
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishImgLayout");
    EXPECT_EQ(App().lastShownProgress, 100 / selected * selected);
    EXPECT_EQ(App().setupInfoText.rfind(L"正在安装“", 0), 0u);
    ::SendMessageW(App().mainWindow, WM_TIMER, IDT_ITEM_PROGRESS, 0);
    for (int n = 1; n <= selected; ++n) EXPECT_EQ(RowText(L"SetupItemStaticProgress_", n), L"已安装");

    const std::string& report = run.Report();
    EXPECT_NE(report.find(EscapedRemarkPart("error_code", "0")), std::string::npos) << report;
    EXPECT_NE(report.find(EscapedRemarkPart("setup_list", PackageListText())), std::string::npos) << report;
    EXPECT_NE(report.find(EscapedRemarkPart("error_msg", "【安装成功】")), std::string::npos) << report;

    // The finish button closes the window without a question.
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    HWND hwnd = App().mainWindow;
    ::SendMessageW(hwnd, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"FinishSetupBtn")),
                   reinterpret_cast<LPARAM>(&click));
    EXPECT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 10000));
}

TEST(InstallChild, WrongDigest) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, VerifyFailed);
    EXPECT_EQ(first.errorCode, 5);
    EXPECT_FALSE(FileExists(PackageFilePath(first))) << "a file that fails its check is deleted";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：验证失败，code=5");
    EXPECT_TRUE(FindControl(L"FinishItemStaticInfo_1")->IsVisible());
    EXPECT_STREQ(FindControl(L"FinishItem_1")->GetStyle(), L"FinishItem_Failed");
    EXPECT_STREQ(FindControl(L"FinishItemStaticState_1")->GetStyle(), L"CommonStaticRed12Right");
    // The main program failed: failure picture, nothing offered to run.
    EXPECT_FALSE(FindControl(L"RunAppLayout")->IsVisible());
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");

    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_NE(item.state, Installing);
        EXPECT_NE(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"安装成功");
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)));
    }
    // The run is reported with the client's failure, not with a later
    // package that was downloaded but never installed.
    ExpectReportedFailure(run.Report(), 5, "【安装失败】name：Kestrane 翻译客户端_V1.0.3, 错误信息：验证失败，code=5");
}

TEST(InstallChild, ExitCode3010) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, InstallFailed);
    EXPECT_EQ(first.errorCode, 3010);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\failing.txt")) << "the setup ran into the chosen folder";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：安装程序出错，code=3010");
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + PayloadFiles().at(item.setup_name)));
    }
    // The next package was downloaded while the client's setup ran: the run
    // is still reported with the client's code, never with 0.
    ExpectReportedFailure(run.Report(), 3010,
                          "【安装失败】name：Kestrane 翻译客户端_V1.0.3, 错误信息：安装程序出错，code=3010");
}

TEST(InstallChild, ResumedFile) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    // The first half of the client's package, left by an interrupted run.
    std::ifstream served(local_service::BuildDirWindows() + "\\setup-service\\packages\\Kestrane_V1.0.3.exe",
                         std::ios::binary);
    std::ostringstream bytes;
    bytes << served.rdbuf();
    const std::string whole = bytes.str();
    ASSERT_EQ(static_cast<int>(whole.size()), first.size);
    const std::string half = whole.substr(0, whole.size() / 2);
    {
        std::ofstream partial(PackageFilePath(first).c_str(), std::ios::binary);
        partial.write(half.data(), static_cast<std::streamsize>(half.size()));
    }
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, Installed);
    // Counted from the half on disk: a download from the first byte would
    // have added the whole size to it.
    EXPECT_EQ(first.downloaded, first.size);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装成功");
}

TEST(InstallChild, UnsafeName) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(PackageList.Count(), 2);
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo dots, addin;
    ASSERT_TRUE(PackageList.GetAt(0, dots));
    ASSERT_TRUE(PackageList.GetAt(1, addin));
    EXPECT_EQ(dots.state, DownloadFailed);
    EXPECT_EQ(dots.errorCode, ERROR_INVALID_NAME);
    EXPECT_EQ(dots.downloaded, 0) << "nothing was fetched for it";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败，code=123");
    EXPECT_EQ(addin.state, Waiting) << "nothing after the failure is downloaded";
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 2), L"未安装");
    EXPECT_FALSE(FileExists(PackageFilePath(addin)));
    EXPECT_FALSE(FileExists(run.ProductFolder()));
    EXPECT_EQ(App().resultCode, ERROR_INVALID_NAME);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", "123")), std::string::npos) << run.Report();
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", ".._1.0;Addin_1.0;")), std::string::npos)
        << run.Report();
}

TEST(InstallChild, SizelessPackages) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(PackageList.Count(), 3);
    // Rows for every package; the hidden type stays hidden.
    ASSERT_NE(RowControl(L"SetupItem_", 2), nullptr);
    EXPECT_TRUE(RowControl(L"SetupItem_", 2)->IsVisible());
    EXPECT_TRUE(RowControl(L"SetupItemIconLayout_", 2)->IsVisible());
    ASSERT_NE(RowControl(L"SetupItem_", 3), nullptr);
    EXPECT_FALSE(RowControl(L"SetupItem_", 3)->IsVisible());
    // A file left by an earlier run cannot be known complete without a size:
    // longer junk is replaced by the whole download, not taken as done.
    SetupInfo addin;
    ASSERT_TRUE(PackageList.GetAt(1, addin));
    {
        std::ofstream junk(PackageFilePath(addin).c_str(), std::ios::binary);
        junk << std::string(ServedBytes("WordAddin_V2.1.exe").size() + 100, 'j');
    }
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_TRUE(item.selected);
        EXPECT_EQ(item.state, Installed) << CCodedConversion().WideToUtf8(item.name);
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"安装成功");
    }
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\WordAddin.txt"));
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Helper64.txt"));
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_EQ(App().lastShownProgress, 99);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", "Client_1.0;Addin_1.0;Helper_1.0;")),
              std::string::npos)
        << run.Report();
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", "0")), std::string::npos) << run.Report();
}

TEST(InstallChild, SizelessClientWrongDigest) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo client, addin;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    ASSERT_TRUE(PackageList.GetAt(1, addin));
    EXPECT_TRUE(client.selected);
    EXPECT_EQ(client.state, VerifyFailed);
    EXPECT_EQ(client.errorCode, 5);
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：验证失败，code=5");
    EXPECT_NE(addin.state, Installed);
    EXPECT_FALSE(FindControl(L"RunAppLayout")->IsVisible());
    EXPECT_STREQ(FindControl(L"FinishImgLayout")->GetStyle(), L"FinishFailedImgLayout");
    ExpectReportedFailure(run.Report(), 5, "【安装失败】name：Client_V1.0, 错误信息：验证失败，code=5");
}

TEST(InstallChild, CutDownload) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo first;
    ASSERT_TRUE(PackageList.GetAt(0, first));
    EXPECT_EQ(first.state, DownloadFailed);
    EXPECT_NE(first.errorCode, 0);
    EXPECT_EQ(RowText(L"FinishItemStaticState_", 1), L"安装失败");
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1),
              L"错误信息：下载失败（网络连接失败），code=" + std::to_wstring(first.errorCode));
    // What arrived stays for the next run to resume from: every connection
    // was cut after 1000 bytes, and the retries gave up after the third.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(PackageFilePath(first).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 4000u);
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Waiting) << "no later package is downloaded";
        EXPECT_EQ(RowText(L"FinishItemStaticState_", static_cast<int>(i) + 1), L"未安装");
        EXPECT_FALSE(FileExists(PackageFilePath(item)));
    }
    EXPECT_EQ(App().resultCode, first.errorCode);
    EXPECT_NE(run.Report().find(EscapedRemarkPart("error_code", std::to_string(first.errorCode))), std::string::npos)
        << run.Report();
}
