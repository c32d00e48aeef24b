#pragma once
// Reaching the local setup service (tools/setup-service) from a test.
//
// ctest starts one service for the whole run through the fixture
// "kestrane_setup_service" (defined in tests/net/CMakeLists.txt) and stops it
// afterwards. A test that talks to it declares, in its CMakeLists.txt:
//
//   kestrane_add_test(service_tests SOURCES ... LIBS service ws2_32)
//   kestrane_require_setup_service(service_tests)
//
// kestrane_require_setup_service also puts the test under the resource lock
// "kestrane_setup_service", so tests that switch faults never overlap (even
// with ctest -j). The service writes its port to
// $KESTRANE_BUILD_DIR/setup-service/port; its log is service.log beside it.
// Faults and recorded requests are switched and read through its control
// endpoint "/control/..."; every test should call ResetFaults() first (faults
// stay on until reset). Requests to /control are never recorded.
//
// Faults (SetFault(name, value)); several may be on at once. A reset also
// ends every stall in progress:
//   drop_after=N     package files: close the connection after N body bytes
//   drop_at=N        package files: close the connection at byte N of the
//                    file, whatever range was asked for
//   stall=S          any non-control request: wait S seconds before answering
//   stall_after=N    package files: after N body bytes, wait stall_seconds
//                    (default 30) before sending the rest
//   ignore_range=1   package files: answer 200 with the whole file
//   range_offset=N   package files: answer a Range request 206 with the bytes
//                    from N past the asked first byte (Content-Range says so)
//   trickle=N        package files: send the body N bytes at a time,
//                    trickle_ms (default 200) apart; a reset sends the rest
//   stall_statistics=S  "/api/statistics": wait S seconds before storing
//                    the report and answering
//   status=NNN       any non-control request: answer NNN with an HTML error page
//   json=malformed | oversized (163,839 bytes) | nonobject | refusal
//                    "/api/setup/install" answers that instead of the catalog;
//   json=escaped_slashes  the real answer with every "/" written "\/"
//   json_bytes=N     "/api/setup/install": the real answer padded with blanks
//                    to exactly N bytes (e.g. 163838)
//   bad_md5=<setup_name>   that package is listed with a wrong digest
//   upper_md5=1      digests listed in upper-case hexadecimal
//   serve_file=<setup_name>:<file>  that package is listed with another served
//                    file (e.g. Failing_3010.exe), its size and digest
//   status_times=K   with status: only the next K matching requests
//   status_path=P    with status: only requests whose path starts with P
//   retry_after=S    with status: the error answer carries "Retry-After: S"
//   flaky=N          package files: every Nth answer is cut after flaky_after
//                    (default 1000) body bytes, at most flaky_times (K) times
//   no_validator=1   package files: no ETag or Last-Modified (otherwise ETag is
//                    the quoted md5 and If-Range is honoured)
//   revise=<file>    that package file is served (and listed) as a revised
//                    build with other bytes and a new ETag
//   proxy_auth=basic|ntlm|negotiate  the local proxy answers 407 with that
//                    challenge to every request without Proxy-Authorization
// SetInstallAnswer(body) makes "/api/setup/install" answer body verbatim.
//
// The local proxy listens on ProxyPort() and forwards plain HTTP requests
// (absolute or origin form) to the host they name; "/proxy.pac" on the service
// is a configuration script that names it.
//
// Read-back: LastRequest() is the raw bytes (head and body) of the last
// non-control request; LastStatistics(n) the last n statistics reports as a
// JSON array of {"id": n, "fields": {...}, "raw": "..."} objects, newest last
// (ids grow with every report).
// Journal(prefix) lists the non-control requests whose path starts with
// prefix as {"time", "method", "path", "range", "if_range", "status"};
// ProxyJournal() what came through the proxy as {"time", "method", "host",
// "path", "credentials"}. A reset empties both.
// PackageUrl(name) is the URL of a package file; the catalog
// (tools/setup-service/catalog.json) names the packages.
//
// Include this header before anything that includes windows.h (winsock2.h
// must come first).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>

namespace local_service {

// The Windows form of $KESTRANE_BUILD_DIR (a Linux path reached through Z:).
inline std::string BuildDirWindows() {
    const char* dir = std::getenv("KESTRANE_BUILD_DIR");
    if (!dir || !*dir) return std::string();
    std::string path = dir;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path.size() > 1 && path[1] == ':' ? path : "Z:" + path;
}

// The port from the service's port file; 0 when the service is not running.
inline int Port() {
    std::ifstream in(BuildDirWindows() + "\\setup-service\\port");
    int port = 0;
    in >> port;
    return port;
}

// The local proxy's port; 0 when the service is not running.
inline int ProxyPort() {
    std::ifstream in(BuildDirWindows() + "\\setup-service\\proxy_port");
    int port = 0;
    in >> port;
    return port;
}

inline std::wstring BaseUrl() { return L"http://127.0.0.1:" + std::to_wstring(Port()); }

inline std::wstring PackageUrl(const std::wstring& fileName) { return BaseUrl() + L"/packages/" + fileName; }

// One plain HTTP/1.0 exchange with the service; returns the body ("" on failure).
inline std::string Exchange(const std::string& method, const std::string& target, const std::string& body = "") {
    WSADATA wsa;
    if (::WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return std::string();
    std::string answer;
    SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s != INVALID_SOCKET) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<u_short>(Port()));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
            std::string request = method + " " + target + " HTTP/1.0\r\nHost: 127.0.0.1\r\nContent-Length: " +
                                  std::to_string(body.size()) + "\r\n\r\n" + body;
            size_t sent = 0;
            while (sent < request.size()) {
                int n = ::send(s, request.data() + sent, static_cast<int>(request.size() - sent), 0);
                if (n <= 0) break;
                sent += static_cast<size_t>(n);
            }
            char chunk[8192];
            for (;;) {
                int n = ::recv(s, chunk, sizeof(chunk), 0);
                if (n <= 0) break;
                answer.append(chunk, static_cast<size_t>(n));
            }
        }
        ::closesocket(s);
    }
    ::WSACleanup();
    size_t headEnd = answer.find("\r\n\r\n");
    return headEnd == std::string::npos ? std::string() : answer.substr(headEnd + 4);
}

// Switches one fault on (value "0" or "" switches it off).
inline bool SetFault(const std::string& name, const std::string& value) {
    return Exchange("GET", "/control/fault?" + name + "=" + value) == "ok";
}
// Switches several faults on at once, e.g. {{"flaky", "1"}, {"flaky_times", "3"}}.
inline bool SetFaults(std::initializer_list<std::pair<const char*, const char*>> faults) {
    for (const auto& fault : faults)
        if (!SetFault(fault.first, fault.second)) return false;
    return true;
}
inline bool ResetFaults() { return Exchange("GET", "/control/reset") == "ok"; }
inline bool SetInstallAnswer(const std::string& body) { return Exchange("POST", "/control/install-answer", body) == "ok"; }
inline std::string LastRequest() { return Exchange("GET", "/control/last-request"); }
inline std::string Journal(const std::string& pathPrefix) { return Exchange("GET", "/control/journal?path=" + pathPrefix); }
inline std::string ProxyJournal() { return Exchange("GET", "/control/proxy-journal"); }

// How often needle occurs in text (entries of a journal, say).
inline int CountOf(const std::string& text, const std::string& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

inline std::string LastStatistics(int count = 1) {
    return Exchange("GET", "/control/statistics?last=" + std::to_string(count));
}

}  // namespace local_service
