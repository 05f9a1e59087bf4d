// Pattern fills drawn as patterns, and frozen panes as sticky rows and columns.
#include <gtest/gtest.h>

#include "HtmlSupport.h"
#include "sheets/html/Hatch.h"

using namespace sheets;

TEST(Hatches, EachPatternIsATileOfItsDensity) {
    struct Case {
        Hatch hatch;
        size_t inked;  // pixels of the 4 by 4 tile in the pattern colour
    } cases[] = {
        {Hatch::DarkGray, 12},     {Hatch::MediumGray, 8},     {Hatch::LightGray, 4},    {Hatch::Gray125, 2},
        {Hatch::Gray0625, 1},      {Hatch::DarkHorizontal, 8}, {Hatch::DarkVertical, 8}, {Hatch::DarkDown, 8},
        {Hatch::DarkUp, 8},        {Hatch::DarkGrid, 8},       {Hatch::DarkTrellis, 12}, {Hatch::LightHorizontal, 4},
        {Hatch::LightVertical, 4}, {Hatch::LightDown, 4},      {Hatch::LightUp, 4},      {Hatch::LightGrid, 7},
        {Hatch::LightTrellis, 6},
    };
    for (const Case& c : cases) {
        const std::string css = html::HatchCss(c.hatch, 0xFF0000, 0xFFFF00);
        EXPECT_EQ(css.rfind("background:#ffff00 url(\"data:image/svg+xml,", 0), 0u) << int(c.hatch);
        EXPECT_NE(css.find("fill='%23ff0000'"), std::string::npos);
        EXPECT_EQ(htmltest::Count(css, "h1v1h-1z"), c.inked) << int(c.hatch);
    }
    EXPECT_EQ(html::HatchCss(Hatch::None, 0, 0xFFFFFF), "background:#ffffff;");
}

TEST(Hatches, PagesDrawThemAndKeepTheBlendWithout) {
    Workbook wb = htmltest::OneSheet();
    wb.styles.fills.push_back(Fill{Fill::Pattern::Other, Color::Rgb(0xFF0000), Color::Rgb(0xFFFF00), Hatch::LightUp});
    wb.styles.fills.push_back(Fill{Fill::Pattern::Other, Color::Rgb(0xFF0000), Color::Rgb(0xFFFF00)});  // a gradient
    CellFormat a, b;
    a.fill = 1;
    b.fill = 2;
    wb.styles.formats = {CellFormat{}, a, b};
    htmltest::PutNumber(wb.sheets[0], 0, 0, 1, 1);
    htmltest::PutNumber(wb.sheets[0], 0, 1, 2, 2);
    const std::string page = htmltest::Render(wb);
    EXPECT_NE(page.find("background:#ffff00 url(\"data:image/svg+xml,"), std::string::npos);
    EXPECT_NE(page.find("background:#ff8000"), std::string::npos);
}

TEST(FrozenPanes, RowsAndColumnsStickWithoutScript) {
    Workbook wb = htmltest::OneSheet();
    Sheet& s = wb.sheets[0];
    for (uint32_t r = 0; r < 4; ++r)
        for (uint16_t c = 0; c < 3; ++c) htmltest::PutNumber(s, r, c, r * 10 + c);
    s.frozenRows = 2;
    s.frozenCols = 1;
    const std::string page = htmltest::Render(wb);
    EXPECT_NE(page.find(":where(#sheet1 td.fc0){position:sticky;left:0px;z-index:2;background-color:#fff}"),
              std::string::npos);
    EXPECT_NE(page.find(":where(#sheet1 tr.fr0>td){position:sticky;top:0px;"), std::string::npos);
    EXPECT_NE(page.find(":where(#sheet1 tr.fr1>td){position:sticky;top:20px;"), std::string::npos);
    EXPECT_NE(page.find(":where(#sheet1 tr.fr>td.fc){z-index:4}"), std::string::npos);
    const std::string body = htmltest::Body(page);
    EXPECT_EQ(htmltest::Count(body, "<tr class=\"fr fr"), 2u);
    EXPECT_EQ(htmltest::Count(body, "fc fc0\""), 4u);
    EXPECT_EQ(body.find("<script"), std::string::npos);

    s.frozenRows = 5000;  // more than a window holds: left scrolling
    s.frozenCols = 0;
    EXPECT_EQ(htmltest::Render(wb).find("position:sticky"), std::string::npos);
}
