// The workbook part: sheets, their order and state, the active sheet, the
// date system, macro projects; and how packages are found through their
// relationships.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"
#include "sheets/Failure.h"
#include "sheets/Loader.h"
#include "support/TempDir.h"

using namespace sheets;

TEST(XlsxWorkbook, SheetsChartSheetsStateAndActiveSheet) {
    std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* a = workbook_add_worksheet(wb, "First");
        lxw_chartsheet* cs = workbook_add_chartsheet(wb, "Chart One");
        lxw_worksheet* b = workbook_add_worksheet(wb, "Zweites Blatt");
        lxw_worksheet* c = workbook_add_worksheet(wb, "Hidden");
        worksheet_write_number(a, 0, 0, 1, nullptr);
        worksheet_write_number(a, 1, 0, 2, nullptr);
        lxw_chart* chart = workbook_add_chart(wb, LXW_CHART_COLUMN);
        chart_add_series(chart, nullptr, "=First!$A$1:$A$2");
        chartsheet_set_chart(cs, chart);
        worksheet_hide(c);
        worksheet_activate(b);
    });
    Workbook wb = fixtures::Load(bytes);
    ASSERT_EQ(wb.sheets.size(), 4u);
    EXPECT_EQ(wb.sheets[0].name, "First");
    EXPECT_EQ(wb.sheets[1].name, "Chart One");
    EXPECT_EQ(wb.sheets[1].kind, SheetKind::Chart);
    EXPECT_EQ(wb.sheets[2].kind, SheetKind::Worksheet);
    EXPECT_EQ(wb.sheets[3].visibility, Visibility::Hidden);
    EXPECT_EQ(wb.activeSheet, 2u);
    EXPECT_FALSE(wb.date1904);
    EXPECT_FALSE(wb.hasVbaProject);
}

TEST(XlsxWorkbook, MacroProjectIsNoticed) {
    TempDir dir;
    std::string vba =
        dir.Write("vbaProject.bin", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + std::string(504, '\0'));
    std::string bytes = fixtures::Xlsxwriter([&](lxw_workbook* wb) {
        workbook_add_worksheet(wb, nullptr);
        workbook_add_vba_project(wb, vba.c_str());
    });
    EXPECT_TRUE(fixtures::Load(bytes).hasVbaProject);
}

// Part names come from the relationships, wherever they point; strict
// namespaces and unusual prefixes read the same.
TEST(XlsxWorkbook, StrictPackageWithUnusualPartNames) {
    const std::string rel = "http://purl.oclc.org/ooxml/officeDocument/relationships/";
    const std::string main = "http://purl.oclc.org/ooxml/spreadsheetml/main";
    fixtures::Entries e = {
        {"[Content_Types].xml", R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>)"},
        {"_rels/.rels", R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                        R"(<Relationship Id="a" Type=")" +
                            rel + R"(officeDocument" Target="/book/Main.xml"/></Relationships>)"},
        {"book/Main.xml",
         R"(<x:workbook xmlns:x=")" + main + R"(" xmlns:r=")" + rel +
             R"(">)"
             R"(<x:workbookPr date1904="true"/><x:bookViews><x:workbookView activeTab="1"/></x:bookViews>)"
             R"(<x:sheets><x:sheet name="B" sheetId="2" state="veryHidden" r:id="s2"/>)"
             R"(<x:sheet name="A" sheetId="1" r:id="s1"/></x:sheets></x:workbook>)"},
        {"book/_rels/Main.xml.rels",
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
         R"(<Relationship Id="s1" Type=")" +
             rel +
             R"(worksheet" Target="../data/one.xml"/>)"
             R"(<Relationship Id="s2" Type=")" +
             rel +
             R"(worksheet" Target="data/two%20x.xml"/>)"
             R"(<Relationship Id="t" Type=")" +
             rel +
             R"(sharedStrings" Target="/strings.xml"/>)"
             "</Relationships>"},
        {"data/one.xml",
         R"(<x:worksheet xmlns:x=")" + main +
             R"("><x:sheetData><x:row r="1"><x:c r="A1" t="s"><x:v>0</x:v></x:c></x:row></x:sheetData></x:worksheet>)"},
        {"book/data/two x.xml", R"(<worksheet xmlns=")" + main + R"("><sheetData/></worksheet>)"},
        {"strings.xml", R"(<sst xmlns=")" + main + R"("><si><t>strict</t></si></sst>)"},
    };
    Workbook wb = fixtures::Load(fixtures::Zip(e));
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(wb.sheets[0].name, "B");
    EXPECT_EQ(wb.sheets[0].visibility, Visibility::VeryHidden);
    EXPECT_EQ(wb.activeSheet, 1u);
    EXPECT_TRUE(wb.date1904);
    ASSERT_EQ(wb.sheets[1].rows.size(), 1u);
    EXPECT_EQ(fixtures::TextOf(wb, wb.sheets[1].rows[0].cells[0]), "strict");
}

TEST(XlsxWorkbook, LoadsFromAFile) {
    TempDir dir;
    std::string path = dir.Write("a.xlsx", fixtures::Xlsxwriter([](lxw_workbook* wb) {
                                     worksheet_write_string(workbook_add_worksheet(wb, nullptr), 0, 0, "x", nullptr);
                                 }));
    EXPECT_EQ(LoadWorkbook(path).sheets.size(), 1u);
    EXPECT_THAT(failure::Of([&] { LoadWorkbook(dir / "missing.xlsx"); }), failure::FailsWith(ErrorKind::FileAccess));
}
