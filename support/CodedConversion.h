#pragma once
// The one place where text changes encoding: UTF-16 inside the program,
// UTF-8 on the wire, the ANSI code page in the log and in narrow paths.
#include <cstddef>
#include <string>

class CCodedConversion {
public:
    virtual ~CCodedConversion() = default;

    std::string WideToAnsi(const std::wstring& text) const;
    std::string WideToUtf8(const std::wstring& text) const;
    std::string Utf8ToAnsi(const std::string& text) const;
    std::wstring AnsiToWide(const std::string& text) const;
    // Lossless UTF-8 to UTF-16 (the setup-service answer is read this way).
    std::wstring Utf8ToWide(const std::string& text) const;
    // Well-formed UTF-8: every ill-formed sequence (a stray byte, a cut,
    // overlong or surrogate sequence) becomes U+FFFD, one per maximal part.
    std::string RepairUtf8(const std::string& text) const;
};

// Length of the longest prefix of text[0, length) that has at most limit
// UTF-16 units and does not end between the two halves of a surrogate pair:
// where a text is cut to fit a buffer, no half character is left behind.
size_t Utf16CutLength(const wchar_t* text, size_t length, size_t limit);
