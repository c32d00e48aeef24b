// Times one download of a URL under Wine, in one of four ways:
//   resume <url> <file>  CWinHttpHandler::DownloadResume into file (256 KiB chunks)
//   retry  <url> <file>  DownloadWithRetries into file with the built-in retry
//                        policy, as the download worker runs it
//   bare   <url>         a bare WinHTTP read loop, body discarded
//   write  <file> <MiB>  writing that many MiB to file in 256 KiB chunks, no network
//   memory <url> <file> <copy>  as the workers do: DownloadWithRetries, then
//                        the verified copy with its MD5; prints
//                        "<bytes> <seconds> <peak working set bytes>"
// Prints "<bytes> <seconds>"; retry adds "<retries> <milliseconds waited>".
#include "net/RetryingDownload.h"
#include "net/WinHttpHandler.h"
#include "support/Handles.h"
#include "support/InternetHandle.h"
#include "support/VerifiedCopy.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr unsigned kChunk = 0x40000;

std::wstring Wide(const char* text) { return std::wstring(text, text + std::strlen(text)); }

// What the download worker's callback does, without the list: add up.
struct Counted {
    long long bytes = 0;
};
void Add(int bytes, void* context) { static_cast<Counted*>(context)->bytes += bytes; }

// The download worker's task for url into file, counting into counted.
DownloadTask CountedTask(const char* url, const char* file, Counted& counted, std::atomic<int>& running) {
    DownloadTask task;
    task.url = Wide(url);
    task.destination = Wide(file);
    task.chunkSize = kChunk;
    task.callback = Add;
    task.stopFlag = &running;
    task.context = &counted;
    return task;
}

long long BareLoop(const std::wstring& url) {
    wchar_t host[256] = {}, path[1024] = {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 1024;
    if (!::WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return -1;
    InternetHandle session(::WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0));
    InternetHandle connection(::WinHttpConnect(session.get(), host, parts.nPort, 0));
    InternetHandle request(::WinHttpOpenRequest(connection.get(), L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                                WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request || !::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, nullptr, 0, 0, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr))
        return -1;
    std::vector<char> buffer(kChunk);
    long long total = 0;
    for (;;) {
        DWORD ready = 0, read = 0;
        if (!::WinHttpQueryDataAvailable(request.get(), &ready) || ready == 0) break;
        if (!::WinHttpReadData(request.get(), buffer.data(), ready < kChunk ? ready : kChunk, &read) || read == 0)
            break;
        total += read;
    }
    return total;
}

long long WriteOnly(const std::wstring& file, long long mib) {
    KernelHandle out(::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!out) return -1;
    std::vector<char> buffer(kChunk, 'w');
    long long total = 0;
    for (long long left = mib * 1024 * 1024; left > 0; left -= kChunk) {
        DWORD written = 0;
        if (!::WriteFile(out.get(), buffer.data(), kChunk, &written, nullptr)) return -1;
        total += written;
    }
    return total;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: bench_download resume|retry <url> <file> | bare <url> | write <file> <MiB>\n");
        return 2;
    }
    const std::string mode = argv[1];
    auto start = std::chrono::steady_clock::now();
    long long bytes = -1;
    if (mode == "resume" && argc >= 4) {
        std::atomic<int> running{1};
        Counted counted;
        int rc = CWinHttpHandler(Wide(argv[2])).DownloadResume(Wide(argv[3]), 0, 0, kChunk, Add, &running, &counted);
        bytes = rc == 0 ? counted.bytes : -1;
        if (rc) std::fprintf(stderr, "DownloadResume failed: %d\n", rc);
    } else if (mode == "retry" && argc >= 4) {
        std::atomic<int> running{1};
        Counted counted;
        const DownloadTask task = CountedTask(argv[2], argv[3], counted, running);
        int retries = 0;
        unsigned long long waited = 0;
        const int rc = DownloadWithRetries(task, RetryPolicy(), [&retries, &waited](const RetryNotice& notice) {
            ++retries;
            waited += notice.waitMs;
        });
        bytes = rc == 0 ? counted.bytes : -1;
        if (rc) std::fprintf(stderr, "DownloadWithRetries failed: %d\n", rc);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%lld %.6f %d %llu\n", bytes, seconds, retries, waited);
        return bytes < 0 ? 1 : 0;
    } else if (mode == "memory" && argc >= 5) {
        std::atomic<int> running{1};
        Counted counted;
        const DownloadTask task = CountedTask(argv[2], argv[3], counted, running);
        std::string md5;
        if (DownloadWithRetries(task, RetryPolicy(), [](const RetryNotice&) {}) != 0 ||
            CopyWithMd5(task.destination, Wide(argv[4]), md5) != 0)
            return 1;
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%lld %.6f %llu %s\n", counted.bytes, seconds,
                    static_cast<unsigned long long>(counters.PeakWorkingSetSize), md5.c_str());
        return 0;
    } else if (mode == "bare") {
        bytes = BareLoop(Wide(argv[2]));
    } else if (mode == "write" && argc >= 4) {
        bytes = WriteOnly(Wide(argv[2]), std::atoll(argv[3]));
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%lld %.6f\n", bytes, seconds);
    return bytes < 0 ? 1 : 0;
}
