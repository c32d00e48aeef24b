#pragma once
// The client of the setup service: the package list and the statistics
// report, both sent to the address of BuildServiceUrl.
#include "net/Retry.h"
#include "service/ServiceFacts.h"

#include <string>

class CModelSetup {
public:
    // The one object of the process, made on first use.
    static CModelSetup& Instance();

    CModelSetup(const CModelSetup&) = delete;
    CModelSetup& operator=(const CModelSetup&) = delete;

    // The service address: "/sns=<address>" from the first command-line
    // argument, else the built-in host.
    std::wstring BuildServiceUrl() const;

    // Sends setupName, setup type 1, windowsName, officeName, dotNetName and
    // localVersion; adds the answer's packages to PackageList (which it does
    // not clear). 0, ERR_BAD_RESPONSE (-104) or the transport's code.
    // Transient failures are retried as policy says (observer is told of each
    // retry; last gets the last attempt's facts). Blocking: call it on a
    // worker thread.
    int GetSetupList(const ServiceFacts& facts, const std::wstring& localVersion,
                     const RetryPolicy& policy = RetryPolicy(), const RetryObserver& observer = RetryObserver(),
                     ResponseFacts* last = nullptr);

    // Posts one statistics report; true when the POST went through.
    bool SendStatistics(const std::wstring& version, const std::wstring& type, const std::wstring& remark,
                        const RetryPolicy& policy = RetryPolicy());

    // Formats the remark from facts (setupName, windowsName, officeName,
    // dotNetName, setupType, errorCode, errorMessage) and the package list
    // text, and sends it with type "setup_online".
    bool ReportSetupResult(const ServiceFacts& facts, const std::wstring& version, const std::wstring& packageList,
                           const RetryPolicy& policy = RetryPolicy());

private:
    CModelSetup() = default;
};
