// Whole pages pinned byte for byte. After an intended change of the output,
// run with QUINDLE_UPDATE_GOLDEN=1 and review the diff of tests/sheets/html/golden/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "HtmlSupport.h"
#include "sheets/model/ControlLists.h"
#include "sheets/model/Shape.h"
#include "support/Golden.h"

using namespace htmltest;
using namespace sheets;

namespace {

void ExpectGolden(const std::string& name, const std::string& page) {
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / (name + ".htm"), page);
}

// A report: header styles, a merged title, numbers, a hidden row and column,
// a rich string, a link, a comment and wrapped, rotated and indented text.
Workbook Report() {
    Workbook wb = OneSheet("Report");
    Styles& st = wb.styles;
    Font title;
    title.size = 16;
    title.bold = true;
    title.color = Color::Rgb(0x1F4E79);
    Font link;
    link.underline = Underline::Single;
    link.color = Color::Rgb(0x0563C1);
    Font italic;
    italic.italic = true;
    italic.name = "Cambria";
    st.fonts = {Font{}, title, link, italic};
    st.fills.push_back(Fill{Fill::Pattern::Solid, Color::Rgb(0xDDEBF7), {}});
    st.fills.push_back(Fill{Fill::Pattern::Gray, {}, {}});
    BorderSide thin{BorderStyle::Thin, {}}, dbl{BorderStyle::Double, Color::Rgb(0xFF0000)};
    st.borders.push_back(Border{thin, thin, thin, thin});
    st.borders.push_back(Border{{}, {}, thin, dbl});
    CellFormat titleF;
    titleF.font = 1;
    titleF.align.horizontal = HAlign::Center;
    CellFormat head;
    head.fill = 1;
    head.border = 2;
    head.align.horizontal = HAlign::Center;
    CellFormat boxed;
    boxed.border = 1;
    CellFormat linkF;
    linkF.font = 2;
    CellFormat wrapped;
    wrapped.align.wrap = true;
    wrapped.align.vertical = VAlign::Top;
    CellFormat turned;
    turned.align.rotation = 45;
    CellFormat indented;
    indented.align.indent = 2;
    indented.fill = 2;
    st.formats = {CellFormat{}, titleF, head, boxed, linkF, wrapped, turned, indented};

    Sheet& s = wb.sheets[0];
    s.cols.push_back(ColumnInfo{0, 0, 20.7109375, false});
    s.cols.push_back(ColumnInfo{2, 2, 9.140625, true});
    PutText(wb, s, 0, 0, "Quarterly report", 1);
    s.merges.push_back(Range{0, 0, 0, 3});
    RowAt(s, 0).height = 21;
    const char* heads[] = {"Item", "Amount", "Secret", "Share"};
    for (uint16_t c = 0; c < 4; ++c) PutText(wb, s, 1, c, heads[c], 2);
    for (uint32_t r = 2; r < 5; ++r) {
        PutText(wb, s, r, 0, "Line " + std::to_string(r - 1), 3);
        PutNumber(s, r, 1, (r - 1) * 1250.5, 3);
        PutNumber(s, r, 2, -1, 3);
        PutNumber(s, r, 3, 0.25 * r, 3);
    }
    RowAt(s, 3).hidden = true;
    PutText(wb, s, 6, 0, "Mixed bold and italic & <tags>");
    wb.strings.back().runs = {{0, 5, 0}, {6, 4, 1}, {15, 6, 3}};
    PutText(wb, s, 7, 0, "Home page", 4);
    s.links.push_back(Hyperlink{Range{7, 0, 7, 0}, "https://example.com/?a=1&b=2", "", "Go \"home\""});
    PutText(wb, s, 8, 0, "A long note that wraps inside its cell", 5);
    PutText(wb, s, 8, 1, "45\xC2\xB0", 6);
    PutText(wb, s, 9, 0, "indented", 7);
    s.comments.push_back(Comment{2, 1, "Ann", "Ann:\nchecked"});
    PutText(wb, s, 10, 1, "#DIV/0!", 0, CellType::Error);
    PutText(wb, s, 10, 3, "TRUE", 0, CellType::Bool);
    RowAt(s, 10).cells.back().boolean = true;
    return wb;
}

Workbook ThreeSheets() {
    Workbook wb;
    for (const char* n : {"Summary", "Hidden", "Data & more"}) {
        wb.sheets.push_back(Sheet{});
        wb.sheets.back().name = n;
    }
    wb.sheets[1].visibility = Visibility::Hidden;
    PutText(wb, wb.sheets[0], 0, 0, "See data");
    wb.sheets[0].links.push_back(Hyperlink{Range{0, 0, 0, 0}, "", "'Data & more'!A1", ""});
    PutText(wb, wb.sheets[0], 1, 0, "Unsafe");
    wb.sheets[0].links.push_back(Hyperlink{Range{1, 0, 1, 0}, "javascript:alert(1)", "", ""});
    PutText(wb, wb.sheets[1], 0, 0, "not shown");
    Sheet& d = wb.sheets[2];
    d.rightToLeft = true;
    d.defaultRowHeight = 12.75;
    for (uint32_t r = 0; r < 3; ++r)
        for (uint16_t c = 0; c < 3; ++c) PutNumber(d, r, c, r * 3 + c);
    return wb;
}

