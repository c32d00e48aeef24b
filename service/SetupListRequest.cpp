#include "service/SetupListRequest.h"

#include "net/WinHttpHandler.h"
#include "service/AnswerText.h"
#include "service/FormBodyText.h"
#include "service/RetryingPost.h"
#include "support/CodedConversion.h"
#include "support/Log.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <set>
#include <vector>

namespace {

using nlohmann::json;

// The C rule of atoi: leading blanks and a sign, digits up to the first
// other character, 0 when there are none (out-of-range values saturate).
int DecimalValue(const std::string& text) {
    long value = std::strtol(text.c_str(), nullptr, 10);
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

// Every key must be there with a string value; numbers are written as strings.
bool ReadString(const json& package, const char* key, std::string& out) {
    auto found = package.find(key);
    if (found == package.end() || !found->is_string()) return false;
    out = found->get_ref<const std::string&>();
    return true;
}

// Sizes are kept in 32 bits; a larger one must not pass for a smaller one.
bool SizeFits(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 10) <= INT_MAX; }

void LogError(const wchar_t* what, const std::string& utf8Detail);

bool ReadPackage(const json& package, SetupInfo& info) {
    std::string setupName, name, type, size, url, description, cmd, version, sort, md5;
    if (!ReadString(package, "setup_name", setupName) || !ReadString(package, "name", name) ||
        !ReadString(package, "type", type) || !ReadString(package, "size", size) ||
        !ReadString(package, "url", url) || !ReadString(package, "description", description) ||
        !ReadString(package, "cmd", cmd) || !ReadString(package, "version", version) ||
        !ReadString(package, "sort", sort) || !ReadString(package, "md5", md5))
        return false;
    CCodedConversion conversion;
    info.setup_name = conversion.Utf8ToWide(setupName);
    info.name = conversion.Utf8ToWide(name);
    info.type = DecimalValue(type);
    info.size = DecimalValue(size);
    info.url = conversion.Utf8ToWide(url);
    info.description = conversion.Utf8ToWide(description);
    info.cmd = conversion.Utf8ToWide(cmd);
    info.version = conversion.Utf8ToWide(version);
    info.sort = DecimalValue(sort);
    info.md5 = conversion.Utf8ToWide(md5);
    if (!SizeFits(size)) {
        info.recordFault = ERROR_FILE_TOO_LARGE;
        LogError(L"安装包大小超出32位范围，不会下载: ", name + ", size=" + size);
    }
    return true;
}

void LogError(const wchar_t* what, const std::string& utf8Detail) {
    WriteLog(std::wstring(L"CModelSetup::GetSetupList ") + what + CCodedConversion().Utf8ToWide(utf8Detail),
             LOG_ERROR);
}

// The names already in the list: a name is the key records are updated by.
std::set<std::wstring> SetupNamesIn(CSafeLList<SetupInfo>& list) {
    std::set<std::wstring> names;
    SetupInfo item;
    for (unsigned i = 0; list.GetAt(i, item); ++i) names.insert(item.setup_name);
    return names;
}

} // namespace

int ReadSetupList(const std::string& answer, CSafeLList<SetupInfo>& list) {
    try {
        const json document = json::parse(LenientJsonText(answer));
        if (!document.at("result").get<bool>()) {
            LogError(L"服务器响应请求失败：", document.at("failReason").get<std::string>());
            return ERR_BAD_RESPONSE;
        }
        std::set<std::wstring> names = SetupNamesIn(list);
        for (const json& element : document.at("data").get_ref<const json::array_t&>()) {
            if (!element.is_object()) {
                LogError(L"解析json信息异常:", "a package entry is not an object");
                return ERR_BAD_RESPONSE;
            }
            SetupInfo info;
            if (!ReadPackage(element, info)) continue;
            // A second record of a name would be overwritten with the first
            // and installed twice: the first one stays.
            if (!names.insert(info.setup_name).second) {
                WriteLog(L"CModelSetup::GetSetupList 重复的setup_name，已忽略: " + info.setup_name, LOG_WARN);
                continue;
            }
            list.Add(info);
        }
        return 0;
    } catch (const json::exception& error) {
        LogError(L"解析json信息异常:", error.what());
    } catch (const std::exception& error) {
        LogError(L"解析json信息异常:", error.what());
    }
    return ERR_BAD_RESPONSE;
}

int RequestSetupList(const std::wstring& serviceUrl, const ServiceFacts& facts, const std::wstring& localVersion,
                     CSafeLList<SetupInfo>& list, const RetryPolicy& policy, const RetryObserver& observer,
                     ResponseFacts* last) {
    CCodedConversion conversion;
    std::vector<FormField> fields;
    fields.push_back(MakeFormField("setup_name", conversion.WideToUtf8(facts.setupName)));
    fields.push_back(MakeLiteralField("setup_type", "1"));
    fields.push_back(MakeFormField("win_ver", conversion.WideToUtf8(facts.windowsName)));
    fields.push_back(MakeFormField("office_ver", conversion.WideToUtf8(facts.officeName)));
    fields.push_back(MakeFormField("netf_ver", conversion.WideToUtf8(facts.dotNetName)));
    fields.push_back(MakeFormField("local_ver", conversion.WideToUtf8(localVersion)));
    WriteLog(L"CModelSetup::GetSetupList 提交检测信息: " + conversion.Utf8ToWide(FormBodyText(fields)), LOG_INFO);

    std::vector<char> answer(kServiceAnswerCapacity, '\0');
    unsigned size = kServiceAnswerCapacity;
    ResponseFacts answered;
    const int rc = PostWithRetries(serviceUrl, L"/api/setup/install", fields, answer, size, RequestKind::Query, policy,
                                   LoggingRetries(L"CModelSetup::GetSetupList", observer), &answered);
    WriteLog(L"CModelSetup::GetSetupList 网络连接: " + DescribeProxy(answered.proxy), LOG_INFO);
    if (last) *last = answered;
    if (rc != 0) {
        wchar_t message[128] = {};
        _snwprintf_s(message, 128, _TRUNCATE, L"CModelSetup::GetSetupList 提交获取请求失败 Errno=%d!", rc);
        WriteLog(message, LOG_ERROR);
        return rc;
    }
    // The text ends at its terminating zero, as the transport stored it.
    return ReadSetupList(std::string(answer.data(), ::strnlen(answer.data(), size)), list);
}
