#include "service/StatisticsReport.h"

#include "service/FormBodyText.h"
#include "service/RetryingPost.h"
#include "service/SetupListRequest.h"
#include "support/CodedConversion.h"
#include "support/Log.h"

#include <cwchar>
#include <vector>

std::wstring JsonStringContent(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        switch (c) {
        case L'"': out += L"\\\""; break;
        case L'\\': out += L"\\\\"; break;
        case L'\b': out += L"\\b"; break;
        case L'\f': out += L"\\f"; break;
        case L'\n': out += L"\\n"; break;
        case L'\r': out += L"\\r"; break;
        case L'\t': out += L"\\t"; break;
        default:
            if (c < 0x20) {
                wchar_t escape[8] = {};
                _snwprintf_s(escape, 8, _TRUNCATE, L"\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::wstring FormatStatisticsRemark(const ServiceFacts& facts, const std::wstring& packageList) {
    // The service stores the remark as it arrives; the tab-and-blank runs are
    // part of the layout it has always received.
    static const wchar_t kIndent[] = L"\t\t\t\t\t   ";
    return L"{\"setup_name\":\"" + JsonStringContent(facts.setupName) + L"\",\"win_ver\":\"" +
           JsonStringContent(facts.windowsName) + L"\",\"office_ver\":\"" + JsonStringContent(facts.officeName) +
           L"\"," + kIndent + L"\"netf_ver\":\"" + JsonStringContent(facts.dotNetName) + L"\",\"setup_type\":\"" +
           std::to_wstring(facts.setupType) + L"\",\"setup_list\":\"" + JsonStringContent(packageList) + L"\"," +
           kIndent + L"\"error_code\":\"" + std::to_wstring(facts.errorCode) + L"\",\"error_msg\":\"" +
           JsonStringContent(facts.errorMessage) + L"\"}";
}

bool PostStatistics(const std::wstring& serviceUrl, const std::wstring& version, const std::wstring& type,
                    const std::wstring& remark, const RetryPolicy& policy) {
    if (type.empty()) return false;
    CCodedConversion conversion;
    std::vector<FormField> fields;
    fields.push_back(MakeFormField("ver", conversion.WideToUtf8(version)));
    fields.push_back(MakeFormField("type", conversion.WideToUtf8(type)));
    fields.push_back(MakeLiteralField("rdtype", "0"));
    fields.push_back(MakeFormField("remark", conversion.WideToUtf8(remark)));
    fields.push_back(MakeLiteralField("view_mode", "client"));
    WriteLog(L"CModelSetup::GetSetupList 提交日志信息: " + conversion.Utf8ToWide(FormBodyText(fields)), LOG_INFO);

    std::vector<char> answer(kServiceAnswerCapacity, '\0');
    unsigned size = kServiceAnswerCapacity;
    return PostWithRetries(serviceUrl, L"/api/statistics", fields, answer, size, RequestKind::Report, policy,
                           LoggingRetries(L"CModelSetup::SendStatistics", RetryObserver())) == 0;
}
