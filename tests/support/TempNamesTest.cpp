#include "support/TempNames.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <regex>
#include <set>

TEST(TempNames, TempPathEndsInBackslashAndExists) {
    std::wstring path = TempPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.back(), L'\\');
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(TempNames, GuidTextsAreWellFormedAndDistinct) {
    const std::wregex shape(L"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$");
    std::set<std::wstring> seen;
    for (int i = 0; i < 200; ++i) {
        std::wstring text = NewGuidText();
        ASSERT_TRUE(std::regex_match(text, shape)) << i;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 200u);
}
