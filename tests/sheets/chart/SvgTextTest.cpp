// Workbook text inside the chart's SVG: whatever a title or label holds, it
// stays inside its element, and the page stays valid UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "sheets/chart/Svg.h"

namespace {

std::string Escaped(std::string_view s) {
    std::string out = "[";  // text already on the page is kept
    sheets::chart::AppendSvgText(out, s);
    return out;
}

TEST(SvgText, MarkupCharactersAreEscapedWhereverTheyStand) {
    EXPECT_EQ(Escaped("Sales"), "[Sales");
    EXPECT_EQ(Escaped("<b>&\"'"), "[&lt;b&gt;&amp;&quot;&#39;");
    EXPECT_EQ(Escaped("a<b"), "[a&lt;b");
    EXPECT_EQ(Escaped("Q1 > Q2 & more"), "[Q1 &gt; Q2 &amp; more");
    EXPECT_EQ(Escaped(""), "[");
}

TEST(SvgText, ControlsBecomeSpacesAndBadUtf8BecomesReplacement) {
    EXPECT_EQ(Escaped(std::string("a\tb\nc\x7F", 6)), "[a b c ");
    EXPECT_EQ(Escaped(std::string("x\0y", 3)), "[x y");
    EXPECT_EQ(Escaped("caf\xC3\xA9 \xE2\x82\xAC"), "[caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(Escaped("a\xFF!"), "[a\xEF\xBF\xBD!");
    EXPECT_EQ(Escaped("end\xE2\x82"), "[end\xEF\xBF\xBD\xEF\xBF\xBD");  // cut short
    EXPECT_EQ(Escaped("\xC2\x85"), "[ ");  // a C1 control
    EXPECT_EQ(Escaped("\xED\xA0\x80z"), "[\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz");  // a surrogate
}

}  // namespace
