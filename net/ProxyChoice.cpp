#include "net/ProxyChoice.h"

#include "support/InternetHandle.h"

#include <mutex>
#include <set>

namespace {

// Takes a string WinHTTP allocated for the caller and frees it.
std::wstring TakeGlobalText(LPWSTR text) {
    std::wstring value = text ? text : L"";
    GlobalMemory owner(text);
    return value;
}

struct UserProxySettings {
    bool autoDetect = false;
    std::wstring script;
    std::wstring proxy;
    std::wstring bypass;
};

UserProxySettings ReadUserSettings() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    UserProxySettings settings;
    if (!::WinHttpGetIEProxyConfigForCurrentUser(&config)) return settings;
    settings.autoDetect = config.fAutoDetect != FALSE;
    settings.script = TakeGlobalText(config.lpszAutoConfigUrl);
    settings.proxy = TakeGlobalText(config.lpszProxy);
    settings.bypass = TakeGlobalText(config.lpszProxyBypass);
    return settings;
}

// Automatic configuration that failed once (no detection answer, a script
// that cannot be fetched or run) is not tried again for every request of the
// process: on a network without it, each try can cost seconds.
class FailedAutomaticConfigs {
public:
    bool Failed(const std::wstring& key) {
        std::lock_guard<std::mutex> guard(lock_);
        return failed_.count(key) != 0;
    }
    void Remember(const std::wstring& key) {
        std::lock_guard<std::mutex> guard(lock_);
        failed_.insert(key);
    }

private:
    std::mutex lock_;
    std::set<std::wstring> failed_;
};

FailedAutomaticConfigs& FailedConfigs() {
    static FailedAutomaticConfigs configs;
    return configs;
}

const wchar_t kDetectionKey[] = L"<auto-detect>";
constexpr int kResolveTimeoutMs = 10000;

// Asks WinHTTP what the automatic configuration says for url: by detection
// when script is empty, else by that script. False when it could not say.
bool ResolveAutomatically(const std::wstring& url, const std::wstring& script, ProxyChoice& choice) {
    const std::wstring key = script.empty() ? kDetectionKey : script;
    if (FailedConfigs().Failed(key)) return false;
    InternetHandle session(::WinHttpOpen(L"A WinHTTP Example Program/1.0", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                         WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return false;
    ::WinHttpSetTimeouts(session.get(), kResolveTimeoutMs, kResolveTimeoutMs, kResolveTimeoutMs, kResolveTimeoutMs);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (script.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = script.c_str();
    }
    // A script behind an authenticating server gets the user's own logon.
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    if (!::WinHttpGetProxyForUrl(session.get(), url.c_str(), &options, &info)) {
        FailedConfigs().Remember(key);
        return false;
    }
    const std::wstring proxy = TakeGlobalText(info.lpszProxy);
    const std::wstring bypass = TakeGlobalText(info.lpszProxyBypass);
    choice.source = script.empty() ? ProxySource::AutoDetect : ProxySource::Script;
    choice.script = script;
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && !proxy.empty()) {
        choice.proxy = proxy;
        choice.bypass = bypass;
    }
    return true;
}

bool ReadMachineSetting(ProxyChoice& choice) {
    WINHTTP_PROXY_INFO info{};
    if (!::WinHttpGetDefaultProxyConfiguration(&info)) return false;
    const std::wstring proxy = TakeGlobalText(info.lpszProxy);
    const std::wstring bypass = TakeGlobalText(info.lpszProxyBypass);
    if (info.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || proxy.empty()) return false;
    choice.source = ProxySource::Machine;
    choice.proxy = proxy;
    choice.bypass = bypass;
    return true;
}

} // namespace

ProxyChoice ChooseProxy(const std::wstring& url) {
    ProxyChoice choice;
    const UserProxySettings user = ReadUserSettings();
    if (user.autoDetect && ResolveAutomatically(url, L"", choice)) return choice;
    if (!user.script.empty() && ResolveAutomatically(url, user.script, choice)) return choice;
    if (!user.proxy.empty()) {
        choice.source = ProxySource::User;
        choice.proxy = user.proxy;
        choice.bypass = user.bypass;
        return choice;
    }
    if (ReadMachineSetting(choice)) return choice;
    return ProxyChoice();
}

std::wstring DescribeProxy(const ProxyChoice& choice) {
    std::wstring origin;
    switch (choice.source) {
    case ProxySource::MachineDefault: return L"WinHTTP默认设置";
    case ProxySource::AutoDetect: origin = L"自动检测"; break;
    case ProxySource::Script: origin = L"配置脚本 " + choice.script; break;
    case ProxySource::User: origin = L"用户设置"; break;
    case ProxySource::Machine: origin = L"WinHTTP设置"; break;
    }
    std::wstring line = origin + L": 直接连接";
    if (choice.UsesProxy()) {
        line = origin + L": 代理 " + choice.proxy;
        if (!choice.bypass.empty()) line += L", 例外 " + choice.bypass;
    }
    // The settings are the user's to write: nothing in them may break the log's lines.
    for (wchar_t& c : line)
        if (c < 0x20 || c == 0x7F) c = L'?';
    return line;
}
