#include <algorithm>
#include <cmath>

#include "sheets/chart/Cartesian.h"
#include "sheets/chart/Svg.h"

namespace sheets::chart {

namespace {

double MarkerPx(const ChartMarker& m) { return (m.size > 0 ? m.size : 5) * kPxPerPt + 1; }

}  // namespace

void DrawLines(Ctx& ctx, const Bound& b, const Rect& plot, bool areas) {
    const ChartGroup& g = *b.g;
    const AxisView& cat = *b.cat;
    const AxisView& val = *b.val;
    const size_t ns = g.series.size();
    const Stacked st = StackValues(g, cat.count);
    const double base = val.Pos(BaseValue(val));
    const bool stacked = g.grouping == Grouping::Stacked || g.grouping == Grouping::PercentStacked;
    for (size_t si = 0; si < ns; ++si) {
        const ChartSeries& s = g.series[si];
        const size_t n = std::min(cat.count, st.hi[si].size());
        const uint32_t color = areas ? ctx.SeriesFill(s) : ctx.SeriesLine(s);
        if (areas) {
            // The band between this series and the one below it (or the base).
            std::vector<Pt> top, bottom;
            for (size_t i = 0; i < n; ++i) {
                double v = st.hi[si][i];
                if (std::isnan(v)) v = stacked ? st.lo[si][i] : BaseValue(val);
                const double along = cat.PointPos(s, i);
                top.push_back(At(b, along, val.Pos(v)));
                bottom.push_back(At(b, along, stacked ? val.Pos(st.lo[si][i]) : base));
            }
            if (top.empty()) continue;
            if (top.size() == 1) {
                // One point still covers its category.
                const double w = cat.SlotPx() / 2;
                const Pt c = top[0], d = bottom[0];
                top = {At(b, cat.PointPos(s, 0) - w, b.cat->vertical ? c.x : c.y),
                       At(b, cat.PointPos(s, 0) + w, b.cat->vertical ? c.x : c.y)};
                bottom = {At(b, cat.PointPos(s, 0) - w, b.cat->vertical ? d.x : d.y),
                          At(b, cat.PointPos(s, 0) + w, b.cat->vertical ? d.x : d.y)};
            }
            std::string d = "M" + Num(top[0].x) + "," + Num(top[0].y);
            for (size_t i = 1; i < top.size(); ++i) d += "L" + Num(top[i].x) + "," + Num(top[i].y);
            for (size_t i = bottom.size(); i-- > 0;) d += "L" + Num(bottom[i].x) + "," + Num(bottom[i].y);
            d += "Z";
            ctx.cv.Path(d, ctx.ShapePaint(s.shape, color, true, color, false, 0.75));
        } else {
            Paint line;
            if (ctx.LinePaint(s.shape.line, color, 2.25, true, line)) {
                line.fill = false;
                // Blank points break the line unless the chart shows them as zero.
                std::vector<Pt> run;
                auto flush = [&] {
                    if (run.size() >= 2) ctx.cv.Path(LinePath(run, s.smooth), line);
                    run.clear();
                };
                for (size_t i = 0; i < n; ++i) {
                    double v = st.hi[si][i];
                    if (std::isnan(v) && !ctx.chart.blanksAsGap) v = stacked ? st.lo[si][i] : 0;
                    if (std::isnan(v) ||
                        (!stacked && i < s.values.size() && std::isnan(s.values[i]) && ctx.chart.blanksAsGap)) {
                        flush();
                        continue;
                    }
                    run.push_back(At(b, cat.PointPos(s, i), val.Pos(v)));
                }
                flush();
            }
            const bool markers = g.markers && s.marker.symbol != MarkerSymbol::None;
            for (size_t i = 0; i < n; ++i) {
                const double v = st.hi[si][i];
                if (std::isnan(v) || (i < s.values.size() && std::isnan(s.values[i]))) continue;
                const ChartPoint* own = ctx.PointOf(s, i);
                const ChartMarker& m = own && own->hasMarker ? own->marker : s.marker;
                if (markers && m.symbol != MarkerSymbol::None) {
                    const MarkerSymbol sym = m.symbol == MarkerSymbol::Auto ? AutoMarker(s.index) : m.symbol;
                    const Pt p = At(b, cat.PointPos(s, i), val.Pos(v));
                    ctx.cv.Marker(p.x, p.y, sym, MarkerPx(m), ctx.ShapePaint(m.shape, color, true, color, true, 0.75));
                }
            }
        }
        const ChartLabels& labels = LabelsOf(g, s);
        if (labels.set && !labels.deleted) {
            double total = 0;
            for (double v : s.values)
                if (!std::isnan(v)) total += std::fabs(v);
            const TextStyle ts = ctx.Style(labels.font);
            for (size_t i = 0; i < n; ++i) {
                const double v = st.hi[si][i];
                if (std::isnan(v)) continue;
                const Pt p = At(b, cat.PointPos(s, i), val.Pos(areas ? (stacked ? (st.lo[si][i] + v) / 2 : v / 2) : v));
                const std::string text = LabelText(ctx, labels, s, i, total);
                double x = p.x, y = p.y;
                if (!areas) {
                    const double w = TextWidth(text, ts) / 2 + 5;
                    switch (labels.pos) {
                    case LabelPos::Left: x -= w; break;
                    case LabelPos::Above: y -= ts.LineHeight() * 0.8; break;
                    case LabelPos::Below: y += ts.LineHeight() * 0.8; break;
                    case LabelPos::Center: break;
                    default: x += w; break;
                    }
                }
                DrawDataLabel(ctx, labels, text, x, y, plot);
            }
        }
    }
    // Drop lines from each point down to the category axis.
    if (g.dropLines && !areas)
        for (size_t i = 0; i < cat.count; ++i) {
            double top = NAN;
            for (size_t si = 0; si < ns; ++si)
                if (i < st.hi[si].size() && !std::isnan(st.hi[si][i]))
                    top = std::isnan(top) ? st.hi[si][i] : std::max(top, st.hi[si][i]);
            if (std::isnan(top)) continue;
            const Pt a = At(b, cat.PointPos(g.series[0], i), val.Pos(top)),
                     c = At(b, cat.PointPos(g.series[0], i), base);
            ctx.cv.Line(a.x, a.y, c.x, c.y, Paint::Stroke(0x000000, 0.75));
        }
}

}  // namespace sheets::chart
