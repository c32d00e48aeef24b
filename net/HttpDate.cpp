#include "net/HttpDate.h"

#include <cwchar>

namespace {
const wchar_t* const kDays[] = {L"Sun", L"Mon", L"Tue", L"Wed", L"Thu", L"Fri", L"Sat"};
const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                  L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

int IndexOf(const wchar_t* const* names, int count, const std::wstring& name) {
    for (int i = 0; i < count; ++i)
        if (name == names[i]) return i;
    return -1;
}

bool Digits(const std::wstring& text, size_t at, size_t count, int& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        value = value * 10 + (text[i] - L'0');
    }
    return true;
}
} // namespace

bool ParseHttpDate(const std::wstring& text, SYSTEMTIME& when) {
    // "Sun, 06 Nov 1994 08:49:37 GMT": 29 characters at fixed places.
    if (text.size() != 29 || text.compare(3, 2, L", ") != 0 || text[7] != L' ' || text[11] != L' ' ||
        text[16] != L' ' || text[19] != L':' || text[22] != L':' || text.compare(25, 4, L" GMT") != 0)
        return false;
    const int day = IndexOf(kDays, 7, text.substr(0, 3));
    const int month = IndexOf(kMonths, 12, text.substr(8, 3));
    int date = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (day < 0 || month < 0 || !Digits(text, 5, 2, date) || !Digits(text, 12, 4, year) ||
        !Digits(text, 17, 2, hour) || !Digits(text, 20, 2, minute) || !Digits(text, 23, 2, second))
        return false;
    SYSTEMTIME parsed{};
    parsed.wYear = static_cast<WORD>(year);
    parsed.wMonth = static_cast<WORD>(month + 1);
    parsed.wDay = static_cast<WORD>(date);
    parsed.wHour = static_cast<WORD>(hour);
    parsed.wMinute = static_cast<WORD>(minute);
    parsed.wSecond = static_cast<WORD>(second);
    // The conversion refuses 31 February, hour 25 and the like.
    FILETIME check{};
    if (!::SystemTimeToFileTime(&parsed, &check)) return false;
    when = parsed;
    return true;
}
