#include <gtest/gtest.h>

#include "text/Escape.h"
#include "text/Utf8.h"

using namespace text;

TEST(EscapeForLine, LineBreaksControlsAndStrayBytesBecomeEscapes) {
    EXPECT_EQ(EscapeForLine("plain /in/Book 1.xlsx é ✓"), "plain /in/Book 1.xlsx é ✓");
    EXPECT_EQ(EscapeForLine("a\nb\rc\td"), "a\\nb\\rc\\td");
    EXPECT_EQ(EscapeForLine("\x1b[31mred\x7f"), "\\x1b[31mred\\x7f");
    EXPECT_EQ(EscapeForLine(std::string("nul\0end", 7)), "nul\\x00end");
    EXPECT_EQ(EscapeForLine("bad \xff\xfe utf8 \xe2\x82"), "bad \\xff\\xfe utf8 \\xe2\\x82");
    // Lines can also end at these, in some readers.
    EXPECT_EQ(EscapeForLine("nel\xc2\x85 ls\xe2\x80\xa8 ps\xe2\x80\xa9"), "nel\\u0085 ls\\u2028 ps\\u2029");
    // A backslash that was in the name stays apart from the escapes.
    EXPECT_EQ(EscapeForLine("a\\nb"), "a\\\\nb");
}

TEST(EscapeForLine, AnythingComesOutAsOneValidLine) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    const std::string out = EscapeForLine(all + all);
    EXPECT_TRUE(IsValidUtf8(out));
    for (unsigned char c : out) EXPECT_TRUE(c >= 0x20 && c != 0x7f) << int(c);
}
