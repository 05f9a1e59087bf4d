// Sheet layout and what hangs off a sheet: merges, sizes, hidden rows and
// columns, links, pictures, comments.
#include <gtest/gtest.h>

#include "xlsx_fixtures.h"

using namespace sheets;

namespace {
const std::string kPng(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x03\x08\x02\x00"
    "\x00\x00\x36\x88\x49\xd6\x00\x00\x00\x10\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf\xc0\x00\x44\x0c\x28\x14\x00\x44"
    "\xd0\x05\xfb\xa4\xcf\xde\x80\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82",
    73);
}  // namespace

TEST(XlsxLayout, MergesSizesAndHiddenParts) {
    std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        worksheet_merge_range(ws, 1, 1, 3, 4, "merged", nullptr);
        worksheet_set_column(ws, 0, 0, 30, nullptr);
        lxw_row_col_options hidden = {1, 0, 0};
        worksheet_set_column_opt(ws, 5, 7, 12, nullptr, &hidden);
        worksheet_set_row(ws, 0, 40, nullptr);
        worksheet_set_row_opt(ws, 9, LXW_DEF_ROW_HEIGHT, nullptr, &hidden);
        worksheet_write_number(ws, 9, 0, 1, nullptr);
        worksheet_gridlines(ws, LXW_HIDE_ALL_GRIDLINES);
        worksheet_right_to_left(ws);
    });
    Workbook wb = fixtures::Load(bytes);
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0].row1, 1u);
    EXPECT_EQ(s.merges[0].col1, 1u);
    EXPECT_EQ(s.merges[0].row2, 3u);
    EXPECT_EQ(s.merges[0].col2, 4u);

    ASSERT_EQ(s.cols.size(), 2u);
    EXPECT_EQ(s.cols[0].first, 0u);
    EXPECT_NEAR(s.cols[0].width, 30.71, 0.01);  // stored with the cell padding
    EXPECT_EQ(s.cols[1].first, 5u);
    EXPECT_EQ(s.cols[1].last, 7u);
    EXPECT_TRUE(s.cols[1].hidden);

    EXPECT_EQ(s.rows.front().index, 0u);
    EXPECT_EQ(s.rows.front().height, 40);
    EXPECT_TRUE(s.rows.back().hidden);
    EXPECT_EQ(s.defaultRowHeight, 15);
    EXPECT_FALSE(s.showGridLines);
    EXPECT_TRUE(s.rightToLeft);
}

TEST(XlsxLayout, HyperlinksPicturesAndComments) {
    std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Links");
        workbook_add_worksheet(wb, "Other");
        worksheet_write_url_opt(ws, 0, 0, "https://example.com/a?b=c&d", nullptr, "site", "go there");
        worksheet_write_url(ws, 1, 0, "internal:Other!B2", nullptr);
        worksheet_write_url(ws, 2, 0, "mailto:someone@example.com", nullptr);
        worksheet_insert_image_buffer(ws, 4, 2, reinterpret_cast<const unsigned char*>(kPng.data()), kPng.size());
        lxw_comment_options copt = {};
        copt.author = const_cast<char*>("Ann");
        worksheet_write_comment_opt(ws, 6, 1, "first\nsecond", &copt);
    });
    Workbook wb = fixtures::Load(bytes);
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.links.size(), 3u);
    EXPECT_EQ(s.links[0].target, "https://example.com/a?b=c&d");
    EXPECT_EQ(s.links[0].tooltip, "go there");
    EXPECT_EQ(s.links[1].target, "");
    EXPECT_EQ(s.links[1].location, "Other!B2");
    EXPECT_EQ(s.links[1].range.row1, 1u);
    EXPECT_EQ(s.links[2].target, "mailto:someone@example.com");

    ASSERT_EQ(s.pictures.size(), 1u);
    const Picture& p = s.pictures[0];
    EXPECT_EQ(p.data, kPng);
    EXPECT_EQ(p.contentType, "image/png");
    EXPECT_EQ(p.from.row, 4u);
    EXPECT_EQ(p.from.col, 2u);
    EXPECT_GT(p.widthEmu, 0);
    EXPECT_GT(p.heightEmu, 0);

    ASSERT_EQ(s.comments.size(), 1u);
    EXPECT_EQ(s.comments[0].row, 6u);
    EXPECT_EQ(s.comments[0].col, 1u);
    EXPECT_EQ(s.comments[0].author, "Ann");
    EXPECT_EQ(s.comments[0].text, "first\nsecond");
    EXPECT_TRUE(wb.sheets[1].comments.empty());
}

TEST(XlsxLayout, HandWrittenSheetProperties) {
    std::string before = R"(<sheetViews><sheetView showGridLines="0" workbookViewId="0"/></sheetViews>)"
                         R"(<sheetFormatPr defaultRowHeight="20.25" defaultColWidth="12.5" zeroHeight="1"/>)"
                         // Overlapping column ranges: the first one holds.
                         R"(<cols><col min="3" max="5" width="4"/><col min="1" max="4" width="9" hidden="1"/><col min="99999" max="100000"/></cols>)";
    std::string after = R"(<mergeCells><mergeCell ref="C3:A1"/><mergeCell ref="bogus"/><mergeCell ref="A1:XFE1"/></mergeCells>)"
                        R"(<hyperlinks><hyperlink ref="A1" location="'My Sheet'!A1" display="x"/><hyperlink ref="!!" location="x"/>)"
                        R"(<hyperlink ref="B1" r:id="rIdMissing"/></hyperlinks>)"
                        R"(<drawing r:id="rIdNone"/>)";
    std::string data = R"(<row r="2" ht="30" customHeight="1" s="1" customFormat="1"/>)";
    std::string styles = R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><cellXfs><xf/><xf/></cellXfs></styleSheet>)";
    Workbook wb = fixtures::Load(fixtures::Package(fixtures::SheetXml(data, before, after), "", styles));
    const Sheet& s = wb.sheets[0];
    EXPECT_FALSE(s.showGridLines);
    EXPECT_EQ(s.defaultRowHeight, 20.25);
    EXPECT_EQ(s.defaultColWidth, 12.5);
    EXPECT_TRUE(s.defaultRowsHidden);
    ASSERT_EQ(s.cols.size(), 2u);
    EXPECT_EQ(s.cols[0].first, 0u);
    EXPECT_EQ(s.cols[0].last, 3u);
    EXPECT_EQ(s.cols[1].first, 4u);
    EXPECT_EQ(s.cols[1].last, 4u);
    EXPECT_EQ(s.cols[1].width, 4);
    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0].row2, 2u);
    EXPECT_EQ(s.merges[0].col2, 2u);
    ASSERT_EQ(s.links.size(), 1u);
    EXPECT_EQ(s.links[0].location, "'My Sheet'!A1");
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_EQ(s.rows[0].height, 30);
    EXPECT_EQ(s.rows[0].format, 1);
}
