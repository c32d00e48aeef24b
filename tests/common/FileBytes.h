#pragma once
// Whole-file reads and writes for tests, by wide path, and files of the
// source tree.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

inline std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

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
