// The installation from the start button to the Finish page in a real
// installer window, against the local setup service and its sample packages:
// the parent test switches the service's faults and starts this program
// again with "/sns=<address>"; the child runs one InstallChild test.
#include "tests/common/LocalService.h"

#include "app/AppState.h"
#include "app/Controls.h"
#include "app/FinishPage.h"
#include "dulib/ctrl/Engine.h"
#include "support/CodedConversion.h"
#include "support/Md5.h"
#include "support/PackageList.h"
#include "sysinfo/LocalPaths.h"
#include "dulib/ctrl/WindowHost.h"
#include "tests/app/InstallerWindow.h"
#include "tests/common/AccessibleClient.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

std::wstring ServiceAddress() { return L"127.0.0.1:" + std::to_wstring(local_service::Port()); }

// What each catalog package's setup writes into its folder.
const std::map<std::wstring, std::wstring> kPayloadFile = {
    {L"kestrane_client", L"Kestrane.ini"},
    {L"word_addin", L"WordAddin.txt"},
    {L"dotnet_runtime", L"DotNet45.txt"},
    {L"x64_helper", L"Helper64.txt"},
};

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring Text(const wchar_t* control) {
    duPlugin* plugin = FindControl(control);
    return plugin && plugin->GetText() ? plugin->GetText() : L"";
}

std::wstring RowText(const wchar_t* templateName, int n) {
    return Text((std::wstring(templateName) + std::to_wstring(n)).c_str());
}

// The id of the newest statistics report; 0 when there is none.
long LastReportId() {
    const std::string reports = local_service::LastStatistics(1);
    size_t at = reports.find("\"id\": ");
    return at == std::string::npos ? 0 : std::stol(reports.substr(at + 6));
}

// The remark as it appears inside the service's JSON answer (quotes escaped).
std::string EscapedRemarkPart(const std::string& key, const std::string& value) {
    return "\\\"" + key + "\\\":\\\"" + value + "\\\"";
}

// One installation run in this (child) process: preparation, the folder
// field set to a fresh folder, start, and the Finish page with its report.
class InstallRun {
public:
    InstallRun() {
        EXPECT_TRUE(PumpUntilPreparationEnds(60000));
        setupShown_ = FindControl(L"SetupLayout") && FindControl(L"SetupLayout")->IsVisible();
        // Package files of earlier runs would be taken as already downloaded.
        SetupInfo item;
        for (unsigned i = 0; PackageList.GetAt(i, item); ++i) ::DeleteFileW(PackageFilePath(item).c_str());
    }
    bool SetupShown() const { return setupShown_; }
    const TempDir& Folder() const { return folder_; }
    std::wstring ProductFolder() const { return folder_.Path() + L"\\QRN\\Kestrane"; }

    // Clicks start and waits for the Finish page and its statistics report.
    void StartAndFinish() {
        FindControl(L"SelectDirStatic")->SetText(folder_.Path().c_str());
        const long before = LastReportId();
        NotifyRecord click{DUM_BTNCLICK, 0, 0};
        ::SendMessageW(window_.Hwnd(), WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"StartSetupBtn")),
                       reinterpret_cast<LPARAM>(&click));
        ASSERT_TRUE(App().installStarted);
        ASSERT_TRUE(PumpUntil([] { return FindControl(L"FinishLayout")->IsVisible() != FALSE; }, 150000));
        ASSERT_TRUE(PumpUntil([before] { return LastReportId() > before; }, 60000)) << "no statistics report";
        report_ = local_service::LastStatistics(1);
    }
    const std::string& Report() const { return report_; }

private:
    InstallerWindow window_;
    TempDir folder_;
    bool setupShown_ = false;
    std::string report_;
};

std::string PackageListText() {
    std::wstring text;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i)
        if (item.selected) text += item.name + L"_" + item.version + L";";
    return CCodedConversion().WideToUtf8(text);
}

// One entry of a package list answer for a file the service serves.
std::string ListedPackage(const std::string& setupName, const std::string& name, const std::string& type,
                          const std::string& file, const char* listedSize = nullptr) {
    const std::string path = local_service::BuildDirWindows() + "\\setup-service\\packages\\" + file;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    const std::string size = listedSize ? listedSize : std::to_string(static_cast<long long>(in.tellg()));
    const std::string url = "http://127.0.0.1:" + std::to_string(local_service::Port()) + "/packages/" + file;
    return "{\"setup_name\": \"" + setupName + "\", \"name\": \"" + name + "\", \"type\": \"" + type +
           "\", \"size\": \"" + size + "\", \"url\": \"" + url +
           "\", \"description\": \"\", \"cmd\": \"\", \"version\": \"1.0\", \"sort\": \"1\", \"md5\": \"" +
           FileMd5Hex(path) + "\"}";
}

