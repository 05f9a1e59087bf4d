#pragma once
// The workbook model that every reader fills and the HTML writer reads.
// Readers resolve everything the writer needs: style inheritance, indexed,
// theme and tinted colours (to RGB), built-in number format ids (to codes).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sheets {

struct Chart;  // sheets/model/Chart.h
struct DiffFormat;  // sheets/model/CondFormat.h, included at the end
struct CondFormat;
struct Shape;  // sheets/model/Shape.h
struct Table;  // sheets/model/Table.h, included at the end
struct TableStyle;

// An RGB colour, or "automatic" (the writer's default).
struct Color {
    bool set = false;
    uint32_t rgb = 0;  // 0xRRGGBB
    static Color Rgb(uint32_t v) { return Color{true, v & 0xFFFFFF}; }
    bool operator==(const Color&) const = default;
};

enum class Underline : uint8_t { None, Single, Double, SingleAccounting, DoubleAccounting };
enum class VertAlignRun : uint8_t { Baseline, Superscript, Subscript };

struct Font {
    std::string name = "Calibri";
    double size = 11;  // points
    bool bold = false, italic = false, strike = false;
    Underline underline = Underline::None;
    VertAlignRun vertAlign = VertAlignRun::Baseline;
    Color color;
    bool operator==(const Font&) const = default;
};

// The hatch and dot patterns of pattern fills, in the order the formats list them.
enum class Hatch : uint8_t {
    None,
    DarkGray,
    MediumGray,
    LightGray,
    Gray125,
    Gray0625,
    DarkHorizontal,
    DarkVertical,
    DarkDown,
    DarkUp,
    DarkGrid,
    DarkTrellis,
    LightHorizontal,
    LightVertical,
    LightDown,
    LightUp,
    LightGrid,
    LightTrellis
};

struct Fill {
    // Pattern fills other than solid are drawn by `hatch` when it is known,
    // else shown as their foreground colour blended by the writer; None
    // means no background.
    enum class Pattern : uint8_t { None, Solid, Gray, Other } pattern = Pattern::None;
    Color fg, bg;
    Hatch hatch = Hatch::None;
    bool operator==(const Fill&) const = default;
};

enum class BorderStyle : uint8_t {
    None,
    Thin,
    Medium,
    Thick,
    Dashed,
    Dotted,
    Double,
    Hair,
    MediumDashed,
    DashDot,
    MediumDashDot,
    DashDotDot,
    MediumDashDotDot,
    SlantDashDot
};
struct BorderSide {
    BorderStyle style = BorderStyle::None;
    Color color;
    bool operator==(const BorderSide&) const = default;
};
struct Border {
    BorderSide left, right, top, bottom;
    bool operator==(const Border&) const = default;
};

enum class HAlign : uint8_t { General, Left, Center, Right, Fill, Justify, CenterContinuous, Distributed };
enum class VAlign : uint8_t { Bottom, Top, Center, Justify, Distributed };

struct Alignment {
    HAlign horizontal = HAlign::General;
    VAlign vertical = VAlign::Bottom;
    bool wrap = false;
    bool shrink = false;
    uint8_t indent = 0;
    // 0..90 counter-clockwise, 91..180 clockwise (90 - value), 255 stacked.
    uint8_t rotation = 0;
    bool operator==(const Alignment&) const = default;
};

// A cell format (an xf), fully resolved.
struct CellFormat {
    std::string numFmt = "General";  // the format code
    uint32_t font = 0;  // index into Styles::fonts
    uint32_t fill = 0;  // index into Styles::fills
    uint32_t border = 0;  // index into Styles::borders
    Alignment align;
    bool operator==(const CellFormat&) const = default;
};

struct Styles {
    std::vector<Font> fonts{Font{}};
    std::vector<Fill> fills{Fill{}};
    std::vector<Border> borders{Border{}};
    std::vector<CellFormat> formats{CellFormat{}};  // index 0 = the default
    std::vector<DiffFormat> diffs;  // the differential formats of conditional formats and table styles
    // The workbook's own table styles, and the built-in ones its tables use.
    std::vector<TableStyle> tableStyles;
    std::string defaultTableStyle;  // for tables whose style the workbook does not hold
};

// A run of rich text: bytes [start, start+length) of the string's text.
struct TextRun {
    uint32_t start = 0, length = 0;
    uint32_t font = 0;  // index into Styles::fonts
};
struct RichString {
    std::string text;  // UTF-8
    std::vector<TextRun> runs;  // empty: plain text in the cell's font
};

