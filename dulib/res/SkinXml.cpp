#include "dulib/res/SkinXml.h"

#include "dulib/res/StateFlags.h"
#include "support/CodedConversion.h"

#include <atomic>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwctype>

namespace {

const char* AttributeText(const tinyxml2::XMLElement* element, const char* attr) {
    if (!element || !attr) return nullptr;
    return element->Attribute(attr);
}

// The pieces of a formatted scan: a literal must match exactly; a number may
// follow blanks and a sign and needs at least one digit.
bool ScanLiteral(const wchar_t*& p, const wchar_t* literal) {
    size_t n = std::wcslen(literal);
    if (std::wcsncmp(p, literal, n) != 0) return false;
    p += n;
    return true;
}

bool ScanInt(const wchar_t*& p, int* out) {
    const wchar_t* q = p;
    while (*q && std::iswspace(*q)) ++q;
    bool negative = false;
    if (*q == L'+' || *q == L'-') negative = (*q++ == L'-');
    if (*q < L'0' || *q > L'9') return false;
    unsigned long long value = 0;
    while (*q >= L'0' && *q <= L'9') {
        if (value < 0x100000000ULL) value = value * 10 + static_cast<unsigned>(*q - L'0');
        ++q;
    }
    // Out-of-range numbers wrap like the 32-bit conversion they stand for.
    unsigned int low = static_cast<unsigned int>(value);
    *out = static_cast<int>(negative ? 0u - low : low);
    p = q;
    return true;
}

bool IsEntityStart(const char* p) {
    static const char* const named[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
    for (const char* entity : named)
        if (std::strncmp(p, entity, std::strlen(entity)) == 0) return true;
    if (*p != '#') return false;
    ++p;
    bool hex = (*p == 'x' || *p == 'X');
    if (hex) ++p;
    const char* digits = p;
    while (hex ? std::isxdigit(static_cast<unsigned char>(*p)) : std::isdigit(static_cast<unsigned char>(*p))) ++p;
    return p != digits && *p == ';';
}

}  // namespace

int ReadXmlString(const tinyxml2::XMLElement* element, const char* attr, wchar_t* buffer, int count) {
    const char* value = AttributeText(element, attr);
    if (!value) return 0;
    std::wstring wide = CCodedConversion().Utf8ToWide(value);
    if (buffer && count > 0) {
        std::memset(buffer, 0, sizeof(wchar_t) * static_cast<size_t>(count));
        const size_t keep = Utf16CutLength(wide.data(), wide.size(), static_cast<size_t>(count - 1));
        std::wmemcpy(buffer, wide.data(), keep);
    }
    return static_cast<int>(wide.size());
}

std::wstring ReadXmlText(const tinyxml2::XMLElement* element, const char* attr) {
    const char* value = AttributeText(element, attr);
    if (!value) return std::wstring();
    return CCodedConversion().Utf8ToWide(value);
}

int ReadXmlInt(const tinyxml2::XMLElement* element, const char* attr) {
    std::wstring text = ReadXmlText(element, attr);
    const wchar_t* p = text.c_str();
    int value = 0;
    return ScanInt(p, &value) ? value : 0;
}

COLORREF ParseSkinColor(const wchar_t* text) {
    int part[3] = {255, 255, 255};
    if (text) {
        const wchar_t* p = text;
        if (ScanLiteral(p, L"RGB(") && ScanInt(p, &part[0]) && ScanLiteral(p, L",") && ScanInt(p, &part[1]) &&
            ScanLiteral(p, L",") && ScanInt(p, &part[2])) {
            // The closing parenthesis ends the scan; nothing depends on it.
        }
    }
    return RGB(part[0] & 0xFF, part[1] & 0xFF, part[2] & 0xFF);
}

COLORREF ReadXmlColor(const tinyxml2::XMLElement* element, const char* attr) {
    if (!AttributeText(element, attr)) return RGB(255, 255, 255);
    return ParseSkinColor(ReadXmlText(element, attr).c_str());
}

void ReadXmlBool(const tinyxml2::XMLElement* element, const char* attr, int* flag) {
    if (!flag) return;
    std::wstring text = ReadXmlText(element, attr);
    if (_wcsicmp(text.c_str(), L"true") == 0)
        *flag = 1;
    else if (_wcsicmp(text.c_str(), L"false") == 0)
        *flag = 0;
}

UINT ParseSkinState(const wchar_t* text) {
    static const struct {
        const wchar_t* name;
        UINT bits;
    } states[] = {
        {L"normal", STATE_NORMAL},
        {L"over", STATE_OVER},
        {L"press", STATE_PRESS},
        {L"focus", STATE_FOCUS},
        {L"disable", STATE_DISABLE},
        {L"normalall", STATE_NORMALALL},
        {L"checked", STATE_CHECKED},
        {L"checkedover", STATE_CHECKEDOVER},
        {L"checkedpress", STATE_CHECKEDPRESS},
        {L"checkedfocus", STATE_CHECKEDFOCUS},
        {L"checkeddisable", STATE_CHECKEDDISABLE},
        {L"checkedall", STATE_CHECKEDALL},
        {L"all", STATE_ALL},
    };
    if (!text) return STATE_NORMAL;
    for (const auto& state : states)
        if (_wcsicmp(text, state.name) == 0) return state.bits;
    return STATE_NORMAL;
}

UINT ReadXmlState(const tinyxml2::XMLElement* element, const char* attr) {
    return ParseSkinState(ReadXmlText(element, attr).c_str());
}

POINT ParseSkinPoint(const wchar_t* text) {
    int x = 0, y = 0;
    if (text) {
        const wchar_t* p = text;
        if (ScanLiteral(p, L"(") && ScanInt(p, &x) && ScanLiteral(p, L",") && ScanInt(p, &y)) {
        }
    }
    return POINT{x, y};
}

POINT ReadXmlPoint(const tinyxml2::XMLElement* element, const char* attr) {
    return ParseSkinPoint(ReadXmlText(element, attr).c_str());
}

std::wstring FormatDebugTraceLine(int counter, const wchar_t* format, va_list args) {
    wchar_t message[512] = {};
    if (format) _vsnwprintf_s(message, 512, _TRUNCATE, format, args);
    wchar_t line[512] = {};
    _snwprintf_s(line, 512, _TRUNCATE, L"[%d]%s", counter, message);
    return line;
}

void DebugTrace(const wchar_t* format, ...) {
    static std::atomic<int> counter{0};
    if (!format) return;
    va_list args;
    va_start(args, format);
    std::wstring line = FormatDebugTraceLine(counter.fetch_add(1), format, args);
    va_end(args);
    ::OutputDebugStringW(line.c_str());
}

std::string SkinTextToUtf8(const wchar_t* text, size_t length) {
    if (!text || length == 0) return std::string();
    std::wstring wide(text, length);
    // The document ends at its first zero unit, as the parser would see it.
    wide.resize(std::wcslen(wide.c_str()));
    std::string utf8 = CCodedConversion().WideToUtf8(wide);
    std::string out;
    out.reserve(utf8.size() + 16);
    // Comments and CDATA sections are literal text: they pass unchanged.
    static const struct {
        const char* open;
        const char* close;
    } literal[] = {{"<!--", "-->"}, {"<![CDATA[", "]]>"}};
    size_t i = 0;
    while (i < utf8.size()) {
        bool copied = false;
        for (const auto& section : literal) {
            if (utf8.compare(i, std::strlen(section.open), section.open) != 0) continue;
            size_t end = utf8.find(section.close, i + std::strlen(section.open));
            end = (end == std::string::npos) ? utf8.size() : end + std::strlen(section.close);
            out.append(utf8, i, end - i);
            i = end;
            copied = true;
            break;
        }
        if (copied) continue;
        // The parser keeps a stray '&' only by luck (and drops it after an
        // earlier entity in the same value); make it a proper reference.
        if (utf8[i] == '&' && !IsEntityStart(utf8.c_str() + i + 1))
            out += "&amp;";
        else
            out += utf8[i];
        ++i;
    }
    return out;
}
