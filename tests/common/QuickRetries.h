#pragma once
// A retry policy with the built-in proportions (three retries, each wait
// twice the last, Retry-After honoured up to a cap) and waits short enough
// for tests: 10 ms growing, a Retry-After second of 100 ms, capped at 1 s.
#include "net/Retry.h"

inline RetryPolicy QuickRetries() {
    RetryPolicy policy;
    policy.firstWaitMs = 10;
    policy.retryAfterSecondMs = 100;
    policy.retryAfterCapMs = 1000;
    return policy;
}
