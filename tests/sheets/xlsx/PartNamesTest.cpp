#include <gtest/gtest.h>

#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/XlsxFixtures.h"

using sheets::xlsx::ResolvePartName;

TEST(PartNames, TargetsResolveAgainstTheirSourcePart) {
    struct Case {
        const char* source;
        const char* target;
        const char* part;
    } cases[] = {
        {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
        {"xl/worksheets/sheet1.xml", "../drawings/drawing1.xml", "xl/drawings/drawing1.xml"},
        {"xl/worksheets/sheet1.xml", "/xl/media/image1.png", "xl/media/image1.png"},
        {"", "xl/workbook.xml", "xl/workbook.xml"},
        {"xl/a/b/c.xml", "./../../d//e.xml", "xl/d/e.xml"},
        {"xl/sheet.xml", "../../../../escape.xml", "escape.xml"},
        {"xl/sheet.xml", "..\\media\\image%201.png", "media/image 1.png"},
        {"xl/sheet.xml", "data.xml#frag", "xl/data.xml"},
        {"xl/sheet.xml", "data%3Fx.xml", "xl/data"},
        {"xl/sheet.xml", "", "xl"},
        {"xl/sheet.xml", "..", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ResolvePartName(c.source, c.target), c.part) << c.source << " + " << c.target;
}

TEST(PartNames, RelationshipsReadWhateverTheirAttributesOrderAndPrefixes) {
    const std::string rels =
        R"(<?xml version="1.0"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships" )"
        R"(xmlns:p="urn:p"><Relationship Target="Worksheets/Sheet1.xml" Type="http://t/worksheet" Id="rId1"/>)"
        R"(<p:Relationship p:Id="rId2" p:Type="styles" p:Target="/xl/styles%20a.xml"/>)"
        R"(<Relationship Id="rId3" TargetMode="External" Type="http://t/hyperlink" Target="http://a/b%20c"/>)"
        R"(<Relationship Id="rId4" Type="http://t/"/><Other Id="rId5"/></Relationships>)";
    const std::string bytes =
        fixtures::Zip({{"xl/_rels/workbook.xml.rels", rels}, {"xl/Worksheets/Sheet1.xml", "<worksheet/>"}});
    const sheets::xlsx::Package pkg(bytes);
    const auto got = pkg.Rels("xl/workbook.xml");
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].id, "rId1");
    EXPECT_EQ(got[0].type, "worksheet");
    EXPECT_EQ(got[0].target, "xl/Worksheets/Sheet1.xml");
    EXPECT_FALSE(got[0].external);
    EXPECT_EQ(got[1].id, "rId2");
    EXPECT_EQ(got[1].type, "styles");
    EXPECT_EQ(got[1].target, "xl/styles a.xml");
    EXPECT_TRUE(got[2].external);
    EXPECT_EQ(got[2].target, "http://a/b%20c");
    EXPECT_EQ(got[3].type, "");
    EXPECT_EQ(got[3].target, "xl");
    // Part names match without regard to case, whatever form they come in.
    for (const char* name : {"xl/worksheets/sheet1.xml", "xl/Worksheets/Sheet1.xml", "/XL\\worksheets\\SHEET1.xml"})
        EXPECT_EQ(pkg.Read(name), "<worksheet/>") << name;
    EXPECT_FALSE(pkg.Has("xl/worksheets/sheet2.xml"));
}
