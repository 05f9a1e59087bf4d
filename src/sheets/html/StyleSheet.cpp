#include "sheets/html/StyleSheet.h"

#include <cmath>
#include <cstdio>

#include "sheets/html/CondStyle.h"
#include "sheets/html/FontStack.h"
#include "sheets/html/Hatch.h"
#include "sheets/html/HtmlText.h"

namespace sheets::html {
namespace {

const char* HAlignCss(HAlign a, ValueKind kind) {
    switch (a) {
    case HAlign::General: return kind == ValueKind::Number ? "right" : kind == ValueKind::Centred ? "center" : "left";
    case HAlign::Left:
    case HAlign::Fill: return "left";
    case HAlign::Center:
    case HAlign::CenterContinuous:
    case HAlign::Distributed: return "center";
    case HAlign::Right: return "right";
    case HAlign::Justify: return "justify";
    }
    return "left";
}

}  // namespace

const char* BorderLineCss(BorderStyle s) {
    switch (s) {
    case BorderStyle::None: return nullptr;
    case BorderStyle::Thin: return "1px solid";
    case BorderStyle::Medium: return "2px solid";
    case BorderStyle::Thick: return "3px solid";
    case BorderStyle::Dashed: return "1px dashed";
    case BorderStyle::Dotted: return "1px dotted";
    case BorderStyle::Double: return "3px double";
    case BorderStyle::Hair: return "1px dotted";
    case BorderStyle::MediumDashed: return "2px dashed";
    case BorderStyle::DashDot: return "1px dashed";
    case BorderStyle::MediumDashDot: return "2px dashed";
    case BorderStyle::DashDotDot: return "1px dotted";
    case BorderStyle::MediumDashDotDot: return "2px dotted";
    case BorderStyle::SlantDashDot: return "2px dashed";
    }
    return nullptr;
}

namespace {

uint32_t Blend(uint32_t fg, uint32_t bg, double share) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double f = (fg >> shift) & 255, b = (bg >> shift) & 255;
        out |= static_cast<uint32_t>(std::lround(f * share + b * (1 - share))) << shift;
    }
    return out;
}

std::string Number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

}  // namespace

StyleSheet::StyleSheet(const Styles& styles) : styles_(styles) {
    const CellFormat& def = Format(0);
    base_ = FontAt(def.font);
    cellCache_.assign(styles.formats.size(), {-1, -1, -1});
    runCache_.assign(styles.fonts.size(), -1);
    rotationCache_.assign(styles.formats.size(), -1);
}

const CellFormat& StyleSheet::Format(uint32_t format) const {
    static const CellFormat kDefault;
    return format < styles_.formats.size() ? styles_.formats[format] : kDefault;
}

const Font& StyleSheet::FontAt(uint32_t font) const {
    static const Font kDefault;
    return font < styles_.fonts.size() ? styles_.fonts[font] : kDefault;
}

bool StyleSheet::ShowsWhenBlank(uint32_t format) const {
    const CellFormat& f = Format(format);
    if (f.fill < styles_.fills.size() && styles_.fills[f.fill].pattern != Fill::Pattern::None) return true;
    if (f.border < styles_.borders.size()) {
        const Border& b = styles_.borders[f.border];
        for (const BorderSide* s : {&b.left, &b.right, &b.top, &b.bottom})
            if (s->style != BorderStyle::None) return true;
    }
    return false;
}

uint32_t StyleSheet::Intern(std::string css) {
    if (css.empty()) return 0;
    if (frozen_) {
        auto it = ids_.find(css);
        if (it == ids_.end()) throw FrozenMiss{};
        return it->second;
    }
    auto [it, added] = ids_.emplace(std::move(css), static_cast<uint32_t>(rules_.size() + 1));
    if (added) rules_.push_back(it->first);
    return it->second;
}

void StyleSheet::AppendFontCss(std::string& css, const Font& f, bool full) const {
    if (full || f.name != base_.name) {
        const std::string stack = FontStack(f.name);
        if (!stack.empty()) css += "font-family:" + stack + ";";
    }
    if ((full || f.size != base_.size) && std::isfinite(f.size) && f.size > 0 && f.size < 1000)
        css += "font-size:" + Number(f.size) + "pt;";
    if (full || f.bold != base_.bold) css += f.bold ? "font-weight:bold;" : "font-weight:normal;";
    if (full || f.italic != base_.italic) css += f.italic ? "font-style:italic;" : "font-style:normal;";
    const bool under = f.underline != Underline::None;
    if (full || under != (base_.underline != Underline::None) || f.strike != base_.strike) {
        if (under && f.strike) css += "text-decoration:underline line-through;";
        else if (under) css += "text-decoration:underline;";
        else if (f.strike) css += "text-decoration:line-through;";
        else css += "text-decoration:none;";
        if (f.underline == Underline::Double || f.underline == Underline::DoubleAccounting)
            css += "text-decoration-style:double;";
    }
}

