// Cells whose number format fills the room it leaves with a character, as
// accounting formats do: the sign at the left edge, the number at the right.
#include <gtest/gtest.h>

#include <filesystem>

#include "HtmlSupport.h"
#include "support/Golden.h"

using namespace htmltest;
using namespace sheets;

namespace {

constexpr const char* kUsd = "_($* #,##0.00_);_($* (#,##0.00);_($* \"-\"??_);_(@_)";
constexpr const char* kEuro = "_-* #,##0.00\\ \"€\"_-;\\-* #,##0.00\\ \"€\"_-;_-* \"-\"??\\ \"€\"_-;_-@_-";

// One format per code, after the default at index 0.
Workbook WithFormats(std::initializer_list<const char*> codes) {
    Workbook wb = OneSheet();
    wb.styles.formats.assign(1, CellFormat{});
    for (const char* code : codes) {
        CellFormat f;
        f.numFmt = code;
        wb.styles.formats.push_back(f);
    }
    return wb;
}

}  // namespace

TEST(HtmlFill, AccountingCellsAreARowWithAGrowingMiddle) {
    Workbook wb = WithFormats({kUsd, kEuro});
    Sheet& s = wb.sheets[0];
    PutNumber(s, 0, 0, 1234.5, 1);
    PutNumber(s, 1, 0, -1234.5, 1);
    PutNumber(s, 2, 0, 0, 2);
    PutText(wb, s, 3, 0, "a<b", 1);
    const std::string page = Render(wb);
    const std::string body = Body(page);
    EXPECT_NE(body.find("<span class=\"af\"> $<i></i>1,234.50 </span>"), std::string::npos) << body;
    EXPECT_NE(body.find(" $<i></i>(1,234.50)</span>"), std::string::npos) << body;
    EXPECT_NE(body.find("<span> </span><i></i>-   € </span>"), std::string::npos) << body;
    // The text section of the same code has no fill: plain escaped text.
    EXPECT_NE(body.find("> a&lt;b </td>"), std::string::npos) << body;
    EXPECT_EQ(Count(page, ".af{display:flex}"), 1u);
    EXPECT_EQ(Count(page, "i.ar"), 0u);  // blank fills draw nothing
}

TEST(HtmlFill, VisibleFillsAreDrawnNotWritten) {
    Workbook wb = WithFormats({"0;-0;0;@*.", "0*-", "*\"0", "0*<"});
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "Total", 1);
    PutText(wb, s, 1, 0, "Tax", 1);
    PutNumber(s, 2, 0, 7, 2);
    PutNumber(s, 3, 0, 8, 3);
    PutNumber(s, 4, 0, 9, 4);
    const std::string page = Render(wb);
    const std::string body = Body(page);
    EXPECT_NE(body.find("\"af\">Total<i class=\"ar2E\"></i></span>"), std::string::npos) << body;
    EXPECT_NE(body.find("<i class=\"ar2D\"></i>"), std::string::npos) << body;
    EXPECT_EQ(body.find("..."), std::string::npos);  // the dots are not in the text
    // One rule per character, however many cells use it.
    EXPECT_EQ(Count(page, ".af>i.ar2E::before{content:\"\\2E \\2E "), 1u) << page.substr(0, 2000);
    // A quote or '<' cannot end the CSS string or the style element.
    EXPECT_NE(page.find(".af>i.ar22::before{content:\"\\22 \\22 "), std::string::npos);
    EXPECT_NE(page.find(".af>i.ar3C::before{content:\"\\3C \\3C "), std::string::npos);
    EXPECT_EQ(page.find("content:\"<"), std::string::npos);
    // Text with a fill stays in its cell rather than running on into the next.
    EXPECT_EQ(body.find("class=\"o\""), std::string::npos) << body;
}

TEST(HtmlFill, NumbersThatDoNotFitStillShowHashes) {
    Workbook wb = WithFormats({kUsd});
    Sheet& s = wb.sheets[0];
    s.cols.push_back(ColumnInfo{0, 0, 8});
    PutNumber(s, 0, 0, 123456789.5, 1);
    PutNumber(s, 1, 0, 1, 1);
    const std::string body = Body(Render(wb));
    // The value stays in the page, hidden behind the row of '#'.
    EXPECT_NE(body.find("class=\"s1 h\" data-h=\"#"), std::string::npos) << body;
    EXPECT_NE(body.find("<span><span class=\"af\"> $<i></i>123,456,789.50 </span></span>"), std::string::npos) << body;
    // A small number fits: no '#'.
    EXPECT_NE(body.find("<td class=\"s1\"><span class=\"af\"> $<i></i>1.00 </span></td>"), std::string::npos) << body;
}

// A sheet of accounting columns of several widths, as a whole page.
TEST(HtmlFill, GoldenPage) {
    Workbook wb = WithFormats({kUsd, kEuro, "_-* #,##0 _€_-;-* #,##0 _€_-;_-* \"-\" _€_-;_-@_-", "@*.", "0.0*-"});
    Sheet& s = wb.sheets[0];
    s.cols.push_back(ColumnInfo{0, 0, 24});
    s.cols.push_back(ColumnInfo{1, 1, 14});
    s.cols.push_back(ColumnInfo{2, 2, 9});
    const double values[] = {1234.5, -98.25, 0, 1e6};
    for (uint32_t r = 0; r < 4; ++r)
        for (uint16_t c = 0; c < 3; ++c) PutNumber(s, r, c, values[r] * (c + 1), c + 1);
    PutText(wb, s, 4, 0, "Subtotal", 4);
    PutNumber(s, 4, 1, 2.5, 5);
    PutText(wb, s, 4, 2, "n/a", 1);
    HtmlOptions o;
    o.title = "fill";
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "fill.htm", Render(wb, o));
}
