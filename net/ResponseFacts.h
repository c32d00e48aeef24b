#pragma once
// What the last operation of a handler learnt beyond its result code: the
// way it went out and the answer's status and headers that decide a retry
// or a resume.
#include "net/ProxyChoice.h"

#include <string>

struct ResponseFacts {
    ProxyChoice proxy;
    unsigned status = 0;         // 0: no answer arrived
    int retryAfterSeconds = -1;  // Retry-After in seconds; -1 when there is none
    std::wstring validator;      // a strong ETag, else Last-Modified; empty when neither
    // A download found a stored validator it could not use and resumed without one.
    bool storedValidatorRejected = false;
};
