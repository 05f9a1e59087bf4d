#include "sheets/xlsx/ChartPart.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "sheets/Errors.h"
#include "sheets/xlsx/DrawingProps.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/ValueText.h"
#include "sheets/xlsx/XmlTree.h"

namespace sheets::xlsx {

namespace {

class ChartReader {
public:
    ChartReader(const XmlTree& t, const std::vector<uint32_t>& scheme, Chart& c) : t_(t), colors_(scheme), c_(c) {
        for (size_t i = 0; i < c_.scheme.size(); ++i) c_.scheme[i] = colors_.Scheme()[i];
    }

    void Read() {
        const uint32_t space = t_.Root();
        if (!space || (t_.At(space).name != "chartSpace")) {
            c_.unsupported = "damaged";
            return;
        }
        c_.style = int(std::clamp<int64_t>(t_.ValInt(space, "style", 2), 1, 48));
        // Alternate content: the style of newer writers sits in a Choice.
        if (const uint32_t alt = t_.Child(space, "AlternateContent")) {
            for (uint32_t n = t_.First(alt); n; n = t_.Next(n))
                if (const char* v = t_.Val(n, "style")) {
                    int64_t s;
                    if (ParseInt(v, s)) c_.style = int(std::clamp<int64_t>(s > 100 ? s - 100 : s, 1, 48));
                    break;
                }
        }
        c_.roundedCorners = t_.ValBool(space, "roundedCorners", false);
        colors_.ReadShape(t_, t_.Child(space, "spPr"), c_.chartArea);
        if (const uint32_t tx = t_.Child(space, "txPr")) {
            ChartText text;
            colors_.ReadRich(t_, tx, text);
            c_.font = text.font;
        }
        const uint32_t chart = t_.Child(space, "chart");
        if (!chart) {
            c_.unsupported = "damaged";
            return;
        }
        c_.autoTitleDeleted = t_.ValBool(chart, "autoTitleDeleted", false);
        if (const uint32_t title = t_.Child(chart, "title")) {
            ReadTitle(title, c_.title);
            c_.titleOverlay = t_.ValBool(title, "overlay", false);
            ReadLayout(t_.Child(title, "layout"), c_.titleLayout);
        }
        const std::string_view blanks = t_.Val(chart, "dispBlanksAs") ? t_.Val(chart, "dispBlanksAs") : "gap";
        c_.blanksAsGap = blanks != "zero";
        ReadPlotArea(t_.Child(chart, "plotArea"));
        ReadLegend(t_.Child(chart, "legend"));
        if (t_.truncated) Note("the chart part is too large; the rest of it is not shown");
    }

private:
    void Note(const std::string& s) {
        if (c_.note.find(s) != std::string::npos) return;
        if (!c_.note.empty()) c_.note += "; ";
        c_.note += s;
    }

    void ReadLayout(uint32_t layout, ChartLayout& out) {
        const uint32_t m = t_.Child(layout, "manualLayout");
        if (!m) return;
        auto mode = [&](const char* name) {
            const char* v = t_.Val(m, name);
            return v ? std::string_view(v) : std::string_view("factor");
        };
        // Only edge positions are taken: factors are offsets from a place
        // that depends on the rest of the layout.
        if (mode("xMode") != "edge" || mode("yMode") != "edge") return;
        out.x = t_.ValDouble(m, "x", 0);
        out.y = t_.ValDouble(m, "y", 0);
        out.w = t_.ValDouble(m, "w", 0);
        out.h = t_.ValDouble(m, "h", 0);
        const char* target = t_.Val(m, "layoutTarget");
        out.inner = target && std::string_view(target) == "inner";
        auto ok = [](double v) { return v >= 0 && v <= 1; };
        out.set =
            ok(out.x) && ok(out.y) && out.w > 0.05 && out.h > 0.05 && out.x + out.w <= 1.01 && out.y + out.h <= 1.01;
    }

