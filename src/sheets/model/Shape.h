#pragma once
// A shape drawn over the grid (a rectangle, an arrow, a text box, a line, a
// freeform, a static form control): its geometry, its look and its text,
// with colours resolved to RGB by the reader.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/Chart.h"
#include "sheets/model/Workbook.h"

namespace sheets {

// What one drawing may hold; past these the reader drops the rest, so that
// no drawing part or record can make the page unbounded.
constexpr size_t kShapeMaxPerSheet = 4096;
constexpr size_t kShapeMaxPathPoints = 4096;  // per shape
constexpr size_t kShapeMaxTextBytes = 32768;  // per shape
constexpr int kShapeMaxGroupDepth = 16;
constexpr size_t kControlMaxItems = 1024;  // per drop-down or list box
constexpr int64_t kDropButtonEmu = 16 * 9525;  // the width of a drop-down's arrow button

struct ShapeRun {
    std::string text;  // "\n" breaks the line
    ChartFont font;  // unset fields: the shape's default
    bool underline = false;
    std::string face;  // typeface; empty: the shape's default
};

struct ShapeParagraph {
    HAlign align = HAlign::Left;  // Left, Center, Right or Justify
    Color fill;  // the line's background (a list's selected item); unset: none
    std::vector<ShapeRun> runs;
};

// One step of a freeform outline, in fractions of the shape's box.
struct PathStep {
    enum class Op : uint8_t { Move, Line, Cubic, Close } op = Op::Move;
    float pt[6] = {};  // x,y pairs: one for Move and Line, three for Cubic
};

enum class ControlKind : uint8_t {
    None,
    Button,
    CheckBox,
    OptionButton,
    DropDown,
    ListBox,
    GroupBox,
    Label,
    Spinner,
    ScrollBar,
    EditBox
};

struct Shape {
    // The anchor's box on the sheet, and inside it the shape's own box as
    // fractions of it: 0,0,1,1 for a shape anchored alone; a group's
    // members share the group's anchor.
    Anchor from, to;  // to == from with size: one-cell anchors
    int64_t widthEmu = 0, heightEmu = 0;
    double x = 0, y = 0, w = 1, h = 1;

    std::string geometry = "rect";  // a preset name; "path" draws `path`
    std::vector<PathStep> path;
    double adjust = -1;  // the preset's first adjustment as a fraction; < 0 its default
    ChartShape look;  // fill and outline; automatic ones are drawn as none
    bool headArrow = false, tailArrow = false;  // lines: arrowheads at the start, at the end
    double rotation = 0;  // degrees, clockwise
    bool flipH = false, flipV = false;

    std::vector<ShapeParagraph> text;
    ChartFont font;  // the text's default
    VAlign anchor = VAlign::Top;  // Top, Center or Bottom
    bool vertical = false;  // text turned a quarter clockwise
    int64_t inset[4] = {91440, 45720, 91440, 45720};  // EMU: left, top, right, bottom

    ControlKind control = ControlKind::None;
    bool checked = false;  // check boxes and option buttons
    // Drop-downs and list boxes: the cells their items come from ("$A$1:$A$8",
    // "'Other sheet'!A1:A8"; without a sheet, the control's own), the cell
    // whose number is the selected item, and the items once read.
    std::string listRange, linkCell;
    std::vector<std::string> items;
    uint32_t selected = 0;  // 1-based; 0: none
    std::string name;
};

}  // namespace sheets

namespace sheets {

// Gives a form control (`control` set) the look of the static control it
// shows: the box it is drawn in, the mark of a check box or option button as
// `checked` says, and its caption (the shape's text).
void DressControl(Shape& s);

// Shows a drop-down's selected item in its box, or a list box's items with
// the selected one highlighted, from `items` and `selected`.
void DressList(Shape& s);

}  // namespace sheets
