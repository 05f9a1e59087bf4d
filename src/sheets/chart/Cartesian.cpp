#include "sheets/chart/Cartesian.h"

#include <algorithm>
#include <cmath>
#include <deque>

#include "sheets/chart/Svg.h"

namespace sheets::chart {

namespace {

constexpr uint32_t kAxisGray = 0x868686;
constexpr double kTick = 5;  // px
constexpr size_t kMaxTicks = 1000;

// Every how many categories a tick mark or gridline is drawn: as the part
// says, else as the labels go, and never more than a page can use.
size_t CategoryStep(const AxisView& v) {
    size_t step = std::max<size_t>(1, v.A().markSkip ? v.A().markSkip : v.labelStep);
    while (v.count / step > kMaxTicks) step *= 2;
    return step;
}

bool Xy(const ChartGroup& g) { return g.kind == ChartKind::Scatter || g.kind == ChartKind::Bubble; }

size_t PointCount(const ChartSeries& s) {
    return std::max({s.values.size(), s.categories.size(), s.categoryNumbers.size()});
}

void Widen(AxisView& a, double v) {
    if (std::isnan(v)) return;
    if (std::isnan(a.dataMin) || v < a.dataMin) a.dataMin = v;
    if (std::isnan(a.dataMax) || v > a.dataMax) a.dataMax = v;
}

class Layout {
public:
    Layout(Ctx& ctx, Rect box) : ctx_(ctx), box_(box) {}
    void Run();

private:
    AxisView* ViewOf(uint32_t id, bool vertical, bool category, bool secondary);
    void Bind();
    void Ranges();
    void Scales(double hLen, double vLen);
    void Labels(AxisView& a, double len);
    void Place(Rect inner);
    void DrawGrid(const Rect& plot);
    void DrawAxis(const AxisView& a, const Rect& plot);
    void DrawAxisTitle(const AxisView& a, const Rect& plot, double offset);
    double TitleExtent(const AxisView& a) const;

