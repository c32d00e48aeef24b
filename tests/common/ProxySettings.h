#pragma once
// Proxy settings in the prefix's real registry, written the way the system's
// settings pages store them and put back as they were when the object goes:
// the signed-in user's (automatic detection, a configuration script, an
// explicit proxy with its bypass list) and the machine's WinHTTP setting.
// Tests that change them hold the local service's resource lock, so no other
// test's requests run meanwhile.
#include <windows.h>

#include <string>
#include <vector>

namespace proxy_settings {

constexpr DWORD kDirect = 0x1;
constexpr DWORD kExplicitProxy = 0x2;
constexpr DWORD kScript = 0x4;
constexpr DWORD kAutoDetect = 0x8;

inline void AppendDword(std::vector<BYTE>& blob, DWORD value) {
    for (int i = 0; i < 4; ++i) blob.push_back(static_cast<BYTE>(value >> (8 * i)));
}

inline void AppendText(std::vector<BYTE>& blob, const std::string& text) {
    AppendDword(blob, static_cast<DWORD>(text.size()));
    blob.insert(blob.end(), text.begin(), text.end());
}

// One registry value, restored (or removed when it was absent) on destruction.
class SavedValue {
public:
    SavedValue(HKEY root, const wchar_t* key, const wchar_t* name) : root_(root), key_(key), name_(name) {
        HKEY handle = nullptr;
        if (::RegOpenKeyExW(root_, key_.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS) return;
        DWORD size = 0;
        if (::RegQueryValueExW(handle, name_.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
            old_.resize(size);
            had_ = ::RegQueryValueExW(handle, name_.c_str(), nullptr, nullptr, old_.data(), &size) == ERROR_SUCCESS;
        }
        ::RegCloseKey(handle);
    }
    ~SavedValue() {
        if (had_)
            Write(old_);
        else
            Remove();
    }
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

    bool Write(const std::vector<BYTE>& blob) const {
        HKEY handle = nullptr;
        if (::RegCreateKeyExW(root_, key_.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) !=
            ERROR_SUCCESS)
            return false;
        const bool ok = ::RegSetValueExW(handle, name_.c_str(), 0, REG_BINARY, blob.data(),
                                         static_cast<DWORD>(blob.size())) == ERROR_SUCCESS;
        ::RegCloseKey(handle);
        return ok;
    }
    void Remove() const {
        HKEY handle = nullptr;
        if (::RegOpenKeyExW(root_, key_.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
        ::RegDeleteValueW(handle, name_.c_str());
        ::RegCloseKey(handle);
    }

private:
    HKEY root_;
    std::wstring key_;
    std::wstring name_;
    bool had_ = false;
    std::vector<BYTE> old_;
};

constexpr wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";

// The signed-in user's settings: flags of the constants above.
class UserSettings {
public:
    UserSettings(DWORD flags, const std::string& proxy = "", const std::string& bypass = "",
                 const std::string& script = "")
        : saved_(HKEY_CURRENT_USER, kConnections, L"DefaultConnectionSettings") {
        std::vector<BYTE> blob;
        AppendDword(blob, 0x46);  // the layout's version
        AppendDword(blob, 1);     // change counter
        AppendDword(blob, flags);
        AppendText(blob, proxy);
        AppendText(blob, bypass);
        AppendText(blob, script);
        blob.resize(blob.size() + 32, 0);  // the rest of the layout, unused here
        written_ = saved_.Write(blob);
    }
    bool Written() const { return written_; }

private:
    SavedValue saved_;
    bool written_ = false;
};

// The machine's WinHTTP proxy setting.
class MachineSetting {
public:
    MachineSetting(const std::string& proxy, const std::string& bypass = "")
        : saved_(HKEY_LOCAL_MACHINE, kConnections, L"WinHttpSettings") {
        std::vector<BYTE> blob;
        AppendDword(blob, 0x18);  // the layout's version
        AppendDword(blob, 0);
        AppendDword(blob, proxy.empty() ? kDirect : kExplicitProxy);
        AppendText(blob, proxy);
        AppendText(blob, bypass);
        written_ = saved_.Write(blob);
    }
    bool Written() const { return written_; }

private:
    SavedValue saved_;
    bool written_ = false;
};

}  // namespace proxy_settings
