// Shapes, text boxes, connectors and groups of hand-written drawing parts.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"
#include "sheets/model/Shape.h"

using namespace sheets;

namespace {

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

Workbook WithDrawing(const std::string& anchors) {
    const std::string drawing =
        R"(<xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing" )"
        R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
        R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006">)" +
        anchors + "</xdr:wsDr>";
    const std::string sheetRels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="d" Type=")" +
        kRel + R"(drawing" Target="/xl/drawings/drawing1.xml"/></Relationships>)";
    return fixtures::Load(
        fixtures::Package(fixtures::SheetXml("", "", R"(<drawing r:id="d"/>)"), "", "",
                          {{"xl/worksheets/_rels/sheet1.xml.rels", sheetRels}, {"xl/drawings/drawing1.xml", drawing}}));
}

std::string TwoCell(const std::string& body, int c1 = 1, int r1 = 1, int c2 = 4, int r2 = 6) {
    auto at = [](int c, int r) {
        return "<xdr:col>" + std::to_string(c) + "</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>" + std::to_string(r) +
               "</xdr:row><xdr:rowOff>0</xdr:rowOff>";
    };
    return "<xdr:twoCellAnchor><xdr:from>" + at(c1, r1) + "</xdr:from><xdr:to>" + at(c2, r2) + "</xdr:to>" + body +
           "<xdr:clientData/></xdr:twoCellAnchor>";
}

std::string Sp(const std::string& spPr, const std::string& txBody = "", const std::string& cNvPr = "name=\"s\"") {
    return R"(<xdr:sp macro="" textlink=""><xdr:nvSpPr><xdr:cNvPr id="2" )" + cNvPr +
           R"(/><xdr:cNvSpPr/></xdr:nvSpPr><xdr:spPr>)" + spPr + "</xdr:spPr>" + txBody + "</xdr:sp>";
}

std::string Xfrm(int x, int y, int cx, int cy) {
    return "<a:xfrm><a:off x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><a:ext cx=\"" +
           std::to_string(cx) + "\" cy=\"" + std::to_string(cy) + "\"/></a:xfrm>";
}

}  // namespace

TEST(XlsxShapes, TextBoxWithRunsFillAndOutline) {
    const std::string spPr =
        R"(<a:xfrm rot="5400000" flipH="1"><a:off x="0" y="0"/><a:ext cx="10" cy="10"/></a:xfrm>)"
        R"(<a:prstGeom prst="roundRect"><a:avLst><a:gd name="adj" fmla="val 25000"/></a:avLst></a:prstGeom>)"
        R"(<a:solidFill><a:srgbClr val="FFC000"/></a:solidFill>)"
        R"(<a:ln w="25400"><a:solidFill><a:srgbClr val="002060"/></a:solidFill></a:ln>)";
    const std::string body =
        R"(<xdr:txBody><a:bodyPr lIns="0" tIns="0" anchor="ctr"/><a:lstStyle/>)"
        R"(<a:p><a:pPr algn="ctr"/><a:r><a:rPr lang="en-US" sz="1400" b="1" u="sng"><a:solidFill><a:srgbClr val="FF0000"/></a:solidFill>)"
        R"(<a:latin typeface="Arial"/></a:rPr><a:t>Main menu</a:t></a:r></a:p>)"
        R"(<a:p><a:r><a:t>second</a:t></a:r><a:br/><a:r><a:rPr i="1"/><a:t>line</a:t></a:r></a:p><a:p><a:endParaRPr/></a:p>)"
        R"(</xdr:txBody>)";
    const Workbook wb = WithDrawing(TwoCell(Sp(spPr, body, R"(name="Menu")")));
    ASSERT_EQ(wb.sheets[0].shapes.size(), 1u);
    const Shape& s = *wb.sheets[0].shapes[0];
    EXPECT_EQ(s.name, "Menu");
    EXPECT_EQ(s.from.col, 1u);
    EXPECT_EQ(s.to.row, 6u);
    EXPECT_EQ(s.geometry, "roundRect");
    EXPECT_DOUBLE_EQ(s.adjust, 0.25);
    EXPECT_DOUBLE_EQ(s.rotation, 90);
    EXPECT_TRUE(s.flipH);
    EXPECT_EQ(s.look.fill, ChartShape::Fill::Solid);
    EXPECT_EQ(s.look.color, Color::Rgb(0xFFC000));
    EXPECT_EQ(s.look.line.color, Color::Rgb(0x002060));
    EXPECT_DOUBLE_EQ(s.look.line.width, 2);
    EXPECT_EQ(s.anchor, VAlign::Center);
    EXPECT_EQ(s.inset[0], 0);
    EXPECT_EQ(s.inset[2], 91440);
    ASSERT_EQ(s.text.size(), 2u);  // the trailing empty paragraph does not show
    EXPECT_EQ(s.text[0].align, HAlign::Center);
    const ShapeRun& r = s.text[0].runs[0];
    EXPECT_EQ(r.text, "Main menu");
    EXPECT_EQ(r.font.size, 14);
    EXPECT_EQ(r.font.bold, 1);
    EXPECT_EQ(r.font.color, Color::Rgb(0xFF0000));
    EXPECT_TRUE(r.underline);
    EXPECT_EQ(r.face, "Arial");
    ASSERT_EQ(s.text[1].runs.size(), 3u);
    EXPECT_EQ(s.text[1].runs[1].text, "\n");
    EXPECT_EQ(s.text[1].runs[2].font.italic, 1);
}

