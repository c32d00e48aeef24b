#include "support/Md5.h"

#include "support/Handles.h"

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

inline uint32_t Rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

// Little-endian word k of the block at p, wherever the block lies in memory
// (x86 is little-endian, as MD5 wants).
inline uint32_t Word(const uint8_t* p, int k) {
    uint32_t w;
    std::memcpy(&w, p + 4 * k, sizeof w);
    return w;
}

// The message word and the constant are added first: they do not wait for
// the previous step, so only the round function and the rotation do.
#define MD5_STEP(f, a, b, c, d, k, s, i) \
    a += Word(p, k) + kSine[i];          \
    a += f(b, c, d);                     \
    a = Rotl(a, s) + b
#define MD5_F(b, c, d) (d ^ (b & (c ^ d)))
// G written as the sum of two disjoint masks: c & ~d does not depend on b,
// which leaves one AND and one ADD on the chain from the previous step.
#define MD5_G(b, c, d) ((c & ~d) + (b & d))
#define MD5_H(b, c, d) (b ^ c ^ d)
#define MD5_I(b, c, d) (c ^ (b | ~d))

// Runs the compression over whole 64-byte blocks, keeping the state in
// registers from one block to the next.
void Md5Blocks(uint32_t state[4], const uint8_t* p, size_t blocks) {
    uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
    for (; blocks > 0; --blocks, p += 64) {
        const uint32_t a0 = a, b0 = b, c0 = c, d0 = d;

        MD5_STEP(MD5_F, a, b, c, d, 0, 7, 0);   MD5_STEP(MD5_F, d, a, b, c, 1, 12, 1);
        MD5_STEP(MD5_F, c, d, a, b, 2, 17, 2);  MD5_STEP(MD5_F, b, c, d, a, 3, 22, 3);
        MD5_STEP(MD5_F, a, b, c, d, 4, 7, 4);   MD5_STEP(MD5_F, d, a, b, c, 5, 12, 5);
        MD5_STEP(MD5_F, c, d, a, b, 6, 17, 6);  MD5_STEP(MD5_F, b, c, d, a, 7, 22, 7);
        MD5_STEP(MD5_F, a, b, c, d, 8, 7, 8);   MD5_STEP(MD5_F, d, a, b, c, 9, 12, 9);
        MD5_STEP(MD5_F, c, d, a, b, 10, 17, 10); MD5_STEP(MD5_F, b, c, d, a, 11, 22, 11);
        MD5_STEP(MD5_F, a, b, c, d, 12, 7, 12); MD5_STEP(MD5_F, d, a, b, c, 13, 12, 13);
        MD5_STEP(MD5_F, c, d, a, b, 14, 17, 14); MD5_STEP(MD5_F, b, c, d, a, 15, 22, 15);

        MD5_STEP(MD5_G, a, b, c, d, 1, 5, 16);  MD5_STEP(MD5_G, d, a, b, c, 6, 9, 17);
        MD5_STEP(MD5_G, c, d, a, b, 11, 14, 18); MD5_STEP(MD5_G, b, c, d, a, 0, 20, 19);
        MD5_STEP(MD5_G, a, b, c, d, 5, 5, 20);  MD5_STEP(MD5_G, d, a, b, c, 10, 9, 21);
        MD5_STEP(MD5_G, c, d, a, b, 15, 14, 22); MD5_STEP(MD5_G, b, c, d, a, 4, 20, 23);
        MD5_STEP(MD5_G, a, b, c, d, 9, 5, 24);  MD5_STEP(MD5_G, d, a, b, c, 14, 9, 25);
        MD5_STEP(MD5_G, c, d, a, b, 3, 14, 26); MD5_STEP(MD5_G, b, c, d, a, 8, 20, 27);
        MD5_STEP(MD5_G, a, b, c, d, 13, 5, 28); MD5_STEP(MD5_G, d, a, b, c, 2, 9, 29);
        MD5_STEP(MD5_G, c, d, a, b, 7, 14, 30); MD5_STEP(MD5_G, b, c, d, a, 12, 20, 31);

        MD5_STEP(MD5_H, a, b, c, d, 5, 4, 32);  MD5_STEP(MD5_H, d, a, b, c, 8, 11, 33);
        MD5_STEP(MD5_H, c, d, a, b, 11, 16, 34); MD5_STEP(MD5_H, b, c, d, a, 14, 23, 35);
        MD5_STEP(MD5_H, a, b, c, d, 1, 4, 36);  MD5_STEP(MD5_H, d, a, b, c, 4, 11, 37);
        MD5_STEP(MD5_H, c, d, a, b, 7, 16, 38); MD5_STEP(MD5_H, b, c, d, a, 10, 23, 39);
        MD5_STEP(MD5_H, a, b, c, d, 13, 4, 40); MD5_STEP(MD5_H, d, a, b, c, 0, 11, 41);
        MD5_STEP(MD5_H, c, d, a, b, 3, 16, 42); MD5_STEP(MD5_H, b, c, d, a, 6, 23, 43);
        MD5_STEP(MD5_H, a, b, c, d, 9, 4, 44);  MD5_STEP(MD5_H, d, a, b, c, 12, 11, 45);
        MD5_STEP(MD5_H, c, d, a, b, 15, 16, 46); MD5_STEP(MD5_H, b, c, d, a, 2, 23, 47);

        MD5_STEP(MD5_I, a, b, c, d, 0, 6, 48);  MD5_STEP(MD5_I, d, a, b, c, 7, 10, 49);
        MD5_STEP(MD5_I, c, d, a, b, 14, 15, 50); MD5_STEP(MD5_I, b, c, d, a, 5, 21, 51);
        MD5_STEP(MD5_I, a, b, c, d, 12, 6, 52); MD5_STEP(MD5_I, d, a, b, c, 3, 10, 53);
        MD5_STEP(MD5_I, c, d, a, b, 10, 15, 54); MD5_STEP(MD5_I, b, c, d, a, 1, 21, 55);
        MD5_STEP(MD5_I, a, b, c, d, 8, 6, 56);  MD5_STEP(MD5_I, d, a, b, c, 15, 10, 57);
        MD5_STEP(MD5_I, c, d, a, b, 6, 15, 58); MD5_STEP(MD5_I, b, c, d, a, 13, 21, 59);
        MD5_STEP(MD5_I, a, b, c, d, 4, 6, 60);  MD5_STEP(MD5_I, d, a, b, c, 11, 10, 61);
        MD5_STEP(MD5_I, c, d, a, b, 2, 15, 62); MD5_STEP(MD5_I, b, c, d, a, 9, 21, 63);

        a += a0; b += b0; c += c0; d += d0;
    }
    state[0] = a; state[1] = b; state[2] = c; state[3] = d;
}

