// Drop-downs and list boxes: their items from the cells a range names, the
// selected one from the control or its linked cell, and how the page shows them.
#include <gtest/gtest.h>

#include <memory>

#include "HtmlSupport.h"
#include "sheets/model/ControlLists.h"
#include "sheets/model/Shape.h"

using namespace htmltest;
using namespace sheets;

namespace {

Shape List(ControlKind kind, std::string range, uint32_t selected = 0, std::string link = "") {
    Shape s;
    s.from = Anchor{1, 1};
    s.to = Anchor{3, 6};
    s.control = kind;
    s.listRange = std::move(range);
    s.linkCell = std::move(link);
    s.selected = selected;
    DressControl(s);
    return s;
}

// A form sheet with its controls, and a data sheet whose name needs quotes.
Workbook Form(std::vector<Shape> shapes) {
    Workbook wb = OneSheet("Form");
    wb.sheets.emplace_back().name = "Data's";
    CellFormat money;
    money.numFmt = "0.00";
    wb.styles.formats.push_back(money);
    Sheet& data = wb.sheets[1];
    PutText(wb, data, 0, 0, "Red");
    PutNumber(data, 1, 0, 2.5, 1);
    PutNumber(data, 3, 0, 7);
    Sheet& form = wb.sheets[0];
    PutText(wb, form, 0, 1, "North");
    PutText(wb, form, 1, 1, "South");
    PutText(wb, form, 2, 1, "West");
    PutNumber(form, 0, 2, 3);
    PutNumber(form, 0, 3, 1.7);
    for (auto& s : shapes) form.shapes.push_back(std::make_shared<const Shape>(std::move(s)));
    FillControlLists(wb);
    return wb;
}

std::string Texts(const Shape& s) {
    std::string out;
    for (const auto& p : s.text)
        for (const auto& r : p.runs) out += r.text + "|";
    return out;
}

}  // namespace

TEST(ControlLists, ItemsComeFromTheNamedCellsAsTheyShow) {
    const Workbook wb =
        Form({List(ControlKind::DropDown, "'Data''s'!$A$1:$A$4", 2), List(ControlKind::ListBox, "$B$1:$B$3", 0, "$C$1"),
              List(ControlKind::ListBox, "=B1:D1", 0, "Form!C1")});
    const auto& shapes = wb.sheets[0].shapes;
    const Shape& drop = *shapes[0];
    EXPECT_EQ(drop.items, (std::vector<std::string>{"Red", "2.50", "", "7"}));
    EXPECT_EQ(Texts(drop), "2.50|");
    EXPECT_EQ(drop.geometry, "dropDown");
    const Shape& list = *shapes[1];
    EXPECT_EQ(list.selected, 3u);  // from the linked cell
    ASSERT_EQ(list.text.size(), 3u);
    EXPECT_EQ(Texts(list), "North|South|West|");
    EXPECT_FALSE(list.text[0].fill.set);
    EXPECT_TRUE(list.text[2].fill.set);
    EXPECT_EQ(list.text[2].runs[0].font.color, Color::Rgb(0xFFFFFF));
    // A range along a row lists across it.
    EXPECT_EQ(Texts(*shapes[2]), "North|3|1.7|");
}

TEST(ControlLists, WhatCannotBeResolvedLeavesAnEmptyBox) {
    const Workbook wb =
        Form({List(ControlKind::DropDown, "Nowhere!A1:A3", 1), List(ControlKind::DropDown, "MyNamedList", 1),
              List(ControlKind::ListBox, "$B$1:$B$3", 9),  // past the list
              List(ControlKind::ListBox, "$B$1:$B$3", 0, "$D$1"),  // a fraction: item 1
              List(ControlKind::DropDown, "$A$1:$A$1048576", 0, "$B$1"),  // a text link
              List(ControlKind::DropDown, "[1]Sheet1!A1:A3", 1)});
    const auto& shapes = wb.sheets[0].shapes;
    EXPECT_TRUE(shapes[0]->items.empty());
    EXPECT_TRUE(shapes[0]->text.empty());
    EXPECT_TRUE(shapes[1]->text.empty());
    EXPECT_EQ(shapes[2]->selected, 0u);
    for (const auto& p : shapes[2]->text) EXPECT_FALSE(p.fill.set);
    EXPECT_EQ(shapes[3]->selected, 1u);
    EXPECT_EQ(shapes[4]->items.size(), kControlMaxItems);  // a whole column is cut short
    EXPECT_EQ(shapes[4]->selected, 0u);
    EXPECT_TRUE(shapes[5]->text.empty());
}

TEST(ControlLists, PageShowsTheSelectedItemInView) {
    std::vector<Shape> shapes;
    Shape drop = List(ControlKind::DropDown, "B1:B3", 2);
    shapes.push_back(drop);
    Shape list = List(ControlKind::ListBox, "B1:B3", 3);
    list.to = Anchor{3, 2};  // two rows of 20 px: two items fit
    shapes.push_back(list);
    const std::string page = Body(Render(Form(shapes)));
    EXPECT_NE(page.find(">South</span>"), std::string::npos);
    // The arrow's button is drawn, not written.
    EXPECT_EQ(page.find("\xE2\x96\xBE"), std::string::npos);
    // Scrolled: North is above the box, West is shown highlighted.
    EXPECT_EQ(Count(page, ">North</span>"), 0u);
    EXPECT_NE(page.find("background:#0078d7;text-align:left\"><span style=\"color:#ffffff;\">West"), std::string::npos);
    EXPECT_NE(page.find("overflow:hidden"), std::string::npos);
}