TEST(XlsxShapes, ConnectorsStyleReferencesAndHiddenShapes) {
    const std::string cxn =
        R"(<xdr:cxnSp macro=""><xdr:nvCxnSpPr><xdr:cNvPr id="3" name="c"/><xdr:cNvCxnSpPr/></xdr:nvCxnSpPr><xdr:spPr>)"
        R"(<a:prstGeom prst="straightConnector1"><a:avLst/></a:prstGeom><a:ln><a:tailEnd type="triangle"/></a:ln></xdr:spPr>)"
        R"(<xdr:style><a:lnRef idx="1"><a:srgbClr val="4472C4"/></a:lnRef><a:fillRef idx="0"><a:srgbClr val="4472C4"/></a:fillRef>)"
        R"(<a:effectRef idx="0"><a:srgbClr val="4472C4"/></a:effectRef><a:fontRef idx="minor"><a:srgbClr val="FFFFFF"/></a:fontRef></xdr:style></xdr:cxnSp>)";
    const std::string styled =
        R"(<xdr:sp><xdr:nvSpPr><xdr:cNvPr id="4" name="e"/><xdr:cNvSpPr/></xdr:nvSpPr><xdr:spPr><a:prstGeom prst="ellipse"/></xdr:spPr>)"
        R"(<xdr:style><a:lnRef idx="2"><a:srgbClr val="111111"/></a:lnRef><a:fillRef idx="1"><a:srgbClr val="222222"/></a:fillRef>)"
        R"(<a:effectRef idx="0"/><a:fontRef idx="minor"><a:srgbClr val="FFFFFF"/></a:fontRef></xdr:style></xdr:sp>)";
    const Workbook wb = WithDrawing(TwoCell(cxn) + TwoCell(styled) +
                                    TwoCell(Sp("<a:prstGeom prst=\"rect\"/>", "", "name=\"h\" hidden=\"1\"")));
    const auto& shapes = wb.sheets[0].shapes;
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0]->geometry, "straightConnector1");
    EXPECT_TRUE(shapes[0]->tailArrow);
    EXPECT_FALSE(shapes[0]->headArrow);
    EXPECT_EQ(shapes[0]->look.line.color, Color::Rgb(0x4472C4));
    EXPECT_EQ(shapes[0]->look.fill, ChartShape::Fill::None);
    EXPECT_EQ(shapes[1]->look.color, Color::Rgb(0x222222));
    EXPECT_EQ(shapes[1]->look.line.color, Color::Rgb(0x111111));
    EXPECT_EQ(shapes[1]->font.color, Color::Rgb(0xFFFFFF));
}

