#include "sheets/xlsx/Styles.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <unordered_map>

#include "sheets/numfmt/NumberFormat.h"
#include "sheets/xlsx/Fonts.h"

namespace sheets::xlsx {

namespace {

struct FillSpec {
    Fill::Pattern pattern = Fill::Pattern::None;
    Hatch hatch = Hatch::None;
    ColorSpec fg, bg;
};
struct SideSpec {
    BorderStyle style = BorderStyle::None;
    ColorSpec color;
};
struct BorderSpec {
    SideSpec left, right, top, bottom;
};
// A differential format as stated: only what it names changes a cell.
struct DxfSpec {
    ColorSpec fontColor;
    int8_t bold = -1, italic = -1, strike = -1, underline = -1;
    ColorSpec fillFg, fillBg;
    SideSpec left, right, top, bottom, vertical, horizontal;
};
struct XfSpec {
    int64_t numFmt = -1, font = -1, fill = -1, border = -1, parent = -1;
    std::optional<Alignment> align;
};

Fill::Pattern PatternOf(const char* v) {
    std::string_view s = v ? v : "none";
    if (s == "none") return Fill::Pattern::None;
    if (s == "solid") return Fill::Pattern::Solid;
    if (s == "gray125" || s == "gray0625" || s == "darkGray" || s == "mediumGray" || s == "lightGray")
        return Fill::Pattern::Gray;
    return Fill::Pattern::Other;
}

Hatch HatchOf(const char* v) {
    static constexpr std::string_view kNames[] = {
        "none",         "darkGray", "mediumGray", "lightGray",   "gray125",     "gray0625",        "darkHorizontal",
        "darkVertical", "darkDown", "darkUp",     "darkGrid",    "darkTrellis", "lightHorizontal", "lightVertical",
        "lightDown",    "lightUp",  "lightGrid",  "lightTrellis"};
    if (!v) return Hatch::None;
    for (size_t i = 0; i < std::size(kNames); ++i)
        if (kNames[i] == v) return static_cast<Hatch>(i);
    return Hatch::None;
}

Alignment ReadAlignment(Attrs a) {
    Alignment al;
    if (const char* h = Attr(a, "horizontal")) {
        std::string_view s = h;
        al.horizontal = s == "left"               ? HAlign::Left
                        : s == "center"           ? HAlign::Center
                        : s == "right"            ? HAlign::Right
                        : s == "fill"             ? HAlign::Fill
                        : s == "justify"          ? HAlign::Justify
                        : s == "centerContinuous" ? HAlign::CenterContinuous
                        : s == "distributed"      ? HAlign::Distributed
                                                  : HAlign::General;
    }
    if (const char* v = Attr(a, "vertical")) {
        std::string_view s = v;
        al.vertical = s == "top"           ? VAlign::Top
                      : s == "center"      ? VAlign::Center
                      : s == "justify"     ? VAlign::Justify
                      : s == "distributed" ? VAlign::Distributed
                                           : VAlign::Bottom;
    }
    al.wrap = AttrBool(a, "wrapText", false);
    al.shrink = AttrBool(a, "shrinkToFit", false);
    al.indent = uint8_t(std::clamp<int64_t>(AttrInt(a, "indent", 0), 0, 250));
    int64_t rot = AttrInt(a, "textRotation", 0);
    al.rotation = uint8_t(rot == 255 ? 255 : std::clamp<int64_t>(rot, 0, 180));
    return al;
}

class StylesHandler final : public SaxHandler {
public:
    std::unordered_map<int64_t, std::string> numFmts;
    std::vector<FontSpec> fonts;
    std::vector<FillSpec> fills;
    std::vector<BorderSpec> borders;
    std::vector<XfSpec> styleXfs, cellXfs;
    std::vector<DxfSpec> dxfs;
    std::vector<uint32_t> indexed;
    bool hasIndexed = false;
    std::vector<TableStyle> tableStyles;
    std::string defaultTableStyle;

