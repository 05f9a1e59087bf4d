// Workbooks read one after another on a thread share the work of the parts
// they have in common byte for byte, and nothing else.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"
#include "sheets/xlsx/Package.h"

using namespace sheets;

namespace {

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Theme(const char* accent1) {
    return std::string(R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements>)"
                       R"(<a:clrScheme name="t"><a:dk1><a:srgbClr val="000000"/></a:dk1>)"
                       R"(<a:lt1><a:srgbClr val="FFFFFF"/></a:lt1><a:dk2><a:srgbClr val="1F497D"/></a:dk2>)"
                       R"(<a:lt2><a:srgbClr val="EEECE1"/></a:lt2><a:accent1><a:srgbClr val=")") +
           accent1 + R"("/></a:accent1></a:clrScheme></a:themeElements></a:theme>)";
}

std::string StylesPart(const char* color) {
    return std::string(R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
                       R"(<fonts><font><sz val="11"/></font><font>)") +
           color + R"(</font></fonts><cellXfs><xf/><xf fontId="1"/></cellXfs></styleSheet>)";
}

// A one-sheet workbook whose cell A1 is in the second font.
std::string Book(const std::string& styles, const std::string& theme, const char* sheetName) {
    const std::string rels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                             R"(<Relationship Id="rId1" Type=")" +
                             kRel + R"(worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId3" Type=")" +
                             kRel + R"(styles" Target="styles.xml"/><Relationship Id="rId4" Type=")" + kRel +
                             R"(theme" Target="theme/theme1.xml"/></Relationships>)";
    const std::string workbook =
        R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name=")" +
        std::string(sheetName) + R"(" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    return fixtures::Package(
        fixtures::SheetXml(R"(<row r="1"><c r="A1" s="1"><v>1</v></c></row>)"), "", styles,
        {{"xl/theme/theme1.xml", theme}, {"xl/_rels/workbook.xml.rels", rels}, {"xl/workbook.xml", workbook}});
}

Color FirstCellColor(const Workbook& wb) {
    return wb.styles.fonts.at(wb.styles.formats.at(fixtures::CellAt(wb.sheets.at(0), 0, 0)->format).font).color;
}

}  // namespace

TEST(XlsxRepeatedParts, EachWorkbookKeepsItsOwnStylesColoursAndSheetNames) {
    const std::string themed = StylesPart(R"(<color theme="4"/>)"), green = StylesPart(R"(<color rgb="FF00FF00"/>)");
    const std::string blue = Theme("4F81BD"), red = Theme("C0504D");
    struct Case {
        std::string bytes;
        const char* sheet;
        Color color;
    } cases[] = {
        {Book(themed, blue, "One"), "One", Color::Rgb(0x4F81BD)},
        // The same styles part under another theme resolves anew.
        {Book(themed, red, "One"), "One", Color::Rgb(0xC0504D)},
        {Book(green, red, "Two"), "Two", Color::Rgb(0x00FF00)},
        {Book(themed, blue, "One"), "One", Color::Rgb(0x4F81BD)},
        {Book(themed, blue, "Three"), "Three", Color::Rgb(0x4F81BD)},
    };
    for (int round = 0; round < 2; ++round)
        for (const Case& c : cases) {
            const Workbook wb = fixtures::Load(c.bytes);
            ASSERT_EQ(wb.sheets.size(), 1u);
            EXPECT_EQ(wb.sheets[0].name, c.sheet);
            EXPECT_EQ(FirstCellColor(wb), c.color) << c.sheet;
        }
}

TEST(XlsxRepeatedParts, AlikeRelationshipPartsResolveAgainstTheirOwnPart) {
    const std::string rels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://t/image" Target="../media/image1.png"/></Relationships>)";
    const std::string bytes = fixtures::Zip({{"xl/a/_rels/s.xml.rels", rels}, {"xl/b/c/_rels/s.xml.rels", rels}});
    const xlsx::Package pkg(bytes);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(pkg.Rels("xl/a/s.xml").at(0).target, "xl/media/image1.png");
        EXPECT_EQ(pkg.Rels("xl/b/c/s.xml").at(0).target, "xl/b/media/image1.png");
    }
    // Another package with other relationships under the same name.
    const std::string other =
        fixtures::Zip({{"xl/a/_rels/s.xml.rels",
                        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                        R"(<Relationship Id="rId7" Type="http://t/chart" Target="c.xml"/></Relationships>)"}});
    const auto got = xlsx::Package(other).Rels("xl/a/s.xml");
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].id, "rId7");
    EXPECT_EQ(got[0].target, "xl/a/c.xml");
}
