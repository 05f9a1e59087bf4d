// Cell values, strings and the workbook's sheet list.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"
#include "sheets/xlsx/Worksheet.h"

using namespace sheets;
using fixtures::CellAt;
using fixtures::TextOf;

TEST(XlsxCells, ValuesOfEveryKindWrittenByALibrary) {
    std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, "Data");
        worksheet_write_number(ws, 0, 0, 3.25, nullptr);
        worksheet_write_string(ws, 0, 1, "héllo", nullptr);
        worksheet_write_boolean(ws, 0, 2, 1, nullptr);
        worksheet_write_formula_num(ws, 1, 0, "=A1*2", nullptr, 6.5);
        worksheet_write_formula_str(ws, 1, 1, "=B1", nullptr, "héllo");
        worksheet_write_string(ws, 2, 3, "again", nullptr);
        worksheet_write_string(ws, 5, 16383, "last column", nullptr);
        worksheet_write_number(ws, 1048575, 0, -1e-300, nullptr);
    });
    Workbook wb = fixtures::Load(bytes);
    ASSERT_EQ(wb.sheets.size(), 1u);
    const Sheet& s = wb.sheets[0];
    EXPECT_EQ(s.name, "Data");

    const Cell* a1 = CellAt(s, 0, 0);
    ASSERT_TRUE(a1);
    EXPECT_EQ(a1->type, CellType::Number);
    EXPECT_EQ(a1->number, 3.25);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 1)), "héllo");
    ASSERT_EQ(CellAt(s, 0, 2)->type, CellType::Bool);
    EXPECT_TRUE(CellAt(s, 0, 2)->boolean);

    // Formulas keep their cached results; nothing is calculated.
    EXPECT_EQ(CellAt(s, 1, 0)->number, 6.5);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 1)), "héllo");

    EXPECT_EQ(TextOf(wb, *CellAt(s, 5, 16383)), "last column");
    EXPECT_EQ(CellAt(s, 1048575, 0)->number, -1e-300);

    for (size_t i = 1; i < s.rows.size(); ++i) EXPECT_LT(s.rows[i - 1].index, s.rows[i].index);
}

TEST(XlsxCells, HandWrittenValueForms) {
    std::string sst =
        R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count="3" uniqueCount="3">)"
        R"(<si><t>plain</t></si>)"
        R"(<si><t xml:space="preserve">line_x000D_
two _x005F_x0041_</t><rPh sb="0" eb="1"><t>PHONETIC</t></rPh></si>)"
        R"(<si><r><t>no props </t></r><r><rPr><b/><sz val="14"/><color rgb="FFFF0000"/><rFont val="Arial"/></rPr><t>bold red</t></r></si>)"
        R"(</sst>)";
    std::string data =
        R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>1</v></c><c r="C1" t="s"><v>2</v></c></row>)"
        R"(<row r="2"><c r="A2" t="inlineStr"><is><t>inline &amp; &lt;escaped&gt;</t></is></c>)"
        R"(<c r="B2" t="e"><v>#DIV/0!</v></c><c r="C2" t="e"><v>#DIV/0!</v></c>)"
        R"(<c r="D2" t="b"><v>0</v></c><c r="E2" t="d"><v>2021-01-01T10:10:10</v></c><c r="F2"><v> 1.5E3 </v></c></row>)"
        // Cells without references follow the previous one; rows without numbers the previous row.
        R"(<row><c><v>1</v></c><c><v>2</v></c><c r="J3"><v>3</v></c><c><v>4</v></c></row>)"
        R"(<row r="5"><c r="A5" t="str"><v></v></c><c r="B5"/><c r="C5" t="s"><v></v></c></row>)";
    Workbook wb = fixtures::Load(fixtures::Package(fixtures::SheetXml(data), sst));
    const Sheet& s = wb.sheets[0];
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 0)), "plain");
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 1)), "line\r\ntwo _x0041_");

    const RichString& rich = wb.strings[CellAt(s, 0, 2)->string];
    EXPECT_EQ(rich.text, "no props bold red");
    ASSERT_EQ(rich.runs.size(), 1u);  // the run without properties takes the cell's font
    EXPECT_EQ(rich.runs[0].start, 9u);
    EXPECT_EQ(rich.runs[0].length, 8u);
    const Font& f = wb.styles.fonts.at(rich.runs[0].font);
    EXPECT_TRUE(f.bold);
    EXPECT_EQ(f.size, 14);
    EXPECT_EQ(f.name, "Arial");
    EXPECT_EQ(f.color, Color::Rgb(0xFF0000));

    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 0)), "inline & <escaped>");
    EXPECT_EQ(CellAt(s, 1, 1)->type, CellType::Error);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 1)), "#DIV/0!");
    EXPECT_EQ(CellAt(s, 1, 1)->string, CellAt(s, 1, 2)->string);
    EXPECT_EQ(CellAt(s, 1, 3)->type, CellType::Bool);
    EXPECT_FALSE(CellAt(s, 1, 3)->boolean);
    EXPECT_NEAR(CellAt(s, 1, 4)->number, 44197 + (10 * 3600 + 10 * 60 + 10) / 86400.0, 1e-9);
    EXPECT_EQ(CellAt(s, 1, 5)->number, 1500);

    EXPECT_EQ(CellAt(s, 2, 0)->number, 1);
    EXPECT_EQ(CellAt(s, 2, 1)->number, 2);
    EXPECT_EQ(CellAt(s, 2, 9)->number, 3);
    EXPECT_EQ(CellAt(s, 2, 10)->number, 4);

    // An empty formula string is still a string; valueless cells are left out.
    ASSERT_TRUE(CellAt(s, 4, 0));
    EXPECT_EQ(TextOf(wb, *CellAt(s, 4, 0)), "");
    EXPECT_FALSE(CellAt(s, 4, 1));
    EXPECT_FALSE(CellAt(s, 4, 2));
}

TEST(XlsxCells, OutOfOrderRowsAndCellsAreSortedAndDeduplicated) {
    std::string data = R"(<row r="3"><c r="C3"><v>1</v></c><c r="A3"><v>2</v></c></row>)"
                       R"(<row r="1"><c r="A1"><v>3</v></c></row>)"
                       R"(<row r="3"><c r="C3"><v>4</v></c></row>)";
    Workbook wb = fixtures::Load(fixtures::Package(fixtures::SheetXml(data)));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0].index, 0u);
    ASSERT_EQ(s.rows[1].cells.size(), 2u);
    EXPECT_EQ(s.rows[1].cells[0].col, 0u);
    EXPECT_EQ(s.rows[1].cells[1].number, 4);  // the later write wins
}

TEST(XlsxCells, IsoDates) {
    double v = 0;
    struct Case {
        const char* iso;
        bool b1904;
        double serial;
    } cases[] = {
        {"1900-01-01", false, 1},
        {"1900-02-28", false, 59},
        {"1900-03-01", false, 61},
        {"2021-01-01", false, 44197},
        {"1904-01-02", true, 1},
        {"12:00:00", false, 0.5},
        {"2021-01-01T06:00:00.5", false, 44197.25 + 0.5 / 86400},
    };
    for (auto& c : cases) {
        ASSERT_TRUE(xlsx::IsoToSerial(c.iso, c.b1904, v)) << c.iso;
        EXPECT_NEAR(v, c.serial, 1e-9) << c.iso;
    }
    EXPECT_FALSE(xlsx::IsoToSerial("yesterday", false, v));
    EXPECT_FALSE(xlsx::IsoToSerial("2021-13-01", false, v));
}
