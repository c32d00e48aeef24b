// The skin value readers, with the scan quirks skins rely on.
#include "dulib/res/SkinXml.h"
#include "dulib/res/StateFlags.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// Parses <e a="..."/> (UTF-8) the way the skin loader does.
class OneElement {
public:
    explicit OneElement(const wchar_t* value) {
        std::wstring text = std::wstring(L"<e a=\"") + value + L"\"/>";
        std::string utf8 = SkinTextToUtf8(text.c_str(), text.size());
        doc_.Parse(utf8.c_str(), utf8.size());
    }
    const tinyxml2::XMLElement* get() const { return doc_.FirstChildElement("e"); }

private:
    tinyxml2::XMLDocument doc_;
};

int Int(const wchar_t* value) { return ReadXmlInt(OneElement(value).get(), "a"); }
COLORREF Color(const wchar_t* value) { return ReadXmlColor(OneElement(value).get(), "a"); }
UINT State(const wchar_t* value) { return ReadXmlState(OneElement(value).get(), "a"); }

}  // namespace

TEST(SkinXml, IntegersStopAtTheFirstOtherCharacter) {
    EXPECT_EQ(Int(L"42"), 42);
    EXPECT_EQ(Int(L"  -85"), -85);
    EXPECT_EQ(Int(L"+7"), 7);
    EXPECT_EQ(Int(L"12px"), 12);
    EXPECT_EQ(Int(L"center"), 0);
    EXPECT_EQ(Int(L""), 0);
    EXPECT_EQ(Int(L"-"), 0);
    EXPECT_EQ(Int(L"-2147483648"), INT_MIN);
    EXPECT_EQ(ReadXmlInt(OneElement(L"5").get(), "missing"), 0);
    EXPECT_EQ(ReadXmlInt(nullptr, "a"), 0);
}

TEST(SkinXml, ColoursFollowTheFormattedScan) {
    EXPECT_EQ(Color(L"RGB(220, 0, 0)"), RGB(220, 0, 0));
    EXPECT_EQ(Color(L"RGB(1,2,3)"), RGB(1, 2, 3));
    EXPECT_EQ(Color(L"RGB(1,2)"), RGB(1, 2, 255));          // blue not reached
    EXPECT_EQ(Color(L"RGB(7 ,8,9)"), RGB(7, 255, 255));      // blank before a comma stops the scan
    EXPECT_EQ(Color(L"rgb(1,2,3)"), RGB(255, 255, 255));     // lower case matches nothing
    EXPECT_EQ(Color(L"RGB(256,257,-1)"), RGB(0, 1, 255));    // low 8 bits of each component
    EXPECT_EQ(Color(L"RGB(10,20,30"), RGB(10, 20, 30));      // closing parenthesis not needed
    EXPECT_EQ(Color(L"garbage"), RGB(255, 255, 255));
    EXPECT_EQ(ReadXmlColor(OneElement(L"RGB(1,2,3)").get(), "missing"), RGB(255, 255, 255));
}

TEST(SkinXml, BooleansChangeTheFlagOnlyForTrueOrFalse) {
    int flag = 7;
    ReadXmlBool(OneElement(L"TRUE").get(), "a", &flag);
    EXPECT_EQ(flag, 1);
    ReadXmlBool(OneElement(L"False").get(), "a", &flag);
    EXPECT_EQ(flag, 0);
    flag = 1;
    ReadXmlBool(OneElement(L"yes").get(), "a", &flag);
    EXPECT_EQ(flag, 1);
    ReadXmlBool(OneElement(L"0").get(), "a", &flag);
    EXPECT_EQ(flag, 1);
    ReadXmlBool(OneElement(L"false").get(), "missing", &flag);
    EXPECT_EQ(flag, 1);
    ReadXmlBool(OneElement(L"false").get(), "a", nullptr);  // no flag: nothing happens
}

TEST(SkinXml, StateNamesInAnyCase) {
    EXPECT_EQ(State(L"normal"), STATE_NORMAL);
    EXPECT_EQ(State(L"OVER"), STATE_OVER);
    EXPECT_EQ(State(L"press"), STATE_PRESS);
    EXPECT_EQ(State(L"focus"), STATE_FOCUS);
    EXPECT_EQ(State(L"Disable"), STATE_DISABLE);
    EXPECT_EQ(State(L"normalall"), STATE_NORMALALL);
    EXPECT_EQ(State(L"checked"), STATE_CHECKED);
    EXPECT_EQ(State(L"checkedover"), STATE_CHECKEDOVER);
    EXPECT_EQ(State(L"checkedpress"), STATE_CHECKEDPRESS);
    EXPECT_EQ(State(L"checkedfocus"), STATE_CHECKEDFOCUS);
    EXPECT_EQ(State(L"checkeddisable"), STATE_CHECKEDDISABLE);
    EXPECT_EQ(State(L"CheckedAll"), STATE_CHECKEDALL);
    EXPECT_EQ(State(L"all"), STATE_ALL);
    EXPECT_EQ(State(L"hover"), STATE_NORMAL);
    EXPECT_EQ(ReadXmlState(OneElement(L"all").get(), "missing"), STATE_NORMAL);
}

