#include "sheets/xlsx/DrawingShapes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "sheets/xlsx/DrawingProps.h"
#include "sheets/xlsx/ValueText.h"

namespace sheets::xlsx {

namespace {

constexpr int64_t kMaxEmu = int64_t(1) << 40;

int64_t AttrEmu(const XmlTree& t, uint32_t n, const char* name, int64_t def = 0) {
    const char* v = t.AttrOf(n, name);
    int64_t i = 0;
    if (!v || !ParseInt(v, i)) return def;
    return std::clamp<int64_t>(i, -kMaxEmu, kMaxEmu);
}

bool AttrTrue(const XmlTree& t, uint32_t n, const char* name) {
    const char* v = t.AttrOf(n, name);
    return v && (std::strcmp(v, "1") == 0 || std::strcmp(v, "true") == 0);
}

int64_t ChildEmu(const XmlTree& t, uint32_t n, std::string_view name, int64_t max) {
    int64_t v = 0;
    if (!ParseInt(t.Text(t.Child(n, name)), v) || v < 0) v = 0;
    return std::min(v, max);
}

void ReadAnchorPoint(const XmlTree& t, uint32_t n, Anchor& a) {
    if (!n) return;
    a.col = uint32_t(ChildEmu(t, n, "col", 16383));
    a.row = uint32_t(ChildEmu(t, n, "row", 1048575));
    a.colOffset = ChildEmu(t, n, "colOff", kMaxEmu);
    a.rowOffset = ChildEmu(t, n, "rowOff", kMaxEmu);
}

// A box in some coordinate space: a group's members are placed in its child space.
struct Frame {
    double x = 0, y = 0, w = 1, h = 1;  // fractions of the anchor's box
    // The coordinate space of the members: this rectangle maps onto the frame.
    double chX = 0, chY = 0, chW = 0, chH = 0;
};

struct Xfrm {
    double x = 0, y = 0, w = 0, h = 0;
    bool has = false;
};

Xfrm ReadXfrm(const XmlTree& t, uint32_t xfrm) {
    Xfrm o;
    const uint32_t off = t.Child(xfrm, "off"), ext = t.Child(xfrm, "ext");
    if (!off || !ext) return o;
    o.x = double(AttrEmu(t, off, "x"));
    o.y = double(AttrEmu(t, off, "y"));
    o.w = double(std::max<int64_t>(AttrEmu(t, ext, "cx"), 0));
    o.h = double(std::max<int64_t>(AttrEmu(t, ext, "cy"), 0));
    o.has = true;
    return o;
}

// Where a member's own rectangle falls in the anchor's box.
void PlaceIn(const Frame& parent, const Xfrm& own, Shape& s) {
    s.x = parent.x;
    s.y = parent.y;
    s.w = parent.w;
    s.h = parent.h;
    if (!own.has || parent.chW <= 0 || parent.chH <= 0) return;
    s.x = parent.x + parent.w * (own.x - parent.chX) / parent.chW;
    s.y = parent.y + parent.h * (own.y - parent.chY) / parent.chH;
    s.w = parent.w * own.w / parent.chW;
    s.h = parent.h * own.h / parent.chH;
}

HAlign ParaAlign(const char* a) {
    if (!a) return HAlign::Left;
    const std::string_view v(a);
    if (v == "ctr") return HAlign::Center;
    if (v == "r") return HAlign::Right;
    if (v == "just" || v == "dist") return HAlign::Justify;
    return HAlign::Left;
}

class ShapeReader {
public:
    ShapeReader(const XmlTree& t, const std::vector<uint32_t>& scheme, std::vector<std::shared_ptr<const Shape>>& out)
        : t_(t), colors_(scheme), out_(out) {}