    // A title: rich text, or a reference with its cached text.
    void ReadTitle(uint32_t title, ChartText& out) {
        out.present = true;
        const uint32_t tx = t_.Child(title, "tx");
        if (const uint32_t rich = t_.Child(tx, "rich")) {
            colors_.ReadRich(t_, rich, out);
        } else if (const uint32_t ref = t_.Child(tx, "strRef")) {
            std::vector<std::string> texts;
            ReadStrings(t_.Child(ref, "strCache"), texts);
            std::string s;
            for (auto& x : texts) s += (s.empty() ? "" : " ") + x;
            if (!s.empty()) out.runs.push_back(ChartRun{s, {}});
        }
        if (const uint32_t txPr = t_.Child(title, "txPr")) {
            ChartText p;
            colors_.ReadRich(t_, txPr, p);
            if (out.runs.empty() || !t_.Child(tx, "rich")) {
                out.font = p.font;
                out.rotation = p.rotation;
            }
        }
    }

    // Cached strings by index.
    void ReadStrings(uint32_t cache, std::vector<std::string>& out) {
        if (!cache) return;
        const int64_t count = t_.ValInt(cache, "ptCount", 0);
        out.assign(size_t(std::clamp<int64_t>(count, 0, int64_t(kChartMaxPoints))), std::string());
        for (uint32_t p = t_.First(cache); p; p = t_.Next(p)) {
            if (!t_.Is(p, "pt")) continue;
            int64_t idx = -1;
            const char* i = t_.AttrOf(p, "idx");
            if (!i || !ParseInt(i, idx) || idx < 0) continue;
            if (idx >= int64_t(kChartMaxPoints)) {
                Note("only the first " + std::to_string(kChartMaxPoints) + " points of a series are shown");
                continue;
            }
            if (size_t(idx) >= out.size()) out.resize(size_t(idx) + 1);
            std::string v = t_.Text(t_.Child(p, "v"));
            if (v.size() > kChartMaxTextBytes) v.resize(kChartMaxTextBytes);
            DecodeEscapes(v);
            out[size_t(idx)] = std::move(v);
        }
    }

    void ReadNumbers(uint32_t cache, std::vector<double>& out, std::string* format) {
        if (!cache) return;
        if (format) {
            const uint32_t f = t_.Child(cache, "formatCode");
            if (f && !t_.Text(f).empty()) *format = t_.Text(f).substr(0, 255);
        }
        const int64_t count = t_.ValInt(cache, "ptCount", 0);
        out.assign(size_t(std::clamp<int64_t>(count, 0, int64_t(kChartMaxPoints))), kNoValue);
        std::string scratch;
        for (uint32_t p = t_.First(cache); p; p = t_.Next(p)) {
            if (!t_.Is(p, "pt")) continue;
            int64_t idx = -1;
            const char* i = t_.AttrOf(p, "idx");
            if (!i || !ParseInt(i, idx) || idx < 0) continue;
            if (idx >= int64_t(kChartMaxPoints)) {
                Note("only the first " + std::to_string(kChartMaxPoints) + " points of a series are shown");
                continue;
            }
            if (size_t(idx) >= out.size()) out.resize(size_t(idx) + 1, kNoValue);
            double d;
            const uint32_t v = t_.Child(p, "v");
            // Huge values would overflow the drawing's arithmetic: they are no numbers to draw.
            if (v && ParseDouble(t_.TextView(v, scratch), d) && std::isfinite(d) && std::fabs(d) < 1e300)
                out[size_t(idx)] = d;
        }
    }

