// Tables of .xls files, built record by record: the table records of a
// sheet, the style records that follow them, the workbook's own styles in
// its globals, and records that lie about their counts and ranges.
#include <gtest/gtest.h>

#include <filesystem>

#include "XlsTestStream.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/xls/XlsReader.h"
#include "support/Golden.h"

using namespace xlstest;
using namespace sheets;

namespace {

// The header of the newer records: their type again, then zeros.
std::string Frt(uint16_t type) { return U16(type) + U16(0) + std::string(8, '\0'); }
std::string Ref(uint16_t r1, uint16_t r2, uint16_t c1, uint16_t c2) { return U16(r1) + U16(r2) + U16(c1) + U16(c2); }
std::string Chars(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += U16(c);
    return out;
}

struct TableSpec {
    std::string ref;
    uint32_t id = 1, header = 1, totals = 0;
    uint16_t ranges = 1, kind = 5;
};

// A table record: its range (given `ranges` times over, as many as it
// claims unless it lies), the list's identifier, header and total rows,
// then the rest of the table's definition, its name and one column.
std::string Feature(const TableSpec& t, uint16_t type = 0x0872) {
    std::string body = U16(type) + U16(0) + t.ref + U16(t.kind) + U8(0) + U32(0) + U16(t.ranges) + U32(0) + U16(0);
    for (uint16_t i = 0; i < t.ranges && i < 2; ++i) body += t.ref;
    body += U32(0) + U32(t.id) + U32(t.header) + U32(t.totals) + U32(2) + U32(64) + U16(0) + U16(0) + U16(0) + U16(0) +
            U32(0) + U32(0) + U32(0) + U32(0) + std::string(16, '\0') + Str16("Table1") + U16(1);
    return Rec(type, body);
}

// The style record of table `id`: options (bit 0 first column, 1 last
// column, 2 row stripes, 3 column stripes, 6 the default style) and name.
std::string StyleInfo(uint32_t id, uint16_t flags, const std::string& name) {
    return Rec(0x0877, Frt(0x0877) + U16(1) + U32(id) + U16(flags) + Str16(name));
}

// A differential format with a solid fill in an RGB colour, bold when asked.
std::string Dxf(uint32_t rgb, bool bold = false) {
    std::string props = U16(0) + U16(5) + U8(1);
    props += U16(2) + U16(12) + U8(5) + U8(0) + U16(0) + U8(rgb >> 16) + U8(rgb >> 8) + U8(rgb) + U8(0xFF);
    if (bold) props += U16(0x19) + U16(6) + U16(700);
    return Rec(0x088D, Frt(0x088D) + U16(0) + U16(0) + U16(bold ? 3 : 2) + props);
}

std::string TableStyles(const std::u16string& def) {
    return Rec(0x088E, Frt(0x088E) + U32(145) + U16(uint16_t(def.size())) + U16(0) + Chars(def));
}
std::string Style(const std::u16string& name, uint32_t elements, uint16_t flags = 0x4) {
    return Rec(0x088F, Frt(0x088F) + U16(flags) + U32(elements) + U16(uint16_t(name.size())) + Chars(name));
}
std::string Element(uint32_t type, uint32_t size, uint32_t dxf) {
    return Rec(0x0890, Frt(0x0890) + U32(type) + U32(size) + U32(dxf));
}

std::string Numbers(uint16_t rows, uint16_t cols) {
    std::string cells;
    for (uint16_t r = 0; r < rows; ++r)
        for (uint16_t c = 0; c < cols; ++c) cells += Rec(0x0203, CellAt(r, c, 15) + F64(r * 3 + c + 3));
    return cells;
}

Workbook Read(const std::string& globals, const std::string& sheet) {
    return ReadXls(Cfb(Stream(BasicGlobals(globals), {{"S", sheet}})));
}

std::vector<std::string> StyleNames(const Workbook& wb) {
    std::vector<std::string> names;
    for (const TableStyle& s : wb.styles.tableStyles) names.push_back(s.name);
    return names;
}

}  // namespace

