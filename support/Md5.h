#pragma once
// MD5 message digest (RFC 1321) and the file digest used to verify packages.
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

class Md5Digest {
public:
    Md5Digest();
    void Update(const void* data, size_t size);
    void Finalise();
    // 32 lower-case hexadecimal digits; empty before Finalise.
    std::string HexDigest() const;

private:
    uint32_t state_[4];
    uint64_t length_ = 0;  // bytes fed so far
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint8_t digest_[16];
    bool finalised_ = false;
};

// Feeds the rest of an open file through md5, in blocks of fixed size, and
// writes every block to copy as well when one is given. 0 or the system
// error code of the read or write that failed.
DWORD DigestFileHandle(HANDLE file, Md5Digest& md5, HANDLE copy = nullptr);

// Lower-case MD5 of a file's whole content; empty when it cannot be read.
std::string FileMd5Hex(const std::wstring& path);
