#include "sheets/chart/Canvas.h"

#include <algorithm>
#include <cmath>

#include "sheets/chart/Svg.h"

namespace sheets::chart {

namespace {

// Advance widths as fractions of the font size, for a sans-serif face of
// the kind charts use (Calibri and its metric twin Carlito).
double Advance(uint32_t cp, bool bold) {
    double w;
    if (cp == ' ') w = 0.23;
    else if (cp >= '0' && cp <= '9') w = 0.51;
    else if (cp == 'i' || cp == 'l' || cp == 'j' || cp == '.' || cp == ',' || cp == ':' || cp == ';' || cp == '\'' ||
             cp == '|' || cp == '!' || cp == 'I')
        w = 0.25;
    else if (cp == 'm' || cp == 'w' || cp == 'M' || cp == 'W' || cp == '%' || cp == '@') w = 0.8;
    else if (cp >= 'A' && cp <= 'Z') w = 0.58;
    else if (cp < 0x80) w = 0.48;
    else if (cp >= 0x1100 && (cp <= 0x115F || (cp >= 0x2E80 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                              (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFF00 && cp <= 0xFF60) || cp >= 0x20000))
        w = 1.0;  // wide East Asian characters
    else w = 0.55;
    return bold ? w * 1.06 : w;
}

// Dash and gap lengths in line widths; a solid line has none.
struct Dashes {
    double len[6];
    size_t n;
};

Dashes DashArray(LineDash d) {
    switch (d) {
    case LineDash::Solid: return {{}, 0};
    case LineDash::Dot:
    case LineDash::SysDot: return {{1, 2}, 2};
    case LineDash::Dash: return {{4, 3}, 2};
    case LineDash::SysDash: return {{3, 1}, 2};
    case LineDash::DashDot: return {{4, 3, 1, 3}, 4};
    case LineDash::LongDash: return {{8, 3}, 2};
    case LineDash::LongDashDot: return {{8, 3, 1, 3}, 4};
    case LineDash::LongDashDotDot: return {{8, 3, 1, 3, 1, 3}, 6};
    }
    return {{}, 0};
}

bool SameLook(const TextStyle& a, const TextStyle& b) {
    return a.px == b.px && a.bold == b.bold && a.italic == b.italic && a.color == b.color;
}

}  // namespace

double TextWidth(std::string_view s, const TextStyle& style) {
    double w = 0;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        uint32_t cp = c;
        size_t len = 1;
        if (c >= 0xF0) len = 4, cp = c & 0x07;
        else if (c >= 0xE0) len = 3, cp = c & 0x0F;
        else if (c >= 0xC0) len = 2, cp = c & 0x1F;
        for (size_t k = 1; k < len && i + k < s.size(); ++k)
            cp = cp << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        if (c >= 0x80 && c < 0xC0) cp = 0xFFFD;  // a stray continuation byte
        w += Advance(cp, style.bold);
        i += len;
    }
    return w * style.px;
}

std::vector<std::string> WrapText(std::string_view text, const TextStyle& style, double width, size_t maxLines) {
    std::vector<std::string> lines;
    if (text.find('\n') == std::string_view::npos && (maxLines <= 1 || TextWidth(text, style) <= width)) {
        lines.emplace_back(text);  // the usual case: one line that fits
        return lines;
    }
    if (maxLines == 0) maxLines = 1;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t nl = text.find('\n', start);
        std::string_view para = text.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
        std::string line;
        size_t i = 0;
        while (i <= para.size()) {
            size_t sp = para.find(' ', i);
            if (sp == std::string_view::npos) sp = para.size();
            std::string_view word = para.substr(i, sp - i);
            std::string candidate = line.empty() ? std::string(word) : line + " " + std::string(word);
            if (!line.empty() && TextWidth(candidate, style) > width && lines.size() + 1 < maxLines) {
                lines.push_back(std::move(line));
                line = std::string(word);
            } else {
                line = std::move(candidate);
            }
            i = sp + 1;
        }
        if (lines.size() + 1 >= maxLines && !lines.empty() && lines.size() >= maxLines) lines.back() += " " + line;
        else lines.push_back(std::move(line));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return lines;
}

// One element's start, gathered on the stack and appended in one piece: a
// chart writes thousands of small attributes. The attribute names are this
// file's own, all far shorter than the room kept for them.
class Canvas::Tag {
public:
    explicit Tag(std::string& out) : out_(out) {}
    Tag(const Tag&) = delete;
    Tag& operator=(const Tag&) = delete;