    void Anchor(uint32_t anchor) {
        base_ = Shape{};
        ReadAnchorPoint(t_, t_.Child(anchor, "from"), base_.from);
        const std::string_view kind = t_.At(anchor).name;
        if (kind == "twoCellAnchor") {
            ReadAnchorPoint(t_, t_.Child(anchor, "to"), base_.to);
        } else {
            if (const uint32_t pos = t_.Child(anchor, "pos")) {
                base_.from.colOffset = std::clamp<int64_t>(AttrEmu(t_, pos, "x"), 0, kMaxEmu);
                base_.from.rowOffset = std::clamp<int64_t>(AttrEmu(t_, pos, "y"), 0, kMaxEmu);
            }
            base_.to = base_.from;
            if (const uint32_t ext = t_.Child(anchor, "ext")) {
                base_.widthEmu = std::max<int64_t>(AttrEmu(t_, ext, "cx"), 0);
                base_.heightEmu = std::max<int64_t>(AttrEmu(t_, ext, "cy"), 0);
            }
        }
        for (uint32_t n = t_.First(anchor); n; n = t_.Next(n)) Member(n, Frame{}, 0);
    }

private:
    void Member(uint32_t n, const Frame& frame, int depth) {
        if (out_.size() >= kShapeMaxPerSheet) return;
        if (t_.Is(n, "sp") || t_.Is(n, "cxnSp")) {
            ReadShape(n, frame);
        } else if (t_.Is(n, "grpSp") && depth < kShapeMaxGroupDepth) {
            const uint32_t xfrm = t_.Path(n, "grpSpPr/xfrm");
            Shape place;
            PlaceIn(frame, ReadXfrm(t_, xfrm), place);
            Frame inner{place.x, place.y, place.w, place.h};
            const uint32_t chOff = t_.Child(xfrm, "chOff"), chExt = t_.Child(xfrm, "chExt");
            if (chOff && chExt) {
                inner.chX = double(AttrEmu(t_, chOff, "x"));
                inner.chY = double(AttrEmu(t_, chOff, "y"));
                inner.chW = double(AttrEmu(t_, chExt, "cx"));
                inner.chH = double(AttrEmu(t_, chExt, "cy"));
            }
            for (uint32_t c = t_.First(n); c; c = t_.Next(c)) Member(c, inner, depth + 1);
        }
    }

    void ReadShape(uint32_t n, const Frame& frame) {
        const uint32_t pr = t_.Child(n, "nvSpPr") ? t_.Path(n, "nvSpPr/cNvPr") : t_.Path(n, "nvCxnSpPr/cNvPr");
        if (AttrTrue(t_, pr, "hidden")) return;
        Shape s = base_;
        if (const char* name = t_.AttrOf(pr, "name")) s.name = name;
        const uint32_t spPr = t_.Child(n, "spPr");
        const uint32_t xfrm = t_.Child(spPr, "xfrm");
        PlaceIn(frame, ReadXfrm(t_, xfrm), s);
        if (xfrm) {
            s.rotation = std::fmod(double(AttrEmu(t_, xfrm, "rot")) / 60000, 360);
            s.flipH = AttrTrue(t_, xfrm, "flipH");
            s.flipV = AttrTrue(t_, xfrm, "flipV");
        }
        ReadGeometry(spPr, s);
        ReadStyle(t_.Child(n, "style"), s);
        colors_.ReadShape(t_, spPr, s.look);
        if (const uint32_t ln = t_.Child(spPr, "ln")) {
            auto arrow = [&](const char* end) {
                const char* type = t_.AttrOf(t_.Child(ln, end), "type");
                return type && std::strcmp(type, "none") != 0;
            };
            s.headArrow = arrow("headEnd");
            s.tailArrow = arrow("tailEnd");
        }
        if (t_.Is(n, "cxnSp")) s.look.fill = ChartShape::Fill::None;
        ReadText(t_.Child(n, "txBody"), s);
        out_.push_back(std::make_shared<const Shape>(std::move(s)));
    }

    void ReadGeometry(uint32_t spPr, Shape& s) const {
        if (const uint32_t prst = t_.Child(spPr, "prstGeom")) {
            if (const char* name = t_.AttrOf(prst, "prst")) s.geometry = name;
            const uint32_t gd = t_.Path(prst, "avLst/gd");
            const char* fmla = t_.AttrOf(gd, "fmla");
            double v = 0;
            if (fmla && std::strncmp(fmla, "val ", 4) == 0 && ParseDouble(fmla + 4, v) && std::isfinite(v))
                s.adjust = std::clamp(v / 100000, 0.0, 1.0);
        } else if (const uint32_t cust = t_.Child(spPr, "custGeom")) {
            s.geometry = "path";
            ReadPaths(t_.Child(cust, "pathLst"), s);
        }
    }

