// Fonts of rich text runs are interned: one entry per distinct font.
#include <gtest/gtest.h>

#include "sheets/xlsx/Fonts.h"

using namespace sheets;

TEST(FontTable, FontsAreOneWhenAllTheyShowIsAlike) {
    std::vector<Font> fonts{Font{}};
    xlsx::FontTable table(fonts);
    Font base;
    EXPECT_EQ(table.Intern(base), 0u);
    auto with = [&](auto change) {
        Font f = base;
        change(f);
        return table.Intern(f);
    };
    // Sizes alike to six significant digits are the same size.
    EXPECT_EQ(with([](Font& f) { f.size = 11.0000001; }), 0u);
    const uint32_t bigger = with([](Font& f) { f.size = 11.5; });
    EXPECT_EQ(bigger, 1u);
    EXPECT_EQ(with([](Font& f) { f.size = 11.50000001; }), bigger);
    EXPECT_EQ(with([](Font& f) { f.size = 1e-7; }), 2u);
    // Every other property tells fonts apart, a colour to its last digit.
    EXPECT_EQ(with([](Font& f) { f.bold = true; }), 3u);
    EXPECT_EQ(with([](Font& f) { f.underline = Underline::Double; }), 4u);
    EXPECT_EQ(with([](Font& f) { f.color = Color::Rgb(0x00000F); }), 5u);
    EXPECT_EQ(with([](Font& f) { f.color = Color::Rgb(0x0000F0); }), 6u);
    EXPECT_EQ(with([](Font& f) { f.color = Color::Rgb(0); }), 7u);
    EXPECT_EQ(with([](Font& f) { f.name = "Arial"; }), 8u);
    EXPECT_EQ(with([](Font& f) { f.color = Color::Rgb(0x0000F0); }), 6u);
    EXPECT_EQ(fonts.size(), 9u);
    EXPECT_EQ(fonts[6].color, Color::Rgb(0x0000F0));
}