TEST(SkinXml, PointsAndTexts) {
    POINT p = ReadXmlPoint(OneElement(L"(15,-1)").get(), "a");
    EXPECT_EQ(p.x, 15);
    EXPECT_EQ(p.y, -1);
    p = ReadXmlPoint(OneElement(L"(3)").get(), "a");
    EXPECT_EQ(p.x, 3);
    EXPECT_EQ(p.y, 0);
    p = ReadXmlPoint(OneElement(L"3,4").get(), "a");
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);

    EXPECT_EQ(ReadXmlText(OneElement(L"中文 text").get(), "a"), L"中文 text");
    EXPECT_EQ(ReadXmlText(OneElement(L"x").get(), "missing"), L"");
}

TEST(SkinXml, StringsAreCutToTheBufferAndAnswerTheFullLength) {
    wchar_t buffer[6];
    std::wmemset(buffer, L'#', 6);
    EXPECT_EQ(ReadXmlString(OneElement(L"abcdefghij").get(), "a", buffer, 6), 10);
    EXPECT_STREQ(buffer, L"abcde");

    std::wmemset(buffer, L'#', 6);
    EXPECT_EQ(ReadXmlString(OneElement(L"ab").get(), "a", buffer, 6), 2);
    EXPECT_EQ(std::wmemcmp(buffer, L"ab\0\0\0\0", 6), 0);  // cleared behind the value

    std::wmemset(buffer, L'#', 6);
    EXPECT_EQ(ReadXmlString(OneElement(L"ab").get(), "missing", buffer, 6), 0);
    EXPECT_EQ(buffer[0], L'#');  // untouched when absent
}

TEST(SkinXml, BareAmpersandsLoadAsThemselves) {
    EXPECT_EQ(ReadXmlText(OneElement(L"a & b").get(), "a"), L"a & b");
    EXPECT_EQ(ReadXmlText(OneElement(L"&lt;x&gt; & y &amp; z&#65;&#x42;").get(), "a"), L"<x> & y & zAB");
    EXPECT_EQ(ReadXmlText(OneElement(L"R&D&").get(), "a"), L"R&D&");
    EXPECT_EQ(ReadXmlText(OneElement(L"&nbsp;").get(), "a"), L"&nbsp;");
}

TEST(SkinXml, CommentsAndCdataStayLiteral) {
    const wchar_t* text = L"<e a='x & y'><!-- a & b --><![CDATA[c & d &amp;]]></e>";
    std::string utf8 = SkinTextToUtf8(text, wcslen(text));
    EXPECT_EQ(utf8, "<e a='x &amp; y'><!-- a & b --><![CDATA[c & d &amp;]]></e>");
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(utf8.c_str(), utf8.size()), tinyxml2::XML_SUCCESS);
    EXPECT_STREQ(doc.FirstChildElement("e")->GetText(), "c & d &amp;");
    std::wstring unterminated = L"<e/><!-- & never closed";
    EXPECT_EQ(SkinTextToUtf8(unterminated.c_str(), unterminated.size()), "<e/><!-- & never closed");
    EXPECT_EQ(SkinTextToUtf8(L"a\0& b", 5), "a");  // the text ends at its first zero
}

namespace {
std::wstring TraceLine(int counter, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    std::wstring line = FormatDebugTraceLine(counter, format, args);
    va_end(args);
    return line;
}
}  // namespace

TEST(SkinXml, DebugTraceLinesCarryTheCounterAndAreCut) {
    EXPECT_EQ(TraceLine(0, L"AddResObj [%s] failed\n", L"default"), L"[0]AddResObj [default] failed\n");
    EXPECT_EQ(TraceLine(41, L"failed to loading image[%s]\n", L"dlg_back.png"), L"[41]failed to loading image[dlg_back.png]\n");
    std::wstring longText(2000, L'x');
    EXPECT_EQ(TraceLine(7, L"%s", longText.c_str()).size(), 511u);
}

TEST(SkinXml, DebugTraceTakesAnyLength) {
    std::wstring longText(2000, L'x');
    DebugTrace(L"%s\n", longText.c_str());  // cut to the buffer, no overflow
    DebugTrace(nullptr);
}
