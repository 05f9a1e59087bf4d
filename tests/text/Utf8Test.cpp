#include <gtest/gtest.h>

#include "text/Utf8.h"

using namespace text;

TEST(Utf8, Validation) {
    EXPECT_TRUE(IsValidUtf8("plain é ✓ 😀"));
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));  // overlong
    EXPECT_FALSE(IsValidUtf8("\xE0\x9F\xBF"));  // overlong
    EXPECT_FALSE(IsValidUtf8("\xF0\x8F\xBF\xBF"));  // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));  // cut short
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));
    EXPECT_FALSE(IsValidUtf8("\x80"));  // a continuation byte alone
    EXPECT_TRUE(IsValidUtf8("\xED\x9F\xBF\xEE\x80\x80\xF4\x8F\xBF\xBF"));  // around the surrogates, the last one
}

TEST(Utf8, CharacterAtAPosition) {
    const std::string s = "a\xC3\xA9\xE2\x9C\x93\xF0\x9F\x98\x80\xFF\xE2\x82";
    EXPECT_EQ(Utf8CharLength(s, 0), 1u);
    EXPECT_EQ(Utf8CharLength(s, 1), 2u);
    EXPECT_EQ(Utf8CharLength(s, 2), 0u);  // inside a character
    EXPECT_EQ(Utf8CharLength(s, 3), 3u);
    EXPECT_EQ(Utf8CharLength(s, 6), 4u);
    EXPECT_EQ(Utf8CharLength(s, 10), 0u);
    EXPECT_EQ(Utf8CharLength(s, 11), 0u);  // cut short by the end

    char32_t cp = 0;
    size_t len = 0;
    EXPECT_TRUE(DecodeUtf8(s, 1, cp, len));
    EXPECT_EQ(cp, U'é');
    EXPECT_EQ(len, 2u);
    EXPECT_TRUE(DecodeUtf8(s, 3, cp, len));
    EXPECT_EQ(cp, U'✓');
    EXPECT_TRUE(DecodeUtf8(s, 6, cp, len));
    EXPECT_EQ(cp, U'😀');
    EXPECT_EQ(len, 4u);
    EXPECT_FALSE(DecodeUtf8(s, 10, cp, len));
    EXPECT_EQ(len, 1u) << "a stray byte is stepped over alone";

    // The lead byte alone: what numbers of bytes a format code's characters
    // are assumed to take.
    EXPECT_EQ(Utf8SequenceLength('a'), 1u);
    EXPECT_EQ(Utf8SequenceLength(0xC3), 2u);
    EXPECT_EQ(Utf8SequenceLength(0xE2), 3u);
    EXPECT_EQ(Utf8SequenceLength(0xF7), 4u);
    EXPECT_EQ(Utf8SequenceLength(0x80), 1u);
    EXPECT_EQ(Utf8SequenceLength(0xFF), 1u);
}

TEST(Utf8, EncodingRoundTrips) {
    for (char32_t cp : {char32_t{0}, char32_t{0x7F}, char32_t{0x80}, char32_t{0x7FF}, char32_t{0x800}, char32_t{0xFFFD},
                        char32_t{0xFFFF}, char32_t{0x10000}, char32_t{0x10FFFF}}) {
        std::string s = "x";
        AppendUtf8(s, cp);
        char32_t back = 0;
        size_t len = 0;
        ASSERT_TRUE(DecodeUtf8(s, 1, back, len)) << uint32_t(cp);
        EXPECT_EQ(back, cp);
        EXPECT_EQ(len + 1, s.size());
    }
}

TEST(Utf8, CountingAndRepair) {
    EXPECT_EQ(CharCount("é"), 1u);
    EXPECT_EQ(CharCount("ab"), 2u);
    EXPECT_EQ(CharCount("\xFF"), 1u);
    EXPECT_EQ(CharCount("\xE2\x82"), 2u);  // each stray byte on its own
    EXPECT_EQ(SanitizeUtf8("a\xFF"
                           "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(SanitizeUtf8("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(SanitizeUtf8("é✓"), "é✓");
}
