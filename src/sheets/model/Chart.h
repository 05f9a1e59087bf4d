#pragma once
// A chart as its part describes it, with the values cached there: what the
// chart drawer needs and nothing it would have to look up elsewhere. Colours
// are resolved to RGB by the reader; "automatic" ones stay unset and the
// drawer picks them as the spreadsheet does (from `accents` and the style).
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"

namespace sheets {

// What one chart may hold; past these the reader stops and says so in
// Chart::note, so that no part can make the page or the drawing unbounded.
constexpr size_t kChartMaxSeries = 256;
constexpr size_t kChartMaxPoints = 4096;  // per series
constexpr size_t kChartMaxTextBytes = 1024;  // per label or category text

enum class LineDash : uint8_t { Solid, Dot, Dash, DashDot, LongDash, LongDashDot, LongDashDotDot, SysDash, SysDot };

struct ChartLine {
    bool none = false;  // explicitly no line
    Color color;  // unset: automatic
    double width = -1;  // points; < 0 automatic
    LineDash dash = LineDash::Solid;
    double alpha = 1;
};

struct ChartShape {
    enum class Fill : uint8_t { Auto, None, Solid } fill = Fill::Auto;
    Color color;  // for Solid
    double alpha = 1;
    ChartLine line;
};

// Text properties: unset fields inherit from the element's default.
struct ChartFont {
    double size = 0;  // points; 0 inherit
    int8_t bold = -1, italic = -1;  // -1 inherit
    Color color;
};

struct ChartRun {
    std::string text;
    ChartFont font;
};

struct ChartText {
    std::vector<ChartRun> runs;  // "\n" inside a run breaks the line
    ChartFont font;  // the paragraph's default
    double rotation = 0;  // degrees, clockwise; NaN: the element's default
    bool present = false;
    std::string Plain() const {
        std::string s;
        for (const auto& r : runs) s += r.text;
        return s;
    }
};

// Relative position of an element inside the chart area (manual layout),
// as fractions of the chart's width and height.
struct ChartLayout {
    bool set = false;
    bool inner = false;  // the plot area's inner rectangle (without tick labels)
    double x = 0, y = 0, w = 0, h = 0;
};

enum class MarkerSymbol : uint8_t { Auto, None, Circle, Square, Diamond, Triangle, X, Star, Dash, Dot, Plus };

struct ChartMarker {
    MarkerSymbol symbol = MarkerSymbol::Auto;
    int size = 0;  // points, 2..72; 0 automatic
    ChartShape shape;
};

enum class LabelPos : uint8_t { Auto, Center, InsideEnd, InsideBase, OutsideEnd, Left, Right, Above, Below, BestFit };

struct ChartLabels {
    bool set = false;  // this level says something about labels
    bool deleted = false;
    bool value = false, category = false, percent = false, seriesName = false;
    LabelPos pos = LabelPos::Auto;
    std::string numFmt;  // empty: the values' format
    std::string separator = ", ";
    ChartFont font;
};

struct ChartPoint {  // one data point's own look (c:dPt)
    uint32_t index = 0;
    ChartShape shape;
    ChartMarker marker;
    bool hasMarker = false;
    uint32_t explosion = 0;  // percent of the radius
};

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

struct ChartSeries {
    uint32_t index = 0;  // c:idx: picks the automatic colour
    uint32_t order = 0;
    std::string name;
    // Values by point index; NaN where a point has no number.
    std::vector<double> values;
    std::string valueFormat = "General";
    // Categories (or scatter x values): text labels, numbers or both; the
    // longer of the two decides the point count of the categories.
    std::vector<std::string> categories;  // innermost level of multi-level ones
    std::vector<std::string> outerCategories;  // the outer levels' labels joined, "" between groups
    std::vector<double> categoryNumbers;
    std::string categoryFormat = "General";
    bool numericCategories = false;
    std::vector<double> bubbleSizes;
    ChartShape shape;
    ChartMarker marker;
    bool smooth = false;
    uint32_t explosion = 0;
    bool invertIfNegative = false;
    ChartLabels labels;
    std::vector<ChartPoint> points;  // ascending index
    // Formulas whose cached values are missing from the part; the reader
    // fills them from the workbook's cells once all sheets are read.
    std::string nameRef, valuesRef, categoriesRef, bubbleRef;
};

enum class ChartKind : uint8_t { Bar, Line, Area, Pie, Doughnut, Scatter, Bubble, Radar };
enum class Grouping : uint8_t { Standard, Clustered, Stacked, PercentStacked };

struct ChartGroup {
    ChartKind kind = ChartKind::Bar;
    bool horizontal = false;  // bars drawn left to right
    Grouping grouping = Grouping::Clustered;
    bool varyColors = false;
    bool markers = true;  // line charts: c:marker
    bool radarFilled = false, radarMarkers = true;
    bool scatterLines = true, scatterMarkers = true, scatterSmooth = false;
    int gapWidth = 150;  // percent
    int overlap = 0;  // percent, -100..100
    int holeSize = 50;  // doughnut, percent
    int firstSliceAngle = 0;  // degrees
    int bubbleScale = 100;
    bool dropLines = false, hiLowLines = false;
    bool threeD = false;  // a 3-D variant, drawn flat
    ChartLabels labels;
    std::vector<uint32_t> axisIds;
    std::vector<ChartSeries> series;
};

enum class AxisKind : uint8_t { Category, Value, Date, Series };
enum class AxisPos : uint8_t { Bottom, Left, Right, Top };
enum class TickLabels : uint8_t { NextTo, Low, High, None };
enum class TickMark : uint8_t { None, In, Out, Cross };
enum class Crosses : uint8_t { AutoZero, Min, Max, At };

struct ChartAxis {
    uint32_t id = 0, crossAxis = 0;
    AxisKind kind = AxisKind::Value;
    AxisPos pos = AxisPos::Left;
    bool deleted = false;
    bool reversed = false;
    double logBase = 0;  // 0: linear
    double min = kNoValue, max = kNoValue, majorUnit = kNoValue, minorUnit = kNoValue;
    double displayUnit = 1;
    std::string displayUnitLabel;  // shown beside the labels ("Thousands"); empty: none
    std::string numFmt;  // empty: the source's
    bool sourceLinked = true;
    bool majorGrid = false, minorGrid = false;
    ChartLine gridLine, minorGridLine;
    ChartLine line;
    TickLabels tickLabels = TickLabels::NextTo;
    TickMark majorTick = TickMark::Out, minorTick = TickMark::None;
    Crosses crosses = Crosses::AutoZero;
    double crossesAt = 0;
    bool between = true;  // crossBetween: categories between tick marks
    uint32_t labelSkip = 0, markSkip = 0;  // 0 automatic
    ChartText title;
    ChartFont font;
    double labelRotation = kNoValue;  // degrees clockwise; NaN automatic
};

enum class LegendPos : uint8_t { Right, Left, Top, Bottom, TopRight };

struct ChartLegend {
    bool present = false;
    LegendPos pos = LegendPos::Right;
    bool overlay = false;
    ChartLayout layout;
    ChartFont font;
    ChartShape shape;
    std::vector<uint32_t> deletedEntries;
};

struct Chart {
    Anchor from, to;  // as pictures are anchored
    int64_t widthEmu = 0, heightEmu = 0;
    std::string name;
    ChartText title;
    bool autoTitleDeleted = false;
    ChartLayout titleLayout;
    bool titleOverlay = false;
    std::vector<ChartGroup> groups;
    std::vector<ChartAxis> axes;
    ChartLegend legend;
    ChartShape chartArea, plotArea;
    ChartLayout plotLayout;
    ChartFont font;  // the chart's text default
    int style = 2;  // 1..48
    bool roundedCorners = false;
    bool blanksAsGap = true;
    // Theme: dk1 lt1 dk2 lt2 accent1..6, for automatic colours.
    std::array<uint32_t, 10> scheme{0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1, 0x4F81BD,
                                    0xC0504D, 0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646};
    // Set when the chart cannot be drawn: the kind of chart it is ("stock",
    // "surface", ...). The drawer shows a framed placeholder instead.
    std::string unsupported;
    // What the reader left out (caps reached), said in the drawing.
    std::string note;
};

}  // namespace sheets
