#pragma once
// Conditional formats as the readers find them: rules over ranges, evaluated
// by sheets/cond on the cells' cached values and drawn by the HTML writer.
// Included at the end of Workbook.h, which holds them in Styles and Sheet.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"

namespace sheets {

// A differential format: only what it sets changes a matching cell's look.
struct DiffFormat {
    Color fontColor;  // set: replaces the font colour
    int8_t bold = -1, italic = -1, strike = -1, underline = -1;  // 0 or 1; -1: as the cell has it
    Color fill;  // set: the background
    BorderSide left, right, top, bottom;  // None: as the cell has it
    // Table styles only: the lines between the cells of the area they format.
    BorderSide vertical, horizontal;
    bool operator==(const DiffFormat&) const = default;
};

enum class CfKind : uint8_t {
    CellIs,
    Expression,
    ColorScale,
    DataBar,
    IconSet,
    Top10,
    AboveAverage,
    Duplicate,
    Unique,
    ContainsText,
    NotContainsText,
    BeginsWith,
    EndsWith,
    Blanks,
    NoBlanks,
    Errors,
    NoErrors,
    TimePeriod,
    Unknown,  // read but not understood: never applied
};

enum class CfOperator : uint8_t { Between, NotBetween, Equal, NotEqual, Greater, Less, GreaterEqual, LessEqual };

enum class CfPeriod : uint8_t {
    Today,
    Yesterday,
    Tomorrow,
    Last7Days,
    ThisWeek,
    LastWeek,
    NextWeek,
    ThisMonth,
    LastMonth,
    NextMonth
};

// A point of a colour scale, a data bar or an icon set.
struct CfPoint {
    // AutoMin and AutoMax (data bars of 2010 and later): the lowest value or
    // zero, whichever is lower; the highest value or zero, whichever is higher.
    enum class Kind : uint8_t { Min, Max, Number, Percent, Percentile, Formula, AutoMin, AutoMax } kind = Kind::Min;
    double value = 0;  // Number, Percent, Percentile
    std::string formula;  // Formula (also a Number stored as a formula)
    bool gte = true;  // icon sets: the icon starts at >= the point (else >)
};

enum class IconSetKind : uint8_t {
    Arrows3,
    ArrowsGray3,
    Flags3,
    TrafficLights3,
    TrafficLightsRimmed3,
    Signs3,
    Symbols3,
    SymbolsCircled3,
    Stars3,
    Triangles3,
    Arrows4,
    ArrowsGray4,
    RedToBlack4,
    Rating4,
    TrafficLights4,
    Arrows5,
    ArrowsGray5,
    Rating5,
    Quarters5,
    Boxes5
};

// Where a data bar's axis stands: at zero on the bar's scale, in the middle
// of the cell, or nowhere (negative bars then grow from the left as others do).
enum class BarAxis : uint8_t { Automatic, Middle, None };

// One icon of an icon set whose icons were picked one by one.
struct CfIcon {
    IconSetKind set = IconSetKind::TrafficLights3;
    int8_t index = -1;  // into that set's icons, lowest first; -1 no icon at this level
    bool operator==(const CfIcon&) const = default;
};

struct CondRule {
    CfKind kind = CfKind::Unknown;
    uint32_t priority = 0;  // lower numbers first
    bool stopIfTrue = false;
    int32_t diff = -1;  // index into Styles::diffs; -1 none
    // A format the rule carries itself (rules of 2010 and later keep theirs
    // beside the rule); when set, `diff` is not used.
    std::optional<DiffFormat> ownDiff;
    CfOperator op = CfOperator::Equal;  // CellIs
    // Formulas as stored, without '=': CellIs operands, the Expression, the
    // text of text rules. Relative references are relative to the top-left
    // cell of the format's first range.
    std::vector<std::string> formulas;
    std::string text;  // ContainsText, NotContainsText, BeginsWith, EndsWith
    double rank = 10;  // Top10
    bool percent = false, bottom = false;  // Top10
    bool below = false, equalAverage = false;  // AboveAverage
    int32_t stdDev = 0;  // AboveAverage: 0 the mean itself, else that many standard deviations away
    CfPeriod period = CfPeriod::Today;
    std::vector<CfPoint> points;  // ColorScale, DataBar (2), IconSet (one per icon)
    std::vector<Color> colors;  // ColorScale: one per point; DataBar: the bar
    bool showValue = true;  // DataBar, IconSet
    uint8_t barMinLength = 10, barMaxLength = 90;  // DataBar: percent of the cell's width
    bool barGradient = true;  // DataBar: fades to white (else solid)
    // DataBar, as bars of 2010 and later describe themselves: when
    // barExtended, negative values grow from an axis in their own colours.
    bool barExtended = false;
    Color barBorder;  // set: the bar's outline
    Color barNegative, barNegativeBorder;  // set: negative bars' fill and outline; else as the others
    BarAxis barAxis = BarAxis::Automatic;
    Color barAxisColor;  // unset: black
    bool barRightToLeft = false;
    IconSetKind iconSet = IconSetKind::TrafficLights3;
    bool reverse = false;  // IconSet
    std::vector<CfIcon> icons;  // IconSet: one per point when picked one by one; else empty
};

struct CondFormat {
    std::vector<Range> ranges;
    std::vector<CondRule> rules;
};

}  // namespace sheets
