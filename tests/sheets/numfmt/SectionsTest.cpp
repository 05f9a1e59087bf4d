#include <string>

#include "NumfmtCases.h"

using numfmt_test::ExpectShown;
using sheets::BuiltinFormatCode;
using sheets::NumberFormat;

TEST(NumfmtSections, PositiveNegativeZero) {
    ExpectShown({
        {"0;-0", -5, "-5"},
        {"0;0", -5, "5"},  // the negative section shows no sign of its own
        {"0;(0)", -5, "(5)"},
        {"0;(0)", 0, "0"},
        {"0.0;(0.0)", -0.01, "(0.0)"},
        {"0;-0;\"zero\"", 0, "zero"},
        {"0;-0;\"zero\"", 5, "5"},
        {"0;-0;", 0, ""},
        {"0;;", -5, ""},
        {";;;", 5, ""},
        {"0;-0;0;@", -5, "-5"},
        {"#,##0.00_);(#,##0.00)", -1234.5, "(1,234.50)"},
        {"#,##0.00_);(#,##0.00)", 1234.5, "1,234.50 "},
        {"m/d/yyyy;\"before\"", -1, "before"},
        {"0;0;0;0;0", -5, "5"},  // a fifth section is ignored
    });
}

TEST(NumfmtSections, ConditionsReplaceTheDefaultSplit) {
    ExpectShown({
        {"[>100]\"big\";[<=-5]\"neg\";0", 150, "big"},
        {"[>100]\"big\";[<=-5]\"neg\";0", -10, "neg"},
        {"[>100]\"big\";[<=-5]\"neg\";0", 5, "5"},
        {"[>100]\"big\";[<=-5]\"neg\";0", -2, "-2"},
        {"[<1]0.00;0", 0.5, "0.50"},
        {"[<1]0.00;0", 5, "5"},
        {"[<1]0.00;0", -5, "-5.00"},
        {"[=1]\"one\";0", 1, "one"},
        {"[<>1]\"other\";0", 2, "other"},
        {"[>=10]0;[<0]\"-\"0", -3, "-3"},
        {"[>= 1.5]\"ok\";\"no\"", 1.5, "ok"},
        {"[>100]0;[<-100]0", 5, "5"},  // no section fits: General
    });
}

TEST(NumfmtSections, Colours) {
    struct {
        const char* code;
        double value;
        int32_t color;
    } cases[] = {
        {"[Red]0", 1, 0xFF0000},
        {"[red]0", 1, 0xFF0000},
        {"0;[Red]0", -1, 0xFF0000},
        {"0;[Red]0", 1, -1},
        {"[Blue]0;[Green]0;[Magenta]0", 0, 0xFF00FF},
        {"[Cyan]0", 1, 0x00FFFF},
        {"[Yellow]0", 1, 0xFFFF00},
        {"[White]0", 1, 0xFFFFFF},
        {"[Black]0", 1, 0x000000},
        {"[Color10]0", 1, 0x008000},
        {"[color3]0", 1, 0xFF0000},
        {"[Color56]0", 1, 0x333333},
        {"[Color57]0", 1, -1},
        {"[Color0]0", 1, -1},
        {"[Orange]0", 1, -1},
        {"[Red][>5]0;[Blue]0", 1, 0x0000FF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberFormat::Compile(c.code)->Format(c.value, false).color, c.color) << c.code;
}

TEST(NumfmtSections, Text) {
    struct {
        const char* code;
        const char* text;
        const char* shown;
        int32_t color;
    } cases[] = {
        {"@", "abc", "abc", -1},
        {"\"pre \"@", "abc", "pre abc", -1},
        {"@@", "ab", "abab", -1},
        {"0;-0;0;[Red]\"t:\"@", "x", "t:x", 0xFF0000},
        {"0;-0;0;\"fixed\"", "x", "fixed", -1},
        {"0.00", "abc", "abc", -1},
        {"0;-0", "abc", "abc", -1},
        {";;;", "abc", "", -1},
        {"General", "abc", "abc", -1},
        {"_(@_)", "abc", " abc ", -1},
        // General in the text section stands for the text, as @ does.
        {"0;-0;0;[Yellow]General\\ ", "abc", "abc ", 0xFFFF00},
        {"#,##0;(#,##0);\"-\";\"<\"General\">\"", "abc", "<abc>", -1},
    };
    for (const auto& c : cases) {
        auto r = NumberFormat::Compile(c.code)->FormatText(c.text);
        EXPECT_EQ(r.text, c.shown) << c.code;
        EXPECT_EQ(r.color, c.color) << c.code;
    }
    // Numbers under a text-only code keep their General look.
    ExpectShown({{"@", 1.5, "1.5"}, {"\"x\"@", 5, "x5"}, {"[Blue]@", -2, "-2"}});
    // ...and General in a number section is still the number's General.
    ExpectShown({{"0;-0;0;General", 2.5, "3"}, {"General;-General;0;General", -2.5, "-2.5"}});
}

TEST(NumfmtBuiltin, IdsAndCodes) {
    EXPECT_EQ(BuiltinFormatCode(0), "General");
    EXPECT_EQ(BuiltinFormatCode(14), "m/d/yyyy");
    EXPECT_EQ(BuiltinFormatCode(22), "m/d/yyyy h:mm");
    EXPECT_EQ(BuiltinFormatCode(46), "[h]:mm:ss");
    EXPECT_EQ(BuiltinFormatCode(49), "@");
    EXPECT_EQ(BuiltinFormatCode(23), "General");  // reserved
    EXPECT_EQ(BuiltinFormatCode(1000), "General");
    // What the common ids show for one value.
    struct {
        uint32_t id;
        double value;
        const char* shown;
    } cases[] = {
        {1, 1234.5, "1235"},
        {2, 1234.5, "1234.50"},
        {3, 1234.5, "1,235"},
        {4, 1234.5, "1,234.50"},
        {5, -1234.5, "($1,235)"},
        {8, -1234.5, "($1,234.50)"},
        {9, 0.5, "50%"},
        {10, 0.5, "50.00%"},
        {11, 1234.5, "1.23E+03"},
        {12, 1.5, "1 1/2"},
        {13, 1.5, "1  1/2 "},
        {14, 45000, "3/15/2023"},
        {15, 45000, "15-Mar-23"},
        {16, 45000, "15-Mar"},
        {17, 45000, "Mar-23"},
        {18, 0.75, "6:00 PM"},
        {19, 0.75, "6:00:00 PM"},
        {20, 0.75, "18:00"},
        {21, 0.75, "18:00:00"},
        {22, 45000.75, "3/15/2023 18:00"},
        {37, -1234.5, "(1,235)"},
        {40, -1234.5, "(1,234.50)"},
        {45, 0.75, "00:00"},
        {46, 1.5, "36:00:00"},
        {47, 1.5 / 86400, "00:01.5"},
        {48, 12345, "12.3E+3"},
        {49, 1.5, "1.5"},
        {30, 45000, "3/15/23"},
        {32, 0.75, "18:00"},
        {57, 45000, "3/15/2023"},
        {59, 1.5, "2"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NumberFormat::Compile(BuiltinFormatCode(c.id))->Format(c.value, false).text, c.shown)
            << "id " << c.id;
    EXPECT_EQ(NumberFormat::Compile(BuiltinFormatCode(6))->Format(-1, false).color, 0xFF0000);
}
