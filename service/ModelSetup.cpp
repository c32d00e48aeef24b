#include "service/ModelSetup.h"

#include "service/ServiceAddress.h"
#include "service/SetupListRequest.h"
#include "service/StatisticsReport.h"
#include "support/PackageList.h"

#include <windows.h>

CModelSetup& CModelSetup::Instance() {
    static CModelSetup instance;
    return instance;
}

std::wstring CModelSetup::BuildServiceUrl() const {
    return ServiceAddressFromCommandLine(::GetCommandLineW(), DefaultServiceHost());
}

int CModelSetup::GetSetupList(const ServiceFacts& facts, const std::wstring& localVersion,
                              const RetryPolicy& policy, const RetryObserver& observer, ResponseFacts* last) {
    return RequestSetupList(BuildServiceUrl(), facts, localVersion, PackageList, policy, observer, last);
}

bool CModelSetup::SendStatistics(const std::wstring& version, const std::wstring& type, const std::wstring& remark,
                                 const RetryPolicy& policy) {
    return PostStatistics(BuildServiceUrl(), version, type, remark, policy);
}

bool CModelSetup::ReportSetupResult(const ServiceFacts& facts, const std::wstring& version,
                                    const std::wstring& packageList, const RetryPolicy& policy) {
    return SendStatistics(version, L"setup_online", FormatStatisticsRemark(facts, packageList), policy);
}
