#include "sheets/xlsx/DrawingProps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

namespace {

constexpr std::array<uint32_t, 12> kOfficeScheme = {0x000000, 0xFFFFFF, 0x1F497D, 0xEEECE1, 0x4F81BD, 0xC0504D,
                                                    0x9BBB59, 0x8064A2, 0x4BACC6, 0xF79646, 0x0000FF, 0x800080};

struct Hsl {
    double h, s, l;
};

Hsl ToHsl(uint32_t rgb) {
    double r = ((rgb >> 16) & 0xFF) / 255.0, g = ((rgb >> 8) & 0xFF) / 255.0, b = (rgb & 0xFF) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    Hsl o{0, 0, (mx + mn) / 2};
    if (mx != mn) {
        double d = mx - mn;
        o.s = o.l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r) o.h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g) o.h = (b - r) / d + 2;
        else o.h = (r - g) / d + 4;
        o.h /= 6;
    }
    return o;
}

uint32_t FromHsl(Hsl c) {
    c.s = std::clamp(c.s, 0.0, 1.0);
    c.l = std::clamp(c.l, 0.0, 1.0);
    auto hue = [](double p, double q, double t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (t < 1.0 / 6) return p + (q - p) * 6 * t;
        if (t < 0.5) return q;
        if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    double r, g, b;
    if (c.s == 0) {
        r = g = b = c.l;
    } else {
        double q = c.l < 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s, p = 2 * c.l - q;
        r = hue(p, q, c.h + 1.0 / 3);
        g = hue(p, q, c.h);
        b = hue(p, q, c.h - 1.0 / 3);
    }
    auto to8 = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return (to8(r) << 16) | (to8(g) << 8) | to8(b);
}

bool Hex(std::string_view s, uint32_t& out) {
    if (s.size() != 6) return false;
    uint32_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * 16 + uint32_t(d);
    }
    out = v;
    return true;
}

// A percentage attribute in thousandths of a percent, as a fraction.
double Fraction(const XmlTree& t, uint32_t n) {
    const char* v = t.AttrOf(n, "val");
    double d = 0;
    if (!v || !ParseDouble(v, d) || !std::isfinite(d)) return 0;
    if (std::string_view(v).ends_with("%")) return d / 100;
    return std::clamp(d / 100000, -10.0, 10.0);
}

uint32_t Mix(uint32_t a, uint32_t b, double f) {  // f of a, 1 - f of b
    auto ch = [&](int s) {
        double x = ((a >> s) & 0xFF) * f + ((b >> s) & 0xFF) * (1 - f);
        return uint32_t(std::lround(std::clamp(x, 0.0, 255.0))) << s;
    };
    return ch(16) | ch(8) | ch(0);
}

constexpr struct {
    const char* name;
    uint32_t rgb;
} kPresets[] = {{"black", 0x000000},  {"white", 0xFFFFFF},  {"red", 0xFF0000},    {"green", 0x008000},
                {"blue", 0x0000FF},   {"yellow", 0xFFFF00}, {"gray", 0x808080},   {"grey", 0x808080},
                {"orange", 0xFFA500}, {"purple", 0x800080}, {"cyan", 0x00FFFF},   {"magenta", 0xFF00FF},
                {"navy", 0x000080},   {"lime", 0x00FF00},   {"silver", 0xC0C0C0}, {"brown", 0xA52A2A}};

LineDash DashOf(std::string_view v) {
    if (v == "dot" || v == "sysDot") return v == "dot" ? LineDash::Dot : LineDash::SysDot;
    if (v == "dash") return LineDash::Dash;
    if (v == "sysDash") return LineDash::SysDash;
    if (v == "dashDot" || v == "sysDashDot") return LineDash::DashDot;
    if (v == "lgDash") return LineDash::LongDash;
    if (v == "lgDashDot") return LineDash::LongDashDot;
    if (v == "lgDashDotDot" || v == "sysDashDotDot") return LineDash::LongDashDotDot;
    return LineDash::Solid;
}

}  // namespace

uint32_t LumModOff(uint32_t rgb, double mod, double off) {
    Hsl c = ToHsl(rgb);
    c.l = c.l * mod + off;
    return FromHsl(c);
}

DrawingColors::DrawingColors(const std::vector<uint32_t>& scheme) : scheme_(kOfficeScheme) {
    for (size_t i = 0; i < scheme.size() && i < scheme_.size(); ++i) scheme_[i] = scheme[i];
}

