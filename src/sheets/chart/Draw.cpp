#include "sheets/chart/Draw.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "sheets/chart/AutoColors.h"

namespace sheets::chart {

Ctx::Ctx(const Chart& c, bool d1904, std::string& out) : chart(c), date1904(d1904), cv(out) {
    base_.px = 10 * kPxPerPt;
    base_ = Style(c.font, base_);
    for (const auto& g : c.groups) seriesCount_ += uint32_t(g.series.size());
}

TextStyle Ctx::Style(const ChartFont& f, const TextStyle& def) const {
    TextStyle s = def;
    if (f.size > 0) s.px = std::clamp(f.size, 1.0, 200.0) * kPxPerPt;
    if (f.bold >= 0) s.bold = f.bold == 1;
    if (f.italic >= 0) s.italic = f.italic == 1;
    if (f.color.set) s.color = f.color.rgb;
    return s;
}

std::string Ctx::Format(double v, const std::string& code) {
    // Charts of a batch share few formats: compiled ones are kept per thread.
    thread_local std::map<std::string, std::shared_ptr<const NumberFormat>, std::less<>> formats;
    const std::string_view key = code.empty() ? std::string_view("General") : std::string_view(code);
    // Most axis labels are whole numbers in General: their digits as they are.
    if (key == "General" && v == std::trunc(v) && std::fabs(v) < 1e10) {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, static_cast<int64_t>(v));
        return std::string(buf, r.ptr);
    }
    auto it = formats.find(key);
    if (it == formats.end()) {
        if (formats.size() > 256) formats.clear();
        it = formats.emplace(std::string(key), NumberFormat::Compile(key)).first;
    }
    return it->second->Format(v, date1904).text;
}

uint32_t Ctx::AutoColor(uint32_t index, uint32_t count) const {
    return chart::AutoColor(chart.scheme, chart.style, index, count);
}

uint32_t Ctx::SeriesFill(const ChartSeries& s) const {
    if (s.shape.fill == ChartShape::Fill::Solid && s.shape.color.set) return s.shape.color.rgb;
    return AutoColor(s.index, seriesCount_);
}

uint32_t Ctx::SeriesLine(const ChartSeries& s) const {
    if (s.shape.line.color.set) return s.shape.line.color.rgb;
    return AutoColor(s.index, seriesCount_);
}

const ChartPoint* Ctx::PointOf(const ChartSeries& s, size_t i) const {
    auto it = std::lower_bound(s.points.begin(), s.points.end(), i,
                               [](const ChartPoint& p, size_t v) { return p.index < v; });
    return it != s.points.end() && it->index == i ? &*it : nullptr;
}

uint32_t Ctx::PointFill(const ChartGroup& g, const ChartSeries& s, size_t i, size_t n) const {
    if (const ChartPoint* p = PointOf(s, i); p && p->shape.fill == ChartShape::Fill::Solid && p->shape.color.set)
        return p->shape.color.rgb;
    if (g.varyColors && (g.series.size() == 1 || g.kind == ChartKind::Pie || g.kind == ChartKind::Doughnut))
        return AutoColor(uint32_t(i), uint32_t(n));
    return SeriesFill(s);
}

bool Ctx::LinePaint(const ChartLine& l, uint32_t autoColor, double autoWidthPt, bool autoShown, Paint& p) const {
    if (l.none) return false;
    if (!autoShown && !l.color.set && l.width < 0) return false;
    p.stroke = true;
    p.strokeColor = l.color.set ? l.color.rgb : autoColor;
    p.strokeWidth = std::max(0.5, (l.width >= 0 ? l.width : autoWidthPt) * kPxPerPt);
    p.strokeOpacity = l.alpha;
    p.dash = l.dash;
    return true;
}

Paint Ctx::ShapePaint(const ChartShape& s, uint32_t autoFill, bool autoFilled, uint32_t autoLine, bool autoLined,
                      double autoLineWidthPt) const {
    Paint p;
    if (s.fill == ChartShape::Fill::Solid) {
        p.fill = true;
        p.fillColor = s.color.set ? s.color.rgb : autoFill;
        p.fillOpacity = s.alpha;
    } else if (s.fill == ChartShape::Fill::Auto && autoFilled) {
        p.fill = true;
        p.fillColor = autoFill;
    }
    LinePaint(s.line, autoLine, autoLineWidthPt, autoLined, p);
    return p;
}

const ChartLabels& LabelsOf(const ChartGroup& g, const ChartSeries& s) { return s.labels.set ? s.labels : g.labels; }

std::string LabelText(Ctx& ctx, const ChartLabels& l, const ChartSeries& s, size_t i, double total) {
    if (!l.set || l.deleted) return {};
    const double v = i < s.values.size() ? s.values[i] : kNoValue;
    std::string out;
    auto add = [&](const std::string& part) {
        if (part.empty()) return;
        if (!out.empty()) out += l.separator;
        out += part;
    };
    if (l.seriesName) add(s.name);
    if (l.category) add(CategoryText(ctx, s, i));
    if (l.value && !std::isnan(v)) add(ctx.Format(v, l.numFmt.empty() ? s.valueFormat : l.numFmt));
    if (l.percent && !std::isnan(v) && total > 0) add(ctx.Format(std::fabs(v) / total, "0%"));
    return out;
}

MarkerSymbol AutoMarker(uint32_t index) {
    static constexpr MarkerSymbol kOrder[] = {MarkerSymbol::Diamond, MarkerSymbol::Square, MarkerSymbol::Triangle,
                                              MarkerSymbol::X,       MarkerSymbol::Star,   MarkerSymbol::Circle,
                                              MarkerSymbol::Plus,    MarkerSymbol::Dash,   MarkerSymbol::Dot};
    return kOrder[index % 9];
}

std::string CategoryText(Ctx& ctx, const ChartSeries& s, size_t i) {
    if (i < s.categories.size() && !s.categories[i].empty()) return s.categories[i];
    if (i < s.categoryNumbers.size() && !std::isnan(s.categoryNumbers[i]))
        return ctx.Format(s.categoryNumbers[i], s.categoryFormat);
    if (s.categories.empty() && s.categoryNumbers.empty()) return std::to_string(i + 1);
    return {};
}

}  // namespace sheets::chart
