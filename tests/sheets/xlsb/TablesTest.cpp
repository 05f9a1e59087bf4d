// Table parts of binary workbooks: the table's range, header and total rows,
// its style and options; the workbook's default style from the styles part.
#include <gtest/gtest.h>

#include <filesystem>

#include "XlsbBuilder.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/xlsb/RecordTypes.h"
#include "support/Golden.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;

namespace {

const std::string kRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A table part: BrtBeginList with its range and header and total rows, then
// the style record when a name is given.
std::string TablePart(const Bytes& range, uint32_t header, uint32_t totals, uint16_t flags, const char16_t* style) {
    Bytes list = range;
    list.U32(0).U32(1).U32(header).U32(totals).U32(0);
    for (int i = 0; i < 7; ++i) list.U32(0xFFFFFFFF);
    list.Str(u"Table1").Str(u"Table1").NullStr().NullStr().NullStr().NullStr();
    std::string part = Rec(rt::BeginList, list);
    if (style) part += Rec(rt::TableStyleClient, Bytes().U16(flags).Str(style));
    return part + Rec(rt::EndList);
}

// A package of one sheet with these cells and table parts.
Book WithTables(const std::string& cells, const std::vector<std::string>& parts) {
    Book b;
    b.sheets = {SheetData(cells)};
    std::string rels = kRels;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        rels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + kRel + R"(table" Target="../tables/table)" + n +
                R"(.bin"/>)";
        b.extra.emplace_back("xl/tables/table" + n + ".bin", parts[i]);
    }
    b.extra.emplace_back("xl/worksheets/_rels/sheet1.bin.rels", rels + "</Relationships>");
    return b;
}

constexpr uint32_t kBeginDxfs = 505, kEndDxfs = 506, kEndTableStyles = 509;

// A differential format of a solid fill, with bold text when asked.
std::string FillDxf(uint32_t rgb, bool bold = false) {
    Bytes d;
    d.U16(0).U16(0).U16(bold ? 3 : 2);
    d.U16(0x00).U16(5).U8(1);
    d.U16(0x02).U16(12).Color(2, 0, 0, rgb);
    if (bold) d.U16(0x19).U16(6).U16(700);
    return Rec(rt::DXF, d);
}

std::string StyleElement(uint32_t type, uint32_t size, uint32_t dxf) {
    return Rec(rt::TableStyleElement, Bytes().U32(type).U32(size).U32(dxf));
}

std::string BeginStyle(uint16_t flags, const char16_t* name, uint32_t count = 2) {
    return Rec(rt::BeginTableStyle, Bytes().U16(flags).U32(count).Str(name));
}

}  // namespace

TEST(XlsbTables, TablePartsAndTheDefaultStyle) {
    const std::vector<std::string> parts = {
        TablePart(Bytes().Range(1, 5, 0, 3), 1, 1, 0x0D, u"TableStyleMedium2"),  // first column, stripes both ways
        TablePart(Bytes().Range(7, 9, 0, 0), 0, 0, 0x02, u"NoSuchStyle"),
        TablePart(Bytes().Range(11, 12, 0, 0), 1, 0, 0, nullptr),  // no style record: plain
        TablePart(Bytes().Range(0, 1, 0, 20000), 1, 0, 0x04, u"TableStyleMedium2"),  // past the last column
        Rec(rt::BeginList, Bytes().Range(0, 1, 0, 1)),  // cut short
    };
    Book b = WithTables("", parts);
    b.styles =
        StylesPart(xlsbtest::Styles{}) + Rec(rt::BeginTableStyles, Bytes().U32(0).Str(u"TableStyleLight9").NullStr());
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    const std::vector<Table>& t = wb.sheets.at(0).tables;
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].range.row1, 1u);
    EXPECT_EQ(t[0].range.col2, 3u);
    EXPECT_EQ(t[0].headerRows, 1u);
    EXPECT_EQ(t[0].totalRows, 1u);
    EXPECT_EQ(t[0].style, "TableStyleMedium2");
    EXPECT_TRUE(t[0].firstColumn && t[0].rowStripes && t[0].columnStripes);
    EXPECT_FALSE(t[0].lastColumn);
    EXPECT_EQ(t[1].headerRows, 0u);
    EXPECT_TRUE(t[1].lastColumn);
    EXPECT_EQ(t[2].style, "");
    // The built-in styles used, and the default one for the unknown name.
    EXPECT_EQ(wb.styles.defaultTableStyle, "TableStyleLight9");
    std::vector<std::string> names;
    for (const TableStyle& s : wb.styles.tableStyles) names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::string>{"TableStyleMedium2", "TableStyleLight9"}));
}

