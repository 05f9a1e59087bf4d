// Table parts of binary workbooks: the table's range, header and total rows,
// its style and options; the workbook's default style from the styles part.
#include <gtest/gtest.h>

#include "XlsbBuilder.h"
#include "sheets/Loader.h"
#include "sheets/xlsb/RecordTypes.h"

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

}  // namespace

TEST(XlsbTables, TablePartsAndTheDefaultStyle) {
    Book b;
    b.sheets = {SheetData("")};
    b.styles =
        StylesPart(xlsbtest::Styles{}) + Rec(rt::BeginTableStyles, Bytes().U32(0).Str(u"TableStyleLight9").NullStr());
    const std::vector<std::string> parts = {
        TablePart(Bytes().Range(1, 5, 0, 3), 1, 1, 0x0D, u"TableStyleMedium2"),  // first column, stripes both ways
        TablePart(Bytes().Range(7, 9, 0, 0), 0, 0, 0x02, u"NoSuchStyle"),
        TablePart(Bytes().Range(11, 12, 0, 0), 1, 0, 0, nullptr),  // no style record: plain
        TablePart(Bytes().Range(0, 1, 0, 20000), 1, 0, 0x04, u"TableStyleMedium2"),  // past the last column
        Rec(rt::BeginList, Bytes().Range(0, 1, 0, 1)),  // cut short
    };
    std::string rels = kRels;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        rels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + kRel + R"(table" Target="../tables/table)" + n +
                R"(.bin"/>)";
        b.extra.emplace_back("xl/tables/table" + n + ".bin", parts[i]);
    }
    b.extra.emplace_back("xl/worksheets/_rels/sheet1.bin.rels", rels + "</Relationships>");
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
