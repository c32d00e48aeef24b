#include "net/ResumeValidator.h"

#include "net/HttpDate.h"
#include "support/Handles.h"

#include <algorithm>
#include <string>

namespace {
constexpr size_t kMaxValidator = 200;

bool IsStrongTag(const std::wstring& value) {
    return value.size() >= 2 && value.front() == L'"' && value.back() == L'"' &&
           value.find(L'"', 1) == value.size() - 1;
}

bool IsHttpDate(const std::wstring& value) {
    SYSTEMTIME when{};
    return ParseHttpDate(value, when);
}
} // namespace

std::wstring ValidatorPathFor(const std::wstring& destination) { return destination + L".validator"; }

bool IsUsableValidator(const std::wstring& value) {
    if (value.empty() || value.size() > kMaxValidator) return false;
    // Nothing that could end the header line or smuggle in another one.
    if (!std::all_of(value.begin(), value.end(), [](wchar_t c) { return c >= 0x20 && c <= 0x7E; })) return false;
    if (value.front() == L'"') return IsStrongTag(value);
    if (value.compare(0, 2, L"W/") == 0) return false;  // weak tags cannot guard a range
    return IsHttpDate(value);
}

StoredValidator ReadStoredValidator(const std::wstring& destination, std::wstring& value) {
    value.clear();
    const std::wstring path = ValidatorPathFor(destination);
    // A link planted under the name is not followed.
    KernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? StoredValidator::None
                                                                               : StoredValidator::Rejected;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        info.nFileSizeHigh != 0 || info.nFileSizeLow > kMaxValidator)
        return StoredValidator::Rejected;
    char bytes[kMaxValidator] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes, info.nFileSizeLow, &read, nullptr) || read != info.nFileSizeLow)
        return StoredValidator::Rejected;
    std::wstring text(bytes, bytes + read);  // byte for character: anything outside ASCII is refused below
    if (!IsUsableValidator(text)) return StoredValidator::Rejected;
    value = text;
    return StoredValidator::Usable;
}

void ForgetValidator(const std::wstring& destination) { ::DeleteFileW(ValidatorPathFor(destination).c_str()); }

void StoreValidator(const std::wstring& destination, const std::wstring& value) {
    ForgetValidator(destination);
    if (!IsUsableValidator(value)) return;
    // CREATE_NEW without following links: whatever reappeared under the name
    // in between is left alone rather than written through.
    KernelHandle file(::CreateFileW(ValidatorPathFor(destination).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return;
    const std::string bytes(value.begin(), value.end());  // printable ASCII, checked above
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        file.reset();
        ForgetValidator(destination);
    }
}
