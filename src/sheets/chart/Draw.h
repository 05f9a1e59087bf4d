#pragma once
// What the parts of the chart drawer share: the chart, its canvas, text
// styles and number formats, the series' colours.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sheets/chart/Canvas.h"
#include "sheets/model/Chart.h"
#include "sheets/numfmt/NumberFormat.h"

namespace sheets::chart {

constexpr double kPxPerPt = 96.0 / 72.0;

class Ctx {
public:
    Ctx(const Chart& chart, bool date1904, std::string& out);

    const Chart& chart;
    bool date1904;
    Canvas cv;
    size_t dataLabels = 0;  // drawn so far; capped
    bool exactPlot = false;  // the plot box is the inner plot area (a manual layout says so)

    // The chart's text default, and an element's text on top of its default.
    TextStyle Base() const { return base_; }
    TextStyle Style(const ChartFont& f, const TextStyle& def) const;
    TextStyle Style(const ChartFont& f) const { return Style(f, base_); }

    std::string Format(double v, const std::string& code);

    // How many colours automatic colouring spreads over (single-colour styles).
    uint32_t SeriesCount() const { return seriesCount_; }
    uint32_t AutoColor(uint32_t index, uint32_t count) const;
    // A series' fill and line colour: its own, otherwise the automatic one.
    uint32_t SeriesFill(const ChartSeries& s) const;
    uint32_t SeriesLine(const ChartSeries& s) const;
    // Point `i` of a series whose group varies colours by point, or that
    // has a look of its own (c:dPt).
    const ChartPoint* PointOf(const ChartSeries& s, size_t i) const;
    uint32_t PointFill(const ChartGroup& g, const ChartSeries& s, size_t i, size_t n) const;

    // A line as drawn, or false when it is not drawn.
    bool LinePaint(const ChartLine& l, uint32_t autoColor, double autoWidthPt, bool autoShown, Paint& p) const;
    // The area paint of a shape (fill and outline).
    Paint ShapePaint(const ChartShape& s, uint32_t autoFill, bool autoFilled, uint32_t autoLine, bool autoLined,
                     double autoLineWidthPt) const;

private:
    TextStyle base_;
    uint32_t seriesCount_ = 0;
};

// The families of charts. Each draws into `plot`, the plot area's box.
void DrawCartesian(Ctx& ctx, Rect plot);
void DrawPie(Ctx& ctx, Rect plot, const ChartGroup& g);
void DrawRadar(Ctx& ctx, Rect plot, const ChartGroup& g);

// The legend's box for the chart's entries within `area`, drawn; returns
// what remains of `area` for the plot.
Rect DrawLegend(Ctx& ctx, Rect area);
// Whether the legend lists the first series' points rather than the series.
bool LegendByPoint(const Chart& chart);

// The text a data label shows for point `i` (empty: none).
std::string LabelText(Ctx& ctx, const ChartLabels& l, const ChartSeries& s, size_t i, double total);
// The labels that apply to a series (its own, else its group's).
const ChartLabels& LabelsOf(const ChartGroup& g, const ChartSeries& s);

// A data label centred at (x, y) (clamped into the plot).
void DrawDataLabel(Ctx& ctx, const ChartLabels& l, const std::string& text, double x, double y, const Rect& plot);

// Automatic marker symbols, by series index.
MarkerSymbol AutoMarker(uint32_t index);

// The category text of point `i` (formatted number, text or "i+1").
std::string CategoryText(Ctx& ctx, const ChartSeries& s, size_t i);

}  // namespace sheets::chart
