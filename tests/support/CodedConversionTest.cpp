#include "support/CodedConversion.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(CodedConversion, AnsiCodePageIs936) { EXPECT_EQ(::GetACP(), 936u); }

TEST(CodedConversion, WideToUtf8MixedText) {
    CCodedConversion conv;
    EXPECT_EQ(conv.WideToUtf8(L"安装 setup 1.0"), "\xE5\xAE\x89\xE8\xA3\x85 setup 1.0");
    EXPECT_EQ(conv.WideToUtf8(L""), "");
    EXPECT_EQ(conv.Utf8ToWide("\xE5\xAE\x89\xE8\xA3\x85"), L"安装");
}

TEST(CodedConversion, AnsiRoundTripForCharactersTheCodePageHas) {
    CCodedConversion conv;
    std::wstring text = L"正在下载“Kestrane”，已完成50%";
    std::string ansi = conv.WideToAnsi(text);
    EXPECT_EQ(ansi.substr(0, 4), "\xD5\xFD\xD4\xDA");  // 正在 in GBK
    EXPECT_EQ(conv.AnsiToWide(ansi), text);
}

TEST(CodedConversion, MissingCharactersBecomeTheDefaultCharacter) {
    CCodedConversion conv;
    EXPECT_EQ(conv.WideToAnsi(L"aༀb"), "a?b");
    EXPECT_EQ(conv.Utf8ToAnsi("a\xE0\xBC\x80" "b"), "a?b");
    EXPECT_EQ(conv.Utf8ToAnsi("\xE5\xAE\x89"), "\xB0\xB2");  // 安
}

TEST(CodedConversion, EmbeddedZeroEndsTheText) {
    CCodedConversion conv;
    std::wstring text(L"ab\0cd", 5);
    EXPECT_EQ(conv.WideToAnsi(text), "ab");
    EXPECT_EQ(conv.WideToUtf8(text), "ab");
    EXPECT_EQ(conv.Utf8ToAnsi(std::string("ab\0cd", 5)), "ab");
}

TEST(CodedConversion, InvalidUtf8BecomesReplacementCharacter) {
    CCodedConversion conv;
    EXPECT_EQ(conv.Utf8ToWide("a\xFF" "b"), L"a\xFFFD" L"b");
}

TEST(CodedConversion, RepairUtf8ReplacesEachIllFormedPartOnce) {
    CCodedConversion conv;
    const std::string fffd = "\xEF\xBF\xBD";
    EXPECT_EQ(conv.RepairUtf8("plain \xE5\xAE\x89 \xF0\x9F\x98\x80"), "plain \xE5\xAE\x89 \xF0\x9F\x98\x80");
    EXPECT_EQ(conv.RepairUtf8("\xB2\xE2\""), fffd + fffd + "\"");  // GBK bytes
    EXPECT_EQ(conv.RepairUtf8("a\xE5\xAE"), "a" + fffd);            // cut at the end
    EXPECT_EQ(conv.RepairUtf8("\xE5\xAEx"), fffd + "x");            // cut in the middle
    EXPECT_EQ(conv.RepairUtf8("\xC0\xAF"), fffd + fffd);            // overlong
    EXPECT_EQ(conv.RepairUtf8("\xED\xA0\x80"), fffd + fffd + fffd);  // surrogate
    EXPECT_EQ(conv.RepairUtf8("\xF4\x90\x80\x80"), fffd + fffd + fffd + fffd);  // above U+10FFFF
    EXPECT_EQ(conv.RepairUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}
