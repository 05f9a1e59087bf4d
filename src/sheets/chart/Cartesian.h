#pragma once
// Charts on two axes (bars, lines, areas, scatter, bubbles): the axes as
// laid out on the page, and the series drawers that use them.
#include <string>
#include <vector>

#include "sheets/chart/Draw.h"
#include "sheets/chart/Scale.h"

namespace sheets::chart {

struct AxisView {
    const ChartAxis* axis = nullptr;  // the part's description, or null
    ChartAxis own;  // stands in when the part describes none
    uint32_t id = 0;
    bool vertical = false;  // runs up the plot area
    bool category = false;  // positions by category (or by date)
    bool secondary = false;
    bool used = false;
    // Category axes.
    size_t count = 1;
    bool between = true;
    bool dates = false;
    double dateMin = 0, dateSpan = 1;  // days
    const ChartSeries* labelSource = nullptr;
    // Value axes.
    Scale scale;
    Scale labeled;  // the scale `ticks` were made for
    double dataMin = NAN, dataMax = NAN;
    bool percent = false;
    bool zeroBased = false;  // bars and areas grow from zero
    std::string format;
    // Page position: pixel of the start (minimum, first category) and end.
    double a0 = 0, a1 = 1;
    double cross = 0;  // where the perpendicular axis crosses, in page pixels
    // Labels.
    std::vector<std::pair<double, std::string>> ticks;  // position (value or category index), text
    double labelRotation = 0;
    size_t labelStep = 1;
    size_t labelLines = 1;
    double labelExtent = 0;  // how far labels reach from the axis line
    TextStyle labelStyle;

    const ChartAxis& A() const { return axis ? *axis : own; }
    bool Visible() const { return !A().deleted; }
    // A value's pixel (value axes); clamped well outside the plot so that
    // absurd data cannot produce absurd numbers.
    double Pos(double v) const;
    // The centre of category `i` (category axes).
    double CatPos(double i) const;
    // The pixel of point `i` of a series on this category axis.
    double PointPos(const ChartSeries& s, size_t i) const;
    double SlotPx() const;
};

struct Bound {
    const ChartGroup* g = nullptr;
    AxisView* cat = nullptr;  // category axis, or the x axis of scatter and bubble charts
    AxisView* val = nullptr;
};

// The value where bars and areas start (zero, or the axis edge nearest it).
double BaseValue(const AxisView& val);
// The values a group draws, stacked as its grouping says: [series][point]
// bottom and top.
struct Stacked {
    std::vector<std::vector<double>> lo, hi;
};
Stacked StackValues(const ChartGroup& g, size_t count);

// An (x, y) point of the plot from a category-axis and a value-axis position.
struct Pt {
    double x, y;
};
Pt At(const Bound& b, double along, double across);

void DrawBars(Ctx& ctx, const Bound& b, const Rect& plot);
void DrawLines(Ctx& ctx, const Bound& b, const Rect& plot, bool areas);
void DrawScatter(Ctx& ctx, const Bound& b, const Rect& plot);

// SVG path data of a line through the points; smooth with cubic curves.
std::string LinePath(const std::vector<Pt>& pts, bool smooth);

}  // namespace sheets::chart
