// What is drawn over the grid: shapes with their text, cropped pictures,
// comment markers, and the room the page keeps for all of them.
#include <gtest/gtest.h>

#include <memory>

#include "HtmlSupport.h"
#include "sheets/html/SheetShapes.h"
#include "sheets/model/Shape.h"

using namespace htmltest;
using namespace sheets;

namespace {

Shape TextBox(const std::string& text) {
    Shape s;
    s.from = Anchor{1, 2};
    s.to = Anchor{4, 6};
    s.look.fill = ChartShape::Fill::Solid;
    s.look.color = Color::Rgb(0xFFFF00);
    s.look.line.color = Color::Rgb(0x0000FF);
    s.look.line.width = 1.5;
    ShapeParagraph p;
    p.align = HAlign::Center;
    ShapeRun r;
    r.text = text;
    r.font.bold = 1;
    r.font.size = 14;
    r.font.color = Color::Rgb(0xFF0000);
    p.runs.push_back(r);
    s.text.push_back(p);
    s.anchor = VAlign::Center;
    return s;
}

std::string RenderShapes(std::vector<Shape> shapes) {
    Workbook wb = OneSheet();
    PutNumber(wb.sheets[0], 0, 0, 1);
    for (auto& s : shapes) wb.sheets[0].shapes.push_back(std::make_shared<const Shape>(std::move(s)));
    return Body(Render(wb));
}

}  // namespace

TEST(HtmlDrawings, ShapeIsPlacedWithItsOutlineAndText) {
    const std::string body = RenderShapes({TextBox("Go to <summary> & back")});
    // Columns of 64 px and rows of 20 px: B3 to E7.
    EXPECT_NE(body.find("<div style=\"position:absolute;left:64px;top:40px;width:192px;height:80px\">"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("<path d=\"M0 0L192 0L192 80L0 80Z\" fill=\"#ffff00\" stroke=\"#0000ff\" stroke-width=\"2\"/>"),
              std::string::npos)
        << body;
    EXPECT_NE(body.find("justify-content:center;"), std::string::npos);
    EXPECT_NE(body.find("<p style=\"margin:0;text-align:center\"><span style=\"font-size:14pt;font-weight:bold;"
                        "color:#ff0000;\">Go to &lt;summary&gt; &amp; back</span></p>"),
              std::string::npos)
        << body;
    // The page keeps room below the table for the shape.
    EXPECT_NE(body.find("<div style=\"height:100px\"></div>"), std::string::npos) << body;
}

TEST(HtmlDrawings, PresetsLinesAndTransforms) {
    Shape ellipse = TextBox("");
    ellipse.text.clear();
    ellipse.geometry = "ellipse";
    Shape arrow;
    arrow.geometry = "straightConnector1";
    arrow.look.line.color = Color::Rgb(0);
    arrow.tailArrow = true;
    arrow.flipH = true;
    arrow.rotation = 90;
    arrow.to = Anchor{2, 2};
    Shape unknown = TextBox("kept");
    unknown.geometry = "cloudCallout";
    const std::string body = RenderShapes({ellipse, arrow, unknown});
    EXPECT_NE(body.find("<path d=\"M0 40A96 40 0 1 0 192 40A96 40 0 1 0 0 40Z\""), std::string::npos) << body;
    // A connector: a line with its arrowhead, flipped and turned as the file says.
    EXPECT_NE(body.find("transform:rotate(90deg)"), std::string::npos);
    EXPECT_NE(body.find("transform:scale(-1,1)"), std::string::npos);
    EXPECT_NE(body.find("<path d=\"M0 0L128 40\" fill=\"none\" stroke=\"#000000\""), std::string::npos) << body;
    EXPECT_EQ(Count(body, "fill=\"#000000\"/>"), 1u);  // the arrowhead
    // An unknown preset is still a box with its text.
    EXPECT_NE(body.find(">kept</span>"), std::string::npos);
}

TEST(HtmlDrawings, FreeformsAndOutlines) {
    Shape s;
    s.geometry = "path";
    s.path = {PathStep{PathStep::Op::Line, {0.5f, 0.5f}}, PathStep{PathStep::Op::Cubic, {0, 0, 1, 1, 1, 0}},
              PathStep{PathStep::Op::Close, {}}};
    EXPECT_EQ(html::ShapeOutline(s, 100, 10), "M0 0L50 5C0 0 100 10 100 0Z");
    s.geometry = "rightArrow";
    EXPECT_EQ(html::ShapeOutline(s, 100, 20), "M0 5L90 5L90 0L100 10L90 20L90 15L0 15Z");
    s.geometry = "roundRect";
    EXPECT_EQ(html::ShapeOutline(s, 60, 60).substr(0, 12), "M10 0L50 0A1");
}

TEST(HtmlDrawings, AbsurdShapesStayBounded) {
    Shape huge = TextBox("big");
    huge.widthEmu = int64_t(1) << 50;
    huge.heightEmu = int64_t(1) << 50;
    Shape nan = TextBox("nan");
    nan.x = std::numeric_limits<double>::quiet_NaN();
    Shape negative = TextBox("negative");
    negative.from = Anchor{5, 5};
    negative.to = Anchor{1, 1};
    const std::string body = RenderShapes({huge, nan, negative});
    EXPECT_NE(body.find("width:65536px;height:65536px"), std::string::npos) << body.substr(0, 2000);
    EXPECT_EQ(body.find(">nan<"), std::string::npos);
    EXPECT_EQ(body.find(">negative<"), std::string::npos);
}

TEST(HtmlDrawings, CommentedCellsCarryTheMarker) {
    Workbook wb = OneSheet();
    Sheet& s = wb.sheets[0];
    PutNumber(s, 0, 0, 1);
    s.comments.push_back(Comment{0, 0, "me", "on a value"});
    s.comments.push_back(Comment{3, 2, "me", "on an empty cell"});
    const std::string page = Render(wb);
    EXPECT_NE(page.find(".n::after{"), std::string::npos);
    EXPECT_NE(page.find(" n\" title=\"on a value\">1</td>"), std::string::npos) << Body(page);
    EXPECT_NE(page.find("<td class=\"n\" title=\"on an empty cell\"></td>"), std::string::npos) << Body(page);
}

TEST(HtmlDrawings, CroppedPictureShowsItsKeptPart) {
    Workbook wb = OneSheet();
    PutNumber(wb.sheets[0], 0, 0, 1);
    Picture p;
    p.from = Anchor{0, 0};
    p.to = Anchor{2, 5};  // 128 by 100 px
    p.contentType = "image/png";
    p.data = "\x89PNG";
    p.crop[0] = 0.5;  // the left half cut off
    p.crop[3] = 0.5;  // and the bottom half
    wb.sheets[0].pictures.push_back(p);
    const std::string body = Body(Render(wb));
    EXPECT_NE(body.find("<div style=\"position:absolute;overflow:hidden;left:0px;top:0px;width:128px;height:100px\">"
                        "<img style=\"position:absolute;left:-128px;top:0px;width:256px;height:200px\""),
              std::string::npos)
        << body;
    // A picture anchored in parts of cells, as binary workbooks do.
    wb.sheets[0].pictures[0].crop[0] = wb.sheets[0].pictures[0].crop[3] = 0;
    wb.sheets[0].pictures[0].from.colPart = 0.5;
    wb.sheets[0].pictures[0].to.rowPart = 0.25;
    const std::string parts = Body(Render(wb));
    EXPECT_NE(parts.find("<img style=\"position:absolute;left:32px;top:0px;width:96px;height:105px\""),
              std::string::npos)
        << parts;
}
