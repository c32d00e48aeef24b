#pragma once
// The package-list request: tells the service what the machine has and adds
// one record per package of its answer to a list.
#include "net/Retry.h"
#include "service/ServiceFacts.h"
#include "support/SafeLList.h"
#include "support/SetupInfo.h"

#include <string>

constexpr int ERR_BAD_RESPONSE = -104;  // the answer is not a success envelope
constexpr unsigned kServiceAnswerCapacity = 0x28000;

// Reads a UTF-8 JSON answer {"result": true, "data": [{package}, ...]} and
// adds each complete package to list, in order. A package with a missing key
// or a non-string value is skipped, and so is (logged) one whose setup_name
// the list already holds. Ill-formed UTF-8 and raw control characters in
// strings are tolerated (AnswerText.h). Returns 0, or ERR_BAD_RESPONSE for a
// refusal or anything that is not that envelope (records added before the
// fault stay). Never throws.
int ReadSetupList(const std::string& answer, CSafeLList<SetupInfo>& list);

// Posts the six facts to serviceUrl + "/api/setup/install" and reads the
// answer into list. 0, ERR_BAD_RESPONSE, or the transport's code. Transient
// failures (and 5xx answers) are tried again as policy says, each retry
// logged and told to observer; last (may be null) gets the last attempt's facts.
int RequestSetupList(const std::wstring& serviceUrl, const ServiceFacts& facts, const std::wstring& localVersion,
                     CSafeLList<SetupInfo>& list, const RetryPolicy& policy = RetryPolicy(),
                     const RetryObserver& observer = RetryObserver(), ResponseFacts* last = nullptr);
