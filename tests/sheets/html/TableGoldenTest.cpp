// Table styles pinned as whole pages: workbooks saved by Excel in built-in
// styles, and ones made here for a dark style with every option and for a
// style of the workbook's own. After an intended change, run with
// QUINDLE_UPDATE_GOLDEN=1 and review the diff of golden/table_*.htm.
#include <gtest/gtest.h>

#include <filesystem>

#include "../xlsx/XlsxFixtures.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"
#include "support/Golden.h"

namespace {

const std::filesystem::path kHere = std::filesystem::path(__FILE__).parent_path();

void Check(const std::string& name, const sheets::Workbook& wb) {
    sheets::HtmlOptions o;
    o.title = name;
    ExpectGoldenFile(kHere / "golden" / ("table_" + name + ".htm"), sheets::RenderHtml(wb, o));
}

void CheckFile(const std::string& name) {
    Check(name, sheets::LoadWorkbook((kHere / "fixtures" / "tables" / (name + ".xlsx")).string()));
}

}  // namespace

// Medium 9 with a total row; Light 2, 3, 4 and 6 side by side; Medium 2 twice.
TEST(TableGolden, ExcelMadeBuiltinStyles) {
    for (const char* n : {"table08", "table_with_insertrow_attribute", "temperature-table"}) CheckFile(n);
}

// Dark 2 with header and total rows, banded columns, first and last column,
// a cell with a fill of its own and empty cells inside the table.
TEST(TableGolden, DarkStyleWithEveryOption) {
    Check("dark", fixtures::Load(fixtures::Xlsxwriter([](lxw_workbook* b) {
              lxw_worksheet* ws = workbook_add_worksheet(b, nullptr);
              lxw_format* yellow = workbook_add_format(b);
              format_set_bg_color(yellow, 0xFFFF00);
              for (lxw_row_t r = 1; r <= 4; ++r)
                  for (lxw_col_t c = 0; c < 4; ++c)
                      if (r != 3 || c != 2)
                          worksheet_write_number(ws, r, c, r * 10 + c, r == 2 && c == 1 ? yellow : nullptr);
              lxw_table_options o{};
              o.total_row = LXW_TRUE;
              o.banded_columns = LXW_TRUE;
              o.first_column = LXW_TRUE;
              o.last_column = LXW_TRUE;
              o.style_type = LXW_TABLE_STYLE_TYPE_DARK;
              o.style_type_number = 2;
              worksheet_add_table(ws, 0, 0, 5, 3, &o);
          })));
}

// A style of the workbook's own: bold header with a double bottom line,
// stripes two rows high, green lines between the cells.
TEST(TableGolden, WorkbookStyle) {
    const std::string styles = R"(<?xml version="1.0"?>
<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">
<fonts count="1"><font><sz val="11"/><name val="Calibri"/></font></fonts>
<fills count="1"><fill><patternFill patternType="none"/></fill></fills>
<borders count="1"><border/></borders>
<cellXfs count="1"><xf numFmtId="0" fontId="0" fillId="0" borderId="0"/></cellXfs>
<dxfs count="3">
<dxf><border><left style="thin"><color rgb="FF00B050"/></left><right style="thin"><color rgb="FF00B050"/></right><top style="thin"><color rgb="FF00B050"/></top><bottom style="thin"><color rgb="FF00B050"/></bottom><vertical style="thin"><color rgb="FF00B050"/></vertical><horizontal style="thin"><color rgb="FF00B050"/></horizontal></border></dxf>
<dxf><font><b/><color rgb="FF7030A0"/></font><border><bottom style="double"><color rgb="FF7030A0"/></bottom></border></dxf>
<dxf><fill><patternFill patternType="solid"><bgColor rgb="FFE2EFDA"/></patternFill></fill></dxf>
</dxfs>
<tableStyles count="1" defaultTableStyle="TableStyleMedium2"><tableStyle name="Green" pivot="0" count="3">
<tableStyleElement type="wholeTable" dxfId="0"/><tableStyleElement type="headerRow" dxfId="1"/>
<tableStyleElement type="firstRowStripe" dxfId="2" size="2"/></tableStyle></tableStyles>
</styleSheet>)";
    std::string rows;
    for (int r = 1; r <= 7; ++r) {
        rows += "<row r=\"" + std::to_string(r) + "\">";
        for (char c : std::string("ABC"))
            rows += std::string("<c r=\"") + c + std::to_string(r) + "\"><v>" + std::to_string(r * 3 + (c - 'A')) +
                    "</v></c>";
        rows += "</row>";
    }
    const std::string table =
        R"(<?xml version="1.0"?><table xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" id="1" name="T" displayName="T" ref="A1:C7"><tableColumns count="3"><tableColumn id="1" name="a"/><tableColumn id="2" name="b"/><tableColumn id="3" name="c"/></tableColumns><tableStyleInfo name="Green" showRowStripes="1"/></table>)";
    const std::string rels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/table" Target="../tables/table1.xml"/></Relationships>)";
    Check("custom", fixtures::Load(fixtures::Package(
                        fixtures::SheetXml(rows), "", styles,
                        {{"xl/tables/table1.xml", table}, {"xl/worksheets/_rels/sheet1.xml.rels", rels}})));
}
