// The capture server brings winsock2.h, which must come before windows.h.
#include "tests/net/CaptureServer.h"

#include "net/WinHttpHandler.h"  // ERR_BUFFER_TOO_SMALL
#include "service/SetupListRequest.h"
#include "support/CodedConversion.h"
#include "tests/service/ServiceTestSupport.h"

#include <gtest/gtest.h>

namespace {

// A package object with every key; `overrides` replaces or adds members
// (raw JSON text after the opening brace), `drop` removes one key.
std::string Package(const std::string& setupName, const std::string& overrides = "", const std::string& drop = "") {
    const std::pair<std::string, std::string> members[] = {
        {"setup_name", "\"" + setupName + "\""}, {"name", "\"Kestrane\""},   {"type", "\"1\""},
        {"size", "\"1024\""},                    {"url", "\"http://h/k.exe\""}, {"description", "\"d\""},
        {"cmd", "\"/S\""},                       {"version", "\"1.0.2\""},      {"sort", "\"3\""},
        {"md5", "\"0123456789abcdef0123456789abcdef\""},
    };
    std::string text = "{" + overrides;
    for (const auto& member : members) {
        if (member.first == drop || overrides.find("\"" + member.first + "\":") != std::string::npos) continue;
        if (text.size() > 1) text += ",";
        text += "\"" + member.first + "\":" + member.second;
    }
    return text + "}";
}

std::string Envelope(const std::string& elements) { return "{\"result\":true,\"data\":[" + elements + "]}"; }

std::vector<SetupInfo> Items(CSafeLList<SetupInfo>& list) {
    std::vector<SetupInfo> items(static_cast<size_t>(list.Count()));
    for (size_t i = 0; i < items.size(); ++i) list.GetAt(static_cast<unsigned>(i), items[i]);
    return items;
}

class SetupList : public ::testing::Test {
protected:
    // Asks the capturing server, which answers `answer`.
    int Ask(const std::string& answer, int status = 200) {
        server_.SetBody(answer, status);
        return RequestSetupList(server_.BaseUrl(), SampleFacts(), L"", list_, QuickRetries());
    }

    CaptureServer server_;
    CSafeLList<SetupInfo> list_;
};

} // namespace

TEST_F(SetupList, SixFormFieldsInOrderAndTheLogLine) {
    CapturedLog log;
    ServiceFacts facts = SampleFacts();
    facts.officeName = L"??";
    ASSERT_EQ(Ask(Envelope("")), 0);
    ASSERT_EQ(RequestSetupList(server_.BaseUrl(), facts, L"2.0 测试", list_), 0);

    std::vector<std::string> requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(HeadLines(requests[0])[0], "POST /api/setup/install HTTP/1.1");
    EXPECT_EQ(HeaderValue(requests[0], "Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(BodyOf(requests[0]),
              "setup_name=kx&setup_type=1&win_ver=win_win10_64&office_ver=office_2010_32&netf_ver=netf_4.5_xx"
              "&local_ver=");
    EXPECT_EQ(BodyOf(requests[1]), "setup_name=kx&setup_type=1&win_ver=win_win10_64&office_ver=??&netf_ver=netf_4.5_xx"
                                "&local_ver=2.0 \xE6\xB5\x8B\xE8\xAF\x95");  // UTF-8 on the wire

    std::wstring text = log.Text();
    EXPECT_NE(text.find(L"[INFORMATION] CModelSetup::GetSetupList 提交检测信息: setup_name=kx&setup_type=1&"
                        L"win_ver=win_win10_64&office_ver=??&netf_ver=netf_4.5_xx&local_ver=2.0 测试"),
              std::wstring::npos)
        << text;
}

TEST_F(SetupList, PackagesAreReadKeyByKey) {
    ASSERT_EQ(Ask(Envelope(Package("a") + "," +
                           Package("b", "\"type\":\"16abc\",\"size\":\"  -7\",\"sort\":\"\",\"name\":\"B\"") + "," +
                           Package("c", "\"url\":\"http:\\/\\/h\\/p\\/c.exe\""))),
              0);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 3u);
    const SetupInfo& a = items[0];
    EXPECT_EQ(a.setup_name, L"a");
    EXPECT_EQ(a.name, L"Kestrane");
    EXPECT_EQ(a.type, 1);
    EXPECT_EQ(a.size, 1024);
    EXPECT_EQ(a.url, L"http://h/k.exe");
    EXPECT_EQ(a.description, L"d");
    EXPECT_EQ(a.cmd, L"/S");
    EXPECT_EQ(a.version, L"1.0.2");
    EXPECT_EQ(a.sort, 3);
    EXPECT_EQ(a.md5, L"0123456789abcdef0123456789abcdef");
    EXPECT_EQ(a.state, Waiting);  // the application's fields keep their initial values
    EXPECT_FALSE(a.selected);
    EXPECT_EQ(a.downloaded, 0);
    EXPECT_EQ(a.errorCode, 0);
    EXPECT_TRUE(a.itemIndex.empty());
    EXPECT_EQ(a.doneSemaphore, nullptr);

    EXPECT_EQ(items[1].name, L"B");
    EXPECT_EQ(items[1].type, 16);  // digits followed by letters
    EXPECT_EQ(items[1].size, -7);
    EXPECT_EQ(items[1].sort, 0);  // empty text
    EXPECT_EQ(items[2].url, L"http://h/p/c.exe");  // escaped slashes are plain slashes
}

