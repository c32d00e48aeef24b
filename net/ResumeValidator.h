#pragma once
// The server's validator of a partially downloaded file (a strong ETag, else
// Last-Modified), kept in a small file beside it, so that a later resume asks
// for the rest only of that same file (If-Range). The file lives where the
// user can write: what is read back is checked before it goes into a header.
#include <string>

enum class StoredValidator {
    None,      // no validator file: resume as without one
    Usable,    // value holds it
    Rejected,  // a validator file that is not a usable validator; ignored
};

// destination + ".validator".
std::wstring ValidatorPathFor(const std::wstring& destination);
StoredValidator ReadStoredValidator(const std::wstring& destination, std::wstring& value);
// Replaces the stored validator; an empty or unusable value removes it.
void StoreValidator(const std::wstring& destination, const std::wstring& value);
void ForgetValidator(const std::wstring& destination);
// Printable ASCII only, at most 200 characters: a strong ETag ("...", no
// quote inside) or an HTTP date.
bool IsUsableValidator(const std::wstring& value);