Workbook Sparse() {
    Workbook wb = OneSheet("Sparse");
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "top left");
    PutText(wb, s, 5000, 300, "middle");
    PutNumber(s, 1048575, 16383, 1);
    Picture p;
    p.from = Anchor{1, 1, 0, 0};
    p.to = Anchor{3, 4, 9525 * 10, 0};
    p.contentType = "image/gif";
    p.data = std::string("GIF89a\x01\x00\x01\x00\x00\xff\x00,", 14);
    p.description = "dot";
    s.pictures.push_back(p);
    return wb;
}

// A navigation sheet: a banner, an arrow, a grouped pair, a button, a check
// box, a cropped picture and a commented cell.
Workbook Drawings() {
    Workbook wb = OneSheet("Start");
    Sheet& s = wb.sheets[0];
    PutText(wb, s, 0, 0, "Menu");
    s.comments.push_back(Comment{0, 0, "Ann", "Start here"});
    auto add = [&](Shape shape) { s.shapes.push_back(std::make_shared<const Shape>(std::move(shape))); };
    auto text = [](Shape& shape, const char* t, HAlign align = HAlign::Center) {
        ShapeParagraph p;
        p.align = align;
        ShapeRun r;
        r.text = t;
        p.runs.push_back(r);
        shape.text.push_back(p);
    };
    Shape banner;
    banner.from = Anchor{1, 1};
    banner.to = Anchor{5, 4};
    banner.geometry = "roundRect";
    banner.look.fill = ChartShape::Fill::Solid;
    banner.look.color = Color::Rgb(0x4472C4);
    banner.font.color = Color::Rgb(0xFFFFFF);
    banner.anchor = VAlign::Center;
    text(banner, "Sales overview");
    banner.text[0].runs[0].font.size = 18;
    banner.text[0].runs[0].font.bold = 1;
    add(banner);
    Shape arrow;
    arrow.from = Anchor{5, 2, 0, 0};
    arrow.to = Anchor{7, 3};
    arrow.geometry = "straightConnector1";
    arrow.look.line.color = Color::Rgb(0xC00000);
    arrow.look.line.width = 2;
    arrow.tailArrow = true;
    add(arrow);
    for (int i = 0; i < 2; ++i) {
        Shape member;
        member.from = Anchor{1, 5};
        member.to = Anchor{5, 8};
        member.x = i * 0.5;
        member.w = 0.5;
        member.geometry = i ? "ellipse" : "diamond";
        member.look.fill = ChartShape::Fill::Solid;
        member.look.color = Color::Rgb(i ? 0x70AD47 : 0xFFC000);
        member.rotation = i ? 0 : 15;
        add(member);
    }
    Shape button;
    button.from = Anchor{7, 5};
    button.to = Anchor{9, 6};
    button.control = ControlKind::Button;
    text(button, "Refresh");
    DressControl(button);
    add(button);
    Shape check;
    check.from = Anchor{7, 7};
    check.to = Anchor{9, 8};
    check.control = ControlKind::CheckBox;
    check.checked = true;
    text(check, "Include VAT", HAlign::Left);
    DressControl(check);
    add(check);
    Picture p;
    p.from = Anchor{0, 9};
    p.from.colPart = 0.5;
    p.to = Anchor{2, 12};
    p.contentType = "image/gif";
    p.data = std::string("GIF89a\x01\x00\x01\x00\x00\xff\x00,", 14);
    p.crop[1] = 0.25;
    s.pictures.push_back(p);
    return wb;
}

// An order form: a drop-down and a list box filled from the cells beside
// them (the list scrolled to its selected item), and a freeform outline.
Workbook Lists() {
    Workbook wb = OneSheet("Order");
    Sheet& s = wb.sheets[0];
    const char* sizes[] = {"Small", "Medium", "Large", "Huge"};
    for (uint32_t r = 0; r < 4; ++r) PutText(wb, s, r, 0, sizes[r]);
    PutNumber(s, 0, 1, 4);
    auto add = [&](Shape shape) { s.shapes.push_back(std::make_shared<const Shape>(std::move(shape))); };
    Shape drop;
    drop.from = Anchor{2, 1};
    drop.to = Anchor{4, 2};
    drop.control = ControlKind::DropDown;
    drop.listRange = "$A$1:$A$4";
    drop.selected = 2;
    DressControl(drop);
    add(drop);
    Shape list = drop;
    list.from = Anchor{2, 3};
    list.to = Anchor{4, 5};
    list.control = ControlKind::ListBox;
    list.selected = 0;
    list.linkCell = "B1";
    DressControl(list);
    add(list);
    Shape star;
    star.from = Anchor{5, 1};
    star.to = Anchor{7, 5};
    star.geometry = "path";
    star.look.fill = ChartShape::Fill::Solid;
    star.look.color = Color::Rgb(0xFFC000);
    star.look.line.color = Color::Rgb(0x7F6000);
    star.path = {{PathStep::Op::Move, {0.5f, 0}},
                 {PathStep::Op::Line, {1, 1}},
                 {PathStep::Op::Cubic, {0.75f, 0.5f, 0.25f, 0.5f, 0, 1}},
                 {PathStep::Op::Close, {}}};
    add(star);
    FillControlLists(wb);
    return wb;
}

}  // namespace

TEST(HtmlGolden, Pages) {
    HtmlOptions o;
    o.title = "report";
    ExpectGolden("report", RenderHtml(Report(), o));
    ExpectGolden("three_sheets", RenderHtml(ThreeSheets(), {}));
    ExpectGolden("sparse", RenderHtml(Sparse(), {}));
    ExpectGolden("drawings", RenderHtml(Drawings(), {}));
    ExpectGolden("lists", RenderHtml(Lists(), {}));
}
