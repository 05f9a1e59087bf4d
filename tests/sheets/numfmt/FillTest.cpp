// The `*x` fill: the renderers say where it goes and with what character;
// the text itself never holds it.
#include <gtest/gtest.h>

#include <string>

#include "sheets/numfmt/NumberFormat.h"

using sheets::BuiltinFormatCode;
using sheets::Formatted;
using sheets::NumberFormat;

namespace {

// "left[x]right" for a fill of x, the bare text without one.
std::string Marked(const Formatted& f) {
    if (f.fill.empty()) return f.text;
    EXPECT_LE(f.fillAt, f.text.size());
    return f.text.substr(0, f.fillAt) + "[" + f.fill + "]" + f.text.substr(f.fillAt);
}

struct Case {
    const char* code;
    double value;
    const char* shown;
};

void ExpectMarked(std::initializer_list<Case> cases) {
    for (const Case& c : cases)
        EXPECT_EQ(Marked(NumberFormat::Compile(c.code)->Format(c.value, false)), c.shown)
            << "code " << c.code << " value " << c.value;
}

}  // namespace

TEST(NumfmtFill, AccountingSectionsPutTheSignLeftAndTheNumberRight) {
    const std::string usd = std::string(BuiltinFormatCode(44));  // _($* #,##0.00_);_($* (#,##0.00);...
    const char* euro = "_-* #,##0.00\\ \"€\"_-;\\-* #,##0.00\\ \"€\"_-;_-* \"-\"??\\ \"€\"_-;_-@_-";
    const char* euroSpaces = "_-* #,##0.00 _€_-;-* #,##0.00 _€_-;_-* \"-\"?? _€_-;_-@_-";
    ExpectMarked({
        {usd.c_str(), 1234.5, " $[ ]1,234.50 "},
        {usd.c_str(), -1234.5, " $[ ](1,234.50)"},
        {usd.c_str(), 0, " $[ ]-   "},
        {euro, 1234.5, " [ ]1,234.50 € "},
        {euro, -1234.5, "-[ ]1,234.50 € "},
        {euro, 0, " [ ]-   € "},
        {euroSpaces, 1234.5, " [ ]1,234.50   "},
        {euroSpaces, -2, "-[ ]2.00   "},
        {euroSpaces, 0, " [ ]-     "},
        {"_($* #,##0_);_($* (#,##0);_($* \"-\"_);_(@_)", -5, " $[ ](5)"},
        {"$* #,##0", -5, "-$[ ]5"},  // one section: the sign leads, as without a fill
    });
}

TEST(NumfmtFill, WhereTheFillStandsAndWhatItRepeats) {
    ExpectMarked({
        {"0*-", 5, "5[-]"},
        {"*-0", 5, "[-]5"},
        {"**0", 5, "[*]5"},
        {"0*.\" km\"", 5, "5[.] km"},
        {"0.00*  \"x\"", 1.5, "1.50[ ] x"},
        {"*x0*y", 5, "[x]5"},  // only the first fill counts
        {"0*", 5, "5"},  // nothing to repeat
        {"* 0%", 0.25, "[ ]25%"},
        {"* 0.00E+00", 1234, "[ ]1.23E+03"},
        {"* # ?/?", 1.5, "[ ]1 1/2"},
        {"d/m/yyyy* ", 45000, "15/3/2023[ ]"},
        {"*.h:mm", 0.75, "[.]18:00"},
        {"0*€", 5, "5[€]"},  // a character beyond ASCII stays whole
        {"[Red]* 0;[Blue]* (0)", -5, "[ ](5)"},
        {"0;* \"neg\"", -5, "[ ]neg"},
        {"0", 5, "5"},
    });
    auto f = NumberFormat::Compile("[Red]* 0");
    EXPECT_EQ(f->Format(5, false).color, 0xFF0000);
}

TEST(NumfmtFill, TextSectionsAndDatesThatCannotShow) {
    auto acc = NumberFormat::Compile(BuiltinFormatCode(44));
    EXPECT_EQ(Marked(acc->FormatText("abc")), " abc ");
    auto dots = NumberFormat::Compile("0;-0;0;@*.");
    EXPECT_EQ(Marked(dots->FormatText("Total")), "Total[.]");
    EXPECT_EQ(Marked(NumberFormat::Compile("*-@")->FormatText("x")), "[-]x");
    // A text-only code shows numbers as General, with its fill.
    EXPECT_EQ(Marked(NumberFormat::Compile("@* ")->Format(2.5, false)), "2.5[ ]");
    // No section for text: text passes unchanged and unfilled.
    EXPECT_EQ(Marked(NumberFormat::Compile("* 0")->FormatText("abc")), "abc");
    // A date that cannot be shown is only '#'.
    EXPECT_EQ(Marked(NumberFormat::Compile("* d/m/yyyy")->Format(-1, false)), "########");
    EXPECT_EQ(Marked(NumberFormat::Compile("General")->Format(5, false)), "5");
}
