// The table's grid: sizes, merged cells, hidden rows and columns, spacers.
#include <gtest/gtest.h>

#include <regex>

#include "HtmlSupport.h"
#include "sheets/html/SheetGeometry.h"

using namespace htmltest;
using namespace sheets;

TEST(HtmlLayout, SizesAsTheSpreadsheetDrawsThem) {
    EXPECT_EQ(html::ColumnWidthPx(9.140625), 64);  // the default 8.43 digits with padding
    EXPECT_EQ(html::ColumnWidthPx(10.7109375), 75);
    EXPECT_EQ(html::ColumnWidthPx(1.7109375), 12);
    EXPECT_EQ(html::ColumnWidthPx(0), 0);
    EXPECT_EQ(html::ColumnWidthPx(-3), 0);
    EXPECT_EQ(html::ColumnWidthPx(1e300), html::ColumnWidthPx(255.0 + 5.0 / 7));
    EXPECT_EQ(html::RowHeightPx(15), 20);
    EXPECT_EQ(html::RowHeightPx(12.75), 17);
    EXPECT_EQ(html::RowHeightPx(0), 0);
    EXPECT_EQ(html::RowHeightPx(1e9), html::RowHeightPx(409.5));
}

TEST(HtmlLayout, MergedCellsSpanAndHideWhatTheyCover) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "merged");
    PutText(wb, s, 0, 1, "covered-right");
    PutText(wb, s, 1, 0, "covered-below");
    PutText(wb, s, 1, 2, "beside");
    PutText(wb, s, 2, 0, "after");
    s.merges.push_back(Range{0, 0, 1, 1});  // A1:B2
    s.merges.push_back(Range{0, 1, 0, 2});  // B1:C1 overlaps A1:B2: dropped
    s.merges.push_back(Range{5, 5, 5, 5});  // a single cell: nothing to merge
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("<td class=\"o\" colspan=\"2\" rowspan=\"2\">merged</td>"), std::string::npos) << body;
    EXPECT_EQ(body.find("covered-"), std::string::npos);
    EXPECT_NE(body.find(">beside</td>"), std::string::npos);
    // Row 2 starts with the merge's slot taken: "beside" is its first cell.
    EXPECT_NE(body.find("<tr style=\"height:20px\"><td class=\"o\">beside</td>"), std::string::npos) << body;
}

TEST(HtmlLayout, MergeOverEmptyRowsAndColumnsSpansTheSpacers) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "big");
    PutText(wb, s, 0, 20, "far");
    PutText(wb, s, 30, 0, "low");
    s.merges.push_back(Range{0, 0, 9, 9});  // A1:J10 over empty cells
    const std::string body = Body(Render(wb));
    // Columns: A, B..I spacer, J, K..T spacer, U; rows: 1, 2..9 spacer, 10, 11..30 spacer, 31.
    EXPECT_NE(body.find("<td class=\"o\" colspan=\"3\" rowspan=\"3\">big</td>"), std::string::npos) << body;
    EXPECT_EQ(Count(body, "<col "), 5u);
    EXPECT_EQ(Count(body, "<tr"), 5u);
    EXPECT_NE(body.find("<col style=\"width:512px\">"), std::string::npos);  // 8 columns of 64
    EXPECT_NE(body.find("<tr style=\"height:160px\"></tr>"), std::string::npos);  // 8 rows of 20
}

TEST(HtmlLayout, LoneCellFarAwayStaysSmall) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 1048575, 16383, "corner");
    const std::string page = Render(wb);
    EXPECT_LT(page.size(), 4000u);
    EXPECT_NE(page.find(">corner</td>"), std::string::npos);
    // The spacers keep the cell where the spreadsheet has it.
    EXPECT_NE(page.find("<col style=\"width:" + std::to_string(16383 * 64) + "px\">"), std::string::npos);
    EXPECT_NE(page.find("<tr style=\"height:" + std::to_string(1048575LL * 20) + "px\"></tr>"), std::string::npos);
}

TEST(HtmlLayout, HiddenRowsAndColumnsStayInTheFileUnseen) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "shown");
    PutText(wb, s, 0, 1, "in-hidden-col");
    PutText(wb, s, 1, 0, "in-hidden-row");
    RowAt(s, 1).hidden = true;
    RowAt(s, 3).height = 30;
    PutText(wb, s, 4, 0, "below");
    s.cols.push_back(ColumnInfo{1, 1, 20, true});
    s.cols.push_back(ColumnInfo{2, 3, 20, false});
    PutText(wb, s, 0, 4, "right");
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("<td class=\"o x\">in-hidden-col</td>"), std::string::npos) << body;
    EXPECT_NE(body.find("<tr style=\"display:none\"><td class=\"o\">in-hidden-row</td>"), std::string::npos);
    EXPECT_NE(body.find("<col style=\"width:0;visibility:collapse\">"), std::string::npos);
    // The spacer of rows 3..4 is 20 + 40 px; the one of columns C..D two widths of 20 digits.
    EXPECT_NE(body.find("<tr style=\"height:60px\"></tr>"), std::string::npos) << body;
    EXPECT_NE(body.find("<col style=\"width:" + std::to_string(2 * html::ColumnWidthPx(20)) + "px\">"),
              std::string::npos);
}

