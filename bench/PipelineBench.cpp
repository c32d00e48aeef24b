// The whole installation of the packages the service lists, in the real
// installer window (preparation, start button, download and install workers),
// against the ideal of a pipeline: max(total download, total install) plus
// one package's shorter phase. The totals are measured in the same run: each
// package downloaded alone (DownloadResume) and each setup run alone, one
// after the other. Start it with "/sns=<address>" as the installer; prints
// "<seconds installing> <seconds downloading alone> <seconds installing alone> <packages>".
#include "app/AppState.h"
#include "app/Controls.h"
#include "app/InstallWorker.h"
#include "app/MainWindow.h"
#include "dulib/ctrl/Engine.h"
#include "net/WinHttpHandler.h"
#include "tests/app/InstallerWindow.h"  // the tests' installer window and pump
#include "support/PackageList.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

bool Shown(const wchar_t* name) {
    duPlugin* plugin = FindControl(name);
    return plugin && plugin->IsVisible();
}

// When each package was first seen in each state, seconds after the click:
// where the pipeline waits, printed beside the figure.
struct Timeline {
    Clock::time_point start;
    std::map<std::pair<unsigned, int>, double> seen;
    void Note(unsigned package, int state) {
        seen.emplace(std::make_pair(package, state), SecondsSince(start));
    }
    void Print() const {
        static const std::map<int, const char*> names = {
            {Downloading, "downloading"}, {Verifying, "verifying"}, {Installing, "installing"}, {Installed, "installed"}};
        for (const auto& entry : seen) {
            auto name = names.find(entry.first.second);
            if (name != names.end())
                std::fprintf(stderr, "pipeline: package %u %s at %.3f s\n", entry.first.first + 1, name->second,
                             entry.second);
        }
    }
};

// Every selected package installed (true), or one failed (false, said so).
bool AllInstalled(bool& failed, Timeline& timeline) {
    SetupInfo item;
    bool all = true;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (!item.selected) continue;
        timeline.Note(i, item.state);
        if (item.state == DownloadFailed || item.state == VerifyFailed || item.state == InstallFailed) failed = true;
        if (item.state != Installed) all = false;
    }
    return all || failed;
}

std::wstring Folder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring folder = std::wstring(temp) + name;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}
} // namespace

int wmain() {
    InstallerWindow window;
    HWND hwnd = window.Hwnd();
    if (!PumpUntil([] { return Shown(L"SetupLayout") || Shown(L"RetryPrepareLayout"); }, 120000) ||
        !Shown(L"SetupLayout")) {
        std::fprintf(stderr, "the package list did not arrive\n");
        return 1;
    }
    const std::wstring installFolder = Folder(L"kestrane-pipeline-bench");
    FindControl(L"SelectDirStatic")->SetText(installFolder.c_str());

    NotifyRecord click{DUM_BTNCLICK, 0, 0};
    const auto start = Clock::now();
    Timeline timeline{start, {}};
    ::SendMessageW(hwnd, WM_DU_NOTIFY, reinterpret_cast<WPARAM>(FindControl(L"StartSetupBtn")),
                   reinterpret_cast<LPARAM>(&click));
    bool failed = false;
    if (!PumpUntil([&failed, &timeline] { return AllInstalled(failed, timeline); }, 600000) || failed) {
        std::fprintf(stderr, "the installation failed or did not end\n");
        return 1;
    }
    const double pipeline = SecondsSince(start);
    timeline.Print();

    // The same packages, each phase alone.
    const std::wstring alone = Folder(L"kestrane-pipeline-alone");
    double downloading = 0, installing = 0;
    int packages = 0;
    SetupInfo item;
    for (unsigned i = 0; PackageList.GetAt(i, item); ++i) {
        if (!item.selected) continue;
        ++packages;
        const std::wstring file = alone + L"\\" + std::to_wstring(i) + L".exe";
        ::DeleteFileW(file.c_str());
        std::atomic<int> running{1};
        auto at = Clock::now();
        if (CWinHttpHandler(item.url).DownloadResume(file, 0, 0, 0x40000, nullptr, &running, nullptr) != 0) return 1;
        downloading += SecondsSince(at);
        at = Clock::now();
        DWORD exitCode = 1;
        if (StartProcess(file, SetupArguments(installFolder), exitCode, alone) != 0 || exitCode != 0) return 1;
        installing += SecondsSince(at);
        ::DeleteFileW(file.c_str());
    }
    std::printf("%.3f %.3f %.3f %d\n", pipeline, downloading, installing, packages);
    std::fflush(stdout);
    ::ExitProcess(0);  // the workers are not waited for, as in the installer
}
