// Numbers that do not fit their column show '#' (or, for General, fewer
// digits) as in the spreadsheet, decided with the widths the page's fonts have.
#include <gtest/gtest.h>

#include "HtmlSupport.h"
#include "sheets/html/CellFit.h"

using namespace sheets;
using namespace sheets::html;

TEST(CellFit, WidthsOfTheMetricTwins) {
    Font calibri;  // 11 pt: 14.67 px to the em
    EXPECT_NEAR(TextWidthPx("0", calibri), 7.43, 0.01);
    EXPECT_NEAR(TextWidthPx("12,345.6", calibri), 6 * 7.43 + 3.66 + 3.70, 0.05);
    Font bold = calibri;
    bold.bold = true;
    EXPECT_GT(TextWidthPx("Wide", bold), TextWidthPx("Wide", calibri));
    Font arial = calibri;
    arial.name = "Arial";
    EXPECT_NEAR(TextWidthPx("0", arial), 8.16, 0.01);
    Font courier = calibri;
    courier.name = "Courier New";
    EXPECT_NEAR(TextWidthPx("i", courier), TextWidthPx("W", courier), 1e-9);
    Font big = calibri;
    big.size = 22;
    EXPECT_NEAR(TextWidthPx("0", big), 2 * TextWidthPx("0", calibri), 1e-9);
    EXPECT_NEAR(TextWidthPx("\xE2\x82\xAC", calibri), TextWidthPx("0", calibri), 1e-9);  // one character, not three
}

TEST(CellFit, FitsOrHashes) {
    const Font f;
    // A default column is 64 px: 60 px inside the padding, eight digits of 7.43 px.
    struct Case {
        const char* text;
        double value;
        bool general;
        int64_t px;
        const char* want;  // "" when the text fits
    } cases[] = {
        {"12345678", 12345678, false, 64, ""},
        {"123456789", 123456789, false, 64, "########"},
        {"101,970,529", 101970529, false, 64, "########"},
        {"5:42:32 PM", 0.7378, false, 64, "########"},
        {"5:42:32 PM", 0.7378, false, 80, ""},
        {"123456789", 123456789, false, 20, "##"},
        {"1", 1, false, 5, "#"},  // at least one
        {"123456789", 123456789, true, 64, "1.23E+08"},
        {"3.141592654", 3.141592654, true, 64, "3.141593"},
        {"-1234.5678", -1234.5678, true, 50, "-1234.6"},
        {"1.23457E+11", 123456789012, true, 64, "1.23E+11"},
        {"0.000123457", 0.000123456789, true, 50, "0.0001"},
        {"0.000123457", 0.000123456789, true, 40, "1E-04"},
        {"123456789", 123456789, true, 45, "1E+08"},
        {"123456789", 123456789, true, 20, "##"},  // not even the shortest form fits
    };
    for (const Case& c : cases)
        EXPECT_EQ(FitNumber(c.text, c.value, c.general, f, c.px), c.want) << c.text << " " << c.px;
}

TEST(CellFit, ShrinkToFitScalesTheFontDown) {
    const Font f;
    EXPECT_EQ(ShrunkSize("short", f, 64), 0);
    const double size = ShrunkSize("a rather long text for this cell", f, 64);
    EXPECT_GT(size, 1);
    EXPECT_LT(size, 11);
    Font at = f;
    at.size = size;
    EXPECT_LE(TextWidthPx("a rather long text for this cell", at), 60);
}

TEST(CellFit, PagesKeepTheValueAndShowWhatFits) {
    Workbook wb = htmltest::OneSheet();
    CellFormat money;
    money.numFmt = "#,##0";
    CellFormat shrink;
    shrink.align.shrink = true;
    CellFormat turned;
    turned.numFmt = "#,##0";
    turned.align.rotation = 90;
    wb.styles.formats = {CellFormat{}, money, shrink, turned};
    Sheet& s = wb.sheets[0];
    htmltest::PutNumber(s, 0, 0, 101970529, 1);
    htmltest::PutNumber(s, 1, 0, 42, 1);
    htmltest::PutNumber(s, 2, 0, 123456789);
    htmltest::PutText(wb, s, 3, 0, "a rather long text for this cell", 2);
    htmltest::PutNumber(s, 4, 0, 101970529, 3);
    s.merges.push_back(Range{5, 0, 5, 1});
    htmltest::PutNumber(s, 5, 0, 101970529, 1);  // two columns wide: fits
    const std::string page = htmltest::Render(wb);
    const std::string body = htmltest::Body(page);
    EXPECT_NE(body.find("<td class=\"s1 h\" data-h=\"########\"><span>101,970,529</span></td>"), std::string::npos);
    EXPECT_NE(body.find(">42</td>"), std::string::npos);
    EXPECT_NE(body.find("data-h=\"1.23E+08\"><span>123456789</span>"), std::string::npos);
    EXPECT_NE(body.find("style=\"font-size:"), std::string::npos);
    EXPECT_EQ(htmltest::Count(body, "data-h="), 2u);  // not the turned one, nor the merged one
    EXPECT_NE(page.find(".h span{display:none}\n.h::before{content:attr(data-h)}"), std::string::npos);
    // Pages without such cells carry no such rule.
    Workbook plain = htmltest::OneSheet();
    htmltest::PutNumber(plain.sheets[0], 0, 0, 42);
    EXPECT_EQ(htmltest::Render(plain).find(".h span"), std::string::npos);
}