    void Start(std::string_view n, Attrs a) override {
        ++depth_;
        if (skipDepth_) return;
        if (depth_ == 2) {
            section_ = n;
            if (n == "tableStyles") defaultTableStyle = AttrString(a, "defaultTableStyle");
            if (n != "numFmts" && n != "fonts" && n != "fills" && n != "borders" && n != "cellStyleXfs" &&
                n != "cellXfs" && n != "colors" && n != "dxfs" && n != "tableStyles")
                skipDepth_ = depth_;  // cellStyles, extLst ...
            return;
        }
        if (section_ == "numFmts") {
            if (n == "numFmt") {
                int64_t id = AttrInt(a, "numFmtId", -1);
                if (id >= 0) numFmts[id] = AttrString(a, "formatCode");
            }
        } else if (section_ == "fonts") {
            if (depth_ == 3) fonts.emplace_back();
            else if (!fonts.empty() && depth_ == 4) ApplyFontElement(fonts.back(), n, a);
        } else if (section_ == "fills") {
            if (depth_ == 3) fills.emplace_back();
            else if (fills.empty()) return;
            else if (n == "patternFill") {
                fills.back().pattern = PatternOf(Attr(a, "patternType"));
                fills.back().hatch = HatchOf(Attr(a, "patternType"));
            } else if (n == "fgColor") fills.back().fg = ReadColorSpec(a);
            else if (n == "bgColor") fills.back().bg = ReadColorSpec(a);
            else if (n == "gradientFill") fills.back().pattern = Fill::Pattern::Other;
            else if (n == "color") {
                // Gradient stops: the first colour shows, the last is the background.
                (gradientStops_++ == 0 ? fills.back().fg : fills.back().bg) = ReadColorSpec(a);
            }
        } else if (section_ == "borders") {
            if (depth_ == 3) {
                borders.emplace_back();
                side_ = nullptr;
            } else if (borders.empty()) {
                return;
            } else if (depth_ == 4) {
                BorderSpec& b = borders.back();
                side_ = n == "left" || n == "start"  ? &b.left
                        : n == "right" || n == "end" ? &b.right
                        : n == "top"                 ? &b.top
                        : n == "bottom"              ? &b.bottom
                                                     : nullptr;
                if (side_) side_->style = BorderStyleOf(Attr(a, "style"));
            } else if (depth_ == 5 && side_ && n == "color") {
                side_->color = ReadColorSpec(a);
            }
        } else if (section_ == "cellStyleXfs" || section_ == "cellXfs") {
            auto& list = section_ == "cellXfs" ? cellXfs : styleXfs;
            if (depth_ == 3 && n == "xf") {
                XfSpec x;
                x.numFmt = AttrInt(a, "numFmtId", -1);
                x.font = AttrInt(a, "fontId", -1);
                x.fill = AttrInt(a, "fillId", -1);
                x.border = AttrInt(a, "borderId", -1);
                if (section_ == "cellXfs") x.parent = AttrInt(a, "xfId", -1);
                list.push_back(x);
            } else if (depth_ == 4 && n == "alignment" && !list.empty()) {
                list.back().align = ReadAlignment(a);
            }
        } else if (section_ == "dxfs") {
            Dxf(n, a);
        } else if (section_ == "tableStyles") {
            TableStyleEntry(n, a);
        } else if (section_ == "colors") {
            if (n == "indexedColors") hasIndexed = true;
            else if (n == "rgbColor" && depth_ == 4) {
                ColorSpec c = ReadColorSpec(a);
                indexed.push_back(c.kind == ColorSpec::Kind::Rgb ? c.value : 0);
            } else if (depth_ == 3 && n != "indexedColors") {
                skipDepth_ = depth_;  // mruColors
            }
        }
    }
    void End(std::string_view n) override {
        if (skipDepth_ == depth_) skipDepth_ = 0;
        if (depth_ == 3) gradientStops_ = 0;
        if (depth_ == 2) section_ = {};
        --depth_;
    }

private:
    void TableStyleEntry(std::string_view n, Attrs a) {
        if (depth_ == 3 && n == "tableStyle") {
            // Pivot-only styles never format a table.
            inStyle_ = AttrBool(a, "table", true);
            if (inStyle_) tableStyles.push_back(TableStyle{AttrString(a, "name"), {}});
        } else if (depth_ == 4 && n == "tableStyleElement" && inStyle_) {
            const std::optional<TableArea> area = AreaOf(AttrString(a, "type"));
            if (!area) return;  // pivot table areas
            const int64_t dxf = AttrInt(a, "dxfId", -1);
            const int64_t size = std::clamp<int64_t>(AttrInt(a, "size", 1), 1, 1 << 20);
            tableStyles.back().elements.push_back(
                TableStyleElement{*area, dxf >= 0 && dxf <= INT32_MAX ? int32_t(dxf) : -1, uint32_t(size)});
        }
    }
    static std::optional<TableArea> AreaOf(std::string_view type) {
        static constexpr std::string_view kNames[] = {
            "wholeTable",     "firstColumnStripe", "secondColumnStripe", "firstRowStripe", "secondRowStripe",
            "lastColumn",     "firstColumn",       "headerRow",          "totalRow",       "firstHeaderCell",
            "lastHeaderCell", "firstTotalCell",    "lastTotalCell"};
        for (size_t i = 0; i < std::size(kNames); ++i)
            if (kNames[i] == type) return TableArea(i);
        return std::nullopt;
    }

