#pragma once
// The proxy a request goes through, chosen the way a browser chooses: the
// user's automatic configuration (detection, then the named script), else the
// user's explicit proxy with its bypass list, else the machine's WinHTTP
// setting, else none. The setup-list request, the statistics reports and the
// downloads all open their sessions with this choice.
#include <string>

enum class ProxySource {
    // Nothing the process could read: the session takes WinHTTP's own
    // default, which is the machine setting where there is one, else direct.
    MachineDefault,
    AutoDetect,  // found by automatic detection
    Script,      // the configuration script named in the user's settings
    User,        // the user's explicit proxy
    Machine,     // the machine's WinHTTP setting
};
// Automatic configuration may also say "no proxy" (DIRECT): source AutoDetect
// or Script with an empty proxy.

struct ProxyChoice {
    ProxySource source = ProxySource::MachineDefault;
    std::wstring proxy;   // empty: no proxy
    std::wstring bypass;  // hosts reached without the proxy
    std::wstring script;  // the configuration script's address, when one decided
    bool UsesProxy() const { return !proxy.empty(); }
};

// Blocking (a configuration script may have to be fetched): worker threads only.
ProxyChoice ChooseProxy(const std::wstring& url);

// One line for the log: where the choice came from and what it is.
std::wstring DescribeProxy(const ProxyChoice& choice);
