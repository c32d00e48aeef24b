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

// The bytes a UTF-8 sequence starting with lead takes, and the range its
// second byte must lie in; 0 for a byte that cannot start one.
int SequenceLength(unsigned char lead, unsigned char& low, unsigned char& high) {
    low = 0x80;
    high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
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

std::string CCodedConversion::RepairUtf8(const std::string& text) const {
    static const char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        unsigned char low = 0, high = 0;
        const int length = SequenceLength(lead, low, high);
        size_t good = 1;  // bytes of a well-formed beginning
        while (length > 0 && good < static_cast<size_t>(length) && i + good < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + good]);
            if (good == 1 ? (next < low || next > high) : (next < 0x80 || next > 0xBF)) break;
            ++good;
        }
        if (length > 0 && good == static_cast<size_t>(length))
            out.append(text, i, good);
        else
            out += kReplacement;
        i += good;
    }
    return out;
}

size_t Utf16CutLength(const wchar_t* text, size_t length, size_t limit) {
    if (!text || length <= limit) return text ? length : 0;
    size_t cut = limit;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;
    return cut;
}