TEST(XlsxShapes, GroupsAreFlattenedIntoTheirAnchor) {
    // A group whose child space is twice its size; inside it a nested group.
    const std::string inner =
        R"(<xdr:grpSp><xdr:nvGrpSpPr><xdr:cNvPr id="5" name="g2"/><xdr:cNvGrpSpPr/></xdr:nvGrpSpPr><xdr:grpSpPr>)"
        R"(<a:xfrm><a:off x="1000" y="0"/><a:ext cx="1000" cy="1000"/><a:chOff x="0" y="0"/><a:chExt cx="10" cy="10"/></a:xfrm></xdr:grpSpPr>)" +
        Sp(Xfrm(5, 5, 5, 5)) + "</xdr:grpSp>";
    const std::string group =
        R"(<xdr:grpSp><xdr:nvGrpSpPr><xdr:cNvPr id="4" name="g"/><xdr:cNvGrpSpPr/></xdr:nvGrpSpPr><xdr:grpSpPr>)"
        R"(<a:xfrm><a:off x="0" y="0"/><a:ext cx="1000" cy="500"/><a:chOff x="0" y="0"/><a:chExt cx="2000" cy="1000"/></a:xfrm></xdr:grpSpPr>)" +
        Sp(Xfrm(0, 0, 1000, 1000)) + inner + "</xdr:grpSp>";
    const Workbook wb = WithDrawing(TwoCell(group));
    const auto& shapes = wb.sheets[0].shapes;
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_DOUBLE_EQ(shapes[0]->x, 0);
    EXPECT_DOUBLE_EQ(shapes[0]->w, 0.5);
    EXPECT_DOUBLE_EQ(shapes[0]->h, 1);
    EXPECT_DOUBLE_EQ(shapes[1]->x, 0.75);
    EXPECT_DOUBLE_EQ(shapes[1]->y, 0.5);
    EXPECT_DOUBLE_EQ(shapes[1]->w, 0.25);
    EXPECT_EQ(shapes[1]->from.col, 1u);
}

TEST(XlsxShapes, HostileDrawingsAreBounded) {
    // A freeform of 20000 points, groups nested 200 deep, and 6000 shapes.
    std::string path = R"(<a:custGeom><a:pathLst><a:path w="100" h="100"><a:moveTo><a:pt x="0" y="0"/></a:moveTo>)";
    for (int i = 0; i < 20000; ++i) path += R"(<a:lnTo><a:pt x="50" y="99999999999"/></a:lnTo>)";
    path += "</a:path></a:pathLst></a:custGeom>";
    std::string nested;
    for (int i = 0; i < 200; ++i) nested += "<xdr:grpSp>";
    nested += Sp("", "", "name=\"deep\"");
    for (int i = 0; i < 200; ++i) nested += "</xdr:grpSp>";
    std::string many;
    for (int i = 0; i < 6000; ++i) many += Sp("");
    const Workbook wb = WithDrawing(TwoCell(Sp(path)) + TwoCell(nested) + TwoCell(many));
    const auto& shapes = wb.sheets[0].shapes;
    ASSERT_EQ(shapes.size(), kShapeMaxPerSheet);
    EXPECT_EQ(shapes[0]->geometry, "path");
    EXPECT_EQ(shapes[0]->path.size(), kShapeMaxPathPoints);
    EXPECT_LE(shapes[0]->path[1].pt[1], 5.0f);
    for (const auto& s : shapes) EXPECT_NE(s->name, "deep");  // past the depth that is read
}

