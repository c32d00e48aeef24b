#include "support/TempNames.h"

#include <windows.h>
#include <rpc.h>
#include <cstdio>

std::wstring TempPath() {
    wchar_t buffer[260] = {};
    DWORD len = ::GetTempPathW(260, buffer);
    if (len == 0 || len >= 260) return std::wstring();
    std::wstring path(buffer, len);
    if (path.back() != L'\\') path.push_back(L'\\');
    return path;
}

std::wstring NewGuidText() {
    UUID id{};
    RPC_STATUS status = ::UuidCreate(&id);
    if ((status & 0xFFFF) != 0) return std::wstring();
    static const UUID kZero{};
    if (::memcmp(&id, &kZero, sizeof id) == 0) return std::wstring();
    wchar_t text[260] = {};
    _snwprintf_s(text, 260, _TRUNCATE, L"%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                 static_cast<unsigned>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2],
                 id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return text;
}