TEST(XlsTables, TablesAndTheirStyles) {
    const std::string globals = Dxf(0xE2EFDA) + Dxf(0x7030A0, true) + TableStyles(u"Mine") + Style(u"Mine", 3) +
                                Element(1, 1, 1) + Element(5, 2, 0) + Element(14, 1, 0);
    const std::string sheet = Numbers(12, 3) + Feature({Ref(0, 4, 0, 2), 7, 1, 1}) +
                              StyleInfo(7, 0x0D, "Mine") +  // first column, stripes both ways
                              Feature({Ref(6, 7, 0, 0), 8, 0, 0}, 0x0878) + StyleInfo(8, 0x02, "TableStyleLight9") +
                              Feature({Ref(9, 10, 0, 0), 9}) + StyleInfo(9, 0x44, "") +  // the workbook's default
                              Feature({Ref(9, 10, 2, 2), 10});  // no style record: plain
    const Workbook wb = Read(globals, sheet);
    const std::vector<Table>& t = wb.sheets.at(0).tables;
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].range.row2, 4u);
    EXPECT_EQ(t[0].range.col2, 2u);
    EXPECT_EQ(t[0].totalRows, 1u);
    EXPECT_EQ(t[0].style, "Mine");
    EXPECT_TRUE(t[0].firstColumn && t[0].rowStripes && t[0].columnStripes && !t[0].lastColumn);
    EXPECT_EQ(t[1].headerRows, 0u);
    EXPECT_EQ(t[1].style, "TableStyleLight9");
    EXPECT_TRUE(t[1].lastColumn && !t[1].rowStripes);
    EXPECT_EQ(t[2].style, "Mine");
    EXPECT_EQ(t[3].style, "");

    EXPECT_EQ(StyleNames(wb), (std::vector<std::string>{"Mine", "TableStyleLight9"}));
    const TableStyle& mine = wb.styles.tableStyles[0];
    ASSERT_EQ(mine.elements.size(), 2u);  // the pivot table's area left out
    EXPECT_EQ(mine.elements[0].area, TableArea::HeaderRow);
    EXPECT_EQ(mine.elements[1].area, TableArea::FirstRowStripe);
    EXPECT_EQ(mine.elements[1].size, 2u);
    const DiffFormat& header = wb.styles.diffs.at(size_t(mine.elements[0].diff));
    EXPECT_EQ(header.fill, Color::Rgb(0x7030A0));
    EXPECT_EQ(header.bold, 1);
    EXPECT_EQ(wb.styles.diffs.at(size_t(mine.elements[1].diff)).fill, Color::Rgb(0xE2EFDA));
}

// Counts and ranges that lie cost their own table (or element), never the
// sheet; the style records of tables nobody defined are passed over.
TEST(XlsTables, RecordsThatLie) {
    const std::string globals = Dxf(0xFF0000) + TableStyles(u"") + Style(u"Short", 1) + Element(1, 1, 0) +
                                Element(0, 1, 0) +  // past the style's count
                                Style(u"PivotOnly", 1, 0x2) + Element(0, 1, 0) + Style(u"", 1) + Element(0, 1, 0) +
                                Style(u"FarFormat", 1) + Element(0, 1, 5) +
                                Rec(0x0890, Frt(0x0890) + U32(0)) +  // cut short
                                Rec(0x088D, Frt(0x088D) + U16(0) + U16(0) + U16(40));  // more properties than bytes
    std::string sheet = Numbers(4, 2);
    sheet += Feature({Ref(3, 1, 0, 1), 1});  // rows reversed
    sheet += Feature({Ref(0, 1, 0, 300), 2});  // past the last column
    sheet += Feature({Ref(0, 1, 0, 1), 3, 2, 1});  // more header and total rows than rows
    sheet += Feature({Ref(0, 1, 0, 1), 4, 1, 0, 0});  // no range
    sheet += Feature({Ref(0, 1, 0, 1), 5, 1, 0, 5000});  // more ranges than bytes
    sheet += Feature({Ref(0, 1, 0, 1), 6, 1, 0, 1, 3});  // another kind of feature
    sheet += Rec(0x0872, Frt(0x0872).substr(0, 8));  // cut short
    sheet += Feature({Ref(0, 3, 0, 1), 11, 1, 0});
    sheet += StyleInfo(99, 0x04, "Short");  // no such table
    sheet += Rec(0x0877, Frt(0x0877) + U16(1) + U32(11) + U16(0x04) + U16(40) + U8(0) + "Sh");  // name cut short
    sheet += Rec(0x0877, Frt(0x0877) + U16(2) + U32(11) + U16(0x0F));  // the display name, not the style
    const Workbook wb = Read(globals, sheet);
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(wb.sheets[0].rows.size(), 4u);
    const std::vector<Table>& t = wb.sheets[0].tables;
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].range.row2, 3u);
    EXPECT_EQ(t[0].style, "");
    ASSERT_EQ(StyleNames(wb), (std::vector<std::string>{"Short", "FarFormat"}));
    EXPECT_EQ(wb.styles.tableStyles[0].elements.size(), 1u);
    ASSERT_EQ(wb.styles.tableStyles[1].elements.size(), 1u);
    EXPECT_EQ(wb.styles.tableStyles[1].elements[0].diff, -1);
}

// The page of a sheet with a table in a style of the workbook's own: a bold
// header in purple, stripes two rows high, a first column in green.
TEST(XlsTables, WorkbookStylePage) {
    const std::string globals = Dxf(0xE2EFDA) + Dxf(0x7030A0, true) + Dxf(0xC6EFCE) + TableStyles(u"") +
                                Style(u"Mine", 3) + Element(1, 1, 1) + Element(5, 2, 0) + Element(3, 1, 2);
    const std::string sheet = Numbers(7, 3) + Feature({Ref(0, 6, 0, 2), 1, 1, 0}) + StyleInfo(1, 0x05, "Mine");
    HtmlOptions o;
    o.title = "xls table";
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "table.htm",
                     RenderHtml(Read(globals, sheet), o));
}