// Runs one InstallChild test in a child process while the local service has
// one fault switched on.
void RunChildWithFault(const char* fault, const char* value, const wchar_t* child) {
    local_service::ResetFaults();
    local_service::SetFault(fault, value);
    RunChildTests(ServiceAddress(), child);
    local_service::ResetFaults();
}

} // namespace

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

TEST(InstallFlow, PackageWithoutARowIsNotInstalled) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetInstallAnswer(
        "{\"result\": true, \"data\": [" + ListedPackage("client", "Client", "1", "Kestrane_V1.0.3.exe") + ", " +
        ListedPackage("sizeless", "Sizeless", "0", "WordAddin_V2.1.exe", "0") + "]}"));
    RunChildTests(ServiceAddress(), L"InstallChild.SizelessPackage");
    local_service::ResetFaults();
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
        ASSERT_EQ(kPayloadFile.count(item.setup_name), 1u);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)))
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
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)));
    }
    EXPECT_NE(run.Report().find("【安装失败】"), std::string::npos) << run.Report();
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
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：code=3010");
    SetupInfo item;
    for (unsigned i = 1; PackageList.GetAt(i, item); ++i) {
        EXPECT_NE(item.state, Installed);
        EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)));
    }
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

TEST(InstallChild, SizelessPackage) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    ASSERT_EQ(FindControl(L"SetupItem_2"), nullptr) << "a package without a size has no row";
    ASSERT_NO_FATAL_FAILURE(run.StartAndFinish());

    SetupInfo client, sizeless;
    ASSERT_TRUE(PackageList.GetAt(0, client));
    ASSERT_TRUE(PackageList.GetAt(1, sizeless));
    EXPECT_EQ(client.state, Installed);
    EXPECT_FALSE(sizeless.selected);
    EXPECT_EQ(sizeless.state, Waiting);
    EXPECT_EQ(FindControl(L"FinishItem_2"), nullptr);
    EXPECT_EQ(App().resultCode, 0);
    EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\Kestrane.ini"));
    EXPECT_FALSE(FileExists(run.ProductFolder() + L"\\WordAddin.txt"));
    EXPECT_NE(run.Report().find(EscapedRemarkPart("setup_list", "Client_1.0;")), std::string::npos) << run.Report();
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
    EXPECT_EQ(RowText(L"FinishItemStaticInfo_", 1), L"错误信息：下载失败，code=" + std::to_wstring(first.errorCode));
    // What arrived stays for the next run to resume from.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(::GetFileAttributesExW(PackageFilePath(first).c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(data.nFileSizeLow, 1000u);
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

// --- by keyboard alone, and through a screen reader in another process ------

namespace {

void PressKey(UINT vk) {
    ::SendMessageW(App().mainWindow, WM_KEYDOWN, vk, 1);
    ::SendMessageW(App().mainWindow, WM_KEYUP, vk, 0xC0000001);
}

std::wstring FocusedName() {
    WindowHost* host = WindowHost::FromHwnd(App().mainWindow);
    duPlugin* focus = host ? host->GetFocusPlugin() : nullptr;
    return focus ? focus->GetName() : L"";
}

bool TabTo(const std::wstring& name) {
    for (int i = 0; i < 30 && FocusedName() != name; ++i) PressKey(VK_TAB);
    return FocusedName() == name;
}

bool IsChecked(const std::wstring& name) {
    auto* box = dynamic_cast<duCheckBox*>(FindControl(name.c_str()));
    return box && box->IsChecked();
}

// The shown main window of the installer running in another process.
HWND InstallerWindowOf(DWORD processId) {
    struct Search {
        DWORD id;
        HWND found;
    } search{processId, nullptr};
    ::EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(hwnd, &owner);
            wchar_t cls[64] = {};
            ::GetClassNameW(hwnd, cls, 64);
            if (owner != s->id || std::wstring(cls) != kMainWindowClass || !::IsWindowVisible(hwnd)) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool Shown(const a11y::Object& o) { return o && !(a11y::State(o) & STATE_SYSTEM_INVISIBLE); }

// Whether any event of that kind named an object of that role.
bool EventAbout(HWND hwnd, DWORD event, long role) {
    for (LONG child : a11y::EventLog::Of(event))
        if (a11y::Role(a11y::FromEvent(hwnd, child)) == role) return true;
    return false;
}

class ComApartment {
public:
    ComApartment() { ::CoInitialize(nullptr); }
    ~ComApartment() { ::CoUninitialize(); }
};

} // namespace

TEST(InstallFlow, KeyboardOnly) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    RunChildTests(ServiceAddress(), L"InstallChild.KeyboardOnly");
}

