// Automatic series colours, and the colours a chart part states with
// DrawingML's theme references and modifiers.
#include <gtest/gtest.h>

#include "sheets/chart/AutoColors.h"
#include "sheets/model/Chart.h"
#include "sheets/xlsx/ChartPart.h"

using sheets::chart::AutoColor;

namespace {

const std::array<uint32_t, 10> kOffice{0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1, 0x4F81BD,
                                       0xC0504D, 0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646};

double Lightness(uint32_t rgb) {
    const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return (std::max({r, g, b}) + std::min({r, g, b})) / 510.0;
}

TEST(ChartColors, TheFirstSixSeriesTakeTheAccents) {
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(AutoColor(kOffice, 2, i, 6), kOffice[4 + i]) << i;
}

TEST(ChartColors, LaterSeriesTakeDarkerAndLighterVariations) {
    struct Row {
        uint32_t index;
        double mod, off;  // expected luminance change of the accent
    };
    const Row rows[] = {{6, 0.6, 0},  {7, 0.6, 0},    {12, 0.8, 0.2}, {18, 0.8, 0},  {24, 0.6, 0.4},
                        {30, 0.5, 0}, {36, 0.7, 0.3}, {42, 0.7, 0},   {48, 0.5, 0.5}};
    for (const Row& r : rows) {
        const uint32_t accent = kOffice[4 + r.index % 6];
        const uint32_t c = AutoColor(kOffice, 2, r.index, 60);
        EXPECT_EQ(c, sheets::chart::Luminance(accent, r.mod, r.off)) << r.index;
        EXPECT_NEAR(Lightness(c), Lightness(accent) * r.mod + r.off, 0.01) << r.index;
    }
    // After nine rounds the accents come back.
    EXPECT_EQ(AutoColor(kOffice, 2, 54, 60), kOffice[4]);
    // Darker, then lighter.
    EXPECT_LT(Lightness(AutoColor(kOffice, 2, 6, 60)), Lightness(kOffice[4]));
    EXPECT_GT(Lightness(AutoColor(kOffice, 2, 12, 60)), Lightness(kOffice[4]));
}

TEST(ChartColors, SingleColourStylesShadeOneColour) {
    // Style 3 shades the first accent, style 1 grey, from dark to light.
    const uint32_t first = AutoColor(kOffice, 3, 0, 4), last = AutoColor(kOffice, 3, 3, 4);
    EXPECT_LT(Lightness(first), Lightness(last));
    EXPECT_EQ(AutoColor(kOffice, 3, 0, 1), kOffice[4]);
    const uint32_t grey = AutoColor(kOffice, 1, 1, 3);
    EXPECT_EQ(grey >> 16 & 0xFF, grey & 0xFF);
    // Styles repeat every eight (effects differ, colours do not).
    EXPECT_EQ(AutoColor(kOffice, 10, 7, 8), AutoColor(kOffice, 2, 7, 8));
}

TEST(ChartColors, ThemeReferencesAndModifiersResolve) {
    const std::string xml =
        R"(<c:chartSpace xmlns:c="c" xmlns:a="a"><c:chart><c:plotArea><c:barChart><c:ser><c:idx val="0"/>)"
        R"(<c:spPr><a:solidFill><a:schemeClr val="tx1"><a:lumMod val="65000"/><a:lumOff val="35000"/></a:schemeClr></a:solidFill>)"
        R"(<a:ln><a:solidFill><a:schemeClr val="bg1"><a:lumMod val="85000"/></a:schemeClr></a:solidFill></a:ln></c:spPr>)"
        R"(</c:ser><c:ser><c:idx val="1"/><c:spPr><a:solidFill><a:schemeClr val="accent2"/></a:solidFill>)"
        R"(<a:ln><a:solidFill><a:srgbClr val="00FF00"><a:alpha val="50000"/></a:srgbClr></a:solidFill></a:ln></c:spPr></c:ser>)"
        R"(<c:ser><c:idx val="2"/><c:spPr><a:solidFill><a:sysClr val="windowText" lastClr="123456"/></a:solidFill></c:spPr></c:ser>)"
        R"(</c:barChart></c:plotArea></c:chart></c:chartSpace>)";
    // A theme of its own: accent2 is not the default one.
    std::vector<uint32_t> scheme{0x000000, 0xFFFFFF, 0x44546A, 0xE7E6E6, 0x5B9BD5, 0xED7D31};
    const auto c = sheets::xlsx::ReadChartXml(xml, scheme);
    ASSERT_EQ(c.groups.size(), 1u);
    const auto& s = c.groups[0].series;
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0].shape.color.rgb, 0x595959u);
    EXPECT_EQ(s[0].shape.line.color.rgb, 0xD9D9D9u);
    EXPECT_EQ(s[1].shape.color.rgb, 0xED7D31u);
    EXPECT_EQ(s[1].shape.line.color.rgb, 0x00FF00u);
    EXPECT_DOUBLE_EQ(s[1].shape.line.alpha, 0.5);
    EXPECT_EQ(s[2].shape.color.rgb, 0x123456u);
    EXPECT_EQ(c.scheme[5], 0xED7D31u);
}

}  // namespace