constexpr size_t kReadBlock = 1 << 20;  // fixed: memory does not grow with the file

} // namespace

Md5Digest::Md5Digest() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476} {}

void Md5Digest::Update(const void* data, size_t size) {
    if (finalised_ || size == 0) return;
    const uint8_t* p = static_cast<const uint8_t*>(data);
    length_ += size;
    if (buffered_ > 0) {
        size_t take = 64 - buffered_ < size ? 64 - buffered_ : size;
        std::memcpy(buffer_ + buffered_, p, take);
        buffered_ += take; p += take; size -= take;
        if (buffered_ < 64) return;
        Md5Blocks(state_, buffer_, 1);
        buffered_ = 0;
    }
    const size_t whole = size / 64;
    Md5Blocks(state_, p, whole);
    p += whole * 64;
    size -= whole * 64;
    std::memcpy(buffer_, p, size);
    buffered_ = size;
}

void Md5Digest::Finalise() {
    if (finalised_) return;
    const uint64_t bits = length_ * 8;
    static const uint8_t kPad[64] = {0x80};
    size_t padLen = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
    Update(kPad, padLen);
    uint8_t lengthBytes[8];
    for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bits >> (8 * i));
    Update(lengthBytes, 8);
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) digest_[i * 4 + j] = static_cast<uint8_t>(state_[i] >> (8 * j));
    finalised_ = true;
}

std::string Md5Digest::HexDigest() const {
    if (!finalised_) return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string out(32, '0');
    for (int i = 0; i < 16; ++i) {
        out[2 * i] = kHex[digest_[i] >> 4];
        out[2 * i + 1] = kHex[digest_[i] & 0xF];
    }
    return out;
}

DWORD DigestFileHandle(HANDLE file, Md5Digest& md5, HANDLE copy) {
    std::vector<uint8_t> block(kReadBlock);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, block.data(), static_cast<DWORD>(block.size()), &got, nullptr)) return ::GetLastError();
        if (got == 0) return 0;
        md5.Update(block.data(), got);
        DWORD written = 0;
        if (copy && !::WriteFile(copy, block.data(), got, &written, nullptr)) return ::GetLastError();
        if (copy && written != got) return ERROR_WRITE_FAULT;
    }
}

std::string FileMd5Hex(const std::wstring& path) {
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return std::string();
    Md5Digest md5;
    if (DigestFileHandle(file.get(), md5) != 0) return std::string();
    md5.Finalise();
    return md5.HexDigest();
}