    void Lit(std::string_view s) {
        if (s.size() > kLongText) {
            Flush();
            out_.append(s);
            return;
        }
        Room(s.size());
        p_ = std::copy(s.begin(), s.end(), p_);
    }
    void Value(double v) {
        Room(kMaxNumChars);
        p_ += WriteNum(p_, v);
    }
    void Num(std::string_view name, double v) {
        Name(name, kMaxNumChars + 1);
        p_ += WriteNum(p_, v);
        *p_++ = '"';
    }
    void Color(std::string_view name, uint32_t rgb) {
        Name(name, 8);
        WriteHex(p_, rgb);
        p_ += 7;
        *p_++ = '"';
    }
    void Flush() {
        out_.append(buf_, size_t(p_ - buf_));
        p_ = buf_;
    }

private:
    static constexpr size_t kLongText = 64;
    // ` NAME="`, with room for `value` more bytes after it.
    void Name(std::string_view name, size_t value) {
        name = name.substr(0, 32);
        Room(name.size() + 3 + value);
        *p_++ = ' ';
        p_ = std::copy(name.begin(), name.end(), p_);
        *p_++ = '=';
        *p_++ = '"';
    }
    void Room(size_t n) {
        if (size_t(buf_ + sizeof buf_ - p_) < n) Flush();
    }
    std::string& out_;
    char buf_[256];
    char* p_ = buf_;
};

void Canvas::Attrs(Tag& t, const Paint& p, bool fillable) {
    if (p.fill) {
        t.Color("fill", p.fillColor);
        if (p.fillOpacity < 1) t.Num("fill-opacity", p.fillOpacity);
    } else if (fillable) {
        t.Lit(" fill=\"none\"");
    }
    if (p.stroke) {
        t.Color("stroke", p.strokeColor);
        t.Num("stroke-width", p.strokeWidth);
        if (p.strokeOpacity < 1) t.Num("stroke-opacity", p.strokeOpacity);
        if (const Dashes d = DashArray(p.dash); d.n) {
            // Dashes scale with the line, as the spreadsheet draws them.
            t.Lit(" stroke-dasharray=\"");
            for (size_t i = 0; i < d.n; ++i) {
                if (i) t.Lit(" ");
                t.Value(d.len[i] * std::max(p.strokeWidth, 1.0));
            }
            t.Lit("\"");
        }
    }
}

void Canvas::Font(Tag& t, const TextStyle& s) {
    if (s.px != defaultPx) t.Num("font-size", s.px);
    if (s.bold) t.Lit(" font-weight=\"bold\"");
    if (s.italic) t.Lit(" font-style=\"italic\"");
    if (s.color != 0) t.Color("fill", s.color);
}

void Canvas::Rectangle(const Rect& r, const Paint& p, double radius) {
    if (r.w <= 0 || r.h <= 0 || (!p.fill && !p.stroke)) return;
    Tag t(out_);
    t.Lit("<rect");
    t.Num("x", r.x);
    t.Num("y", r.y);
    t.Num("width", r.w);
    t.Num("height", r.h);
    if (radius > 0) t.Num("rx", radius);
    Attrs(t, p);
    t.Lit("/>");
    t.Flush();
}

void Canvas::Line(double x1, double y1, double x2, double y2, const Paint& p) {
    Tag t(out_);
    t.Lit("<line");
    t.Num("x1", x1);
    t.Num("y1", y1);
    t.Num("x2", x2);
    t.Num("y2", y2);
    Attrs(t, p, false);
    t.Lit("/>");
    t.Flush();
}

void Canvas::Path(const std::string& d, const Paint& p) {
    if (d.empty()) return;
    Tag t(out_);
    t.Lit("<path d=\"");
    t.Lit(d);
    t.Lit("\"");
    Attrs(t, p);
    t.Lit("/>");
    t.Flush();
}

void Canvas::Circle(double cx, double cy, double r, const Paint& p) {
    if (!(r > 0)) return;
    Tag t(out_);
    t.Lit("<circle");
    t.Num("cx", cx);
    t.Num("cy", cy);
    t.Num("r", r);
    Attrs(t, p);
    t.Lit("/>");
    t.Flush();
}

void Canvas::Text(double x, double y, std::string_view text, const TextStyle& s, HAnchor h, VAnchor v, double rotate) {
    Tag t(out_);
    Open(t, x, y, s.px, h, v, rotate);
    Font(t, s);
    t.Lit(">");
    t.Flush();
    AppendSvgText(out_, text);
    out_ += "</text>";
}

void Canvas::Open(Tag& t, double x, double y, double px, HAnchor h, VAnchor v, double rotate) {
    // Baseline from the box edge: ascent about 0.75, descent 0.25 of the size.
    const double dy = v == VAnchor::Top ? px * 0.8 : v == VAnchor::Middle ? px * 0.35 : -px * 0.22;
    t.Lit("<text");
    t.Num("x", x);
    t.Num("y", y + (rotate == 0 ? dy : 0));
    if (rotate != 0) {
        t.Lit(" transform=\"rotate(");
        t.Value(rotate);
        t.Lit(" ");
        t.Value(x);
        t.Lit(" ");
        t.Value(y);
        t.Lit(")\"");
        t.Num("dy", dy);
    }
    if (h == HAnchor::Middle) t.Lit(" text-anchor=\"middle\"");
    else if (h == HAnchor::End) t.Lit(" text-anchor=\"end\"");
}

void Canvas::Runs(double x, double y, const std::vector<std::pair<std::string, TextStyle>>& given, HAnchor h, VAnchor v,
                  double rotate) {
    // Neighbouring runs that look alike are one piece of text: a reader that
    // copies or searches the chart sees no seam where a writer split a run.
    std::vector<std::pair<std::string, TextStyle>> runs;
    for (const auto& [t, st] : given) {
        if (!runs.empty() && SameLook(runs.back().second, st)) runs.back().first += t;
        else runs.emplace_back(t, st);
    }
    if (runs.empty()) return;
    double px = 0;
    for (const auto& r : runs) px = std::max(px, r.second.px);
    Tag tag(out_);
    Open(tag, x, y, px, h, v, rotate);
    const TextStyle& first = runs.front().second;
    Font(tag, first);
    tag.Lit(">");
    tag.Flush();
    if (runs.size() == 1) {
        AppendSvgText(out_, runs.front().first);
    } else {
        for (const auto& [t, st] : runs) {
            Tag span(out_);
            span.Lit("<tspan");
            if (st.px != first.px) span.Num("font-size", st.px);
            if (st.bold != first.bold) span.Lit(st.bold ? " font-weight=\"bold\"" : " font-weight=\"normal\"");
            if (st.italic != first.italic) span.Lit(st.italic ? " font-style=\"italic\"" : " font-style=\"normal\"");
            if (st.color != first.color) span.Color("fill", st.color);
            span.Lit(">");
            span.Flush();
            AppendSvgText(out_, t);
            out_ += "</tspan>";
        }
    }
    out_ += "</text>";
}

void Canvas::Marker(double x, double y, MarkerSymbol symbol, double size, const Paint& p) {
    const double r = size / 2;
    auto pt = [&](double dx, double dy) { return chart::Num(x + dx) + "," + chart::Num(y + dy); };
    switch (symbol) {
    case MarkerSymbol::None:
    case MarkerSymbol::Auto: return;
    case MarkerSymbol::Circle: Circle(x, y, r, p); return;
    case MarkerSymbol::Dot: Circle(x, y, r / 2, p); return;
    case MarkerSymbol::Square: Rectangle(Rect{x - r, y - r, size, size}, p); return;
    case MarkerSymbol::Diamond:
        Path("M" + pt(0, -r) + "L" + pt(r, 0) + "L" + pt(0, r) + "L" + pt(-r, 0) + "Z", p);
        return;
    case MarkerSymbol::Triangle: Path("M" + pt(0, -r) + "L" + pt(r, r) + "L" + pt(-r, r) + "Z", p); return;
    case MarkerSymbol::Dash: Rectangle(Rect{x - r, y - size / 10, size, size / 5}, p); return;
    default: break;
    }
    // Line-only symbols are stroked in the marker's colour.
    Paint line = p;
    line.fill = false;
    if (!line.stroke) {
        line.stroke = true;
        line.strokeColor = p.fillColor;
    }
    if (symbol == MarkerSymbol::X || symbol == MarkerSymbol::Star)
        Path("M" + pt(-r, -r) + "L" + pt(r, r) + "M" + pt(-r, r) + "L" + pt(r, -r) +
                 (symbol == MarkerSymbol::Star ? "M" + pt(0, -r) + "L" + pt(0, r) : ""),
             line);
    else Path("M" + pt(-r, 0) + "L" + pt(r, 0) + "M" + pt(0, -r) + "L" + pt(0, r), line);
}

void Canvas::OpenGroup(const std::string& attrs) { out_ += "<g" + attrs + ">"; }
void Canvas::CloseGroup() { out_ += "</g>"; }

}  // namespace sheets::chart