TEST(XlsxShapes, FormControlsOfTheLegacyDrawingAreDrawnStatic) {
    const std::string vml =
        R"(<xml xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office" )"
        R"(xmlns:x="urn:schemas-microsoft-com:office:excel">)"
        R"(<v:shape id="_x0000_s1025" type="#_x0000_t201" style='position:absolute'><v:textbox><div style='text-align:center'>)"
        R"(<font face="Calibri" size="220" color="#000000">Run report</font></div></v:textbox>)"
        R"(<x:ClientData ObjectType="Button"><x:Anchor>2, 0, 1, 0, 3, 0, 2, 0</x:Anchor><x:FmlaMacro>[0]!Go</x:FmlaMacro>)"
        R"(<x:TextHAlign>Center</x:TextHAlign><x:TextVAlign>Center</x:TextVAlign></x:ClientData></v:shape>)"
        R"(<v:shape><v:textbox><div><font>Paid</font></div></v:textbox><x:ClientData ObjectType="Checkbox">)"
        R"(<x:Anchor>1, 5, 4, 2, 2, 0, 5, 0</x:Anchor><x:Checked>1</x:Checked></x:ClientData></v:shape>)"
        R"(<v:shape><x:ClientData ObjectType="Note"><x:Anchor>1, 5, 4, 2, 2, 0, 5, 0</x:Anchor></x:ClientData></v:shape>)"
        R"(<v:shape><x:ClientData ObjectType="Button"><x:Anchor>1, 5, x</x:Anchor></x:ClientData></v:shape>)"
        R"(</xml>)";
    const std::string sheetRels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="v" Type=")" +
        kRel + R"(vmlDrawing" Target="/xl/drawings/vmlDrawing1.vml"/></Relationships>)";
    const Workbook wb = fixtures::Load(
        fixtures::Package(fixtures::SheetXml("", "", R"(<legacyDrawing r:id="v"/>)"), "", "",
                          {{"xl/worksheets/_rels/sheet1.xml.rels", sheetRels}, {"xl/drawings/vmlDrawing1.vml", vml}}));
    const auto& shapes = wb.sheets[0].shapes;
    ASSERT_EQ(shapes.size(), 2u);  // the note is a comment; the damaged anchor is passed over
    const Shape& button = *shapes[0];
    EXPECT_EQ(button.control, ControlKind::Button);
    EXPECT_EQ(button.from.col, 2u);
    EXPECT_EQ(button.to.row, 2u);
    ASSERT_EQ(button.text.size(), 1u);
    EXPECT_EQ(button.text[0].runs[0].text, "Run report");
    EXPECT_EQ(button.text[0].runs[0].font.size, 11);
    EXPECT_EQ(button.text[0].align, HAlign::Center);
    EXPECT_EQ(button.look.fill, ChartShape::Fill::Solid);
    const Shape& box = *shapes[1];
    EXPECT_EQ(box.control, ControlKind::CheckBox);
    EXPECT_EQ(box.from.colOffset, 5 * 9525);
    ASSERT_EQ(box.text[0].runs.size(), 2u);
    EXPECT_EQ(box.text[0].runs[0].text, "\xE2\x98\x91 ");
    EXPECT_EQ(box.text[0].runs[1].text, "Paid");
}

TEST(XlsxShapes, FreeformArcsBecomeCurves) {
    // A half disc: from the left end of the diameter over the top to the right end, then back.
    const std::string geom =
        R"(<a:custGeom><a:pathLst><a:path w="200" h="100"><a:moveTo><a:pt x="0" y="100"/></a:moveTo>)"
        R"(<a:arcTo wR="100" hR="100" stAng="10800000" swAng="10800000"/><a:close/>)"
        R"(<a:arcTo wR="0" hR="5" stAng="0" swAng="5400000"/><a:arcTo wR="9" hR="9" stAng="0" swAng="2147483647"/>)"
        R"(</a:path></a:pathLst></a:custGeom>)";
    const Workbook wb = WithDrawing(TwoCell(Sp(Xfrm(0, 0, 200, 100) + geom)));
    const auto& path = wb.sheets[0].shapes.at(0)->path;
    ASSERT_GE(path.size(), 4u);
    EXPECT_EQ(path[1].op, PathStep::Op::Cubic);
    EXPECT_EQ(path[2].op, PathStep::Op::Cubic);
    // Over the top (y 0) of a circle of radius 0.5 x 1 centred at (0.5, 1), ending at (1, 1).
    EXPECT_NEAR(path[1].pt[4], 0.5, 1e-5);
    EXPECT_NEAR(path[1].pt[5], 0.0, 1e-5);
    EXPECT_NEAR(path[2].pt[4], 1.0, 1e-5);
    EXPECT_NEAR(path[2].pt[5], 1.0, 1e-5);
    EXPECT_EQ(path[3].op, PathStep::Op::Close);
    // A flat radius draws nothing; an absurd sweep at most one turn.
    EXPECT_LE(path.size(), 4u + 4u);
}

