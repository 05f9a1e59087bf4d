#include <algorithm>
#include <cmath>

#include "sheets/chart/Draw.h"
#include "sheets/chart/Svg.h"

namespace sheets::chart {

namespace {

std::string Sector(double cx, double cy, double r0, double r1, double a0, double a1) {
    // Angles in radians, clockwise from twelve o'clock.
    auto px = [&](double r, double a) { return Num(cx + r * std::sin(a)) + "," + Num(cy - r * std::cos(a)); };
    const bool whole = a1 - a0 >= 2 * M_PI - 1e-6;
    if (whole) a1 = a0 + 2 * M_PI - 1e-4;
    const std::string large = a1 - a0 > M_PI ? "1" : "0";
    std::string d = "M" + px(r1, a0) + "A" + Num(r1) + "," + Num(r1) + " 0 " + large + " 1 " + px(r1, a1);
    if (r0 > 0) d += "L" + px(r0, a1) + "A" + Num(r0) + "," + Num(r0) + " 0 " + large + " 0 " + px(r0, a0) + "Z";
    else d += (whole ? "Z" : "L" + Num(cx) + "," + Num(cy) + "Z");
    return d;
}

}  // namespace

void DrawPie(Ctx& ctx, Rect plot, const ChartGroup& g) {
    if (g.series.empty()) return;
    const bool doughnut = g.kind == ChartKind::Doughnut;
    // A pie shows its first series; a doughnut shows every series as a ring.
    const size_t rings = doughnut ? g.series.size() : 1;
    uint32_t maxExplosion = 0;
    for (size_t r = 0; r < rings; ++r) {
        maxExplosion = std::max(maxExplosion, g.series[r].explosion);
        for (const auto& p : g.series[r].points) maxExplosion = std::max(maxExplosion, p.explosion);
    }
    const double cx = plot.x + plot.w / 2, cy = plot.y + plot.h / 2;
    double radius = std::max(1.0, std::min(plot.w, plot.h) / 2 - 4);
    radius /= 1 + std::min(maxExplosion, 400u) / 100.0;
    const double hole = doughnut ? radius * g.holeSize / 100.0 : 0;
    const double ringWidth = (radius - hole) / double(rings);
    for (size_t r = 0; r < rings; ++r) {
        const ChartSeries& s = g.series[r];
        const size_t n = s.values.size();
        double total = 0;
        for (double v : s.values)
            if (!std::isnan(v)) total += std::fabs(v);
        if (!(total > 0)) continue;
        const double r0 = hole + ringWidth * double(r), r1 = r0 + ringWidth;
        double angle = g.firstSliceAngle * M_PI / 180;
        const ChartLabels& labels = LabelsOf(g, s);
        struct Label {
            std::string text;
            double x, y;
        };
        std::vector<Label> texts;
        for (size_t i = 0; i < n; ++i) {
            const double v = std::isnan(s.values[i]) ? 0 : std::fabs(s.values[i]);
            const double sweep = v / total * 2 * M_PI;
            const ChartPoint* own = ctx.PointOf(s, i);
            const double explosion = (own && own->explosion ? own->explosion : s.explosion) / 100.0 * radius;
            const double mid = angle + sweep / 2;
            const double ox = doughnut ? 0 : explosion * std::sin(mid), oy = doughnut ? 0 : -explosion * std::cos(mid);
            if (sweep > 0) {
                const uint32_t fill = ctx.PointFill(g, s, i, n);
                Paint p = ctx.ShapePaint(own ? own->shape : s.shape, fill, true, 0xFFFFFF, true, 0.75);
                ctx.cv.Path(Sector(cx + ox, cy + oy, r0, r1, angle, angle + sweep), p);
            }
            if (labels.set && !labels.deleted && sweep > 0) {
                const std::string text = LabelText(ctx, labels, s, i, total);
                const TextStyle ts = ctx.Style(labels.font);
                double lr = (r0 + r1) / 2;
                if (!doughnut) {
                    if (labels.pos == LabelPos::OutsideEnd) lr = r1 + TextWidth(text, ts) / 2 + 6;
                    else if (labels.pos == LabelPos::InsideEnd) lr = r1 * 0.8;
                    else if (labels.pos == LabelPos::BestFit || labels.pos == LabelPos::Auto) lr = r1 * 0.65;
                    else lr = r1 * 0.55;
                }
                texts.push_back(Label{text, cx + ox + lr * std::sin(mid), cy + oy - lr * std::cos(mid)});
            }
            angle += sweep;
        }
        Rect bounds{plot.x - 40, plot.y - 10, plot.w + 80, plot.h + 20};
        for (const auto& t : texts) DrawDataLabel(ctx, labels, t.text, t.x, t.y, bounds);
    }
}

}  // namespace sheets::chart
