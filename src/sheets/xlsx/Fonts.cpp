#include "sheets/xlsx/Fonts.h"

#include <algorithm>
#include <charconv>
#include <cmath>

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
    // Sizes that agree to six significant digits are one font, as "%.6g"
    // has them; built without printf, which costs more than the rest of
    // interning a font.
    std::string key = f.name;
    char buf[64];
    char* p = buf;
    char* const end = buf + sizeof buf;
    *p++ = '|';
    p = std::to_chars(p, end, f.size, std::chars_format::general, 6).ptr;
    *p++ = '|';
    for (int v : {int(f.bold), int(f.italic), int(f.strike), int(f.underline), int(f.vertAlign)})
        p = std::to_chars(p, end, v).ptr;
    *p++ = '|';
    p = std::to_chars(p, end, int(f.color.set)).ptr;
    char hex[8];
    const char* hexEnd = std::to_chars(hex, hex + sizeof hex, unsigned(f.color.rgb), 16).ptr;
    for (ptrdiff_t pad = 6 - (hexEnd - hex); pad > 0; --pad) *p++ = '0';
    p = std::copy(static_cast<const char*>(hex), hexEnd, p);
    key.append(buf, size_t(p - buf));
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