    void Dxf(std::string_view n, Attrs a) {
        if (depth_ == 3) {
            dxfs.emplace_back();
            part_ = {};
            side_ = nullptr;
            return;
        }
        if (dxfs.empty()) return;
        DxfSpec& d = dxfs.back();
        if (depth_ == 4) {
            part_ = n;
            side_ = nullptr;
        } else if (part_ == "font" && depth_ == 5) {
            const auto flag = [&](int8_t& f) { f = AttrBool(a, "val", true) ? 1 : 0; };
            if (n == "b") flag(d.bold);
            else if (n == "i") flag(d.italic);
            else if (n == "strike") flag(d.strike);
            else if (n == "u") d.underline = AttrString(a, "val") == "none" ? 0 : 1;
            else if (n == "color") d.fontColor = ReadColorSpec(a);
        } else if (part_ == "fill" && n == "fgColor") {
            d.fillFg = ReadColorSpec(a);
        } else if (part_ == "fill" && n == "bgColor") {
            d.fillBg = ReadColorSpec(a);
        } else if (part_ == "border" && depth_ == 5) {
            side_ = n == "left" || n == "start"  ? &d.left
                    : n == "right" || n == "end" ? &d.right
                    : n == "top"                 ? &d.top
                    : n == "bottom"              ? &d.bottom
                    : n == "vertical"            ? &d.vertical
                    : n == "horizontal"          ? &d.horizontal
                                                 : nullptr;
            if (side_) side_->style = BorderStyleOf(Attr(a, "style"));
        } else if (part_ == "border" && depth_ == 6 && side_ && n == "color") {
            side_->color = ReadColorSpec(a);
        }
    }

