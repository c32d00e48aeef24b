#include "support/Log.h"

#include "support/CodedConversion.h"
#include "tests/common/TempDir.h"

#include <gtest/gtest.h>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

namespace {

std::string Ansi(const std::wstring& path) { return CCodedConversion().WideToAnsi(path); }

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "file does not end with a complete line";
    return lines;
}

const std::regex kStamp(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] \d+ )");

void MakeFileOfSize(const std::string& path, size_t size) {
    std::ofstream out(path, std::ios::binary);
    std::string chunk(65536, 'x');
    while (size > 0) {
        size_t n = std::min(size, chunk.size());
        out.write(chunk.data(), static_cast<std::streamsize>(n));
        size -= n;
    }
}

} // namespace

TEST(Log, LineFormatTagsAndLevelFilter) {
    TempDir dir;
    std::string path = Ansi(dir.File(L"format.log"));
    CLog* log = OpenLog(path.c_str());
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->MaxLevel(), LOG_INFO);

    log->WriteLine("zero", 0);
    log->WriteLine("error", LOG_ERROR);
    log->WriteLine("warn", LOG_WARN);
    log->WriteLine("info", LOG_INFO);
    log->WriteLine("dropped", 4);
    log->WriteLine("", LOG_INFO);

    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), 5u);
    const char* tails[] = {"[ERROR] zero", "[ERROR] error", "[WARN] warn", "[INFORMATION] info", "[INFORMATION] "};
    for (size_t i = 0; i < lines.size(); ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(lines[i], m, kStamp)) << lines[i];
        EXPECT_EQ(lines[i].substr(m.length()), tails[i]);
    }
    std::string tid = std::to_string(::GetCurrentThreadId());
    EXPECT_NE(lines[0].find("] " + tid + " [ERROR]"), std::string::npos) << lines[0];
}

TEST(Log, SamePathGivesSameObjectAndNullOrBadPathGivesNull) {
    TempDir dir;
    std::string path = Ansi(dir.File(L"same.log"));
    CLog* first = OpenLog(path.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OpenLog(path.c_str()), first);
    EXPECT_EQ(OpenLog(static_cast<const char*>(nullptr)), nullptr);
    EXPECT_EQ(OpenLog(static_cast<const wchar_t*>(nullptr)), nullptr);
    std::string bad = Ansi(dir.File(L"no-such-folder\\x.log"));
    EXPECT_EQ(OpenLog(bad.c_str()), nullptr);
}

TEST(Log, ExistingContentIsKeptOnOpen) {
    TempDir dir;
    std::string path = Ansi(dir.File(L"append.log"));
    { std::ofstream(path, std::ios::binary) << "old line\r\n"; }
    CLog* log = OpenLog(path.c_str());
    ASSERT_NE(log, nullptr);
    log->WriteLine("new", LOG_INFO);
    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "old line");
}

TEST(Log, RotationBoundaryAtTenMebibytes) {
    TempDir dir;
    std::string atLimit = Ansi(dir.File(L"limit.log"));
    std::string overLimit = Ansi(dir.File(L"over.log"));
    MakeFileOfSize(atLimit, 10485760);
    MakeFileOfSize(overLimit, 10485761);

    CLog* kept = OpenLog(atLimit.c_str());
    CLog* emptied = OpenLog(overLimit.c_str());
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(emptied, nullptr);
    kept->WriteLine("after", LOG_INFO);
    emptied->WriteLine("after", LOG_INFO);

    std::string keptText = ReadAll(atLimit);
    EXPECT_GT(keptText.size(), 10485760u);
    EXPECT_EQ(keptText.substr(0, 4), "xxxx");

    std::vector<std::string> lines = Lines(ReadAll(overLimit));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("[INFORMATION] after"), std::string::npos);
}

TEST(Log, EightThreadsWriteWholeLines) {
    TempDir dir;
    std::string path = Ansi(dir.File(L"threads.log"));
    CLog* log = OpenLog(path.c_str());
    ASSERT_NE(log, nullptr);
    const int kThreads = 8, kLines = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([log, t] {
            for (int i = 0; i < kLines; ++i)
                log->WriteLine("thread " + std::to_string(t) + " line " + std::to_string(i) + " " +
                                   std::string(40 + (i % 50), static_cast<char>('a' + t)),
                               LOG_WARN);
        });
    }
    for (auto& th : threads) th.join();

    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLines));
    std::set<std::pair<int, int>> seen;
    const std::regex whole(R"(^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] \d+ \[WARN\] thread (\d) line (\d+) ([a-h]+)$)");
    for (const std::string& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, whole)) << line;
        int t = std::stoi(m[1]), i = std::stoi(m[2]);
        EXPECT_EQ(m[3].str(), std::string(40 + (i % 50), static_cast<char>('a' + t)));
        seen.insert({t, i});
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kLines));
}

