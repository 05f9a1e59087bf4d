#include <algorithm>
#include <cmath>

#include "sheets/chart/Cartesian.h"

namespace sheets::chart {

void DrawScatter(Ctx& ctx, const Bound& b, const Rect& plot) {
    const ChartGroup& g = *b.g;
    const AxisView& xs = *b.cat;
    const AxisView& ys = *b.val;
    const bool bubbles = g.kind == ChartKind::Bubble;
    double maxSize = 0;
    if (bubbles)
        for (const auto& s : g.series)
            for (double v : s.bubbleSizes)
                if (!std::isnan(v)) maxSize = std::max(maxSize, std::fabs(v));
    // The largest bubble is a quarter of the plot's smaller side across, at 100 %.
    const double maxRadius = std::min(plot.w, plot.h) / 8 * g.bubbleScale / 100.0;
    for (const auto& s : g.series) {
        const size_t n = std::max(s.values.size(), s.categoryNumbers.size());
        const uint32_t color = bubbles ? ctx.SeriesFill(s) : ctx.SeriesLine(s);
        std::vector<Pt> pts;
        std::vector<size_t> index;
        for (size_t i = 0; i < n; ++i) {
            const double y = i < s.values.size() ? s.values[i] : kNoValue;
            const double x =
                s.numericCategories ? (i < s.categoryNumbers.size() ? s.categoryNumbers[i] : kNoValue) : double(i + 1);
            if (std::isnan(x) || std::isnan(y)) continue;
            pts.push_back(Pt{xs.Pos(x), ys.Pos(y)});
            index.push_back(i);
        }
        if (bubbles) {
            for (size_t k = 0; k < pts.size(); ++k) {
                const size_t i = index[k];
                const double size = i < s.bubbleSizes.size() ? std::fabs(s.bubbleSizes[i]) : 0;
                if (!(size > 0) || !(maxSize > 0)) continue;
                const double r = maxRadius * std::sqrt(size / maxSize);
                const uint32_t fill = ctx.PointFill(g, s, i, n);
                Paint p = ctx.ShapePaint(s.shape, fill, true, fill, false, 0.75);
                if (s.shape.fill == ChartShape::Fill::Auto) p.fillOpacity = 0.75;
                ctx.cv.Circle(pts[k].x, pts[k].y, r, p);
            }
        } else {
            // Lines unless the series (or a marker-only style) turns them off.
            const bool styleLines = g.scatterLines || s.shape.line.color.set || s.shape.line.width >= 0;
            Paint line;
            if (styleLines && ctx.LinePaint(s.shape.line, color, 2.25, true, line) && pts.size() >= 2) {
                line.fill = false;
                ctx.cv.Path(LinePath(pts, s.smooth || (g.scatterSmooth && !s.smooth && false)), line);
            }
            const bool markers =
                s.marker.symbol != MarkerSymbol::None && (g.scatterMarkers || s.marker.symbol != MarkerSymbol::Auto);
            for (size_t k = 0; markers && k < pts.size(); ++k) {
                const ChartPoint* own = ctx.PointOf(s, index[k]);
                const ChartMarker& m = own && own->hasMarker ? own->marker : s.marker;
                if (m.symbol == MarkerSymbol::None) continue;
                const MarkerSymbol sym = m.symbol == MarkerSymbol::Auto ? AutoMarker(s.index) : m.symbol;
                const double size = (m.size > 0 ? m.size : 5) * kPxPerPt + 1;
                ctx.cv.Marker(pts[k].x, pts[k].y, sym, size, ctx.ShapePaint(m.shape, color, true, color, true, 0.75));
            }
        }
        const ChartLabels& labels = LabelsOf(g, s);
        if (labels.set && !labels.deleted) {
            const TextStyle ts = ctx.Style(labels.font);
            for (size_t k = 0; k < pts.size(); ++k) {
                const std::string text = LabelText(ctx, labels, s, index[k], 0);
                DrawDataLabel(ctx, labels, text, pts[k].x + TextWidth(text, ts) / 2 + 5, pts[k].y, plot);
            }
        }
    }
}

}  // namespace sheets::chart