    std::string part_;
    bool inStyle_ = false;
    int depth_ = 0, skipDepth_ = 0, gradientStops_ = 0;
    std::string section_;
    SideSpec* side_ = nullptr;
};

}  // namespace

BorderStyle BorderStyleOf(const char* v) {
    static const std::pair<std::string_view, BorderStyle> kStyles[] = {
        {"thin", BorderStyle::Thin},
        {"medium", BorderStyle::Medium},
        {"thick", BorderStyle::Thick},
        {"dashed", BorderStyle::Dashed},
        {"dotted", BorderStyle::Dotted},
        {"double", BorderStyle::Double},
        {"hair", BorderStyle::Hair},
        {"mediumDashed", BorderStyle::MediumDashed},
        {"dashDot", BorderStyle::DashDot},
        {"mediumDashDot", BorderStyle::MediumDashDot},
        {"dashDotDot", BorderStyle::DashDotDot},
        {"mediumDashDotDot", BorderStyle::MediumDashDotDot},
        {"slantDashDot", BorderStyle::SlantDashDot},
    };
    if (!v) return BorderStyle::None;
    for (auto& [n, s] : kStyles)
        if (n == v) return s;
    return BorderStyle::None;
}

void ParseStyles(std::string_view xml, const std::string& part, ColorResolver& colors, Styles& out) {
    StylesHandler h;
    ParseXml(xml, h, part);
    if (h.hasIndexed && !h.indexed.empty()) colors.SetIndexed(h.indexed);

    Styles st;
    st.fonts.clear();
    for (size_t i = 0; i < h.fonts.size(); ++i) {
        Font f = ResolveFont(h.fonts[i], colors, i == 0 ? Font{} : st.fonts[0]);
        st.fonts.push_back(f);
    }
    if (st.fonts.empty()) st.fonts.push_back(Font{});

    st.fills.clear();
    for (auto& f : h.fills) st.fills.push_back(Fill{f.pattern, colors.Resolve(f.fg), colors.Resolve(f.bg), f.hatch});
    if (st.fills.empty()) st.fills.push_back(Fill{});

    st.borders.clear();
    for (auto& b : h.borders) {
        auto side = [&](const SideSpec& s) { return BorderSide{s.style, colors.Resolve(s.color)}; };
        st.borders.push_back(Border{side(b.left), side(b.right), side(b.top), side(b.bottom)});
    }
    if (st.borders.empty()) st.borders.push_back(Border{});

    auto code = [&](int64_t id) -> std::string {
        auto it = h.numFmts.find(id);
        if (it != h.numFmts.end()) return it->second;
        return std::string(BuiltinFormatCode(uint32_t(std::clamp<int64_t>(id, 0, 0xFFFF))));
    };
    auto index = [](int64_t id, size_t count) -> uint32_t {
        return id >= 0 && uint64_t(id) < count ? uint32_t(id) : 0;
    };

    st.formats.clear();
    for (const XfSpec& x : h.cellXfs) {
        const XfSpec* parent =
            x.parent >= 0 && uint64_t(x.parent) < h.styleXfs.size() ? &h.styleXfs[size_t(x.parent)] : nullptr;
        auto pick = [&](int64_t own, int64_t XfSpec::*field) { return own >= 0 ? own : parent ? parent->*field : -1; };
        CellFormat cf;
        int64_t nf = pick(x.numFmt, &XfSpec::numFmt);
        cf.numFmt = code(nf < 0 ? 0 : nf);
        cf.font = index(pick(x.font, &XfSpec::font), st.fonts.size());
        cf.fill = index(pick(x.fill, &XfSpec::fill), st.fills.size());
        cf.border = index(pick(x.border, &XfSpec::border), st.borders.size());
        if (x.align) cf.align = *x.align;
        else if (parent && parent->align) cf.align = *parent->align;
        st.formats.push_back(std::move(cf));
    }
    if (st.formats.empty()) st.formats.push_back(CellFormat{});

    for (const DxfSpec& d : h.dxfs) {
        DiffFormat df;
        df.fontColor = colors.Resolve(d.fontColor);
        df.bold = d.bold;
        df.italic = d.italic;
        df.strike = d.strike;
        df.underline = d.underline;
        // A differential fill names its solid colour as the background.
        df.fill = colors.Resolve(d.fillBg.kind != ColorSpec::Kind::None ? d.fillBg : d.fillFg);
        auto side = [&](const SideSpec& s) { return BorderSide{s.style, colors.Resolve(s.color)}; };
        df.left = side(d.left);
        df.right = side(d.right);
        df.top = side(d.top);
        df.bottom = side(d.bottom);
        df.vertical = side(d.vertical);
        df.horizontal = side(d.horizontal);
        st.diffs.push_back(df);
    }
    st.tableStyles = std::move(h.tableStyles);
    st.defaultTableStyle = std::move(h.defaultTableStyle);
    out = std::move(st);
}

void ReadStyles(const Package& pkg, const std::string& part, ColorResolver& colors, Styles& out) {
    // Workbooks written by one program mostly carry the same styles part,
    // and reading it is a good share of a small workbook: the last one read
    // on this thread is remembered, with the colours it was resolved under.
    thread_local std::string lastStored;
    thread_local ColorResolver lastColorsIn, lastColorsOut;
    thread_local Styles lastStyles;
    std::string stored = pkg.Zip().StoredBytes(part);
    if (!stored.empty() && stored == lastStored && colors == lastColorsIn) {
        out = lastStyles;
        colors = lastColorsOut;
        return;
    }
    const ColorResolver in = colors;
    ParseStyles(pkg.Read(part), part, colors, out);
    lastStored = std::move(stored);
    lastColorsIn = in;
    lastColorsOut = colors;
    lastStyles = out;
}

}  // namespace sheets::xlsx