TEST(Log, WriteLogConvertsAndIsSilentWithoutLog) {
    TempDir dir;
    std::string path = Ansi(dir.File(L"process.log"));
    SetProcessLog(nullptr);
    WriteLog(L"nowhere", LOG_INFO);  // no log: nothing happens
    LogNarrow("nowhere", LOG_INFO);

    CLog* log = OpenLog(path.c_str());
    ASSERT_NE(log, nullptr);
    SetProcessLog(log);
    WriteLog(L"在线安装工具启动！", LOG_INFO);
    WriteLog(L"ༀ missing", LOG_ERROR);  // Tibetan: not in code page 936
    LogNarrow("narrow", LOG_WARN);
    SetProcessLog(nullptr);

    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find("[INFORMATION] " + CCodedConversion().WideToAnsi(L"在线安装工具启动！")),
              std::string::npos);
    EXPECT_EQ(::GetACP(), 936u) << "tests run with LC_ALL=zh_CN.UTF-8";
    EXPECT_NE(lines[0].find("\xD4\xDA\xCF\xDF"), std::string::npos) << "GBK bytes of 在线";
    EXPECT_NE(lines[1].find("[ERROR] ? missing"), std::string::npos) << lines[1];
    EXPECT_NE(lines[2].find("[WARN] narrow"), std::string::npos);
}

TEST(Log, ControlCharactersCannotForgeLines) {
    TempDir dir;
    std::string path = Ansi(dir.File(L"forged.log"));
    CLog* log = OpenLog(path.c_str());
    ASSERT_NE(log, nullptr);
    SetProcessLog(log);
    // A package name from the service that tries to start a line of its own.
    WriteLog(L"tool=Addin\r\n[2024-01-01 00:00:00] 1 [ERROR] forged\tend\x01", LOG_INFO);
    LogNarrow("narrow\nsecond\x7f", LOG_WARN);
    SetProcessLog(nullptr);

    std::vector<std::string> lines = Lines(ReadAll(path));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("[INFORMATION] tool=Addin\\r\\n[2024-01-01 00:00:00] 1 [ERROR] forged\\tend\\x01"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("[WARN] narrow\\nsecond\\x7F"), std::string::npos) << lines[1];
}

TEST(Log, OpensUnderAPathOutsideTheAnsiCodePage) {
    // A profile under a user name in Korean or with "ñ": neither is in code
    // page 936, so only the wide path reaches the file.
    TempDir dir;
    const std::wstring folder = dir.File(L"사용자 Muñoz");
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring path = folder + L"\\[VIZaroreRirar]日志.log";
    CLog* log = OpenLog(path.c_str());
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(OpenLog(path.c_str()), log);
    log->WriteLine("wide", LOG_INFO);
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<std::string> lines = Lines(text.str());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("[INFORMATION] wide"), std::string::npos);
}

TEST(Log, RunLogCopyIsUtf8WithAMarkAndKeepsWhatTheCodePageLacks) {
    TempDir dir;
    std::string daily = Ansi(dir.File(L"daily.log"));
    const std::wstring copyPath = dir.File(L"运行 사용자.log");
    {
        std::ofstream old(copyPath.c_str(), std::ios::binary);
        old << "an earlier run's lines\r\n";
    }
    SetProcessLog(OpenLog(daily.c_str()));
    ASSERT_TRUE(OpenRunLogCopy(copyPath));
    WriteLog(L"在线安装工具启动！", LOG_INFO);
    WriteLog(L"ༀ missing\r\nforged", LOG_ERROR);  // Tibetan: not in code page 936
    LogNarrow(CCodedConversion().WideToAnsi(L"安装目录"), LOG_WARN);
    CloseRunLogCopy();
    WriteLog(L"after", LOG_INFO);  // the daily log only
    SetProcessLog(nullptr);

    std::ifstream in(copyPath.c_str(), std::ios::binary);
    const std::string copy((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(copy.compare(0, 3, "\xEF\xBB\xBF"), 0) << "UTF-8 byte-order mark first";
    std::vector<std::string> lines = Lines(copy.substr(3));
    ASSERT_EQ(lines.size(), 3u) << "the file is started over";
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_search(line, kStamp)) << line;
    CCodedConversion convert;
    EXPECT_NE(lines[0].find("[INFORMATION] " + convert.WideToUtf8(L"在线安装工具启动！")), std::string::npos);
    EXPECT_NE(lines[1].find("[ERROR] " + convert.WideToUtf8(L"ༀ missing\\r\\nforged")), std::string::npos)
        << lines[1];
    EXPECT_NE(lines[2].find("[WARN] " + convert.WideToUtf8(L"安装目录")), std::string::npos);
    EXPECT_EQ(Lines(ReadAll(daily)).size(), 4u);

    EXPECT_FALSE(OpenRunLogCopy(dir.File(L"no such folder\\run.log")));
    EXPECT_EQ(RunLogCopy(), nullptr);
}
