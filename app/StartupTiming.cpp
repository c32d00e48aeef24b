#include "app/StartupTiming.h"

#include "support/ProcessClock.h"

#include <cstdio>

void StartupTiming::Stage(const char* name) { marks_.push_back({name, MsSinceProcessStart()}); }

std::wstring StartupTiming::LogLine() const {
    wchar_t part[96] = {};
    _snwprintf_s(part, 96, _TRUNCATE, L"启动计时（毫秒）: first_frame=%.1f", marks_.empty() ? 0.0 : marks_.back().at);
    std::wstring line = part;
    double before = 0.0;
    for (const Mark& mark : marks_) {
        _snwprintf_s(part, 96, _TRUNCATE, L" %hs=%.1f", mark.name, mark.at - before);
        line += part;
        before = mark.at;
    }
    return line;
}
