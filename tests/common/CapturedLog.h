#pragma once
// Sends the process log to a fresh file for as long as the object lives, so
// that a test can read what the code under test wrote.
#include "support/CodedConversion.h"
#include "support/Log.h"
#include "tests/common/TempDir.h"

#include <cstdio>
#include <string>

class CapturedLog {
public:
    CapturedLog() : path_(dir_.File(L"captured.log")) { SetProcessLog(OpenLog(path_.c_str())); }
    ~CapturedLog() { SetProcessLog(nullptr); }
    CapturedLog(const CapturedLog&) = delete;
    CapturedLog& operator=(const CapturedLog&) = delete;

    bool IsOpen() const { return ProcessLog() != nullptr; }
    // The log's text converted from the ANSI code page.
    std::wstring Text() const {
        std::string bytes;
        if (FILE* in = _wfopen(path_.c_str(), L"rb")) {
            char chunk[4096];
            size_t n;
            while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.append(chunk, n);
            std::fclose(in);
        }
        return CCodedConversion().AnsiToWide(bytes);
    }
    bool Has(const std::wstring& text) const { return Text().find(text) != std::wstring::npos; }

private:
    TempDir dir_;
    std::wstring path_;
};
