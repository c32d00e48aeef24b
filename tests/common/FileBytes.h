#pragma once
// Whole files as bytes, by wide path, for tests that check what the code
// under test left on disk, and files of the source tree.
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A file of the source tree by its path from the root (forward slashes), as
// Wine sees it: ctest passes the root in KESTRANE_SOURCE_DIR and Z: is the
// Linux root. Empty when the root is unknown.
inline std::wstring SourceFile(const std::string& relative) {
    const char* root = std::getenv("KESTRANE_SOURCE_DIR");
    if (!root || !*root) return std::wstring();
    const std::string unixPath = std::string(root) + "/" + relative;
    std::wstring path = L"Z:" + std::wstring(unixPath.begin(), unixPath.end());
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}