    // c:cat / c:xVal: numbers, strings or multi-level strings.
    void ReadCategories(uint32_t cat, ChartSeries& s) {
        if (!cat) return;
        if (const uint32_t ref = t_.Child(cat, "numRef")) {
            const uint32_t cache = t_.Child(ref, "numCache");
            if (cache) ReadNumbers(cache, s.categoryNumbers, &s.categoryFormat);
            else s.categoriesRef = t_.Text(t_.Child(ref, "f"));
            s.numericCategories = true;
        } else if (const uint32_t lit = t_.Child(cat, "numLit")) {
            ReadNumbers(lit, s.categoryNumbers, &s.categoryFormat);
            s.numericCategories = true;
        } else if (const uint32_t sref = t_.Child(cat, "strRef")) {
            const uint32_t cache = t_.Child(sref, "strCache");
            if (cache) ReadStrings(cache, s.categories);
            else s.categoriesRef = t_.Text(t_.Child(sref, "f"));
        } else if (const uint32_t slit = t_.Child(cat, "strLit")) {
            ReadStrings(slit, s.categories);
        } else if (const uint32_t mref = t_.Child(cat, "multiLvlStrRef")) {
            const uint32_t cache = t_.Child(mref, "multiLvlStrCache");
            if (!cache) {
                s.categoriesRef = t_.Text(t_.Child(mref, "f"));
                return;
            }
            bool first = true;
            for (uint32_t l = t_.First(cache); l; l = t_.Next(l)) {
                if (!t_.Is(l, "lvl")) continue;
                std::vector<std::string> level;
                ReadStrings(l, level);
                if (level.empty()) {
                    // ptCount belongs to the cache, not to each level.
                    const int64_t n = t_.ValInt(cache, "ptCount", 0);
                    level.resize(size_t(std::clamp<int64_t>(n, 0, int64_t(kChartMaxPoints))));
                }
                if (first) {
                    s.categories = std::move(level);
                    first = false;
                } else if (s.outerCategories.empty()) {
                    s.outerCategories = std::move(level);
                }
            }
            if (s.categories.empty()) {
                const int64_t n = t_.ValInt(cache, "ptCount", 0);
                s.categories.resize(size_t(std::clamp<int64_t>(n, 0, int64_t(kChartMaxPoints))));
            }
        }
    }

    void ReadValues(uint32_t val, std::vector<double>& out, std::string* format, std::string& ref) {
        if (!val) return;
        if (const uint32_t r = t_.Child(val, "numRef")) {
            const uint32_t cache = t_.Child(r, "numCache");
            if (cache) ReadNumbers(cache, out, format);
            else ref = t_.Text(t_.Child(r, "f"));
        } else if (const uint32_t lit = t_.Child(val, "numLit")) {
            ReadNumbers(lit, out, format);
        }
    }

    void ReadMarker(uint32_t m, ChartMarker& out) {
        if (!m) return;
        if (const char* sym = t_.Val(m, "symbol")) {
            static constexpr std::pair<std::string_view, MarkerSymbol> kSymbols[] = {
                {"none", MarkerSymbol::None},         {"circle", MarkerSymbol::Circle},
                {"square", MarkerSymbol::Square},     {"diamond", MarkerSymbol::Diamond},
                {"triangle", MarkerSymbol::Triangle}, {"x", MarkerSymbol::X},
                {"star", MarkerSymbol::Star},         {"dash", MarkerSymbol::Dash},
                {"dot", MarkerSymbol::Dot},           {"plus", MarkerSymbol::Plus},
                {"auto", MarkerSymbol::Auto},         {"picture", MarkerSymbol::Square}};
            for (auto& [k, v] : kSymbols)
                if (k == sym) out.symbol = v;
        }
        out.size = int(std::clamp<int64_t>(t_.ValInt(m, "size", 0), 0, 72));
        colors_.ReadShape(t_, t_.Child(m, "spPr"), out.shape);
    }

