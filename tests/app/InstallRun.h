#pragma once
// One installation run of the real installer window in a child process,
// against the local setup service: what the install-flow tests share. The
// parent test switches the service's faults and starts the test program
// again with "/sns=<address>"; the child runs one test that drives the run.
#include "tests/common/LocalService.h"  // winsock2.h before windows.h

#include "app/AppState.h"
#include "app/Controls.h"
#include "dulib/ctrl/Engine.h"
#include "net/ResumeValidator.h"
#include "support/CodedConversion.h"
#include "support/Log.h"
#include "support/Md5.h"
#include "support/PackageList.h"
#include "sysinfo/LocalPaths.h"
#include "tests/app/InstallerWindow.h"
#include "tests/common/ChildProcess.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <string>
#include <utility>

namespace install_flow {

inline std::wstring ServiceAddress() { return L"127.0.0.1:" + std::to_wstring(local_service::Port()); }

// What each catalog package's setup writes into its folder.
inline const std::map<std::wstring, std::wstring>& PayloadFiles() {
    static const std::map<std::wstring, std::wstring> files = {
        {L"kestrane_client", L"Kestrane.ini"},
        {L"word_addin", L"WordAddin.txt"},
        {L"dotnet_runtime", L"DotNet45.txt"},
        {L"x64_helper", L"Helper64.txt"},
    };
    return files;
}

inline bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::wstring Text(const wchar_t* control) {
    duPlugin* plugin = FindControl(control);
    return plugin && plugin->GetText() ? plugin->GetText() : L"";
}

inline std::wstring RowText(const wchar_t* templateName, int n) {
    return Text((std::wstring(templateName) + std::to_wstring(n)).c_str());
}

inline duPlugin* RowControl(const wchar_t* templateName, int n) {
    return FindControl((std::wstring(templateName) + std::to_wstring(n)).c_str());
}

// Sends a click of the named button, as the engine reports one.
inline void Click(const wchar_t* control) {
    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    ::SendMessageW(App().mainWindow, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(control)),
                   reinterpret_cast<LPARAM>(&click));
}

// The id of the newest statistics report; 0 when there is none.
inline long LastReportId() {
    const std::string reports = local_service::LastStatistics(1);
    size_t at = reports.find("\"id\": ");
    return at == std::string::npos ? 0 : std::stol(reports.substr(at + 6));
}

// How many statistics reports arrived after the one with id `after`.
inline int ReportsAfter(long after) {
    const std::string reports = local_service::LastStatistics(20);
    int count = 0;
    for (size_t at = reports.find("\"id\": "); at != std::string::npos; at = reports.find("\"id\": ", at + 1))
        if (std::stol(reports.substr(at + 6)) > after) ++count;
    return count;
}

// The remark as it appears inside the service's JSON answer (quotes escaped).
inline std::string EscapedRemarkPart(const std::string& key, const std::string& value) {
    return "\\\"" + key + "\\\":\\\"" + value + "\\\"";
}

// The run ended as a failure reported with this code and a text naming the
// package that failed first (resultText is the report's error_msg).
inline void ExpectReportedFailure(const std::string& report, int code, const std::string& text) {
    EXPECT_EQ(App().resultCode, code);
    EXPECT_NE(report.find(EscapedRemarkPart("error_code", std::to_string(code))), std::string::npos) << report;
    EXPECT_NE(report.find(text), std::string::npos) << report;
}

inline std::string PackageListText() {
    std::wstring text;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i)
        if (item.selected) text += item.name + L"_" + item.version + L";";
    return CCodedConversion().WideToUtf8(text);
}