TEST_F(SetupList, EmptyDataAddsNothing) {
    EXPECT_EQ(Ask(Envelope("")), 0);
    EXPECT_EQ(list_.Count(), 0);
}

TEST_F(SetupList, APackageWithANonStringOrMissingValueIsSkipped) {
    ASSERT_EQ(Ask(Envelope(Package("number", "\"size\":1024") + "," + Package("string", "\"size\":\"1024\"") + "," +
                           Package("missing", "", "md5") + "," + Package("null", "\"cmd\":null") + "," +
                           Package("bool", "\"type\":true") + "," + Package("nested", "\"name\":{\"x\":\"y\"}"))),
              0);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].setup_name, L"string");
    EXPECT_EQ(items[0].size, 1024);
}

TEST_F(SetupList, AnElementThatIsNotAnObjectEndsTheParse) {
    EXPECT_EQ(Ask(Envelope(Package("one") + "," + Package("two") + ",3," + Package("four"))), ERR_BAD_RESPONSE);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 2u);  // what came before stays
    EXPECT_EQ(items[0].setup_name, L"one");
    EXPECT_EQ(items[1].setup_name, L"two");
}

TEST_F(SetupList, AnythingButASuccessEnvelopeIsABadResponse) {
    const char* answers[] = {
        "",
        "not json",
        "{\"result\":true,\"data\":[]",
        "[{\"result\":true,\"data\":[]}]",
        "\"result\"",
        "{\"data\":[]}",
        "{\"result\":\"true\",\"data\":[]}",
        "{\"result\":1,\"data\":[]}",
        "{\"result\":true}",
        "{\"result\":true,\"data\":{}}",
        "{\"result\":true,\"data\":\"[]\"}",
        "{\"result\":false}",
        "{\"result\":false,\"failReason\":7}",
        "{\"result\":false,\"data\":[]}",
        "{\"result\":true,\"data\":[]} trailing",
        "{\"result\":true,\"data\":[\"\xFF\xFE\"]}",  // not UTF-8
    };
    for (const char* answer : answers) {
        EXPECT_EQ(Ask(answer), ERR_BAD_RESPONSE) << answer;
        EXPECT_EQ(list_.Count(), 0) << answer;
    }
    // An error page under an error status does not parse either.
    EXPECT_EQ(Ask("<html><body>500 Internal Server Error</body></html>", 500), ERR_BAD_RESPONSE);
}