    void ReadLabels(uint32_t d, ChartLabels& out) {
        if (!d) return;
        out.set = true;
        out.deleted = t_.ValBool(d, "delete", false);
        out.value = t_.ValBool(d, "showVal", false);
        out.category = t_.ValBool(d, "showCatName", false);
        out.percent = t_.ValBool(d, "showPercent", false);
        out.seriesName = t_.ValBool(d, "showSerName", false);
        if (const uint32_t nf = t_.Child(d, "numFmt")) {
            const char* code = t_.AttrOf(nf, "formatCode");
            if (code && !t_.ValBool(nf, "sourceLinked", false) &&
                !(t_.AttrOf(nf, "sourceLinked") && std::strcmp(t_.AttrOf(nf, "sourceLinked"), "1") == 0))
                out.numFmt = std::string(code).substr(0, 255);
        }
        if (const uint32_t sep = t_.Child(d, "separator")) out.separator = t_.Text(sep).substr(0, 16);
        if (const char* pos = t_.Val(d, "dLblPos")) {
            static constexpr std::pair<std::string_view, LabelPos> kPos[] = {
                {"ctr", LabelPos::Center},        {"inEnd", LabelPos::InsideEnd}, {"inBase", LabelPos::InsideBase},
                {"outEnd", LabelPos::OutsideEnd}, {"l", LabelPos::Left},          {"r", LabelPos::Right},
                {"t", LabelPos::Above},           {"b", LabelPos::Below},         {"bestFit", LabelPos::BestFit}};
            for (auto& [k, v] : kPos)
                if (k == pos) out.pos = v;
        }
        if (const uint32_t tx = t_.Child(d, "txPr")) {
            ChartText text;
            colors_.ReadRich(t_, tx, text);
            out.font = text.font;
        }
    }

    void ReadSeries(uint32_t ser, ChartGroup& g) {
        if (g.series.size() >= kChartMaxSeries) {
            Note("only the first " + std::to_string(kChartMaxSeries) + " series are shown");
            return;
        }
        ChartSeries& s = g.series.emplace_back();
        s.index = uint32_t(std::clamp<int64_t>(t_.ValInt(ser, "idx", int64_t(g.series.size() - 1)), 0, 1 << 20));
        s.order = uint32_t(std::clamp<int64_t>(t_.ValInt(ser, "order", s.index), 0, 1 << 20));
        if (const uint32_t tx = t_.Child(ser, "tx")) {
            if (const uint32_t ref = t_.Child(tx, "strRef")) {
                std::vector<std::string> names;
                const uint32_t cache = t_.Child(ref, "strCache");
                ReadStrings(cache, names);
                for (auto& n : names) s.name += (s.name.empty() ? "" : " ") + n;
                if (!cache) s.nameRef = t_.Text(t_.Child(ref, "f"));
            } else if (const uint32_t v = t_.Child(tx, "v")) {
                s.name = t_.Text(v).substr(0, kChartMaxTextBytes);
                DecodeEscapes(s.name);
            }
        }
        colors_.ReadShape(t_, t_.Child(ser, "spPr"), s.shape);
        ReadMarker(t_.Child(ser, "marker"), s.marker);
        s.smooth = t_.ValBool(ser, "smooth", false);
        s.explosion = uint32_t(std::clamp<int64_t>(t_.ValInt(ser, "explosion", 0), 0, 400));
        s.invertIfNegative = t_.ValBool(ser, "invertIfNegative", false);
        ReadLabels(t_.Child(ser, "dLbls"), s.labels);
        for (uint32_t p = t_.First(ser); p; p = t_.Next(p)) {
            if (!t_.Is(p, "dPt") || s.points.size() >= kChartMaxPoints) continue;
            ChartPoint pt;
            pt.index = uint32_t(std::clamp<int64_t>(t_.ValInt(p, "idx", 0), 0, int64_t(kChartMaxPoints)));
            colors_.ReadShape(t_, t_.Child(p, "spPr"), pt.shape);
            if (const uint32_t m = t_.Child(p, "marker")) {
                pt.hasMarker = true;
                ReadMarker(m, pt.marker);
            }
            pt.explosion = uint32_t(std::clamp<int64_t>(t_.ValInt(p, "explosion", 0), 0, 400));
            s.points.push_back(pt);
        }
        std::sort(s.points.begin(), s.points.end(),
                  [](const ChartPoint& a, const ChartPoint& b) { return a.index < b.index; });
        const bool xy = g.kind == ChartKind::Scatter || g.kind == ChartKind::Bubble;
        ReadCategories(t_.Child(ser, xy ? "xVal" : "cat"), s);
        ReadValues(t_.Child(ser, xy ? "yVal" : "val"), s.values, &s.valueFormat, s.valuesRef);
        if (g.kind == ChartKind::Bubble) {
            std::string fmt;
            ReadValues(t_.Child(ser, "bubbleSize"), s.bubbleSizes, &fmt, s.bubbleRef);
        }
    }