// The bytes of a file the service serves.
inline std::string ServedBytes(const std::string& file) {
    std::ifstream in(local_service::BuildDirWindows() + "\\setup-service\\packages\\" + file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One entry of a package list answer for a file the service serves; a
// listed size or digest replaces the real one.
inline std::string ListedPackage(const std::string& setupName, const std::string& name, const std::string& type,
                                 const std::string& file, const char* listedSize = nullptr,
                                 const char* listedMd5 = nullptr) {
    const std::string path = local_service::BuildDirWindows() + "\\setup-service\\packages\\" + file;
    const std::string size = listedSize ? listedSize : std::to_string(ServedBytes(file).size());
    const std::string url = "http://127.0.0.1:" + std::to_string(local_service::Port()) + "/packages/" + file;
    return "{\"setup_name\": \"" + setupName + "\", \"name\": \"" + name + "\", \"type\": \"" + type +
           "\", \"size\": \"" + size + "\", \"url\": \"" + url +
           "\", \"description\": \"\", \"cmd\": \"\", \"version\": \"1.0\", \"sort\": \"1\", \"md5\": \"" +
           (listedMd5 ? std::string(listedMd5) : FileMd5Hex(CCodedConversion().AnsiToWide(path))) + "\"}";
}

inline std::string Answer(const std::string& packages) { return "{\"result\": true, \"data\": [" + packages + "]}"; }

// Runs one child test while the local service has these faults switched on.
inline void RunChildWithFaults(std::initializer_list<std::pair<const char*, const char*>> faults,
                               const wchar_t* child) {
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetFaults(faults));
    RunChildTests(ServiceAddress(), child);
    local_service::ResetFaults();
}

// Runs one child test while the local service has one fault switched on
// (none for an empty name).
inline void RunChildWithFault(const char* fault, const char* value, const wchar_t* child) {
    if (*fault)
        RunChildWithFaults({{fault, value}}, child);
    else
        RunChildWithFaults({}, child);
}

// Runs one child test while the service answers the package list with `answer`.
inline void RunChildWithAnswer(const std::string& answer, const wchar_t* child) {
    local_service::ResetFaults();
    ASSERT_TRUE(local_service::SetInstallAnswer(answer));
    RunChildTests(ServiceAddress(), child);
    local_service::ResetFaults();
}

// The process log, sent to a fresh file for one child test.
class ChildLog {
public:
    ChildLog() : path_(CCodedConversion().WideToAnsi(dir_.File(L"run.log"))) { SetProcessLog(OpenLog(path_.c_str())); }
    ~ChildLog() { SetProcessLog(nullptr); }
    std::wstring Text() const {
        std::ifstream in(path_, std::ios::binary);
        return CCodedConversion().AnsiToWide(
            std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    }

private:
    TempDir dir_;
    std::string path_;
};

// What an installation run finds in the package folder.
enum class EarlierFiles { Removed, Kept };

// One installation run in this (child) process: preparation, the folder
// field set to a fresh folder, start, and the Finish page with its report.
class InstallRun {
public:
    // Package files of earlier runs (and their resume validators) would be
    // taken as already downloaded: removed unless a test is about them.
    explicit InstallRun(EarlierFiles earlier = EarlierFiles::Removed) {
        EXPECT_TRUE(PumpUntilPreparationEnds(60000));
        setupShown_ = FindControl(L"SetupLayout") && FindControl(L"SetupLayout")->IsVisible();
        if (earlier == EarlierFiles::Kept) return;
        SetupInfo item;
        for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
            ::DeleteFileW(PackageFilePath(item).c_str());
            ::DeleteFileW(ValidatorPathFor(PackageFilePath(item)).c_str());
        }
    }
    bool SetupShown() const { return setupShown_; }
    const TempDir& Folder() const { return folder_; }
    std::wstring ProductFolder() const { return folder_.Path() + L"\\QRN\\Kestrane"; }
    HWND Hwnd() const { return window_.Hwnd(); }

    // Another installation folder than the fresh one (before Start).
    void UseFolder(const std::wstring& folder) { chosen_ = folder; }

    // Clicks start; the report count is taken just before.
    void Start() {
        FindControl(L"SelectDirStatic")->SetText((chosen_.empty() ? folder_.Path() : chosen_).c_str());
        reportBefore_ = LastReportId();
        Click(L"StartSetupBtn");
        ASSERT_TRUE(App().installStarted);
    }
    // Pumps until the Finish page shows.
    void WaitForFinishPage() {
        ASSERT_TRUE(PumpUntil([] { return FindControl(L"FinishLayout")->IsVisible() != FALSE; }, 150000));
    }
    // Pumps until the run's statistics report has arrived and keeps it.
    void WaitForReport() {
        const long before = reportBefore_;
        ASSERT_TRUE(PumpUntil([before] { return LastReportId() > before; }, 60000)) << "no statistics report";
        report_ = local_service::LastStatistics(1);
    }
    // Clicks start and waits for the Finish page and its statistics report.
    void StartAndFinish() {
        ASSERT_NO_FATAL_FAILURE(Start());
        ASSERT_NO_FATAL_FAILURE(WaitForFinishPage());
        ASSERT_NO_FATAL_FAILURE(WaitForReport());
    }
    long ReportBefore() const { return reportBefore_; }
    const std::string& Report() const { return report_; }

private:
    InstallerWindow window_;
    TempDir folder_;
    std::wstring chosen_;
    bool setupShown_ = false;
    long reportBefore_ = 0;
    std::string report_;
};

} // namespace install_flow
