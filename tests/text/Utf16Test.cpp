#include <gtest/gtest.h>

#include "text/Utf16.h"

using namespace text;

TEST(Utf16, Bytes) {
    const std::string le("A\0\x3D\xD8\x00\xDE\x00\xD8", 8);  // A, U+1F600, lone high surrogate
    EXPECT_EQ(Utf16BytesToUtf8(le, false), "A😀\xEF\xBF\xBD");
    const std::string be("\0A\0\xE9\0", 5);  // A, é, a stray byte
    EXPECT_EQ(Utf16BytesToUtf8(be, true), "Aé\xEF\xBF\xBD");
    EXPECT_EQ(Utf16BytesToUtf8(std::string("\x00\xDC\x41\x00", 4), false),
              "\xEF\xBF\xBD"
              "A");  // lone low surrogate
}

TEST(Utf16, UnitsWithOffsets) {
    const std::u16string units = u"a\xE9\xD83D\xDE00!\xDC00";
    std::vector<uint32_t> offsets;
    EXPECT_EQ(Utf16ToUtf8(units, &offsets), "a\xC3\xA9\xF0\x9F\x98\x80!\xEF\xBF\xBD");
    // Both halves of the pair point at their character.
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 1, 3, 3, 7, 8, 11}));
    EXPECT_EQ(Utf16ToUtf8(u"\xD83D"), "\xEF\xBF\xBD");  // a high surrogate at the end
    EXPECT_EQ(Utf16ToUtf8(u""), "");
}