bool DrawingColors::Read(const XmlTree& t, uint32_t parent, Color& color, double& alpha) const {
    for (uint32_t n = t.First(parent); n; n = t.Next(n)) {
        const std::string_view name = t.At(n).name;
        uint32_t rgb = 0;
        bool ok = false;
        if (name == "srgbClr") {
            const char* v = t.AttrOf(n, "val");
            ok = v && Hex(v, rgb);
        } else if (name == "schemeClr") {
            const char* v = t.AttrOf(n, "val");
            std::string_view s = v ? v : "";
            static constexpr std::pair<std::string_view, int> kNames[] = {
                {"dk1", 0},     {"lt1", 1},     {"dk2", 2},     {"lt2", 3},      {"tx1", 0},     {"bg1", 1},
                {"tx2", 2},     {"bg2", 3},     {"accent1", 4}, {"accent2", 5},  {"accent3", 6}, {"accent4", 7},
                {"accent5", 8}, {"accent6", 9}, {"hlink", 10},  {"folHlink", 11}};
            for (auto& [k, i] : kNames)
                if (s == k) {
                    rgb = scheme_[size_t(i)];
                    ok = true;
                }
        } else if (name == "sysClr") {
            const char* v = t.AttrOf(n, "lastClr");
            ok = v && Hex(v, rgb);
            if (!ok) {
                std::string_view s = t.AttrOf(n, "val") ? t.AttrOf(n, "val") : "";
                rgb = s == "window" ? 0xFFFFFF : 0x000000;
                ok = true;
            }
        } else if (name == "prstClr") {
            const char* v = t.AttrOf(n, "val");
            for (auto& p : kPresets)
                if (v && std::strcmp(v, p.name) == 0) {
                    rgb = p.rgb;
                    ok = true;
                }
        } else if (name == "scrgbClr") {
            auto pc = [&](const char* a) {
                const char* v = t.AttrOf(n, a);
                double d = 0;
                if (v && ParseDouble(v, d) && std::isfinite(d)) d = std::clamp(d / 100000, 0.0, 1.0);
                else d = 0;
                // Linear light to sRGB.
                d = d <= 0.0031308 ? d * 12.92 : 1.055 * std::pow(d, 1 / 2.4) - 0.055;
                return uint32_t(std::lround(d * 255));
            };
            rgb = pc("r") << 16 | pc("g") << 8 | pc("b");
            ok = true;
        } else if (name == "hslClr") {
            const char* h = t.AttrOf(n, "hue");
            double hd = 0;
            if (h && ParseDouble(h, hd) && std::isfinite(hd)) hd = std::fmod(std::fabs(hd) / 21600000, 1.0);
            else hd = 0;
            Hsl c{hd, 0, 0};
            const char* s = t.AttrOf(n, "sat");
            const char* l = t.AttrOf(n, "lum");
            double d;
            if (s && ParseDouble(s, d) && std::isfinite(d)) c.s = d / 100000;
            if (l && ParseDouble(l, d) && std::isfinite(d)) c.l = d / 100000;
            rgb = FromHsl(c);
            ok = true;
        }
        if (!ok) continue;
        double a = 1, lumMod = 1, lumOff = 0;
        for (uint32_t m = t.First(n); m; m = t.Next(m)) {
            const std::string_view mn = t.At(m).name;
            const double f = Fraction(t, m);
            if (mn == "lumMod") lumMod = f;
            else if (mn == "lumOff") lumOff = f;
            else if (mn == "alpha") a = std::clamp(f, 0.0, 1.0);
            else if (mn == "tint") rgb = Mix(rgb, 0xFFFFFF, std::clamp(f, 0.0, 1.0));
            else if (mn == "shade") rgb = Mix(rgb, 0x000000, std::clamp(f, 0.0, 1.0));
            else if (mn == "satMod") {
                Hsl c = ToHsl(rgb);
                c.s *= std::clamp(f, 0.0, 10.0);
                rgb = FromHsl(c);
            }
        }
        if (lumMod != 1 || lumOff != 0) rgb = LumModOff(rgb, lumMod, lumOff);
        color = Color::Rgb(rgb);
        alpha = a;
        return true;
    }
    return false;
}