TEST(HtmlLayout, StyledBlanksShowOthersCollapse) {
    Workbook wb = OneSheet();
    wb.styles.borders.push_back(Border{{BorderStyle::Thin, {}}, {}, {}, {}});
    CellFormat boxed;
    boxed.border = 1;
    wb.styles.formats.push_back(boxed);
    Sheet& s = wb.sheets[0];
    PutBlank(s, 0, 0, 0);  // plain blank: nothing to show
    PutBlank(s, 2, 2, 1);  // bordered blank: kept
    PutBlank(s, 500000, 900, 0);  // plain blank far away: ignored
    const std::string body = Body(Render(wb));
    EXPECT_EQ(Count(body, "<tr"), 2u) << body;  // spacer rows 1-2, the bordered row
    EXPECT_EQ(Count(body, "<col "), 2u);
    EXPECT_NE(body.find("<td class=\"s1\"></td>"), std::string::npos);
}

TEST(HtmlLayout, TextClipsOnlyAtAFilledNeighbour) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "long text that runs on");
    PutText(wb, s, 1, 0, "long text that stops");
    PutNumber(s, 1, 1, 5);
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("<td class=\"o\">long text that runs on</td>"), std::string::npos) << body;
    EXPECT_NE(body.find("<td>long text that stops</td>"), std::string::npos) << body;
}

TEST(HtmlLayout, RowAndColumnFormatsFillTheCellsARowLacks) {
    Workbook wb = OneSheet();
    wb.styles.fills.push_back(Fill{Fill::Pattern::Solid, Color::Rgb(0x00FF00), {}});
    wb.styles.fills.push_back(Fill{Fill::Pattern::Solid, Color::Rgb(0x0000FF), {}});
    CellFormat green, blue;
    green.fill = 1;
    blue.fill = 2;
    wb.styles.formats = {CellFormat{}, green, blue};
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "a");
    PutText(wb, s, 0, 2, "c");
    PutText(wb, s, 1, 0, "own format wins");
    RowAt(s, 1).format = 1;
    PutText(wb, s, 2, 0, "x");
    s.cols.push_back(ColumnInfo{2, 2, -1, false, 2});
    const std::string body = Body(Render(wb));
    // Row 2 is green where it has no cell of its own; column C is blue in the other rows.
    EXPECT_NE(
        body.find(
            "<tr style=\"height:20px\"><td class=\"o\">own format wins</td><td class=\"s1\"></td><td class=\"s1\"></td></tr>"),
        std::string::npos)
        << body;
    EXPECT_NE(body.find("<td class=\"o\">x</td><td></td><td class=\"s2\"></td>"), std::string::npos) << body;
}

TEST(HtmlLayout, ColumnEdgesAddUpAcrossSpansNearAndFar) {
    Sheet s;
    s.defaultColWidth = 10.7109375;  // 75 px
    auto cols = [&](uint32_t first, uint32_t last, double width, bool hidden) {
        ColumnInfo c;
        c.first = first;
        c.last = last;
        c.width = width;
        c.hidden = hidden;
        s.cols.push_back(c);
    };
    // Out of order, overlapping, past the first columns and to the sheet's end.
    cols(300, 310, 1.7109375, false);
    cols(2, 4, 9.140625, false);
    cols(3, 3, 20, true);  // overlaps the one before: left out
    cols(10, 10, 0, true);
    cols(255, 257, 1.7109375, false);
    cols(16000, 16383, 9.140625, true);
    const html::SheetGeometry g(s);
    int64_t x = 0;
    for (uint32_t col = 0; col < 16384; ++col) {
        ASSERT_EQ(g.X(col), x) << col;
        int px = 75;
        if (col >= 2 && col <= 4) px = 64;
        if (col == 10 || col >= 16000) px = 0;
        if ((col >= 255 && col <= 257) || (col >= 300 && col <= 310)) px = 12;
        EXPECT_EQ(g.ColHidden(col), col == 10 || col >= 16000) << col;
        x += px;
    }
}
