#include "dulib/ctrl/MatchName.h"

#include <cwchar>
#include <vector>

bool MatchName(const wchar_t* pattern, const wchar_t* name) {
    if (!pattern || !name) return false;
    const size_t np = wcslen(pattern), nn = wcslen(name);
    // reach[j]: pattern prefix processed so far matches name prefix of length j.
    // Table walk instead of backtracking so that long names with many '*'
    // stay linear in the product of the lengths.
    std::vector<char> reach(nn + 1, 0), next(nn + 1, 0);
    reach[0] = 1;
    for (size_t i = 0; i < np; ++i) {
        const wchar_t c = pattern[i];
        std::fill(next.begin(), next.end(), 0);
        for (size_t j = 0; j <= nn; ++j) {
            if (c == L'*') {
                if (reach[j] || (j > 0 && next[j - 1])) next[j] = 1;
            } else if (c == L'?') {
                if (reach[j] || (j > 0 && reach[j - 1])) next[j] = 1;
            } else if (j > 0 && reach[j - 1] && name[j - 1] == c) {
                next[j] = 1;
            }
        }
        reach.swap(next);
    }
    return reach[nn] != 0;
}
