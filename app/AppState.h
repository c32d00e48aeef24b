#pragma once
// The installer's process-wide state: what the pages, the timers and the
// workers share. Texts that timers read are written only on the window's
// thread (workers go through RunOnUi); the counters and the flag that the
// download and install workers share with timer 104 are atomics.
#include "support/Handles.h"

#include <windows.h>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/CommandLine.h"
#include "net/Retry.h"
#include "service/ServiceFacts.h"
#include <vector>

class duPlugin;
class duWindowManager;
class RunFolder;

// The step of the run that failed first (see RunOutcome.h), and how a run
// that never reached its end stopped; each kind has its exit code
// (ExitCodes.h).
enum class FailureKind {
    None,
    Start,              // no worker, thread or semaphore could be had
    NoDiskSpace,        // checked before the first download: a volume lacks the room
    FolderNotWritable,  // checked before the first download: the folder cannot be made or written
    Download,
    Verify,
    Setup,
    NotInstalled,       // a selected package ended uninstalled without a failure of its own
    InvalidArguments,   // the command line, or an /exclude naming a package that must be installed
    InvalidFolder,      // an unattended run's installation folder fails the folder rule
    PackageList,        // the preparation did not obtain the package list
    OfficeInTheWay,     // an unattended run found Word or Excel still running
    Cancelled,          // the window was closed before the run ended
};
// What a failure means to the user: each class has its short text for the
// error mode, the rows and the Finish page (RunOutcome.h). Stored in a
// package's record as an int.
enum class FailureClass {
    None,               // nothing more to say than the code
    NoConnection,       // refused, reset, cut or timed out
    Dns,                // the server's name could not be resolved
    Proxy,              // the proxy could not be reached
    ProxyAuth,          // the proxy wants credentials that could not be given
    Tls,                // the secure channel or the certificate failed
    ServerError,        // an error answer, or one that is not usable
    DiskFull,
    DigestMismatch,
    SetupFailed,
    FolderNotWritable,
};
struct RunFailure {
    FailureKind kind = FailureKind::None;
    FailureClass failureClass = FailureClass::None;
    std::wstring setupName;  // the package's; empty for a failure before any package
    std::wstring name;
    std::wstring version;
    int code = 0;
    std::wstring message;    // a failure before any package: what the user was told
};

struct AppState {
    // The switches, set once at start.
    RunOptions options;
    // Window thread only: how the run ends if the window closes now.
    FailureKind ending = FailureKind::Cancelled;

    std::wstring caption;
    HWND mainWindow = nullptr;
    DWORD uiThreadId = 0;
    duWindowManager* windowManager = nullptr;

    duPlugin* prepareBar = nullptr;
    duPlugin* prepareInfo = nullptr;
    duPlugin* prepareValue = nullptr;
    duPlugin* setupBar = nullptr;
    duPlugin* setupInfo = nullptr;
    duPlugin* setupValue = nullptr;

    std::wstring prepareInfoText;
    std::wstring setupInfoText;
    int prepareDots = 0;
    int setupDots = 0;
    int lastShownProgress = 0;
    bool customRowExpanded = false;

    std::wstring productCode;
    std::wstring windowsName;
    std::wstring officeName;
    std::wstring dotNetName;
    std::wstring resultText;
    int resultCode = 0;
    int listRequested = 0;
    int lastReportedPrepareCode = 0;
    int lastReportedFinishCode = 0;

    std::atomic<bool> abort{false};
    // Tests of the window alone run without the preparation worker.
    bool prepareWorkerEnabled = true;
    std::atomic<int> downloadShare{0};
    std::atomic<int> progressSum{0};
    // How transient network failures are tried again (tests shorten the waits).
    // Set before the workers start; read-only while they run.
    RetryPolicy retryPolicy;

    // Set once by the start button before the workers exist, read-only after:
    // the folder that was checked is the folder every package goes to.
    std::wstring installFolder;
    bool installStarted = false;
    // The selected packages' semaphores; they live until the process ends.
    std::vector<KernelHandle> packageSemaphores;
    // The run's first real failure; read and written under failureLock.
    std::mutex failureLock;
    RunFailure firstFailure;

    // Statistics reports being sent; closing waits for them (PendingReports.h).
    std::atomic<int> reportsInFlight{0};
    // Window thread only: a close held back until the reports are out.
    bool closeDeferred = false;
    WPARAM deferredCloseParam = 0;

    // Window thread only: one preparation worker at a time; a retry asked for
    // while one still runs starts when it has ended.
    bool prepareRunning = false;
    bool prepareQueued = false;

    // Fault switches for tests, acting out a system out of resources: starts
    // of the thread of this name are refused (threads are started on the
    // window thread only), and so are the next N semaphores.
    std::wstring refusedThread;
    std::atomic<int> refuseSemaphores{0};

    // How long an unattended run waits for Word and Excel to end by
    // themselves; how long an unattended Finish page stays (seconds).
    DWORD officeWaitMs = 120000;
    int passiveCloseSeconds = 5;
    // Window thread only: the button an unattended run presses by itself
    // when the countdown on it ends.
    std::wstring autoCloseButton;
    std::wstring autoCloseLabel;
    int autoCloseLeft = 0;

    // Where verified package copies run from; made by the start button
    // before the workers exist (null when it could not be made).
    std::unique_ptr<RunFolder> runFolder;

    // Test seams, called on the install worker's thread when set: before a
    // downloaded package is read for its digest, and between the digest and
    // the start of the file that runs.
    std::function<void(const std::wstring& download)> beforeDigest;
    std::function<void(const std::wstring& download, const std::wstring& toRun)> beforeRun;
};

AppState& App();

// What the setup service is told about this machine and run, from the state.
ServiceFacts CurrentServiceFacts();
