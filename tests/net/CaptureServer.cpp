#include "tests/net/CaptureServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {
std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

// Content-Length of a request head; 0 when absent.
size_t DeclaredLength(const std::string& head) {
    std::string lower = Lower(head);
    size_t at = lower.find("\r\ncontent-length:");
    if (at == std::string::npos) return 0;
    return static_cast<size_t>(std::strtoull(head.c_str() + at + 17, nullptr, 10));
}
}  // namespace

CaptureServer::CaptureServer() {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
    ::listen(listener_, 8);
    int length = sizeof(addr);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length);
    port_ = ntohs(addr.sin_port);
    SetBody("ok");
    thread_ = std::thread([this] { Serve(); });
}

CaptureServer::~CaptureServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    ::closesocket(listener_);  // ends the blocking accept
    if (thread_.joinable()) thread_.join();
    ::WSACleanup();
}

void CaptureServer::SetResponse(const std::string& raw, long long sendLimit) {
    std::lock_guard<std::mutex> lock(mutex_);
    response_ = raw;
    sendLimit_ = sendLimit;
}

void CaptureServer::SetBody(const std::string& body, int status) {
    SetResponse("HTTP/1.1 " + std::to_string(status) + " Canned\r\nContent-Type: text/plain\r\nContent-Length: " +
                std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
}

std::vector<std::string> CaptureServer::Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

bool CaptureServer::WaitForRequests(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return arrived_.wait_for(lock, std::chrono::seconds(30), [&] { return requests_.size() >= count; });
}

void CaptureServer::Serve() {
    for (;;) {
        SOCKET client = ::accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                ::closesocket(client);
                return;
            }
        }
        HandleConnection(client);
        ::closesocket(client);
    }
}

void CaptureServer::HandleConnection(SOCKET client) {
    DWORD timeout = 15000;
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
    std::string request;
    char chunk[4096];
    size_t headEnd = std::string::npos;
    for (;;) {
        if (headEnd == std::string::npos) headEnd = request.find("\r\n\r\n");
        if (headEnd != std::string::npos && request.size() >= headEnd + 4 + DeclaredLength(request.substr(0, headEnd)))
            break;
        int n = ::recv(client, chunk, sizeof(chunk), 0);
        if (n <= 0) break;
        request.append(chunk, static_cast<size_t>(n));
        // Not HTTP (a TLS handshake, say): keep what came and stop reading.
        if (!request.empty() && static_cast<unsigned char>(request[0]) < 0x20) break;
    }
    std::string response;
    long long limit;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(request);
        response = response_;
        limit = sendLimit_;
    }
    arrived_.notify_all();
    if (static_cast<unsigned char>(request.empty() ? 0 : request[0]) < 0x20) return;
    size_t toSend = limit < 0 ? response.size() : std::min(response.size(), static_cast<size_t>(limit));
    size_t sent = 0;
    while (sent < toSend) {
        int n = ::send(client, response.data() + sent, static_cast<int>(toSend - sent), 0);
        if (n <= 0) break;
        sent += static_cast<size_t>(n);
    }
    ::shutdown(client, SD_SEND);
    // Let the client read everything before the socket goes away.
    while (::recv(client, chunk, sizeof(chunk), 0) > 0) {
    }
}

std::vector<std::string> HeadLines(const std::string& request) {
    std::vector<std::string> lines;
    size_t end = request.find("\r\n\r\n");
    std::string head = request.substr(0, end);
    size_t start = 0;
    while (start <= head.size()) {
        size_t eol = head.find("\r\n", start);
        if (eol == std::string::npos) eol = head.size();
        lines.push_back(head.substr(start, eol - start));
        start = eol + 2;
    }
    return lines;
}

std::string BodyOf(const std::string& request) {
    size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : request.substr(end + 4);
}

namespace {
std::vector<std::string> ValuesOf(const std::string& request, const std::string& name) {
    std::vector<std::string> values;
    std::vector<std::string> lines = HeadLines(request);
    std::string wanted = Lower(name) + ":";
    for (size_t i = 1; i < lines.size(); ++i) {
        if (Lower(lines[i]).compare(0, wanted.size(), wanted) == 0) {
            std::string value = lines[i].substr(wanted.size());
            size_t first = value.find_first_not_of(' ');
            values.push_back(first == std::string::npos ? std::string() : value.substr(first));
        }
    }
    return values;
}
}  // namespace

std::string HeaderValue(const std::string& request, const std::string& name) {
    std::vector<std::string> values = ValuesOf(request, name);
    return values.empty() ? std::string() : values.front();
}

int HeaderCount(const std::string& request, const std::string& name) {
    return static_cast<int>(ValuesOf(request, name).size());
}
