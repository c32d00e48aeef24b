#include "support/VerifiedCopy.h"

#include "support/Md5.h"

namespace {

// A download that was still being written a moment ago is usually closed
// within a second or two.
constexpr int kOpenAttempts = 5;
constexpr DWORD kRetryDelayMs = 500;

} // namespace

KernelHandle OpenUnchangeable(const std::wstring& path, DWORD& error) {
    for (int attempt = 1;; ++attempt) {
        KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        error = file ? 0 : ::GetLastError();
        if (file || error != ERROR_SHARING_VIOLATION || attempt == kOpenAttempts) return file;
        ::Sleep(kRetryDelayMs);
    }
}

DWORD CopyWithMd5(const std::wstring& source, const std::wstring& copy, std::string& md5Hex) {
    md5Hex.clear();
    DWORD error = 0;
    KernelHandle in = OpenUnchangeable(source, error);
    if (!in) return error;
    KernelHandle out(::CreateFileW(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                   nullptr));
    if (!out) return ::GetLastError();
    Md5Digest md5;
    error = DigestFileHandle(in.get(), md5, out.get());
    out.reset();
    if (error) {
        ::DeleteFileW(copy.c_str());
        return error;
    }
    md5.Finalise();
    md5Hex = md5.HexDigest();
    return 0;
}
