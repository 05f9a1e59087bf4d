#pragma once
// A chart drawn as one inline SVG element: shapes for the data, text as
// text, nothing that runs or loads anything.
#include <string>
#include <string_view>

#include "sheets/model/Chart.h"

namespace sheets::chart {

// What one drawing may hold: past this many points in all, the chart is a
// placeholder (which says why).
constexpr size_t kMaxDrawnPoints = 65536;

// Appends `<svg role="img" aria-label="TITLE">` of `width` by `height` CSS
// pixels; `style` is put in its style attribute (its place on the page).
// Charts that cannot be drawn get a framed placeholder of the same size
// with their title and "chart not shown".
void AppendChartSvg(std::string& out, const Chart& chart, int width, int height, bool date1904,
                    std::string_view style = {});

// The title shown: the chart's own; a chart of one series is titled with its
// name unless the title was deleted; a title without text says the same or
// "Chart Title".
ChartText ShownTitle(const Chart& chart);
// The label a reader hears: the shown title's text, or "Chart".
std::string ChartLabel(const Chart& chart);

}  // namespace sheets::chart
