// A stand-in package setup program. Run as
//   package.exe /VERYSILENT "/CUSTOMDIR=<folder>"
// it writes its payload file into <folder> (created when missing) and exits
// with the code stored in its payload. The payload is appended to the program:
//   [content][file name, UTF-8][u32 content length][u32 name length]
//   [i32 exit code]["KSPKG001"]
// or, for a setup that takes a fixed time,
//   ... [i32 exit code][u32 milliseconds]["KSPKG002"]
// (it exits that long after its process was created), so one binary yields
// several distinct packages.
#include "support/ProcessClock.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr char kMagic[8] = {'K', 'S', 'P', 'K', 'G', '0', '0', '1'};
constexpr char kTimedMagic[8] = {'K', 'S', 'P', 'K', 'G', '0', '0', '2'};
constexpr int kBadArguments = 87;
constexpr int kBadPackage = 13;
constexpr int kWriteFailed = 29;

struct Payload {
    std::string content;
    std::wstring fileName;
    int exitCode = 0;
    DWORD durationMs = 0;  // 0: as fast as it can
};

bool ReadAt(HANDLE file, LONGLONG offset, void* into, DWORD length) {
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    DWORD read = 0;
    return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ::ReadFile(file, into, length, &read, nullptr) &&
           read == length;
}

bool ReadPayload(Payload& payload) {
    wchar_t self[MAX_PATH] = {};
    if (!::GetModuleFileNameW(nullptr, self, MAX_PATH)) return false;
    HANDLE file = ::CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    LARGE_INTEGER size{};
    unsigned char magic[8] = {};
    unsigned char tail[20] = {};
    if (::GetFileSizeEx(file, &size) && size.QuadPart >= 24 && ReadAt(file, size.QuadPart - 8, magic, 8)) {
        const bool timed = std::memcmp(magic, kTimedMagic, 8) == 0;
        const LONGLONG tailAt = size.QuadPart - (timed ? 24 : 20);
        if ((timed || std::memcmp(magic, kMagic, 8) == 0) && ReadAt(file, tailAt, tail, timed ? 16 : 12)) {
            uint32_t contentLength, nameLength;
            int32_t exitCode;
            std::memcpy(&contentLength, tail, 4);
            std::memcpy(&nameLength, tail + 4, 4);
            std::memcpy(&exitCode, tail + 8, 4);
            if (timed) std::memcpy(&payload.durationMs, tail + 12, 4);
            LONGLONG start = tailAt - nameLength - static_cast<LONGLONG>(contentLength);
            if (start >= 0 && nameLength > 0 && nameLength < 1024) {
                std::string name(nameLength, '\0');
                payload.content.resize(contentLength);
                ok = ReadAt(file, start + contentLength, &name[0], nameLength) &&
                     (contentLength == 0 || ReadAt(file, start, &payload.content[0], contentLength));
                int wide = ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
                payload.fileName.resize(static_cast<size_t>(wide));
                ::MultiByteToWideChar(CP_UTF8, 0, name.data(), static_cast<int>(name.size()), &payload.fileName[0],
                                      wide);
                payload.exitCode = exitCode;
            }
        }
    }
    ::CloseHandle(file);
    return ok;
}

// The folder after "/CUSTOMDIR=" in the arguments; empty when absent.
std::wstring CustomDir() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::wstring folder;
    for (int i = 1; args && i < count; ++i) {
        if (std::wcsncmp(args[i], L"/CUSTOMDIR=", 11) == 0) folder = args[i] + 11;
    }
    ::LocalFree(args);
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    Payload payload;
    if (!ReadPayload(payload)) return kBadPackage;
    std::wstring folder = CustomDir();
    if (folder.empty()) return kBadArguments;
    int made = ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    if (made != ERROR_SUCCESS && made != ERROR_ALREADY_EXISTS && made != ERROR_FILE_EXISTS) return kWriteFailed;
    std::wstring target = folder + L"\\" + payload.fileName;
    HANDLE out = ::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return kWriteFailed;
    DWORD written = 0;
    bool ok = payload.content.empty() ||
              (::WriteFile(out, payload.content.data(), static_cast<DWORD>(payload.content.size()), &written, nullptr) &&
               written == payload.content.size());
    ::CloseHandle(out);
    if (payload.durationMs) {
        const double elapsed = MsSinceProcessStart();
        if (elapsed >= 0 && elapsed < payload.durationMs) ::Sleep(static_cast<DWORD>(payload.durationMs - elapsed));
    }
    return ok ? payload.exitCode : kWriteFailed;
}
