#include "sheets/chart/ChartSvg.h"

#include <algorithm>
#include <cmath>

#include "sheets/chart/Draw.h"
#include "sheets/chart/Svg.h"

namespace sheets::chart {

namespace {

constexpr int kMaxSide = 8000;  // px: larger anchors are drawn at this size

size_t TotalPoints(const Chart& c) {
    size_t n = 0;
    for (const auto& g : c.groups)
        for (const auto& s : g.series)
            n += std::max({s.values.size(), s.categories.size(), s.categoryNumbers.size(), s.bubbleSizes.size()});
    return n;
}

std::string OneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\n', ' ');
    std::replace(s.begin(), s.end(), '\r', ' ');
    return s;
}

// The title's lines (wrapped to the width), drawn from `y` down; returns the height used.
double DrawTitle(Ctx& ctx, const ChartText& t, double cx, double y, double width) {
    TextStyle def = ctx.Base();
    def.px = 18 * kPxPerPt;
    def.bold = true;
    def = ctx.Style(t.font, def);
    // Runs in their own styles on one line when they fit; wrapped plain text otherwise.
    std::vector<std::pair<std::string, TextStyle>> runs;
    double w = 0;
    bool breaks = false;
    for (const auto& r : t.runs) {
        runs.emplace_back(r.text, ctx.Style(r.font, def));
        w += TextWidth(r.text, runs.back().second);
        breaks = breaks || r.text.find('\n') != std::string::npos;
    }
    if (runs.empty()) return 0;
    if (!breaks && w <= width) {
        ctx.cv.Runs(cx, y, runs, HAnchor::Middle, VAnchor::Top);
        return def.LineHeight();
    }
    TextStyle st = runs.front().second;
    const auto lines = WrapText(t.Plain(), st, width, 4);
    for (size_t i = 0; i < lines.size(); ++i)
        ctx.cv.Text(cx, y + st.LineHeight() * double(i), lines[i], st, HAnchor::Middle, VAnchor::Top);
    return st.LineHeight() * double(lines.size());
}

void Placeholder(Ctx& ctx, int w, int h, const std::string& why) {
    const Chart& c = ctx.chart;
    ctx.cv.Rectangle(Rect{0.5, 0.5, w - 1.0, h - 1.0}, [] {
        Paint p = Paint::Fill(0xFFFFFF);
        p.stroke = true;
        p.strokeColor = 0x868686;
        p.strokeWidth = 1;
        return p;
    }());
    double y = 8;
    if (c.title.present && !c.title.runs.empty()) y += DrawTitle(ctx, c.title, w / 2.0, y, w - 16.0) + 6;
    TextStyle st = ctx.Base();
    st.color = 0x595959;
    const double mid = std::max(y + st.LineHeight(), h / 2.0);
    ctx.cv.Text(w / 2.0, mid, "chart not shown", st, HAnchor::Middle, VAnchor::Middle);
    if (!why.empty()) {
        st.px *= 0.85;
        for (const auto& line : WrapText(why, st, w - 16.0, 3)) {
            ctx.cv.Text(w / 2.0, mid + st.LineHeight() * 1.2, line, st, HAnchor::Middle, VAnchor::Middle);
            break;
        }
    }
}

}  // namespace

ChartText ShownTitle(const Chart& c) {
    ChartText t = c.title;
    if (!c.unsupported.empty()) return t;
    size_t count = 0;
    const ChartSeries* only = nullptr;
    for (const auto& g : c.groups) {
        count += g.series.size();
        if (!g.series.empty()) only = &g.series[0];
    }
    const bool one = count == 1 && !only->name.empty();
    if (!t.present && !c.autoTitleDeleted && one) t.present = true;
    if (t.present && t.runs.empty()) t.runs.push_back(ChartRun{one ? only->name : std::string("Chart Title"), {}});
    return t;
}

std::string ChartLabel(const Chart& chart) {
    const ChartText title = ShownTitle(chart);
    std::string t = OneLine(title.present ? title.Plain() : std::string());
    const auto first = t.find_first_not_of(' ');
    if (first == std::string::npos) return "Chart";
    return t.substr(first, t.find_last_not_of(' ') - first + 1);
}