// The workbook's own table styles: their elements with formats and stripe
// sizes, a table that names one; pivot-only styles, pivot areas, formats
// past the list and cut-short records left out.
TEST(XlsbTables, WorkbookTableStyles) {
    std::string styles = StylesPart(xlsbtest::Styles{});
    styles += Rec(kBeginDxfs, Bytes().U32(2)) + FillDxf(0xE2EFDA) + FillDxf(0x7030A0, true) + Rec(kEndDxfs);
    styles += Rec(rt::BeginTableStyles, Bytes().U32(4).Str(u"Mine").NullStr());
    styles += BeginStyle(0x4, u"Mine", 5) + StyleElement(1, 1, 1) + StyleElement(5, 2, 0) +
              StyleElement(13, 1, 0) +  // a pivot table's area
              StyleElement(6, 1, 7) +  // a format the workbook lacks
              Rec(rt::TableStyleElement, Bytes().U32(2).U32(1)) +  // cut short
              Rec(rt::EndTableStyle);
    styles += BeginStyle(0x2, u"PivotOnly") + StyleElement(0, 1, 0) + Rec(rt::EndTableStyle);
    styles += BeginStyle(0x6, u"Both", 1) + StyleElement(0, 1, 1) + Rec(rt::EndTableStyle);
    styles += StyleElement(0, 1, 0);  // outside any style
    styles += Rec(rt::BeginTableStyle, Bytes().U16(0x4).U32(1)) + StyleElement(0, 1, 0) + Rec(rt::EndTableStyle);
    styles += Rec(kEndTableStyles);
    Book b = WithTables("", {TablePart(Bytes().Range(0, 4, 0, 2), 1, 0, 0x04, u"Mine")});
    b.styles = styles;
    const Workbook wb = LoadWorkbookFromMemory(Package(b));

    const std::vector<TableStyle>& ts = wb.styles.tableStyles;
    ASSERT_EQ(ts.size(), 2u);
    EXPECT_EQ(ts[0].name, "Mine");
    ASSERT_EQ(ts[0].elements.size(), 3u);
    EXPECT_EQ(ts[0].elements[0].area, TableArea::HeaderRow);
    EXPECT_EQ(ts[0].elements[0].diff, 1);
    EXPECT_EQ(ts[0].elements[1].area, TableArea::FirstRowStripe);
    EXPECT_EQ(ts[0].elements[1].size, 2u);
    EXPECT_EQ(ts[0].elements[2].area, TableArea::SecondRowStripe);
    EXPECT_EQ(ts[0].elements[2].diff, -1);
    EXPECT_EQ(ts[1].name, "Both");
    ASSERT_EQ(wb.styles.diffs.size(), 2u);  // no built-in style was needed
    EXPECT_EQ(wb.styles.diffs[1].fill, Color::Rgb(0x7030A0));
    EXPECT_EQ(wb.styles.diffs[1].bold, 1);
    EXPECT_EQ(wb.styles.defaultTableStyle, "Mine");
}

// A style whose element list runs past every area keeps one per area at
// most; a table naming a style the workbook lost takes the default.
TEST(XlsbTables, LyingTableStyleLists) {
    std::string styles = StylesPart(xlsbtest::Styles{});
    styles += Rec(kBeginDxfs, Bytes().U32(1)) + FillDxf(0xFF0000) + Rec(kEndDxfs);
    styles += Rec(rt::BeginTableStyles, Bytes().U32(1).NullStr().NullStr());
    styles += BeginStyle(0x4, u"Long", 3);
    for (int i = 0; i < 5000; ++i) styles += StyleElement(i % 13, 1, 0);
    styles += Rec(rt::EndTableStyle) + Rec(kEndTableStyles);
    Book b = WithTables("", {TablePart(Bytes().Range(0, 4, 0, 2), 1, 0, 0x04, u"Gone")});
    b.styles = styles;
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    ASSERT_EQ(wb.styles.tableStyles.size(), 2u);
    EXPECT_EQ(wb.styles.tableStyles[0].elements.size(), size_t(TableArea::Count));
    EXPECT_EQ(wb.styles.tableStyles[1].name, "TableStyleMedium9");
    EXPECT_EQ(wb.sheets.at(0).tables.size(), 1u);
}

// The page of a table in a style of the workbook's own: lines between all
// its cells, a bold purple header over a double line, stripes two rows high.
TEST(XlsbTables, WorkbookStylePage) {
    auto border = [](uint16_t type, uint16_t style) {
        return Bytes().U16(type).U16(14).Color(2, 0, 0, 0x00B050).U16(style).str();
    };
    Bytes lines;
    lines.U16(0).U16(0).U16(6);
    for (uint16_t type : {0x06, 0x07, 0x08, 0x09, 0x0B, 0x0C}) lines.Raw(border(type, 1));
    Bytes header;
    header.U16(0).U16(0).U16(3);
    header.U16(0x05).U16(12).Color(2, 0, 0, 0x7030A0).U16(0x19).U16(6).U16(700);
    header.U16(0x07).U16(14).Color(2, 0, 0, 0x7030A0).U16(6);
    std::string styles = StylesPart(xlsbtest::Styles{});
    styles += Rec(kBeginDxfs, Bytes().U32(3)) + Rec(rt::DXF, lines) + Rec(rt::DXF, header) + FillDxf(0xE2EFDA) +
              Rec(kEndDxfs);
    styles += Rec(rt::BeginTableStyles, Bytes().U32(1).Str(u"TableStyleMedium2").NullStr());
    styles += BeginStyle(0x4, u"Green", 3) + StyleElement(0, 1, 0) + StyleElement(1, 1, 1) + StyleElement(5, 2, 2) +
              Rec(rt::EndTableStyle) + Rec(kEndTableStyles);
    std::string cells;
    for (uint32_t r = 0; r < 7; ++r) {
        cells += RowHdr(r);
        for (uint32_t c = 0; c < 3; ++c) cells += Rec(rt::CellReal, Bytes().Cell(c).F64((r + 1) * 3 + c));
    }
    Book b = WithTables(cells, {TablePart(Bytes().Range(0, 6, 0, 2), 1, 0, 0x04, u"Green")});
    b.styles = styles;
    HtmlOptions o;
    o.title = "custom";
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "table_custom.htm",
                     RenderHtml(LoadWorkbookFromMemory(Package(b)), o));
}