TEST(InstallChild, KeyboardOnly) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    SetupInfo dropped, item;
    int row = 0;
    for (unsigned i = 0; PackageList.GetAt(i, item) && !row; ++i) {
        if (item.type != 16 || item.size <= 0) continue;
        row = static_cast<int>(i) + 1;
        dropped = item;
    }
    ASSERT_GT(row, 0) << "the catalog offers an optional package";
    const std::wstring n = std::to_wstring(row);

    EXPECT_EQ(FocusedName(), L"StartSetupBtn") << "the page opens on its start button";
    // Into the list, down to the optional package, and untick it.
    ASSERT_TRUE(TabTo(L"SetupItem_1"));
    for (int i = 0; i < 10 && FocusedName() != L"SetupItem_" + n; ++i) PressKey(VK_DOWN);
    ASSERT_EQ(FocusedName(), L"SetupItem_" + n);
    PressKey(VK_SPACE);
    EXPECT_FALSE(IsChecked(L"SetupItemCheckBox_" + n));

    // The agreement: without it Enter starts nothing; ticked again, it does.
    ASSERT_TRUE(TabTo(L"AgreementCheckBox"));
    PressKey(VK_SPACE);
    EXPECT_TRUE(FindControl(L"StartSetupBtn")->IsDisable());
    PressKey(VK_RETURN);
    EXPECT_FALSE(App().installStarted);
    PressKey(VK_SPACE);
    EXPECT_TRUE(IsChecked(L"AgreementCheckBox"));

    // The folder: unfold its row, select the proposed folder, type another.
    ASSERT_TRUE(TabTo(L"CustomSetupStaticBtn"));
    PressKey(VK_SPACE);
    ASSERT_TRUE(TabTo(L"SelectDirStatic"));
    ::SendMessageW(App().mainWindow, WM_CHAR, 1, 1);  // Ctrl+A
    for (wchar_t c : run.Folder().Path()) ::SendMessageW(App().mainWindow, WM_CHAR, c, 1);
    EXPECT_EQ(Text(L"SelectDirStatic"), run.Folder().Path());

    const long before = LastReportId();
    PressKey(VK_RETURN);
    ASSERT_TRUE(App().installStarted);
    EXPECT_TRUE(FocusedName().rfind(L"SetupItem_", 0) == 0) << "the rows take the focus from the start line";
    ASSERT_TRUE(PumpUntil([] { return FindControl(L"FinishLayout")->IsVisible() != FALSE; }, 150000));
    ASSERT_TRUE(PumpUntil([before] { return LastReportId() > before; }, 60000)) << "no statistics report";

    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        const bool installed = FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name));
        if (item.setup_name == dropped.setup_name) {
            EXPECT_FALSE(item.selected);
            EXPECT_FALSE(installed) << "the unticked package was installed";
        } else {
            EXPECT_EQ(item.state, Installed);
            EXPECT_TRUE(installed);
        }
    }
    // The Finish page opens on its button, and Enter closes the installer.
    EXPECT_EQ(FocusedName(), L"FinishSetupBtn");
    HWND hwnd = App().mainWindow;
    PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 10000));
}

