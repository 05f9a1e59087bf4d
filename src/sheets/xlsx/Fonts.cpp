#include "sheets/xlsx/Fonts.h"

#include <cmath>
#include <cstdio>

namespace sheets::xlsx {

void ApplyFontElement(FontSpec& f, std::string_view name, Attrs a) {
    if (name == "b") f.bold = AttrBool(a, "val", true);
    else if (name == "i") f.italic = AttrBool(a, "val", true);
    else if (name == "strike") f.strike = AttrBool(a, "val", true);
    else if (name == "sz") {
        double v = AttrDouble(a, "val", -1);
        if (std::isfinite(v) && v > 0) f.size = std::min(v, 409.0);
    } else if (name == "name" || name == "rFont") {
        if (const char* v = Attr(a, "val")) f.name = v;
    } else if (name == "color") {
        f.color = ReadColorSpec(a);
    } else if (name == "u") {
        const char* v = Attr(a, "val");
        std::string_view s = v ? v : "single";
        f.underline = s == "double"             ? Underline::Double
                      : s == "singleAccounting" ? Underline::SingleAccounting
                      : s == "doubleAccounting" ? Underline::DoubleAccounting
                      : s == "none"             ? Underline::None
                                                : Underline::Single;
    } else if (name == "vertAlign") {
        const char* v = Attr(a, "val");
        std::string_view s = v ? v : "";
        f.vertAlign = s == "superscript" ? VertAlignRun::Superscript
                      : s == "subscript" ? VertAlignRun::Subscript
                                         : VertAlignRun::Baseline;
    }
}

Font ResolveFont(const FontSpec& s, const ColorResolver& colors, const Font& base) {
    Font f;
    f.name = s.name ? *s.name : base.name;
    f.size = s.size ? *s.size : base.size;
    f.bold = s.bold;
    f.italic = s.italic;
    f.strike = s.strike;
    f.underline = s.underline;
    f.vertAlign = s.vertAlign;
    f.color = colors.Resolve(s.color);
    return f;
}

static std::string FontKey(const Font& f) {
    std::string key = f.name;
    char buf[64];
    int n = std::snprintf(buf, sizeof buf, "|%.6g|%d%d%d%d%d|%d%06x", f.size, f.bold, f.italic, f.strike,
                          int(f.underline), int(f.vertAlign), f.color.set, unsigned(f.color.rgb));
    key.append(buf, size_t(n));
    return key;
}

FontTable::FontTable(std::vector<Font>& fonts) : fonts_(fonts) {
    for (size_t i = 0; i < fonts_.size(); ++i) index_.emplace(FontKey(fonts_[i]), uint32_t(i));
}

uint32_t FontTable::Intern(const Font& f) {
    auto [it, added] = index_.emplace(FontKey(f), uint32_t(fonts_.size()));
    if (added) fonts_.push_back(f);
    return it->second;
}

}  // namespace sheets::xlsx