void DrawingColors::ReadLine(const XmlTree& t, uint32_t ln, ChartLine& out) const {
    if (!ln) return;
    if (const char* w = t.AttrOf(ln, "w")) {
        double d;
        if (ParseDouble(w, d) && std::isfinite(d) && d >= 0) out.width = std::min(d / 12700, 50.0);
    }
    for (uint32_t n = t.First(ln); n; n = t.Next(n)) {
        const std::string_view name = t.At(n).name;
        if (name == "noFill") {
            out.none = true;
        } else if (name == "solidFill") {
            Read(t, n, out.color, out.alpha);
            out.none = false;
        } else if (name == "gradFill") {
            const uint32_t gs = t.Path(n, "gsLst/gs");
            if (gs) Read(t, gs, out.color, out.alpha);
            out.none = false;
        } else if (name == "prstDash") {
            const char* v = t.AttrOf(n, "val");
            out.dash = DashOf(v ? v : "");
        }
    }
}

void DrawingColors::ReadShape(const XmlTree& t, uint32_t spPr, ChartShape& out) const {
    if (!spPr) return;
    for (uint32_t n = t.First(spPr); n; n = t.Next(n)) {
        const std::string_view name = t.At(n).name;
        if (name == "noFill") {
            out.fill = ChartShape::Fill::None;
        } else if (name == "solidFill") {
            if (Read(t, n, out.color, out.alpha)) out.fill = ChartShape::Fill::Solid;
        } else if (name == "gradFill" || name == "pattFill") {
            // Drawn in one colour: the gradient's first stop, the pattern's foreground.
            const uint32_t from = name == "gradFill" ? t.Path(n, "gsLst/gs") : t.Child(n, "fgClr");
            if (from && Read(t, from, out.color, out.alpha)) out.fill = ChartShape::Fill::Solid;
        } else if (name == "ln") {
            ReadLine(t, n, out.line);
        }
    }
}

void DrawingColors::ReadFont(const XmlTree& t, uint32_t rPr, ChartFont& out) const {
    if (!rPr) return;
    if (const char* sz = t.AttrOf(rPr, "sz")) {
        double d;
        if (ParseDouble(sz, d) && std::isfinite(d) && d >= 100) out.size = std::min(d / 100, 400.0);
    }
    auto flag = [&](const char* a, int8_t& f) {
        if (const char* v = t.AttrOf(rPr, a)) f = (std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0) ? 1 : 0;
    };
    flag("b", out.bold);
    flag("i", out.italic);
    if (const uint32_t fill = t.Child(rPr, "solidFill")) {
        double alpha = 1;
        Read(t, fill, out.color, alpha);
    }
}

void DrawingColors::ReadRich(const XmlTree& t, uint32_t rich, ChartText& out) const {
    if (!rich) return;
    if (const uint32_t body = t.Child(rich, "bodyPr")) {
        if (const char* rot = t.AttrOf(body, "rot")) {
            double d;
            if (ParseDouble(rot, d) && std::isfinite(d)) out.rotation = std::clamp(d / 60000, -90.0, 90.0);
        }
        const char* vert = t.AttrOf(body, "vert");
        if (vert && std::string_view(vert) != "horz" && !t.AttrOf(body, "rot")) out.rotation = -90;
    }
    size_t bytes = 0;
    bool firstPara = true;
    for (uint32_t p = t.First(rich); p; p = t.Next(p)) {
        if (!t.Is(p, "p")) continue;
        ChartFont paraFont;
        ReadFont(t, t.Path(p, "pPr/defRPr"), paraFont);
        if (firstPara) out.font = paraFont;
        if (!firstPara && !out.runs.empty()) out.runs.back().text += '\n';
        firstPara = false;
        for (uint32_t r = t.First(p); r; r = t.Next(r)) {
            const bool run = t.Is(r, "r"), field = t.Is(r, "fld"), brk = t.Is(r, "br");
            if (brk) {
                if (!out.runs.empty()) out.runs.back().text += '\n';
                continue;
            }
            if (!run && !field) continue;
            ChartRun cr;
            cr.font = paraFont;
            ReadFont(t, t.Child(r, "rPr"), cr.font);
            cr.text = t.Text(t.Child(r, "t"));
            if (!t.Child(r, "t")) cr.text.clear();
            if (bytes + cr.text.size() > kChartMaxTextBytes)
                cr.text.resize(kChartMaxTextBytes - std::min(bytes, kChartMaxTextBytes));
            bytes += cr.text.size();
            if (!cr.text.empty()) out.runs.push_back(std::move(cr));
        }
    }
}

}  // namespace sheets::xlsx
