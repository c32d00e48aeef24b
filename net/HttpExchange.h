#pragma once
// The session, connection and request of one exchange, closed in reverse order.
#include "support/InternetHandle.h"

#include <string>

struct HttpExchange {
    // Members are destroyed in reverse order: request, connection, session.
    InternetHandle session;
    InternetHandle connection;
    InternetHandle request;
};

// The numeric status of a received response; 0 when it cannot be read.
unsigned ResponseStatus(HINTERNET request);

// A header value of a received response; empty when absent.
std::wstring ResponseHeader(HINTERNET request, DWORD query);

// True when status is a success (2xx).
inline bool IsSuccessStatus(unsigned status) { return status >= 200 && status < 300; }
