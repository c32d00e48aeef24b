#pragma once
// A loopback HTTP server for wire-format tests: keeps the exact bytes of every
// request it receives and answers each with a canned response.
#include <winsock2.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CaptureServer {
public:
    CaptureServer();
    ~CaptureServer();
    CaptureServer(const CaptureServer&) = delete;
    CaptureServer& operator=(const CaptureServer&) = delete;

    int Port() const { return port_; }
    std::wstring BaseUrl() const { return L"http://127.0.0.1:" + std::to_wstring(port_); }

    // The raw bytes sent after each request; sendLimit cuts them short (then
    // the connection is closed), -1 sends them all.
    void SetResponse(const std::string& raw, long long sendLimit = -1);
    // A 200 (or given status) response with this body and its Content-Length.
    void SetBody(const std::string& body, int status = 200);

    // Raw requests received so far (head and body as read off the socket).
    std::vector<std::string> Requests();
    // Waits (bounded) until at least count requests have arrived.
    bool WaitForRequests(size_t count);

private:
    void Serve();
    void HandleConnection(SOCKET client);

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<std::string> requests_;
    std::string response_;
    long long sendLimit_ = -1;
    bool stopping_ = false;
};

// The head of a raw request split into lines (without CR LF).
std::vector<std::string> HeadLines(const std::string& request);
// The body of a raw request (everything after the blank line).
std::string BodyOf(const std::string& request);
// The value of the first header with this name (case-insensitive); "" if none.
std::string HeaderValue(const std::string& request, const std::string& name);
// How many headers carry this name.
int HeaderCount(const std::string& request, const std::string& name);
