#include <gtest/gtest.h>

#include "text/Ascii.h"

using namespace text;

TEST(Ascii, CaseIsIgnoredForAsciiLettersOnly) {
    EXPECT_TRUE(EqualsAsciiNoCase("Excel.Application", "EXCEL.application"));
    EXPECT_FALSE(EqualsAsciiNoCase("Sheets", "Sheet"));
    EXPECT_FALSE(EqualsAsciiNoCase("[", "{"));  // 0x5B and 0x7B differ by the case bit but are no letters
    EXPECT_FALSE(EqualsAsciiNoCase("\xC3\x84", "\xC3\xA4"));  // Ä and ä: not ASCII
    EXPECT_EQ(AsciiLowerCase("Http://A-Z@[]"), "http://a-z@[]");
    EXPECT_EQ(AsciiLowerCase("\xC3\x84"), "\xC3\x84");
    EXPECT_EQ(AsciiLower('Q'), 'q');
    EXPECT_EQ(AsciiLower('@'), '@');
    EXPECT_TRUE(IsAscii("plain\x7F"));
    EXPECT_FALSE(IsAscii("caf\xC3\xA9"));
}