    // Every path of a freeform in fractions of its own width and height.
    void ReadPaths(uint32_t list, Shape& s) const {
        for (uint32_t p = t_.First(list); p; p = t_.Next(p)) {
            if (!t_.Is(p, "path")) continue;
            const double w = double(AttrEmu(t_, p, "w")), h = double(AttrEmu(t_, p, "h"));
            double at[2] = {0, 0}, start[2] = {0, 0};  // the pen, and where its figure began
            for (uint32_t step = t_.First(p); step; step = t_.Next(step)) {
                if (s.path.size() >= kShapeMaxPathPoints) return;
                PathStep ps;
                const std::string_view op = t_.At(step).name;
                if (op == "close") {
                    ps.op = PathStep::Op::Close;
                    s.path.push_back(ps);
                    at[0] = start[0], at[1] = start[1];
                    continue;
                }
                if (op == "arcTo") {
                    if (w > 0 && h > 0) Arc(step, w, h, at, s.path);
                    continue;
                }
                if (op == "moveTo") ps.op = PathStep::Op::Move;
                else if (op == "lnTo") ps.op = PathStep::Op::Line;
                else if (op == "cubicBezTo" || op == "quadBezTo") ps.op = PathStep::Op::Cubic;
                else continue;
                int i = 0;
                for (uint32_t pt = t_.First(step); pt && i < 3; pt = t_.Next(pt), ++i) {
                    ps.pt[2 * i] = float(w > 0 ? std::clamp(double(AttrEmu(t_, pt, "x")) / w, -4.0, 5.0) : 0);
                    ps.pt[2 * i + 1] = float(h > 0 ? std::clamp(double(AttrEmu(t_, pt, "y")) / h, -4.0, 5.0) : 0);
                }
                if (op == "quadBezTo") {  // the control point twice, then the end
                    ps.pt[4] = ps.pt[2];
                    ps.pt[5] = ps.pt[3];
                    ps.pt[2] = ps.pt[0];
                    ps.pt[3] = ps.pt[1];
                }
                if (i == 0) continue;
                if (ps.op == PathStep::Op::Cubic && i == 1) ps.op = PathStep::Op::Line;
                const int last = ps.op == PathStep::Op::Cubic ? 4 : 0;
                at[0] = ps.pt[last], at[1] = ps.pt[last + 1];
                if (ps.op == PathStep::Op::Move) start[0] = at[0], start[1] = at[1];
                s.path.push_back(ps);
            }
        }
    }

    // An arc of an ellipse from the pen, as cubic curves of at most a
    // quarter turn each. Its angles are where the ray from the centre
    // points, which on a squashed ellipse is not the angle of the parameter.
    void Arc(uint32_t arc, double w, double h, double at[2], std::vector<PathStep>& path) const {
        const double rx = std::clamp(double(AttrEmu(t_, arc, "wR")) / w, 0.0, 8.0);
        const double ry = std::clamp(double(AttrEmu(t_, arc, "hR")) / h, 0.0, 8.0);
        const double start = double(AttrEmu(t_, arc, "stAng")) / 60000 * M_PI / 180;
        const double sweep = std::clamp(double(AttrEmu(t_, arc, "swAng")) / 60000, -360.0, 360.0) * M_PI / 180;
        if (rx <= 0 || ry <= 0 || sweep == 0 || !std::isfinite(start)) return;
        auto param = [&](double a) { return std::atan2(std::sin(a) * rx, std::cos(a) * ry); };
        const double t0 = param(start);
        double dt = param(start + sweep) - t0;
        // The parameter turns the same way and as far (within a turn) as the angle.
        const double turns = std::trunc(sweep / (2 * M_PI));
        while (sweep > 0 && dt < 0) dt += 2 * M_PI;
        while (sweep < 0 && dt > 0) dt -= 2 * M_PI;
        dt += turns * 2 * M_PI;
        if (std::abs(dt) > 2 * M_PI) dt = std::copysign(2 * M_PI, dt);
        const double cx = at[0] - rx * std::cos(t0), cy = at[1] - ry * std::sin(t0);
        const int pieces = std::max(1, int(std::ceil(std::abs(dt) / (M_PI / 2) - 1e-9)));
        const double piece = dt / pieces, k = 4.0 / 3 * std::tan(piece / 4);
        for (int i = 0; i < pieces && path.size() < kShapeMaxPathPoints; ++i) {
            const double a = t0 + piece * i, b = a + piece;
            PathStep ps;
            ps.op = PathStep::Op::Cubic;
            const double pts[6] = {cx + rx * (std::cos(a) - k * std::sin(a)),
                                   cy + ry * (std::sin(a) + k * std::cos(a)),
                                   cx + rx * (std::cos(b) + k * std::sin(b)),
                                   cy + ry * (std::sin(b) - k * std::cos(b)),
                                   cx + rx * std::cos(b),
                                   cy + ry * std::sin(b)};
            for (int j = 0; j < 6; ++j) ps.pt[j] = float(std::clamp(pts[j], -4.0, 5.0));
            at[0] = ps.pt[4], at[1] = ps.pt[5];
            path.push_back(ps);
        }
    }

