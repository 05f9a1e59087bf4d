// Tables and table styles as the reader finds them: table parts through the
// sheet's relationships, the workbook's own styles, the built-in ones it uses.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"

using namespace sheets;

namespace {

const TableStyle* StyleNamed(const Workbook& wb, const std::string& name) {
    for (const TableStyle& s : wb.styles.tableStyles)
        if (s.name == name) return &s;
    return nullptr;
}

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A package whose sheet has these table parts (xl/tables/tableN.xml, N from 1).
std::string WithTables(const std::vector<std::string>& tables, const std::string& styles) {
    std::string rels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
    fixtures::Entries extra;
    for (size_t i = 0; i < tables.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        rels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + kRel + R"(table" Target="../tables/table)" + n +
                R"(.xml"/>)";
        extra.emplace_back("xl/tables/table" + n + ".xml", tables[i]);
    }
    extra.emplace_back("xl/worksheets/_rels/sheet1.xml.rels", rels + "</Relationships>");
    return fixtures::Package(fixtures::SheetXml(R"(<row r="1"><c r="A1"><v>1</v></c></row>)"), "", styles, extra);
}

std::string TablePart(const std::string& attrs, const std::string& styleInfo) {
    return R"(<?xml version="1.0"?><table xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" id="1" )"
           R"(name="T" displayName="T" )" +
           attrs + "><tableColumns count=\"1\"><tableColumn id=\"1\" name=\"a\"/></tableColumns>" + styleInfo +
           "</table>";
}

const char* kStyles = R"(<?xml version="1.0"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellXfs>
<dxfs count="2">
<dxf><fill><patternFill patternType="solid"><bgColor rgb="FFFFEB9C"/></patternFill></fill></dxf>
<dxf><font><b/></font><border><vertical style="thin"><color rgb="FF00FF00"/></vertical><horizontal style="dashed"/></border></dxf>
</dxfs>
<tableStyles count="2" defaultTableStyle="Mine" defaultPivotStyle="PivotStyleLight16">
<tableStyle name="Mine" pivot="0" count="4">
<tableStyleElement type="wholeTable" dxfId="1"/>
<tableStyleElement type="firstRowStripe" dxfId="0" size="3"/>
<tableStyleElement type="headerRow" dxfId="7"/>
<tableStyleElement type="pageFieldLabels" dxfId="0"/>
</tableStyle>
<tableStyle name="PivotOnly" table="0" count="1"><tableStyleElement type="wholeTable" dxfId="0"/></tableStyle>
</tableStyles>
</styleSheet>)";

}  // namespace

TEST(XlsxTables, TablesWrittenWithTheirOptions) {
    const Workbook wb = fixtures::Load(fixtures::Xlsxwriter([](lxw_workbook* b) {
        lxw_worksheet* ws = workbook_add_worksheet(b, nullptr);
        worksheet_add_table(ws, 1, 1, 5, 3, nullptr);  // B2:D6, the writer's default style
        lxw_table_options o{};
        o.no_header_row = LXW_TRUE;
        o.no_banded_rows = LXW_TRUE;
        o.banded_columns = LXW_TRUE;
        o.first_column = LXW_TRUE;
        o.last_column = LXW_TRUE;
        o.total_row = LXW_TRUE;
        o.style_type = LXW_TABLE_STYLE_TYPE_DARK;
        o.style_type_number = 3;
        worksheet_add_table(ws, 10, 0, 14, 4, &o);  // A11:E15
    }));
    const std::vector<Table>& tables = wb.sheets[0].tables;
    ASSERT_EQ(tables.size(), 2u);
    const Table& plain = tables[0].range.row1 == 1 ? tables[0] : tables[1];
    const Table& dark = tables[0].range.row1 == 1 ? tables[1] : tables[0];
    EXPECT_EQ(plain.range.col1, 1u);
    EXPECT_EQ(plain.range.row2, 5u);
    EXPECT_EQ(plain.range.col2, 3u);
    EXPECT_EQ(plain.headerRows, 1u);
    EXPECT_EQ(plain.totalRows, 0u);
    EXPECT_EQ(plain.style, "TableStyleMedium9");
    EXPECT_TRUE(plain.rowStripes);
    EXPECT_FALSE(plain.columnStripes || plain.firstColumn || plain.lastColumn);
    EXPECT_EQ(dark.headerRows, 0u);
    EXPECT_EQ(dark.totalRows, 1u);
    EXPECT_EQ(dark.style, "TableStyleDark3");
    EXPECT_FALSE(dark.rowStripes);
    EXPECT_TRUE(dark.columnStripes && dark.firstColumn && dark.lastColumn);
    // The built-in styles the tables use are resolved into the workbook's styles.
    const TableStyle* medium = StyleNamed(wb, "TableStyleMedium9");
    ASSERT_NE(medium, nullptr);
    ASSERT_NE(StyleNamed(wb, "TableStyleDark3"), nullptr);
    for (const TableStyleElement& e : medium->elements) {
        ASSERT_GE(e.diff, 0);
        ASSERT_LT(size_t(e.diff), wb.styles.diffs.size());
    }
}

TEST(XlsxTables, CustomStylesAndDamagedParts) {
    const Workbook wb = fixtures::Load(WithTables(
        {
            TablePart(R"(ref="A1:C4" totalsRowCount="1")",
                      R"(<tableStyleInfo name="Mine" showRowStripes="1" showColumnStripes="0"/>)"),
            TablePart(R"(ref="E1:E3" headerRowCount="0")", R"(<tableStyleInfo name="NoSuchStyle"/>)"),
            TablePart(R"(ref="G1:G3")", ""),  // no style information: shown plain
            TablePart(R"(ref="A1:XFE3")", R"(<tableStyleInfo name="Mine"/>)"),  // past the last column
            TablePart(R"(ref="nonsense")", R"(<tableStyleInfo name="Mine"/>)"),
            "<table ref=\"A1:B2\"><tableStyleInfo",  // not XML
        },
        kStyles));
    const std::vector<Table>& tables = wb.sheets[0].tables;
    ASSERT_EQ(tables.size(), 3u);
    EXPECT_EQ(tables[0].style, "Mine");
    EXPECT_EQ(tables[0].totalRows, 1u);
    EXPECT_TRUE(tables[0].rowStripes);
    EXPECT_EQ(tables[1].style, "NoSuchStyle");
    EXPECT_EQ(tables[1].headerRows, 0u);
    EXPECT_EQ(tables[2].style, "");

    EXPECT_EQ(wb.styles.defaultTableStyle, "Mine");
    EXPECT_EQ(StyleNamed(wb, "PivotOnly"), nullptr);
    const TableStyle* mine = StyleNamed(wb, "Mine");
    ASSERT_NE(mine, nullptr);
    // Pivot table areas are passed over; an element naming a format the
    // workbook lacks keeps naming none, even once built-in formats follow.
    ASSERT_EQ(mine->elements.size(), 3u);
    EXPECT_EQ(mine->elements[0].area, TableArea::WholeTable);
    EXPECT_EQ(mine->elements[1].area, TableArea::FirstRowStripe);
    EXPECT_EQ(mine->elements[1].size, 3u);
    EXPECT_EQ(mine->elements[2].diff, -1);
    const DiffFormat& whole = wb.styles.diffs[size_t(mine->elements[0].diff)];
    EXPECT_EQ(whole.vertical.style, BorderStyle::Thin);
    EXPECT_EQ(whole.vertical.color, Color::Rgb(0x00FF00));
    EXPECT_EQ(whole.horizontal.style, BorderStyle::Dashed);
}