TEST(XlsxShapes, ListControlsTakeTheirPropertiesPart) {
    const std::string vml =
        R"(<xml xmlns:v="urn:schemas-microsoft-com:vml" xmlns:o="urn:schemas-microsoft-com:office:office" )"
        R"(xmlns:x="urn:schemas-microsoft-com:office:excel">)"
        R"(<v:shape id="_x0000_s1025" o:spid="_x0000_s1025"><x:ClientData ObjectType="Drop">)"
        R"(<x:Anchor>3, 0, 0, 0, 5, 0, 1, 0</x:Anchor><x:FmlaRange>$A$1:$A$2</x:FmlaRange><x:Sel>1</x:Sel></x:ClientData></v:shape>)"
        R"(<v:shape id="_x0000_s1026"><x:ClientData ObjectType="List"><x:Anchor>3, 0, 2, 0, 5, 0, 6, 0</x:Anchor>)"
        R"(<x:FmlaRange>$A$1:$A$3</x:FmlaRange><x:FmlaLink>$B$1</x:FmlaLink></x:ClientData></v:shape>)"
        R"(<v:shape id="_x0000_s1027"><x:ClientData ObjectType="Drop"><x:Anchor>3, 0, 7, 0, 5, 0, 8, 0</x:Anchor>)"
        R"(<x:FmlaRange>$A$1:$A$3</x:FmlaRange><x:Sel>2</x:Sel></x:ClientData></v:shape>)"
        R"(</xml>)";
    const std::string sheetRels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="v" Type=")" +
        kRel + R"(vmlDrawing" Target="/xl/drawings/vmlDrawing1.vml"/>)" + R"(<Relationship Id="c1" Type=")" + kRel +
        R"(ctrlProp" Target="../ctrlProps/ctrlProp1.xml"/>)" + R"(<Relationship Id="c3" Type=")" + kRel +
        R"(ctrlProp" Target="../ctrlProps/ctrlProp3.xml"/></Relationships>)";
    const std::string ns = R"( xmlns="http://schemas.microsoft.com/office/spreadsheetml/2009/9/main")";
    // The first drop-down's part says more than its drawing; the third's part is damaged.
    const std::string prop1 =
        "<formControlPr" + ns + R"( objectType="Drop" dropLines="8" fmlaRange="$A$1:$A$3" sel="3"/>)";
    const std::string prop3 = "<formControlPr" + ns + " objectType=";
    const std::string controls =
        R"(<legacyDrawing r:id="v"/><mc:AlternateContent xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006">)"
        R"(<mc:Choice Requires="x14"><controls><mc:AlternateContent><mc:Choice Requires="x14">)"
        R"(<control shapeId="1025" r:id="c1" name="Drop Down 1"/></mc:Choice><mc:Fallback>)"
        R"(<control shapeId="1025" r:id="c3"/></mc:Fallback></mc:AlternateContent>)"
        R"(<control shapeId="1027" r:id="c3"/><control shapeId="1028" r:id="missing"/></controls></mc:Choice></mc:AlternateContent>)";
    const std::string data =
        R"(<row r="1"><c r="A1" t="inlineStr"><is><t>Apples</t></is></c><c r="B1"><v>2</v></c></row>)"
        R"(<row r="2"><c r="A2" t="inlineStr"><is><t>Pears</t></is></c></row>)"
        R"(<row r="3"><c r="A3"><v>0.5</v></c></row>)";
    const Workbook wb = fixtures::Load(fixtures::Package(fixtures::SheetXml(data, "", controls), "", "",
                                                         {{"xl/worksheets/_rels/sheet1.xml.rels", sheetRels},
                                                          {"xl/drawings/vmlDrawing1.vml", vml},
                                                          {"xl/ctrlProps/ctrlProp1.xml", prop1},
                                                          {"xl/ctrlProps/ctrlProp3.xml", prop3}}));
    const auto& shapes = wb.sheets[0].shapes;
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0]->items, (std::vector<std::string>{"Apples", "Pears", "0.5"}));
    ASSERT_EQ(shapes[0]->text.size(), 1u);
    EXPECT_EQ(shapes[0]->text[0].runs[0].text, "0.5");
    EXPECT_EQ(shapes[1]->selected, 2u);  // from the linked cell
    EXPECT_TRUE(shapes[1]->text.at(1).fill.set);
    EXPECT_EQ(shapes[2]->text.at(0).runs[0].text, "Pears");  // the drawing's own values stand
}