    void ReadGroup(uint32_t n, std::string_view name) {
        static constexpr struct {
            std::string_view name;
            ChartKind kind;
            bool threeD;
        } kKinds[] = {{"barChart", ChartKind::Bar, false},         {"bar3DChart", ChartKind::Bar, true},
                      {"lineChart", ChartKind::Line, false},       {"line3DChart", ChartKind::Line, true},
                      {"areaChart", ChartKind::Area, false},       {"area3DChart", ChartKind::Area, true},
                      {"pieChart", ChartKind::Pie, false},         {"pie3DChart", ChartKind::Pie, true},
                      {"ofPieChart", ChartKind::Pie, false},       {"doughnutChart", ChartKind::Doughnut, false},
                      {"scatterChart", ChartKind::Scatter, false}, {"bubbleChart", ChartKind::Bubble, false},
                      {"radarChart", ChartKind::Radar, false}};
        static constexpr std::pair<std::string_view, const char*> kUnsupported[] = {
            {"stockChart", "stock"}, {"surfaceChart", "surface"}, {"surface3DChart", "surface"}};
        for (auto& [k, v] : kUnsupported)
            if (k == name) {
                if (c_.unsupported.empty()) c_.unsupported = v;
                return;
            }
        const auto* kind = std::find_if(std::begin(kKinds), std::end(kKinds), [&](auto& k) { return k.name == name; });
        if (kind == std::end(kKinds)) return;
        if (c_.groups.size() >= 16) return;
        ChartGroup& g = c_.groups.emplace_back();
        g.kind = kind->kind;
        g.threeD = kind->threeD;
        if (const char* dir = t_.Val(n, "barDir")) g.horizontal = std::string_view(dir) == "bar";
        const std::string_view grouping = t_.Val(n, "grouping") ? t_.Val(n, "grouping") : "";
        if (grouping == "stacked") g.grouping = Grouping::Stacked;
        else if (grouping == "percentStacked") g.grouping = Grouping::PercentStacked;
        else if (grouping == "standard")
            g.grouping = g.kind == ChartKind::Bar ? Grouping::Clustered : Grouping::Standard;
        else g.grouping = g.kind == ChartKind::Bar ? Grouping::Clustered : Grouping::Standard;
        g.varyColors = t_.ValBool(n, "varyColors", g.kind == ChartKind::Pie || g.kind == ChartKind::Doughnut);
        if (!t_.Child(n, "varyColors") && g.kind != ChartKind::Pie && g.kind != ChartKind::Doughnut)
            g.varyColors = false;
        g.markers = t_.ValBool(n, "marker", g.kind == ChartKind::Line);
        g.gapWidth = int(std::clamp<int64_t>(t_.ValInt(n, "gapWidth", 150), 0, 500));
        g.overlap = int(std::clamp<int64_t>(t_.ValInt(n, "overlap", 0), -100, 100));
        if (!t_.Child(n, "overlap") && g.grouping != Grouping::Clustered && g.kind == ChartKind::Bar) g.overlap = 100;
        g.holeSize = int(std::clamp<int64_t>(t_.ValInt(n, "holeSize", 50), 1, 90));
        g.firstSliceAngle = int(std::clamp<int64_t>(t_.ValInt(n, "firstSliceAng", 0), 0, 360));
        g.bubbleScale = int(std::clamp<int64_t>(t_.ValInt(n, "bubbleScale", 100), 0, 300));
        g.dropLines = t_.Child(n, "dropLines") != 0;
        g.hiLowLines = t_.Child(n, "hiLowLines") != 0;
        if (g.kind == ChartKind::Scatter) {
            const std::string_view st = t_.Val(n, "scatterStyle") ? t_.Val(n, "scatterStyle") : "marker";
            g.scatterSmooth = st == "smooth" || st == "smoothMarker";
            g.scatterLines = st != "marker" && st != "none";
            g.scatterMarkers = st != "line" && st != "smooth";
            // "lineMarker" is what most writers say, whatever the series show.
        }
        if (g.kind == ChartKind::Radar) {
            const std::string_view st = t_.Val(n, "radarStyle") ? t_.Val(n, "radarStyle") : "marker";
            g.radarFilled = st == "filled";
            g.radarMarkers = st == "marker";
        }
        ReadLabels(t_.Child(n, "dLbls"), g.labels);
        // Series are large: counted first, so that none is moved as the list grows.
        size_t count = 0;
        for (uint32_t c = t_.First(n); c && count < kChartMaxSeries; c = t_.Next(c)) count += t_.Is(c, "ser");
        g.series.reserve(count);
        for (uint32_t c = t_.First(n); c; c = t_.Next(c)) {
            if (t_.Is(c, "ser")) ReadSeries(c, g);
            else if (t_.Is(c, "axId") && g.axisIds.size() < 3) {
                int64_t id = 0;
                const char* v = t_.AttrOf(c, "val");
                if (v && ParseInt(v, id)) g.axisIds.push_back(uint32_t(id));
            }
        }
        // Series are large to move, and mostly in order already.
        const auto byOrder = [](const ChartSeries& a, const ChartSeries& b) { return a.order < b.order; };
        if (!std::is_sorted(g.series.begin(), g.series.end(), byOrder))
            std::stable_sort(g.series.begin(), g.series.end(), byOrder);
    }