enum class CellType : uint8_t { Blank, Number, String, Bool, Error };

struct Cell {
    uint16_t col = 0;  // 0-based, < 16384
    CellType type = CellType::Blank;
    uint8_t pad = 0;
    uint32_t format = 0;  // index into Styles::formats
    union {
        double number;  // Number
        uint32_t string;  // String and Error: index into Workbook::strings
        bool boolean;  // Bool
    };
    Cell() : number(0) {}
};
static_assert(sizeof(Cell) == 16);

struct Row {
    uint32_t index = 0;  // 0-based, < 1048576
    double height = -1;  // points; < 0: the sheet default
    bool hidden = false;
    int32_t format = -1;  // row style (for cells absent from `cells`); -1 none
    std::vector<Cell> cells;  // ascending col
};

struct ColumnInfo {
    uint32_t first = 0, last = 0;  // 0-based inclusive
    double width = -1;  // in characters of the default font; < 0 default
    bool hidden = false;
    int32_t format = -1;
};

struct Range {
    uint32_t row1 = 0, col1 = 0, row2 = 0, col2 = 0;  // 0-based inclusive
};

struct Hyperlink {
    Range range;
    std::string target;  // external address (http:, mailto:, file path ...)
    std::string location;  // in-workbook location, e.g. "Sheet2!A1"
    std::string tooltip;
};

struct Anchor {
    uint32_t col = 0, row = 0;
    int64_t colOffset = 0, rowOffset = 0;  // EMU
    // Binary workbooks state offsets as parts of the cell's width and height (0..1).
    double colPart = 0, rowPart = 0;
};

struct Picture {
    Anchor from, to;  // to == from with size: one-cell anchors
    int64_t widthEmu = 0, heightEmu = 0;
    std::string contentType;  // image/png, image/jpeg, image/gif ...
    std::string data;  // the image bytes
    std::string description;
    double crop[4] = {};  // left, top, right, bottom: parts of the image cut off (negative: space added)
};

// A picture that a cell holds as its value: drawn inside the cell, scaled to
// fit it, in place of the error value the cell caches for readers that do not
// know pictures.
struct CellPicture {
    uint32_t row = 0, col = 0;
    std::string contentType;
    std::shared_ptr<const std::string> data;  // one image may fill many cells
    std::string description;
};

struct Comment {
    uint32_t row = 0, col = 0;
    std::string author;
    std::string text;
};

constexpr size_t kBackgroundMaxBytes = size_t(16) << 20;

enum class SheetKind : uint8_t { Worksheet, Chart, Macro, Dialog };
enum class Visibility : uint8_t { Visible, Hidden, VeryHidden };

struct Sheet {
    std::string name;
    SheetKind kind = SheetKind::Worksheet;
    Visibility visibility = Visibility::Visible;
    std::vector<Row> rows;  // ascending index
    std::vector<ColumnInfo> cols;  // ascending, non-overlapping
    double defaultColWidth = -1;  // characters; < 0: 8.43
    double defaultRowHeight = 15;  // points
    bool defaultRowsHidden = false;
    std::vector<Range> merges;
    std::vector<Hyperlink> links;
    std::vector<Picture> pictures;
    std::vector<CellPicture> cellPictures;  // by row, then column
    // Tiled behind the cells; only contentType and data are used, empty data:
    // none. Readers leave out images past kBackgroundMaxBytes.
    Picture background;
    std::vector<std::shared_ptr<const Chart>> charts;  // drawing order
    std::vector<std::shared_ptr<const Shape>> shapes;  // drawing order, group members flattened
    std::vector<Comment> comments;
    std::vector<CondFormat> condFormats;  // in the order stored; rules carry their priorities
    std::vector<Table> tables;
    bool showGridLines = true;
    bool rightToLeft = false;
    // Frozen panes: this many rows from the top and columns from the left
    // stay in view while the rest scrolls.
    uint32_t frozenRows = 0, frozenCols = 0;
};

struct Workbook {
    std::vector<Sheet> sheets;  // workbook order, chart sheets included
    uint32_t activeSheet = 0;  // index into sheets
    bool date1904 = false;
    bool hasVbaProject = false;
    Styles styles;
    std::vector<RichString> strings;  // shared strings, then inline ones
};

}  // namespace sheets

// The conditional formats' types complete the ones held above.
#include "sheets/model/CondFormat.h"
#include "sheets/model/Table.h"
