#include "sheets/html/SheetShapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "sheets/html/FontStack.h"
#include "sheets/html/HtmlText.h"
#include "sheets/html/Placement.h"
#include "sheets/model/Shape.h"

namespace sheets::html {

namespace {

using namespace std::string_view_literals;

constexpr size_t kDrainAt = size_t(1) << 20;
// No shape is drawn larger than this, whatever its anchor says.
constexpr double kMaxSidePx = 1 << 16;

std::string Num(double v) {
    if (!std::isfinite(v)) v = 0;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    std::string s(buf);
    if (s.size() > 2 && s.ends_with(".0")) s.resize(s.size() - 2);
    if (s == "-0") s = "0";
    return s;
}

bool IsLine(const std::string& g) {
    return g == "line" || g == "lineInv" || g.starts_with("straightConnector") || g.starts_with("bentConnector") ||
           g.starts_with("curvedConnector");
}

class Path {
public:
    Path& M(double x, double y) { return Op('M', x, y); }
    Path& L(double x, double y) { return Op('L', x, y); }
    Path& Z() {
        d_ += 'Z';
        return *this;
    }
    Path& Poly(std::initializer_list<std::pair<double, double>> pts) {
        bool first = true;
        for (const auto& [x, y] : pts) {
            Op(first ? 'M' : 'L', x, y);
            first = false;
        }
        return Z();
    }
    Path& Ellipse(double cx, double cy, double rx, double ry) {
        d_ += "M" + Num(cx - rx) + " " + Num(cy) + "A" + Num(rx) + " " + Num(ry) + " 0 1 0 " + Num(cx + rx) + " " +
              Num(cy) + "A" + Num(rx) + " " + Num(ry) + " 0 1 0 " + Num(cx - rx) + " " + Num(cy) + "Z";
        return *this;
    }
    Path& RoundRect(double w, double h, double r) {
        r = std::min({r, w / 2, h / 2});
        M(r, 0).L(w - r, 0);
        Arc(r, w, r);
        L(w, h - r);
        Arc(r, w - r, h);
        L(r, h);
        Arc(r, 0, h - r);
        L(0, r);
        Arc(r, r, 0);
        return Z();
    }
    std::string Take() { return std::move(d_); }

private:
    Path& Op(char op, double x, double y) {
        d_ += op;
        d_ += Num(x);
        d_ += ' ';
        d_ += Num(y);
        return *this;
    }
    void Arc(double r, double x, double y) { d_ += "A" + Num(r) + " " + Num(r) + " 0 0 1 " + Num(x) + " " + Num(y); }
    std::string d_;
};

// An arrow pointing right in a w by h box, mapped through `map` (for the other directions).
template <typename Map>
void BlockArrow(Path& p, double w, double h, double adjust, Map map) {
    const double shaft = h * (adjust >= 0 ? adjust : 0.5), head = std::min(w, h) * 0.5;
    const double top = (h - shaft) / 2, bottom = h - top, neck = std::max(0.0, w - head);
    const std::pair<double, double> pts[] = {{0, top},  {neck, top},    {neck, 0},  {w, h / 2},
                                             {neck, h}, {neck, bottom}, {0, bottom}};
    bool first = true;
    for (const auto& [x, y] : pts) {
        const auto [mx, my] = map(x, y);
        first ? p.M(mx, my) : p.L(mx, my);
        first = false;
    }
    p.Z();
}

void Callout(Path& p, const std::string& g, double w, double h) {
    // The tail points below the body, a little left of its middle, where a new callout puts it.
    const double tipX = w * 0.29, tipY = h * 1.125;
    if (g.starts_with("wedgeEllipse")) p.Ellipse(w / 2, h / 2, w / 2, h / 2);
    else if (g.starts_with("wedgeRoundRect")) p.RoundRect(w, h, std::min(w, h) / 6);
    else p.Poly({{0, 0}, {w, 0}, {w, h}, {0, h}});
    p.Poly({{w * 0.25, h * 0.9}, {tipX, tipY}, {w * 0.42, h * 0.9}});
}

void Regular(Path& p, int sides, double w, double h, double start) {
    for (int i = 0; i < sides; ++i) {
        const double a = start + 2 * M_PI * i / sides;
        const double x = w / 2 + w / 2 * std::cos(a), y = h / 2 + h / 2 * std::sin(a);
        i == 0 ? p.M(x, y) : p.L(x, y);
    }
    p.Z();
}

}  // namespace

std::string ShapeOutline(const Shape& s, double w, double h) {
    const std::string& g = s.geometry;
    const double a = s.adjust;
    Path p;
    if (IsLine(g)) {
        p.M(0, 0).L(w, h);
    } else if (g == "path") {
        std::string d;
        for (const PathStep& st : s.path) {
            switch (st.op) {
            case PathStep::Op::Move: d += "M" + Num(st.pt[0] * w) + " " + Num(st.pt[1] * h); break;
            case PathStep::Op::Line: d += "L" + Num(st.pt[0] * w) + " " + Num(st.pt[1] * h); break;
            case PathStep::Op::Cubic:
                d += "C" + Num(st.pt[0] * w) + " " + Num(st.pt[1] * h) + " " + Num(st.pt[2] * w) + " " +
                     Num(st.pt[3] * h) + " " + Num(st.pt[4] * w) + " " + Num(st.pt[5] * h);
                break;
            case PathStep::Op::Close: d += "Z"; break;
            }
        }
        // A path must start with a move.
        if (!d.empty() && d[0] != 'M') d = "M0 0" + d;
        return d;
    } else if (g == "dropDown") {
        // The box, its arrow button at the right and the arrow in the button.
        const double b = std::min(w / 2, double(EmuToPx(kDropButtonEmu))), cx = w - b / 2, cy = h / 2,
                     r = std::min(b, h) / 5;
        p.Poly({{0, 0}, {w, 0}, {w, h}, {0, h}});
        p.M(w - b, 0).L(w - b, h);
        p.M(cx - r, cy - r / 2).L(cx, cy + r / 2).L(cx + r, cy - r / 2);
    } else if (g == "ellipse" || g == "flowChartConnector") {
        p.Ellipse(w / 2, h / 2, w / 2, h / 2);
    } else if (g == "roundRect" || g == "flowChartAlternateProcess") {
        p.RoundRect(w, h, std::min(w, h) * (a >= 0 ? a : 1.0 / 6));
    } else if (g == "flowChartTerminator") {
        p.RoundRect(w, h, std::min(w, h) / 2);
    } else if (g == "triangle" || g == "flowChartExtract") {
        p.Poly({{w * (a >= 0 ? a : 0.5), 0}, {w, h}, {0, h}});
    } else if (g == "rtTriangle") {
        p.Poly({{0, 0}, {w, h}, {0, h}});
    } else if (g == "diamond" || g == "flowChartDecision") {
        p.Poly({{w / 2, 0}, {w, h / 2}, {w / 2, h}, {0, h / 2}});
    } else if (g == "parallelogram" || g == "flowChartInputOutput") {
        const double o = std::min(w, h) * (a >= 0 ? a : 0.25);
        p.Poly({{o, 0}, {w, 0}, {w - o, h}, {0, h}});
    } else if (g == "trapezoid") {
        const double o = std::min(w, h) * (a >= 0 ? a : 0.25);
        p.Poly({{0, h}, {o, 0}, {w - o, 0}, {w, h}});
    } else if (g == "pentagon" || g == "hexagon" || g == "heptagon" || g == "octagon" || g == "decagon") {
        const int n = g == "pentagon" ? 5 : g == "hexagon" ? 6 : g == "heptagon" ? 7 : g == "octagon" ? 8 : 10;
        Regular(p, n, w, h, n % 2 ? -M_PI / 2 : 0);
    } else if (g == "homePlate" || g == "chevron") {
        const double o = std::min(w, h) * (a >= 0 ? a : 0.5);
        if (g == "homePlate") p.Poly({{0, 0}, {w - o, 0}, {w, h / 2}, {w - o, h}, {0, h}});
        else p.Poly({{0, 0}, {w - o, 0}, {w, h / 2}, {w - o, h}, {0, h}, {o, h / 2}});
    } else if (g == "rightArrow") {
        BlockArrow(p, w, h, a, [](double x, double y) { return std::pair{x, y}; });
    } else if (g == "leftArrow") {
        BlockArrow(p, w, h, a, [w](double x, double y) { return std::pair{w - x, y}; });
    } else if (g == "downArrow") {
        BlockArrow(p, h, w, a, [](double x, double y) { return std::pair{y, x}; });
    } else if (g == "upArrow") {
        BlockArrow(p, h, w, a, [h](double x, double y) { return std::pair{y, h - x}; });
    } else if (g.starts_with("wedge")) {
        Callout(p, g, w, h);
    } else if (g == "plus" || g == "mathPlus") {
        const double o = std::min(w, h) * (a >= 0 ? a : 0.25);
        p.Poly({{o, 0},
                {w - o, 0},
                {w - o, o},
                {w, o},
                {w, h - o},
                {w - o, h - o},
                {w - o, h},
                {o, h},
                {o, h - o},
                {0, h - o},
                {0, o},
                {o, o}});
    } else if (g == "star5") {
        for (int i = 0; i < 10; ++i) {
            const double r = i % 2 ? 0.38 : 1, ang = -M_PI / 2 + M_PI * i / 5;
            const double x = w / 2 + w / 2 * r * std::cos(ang), y = h / 2 + h / 2 * r * std::sin(ang);
            i == 0 ? p.M(x, y) : p.L(x, y);
        }
        p.Z();
    } else {
        // Every other preset keeps its place and its text as a rectangle.
        p.Poly({{0, 0}, {w, 0}, {w, h}, {0, h}});
    }
    return p.Take();
}

namespace {

void AppendFont(std::string& out, const ChartFont& f, const std::string& face, bool underline) {
    // The same stack as the cells': the face, its metric twin, the generic family.
    if (const std::string stack = face.empty() ? std::string() : FontStack(face); !stack.empty())
        out += "font-family:" + stack + ";";
    if (f.size > 0) out += "font-size:" + Num(f.size) + "pt;";
    if (f.bold >= 0) out += f.bold ? "font-weight:bold;"sv : "font-weight:normal;"sv;
    if (f.italic >= 0) out += f.italic ? "font-style:italic;"sv : "font-style:normal;"sv;
    if (f.color.set) out += "color:" + CssColor(f.color.rgb) + ";";
    if (underline) out += "text-decoration:underline;"sv;
}

// `first`: the first paragraph shown (a list box scrolled to its selected item).
void AppendText(std::string& out, const Shape& s, size_t first) {
    if (s.text.size() <= first) return;
    out +=
        "<div style=\"position:absolute;left:0;top:0;right:0;bottom:0;display:flex;flex-direction:column;"
        "white-space:pre-wrap;overflow-wrap:break-word;line-height:1.2;font-family:Calibri,Carlito,sans-serif;"
        "font-size:11pt;"sv;
    out += s.anchor == VAlign::Center   ? "justify-content:center;"sv
           : s.anchor == VAlign::Bottom ? "justify-content:flex-end;"sv
                                        : "justify-content:flex-start;"sv;
    out += "padding:" + Num(EmuToPx(s.inset[1])) + "px " + Num(EmuToPx(s.inset[2])) + "px " + Num(EmuToPx(s.inset[3])) +
           "px " + Num(EmuToPx(s.inset[0])) + "px;";
    if (s.vertical) out += "writing-mode:vertical-rl;"sv;
    if (s.control == ControlKind::ListBox) out += "overflow:hidden;"sv;
    AppendFont(out, s.font, {}, false);
    out += "\">"sv;
    for (size_t i = first; i < s.text.size(); ++i) {
        const ShapeParagraph& p = s.text[i];
        out += "<p style=\"margin:0;"sv;
        if (p.fill.set) out += "background:" + CssColor(p.fill.rgb) + ";";
        out += "text-align:"sv;
        out += p.align == HAlign::Center    ? "center"sv
               : p.align == HAlign::Right   ? "right"sv
               : p.align == HAlign::Justify ? "justify"sv
                                            : "left"sv;
        out += "\">"sv;
        for (const ShapeRun& r : p.runs) {
            std::string style;
            AppendFont(style, r.font, r.face, r.underline);
            if (style.empty()) {
                out += "<span>"sv;
            } else {
                out += "<span style=\""sv;
                AppendEscaped(out, style, true);
                out += "\">"sv;
            }
            // An empty line still takes the height of its font.
            if (r.text.empty()) out += "&#8203;"sv;
            AppendEscaped(out, r.text);
            out += "</span>"sv;
        }
        out += "</p>"sv;
    }
    out += "</div>"sv;
}

// An arrowhead at (x, y) pointing away from (fromX, fromY).
void AppendArrowHead(std::string& out, double x, double y, double fromX, double fromY, double width,
                     const std::string& color) {
    const double dx = x - fromX, dy = y - fromY, len = std::hypot(dx, dy);
    if (len < 1e-6) return;
    const double ux = dx / len, uy = dy / len, size = std::max(6.0, width * 3);
    const double bx = x - ux * size, by = y - uy * size;
    out += "<path d=\"M" + Num(x) + " " + Num(y) + "L" + Num(bx - uy * size / 2) + " " + Num(by + ux * size / 2) + "L" +
           Num(bx + uy * size / 2) + " " + Num(by - ux * size / 2) + "Z\" fill=\"" + color + "\"/>";
}

void AppendOutline(std::string& out, const Shape& s, double w, double h) {
    const bool filled = s.look.fill == ChartShape::Fill::Solid && s.look.color.set;
    const bool stroked = !s.look.line.none && s.look.line.color.set;
    const bool line = IsLine(s.geometry);
    if (!filled && !stroked) return;
    const double sw = s.look.line.width > 0 ? std::min(s.look.line.width * 96 / 72, 100.0) : 1;
    const std::string stroke = stroked ? CssColor(s.look.line.color.rgb) : std::string();
    out += "<svg width=\"" + Num(w) + "\" height=\"" + Num(h) +
           "\" style=\"position:absolute;left:0;top:0;overflow:visible";
    if (s.flipH || s.flipV)
        out += ";transform:scale(" + std::string(s.flipH ? "-1" : "1") + "," + (s.flipV ? "-1" : "1") + ")";
    out += "\"><path d=\"" + ShapeOutline(s, w, h) + "\" fill=\"" +
           (filled && !line ? CssColor(s.look.color.rgb) : std::string("none")) + "\"";
    if (filled && s.look.alpha < 1) out += " fill-opacity=\"" + Num(std::clamp(s.look.alpha, 0.0, 1.0) * 100) + "%\"";
    if (stroked) out += " stroke=\"" + stroke + "\" stroke-width=\"" + Num(sw) + "\"";
    out += "/>"sv;
    if (line && stroked) {
        if (s.tailArrow) AppendArrowHead(out, w, h, 0, 0, sw, stroke);
        if (s.headArrow) AppendArrowHead(out, 0, 0, w, h, sw, stroke);
    }
    out += "</svg>"sv;
}

// A list box shows as many items as its height holds, scrolled so that the
// selected one is the last of them when it would fall below.
size_t FirstShown(const Shape& s, double h) {
    if (s.control != ControlKind::ListBox || s.selected == 0) return 0;
    const double linePx = 1.2 * (s.font.size > 0 ? s.font.size : 11) * 96 / 72;
    const double room = h - EmuToPx(s.inset[1]) - EmuToPx(s.inset[3]);
    const size_t rows = size_t(std::clamp(std::floor(room / linePx), 1.0, double(kControlMaxItems)));
    return s.selected > rows ? s.selected - rows : 0;
}

}  // namespace

int64_t AppendWorksheetShapes(const Sheet& sheet, const SheetGeometry& geo, std::string& out, const Drain& drain) {
    int64_t bottom = 0;
    for (const auto& ptr : sheet.shapes) {
        const Shape& s = *ptr;
        const Box b = PlaceAnchored(s.from, s.to, s.widthEmu, s.heightEmu, geo);
        if (b.w < 0 || b.h < 0 || !std::isfinite(s.x + s.y + s.w + s.h)) continue;
        const double x = std::clamp(double(b.x) + s.x * double(b.w), 0.0, double(int64_t(1) << 31));
        const double y = std::clamp(double(b.y) + s.y * double(b.h), 0.0, double(int64_t(1) << 31));
        const double w = std::clamp(s.w * double(b.w), 0.0, kMaxSidePx);
        const double h = std::clamp(s.h * double(b.h), 0.0, kMaxSidePx);
        if (w <= 0 && h <= 0) continue;
        out += "<div style=\"position:absolute;left:" + Num(x) + "px;top:" + Num(y) + "px;width:" + Num(w) +
               "px;height:" + Num(h) + "px";
        if (s.rotation != 0 && std::isfinite(s.rotation)) out += ";transform:rotate(" + Num(s.rotation) + "deg)";
        out += "\">"sv;
        AppendOutline(out, s, w, h);
        AppendText(out, s, FirstShown(s, h));
        out += "</div>\n"sv;
        bottom = std::max(bottom, int64_t(y + h));
        if (drain && out.size() >= kDrainAt) drain(out);
    }
    return bottom;
}

}  // namespace sheets::html
