#include <algorithm>
#include <cmath>

#include "sheets/chart/Cartesian.h"

namespace sheets::chart {

void DrawBars(Ctx& ctx, const Bound& b, const Rect& plot) {
    const ChartGroup& g = *b.g;
    const AxisView& cat = *b.cat;
    const AxisView& val = *b.val;
    const size_t ns = g.series.size();
    if (ns == 0) return;
    const bool stacked = g.grouping == Grouping::Stacked || g.grouping == Grouping::PercentStacked;
    const Stacked st = StackValues(g, cat.count);
    // Within a category's slot: the gap (a share of one bar) and the bars,
    // side by side or overlapping.
    const double slot = cat.SlotPx();
    const double k = stacked ? 1 : double(ns);
    const double overlap = stacked ? 1 : g.overlap / 100.0;
    const double gap = g.gapWidth / 100.0;
    const double bar = slot / std::max(k - (k - 1) * overlap + gap, 0.05);
    const double dir = cat.a1 >= cat.a0 ? 1 : -1;
    const double base = val.Pos(BaseValue(val));
    for (size_t si = 0; si < ns; ++si) {
        const ChartSeries& s = g.series[si];
        const ChartLabels& labels = LabelsOf(g, s);
        const size_t n = std::min(cat.count, st.hi[si].size());
        double total = 0;
        for (double v : s.values)
            if (!std::isnan(v)) total += std::fabs(v);
        const double offset = stacked ? 0 : double(si) * bar * (1 - overlap);
        for (size_t i = 0; i < n; ++i) {
            const double top = st.hi[si][i];
            if (std::isnan(top)) continue;
            const double start = cat.CatPos(double(i)) - dir * slot / 2 + dir * (gap * bar / 2 + offset);
            const double end = start + dir * bar;
            const double v0 = stacked ? val.Pos(st.lo[si][i]) : base;
            const double v1 = val.Pos(top);
            const Pt p0 = At(b, start, v0), p1 = At(b, end, v1);
            Rect r{std::min(p0.x, p1.x), std::min(p0.y, p1.y), std::fabs(p1.x - p0.x), std::fabs(p1.y - p0.y)};
            const ChartPoint* own = ctx.PointOf(s, i);
            const ChartShape& shape = own ? own->shape : s.shape;
            uint32_t fill = ctx.PointFill(g, s, i, n);
            const double raw = i < s.values.size() ? s.values[i] : 0;
            if (s.invertIfNegative && raw < 0 && !(own && own->shape.fill == ChartShape::Fill::Solid)) fill = 0xFFFFFF;
            Paint p = ctx.ShapePaint(shape, fill, true, fill, false, 0.75);
            if (s.invertIfNegative && raw < 0 && !p.stroke)
                p = ctx.ShapePaint(shape, fill, true, ctx.SeriesFill(s), true, 0.75);
            // A bar of no height is still a hairline, as on screen.
            if (r.w < 0.5 && b.cat->vertical) r.w = 0.5;
            if (r.h < 0.5 && !b.cat->vertical) r.h = 0.5;
            ctx.cv.Rectangle(r, p);
            if (labels.set && !labels.deleted) {
                const std::string text = LabelText(ctx, labels, s, i, total);
                // Outside the end for side-by-side bars, inside for stacks.
                LabelPos pos = labels.pos;
                if (pos == LabelPos::Auto || pos == LabelPos::BestFit)
                    pos = stacked ? LabelPos::Center : LabelPos::OutsideEnd;
                const double mid = (start + end) / 2;
                const double sign = (v1 >= v0 ? 1 : -1);
                double across = (v0 + v1) / 2;
                const TextStyle ts = ctx.Style(labels.font);
                const double half = b.cat->vertical ? TextWidth(text, ts) / 2 + 3 : ts.LineHeight() / 2 + 1;
                if (pos == LabelPos::OutsideEnd) across = v1 + sign * half;
                else if (pos == LabelPos::InsideEnd) across = v1 - sign * half;
                else if (pos == LabelPos::InsideBase) across = v0 + sign * half;
                const Pt at = At(b, mid, across);
                DrawDataLabel(ctx, labels, text, at.x, at.y, plot);
            }
        }
    }
}

}  // namespace sheets::chart
