#include "net/BodySize.h"

#include "net/HttpExchange.h"

#include <string>

namespace {

// The decimal number in text (blanks around it allowed), saturated far above
// any limit here; false when the text is not such a number.
bool ReadCount(const std::wstring& text, long long& count) {
    const size_t first = text.find_first_not_of(L" \t");
    const size_t last = text.find_last_not_of(L" \t");
    if (first == std::wstring::npos) return false;
    count = 0;
    for (size_t i = first; i <= last; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        if (count < (1LL << 40)) count = count * 10 + (text[i] - L'0');
    }
    return true;
}

} // namespace

int CheckAnnouncedFileSize(HINTERNET request, long long offset) {
    long long length = 0;
    if (ReadCount(ResponseHeader(request, WINHTTP_QUERY_CONTENT_LENGTH), length) &&
        offset + length > kLargestFileSize)
        return ERROR_FILE_TOO_LARGE;
    // "bytes <first>-<last>/<total>"; the total may be "*" (unknown).
    const std::wstring range = ResponseHeader(request, WINHTTP_QUERY_CONTENT_RANGE);
    const size_t slash = range.rfind(L'/');
    long long total = 0;
    if (slash != std::wstring::npos && ReadCount(range.substr(slash + 1), total) && total > kLargestFileSize)
        return ERROR_FILE_TOO_LARGE;
    return 0;
}
