#include <algorithm>
#include <cmath>

#include "sheets/chart/Draw.h"

namespace sheets::chart {

namespace {

struct Entry {
    std::string text;
    uint32_t color = 0;
    bool line = false;  // a line sample (line and scatter series) rather than a box
    MarkerSymbol marker = MarkerSymbol::None;
    Paint box, stroke, markerPaint;
};

constexpr size_t kMaxEntries = 512;

std::vector<Entry> Entries(Ctx& ctx) {
    const Chart& c = ctx.chart;
    std::vector<Entry> out;
    const auto& deleted = c.legend.deletedEntries;
    auto gone = [&](uint32_t i) { return std::find(deleted.begin(), deleted.end(), i) != deleted.end(); };
    if (c.groups.empty()) return out;
    const ChartGroup& first = c.groups[0];
    if (LegendByPoint(c)) {
        const ChartSeries& s = first.series[0];
        const size_t n = std::max({s.values.size(), s.categories.size(), s.categoryNumbers.size()});
        for (size_t i = 0; i < n && out.size() < kMaxEntries; ++i) {
            if (gone(uint32_t(i))) continue;
            Entry e;
            e.text = CategoryText(ctx, s, i);
            e.color = ctx.PointFill(first, s, i, n);
            const ChartPoint* own = ctx.PointOf(s, i);
            e.box = ctx.ShapePaint(own ? own->shape : s.shape, e.color, true, e.color, false, 0.75);
            out.push_back(std::move(e));
        }
        return out;
    }
    for (const auto& g : c.groups)
        for (const auto& s : g.series) {
            if (out.size() >= kMaxEntries) return out;
            if (gone(s.index)) continue;
            Entry e;
            e.text = s.name.empty() ? "Series" + std::to_string(s.index + 1) : s.name;
            const bool lineKind = g.kind == ChartKind::Line || g.kind == ChartKind::Scatter ||
                                  (g.kind == ChartKind::Radar && !g.radarFilled);
            if (lineKind) {
                e.line = true;
                e.color = ctx.SeriesLine(s);
                Paint stroke;
                const bool lines = g.kind != ChartKind::Scatter || g.scatterLines || s.shape.line.color.set;
                if (lines && ctx.LinePaint(s.shape.line, e.color, 2.25, true, stroke)) e.stroke = stroke;
                const bool markers = g.kind == ChartKind::Line ? g.markers
                                     : g.kind == ChartKind::Radar
                                         ? g.radarMarkers
                                         : g.scatterMarkers || s.marker.symbol != MarkerSymbol::Auto;
                if (markers && s.marker.symbol != MarkerSymbol::None) {
                    e.marker = s.marker.symbol == MarkerSymbol::Auto ? AutoMarker(s.index) : s.marker.symbol;
                    e.markerPaint = ctx.ShapePaint(s.marker.shape, e.color, true, e.color, true, 0.75);
                }
            } else {
                e.color = ctx.SeriesFill(s);
                e.box = ctx.ShapePaint(s.shape, e.color, true, e.color, false, 0.75);
                if (g.kind == ChartKind::Bubble && s.shape.fill == ChartShape::Fill::Auto) e.box.fillOpacity = 0.75;
            }
            out.push_back(std::move(e));
        }
    return out;
}

}  // namespace

bool LegendByPoint(const Chart& c) {
    if (c.groups.empty()) return false;
    const ChartGroup& first = c.groups[0];
    return first.varyColors && !first.series.empty() &&
           (first.kind == ChartKind::Pie || first.kind == ChartKind::Doughnut ||
            (c.groups.size() == 1 && first.series.size() == 1));
}

Rect DrawLegend(Ctx& ctx, Rect area) {
    const ChartLegend& l = ctx.chart.legend;
    if (!l.present) return area;
    const auto entries = Entries(ctx);
    if (entries.empty()) return area;
    const TextStyle st = ctx.Style(l.font);
    const double lh = std::max(st.LineHeight(), 12.0);
    const double sample = 7, lineSample = 22, gap = 4, pad = 6;
    double sampleW = sample;
    for (const auto& e : entries)
        if (e.line) sampleW = lineSample;
    const bool vertical = l.pos == LegendPos::Right || l.pos == LegendPos::Left || l.pos == LegendPos::TopRight;
    const double maxText = vertical ? area.w * 0.4 : area.w - 2 * pad;
    std::vector<double> widths;
    for (const auto& e : entries) widths.push_back(std::min(TextWidth(e.text, st), maxText));
    // Rows of entries: one entry a row at the side, as many as fit above or below.
    std::vector<std::vector<size_t>> rows;
    double boxW = 0;
    if (vertical) {
        for (size_t i = 0; i < entries.size(); ++i) {
            rows.push_back({i});
            boxW = std::max(boxW, sampleW + gap + widths[i]);
        }
    } else {
        double x = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            const double w = sampleW + gap + widths[i] + 10;
            if (rows.empty() || (x + w > area.w - 2 * pad && !rows.back().empty())) {
                rows.emplace_back();
                x = 0;
            }
            rows.back().push_back(i);
            x += w;
            boxW = std::max(boxW, x - 10);
        }
    }
    // Entries beyond the height available are left out, as the spreadsheet does.
    const size_t fit = size_t(std::max(1.0, std::floor((area.h - 2 * pad) / lh)));
    if (rows.size() > fit) rows.resize(fit);
    const double boxH = double(rows.size()) * lh + 2 * pad;
    boxW += 2 * pad;
    Rect box{0, 0, std::min(boxW, area.w), std::min(boxH, area.h)};
    Rect rest = area;
    if (l.layout.set && ctx.chart.widthEmu >= 0) {
        box.x = area.x + l.layout.x * area.w;
        box.y = area.y + l.layout.y * area.h;
    } else {
        switch (l.pos) {
        case LegendPos::Right:
            box.x = area.Right() - box.w;
            box.y = area.y + (area.h - box.h) / 2;
            rest.w -= box.w + 4;
            break;
        case LegendPos::TopRight:
            box.x = area.Right() - box.w;
            box.y = area.y;
            rest.w -= box.w + 4;
            break;
        case LegendPos::Left:
            box.x = area.x;
            box.y = area.y + (area.h - box.h) / 2;
            rest.x += box.w + 4;
            rest.w -= box.w + 4;
            break;
        case LegendPos::Top:
            box.x = area.x + (area.w - box.w) / 2;
            box.y = area.y;
            rest.y += box.h + 2;
            rest.h -= box.h + 2;
            break;
        case LegendPos::Bottom:
            box.x = area.x + (area.w - box.w) / 2;
            box.y = area.Bottom() - box.h;
            rest.h -= box.h + 2;
            break;
        }
        if (l.overlay) rest = area;
    }
    ctx.cv.Rectangle(box, ctx.ShapePaint(l.shape, 0xFFFFFF, false, 0x000000, false, 0.75));
    double y = box.y + pad;
    for (const auto& row : rows) {
        double x = box.x + pad;
        if (!vertical) {
            double w = 0;
            for (size_t i : row) w += sampleW + gap + widths[i] + 10;
            x = box.x + (box.w - (w - 10)) / 2;
        }
        for (size_t i : row) {
            const Entry& e = entries[i];
            const double cy = y + lh / 2;
            if (e.line) {
                if (e.stroke.stroke) ctx.cv.Line(x, cy, x + sampleW, cy, e.stroke);
                if (e.marker != MarkerSymbol::None) ctx.cv.Marker(x + sampleW / 2, cy, e.marker, 7, e.markerPaint);
            } else {
                ctx.cv.Rectangle(Rect{x + (sampleW - sample) / 2, cy - sample / 2, sample, sample}, e.box);
            }
            ctx.cv.Text(x + sampleW + gap, cy, e.text, st, HAnchor::Start, VAnchor::Middle);
            x += sampleW + gap + widths[i] + 10;
        }
        y += lh;
    }
    if (rest.w < 20) rest.w = 20;
    if (rest.h < 20) rest.h = 20;
    return rest;
}

}  // namespace sheets::chart