    void ReadAxis(uint32_t n, AxisKind kind) {
        if (c_.axes.size() >= 16) return;
        ChartAxis& a = c_.axes.emplace_back();
        a.kind = kind;
        int64_t id = 0;
        if (const char* v = t_.Val(n, "axId"); v && ParseInt(v, id)) a.id = uint32_t(id);
        if (const char* v = t_.Val(n, "crossAx"); v && ParseInt(v, id)) a.crossAxis = uint32_t(id);
        a.deleted = t_.ValBool(n, "delete", false);
        const uint32_t scaling = t_.Child(n, "scaling");
        if (const char* o = t_.Val(scaling, "orientation")) a.reversed = std::string_view(o) == "maxMin";
        const double logBase = t_.ValDouble(scaling, "logBase", 0);
        if (logBase >= 2 && logBase <= 1000) a.logBase = logBase;
        a.min = t_.ValDouble(scaling, "min", kNoValue);
        a.max = t_.ValDouble(scaling, "max", kNoValue);
        if (std::fabs(a.min) > 1e300) a.min = kNoValue;
        if (std::fabs(a.max) > 1e300) a.max = kNoValue;
        a.majorUnit = t_.ValDouble(n, "majorUnit", kNoValue);
        a.minorUnit = t_.ValDouble(n, "minorUnit", kNoValue);
        if (!(a.majorUnit > 0)) a.majorUnit = kNoValue;
        if (!(a.minorUnit > 0)) a.minorUnit = kNoValue;
        const std::string_view pos = t_.Val(n, "axPos") ? t_.Val(n, "axPos") : "";
        a.pos = pos == "b" ? AxisPos::Bottom : pos == "t" ? AxisPos::Top : pos == "r" ? AxisPos::Right : AxisPos::Left;
        if (const uint32_t g = t_.Child(n, "majorGridlines")) {
            a.majorGrid = true;
            ChartShape s;
            colors_.ReadShape(t_, t_.Child(g, "spPr"), s);
            a.gridLine = s.line;
        }
        if (const uint32_t g = t_.Child(n, "minorGridlines")) {
            a.minorGrid = true;
            ChartShape s;
            colors_.ReadShape(t_, t_.Child(g, "spPr"), s);
            a.minorGridLine = s.line;
        }
        if (const uint32_t title = t_.Child(n, "title")) {
            ReadTitle(title, a.title);
            if (std::isnan(a.title.rotation) || a.title.rotation == 0) {
                if (!t_.Path(title, "tx/rich/bodyPr") || !t_.AttrOf(t_.Path(title, "tx/rich/bodyPr"), "rot"))
                    a.title.rotation = kNoValue;  // the axis's default
            }
        }
        if (const uint32_t nf = t_.Child(n, "numFmt")) {
            const char* code = t_.AttrOf(nf, "formatCode");
            const char* linked = t_.AttrOf(nf, "sourceLinked");
            a.sourceLinked = linked && (std::strcmp(linked, "1") == 0 || std::strcmp(linked, "true") == 0);
            if (code) a.numFmt = std::string(code).substr(0, 255);
        }
        auto tick = [&](const char* name, TickMark def) {
            const char* v = t_.Val(n, name);
            if (!v) return def;
            std::string_view s(v);
            return s == "none"    ? TickMark::None
                   : s == "in"    ? TickMark::In
                   : s == "cross" ? TickMark::Cross
                                  : TickMark::Out;
        };
        a.majorTick = tick("majorTickMark", TickMark::Out);
        a.minorTick = tick("minorTickMark", TickMark::None);
        if (const char* v = t_.Val(n, "tickLblPos")) {
            std::string_view s(v);
            a.tickLabels = s == "none"   ? TickLabels::None
                           : s == "low"  ? TickLabels::Low
                           : s == "high" ? TickLabels::High
                                         : TickLabels::NextTo;
        }
        ChartShape sp;
        colors_.ReadShape(t_, t_.Child(n, "spPr"), sp);
        a.line = sp.line;
        if (const uint32_t tx = t_.Child(n, "txPr")) {
            ChartText text;
            text.rotation = kNoValue;
            colors_.ReadRich(t_, tx, text);
            a.font = text.font;
            if (!std::isnan(text.rotation) && t_.AttrOf(t_.Child(tx, "bodyPr"), "rot")) a.labelRotation = text.rotation;
        }
        if (const char* v = t_.Val(n, "crosses")) {
            std::string_view s(v);
            a.crosses = s == "min" ? Crosses::Min : s == "max" ? Crosses::Max : Crosses::AutoZero;
        }
        if (t_.Child(n, "crossesAt")) {
            a.crosses = Crosses::At;
            a.crossesAt = t_.ValDouble(n, "crossesAt", 0);
        }
        if (const char* v = t_.Val(n, "crossBetween")) a.between = std::string_view(v) != "midCat";
        a.labelSkip = uint32_t(std::clamp<int64_t>(t_.ValInt(n, "tickLblSkip", 0), 0, 1 << 20));
        a.markSkip = uint32_t(std::clamp<int64_t>(t_.ValInt(n, "tickMarkSkip", 0), 0, 1 << 20));
        if (const uint32_t du = t_.Child(n, "dispUnits")) {
            static constexpr struct {
                std::string_view name;
                double unit;
                const char* label;
            } kUnits[] = {{"hundreds", 1e2, "Hundreds"},
                          {"thousands", 1e3, "Thousands"},
                          {"tenThousands", 1e4, "Ten Thousands"},
                          {"hundredThousands", 1e5, "Hundred Thousands"},
                          {"millions", 1e6, "Millions"},
                          {"tenMillions", 1e7, "Ten Millions"},
                          {"hundredMillions", 1e8, "Hundred Millions"},
                          {"billions", 1e9, "Billions"},
                          {"trillions", 1e12, "Trillions"}};
            const uint32_t lbl = t_.Child(du, "dispUnitsLbl");
            if (const char* u = t_.Val(du, "builtInUnit")) {
                for (auto& k : kUnits)
                    if (k.name == u) {
                        a.displayUnit = k.unit;
                        if (lbl) a.displayUnitLabel = k.label;
                    }
            } else {
                const double c = t_.ValDouble(du, "custUnit", 1);
                if (c > 0 && c < 1e300) a.displayUnit = c;
            }
            // The label's own text, when it has one.
            if (const uint32_t rich = t_.Path(lbl, "tx/rich")) {
                ChartText text;
                colors_.ReadRich(t_, rich, text);
                if (!text.runs.empty()) a.displayUnitLabel = text.Plain();
            }
        }
    }

