#pragma once
// Lends a registry key to a test: what is there is saved and removed at the
// start, and whatever the test made is removed and the saved tree put back at
// the end. Parent keys that did not exist are removed again when empty.
#include "support/Handles.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class ScopedRegistryKey {
public:
    ScopedRegistryKey(HKEY root, std::wstring path, REGSAM view)
        : root_(root), path_(std::move(path)), view_(view) {
        for (size_t sep = path_.find(L'\\'); sep != std::wstring::npos; sep = path_.find(L'\\', sep + 1)) {
            std::wstring parent = path_.substr(0, sep);
            if (!Exists(parent)) missingParents_.push_back(parent);
        }
        RegKey key;
        if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_READ | view_, key.put()) == ERROR_SUCCESS) {
            saved_ = std::make_unique<Node>();
            Save(key.get(), *saved_);
        }
        Remove();
    }
    ~ScopedRegistryKey() {
        Remove();
        if (saved_) {
            RegKey key;
            if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, key.put(),
                                  nullptr) == ERROR_SUCCESS)
                Restore(key.get(), *saved_);
        }
        for (auto it = missingParents_.rbegin(); it != missingParents_.rend(); ++it)
            ::RegDeleteKeyExW(root_, it->c_str(), view_, 0);  // fails, as it should, when not empty
    }
    ScopedRegistryKey(const ScopedRegistryKey&) = delete;
    ScopedRegistryKey& operator=(const ScopedRegistryKey&) = delete;

    // Creates path\subPath (subPath may be empty) and sets a string value
    // (the default value when name is empty).
    bool SetString(const std::wstring& subPath, const std::wstring& name, const std::wstring& value) {
        RegKey key;
        if (!Create(subPath, key)) return false;
        return ::RegSetValueExW(key.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    bool CreateKey(const std::wstring& subPath) {
        RegKey key;
        return Create(subPath, key);
    }
    bool Existed() const { return saved_ != nullptr; }

private:
    struct Value {
        std::wstring name;
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    struct Node {
        std::vector<Value> values;
        std::vector<std::pair<std::wstring, Node>> children;
    };

    bool Exists(const std::wstring& path) const {
        RegKey key;
        return ::RegOpenKeyExW(root_, path.c_str(), 0, KEY_READ | view_, key.put()) == ERROR_SUCCESS;
    }
    bool Create(const std::wstring& subPath, RegKey& key) {
        std::wstring full = subPath.empty() ? path_ : path_ + L"\\" + subPath;
        return ::RegCreateKeyExW(root_, full.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, key.put(),
                                 nullptr) == ERROR_SUCCESS;
    }
    void Remove() {
        RegKey key;
        if (::RegOpenKeyExW(root_, path_.c_str(), 0, KEY_ALL_ACCESS | view_, key.put()) != ERROR_SUCCESS) return;
        ::RegDeleteTreeW(key.get(), nullptr);
        key.reset();
        ::RegDeleteKeyExW(root_, path_.c_str(), view_, 0);
    }
    void Save(HKEY key, Node& node) {
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD nameLen = 16384, type = 0, size = 0;
            if (::RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
            Value value{std::wstring(name, nameLen), type, std::vector<BYTE>(size)};
            DWORD dataSize = size;
            ::RegQueryValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), nullptr, nullptr,
                               value.data.data(), &dataSize);
            node.values.push_back(std::move(value));
        }
        for (DWORD i = 0;; ++i) {
            wchar_t name[256];
            DWORD nameLen = 256;
            if (::RegEnumKeyExW(key, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            RegKey child;
            if (::RegOpenKeyExW(key, name, 0, KEY_READ | view_, child.put()) != ERROR_SUCCESS) continue;
            node.children.emplace_back(name, Node());
            Save(child.get(), node.children.back().second);
        }
    }
    void Restore(HKEY key, const Node& node) {
        for (const Value& value : node.values)
            ::RegSetValueExW(key, value.name.empty() ? nullptr : value.name.c_str(), 0, value.type,
                             value.data.data(), static_cast<DWORD>(value.data.size()));
        for (const auto& child : node.children) {
            RegKey sub;
            if (::RegCreateKeyExW(key, child.first.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr,
                                  sub.put(), nullptr) == ERROR_SUCCESS)
                Restore(sub.get(), child.second);
        }
    }

    HKEY root_;
    std::wstring path_;
    REGSAM view_;
    std::unique_ptr<Node> saved_;
    std::vector<std::wstring> missingParents_;
};