    Ctx& ctx_;
    Rect box_;
    std::deque<AxisView> views_;
    std::vector<Bound> bound_;
};

AxisView* Layout::ViewOf(uint32_t id, bool vertical, bool category, bool secondary) {
    for (auto& v : views_)
        if (v.id == id && v.vertical == vertical && v.category == category) return &v;
    AxisView& v = views_.emplace_back();
    v.id = id;
    v.vertical = vertical;
    v.category = category;
    v.secondary = secondary;
    for (const auto& a : ctx_.chart.axes)
        if (a.id == id) {
            v.axis = &a;
            break;
        }
    if (!v.axis) {
        // No description: a secondary axis that is not shown, or a primary one with defaults.
        v.own.deleted = secondary;
        v.own.kind = category ? AxisKind::Category : AxisKind::Value;
        v.own.majorGrid = !category && !secondary;
    }
    v.labelStyle = ctx_.Style(v.A().font);
    return &v;
}

void Layout::Bind() {
    uint32_t primaryVal = 0;
    bool first = true;
    for (const auto& g : ctx_.chart.groups) {
        if (g.kind == ChartKind::Pie || g.kind == ChartKind::Doughnut || g.kind == ChartKind::Radar) continue;
        const uint32_t catId = g.axisIds.size() > 0 ? g.axisIds[0] : 1;
        const uint32_t valId = g.axisIds.size() > 1 ? g.axisIds[1] : 2;
        const bool secondary = !first && valId != primaryVal;
        if (first) primaryVal = valId;
        first = false;
        const bool horizontalBars = g.kind == ChartKind::Bar && g.horizontal;
        Bound b;
        b.g = &g;
        b.cat = ViewOf(catId, horizontalBars, !Xy(g), secondary);
        b.val = ViewOf(valId, !horizontalBars, false, secondary);
        b.cat->used = b.val->used = true;
        bound_.push_back(b);
    }
}

void Layout::Ranges() {
    for (const auto& b : bound_) {
        const ChartGroup& g = *b.g;
        AxisView& cat = *b.cat;
        AxisView& val = *b.val;
        if (g.kind == ChartKind::Bar || g.kind == ChartKind::Area) val.zeroBased = true;
        if (Xy(g)) {
            for (const auto& s : g.series) {
                const size_t n = PointCount(s);
                for (size_t i = 0; i < n; ++i) {
                    const bool hasX = s.numericCategories && i < s.categoryNumbers.size();
                    Widen(cat, hasX ? s.categoryNumbers[i] : double(i + 1));
                    if (i < s.values.size()) Widen(val, s.values[i]);
                }
                if (cat.format.empty() && s.numericCategories) cat.format = s.categoryFormat;
                if (val.format.empty()) val.format = s.valueFormat;
            }
            continue;
        }
        size_t count = 0;
        for (const auto& s : g.series) {
            count = std::max(count, PointCount(s));
            if (!cat.labelSource && (!s.categories.empty() || !s.categoryNumbers.empty())) cat.labelSource = &s;
            if (val.format.empty()) val.format = s.valueFormat;
        }
        cat.count = std::max<size_t>({cat.count, count, 1});
        if (g.kind == ChartKind::Area ||
            (g.kind == ChartKind::Line && cat.A().kind == AxisKind::Category && cat.axis && !cat.A().between))
            cat.between = cat.axis ? cat.A().between : false;
        else if (cat.axis) cat.between = cat.A().between;
        if (g.kind == ChartKind::Area && !cat.axis) cat.between = false;
        const Stacked st = StackValues(g, count);
        for (size_t si = 0; si < st.hi.size(); ++si)
            for (size_t i = 0; i < st.hi[si].size(); ++i) {
                Widen(val, st.hi[si][i]);
                if (g.grouping == Grouping::Stacked || g.grouping == Grouping::PercentStacked) Widen(val, st.lo[si][i]);
            }
        if (g.grouping == Grouping::PercentStacked) val.percent = true;
    }
    // Date axes place points by their dates.
    for (auto& v : views_) {
        if (!v.category || v.A().kind != AxisKind::Date || !v.labelSource) continue;
        const auto& nums = v.labelSource->categoryNumbers;
        double mn = NAN, mx = NAN;
        for (double d : nums)
            if (!std::isnan(d)) mn = std::isnan(mn) ? d : std::min(mn, d), mx = std::isnan(mx) ? d : std::max(mx, d);
        if (std::isnan(mn) || mx - mn > 100000) continue;
        v.dates = true;
        v.dateMin = std::floor(mn);
        v.dateSpan = std::floor(mx) - v.dateMin + 1;
    }
}

void Layout::Scales(double hLen, double vLen) {
    for (auto& v : views_) {
        if (v.category) continue;
        const ChartAxis& a = v.A();
        const double len = v.vertical ? vLen : hLen;
        // Labels need room: about two lines of text per unit up the plot,
        // the width of a label and more across it.
        double per = v.labelStyle.px * 2.0;
        if (!v.vertical) per = v.labelStyle.px * 3.2;
        ScaleInput in;
        in.dataMin = v.dataMin / a.displayUnit;
        in.dataMax = v.dataMax / a.displayUnit;
        if (v.zeroBased && !std::isnan(in.dataMin)) {
            in.dataMin = std::min(in.dataMin, 0.0);
            in.dataMax = std::max(in.dataMax, 0.0);
        }
        in.fixedMin = a.min;
        in.fixedMax = a.max;
        in.fixedMajor = a.majorUnit;
        in.logBase = a.logBase;
        if (v.percent) {
            if (std::isnan(in.fixedMax) && !(in.dataMax > 1)) in.fixedMax = 1;
            if (std::isnan(in.fixedMin) && !(in.dataMin < 0)) in.fixedMin = 0;
        }
        in.maxIntervals = std::clamp(int(len / per), 2, 10);
        v.scale = ChooseScale(in);
        if (v.scale.Log()) continue;
        v.scale.min *= a.displayUnit;
        v.scale.max *= a.displayUnit;
        v.scale.major *= a.displayUnit;
    }
}

// Tick positions and texts, and how the labels fit `len` pixels.
void Layout::Labels(AxisView& v, double len) {
    const ChartAxis& a = v.A();
    if (!v.category) {
        // The second layout pass mostly keeps the scale: its labels too.
        if (!v.ticks.empty() && v.scale.min == v.labeled.min && v.scale.max == v.labeled.max &&
            v.scale.major == v.labeled.major)
            return;
        v.labeled = v.scale;
        v.ticks.clear();
        std::string code = !a.sourceLinked && !a.numFmt.empty() ? a.numFmt : v.format;
        if (v.percent && (a.sourceLinked || a.numFmt.empty())) code = "0%";
        if (v.scale.Log()) {
            for (double t = v.scale.min; t <= v.scale.max * (1 + 1e-9) && v.ticks.size() < kMaxTicks;
                 t *= v.scale.logBase)
                v.ticks.emplace_back(t, ctx_.Format(t, code));
        } else {
            const double u = v.scale.major;
            const double n = std::floor((v.scale.max - v.scale.min) / u + 1e-9);
            for (double k = 0; k <= n && v.ticks.size() < kMaxTicks; ++k) {
                double t = v.scale.min + k * u;
                if (std::fabs(t) < u * 1e-9) t = 0;
                v.ticks.emplace_back(t, ctx_.Format(t / a.displayUnit, code));
            }
        }
        double w = 0;
        for (const auto& t : v.ticks) w = std::max(w, TextWidth(t.second, v.labelStyle));
        v.labelExtent = v.vertical ? w + kTick + 3 : v.labelStyle.LineHeight() + kTick + 2;
        if (a.tickLabels == TickLabels::None) v.labelExtent = kTick;
        return;
    }
    // Category labels: every category's text, or dates every so many days.
    const std::string code = !a.sourceLinked && !a.numFmt.empty() ? a.numFmt : std::string();
    auto text = [&](size_t i) {
        if (!v.labelSource) return std::to_string(i + 1);
        const ChartSeries& s = *v.labelSource;
        if (!code.empty() && i < s.categoryNumbers.size() && !std::isnan(s.categoryNumbers[i]))
            return ctx_.Format(s.categoryNumbers[i], code);
        return CategoryText(ctx_, s, i);
    };
    const size_t n = v.dates ? size_t(v.dateSpan) : v.count;
    const double slot = len / double(std::max<size_t>(n, 1));
    v.ticks.clear();
    if (v.dates) {
        const ChartSeries& s = *v.labelSource;
        const std::string fmt = code.empty() ? s.categoryFormat : code;
        const double w = TextWidth(ctx_.Format(v.dateMin, fmt), v.labelStyle) + v.labelStyle.px;
        size_t step = a.majorUnit > 0 ? size_t(std::clamp(a.majorUnit, 1.0, 1e6)) : 1;
        while (step * slot < w && step < n) step = step < 7 ? step + 1 : step * 2;
        for (size_t d = 0; d < n && v.ticks.size() < kMaxTicks; d += step)
            v.ticks.emplace_back(double(d), ctx_.Format(v.dateMin + double(d), fmt));
    } else {
        for (size_t i = 0; i < n && v.ticks.size() < 4 * kMaxTicks; ++i) v.ticks.emplace_back(double(i), text(i));
    }
    double widest = 0, longestWord = 0;
    for (const auto& t : v.ticks) {
        const std::string_view label = t.second;
        const double width = TextWidth(label, v.labelStyle);
        widest = std::max(widest, width);
        if (label.find(' ') == std::string_view::npos) {
            longestWord = std::max(longestWord, width);
            continue;
        }
        size_t i = 0;
        while (i <= label.size()) {
            size_t sp = label.find(' ', i);
            if (sp == std::string_view::npos) sp = label.size();
            longestWord = std::max(longestWord, TextWidth(label.substr(i, sp - i), v.labelStyle));
            i = sp + 1;
        }
    }
    const double lh = v.labelStyle.LineHeight();
    const double step = v.dates ? 1 : std::max<double>(1, a.labelSkip);
    const double room = slot * step * (v.dates ? (v.ticks.size() > 1 ? v.ticks[1].first - v.ticks[0].first : 1) : 1);
    v.labelStep = size_t(step);
    v.labelRotation = !std::isnan(a.labelRotation) ? a.labelRotation : 0;
    v.labelLines = 1;
    if (v.vertical) {
        // Labels beside a vertical axis: skip some when they would overlap.
        while (v.labelStep * slot < lh * 0.9 && v.labelStep < v.ticks.size()) ++v.labelStep;
        v.labelExtent = std::min(widest, box_.w / 3) + kTick + 3;
    } else if (std::isnan(a.labelRotation) && widest > room * 0.95) {
        if (longestWord <= room * 0.95 && widest <= room * 3) {
            v.labelLines = 3;  // wrapped at spaces
        } else {
            v.labelRotation = -45;
            while (v.labelStep * slot < lh * 1.3 && v.labelStep < v.ticks.size()) ++v.labelStep;
        }
    }
    if (!v.vertical) {
        if (v.labelRotation != 0) {
            const double r = std::fabs(v.labelRotation) * M_PI / 180;
            v.labelExtent = std::min(widest * std::sin(r) + lh * std::cos(r), box_.h / 3) + kTick + 2;
        } else {
            size_t lines = 1;
            for (const auto& t : v.ticks) {
                const std::string& label = t.second;
                // A label of one line that fits needs no wrapping to say so.
                if (label.find('\n') == std::string::npos &&
                    (v.labelLines <= 1 || TextWidth(label, v.labelStyle) <= room * 0.95))
                    continue;
                lines = std::max(lines, WrapText(label, v.labelStyle, room * 0.95, v.labelLines).size());
            }
            v.labelLines = lines;
            v.labelExtent = lh * double(lines) + kTick + 2;
        }
    }
    if (a.tickLabels == TickLabels::None) v.labelExtent = kTick;
}

double Layout::TitleExtent(const AxisView& a) const {
    if (!a.A().title.present || a.A().title.runs.empty()) return 0;
    TextStyle st = ctx_.Style(a.A().title.font, [&] {
        TextStyle s = ctx_.Base();
        s.bold = true;
        return s;
    }());
    return st.LineHeight() + 4;
}

void Layout::Place(Rect in) {
    for (auto& v : views_) {
        if (v.vertical) {
            v.a0 = in.Bottom();
            v.a1 = in.y;
        } else {
            v.a0 = in.x;
            v.a1 = in.Right();
        }
        if (v.A().reversed) std::swap(v.a0, v.a1);
    }
    // Where each axis line sits: on its perpendicular partner's scale.
    for (const auto& b : bound_) {
        for (int k = 0; k < 2; ++k) {
            AxisView& me = k == 0 ? *b.cat : *b.val;
            AxisView& other = k == 0 ? *b.val : *b.cat;
            const ChartAxis& a = me.A();
            const double lo = other.vertical ? in.Bottom() : in.x, hi = other.vertical ? in.y : in.Right();
            const double start = other.A().reversed ? hi : lo, end = other.A().reversed ? lo : hi;
            if (me.secondary && !me.axis) {
                me.cross = end;
                continue;
            }
            switch (a.crosses) {
            case Crosses::Min: me.cross = start; break;
            case Crosses::Max: me.cross = end; break;
            case Crosses::At: me.cross = other.category ? other.CatPos(a.crossesAt - 1) : other.Pos(a.crossesAt); break;
            case Crosses::AutoZero:
                if (other.category) me.cross = start;
                else if (other.scale.Log()) me.cross = other.Pos(other.scale.min);
                else me.cross = other.Pos(std::clamp(0.0, other.scale.min, other.scale.max));
                break;
            }
            me.cross = std::clamp(me.cross, std::min(lo, hi), std::max(lo, hi));
        }
    }
}

void Layout::DrawGrid(const Rect& plot) {
    for (const auto& v : views_) {
        const ChartAxis& a = v.A();
        if (!v.used) continue;
        // All lines of one kind in one path.
        std::string d;
        d.reserve(512);
        auto line = [&](double p) {
            d += 'M';
            if (v.vertical) {
                AppendNum(d, plot.x);
                d += ',';
                AppendNum(d, p);
                d += 'H';
                AppendNum(d, plot.Right());
            } else {
                AppendNum(d, p);
                d += ',';
                AppendNum(d, plot.y);
                d += 'V';
                AppendNum(d, plot.Bottom());
            }
        };
        Paint minor, major;
        if (a.minorGrid && ctx_.LinePaint(a.minorGridLine, 0xD9D9D9, 0.75, true, minor) && !v.category &&
            !v.scale.Log()) {
            const double u = std::isnan(a.minorUnit) ? v.scale.major / 5 : a.minorUnit;
            const double n = std::min((v.scale.max - v.scale.min) / u, 2000.0);
            for (double k = 0; k <= n + 1e-9; ++k) line(v.Pos(v.scale.min + k * u));
            ctx_.cv.Path(d, minor);
            d.clear();
        }
        if (!a.majorGrid || !ctx_.LinePaint(a.gridLine, kAxisGray, 0.75, true, major)) continue;
        if (v.dates) {
            for (const auto& t : v.ticks) line(v.CatPos(t.first - (v.between ? 0.5 : 0)));
        } else if (v.category) {
            for (size_t i = 0, step = CategoryStep(v); i <= v.count; i += step)
                line(v.between ? v.CatPos(double(i) - 0.5) : v.CatPos(double(i)));
        } else {
            for (const auto& t : v.ticks) line(v.Pos(t.first));
        }
        ctx_.cv.Path(d, major);
    }
}

void Layout::DrawAxisTitle(const AxisView& v, const Rect& plot, double offset) {
    const ChartText& t = v.A().title;
    if (!t.present || t.runs.empty()) return;
    TextStyle def = ctx_.Base();
    def.bold = true;
    def = ctx_.Style(t.font, def);
    std::vector<std::pair<std::string, TextStyle>> runs;
    for (const auto& r : t.runs) {
        std::string s = r.text;
        std::replace(s.begin(), s.end(), '\n', ' ');
        runs.emplace_back(s, ctx_.Style(r.font, def));
    }
    const bool rightSide = v.vertical && v.cross > plot.x + plot.w / 2;
    const bool topSide = !v.vertical && v.cross < plot.y + plot.h / 2 && v.cross <= plot.y + 1;
    if (v.vertical) {
        const double rot = std::isnan(t.rotation) ? -90 : t.rotation;
        const double x = rightSide ? v.cross + offset + def.LineHeight() / 2 : v.cross - offset - def.LineHeight() / 2;
        ctx_.cv.Runs(x, plot.y + plot.h / 2, runs, HAnchor::Middle, VAnchor::Middle, rot);
    } else {
        const double y = topSide ? v.cross - offset - def.LineHeight() / 2 : v.cross + offset + def.LineHeight() / 2;
        ctx_.cv.Runs(plot.x + plot.w / 2, y, runs, HAnchor::Middle, VAnchor::Middle,
                     std::isnan(t.rotation) ? 0 : t.rotation);
    }
}

void Layout::DrawAxis(const AxisView& v, const Rect& plot) {
    const ChartAxis& a = v.A();
    if (!v.used || a.deleted) return;
    const double c = v.cross;
    // Which side of the line the labels go: away from the plot's middle.
    bool after;  // right of a vertical axis, below a horizontal one
    if (v.vertical) after = c > plot.x + plot.w / 2 + 1;
    else after = !(c < plot.y + plot.h / 2 - 1 && c <= plot.y + 1);
    double labelAt = c;
    if (a.tickLabels == TickLabels::Low) {
        labelAt = v.vertical ? (after ? plot.Right() : plot.x) : plot.Bottom();
        if (!v.vertical) after = true;
        if (v.vertical) labelAt = plot.x, after = false;
    } else if (a.tickLabels == TickLabels::High) {
        labelAt = v.vertical ? plot.Right() : plot.y;
        after = v.vertical;
    }
    Paint line;
    if (ctx_.LinePaint(a.line, kAxisGray, 0.75, true, line)) {
        if (v.vertical) ctx_.cv.Line(c, plot.y, c, plot.Bottom(), line);
        else ctx_.cv.Line(plot.x, c, plot.Right(), c, line);
        std::string d;
        auto tick = [&](double p) {
            const double in = a.majorTick == TickMark::In || a.majorTick == TickMark::Cross ? kTick : 0;
            const double out = a.majorTick == TickMark::Out || a.majorTick == TickMark::Cross ? kTick : 0;
            if (a.majorTick == TickMark::None) return;
            const double s = after ? 1 : -1;
            d += 'M';
            if (v.vertical) {
                AppendNum(d, c - s * in);
                d += ',';
                AppendNum(d, p);
                d += 'H';
                AppendNum(d, c + s * out);
            } else {
                AppendNum(d, p);
                d += ',';
                AppendNum(d, c - s * in);
                d += 'V';
                AppendNum(d, c + s * out);
            }
        };
        if (v.dates) {
            for (const auto& t : v.ticks) tick(v.CatPos(t.first - (v.between ? 0.5 : 0)));
        } else if (v.category) {
            for (size_t i = 0, step = CategoryStep(v); i <= v.count; i += step)
                tick(v.between ? v.CatPos(double(i) - 0.5) : v.CatPos(double(i)));
        } else {
            for (const auto& t : v.ticks) tick(v.Pos(t.first));
        }
        line.fill = false;
        ctx_.cv.Path(d, line);
    }
    double extent = kTick;
    if (a.tickLabels != TickLabels::None) {
        const TextStyle& st = v.labelStyle;
        const double gap = kTick + 2;
        const double s = after ? 1 : -1;
        for (size_t k = 0; k < v.ticks.size(); k += std::max<size_t>(1, v.category ? v.labelStep : 1)) {
            const auto& [pos, text] = v.ticks[k];
            if (text.empty()) continue;
            double p = v.category ? (v.dates ? v.CatPos(pos) : v.CatPos(pos)) : v.Pos(pos);
            if (v.category && !v.between && !v.dates) p = v.CatPos(pos);
            if (v.vertical) {
                ctx_.cv.Text(labelAt + s * gap, p, text, st, after ? HAnchor::Start : HAnchor::End, VAnchor::Middle,
                             v.labelRotation);
            } else if (v.labelRotation != 0) {
                ctx_.cv.Text(p, labelAt + s * gap, text, st, after ? HAnchor::End : HAnchor::Start, VAnchor::Middle,
                             v.labelRotation);
            } else {
                const double room = v.category ? v.SlotPx() * double(v.labelStep) * 0.95 : 1e9;
                const auto lines = WrapText(text, st, room, v.labelLines);
                const double lh = st.LineHeight();
                double y = after ? labelAt + gap : labelAt - gap - lh * double(lines.size());
                for (const auto& l : lines) {
                    ctx_.cv.Text(p, y, l, st, HAnchor::Middle, VAnchor::Top);
                    y += lh;
                }
            }
        }
        extent = v.labelExtent;
    }
    // Multi-level categories: the outer level's groups under the labels.
    if (v.category && v.labelSource && !v.labelSource->outerCategories.empty() && !v.vertical && after) {
        const auto& outer = v.labelSource->outerCategories;
        for (size_t i = 0; i < outer.size() && i < v.count; ++i) {
            if (outer[i].empty()) continue;
            size_t j = i + 1;
            while (j < v.count && (j >= outer.size() || outer[j].empty())) ++j;
            const double x = (v.CatPos(double(i) - 0.5) + v.CatPos(double(j) - 0.5)) / 2;
            ctx_.cv.Text(x, labelAt + extent + 2, outer[i], v.labelStyle, HAnchor::Middle, VAnchor::Top);
        }
        extent += v.labelStyle.LineHeight() + 2;
    }
    if (!a.displayUnitLabel.empty() && a.tickLabels != TickLabels::None) {
        // The unit beside the labels, at the axis's far end, as the spreadsheet puts it.
        TextStyle st = v.labelStyle;
        st.bold = true;
        if (v.vertical) {
            const double x = after ? labelAt + extent + st.LineHeight() / 2 : labelAt - extent - st.LineHeight() / 2;
            ctx_.cv.Text(x, plot.y, a.displayUnitLabel, st, HAnchor::End, VAnchor::Middle, -90);
        } else {
            ctx_.cv.Text(plot.Right(), after ? labelAt + extent : labelAt - extent, a.displayUnitLabel, st,
                         HAnchor::End, after ? VAnchor::Top : VAnchor::Bottom);
        }
        extent += st.LineHeight() + 2;
    }
    DrawAxisTitle(v, plot, extent + 2);
}

void Layout::Run() {
    Bind();
    if (bound_.empty()) return;
    Ranges();
    // First the scales at a guessed size, then the margins their labels
    // need, then everything again at the size that remains.
    Rect inner = box_;
    for (int pass = 0; pass < 2; ++pass) {
        Scales(inner.w, inner.h);
        double left = 0, right = 0, top = 0, bottom = 0;
        for (auto& v : views_) {
            if (!v.used || v.A().deleted) continue;
            Labels(v, v.vertical ? inner.h : inner.w);
            double need = v.labelExtent + TitleExtent(v) + 2;
            if (!v.A().displayUnitLabel.empty()) need += v.labelStyle.LineHeight() + 2;
            if (v.category && v.labelSource && !v.labelSource->outerCategories.empty())
                need += v.labelStyle.LineHeight() + 2;
            // An axis sits at the far side when it crosses its partner at the
            // partner's end, which a reversed partner moves to the other side.
            bool far = v.A().crosses == Crosses::Max;
            for (const auto& b : bound_) {
                const AxisView* other = b.cat == &v ? b.val : b.val == &v ? b.cat : nullptr;
                if (other) {
                    far = far != other->A().reversed;
                    break;
                }
            }
            if (v.secondary && !v.axis) far = true;
            if (v.A().tickLabels == TickLabels::High) {
                (v.vertical ? right : top) = std::max(v.vertical ? right : top, need);
            } else if (v.vertical) {
                (far ? right : left) = std::max(far ? right : left, need);
            } else {
                (far ? top : bottom) = std::max(far ? top : bottom, need);
            }
        }
        inner = box_;
        inner.x += left;
        inner.y += top;
        inner.w -= left + right;
        inner.h -= top + bottom;
        // Half a label sticks out above the top value and past the last category.
        inner.y += 4;
        inner.h -= 4;
        inner.w -= 4;
        if (ctx_.exactPlot) inner = box_;
        if (inner.w < 10) inner.w = 10;
        if (inner.h < 10) inner.h = 10;
    }
    Place(inner);
    ctx_.cv.Rectangle(inner, ctx_.ShapePaint(ctx_.chart.plotArea, 0xFFFFFF, false, 0x000000, false, 0.75));
    DrawGrid(inner);
    // Areas behind bars behind lines behind points, as the spreadsheet layers them.
    for (ChartKind k : {ChartKind::Area, ChartKind::Bar, ChartKind::Line, ChartKind::Scatter, ChartKind::Bubble})
        for (const auto& b : bound_) {
            if (b.g->kind != k) continue;
            if (k == ChartKind::Bar) DrawBars(ctx_, b, inner);
            else if (k == ChartKind::Area || k == ChartKind::Line) DrawLines(ctx_, b, inner, k == ChartKind::Area);
            else DrawScatter(ctx_, b, inner);
        }
    for (const auto& v : views_) DrawAxis(v, inner);
}

}  // namespace

double AxisView::Pos(double v) const {
    double f;
    if (scale.Log()) {
        const double lv = std::log(std::max(v, 1e-300)), lmin = std::log(scale.min), lmax = std::log(scale.max);
        f = (lv - lmin) / (lmax - lmin);
    } else {
        f = (v - scale.min) / (scale.max - scale.min);
    }
    if (!std::isfinite(f)) f = 0;
    f = std::clamp(f, -2.0, 3.0);
    return a0 + (a1 - a0) * f;
}

double AxisView::CatPos(double i) const {
    const double n = dates ? dateSpan : double(std::max<size_t>(count, 1));
    double f;
    if (between || n <= 1) f = (i + 0.5) / n;
    else f = i / (n - 1);
    return a0 + (a1 - a0) * f;
}

double AxisView::PointPos(const ChartSeries& s, size_t i) const {
    if (dates && labelSource) {
        const auto& nums = labelSource->categoryNumbers;
        const auto& own = s.categoryNumbers.empty() ? nums : s.categoryNumbers;
        if (i < own.size() && !std::isnan(own[i])) return CatPos(std::floor(own[i]) - dateMin);
    }
    return CatPos(double(i));
}

double AxisView::SlotPx() const {
    const double n = dates ? dateSpan : double(std::max<size_t>(count, 1));
    return std::fabs(a1 - a0) / (between ? n : std::max(n - 1, 1.0));
}

double BaseValue(const AxisView& val) {
    if (val.scale.Log()) return val.scale.min;
    return std::clamp(0.0, val.scale.min, val.scale.max);
}

Stacked StackValues(const ChartGroup& g, size_t count) {
    Stacked st;
    const size_t ns = g.series.size();
    st.lo.assign(ns, std::vector<double>(count, 0));
    st.hi.assign(ns, std::vector<double>(count, kNoValue));
    const bool stacked = g.grouping == Grouping::Stacked || g.grouping == Grouping::PercentStacked;
    for (size_t i = 0; i < count; ++i) {
        double total = 0;
        if (g.grouping == Grouping::PercentStacked)
            for (const auto& s : g.series)
                if (i < s.values.size() && !std::isnan(s.values[i])) total += std::fabs(s.values[i]);
        double pos = 0, neg = 0;
        for (size_t k = 0; k < ns; ++k) {
            const auto& s = g.series[k];
            double v = i < s.values.size() ? s.values[i] : kNoValue;
            if (!stacked) {
                st.hi[k][i] = v;
                continue;
            }
            if (std::isnan(v)) {
                // A gap in a stack adds nothing; lines and areas keep their level.
                st.lo[k][i] = st.hi[k][i] = g.kind == ChartKind::Bar ? kNoValue : pos;
                if (g.kind == ChartKind::Bar) continue;
                continue;
            }
            if (g.grouping == Grouping::PercentStacked) v = total > 0 ? v / total : 0;
            // Lines and areas stack in order; bars stack up and down apart.
            if (v >= 0 || g.kind != ChartKind::Bar) {
                st.lo[k][i] = pos;
                pos += v;
                st.hi[k][i] = pos;
            } else {
                st.lo[k][i] = neg;
                neg += v;
                st.hi[k][i] = neg;
            }
        }
    }
    return st;
}

Pt At(const Bound& b, double along, double across) {
    if (b.cat->vertical) return Pt{across, along};
    return Pt{along, across};
}

std::string LinePath(const std::vector<Pt>& pts, bool smooth) {
    std::string d;
    if (pts.size() < 2) return d;
    d.reserve(pts.size() * (smooth ? 72 : 24));
    auto point = [&](char op, double x, double y) {
        if (op) d += op;
        AppendNum(d, x);
        d += ',';
        AppendNum(d, y);
    };
    point('M', pts[0].x, pts[0].y);
    for (size_t i = 1; i < pts.size(); ++i) {
        if (!smooth) {
            point('L', pts[i].x, pts[i].y);
            continue;
        }
        // Catmull-Rom through the neighbours, as cubic Bezier control points.
        const Pt& p0 = pts[i > 1 ? i - 2 : i - 1];
        const Pt& p1 = pts[i - 1];
        const Pt& p2 = pts[i];
        const Pt& p3 = pts[i + 1 < pts.size() ? i + 1 : i];
        const double t = 1.0 / 6;
        point('C', p1.x + (p2.x - p0.x) * t, p1.y + (p2.y - p0.y) * t);
        d += ' ';
        point(0, p2.x - (p3.x - p1.x) * t, p2.y - (p3.y - p1.y) * t);
        d += ' ';
        point(0, p2.x, p2.y);
    }
    return d;
}

void DrawDataLabel(Ctx& ctx, const ChartLabels& l, const std::string& text, double x, double y, const Rect& plot) {
    if (text.empty() || ctx.dataLabels >= 4096) return;
    ++ctx.dataLabels;
    const TextStyle st = ctx.Style(l.font);
    x = std::clamp(x, plot.x - 20, plot.Right() + 20);
    y = std::clamp(y, plot.y - 10, plot.Bottom() + 10);
    ctx.cv.Text(x, y, text, st, HAnchor::Middle, VAnchor::Middle);
}

void DrawCartesian(Ctx& ctx, Rect plot) { Layout(ctx, plot).Run(); }

}  // namespace sheets::chart