TEST_F(SetupList, EscapesAndTextOutsideTheAnsiCodePageSurvive) {
    // Names outside code page 936 (Korean, an emoji, n with tilde), an escaped
    // quote, an escaped backslash and \u escapes.
    ASSERT_EQ(Ask(Envelope(Package("u", "\"name\":\"\xED\x95\x9C\xEA\xB5\xAD \xF0\x9F\x98\x80 \xC3\xB1\","
                                        "\"description\":\"say \\\"hi\\\" \\\\ C:\\\\x \\u4e2d\\ud83d\\ude00\\t.\","
                                        "\"cmd\":\"/DIR=\\\"C:\\\\Program Files\\\\K\\\"\""))),
              0);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].name, L"\xD55C\xAD6D \xD83D\xDE00 \x00F1");
    EXPECT_EQ(items[0].description, L"say \"hi\" \\ C:\\x \x4E2D\xD83D\xDE00\t.");
    EXPECT_EQ(items[0].cmd, L"/DIR=\"C:\\Program Files\\K\"");
    EXPECT_EQ(::GetACP(), 936u) << "run under LC_ALL=zh_CN.UTF-8 as the target machines";
}

TEST_F(SetupList, IllFormedBytesAndRawControlCharactersLoseNoPackage) {
    // A description sent in GBK ("测" is B2 E2), a name with a stray byte, a
    // raw tab, line feed and 0x01 inside strings, and an escape that stays one.
    ASSERT_EQ(Ask(Envelope(Package("gbk", "\"description\":\"\xB2\xE2 a\tb\nc\x01" "d\\u0041\"") + "," +
                           Package("stray", "\"name\":\"K\xFF\xE5\xAE\x89\"") + "," + Package("plain"))),
              0);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].description, L"\xFFFD\xFFFD a\tb\nc\x01" L"dA");
    EXPECT_EQ(items[1].name, L"K\xFFFD安");
    EXPECT_EQ(items[2].setup_name, L"plain");

    // The keys are still checked, and a document broken outside its strings still fails.
    EXPECT_EQ(Ask(Envelope(Package("no_md5", "\"name\":\"\xB2\xE2\"", "md5"))), 0);
    EXPECT_EQ(list_.Count(), 3);
    EXPECT_EQ(Ask("{\"result\":true,\x01\"data\":[]}"), ERR_BAD_RESPONSE);
    EXPECT_EQ(Ask("{\"result\":true,\"data\":[\"\xB2\xE2\"]}"), ERR_BAD_RESPONSE);
}

TEST_F(SetupList, ASecondPackageOfTheSameSetupNameIsDroppedAndLogged) {
    CapturedLog log;
    ASSERT_EQ(Ask(Envelope(Package("a") + "," + Package("b") + "," + Package("a", "\"name\":\"Other\""))), 0);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].setup_name, L"a");
    EXPECT_EQ(items[0].name, L"Kestrane");
    EXPECT_EQ(items[1].setup_name, L"b");
    EXPECT_NE(log.Text().find(L"[WARN] CModelSetup::GetSetupList 重复的setup_name，已忽略: a"), std::wstring::npos)
        << log.Text();
}

TEST(SetupListTransport, UnreachableServiceGivesTheTransportCode) {
    CSafeLList<SetupInfo> list;
    int port;
    {
        CaptureServer closed;  // a port that was just free and is closed again
        port = closed.Port();
    }
    int rc = RequestSetupList(L"127.0.0.1:" + std::to_wstring(port), SampleFacts(), L"", list, QuickRetries());
    EXPECT_NE(rc, 0);
    EXPECT_NE(rc, ERR_BAD_RESPONSE);
    EXPECT_NE(rc, ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(SetupList, ASizeBeyond32BitsIsMarkedAndLogged) {
    CapturedLog log;
    ASSERT_EQ(Ask(Envelope(Package("big", "\"size\":\"3000000000\"") + "," +
                           Package("largest", "\"size\":\"2147483647\"") + "," +
                           Package("huge", "\"size\":\"99999999999999999999\""))),
              0);
    std::vector<SetupInfo> items = Items(list_);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].recordFault, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(items[1].recordFault, 0);
    EXPECT_EQ(items[1].size, 2147483647);
    EXPECT_EQ(items[2].recordFault, ERROR_FILE_TOO_LARGE);
    EXPECT_TRUE(log.Has(L"[ERROR] CModelSetup::GetSetupList 安装包大小超出32位范围，不会下载: Kestrane, size=3000000000"))
        << log.Text();
}
