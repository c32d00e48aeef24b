#pragma once
// Helpers shared by the service client tests.
#include "service/ServiceFacts.h"
#include "support/CodedConversion.h"
#include "support/Log.h"
#include "tests/common/QuickRetries.h"
#include "tests/common/TempDir.h"

#include <cstdio>
#include <string>

inline ServiceFacts SampleFacts() {
    ServiceFacts facts;
    facts.setupName = L"kx";
    facts.windowsName = L"win_win10_64";
    facts.officeName = L"office_2010_32";
    facts.dotNetName = L"netf_4.5_xx";
    return facts;
}

// Sends the process log to a fresh file for one test and reads it back.
class CapturedLog {
public:
    CapturedLog() {
        std::string path = CCodedConversion().WideToAnsi(dir_.File(L"service.log"));
        SetProcessLog(OpenLog(path.c_str()));
        path_ = path;
    }
    ~CapturedLog() { SetProcessLog(nullptr); }
    // The log's text converted from the ANSI code page.
    std::wstring Text() const {
        std::string bytes;
        if (FILE* in = std::fopen(path_.c_str(), "rb")) {
            char chunk[4096];
            size_t n;
            while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0) bytes.append(chunk, n);
            std::fclose(in);
        }
        return CCodedConversion().AnsiToWide(bytes);
    }

private:
    TempDir dir_;
    std::string path_;
};