    void ReadPlotArea(uint32_t plot) {
        if (!plot) {
            c_.unsupported = "damaged";
            return;
        }
        ReadLayout(t_.Child(plot, "layout"), c_.plotLayout);
        colors_.ReadShape(t_, t_.Child(plot, "spPr"), c_.plotArea);
        for (uint32_t n = t_.First(plot); n; n = t_.Next(n)) {
            const std::string_view name = t_.At(n).name;
            if (name == "catAx") ReadAxis(n, AxisKind::Category);
            else if (name == "valAx") ReadAxis(n, AxisKind::Value);
            else if (name == "dateAx") ReadAxis(n, AxisKind::Date);
            else if (name == "serAx") ReadAxis(n, AxisKind::Series);
            else if (name.size() > 5 && name.ends_with("Chart")) ReadGroup(n, name);
        }
        if (c_.groups.empty() && c_.unsupported.empty()) c_.unsupported = "empty";
    }

    void ReadLegend(uint32_t legend) {
        if (!legend) return;
        ChartLegend& l = c_.legend;
        l.present = true;
        const std::string_view pos = t_.Val(legend, "legendPos") ? t_.Val(legend, "legendPos") : "r";
        l.pos = pos == "l"    ? LegendPos::Left
                : pos == "t"  ? LegendPos::Top
                : pos == "b"  ? LegendPos::Bottom
                : pos == "tr" ? LegendPos::TopRight
                              : LegendPos::Right;
        l.overlay = t_.ValBool(legend, "overlay", false);
        ReadLayout(t_.Child(legend, "layout"), l.layout);
        colors_.ReadShape(t_, t_.Child(legend, "spPr"), l.shape);
        if (const uint32_t tx = t_.Child(legend, "txPr")) {
            ChartText text;
            colors_.ReadRich(t_, tx, text);
            l.font = text.font;
        }
        for (uint32_t e = t_.First(legend); e; e = t_.Next(e)) {
            if (!t_.Is(e, "legendEntry") || !t_.ValBool(e, "delete", false)) continue;
            if (l.deletedEntries.size() < kChartMaxPoints)
                l.deletedEntries.push_back(uint32_t(std::clamp<int64_t>(t_.ValInt(e, "idx", 0), 0, 1 << 20)));
        }
    }

