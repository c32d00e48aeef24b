#include "support/CodedConversion.h"

#include <windows.h>
#include <vector>

namespace {

// Converts `len` wide units (or up to the terminator when len is -1); the
// result ends at the first zero unit of the converted text.
std::string FromWide(UINT codePage, const wchar_t* text, int len) {
    int need = ::WideCharToMultiByte(codePage, 0, text, len, nullptr, 0, nullptr, nullptr);
    if (need <= 0) return std::string();
    std::vector<char> out(static_cast<size_t>(need) + 1, '\0');
    int done = ::WideCharToMultiByte(codePage, 0, text, len, out.data(), need, nullptr, nullptr);
    if (done <= 0) return std::string();
    out[static_cast<size_t>(done)] = '\0';
    return std::string(out.data());
}

std::wstring ToWide(UINT codePage, const char* text, int len) {
    int need = ::MultiByteToWideChar(codePage, 0, text, len, nullptr, 0);
    if (need <= 0) return std::wstring();
    std::vector<wchar_t> out(static_cast<size_t>(need) + 1, L'\0');
    int done = ::MultiByteToWideChar(codePage, 0, text, len, out.data(), need);
    if (done <= 0) return std::wstring();
    out[static_cast<size_t>(done)] = L'\0';
    return std::wstring(out.data());
}

} // namespace

std::string CCodedConversion::WideToAnsi(const std::wstring& text) const {
    if (text.empty()) return std::string();
    return FromWide(CP_ACP, text.c_str(), static_cast<int>(text.size()));
}

std::string CCodedConversion::WideToUtf8(const std::wstring& text) const {
    if (text.empty()) return std::string();
    return FromWide(CP_UTF8, text.c_str(), static_cast<int>(text.size()));
}

std::string CCodedConversion::Utf8ToAnsi(const std::string& text) const {
    if (text.empty()) return std::string();
    std::wstring wide = ToWide(CP_UTF8, text.c_str(), static_cast<int>(text.size()));
    if (wide.empty()) return std::string();
    return FromWide(CP_ACP, wide.c_str(), -1);
}

std::wstring CCodedConversion::AnsiToWide(const std::string& text) const {
    if (text.empty()) return std::wstring();
    return ToWide(CP_ACP, text.c_str(), -1);
}

std::wstring CCodedConversion::Utf8ToWide(const std::string& text) const {
    if (text.empty()) return std::wstring();
    return ToWide(CP_UTF8, text.c_str(), static_cast<int>(text.size()));
}

size_t Utf16CutLength(const wchar_t* text, size_t length, size_t limit) {
    if (!text || length <= limit) return text ? length : 0;
    size_t cut = limit;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
    return cut;
}
