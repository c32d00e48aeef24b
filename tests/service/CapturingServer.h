#pragma once
// A one-connection-at-a-time HTTP server on 127.0.0.1 for wire tests: it
// keeps the exact bytes of every request and answers each with the status and
// body it was given.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct CapturedRequest {
    std::string head;  // request line and headers, up to the blank line
    std::string body;
    std::string RequestLine() const { return head.substr(0, head.find("\r\n")); }
};

class CapturingServer {
public:
    CapturingServer() {
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 8);
        int length = sizeof addr;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &length);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~CapturingServer() {
        ::closesocket(listener_);  // ends the accept loop
        thread_.join();
        ::WSACleanup();
    }
    CapturingServer(const CapturingServer&) = delete;
    CapturingServer& operator=(const CapturingServer&) = delete;

    int Port() const { return port_; }
    std::wstring Address() const { return L"127.0.0.1:" + std::to_wstring(port_); }

    void Answer(const std::string& body, int status = 200) {
        std::lock_guard<std::mutex> guard(lock_);
        answerBody_ = body;
        answerStatus_ = status;
    }
    std::vector<CapturedRequest> Requests() {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_;
    }
    CapturedRequest Last() {
        std::lock_guard<std::mutex> guard(lock_);
        return requests_.empty() ? CapturedRequest() : requests_.back();
    }

private:
    static size_t ContentLength(const std::string& head) {
        std::string lower = head;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        size_t at = lower.find("\r\ncontent-length:");
        if (at == std::string::npos) return 0;
        return static_cast<size_t>(std::strtoul(head.c_str() + at + 17, nullptr, 10));
    }

    void Serve() {
        for (;;) {
            SOCKET client = ::accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            DWORD timeoutMs = 10000;  // a client that stops talking cannot hold the server
            ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
            std::string data;
            char chunk[65536];
            size_t headEnd = std::string::npos;
            while (headEnd == std::string::npos) {
                int n = ::recv(client, chunk, sizeof chunk, 0);
                if (n <= 0) break;
                data.append(chunk, static_cast<size_t>(n));
                headEnd = data.find("\r\n\r\n");
            }
            if (headEnd != std::string::npos) {
                CapturedRequest request;
                request.head = data.substr(0, headEnd + 2);
                size_t want = ContentLength(request.head);
                request.body = data.substr(headEnd + 4);
                while (request.body.size() < want) {
                    int n = ::recv(client, chunk, sizeof chunk, 0);
                    if (n <= 0) break;
                    request.body.append(chunk, static_cast<size_t>(n));
                }
                std::string body;
                int status;
                {
                    std::lock_guard<std::mutex> guard(lock_);
                    requests_.push_back(request);
                    body = answerBody_;
                    status = answerStatus_;
                }
                std::string answer = "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Error") +
                                     "\r\nContent-Type: application/json\r\nContent-Length: " +
                                     std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
                for (size_t sent = 0; sent < answer.size();) {
                    int n = ::send(client, answer.data() + sent, static_cast<int>(answer.size() - sent), 0);
                    if (n <= 0) break;
                    sent += static_cast<size_t>(n);
                }
                ::shutdown(client, SD_SEND);
                while (::recv(client, chunk, sizeof chunk, 0) > 0) {
                }
            }
            ::closesocket(client);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::mutex lock_;
    std::string answerBody_ = "{\"result\":true,\"data\":[]}";
    int answerStatus_ = 200;
    std::vector<CapturedRequest> requests_;
};