    const XmlTree& t_;
    DrawingColors colors_;
    Chart& c_;
};

Chart FromTree(const XmlTree& tree, const std::vector<uint32_t>& scheme) {
    Chart c;
    ChartReader(tree, scheme, c).Read();
    return c;
}

}  // namespace

Chart ReadChartPart(const Package& pkg, const std::string& part, const std::vector<uint32_t>& scheme) {
    XmlTree tree;
    try {
        tree.Read(pkg, part);
    } catch (const Error&) {
        Chart c;
        c.unsupported = "damaged";
        return c;
    }
    return FromTree(tree, scheme);
}

Chart ReadChartExPart(const Package& pkg, const std::string& part) {
    Chart c;
    c.unsupported = "chart extension";
    XmlTree tree;
    try {
        tree.Read(pkg, part);
    } catch (const Error&) {
        return c;
    }
    const uint32_t title = tree.Path(tree.Root(), "chart/title");
    std::string text;
    // The title's text wherever it sits (plain value or rich runs).
    std::vector<uint32_t> stack{title};
    while (title && !stack.empty() && text.size() < kChartMaxTextBytes) {
        const uint32_t n = stack.back();
        stack.pop_back();
        if (tree.Is(n, "t") || tree.Is(n, "v")) text += tree.Text(n);
        std::vector<uint32_t> kids;
        for (uint32_t k = tree.First(n); k; k = tree.Next(k)) kids.push_back(k);
        stack.insert(stack.end(), kids.rbegin(), kids.rend());
    }
    if (!text.empty()) {
        c.title.present = true;
        c.title.runs.push_back(ChartRun{text.substr(0, kChartMaxTextBytes), {}});
    }
    return c;
}

Chart ReadChartXml(std::string_view xml, const std::vector<uint32_t>& scheme) {
    XmlTree tree;
    try {
        tree.ReadXml(xml, "chart");
    } catch (const Error&) {
        Chart c;
        c.unsupported = "damaged";
        return c;
    }
    return FromTree(tree, scheme);
}

}  // namespace sheets::xlsx