TEST(InstallFlow, ScreenReaderInAnotherProcess) {
    if (StartedWithSns()) GTEST_SKIP();
    local_service::ResetFaults();
    ComApartment com;
    ChildTests child(ServiceAddress(), L"InstallChild.ServesAReader");
    ASSERT_TRUE(child.Started());

    // This process is the reader: it waits for the Setup page with the
    // child's folder in it, looking only at the accessible objects.
    HWND hwnd = nullptr;
    a11y::Object client, page;
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!hwnd) hwnd = InstallerWindowOf(child.Id());
            if (!hwnd) return false;
            client = a11y::ClientOf(hwnd);
            page = a11y::Find(client, L"选择安装内容", ROLE_SYSTEM_PROPERTYPAGE);
            const std::wstring folder = a11y::Value(a11y::Find(page, L"安装到", ROLE_SYSTEM_TEXT));
            return Shown(page) && folder.find(L"kestrane-test-") != std::wstring::npos;
        },
        90000))
        << "the Setup page never showed";
    EXPECT_EQ(a11y::Name(client), L"在线安装");
    EXPECT_EQ(a11y::Role(a11y::Find(client, L"关闭")), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(a11y::Role(a11y::Find(client, L"最小化")), ROLE_SYSTEM_PUSHBUTTON);

    // The page's controls with their roles, names and states.
    a11y::Object list = a11y::Find(page, L"安装内容", ROLE_SYSTEM_LIST);
    std::vector<std::wstring> rows;
    int optional = 0;
    for (const a11y::Object& row : a11y::Kids(list)) {
        const long state = a11y::State(row);
        if (state & STATE_SYSTEM_INVISIBLE) continue;
        EXPECT_EQ(a11y::Role(row), ROLE_SYSTEM_LISTITEM);
        EXPECT_TRUE(state & STATE_SYSTEM_FOCUSABLE);
        rows.push_back(a11y::Name(row));
        if (state & STATE_SYSTEM_CHECKED) {
            ++optional;
            EXPECT_EQ(a11y::Role(a11y::Kids(row).at(0)), ROLE_SYSTEM_CHECKBUTTON);
        }
    }
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], L"Kestrane 翻译客户端 1.0.3");
    EXPECT_GE(optional, 1);
    a11y::Object start = a11y::Find(page, L"开始安装", ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(a11y::State(start), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_DEFAULT);
    EXPECT_EQ(a11y::DefaultAction(start), L"Press");
    a11y::Object agreement = a11y::Find(page, L"阅读并同意使用协议", ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(a11y::State(agreement), STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED);
    EXPECT_EQ(a11y::Role(a11y::Find(page, L"使用协议")), ROLE_SYSTEM_LINK);
    EXPECT_EQ(a11y::Role(a11y::Find(page, L"自定义安装")), ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_TRUE(a11y::State(a11y::Find(page, L"选择安装目录")) & STATE_SYSTEM_OFFSCREEN);
    EXPECT_TRUE(a11y::State(a11y::Find(page, L"总进度")) & STATE_SYSTEM_INVISIBLE);

    // A focus change, as a WinEvent hook in this process sees it.
    a11y::EventLog log(hwnd);
    ASSERT_TRUE(log.Ok());
    ::PostMessageW(hwnd, WM_KEYDOWN, VK_TAB, 1);
    ASSERT_TRUE(PumpUntil([] { return !a11y::EventLog::Of(EVENT_OBJECT_FOCUS).empty(); }, 20000));
    a11y::Object focused = a11y::FromEvent(hwnd, a11y::EventLog::Of(EVENT_OBJECT_FOCUS).back());
    EXPECT_EQ(a11y::Name(focused), L"阅读并同意使用协议");
    EXPECT_TRUE(a11y::State(focused) & STATE_SYSTEM_FOCUSED);

    // The start button's default action installs; the reader hears the
    // progress and the result, and the finish button closes the installer.
    EXPECT_EQ(start->accDoDefaultAction(a11y::Self()), S_OK);
    a11y::Object finish;
    ASSERT_TRUE(PumpUntil(
        [&] {
            finish = a11y::Find(client, L"安装成功", ROLE_SYSTEM_PROPERTYPAGE);
            return Shown(finish);
        },
        150000))
        << "no Finish page named by its result";
    EXPECT_TRUE(EventAbout(hwnd, EVENT_OBJECT_VALUECHANGE, ROLE_SYSTEM_PROGRESSBAR));
    EXPECT_TRUE(EventAbout(hwnd, EVENT_OBJECT_NAMECHANGE, ROLE_SYSTEM_LISTITEM)) << "a row's progress";
    EXPECT_TRUE(EventAbout(hwnd, EVENT_OBJECT_SHOW, ROLE_SYSTEM_PROPERTYPAGE)) << "the new page";
    EXPECT_EQ(a11y::Name(a11y::Find(finish, L"安装成功", ROLE_SYSTEM_GRAPHIC)), L"安装成功");
    a11y::Object done = a11y::Find(finish, L"完成", ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_TRUE(a11y::State(done) & STATE_SYSTEM_FOCUSED);
    EXPECT_EQ(done->accDoDefaultAction(a11y::Self()), S_OK);
    child.Finish();
}

TEST(InstallChild, ServesAReader) {
    if (!StartedWithSns()) GTEST_SKIP() << "runs in the child process only";
    InstallRun run;
    ASSERT_TRUE(run.SetupShown());
    HWND hwnd = App().mainWindow;
    ::SetForegroundWindow(hwnd);
    ::SetFocus(hwnd);
    duPlugin* folder = FindControl(L"SelectDirStatic");
    folder->SetText(run.Folder().Path().c_str());
    RedrawPlugin(folder, TRUE);
    // Everything else is the reader's doing, in the parent process.
    ASSERT_TRUE(PumpUntil([hwnd] { return !::IsWindow(hwnd); }, 170000)) << "the reader never pressed 完成";
    EXPECT_TRUE(App().installStarted);
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        EXPECT_EQ(item.state, Installed);
        EXPECT_TRUE(FileExists(run.ProductFolder() + L"\\" + kPayloadFile.at(item.setup_name)));
    }
}
