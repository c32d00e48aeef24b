#pragma once
// The session, connection and request of one exchange, closed in reverse
// order, and what the exchange learnt of the answer.
#include "net/ResponseFacts.h"
#include "support/InternetHandle.h"

#include <string>

struct HttpExchange {
    // Members are destroyed in reverse order: request, connection, session.
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
};

// Sends the request with its body and receives the answer. A proxy that asks
// for credentials gets the signed-in user's where WinHTTP can give them
// (NTLM, Negotiate); still refused, the result is ERR_PROXY_AUTH. Fills the
// status, Retry-After and validator of facts. 0 or an error code.
int SendRequest(HINTERNET request, const std::string& body, ResponseFacts& facts);

// The numeric status of a received response; 0 when it cannot be read.
unsigned ResponseStatus(HINTERNET request);

// A header value of a received response; empty when absent.
std::wstring ResponseHeader(HINTERNET request, DWORD query);

// Seconds a Retry-After value asks for (delta seconds or an HTTP date); -1
// when it is neither.
int RetryAfterSeconds(const std::wstring& value);

// True when status is a success (2xx).
inline bool IsSuccessStatus(unsigned status) { return status >= 200 && status < 300; }