const Border& StyleSheet::BorderOf(uint32_t format) const {
    static const Border kNone;
    const uint32_t b = Format(format).border;
    return b < styles_.borders.size() ? styles_.borders[b] : kNone;
}

std::string StyleSheet::CellCss(uint32_t format, ValueKind kind, int32_t color, const Border* border) const {
    const CellFormat& f = Format(format);
    const Font& font = FontAt(f.font);
    std::string css;
    AppendFontCss(css, font, false);
    if (color >= 0) css += "color:" + CssColor(static_cast<uint32_t>(color)) + ";";
    else if (font.color.set) css += "color:" + CssColor(font.color.rgb) + ";";

    if (f.fill < styles_.fills.size()) {
        const Fill& fill = styles_.fills[f.fill];
        const uint32_t fg = fill.fg.set ? fill.fg.rgb : 0x000000, bg = fill.bg.set ? fill.bg.rgb : 0xFFFFFF;
        switch (fill.pattern) {
        case Fill::Pattern::None: break;
        case Fill::Pattern::Solid:
            // A solid fill whose foreground was left automatic shows its background.
            if (fill.fg.set || fill.bg.set)
                css += "background:" + CssColor(fill.fg.set ? fill.fg.rgb : fill.bg.rgb) + ";";
            break;
        // Hatches are drawn as a tiny tiled image; what has none shows its average tone.
        case Fill::Pattern::Gray:
        case Fill::Pattern::Other:
            if (fill.hatch != Hatch::None) css += HatchCss(fill.hatch, fg, bg);
            else css += "background:" + CssColor(Blend(fg, bg, fill.pattern == Fill::Pattern::Gray ? 0.25 : 0.5)) + ";";
            break;
        }
    }
    {
        const Border& b = border ? *border : BorderOf(format);
        const std::pair<const char*, const BorderSide*> sides[] = {
            {"left", &b.left}, {"right", &b.right}, {"top", &b.top}, {"bottom", &b.bottom}};
        const auto line = [](const BorderSide& side) {
            const char* l = BorderLineCss(side.style);
            return l ? std::string(l) + " " + CssColor(side.color.set ? side.color.rgb : 0) : std::string();
        };
        const std::string left = line(b.left);
        if (!left.empty() && b.left == b.right && b.left == b.top && b.left == b.bottom) {
            css += "border:" + left + ";";  // a box, the common case, in one declaration
        } else {
            for (auto [name, side] : sides) {
                const std::string l = line(*side);
                if (!l.empty()) css += std::string("border-") + name + ":" + l + ";";
            }
        }
    }
    const char* align = HAlignCss(f.align.horizontal, kind);
    if (std::string_view(align) != "left") css += std::string("text-align:") + align + ";";
    switch (f.align.vertical) {
    case VAlign::Bottom: break;
    case VAlign::Top: css += "vertical-align:top;"; break;
    case VAlign::Center:
    case VAlign::Justify:
    case VAlign::Distributed: css += "vertical-align:middle;"; break;
    }
    if (f.align.wrap) css += "white-space:pre-wrap;overflow-wrap:anywhere;";
    if (f.align.indent) {
        // One indent level is three widths of the default font's digit.
        const int px = 2 + 9 * f.align.indent;
        css += std::string(std::string_view(align) == "right" ? "padding-right:" : "padding-left:") +
               std::to_string(px) + "px;";
    }
    return css;
}

uint32_t StyleSheet::CellClass(uint32_t format, ValueKind kind, int32_t color) {
    const size_t k = static_cast<size_t>(kind);
    if (format >= cellCache_.size()) format = 0;
    if (color < 0) {
        int32_t& slot = cellCache_[format][k];
        if (slot < 0) {
            if (frozen_) throw FrozenMiss{};
            slot = static_cast<int32_t>(Intern(CellCss(format, kind, -1)));
        }
        return static_cast<uint32_t>(slot);
    }
    const uint64_t key = uint64_t(format) << 32 | uint64_t(k) << 24 | (static_cast<uint32_t>(color) & 0xFFFFFF);
    auto it = colorCache_.find(key);
    if (it != colorCache_.end()) return it->second;
    if (frozen_) throw FrozenMiss{};
    const uint32_t id = Intern(CellCss(format, kind, color));
    colorCache_.emplace(key, id);
    return id;
}