void AppendChartSvg(std::string& out, const Chart& c, int width, int height, bool date1904, std::string_view style) {
    const int w = std::clamp(width, 8, kMaxSide), h = std::clamp(height, 8, kMaxSide);
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" role=\"img\" aria-label=\"";
    AppendSvgText(out, ChartLabel(c));
    out += "\" width=\"" + std::to_string(w) + "\" height=\"" + std::to_string(h) + "\" viewBox=\"0 0 " +
           std::to_string(w) + " " + std::to_string(h) + "\"";
    if (!style.empty()) {
        out += " style=\"";
        AppendSvgText(out, style);
        out += "\"";
    }
    Ctx ctx(c, date1904, out);
    // Text in the chart's usual size says nothing of its size.
    ctx.cv.defaultPx = ctx.Base().px;
    out += " font-family=\"Calibri,Carlito,Arial,sans-serif\" font-size=\"" + Num(ctx.cv.defaultPx) + "\">";
    // Series whose names the picture does not show (no legend, a legend of
    // points, or entries deleted from it) are named in the description, for
    // readers and search.
    if (c.unsupported.empty()) {
        const bool none = !c.legend.present || LegendByPoint(c);
        const auto& gone = c.legend.deletedEntries;
        std::string names;
        size_t count = 0;
        for (const auto& g : c.groups)
            for (const auto& s : g.series)
                if (!s.name.empty() && (none || std::find(gone.begin(), gone.end(), s.index) != gone.end()) &&
                    count++ < 64)
                    names += (names.empty() ? "" : "; ") + s.name;
        if (!names.empty()) {
            out += "<desc>Series: ";
            AppendSvgText(out, names);
            out += "</desc>";
        }
    }
    std::string why;
    if (!c.unsupported.empty()) {
        why = c.unsupported == "damaged"     ? "the chart part cannot be read"
              : c.unsupported == "missing"   ? "the chart part is missing"
              : c.unsupported == "empty"     ? "the chart has no data"
              : c.unsupported == "too large" ? "the workbook's charts exceed the memory limit"
              : c.unsupported == "xls"       ? "charts in .xls files are not drawn"
                                             : c.unsupported + " chart";
    } else if (TotalPoints(c) > kMaxDrawnPoints) {
        why = "more than " + std::to_string(kMaxDrawnPoints) + " points";
    }
    if (!why.empty()) {
        Placeholder(ctx, w, h, why);
        out += "</svg>";
        return;
    }
    // The chart area: white with a thin grey frame unless the chart says otherwise.
    Paint area = ctx.ShapePaint(c.chartArea, 0xFFFFFF, true, 0x868686, true, 0.75);
    const double inset = area.stroke ? area.strokeWidth / 2 : 0;
    ctx.cv.Rectangle(Rect{inset, inset, w - 2 * inset, h - 2 * inset}, area, c.roundedCorners ? 8 : 0);
    const double pad = 7;
    Rect rest{pad, pad, w - 2 * pad, h - 2 * pad};
    const ChartText title = ShownTitle(c);
    if (title.present && !title.runs.empty()) {
        double used;
        if (c.titleLayout.set) used = DrawTitle(ctx, title, w / 2.0, c.titleLayout.y * h, w - 2 * pad);
        else used = DrawTitle(ctx, title, w / 2.0, pad, w - 2 * pad);
        if (!c.titleOverlay && !c.titleLayout.set) {
            rest.y += used + 4;
            rest.h -= used + 4;
        }
    }
    if (!c.note.empty()) {
        TextStyle st = ctx.Base();
        st.px = 9;
        st.color = 0x595959;
        ctx.cv.Text(pad, h - 3.0, c.note, st, HAnchor::Start, VAnchor::Bottom);
        rest.h -= st.LineHeight();
    }
    if (rest.h < 10) rest.h = 10;
    if (rest.w < 10) rest.w = 10;
    rest = DrawLegend(ctx, rest);
    if (c.plotLayout.set) {
        Rect m{c.plotLayout.x * w, c.plotLayout.y * h, c.plotLayout.w * w, c.plotLayout.h * h};
        if (m.w >= 10 && m.h >= 10) {
            rest = m;
            ctx.exactPlot = c.plotLayout.inner;
        }
    }
    const ChartGroup& first = c.groups.front();
    if (first.kind == ChartKind::Pie || first.kind == ChartKind::Doughnut) DrawPie(ctx, rest, first);
    else if (first.kind == ChartKind::Radar) DrawRadar(ctx, rest, first);
    else DrawCartesian(ctx, rest);
    out += "</svg>";
}

}  // namespace sheets::chart
