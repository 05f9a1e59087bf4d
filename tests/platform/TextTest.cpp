#include <gtest/gtest.h>

#include "platform/Text.h"

using namespace platform;

TEST(Text, CaseFoldingIsUnicodeAware) {
    EXPECT_TRUE(SameText("Source", "SOURCE"));
    EXPECT_TRUE(SameText("Ärger", "äRGER"));
    EXPECT_TRUE(SameText("ΣΊΣΥΦΟΣ", "σίσυφος"));
    EXPECT_TRUE(SameText("ς", "Σ"));  // final sigma folds with sigma
    EXPECT_TRUE(SameText("\xC5\xBF", "S"));  // long s
    EXPECT_FALSE(SameText("Source", "Sourc"));
    EXPECT_FALSE(SameText("Source ", "Source"));
    EXPECT_FALSE(SameText("a", "\xC3\xA0"));
    EXPECT_EQ(FoldCase("ÄBC-Ω"), "äbc-ω");
}

TEST(Text, FoldingKeepsBrokenBytes) {
    const std::string broken = "A\xFF\xC3";
    EXPECT_EQ(FoldCase(broken), "a\xFF\xC3");
    EXPECT_TRUE(SameText(broken, "a\xFF\xC3"));
    EXPECT_FALSE(SameText("\xFF", "\xFE"));
}

TEST(Text, PathParts) {
    EXPECT_EQ(FolderPart("/data/in/book.xlsx"), "/data/in/");
    EXPECT_EQ(FolderPart("book.xlsx"), "");
    EXPECT_EQ(FolderPart("http://host/dir/b.xls"), "http://host/dir/");
    EXPECT_EQ(NamePart("/data/in/book.xlsx"), "book.xlsx");
    EXPECT_EQ(NamePart("/data/in/"), "");
    EXPECT_EQ(ChangeFileExt("/opt/q/quindle", ".ext"), "/opt/q/quindle.ext");
    EXPECT_EQ(ChangeFileExt("/opt/q/conv.exe", ".ext"), "/opt/q/conv.ext");
    EXPECT_EQ(ChangeFileExt("/opt/q.d/conv", ".log"), "/opt/q.d/conv.log");
    EXPECT_EQ(ChangeFileExt("a.b.c", ".batch-quindle"), "a.b.batch-quindle");
}

TEST(Text, Integers) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    } cases[] = {
        {"4", true, 4},
        {"$10", true, 16},
        {"0x1F", true, 31},
        {"0X1f", true, 31},
        {"  -5", true, -5},
        {"+7", true, 7},
        {"-$10", true, -16},
        {"2147483647", true, INT32_MAX},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"99999999999999999999", false, 0},
        {"4.5", false, 0},
        {"abc", false, 0},
        {"", false, 0},
        {"$", false, 0},
        {"0x", false, 0},
        {"4 ", false, 0},
        {"-", false, 0},
        {"$FFFFFFFF", false, 0},
    };
    for (const auto& c : cases) {
        int32_t v = 12345;
        EXPECT_EQ(TryParseInt32(c.text, v), c.ok) << c.text;
        EXPECT_EQ(v, c.ok ? c.value : 12345) << c.text;
    }
}

TEST(Text, Booleans) {
    struct Case {
        const char* text;
        bool ok;
        bool value;
    } cases[] = {
        {"1", true, true},    {"-1", true, true},    {"2.5", true, true},    {"0", true, false},
        {"0.0", true, false}, {" 1 ", true, true},   {"1e3", true, true},    {"-0", true, false},
        {"True", true, true}, {"tRUE", true, true},  {"FALSE", true, false}, {"yes", false, false},
        {"", false, false},   {"inf", false, false}, {"nan", false, false},  {"1,5", false, false},
        {".", false, false},  {"1e", false, false},  {"0x10", false, false},
    };
    for (const auto& c : cases) {
        bool v = false;
        EXPECT_EQ(TryParseBool(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}

TEST(Text, Windows1252) { EXPECT_EQ(Windows1252ToUtf8("caf\xE9 \x80 \x81"), "café € \xC2\x81"); }