    // The theme's style references: the fill, the outline and the text colour
    // a shape has when its own properties do not say.
    void ReadStyle(uint32_t style, Shape& s) const {
        if (!style) return;
        auto ref = [&](const char* name, Color& c, int64_t& idx) {
            const uint32_t r = t_.Child(style, name);
            idx = AttrEmu(t_, r, "idx");
            double alpha = 1;
            return r && colors_.Read(t_, r, c, alpha);
        };
        int64_t idx = 0;
        Color c;
        if (ref("fillRef", c, idx) && idx > 0) {
            s.look.fill = ChartShape::Fill::Solid;
            s.look.color = c;
        }
        c = Color{};
        if (ref("lnRef", c, idx) && idx > 0) {
            s.look.line.color = c;
            s.look.line.width = idx == 1 ? 0.75 : idx == 2 ? 2 : 3;
        }
        c = Color{};
        if (ref("fontRef", c, idx)) s.font.color = c;
    }

    void ReadText(uint32_t body, Shape& s) const {
        if (!body) return;
        if (const uint32_t pr = t_.Child(body, "bodyPr")) {
            if (const char* a = t_.AttrOf(pr, "anchor"))
                s.anchor = std::strcmp(a, "ctr") == 0 ? VAlign::Center
                           : std::strcmp(a, "b") == 0 ? VAlign::Bottom
                                                      : VAlign::Top;
            const char* names[4] = {"lIns", "tIns", "rIns", "bIns"};
            for (int i = 0; i < 4; ++i)
                s.inset[i] = std::clamp<int64_t>(AttrEmu(t_, pr, names[i], s.inset[i]), 0, kMaxEmu);
            const char* vert = t_.AttrOf(pr, "vert");
            s.vertical = vert && (std::strcmp(vert, "vert") == 0 || std::strcmp(vert, "eaVert") == 0);
        }
        size_t bytes = 0;
        for (uint32_t p = t_.First(body); p; p = t_.Next(p)) {
            if (!t_.Is(p, "p")) continue;
            ShapeParagraph para;
            const uint32_t pPr = t_.Child(p, "pPr");
            para.align = ParaAlign(t_.AttrOf(pPr, "algn"));
            for (uint32_t r = t_.First(p); r; r = t_.Next(r)) {
                const bool brk = t_.Is(r, "br");
                if (!brk && !t_.Is(r, "r") && !t_.Is(r, "fld")) continue;
                ShapeRun run;
                const uint32_t rPr = t_.Child(r, "rPr");
                colors_.ReadFont(t_, rPr, run.font);
                run.text = brk ? std::string("\n") : t_.Text(t_.Child(r, "t"));
                if (const char* u = t_.AttrOf(rPr, "u")) run.underline = std::strcmp(u, "none") != 0;
                if (const char* face = t_.AttrOf(t_.Child(rPr, "latin"), "typeface"))
                    if (face[0] != '+') run.face = face;  // "+mn-lt": the theme's font, the default
                if (bytes + run.text.size() > kShapeMaxTextBytes) break;
                bytes += run.text.size();
                if (!run.text.empty()) para.runs.push_back(std::move(run));
            }
            if (para.runs.empty()) {  // an empty line keeps its height
                ShapeRun blank;
                colors_.ReadFont(t_, t_.Child(p, "endParaRPr"), blank.font);
                para.runs.push_back(std::move(blank));
            }
            s.text.push_back(std::move(para));
        }
        // Trailing empty paragraphs do not show.
        while (!s.text.empty() && s.text.back().runs.size() == 1 && s.text.back().runs[0].text.empty())
            s.text.pop_back();
    }

    const XmlTree& t_;
    DrawingColors colors_;
    std::vector<std::shared_ptr<const Shape>>& out_;
    Shape base_;
};

}  // namespace

void ReadDrawingShapes(const XmlTree& t, const std::vector<uint32_t>& scheme,
                       std::vector<std::shared_ptr<const Shape>>& out) {
    ShapeReader reader(t, scheme, out);
    for (uint32_t n = t.First(t.Root()); n; n = t.Next(n)) {
        uint32_t anchor = n;
        if (t.Is(n, "AlternateContent")) {  // the fallback is what every reader is meant to draw
            const uint32_t fallback = t.Child(n, "Fallback");
            anchor = t.First(fallback);
        }
        const std::string_view name = t.At(anchor).name;
        if (name == "twoCellAnchor" || name == "oneCellAnchor" || name == "absoluteAnchor") reader.Anchor(anchor);
    }
}

}  // namespace sheets::xlsx