uint32_t StyleSheet::MergedCellClass(uint32_t format, ValueKind kind, int32_t color, uint32_t rightFormat,
                                     uint32_t bottomFormat, const cond::CellLook* look) {
    Border edge = BorderOf(format);
    edge.right = BorderOf(rightFormat).right;
    edge.bottom = BorderOf(bottomFormat).bottom;
    if (edge == BorderOf(format)) return look ? LookClass(format, kind, color, *look) : CellClass(format, kind, color);
    if (look) return LookClass(format, kind, color, *look, &edge);
    return Intern(CellCss(format < styles_.formats.size() ? format : 0, kind, color, &edge));
}

uint32_t StyleSheet::LookClass(uint32_t format, ValueKind kind, int32_t color, const cond::CellLook& look,
                               const Border* border) {
    if (format >= styles_.formats.size()) format = 0;
    return Intern(CellCss(format, kind, color, border) + LookCss(look, FontAt(Format(format).font)));
}

uint32_t StyleSheet::RunClass(uint32_t font) {
    if (font >= runCache_.size()) font = 0;
    int32_t& slot = runCache_[font];
    if (slot < 0) {
        if (frozen_) throw FrozenMiss{};
        const Font& f = FontAt(font);
        std::string css;
        AppendFontCss(css, f, true);
        if (f.color.set) css += "color:" + CssColor(f.color.rgb) + ";";
        if (f.vertAlign == VertAlignRun::Superscript) css += "vertical-align:super;font-size:smaller;";
        if (f.vertAlign == VertAlignRun::Subscript) css += "vertical-align:sub;font-size:smaller;";
        slot = static_cast<int32_t>(Intern(std::move(css)));
    }
    return static_cast<uint32_t>(slot);
}

uint32_t StyleSheet::RotationClass(uint32_t format) {
    if (format >= rotationCache_.size()) return 0;
    int32_t& slot = rotationCache_[format];
    if (slot < 0) {
        if (frozen_) throw FrozenMiss{};
        const uint8_t r = Format(format).align.rotation;
        std::string css;
        if (r == 255) css = "display:inline-block;writing-mode:vertical-rl;text-orientation:upright;";
        else if (r == 90) css = "display:inline-block;writing-mode:vertical-rl;transform:rotate(180deg);";
        else if (r == 180) css = "display:inline-block;writing-mode:vertical-rl;";
        else if (r > 0 && r < 90) css = "display:inline-block;transform:rotate(-" + std::to_string(r) + "deg);";
        else if (r > 90 && r < 180) css = "display:inline-block;transform:rotate(" + std::to_string(r - 90) + "deg);";
        slot = static_cast<int32_t>(Intern(std::move(css)));
    }
    return static_cast<uint32_t>(slot);
}

void StyleSheet::AddRule(std::string_view rule) {
    for (const std::string& r : extra_)
        if (r == rule) return;
    if (frozen_) throw FrozenMiss{};
    extra_.emplace_back(rule);
}

void StyleSheet::AppendRules(std::string& out) const {
    const std::string stack = FontStack(base_.name);
    out += "table{border-collapse:collapse;table-layout:fixed;font-family:";
    out += stack.empty() ? "sans-serif" : stack;
    out += ";font-size:";
    out += std::isfinite(base_.size) && base_.size > 0 && base_.size < 1000 ? Number(base_.size) : "11";
    out += "pt;";
    if (base_.bold) out += "font-weight:bold;";
    if (base_.italic) out += "font-style:italic;";
    if (base_.underline != Underline::None || base_.strike)
        out += base_.strike ? (base_.underline != Underline::None ? "text-decoration:underline line-through;"
                                                                  : "text-decoration:line-through;")
                            : "text-decoration:underline;";
    out += "color:" + CssColor(base_.color.set ? base_.color.rgb : 0) + "}\n";
    for (size_t i = 0; i < rules_.size(); ++i) {
        out += ".s" + std::to_string(i + 1) + "{";
        out += rules_[i];
        if (out.back() == ';') out.pop_back();
        out += "}\n";
    }
    for (const std::string& r : extra_) out += r + "\n";
}

}  // namespace sheets::html
