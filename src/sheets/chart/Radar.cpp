#include <algorithm>
#include <cmath>

#include "sheets/chart/Draw.h"
#include "sheets/chart/Scale.h"
#include "sheets/chart/Svg.h"

namespace sheets::chart {

void DrawRadar(Ctx& ctx, Rect plot, const ChartGroup& g) {
    size_t n = 0;
    double lo = NAN, hi = NAN;
    const ChartSeries* labels = nullptr;
    for (const auto& s : g.series) {
        n = std::max({n, s.values.size(), s.categories.size(), s.categoryNumbers.size()});
        if (!labels && (!s.categories.empty() || !s.categoryNumbers.empty())) labels = &s;
        for (double v : s.values)
            if (!std::isnan(v)) lo = std::isnan(lo) ? v : std::min(lo, v), hi = std::isnan(hi) ? v : std::max(hi, v);
    }
    if (n == 0) return;
    const ChartAxis* valAxis = nullptr;
    for (const auto& a : ctx.chart.axes)
        if (a.kind == AxisKind::Value && std::find(g.axisIds.begin(), g.axisIds.end(), a.id) != g.axisIds.end())
            valAxis = &a;
    ScaleInput in;
    in.dataMin = std::isnan(lo) ? 0 : std::min(lo, 0.0);
    in.dataMax = std::isnan(hi) ? 1 : hi;
    if (valAxis) in.fixedMin = valAxis->min, in.fixedMax = valAxis->max, in.fixedMajor = valAxis->majorUnit;
    in.maxIntervals = 6;
    const Scale sc = ChooseScale(in);
    const TextStyle st = ctx.Style(valAxis ? valAxis->font : ChartFont{});
    const double cx = plot.x + plot.w / 2, cy = plot.y + plot.h / 2;
    const double radius = std::max(1.0, std::min(plot.w, plot.h) / 2 - st.LineHeight() - 4);
    auto point = [&](size_t i, double v) {
        const double a = 2 * M_PI * double(i) / double(n);
        const double r = radius * std::clamp((v - sc.min) / (sc.max - sc.min), -0.5, 2.0);
        return std::pair<double, double>(cx + r * std::sin(a), cy - r * std::cos(a));
    };
    // Gridlines: one polygon per major unit, and the spokes.
    const Paint grid = Paint::Stroke(0x868686, 0.75);
    // Rings of many spokes cost as much as the data: past a bound, no rings.
    size_t rings = size_t(std::min(100.0, std::floor((sc.max - sc.min) / sc.major + 1e-9)));
    if (rings * n > 20000) rings = 0;
    for (size_t k = 1; k <= rings; ++k) {
        std::string d;
        for (size_t i = 0; i < n; ++i) {
            auto [x, y] = point(i, sc.min + double(k) * sc.major);
            d += (i ? "L" : "M") + Num(x) + "," + Num(y);
        }
        ctx.cv.Path(d + "Z", grid);
    }
    for (size_t i = 0; i < n && n <= 1000; ++i) {
        auto [x, y] = point(i, sc.max);
        ctx.cv.Line(cx, cy, x, y, grid);
        const double a = 2 * M_PI * double(i) / double(n);
        const std::string text = labels ? CategoryText(ctx, *labels, i) : std::to_string(i + 1);
        const double lx = cx + (radius + 6) * std::sin(a), ly = cy - (radius + 6) * std::cos(a);
        const HAnchor h = std::sin(a) > 0.2 ? HAnchor::Start : std::sin(a) < -0.2 ? HAnchor::End : HAnchor::Middle;
        const VAnchor v = std::cos(a) > 0.2 ? VAnchor::Bottom : std::cos(a) < -0.2 ? VAnchor::Top : VAnchor::Middle;
        ctx.cv.Text(lx, ly, text, st, h, v);
    }
    for (size_t k = 0; k <= rings && rings; ++k) {
        const double v = sc.min + double(k) * sc.major;
        ctx.cv.Text(cx - 3, cy - radius * (v - sc.min) / (sc.max - sc.min),
                    ctx.Format(v, g.series.empty() ? "General" : g.series[0].valueFormat), st, HAnchor::End,
                    VAnchor::Middle);
    }
    for (const auto& s : g.series) {
        const uint32_t color = g.radarFilled ? ctx.SeriesFill(s) : ctx.SeriesLine(s);
        std::string d;
        std::vector<std::pair<double, double>> pts;
        for (size_t i = 0; i < n; ++i) {
            const double v = i < s.values.size() && !std::isnan(s.values[i]) ? s.values[i] : sc.min;
            pts.push_back(point(i, v));
            d += (i ? "L" : "M") + Num(pts.back().first) + "," + Num(pts.back().second);
        }
        d += "Z";
        if (g.radarFilled) {
            ctx.cv.Path(d, ctx.ShapePaint(s.shape, color, true, color, false, 0.75));
            continue;
        }
        Paint line;
        if (ctx.LinePaint(s.shape.line, color, 2.25, true, line)) ctx.cv.Path(d, line);
        if (g.radarMarkers && s.marker.symbol != MarkerSymbol::None) {
            const MarkerSymbol sym = s.marker.symbol == MarkerSymbol::Auto ? AutoMarker(s.index) : s.marker.symbol;
            const double size = (s.marker.size > 0 ? s.marker.size : 5) * kPxPerPt + 1;
            for (auto [x, y] : pts)
                ctx.cv.Marker(x, y, sym, size, ctx.ShapePaint(s.marker.shape, color, true, color, true, 0.75));
        }
    }
}

}  // namespace sheets::chart
