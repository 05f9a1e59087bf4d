// Sheet layout and what hangs off a sheet: merges, sizes, hidden rows and
// columns, links, pictures, comments.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"

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
    std::string before =
        R"(<sheetViews><sheetView showGridLines="0" workbookViewId="0"/></sheetViews>)"
        R"(<sheetFormatPr defaultRowHeight="20.25" defaultColWidth="12.5" zeroHeight="1"/>)"
        // Overlapping column ranges: the first one holds.
        R"(<cols><col min="3" max="5" width="4"/><col min="1" max="4" width="9" hidden="1"/><col min="99999" max="100000"/></cols>)";
    std::string after =
        R"(<mergeCells><mergeCell ref="C3:A1"/><mergeCell ref="bogus"/><mergeCell ref="A1:XFE1"/></mergeCells>)"
        R"(<hyperlinks><hyperlink ref="A1" location="'My Sheet'!A1" display="x"/><hyperlink ref="!!" location="x"/>)"
        R"(<hyperlink ref="B1" r:id="rIdMissing"/></hyperlinks>)"
        R"(<drawing r:id="rIdNone"/>)";
    std::string data = R"(<row r="2" ht="30" customHeight="1" s="1" customFormat="1"/>)";
    std::string styles =
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><cellXfs><xf/><xf/></cellXfs></styleSheet>)";
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

    Workbook mac = fixtures::Load(
        fixtures::Package(fixtures::SheetXml("", R"(<sheetFormatPr baseColWidth="10" defaultRowHeight="16"/>)")));
    EXPECT_NEAR(mac.sheets[0].defaultColWidth, 10.7109375, 1e-9);
    EXPECT_EQ(mac.sheets[0].defaultRowHeight, 16);
}

TEST(XlsxLayout, HandWrittenDrawingAnchors) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    auto pic = [](const char* embed, const char* descr) {
        return std::string(R"(<xdr:pic><xdr:nvPicPr><xdr:cNvPr id="2" name="p" descr=")") + descr +
               R"("/></xdr:nvPicPr><xdr:blipFill><a:blip r:embed=")" + embed +
               R"("/></xdr:blipFill><xdr:spPr><a:xfrm><a:off x="0" y="0"/><a:ext cx="111" cy="222"/></a:xfrm></xdr:spPr></xdr:pic>)";
    };
    std::string drawing =
        R"(<xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing" )"
        R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" xmlns:r=")" +
        rel +
        R"(" )"
        R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006">)"
        R"(<xdr:oneCellAnchor><xdr:from><xdr:col>3</xdr:col><xdr:colOff>10</xdr:colOff><xdr:row>7</xdr:row><xdr:rowOff>20</xdr:rowOff></xdr:from>)"
        R"(<xdr:ext cx="5000" cy="6000"/>)" +
        pic("img", "one cell") +
        R"(<xdr:clientData/></xdr:oneCellAnchor>)"
        R"(<xdr:absoluteAnchor><xdr:pos x="100" y="200"/><xdr:ext cx="7" cy="8"/>)" +
        pic("img", "absolute") +
        R"(</xdr:absoluteAnchor>)"
        R"(<mc:AlternateContent><mc:Choice Requires="a14"><xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from>)"
        R"(<xdr:to><xdr:col>1</xdr:col><xdr:row>1</xdr:row></xdr:to>)" +
        pic("img", "choice") +
        R"(</xdr:twoCellAnchor></mc:Choice>)"
        R"(<mc:Fallback><xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from>)"
        R"(<xdr:to><xdr:col>2</xdr:col><xdr:row>9</xdr:row></xdr:to>)" +
        pic("img", "fallback") +
        R"(</xdr:twoCellAnchor></mc:Fallback></mc:AlternateContent>)"
        R"(<xdr:twoCellAnchor><xdr:from><xdr:col>0</xdr:col><xdr:row>0</xdr:row></xdr:from><xdr:to><xdr:col>1</xdr:col><xdr:row>1</xdr:row></xdr:to>)" +
        pic("linked", "linked") + pic("nowhere", "nowhere") +
        R"(</xdr:twoCellAnchor>)"
        R"(<xdr:twoCellAnchor><xdr:graphicFrame><a:graphic><a:graphicData><c:chart xmlns:c="c" r:id="chart"/></a:graphicData></a:graphic></xdr:graphicFrame></xdr:twoCellAnchor>)"
        R"(</xdr:wsDr>)";
    std::string drawingRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                              R"(<Relationship Id="img" Type=")" +
                              rel +
                              R"(image" Target="../media/image1.png"/>)"
                              R"(<Relationship Id="linked" Type=")" +
                              rel +
                              R"(image" Target="http://example.com/x.png" TargetMode="External"/>)"
                              R"(</Relationships>)";
    std::string sheetRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                            R"(<Relationship Id="d" Type=")" +
                            rel + R"(drawing" Target="/xl/drawings/drawing1.xml"/></Relationships>)";
    Workbook wb = fixtures::Load(fixtures::Package(fixtures::SheetXml("", "", R"(<drawing r:id="d"/>)"), "", "",
                                                   {{"xl/worksheets/_rels/sheet1.xml.rels", sheetRels},
                                                    {"xl/drawings/drawing1.xml", drawing},
                                                    {"xl/drawings/_rels/drawing1.xml.rels", drawingRels},
                                                    {"xl/media/image1.png", kPng}}));
    const auto& pics = wb.sheets[0].pictures;
    ASSERT_EQ(pics.size(), 3u);
    EXPECT_EQ(pics[0].description, "one cell");
    EXPECT_EQ(pics[0].from.col, 3u);
    EXPECT_EQ(pics[0].from.row, 7u);
    EXPECT_EQ(pics[0].from.colOffset, 10);
    EXPECT_EQ(pics[0].from.rowOffset, 20);
    EXPECT_EQ(pics[0].to.col, 3u);  // one-cell anchors: size only
    EXPECT_EQ(pics[0].widthEmu, 5000);
    EXPECT_EQ(pics[0].heightEmu, 6000);
    EXPECT_EQ(pics[0].contentType, "image/png");
    EXPECT_EQ(pics[0].data, kPng);
    EXPECT_EQ(pics[1].description, "absolute");
    EXPECT_EQ(pics[1].from.colOffset, 100);
    EXPECT_EQ(pics[1].from.rowOffset, 200);
    EXPECT_EQ(pics[2].description, "fallback");
    EXPECT_EQ(pics[2].to.row, 9u);
}
