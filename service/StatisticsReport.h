#pragma once
// The statistics report: how an installation attempt went.
#include "net/Retry.h"
#include "service/ServiceFacts.h"

#include <string>

// The remark JSON in the service's stored layout (tabs and blanks included,
// numbers in quotes), every value escaped as a JSON string.
std::wstring FormatStatisticsRemark(const ServiceFacts& facts, const std::wstring& packageList);

// A text as the inside of a JSON string: quote, backslash and control
// characters escaped, everything else as it is.
std::wstring JsonStringContent(const std::wstring& text);

// Posts ver, type, rdtype, remark and view_mode to serviceUrl +
// "/api/statistics". True when the exchange succeeded (any HTTP status);
// false at once for an empty type. Sent again (as policy says, logged) only
// when it cannot have been stored: nothing connected, or 429/503.
bool PostStatistics(const std::wstring& serviceUrl, const std::wstring& version, const std::wstring& type,
                    const std::wstring& remark, const RetryPolicy& policy = RetryPolicy());
