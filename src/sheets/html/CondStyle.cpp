#include "sheets/html/CondStyle.h"

#include <cmath>

#include "sheets/html/HtmlText.h"
#include "sheets/html/StyleSheet.h"

namespace sheets::html {
namespace {

uint32_t TowardWhite(uint32_t rgb, double share) {
    uint32_t out = 0;
    for (int shift = 16; shift >= 0; shift -= 8) {
        const double c = (rgb >> shift) & 255;
        out |= uint32_t(std::lround(c + (255 - c) * share)) << shift;
    }
    return out;
}

void AppendDecoration(std::string& css, const DiffFormat& d, const Font& f) {
    if (d.strike < 0 && d.underline < 0) return;
    const bool under = d.underline >= 0 ? d.underline > 0 : f.underline != Underline::None;
    const bool strike = d.strike >= 0 ? d.strike > 0 : f.strike;
    css += under && strike ? "text-decoration:underline line-through;"
           : under         ? "text-decoration:underline;"
           : strike        ? "text-decoration:line-through;"
                           : "text-decoration:none;";
}

}  // namespace

std::string LookCss(const cond::CellLook& look, const Font& font) {
    const DiffFormat& d = look.diff;
    std::string css;
    if (d.fontColor.set) css += "color:" + CssColor(d.fontColor.rgb) + ";";
    if (d.bold >= 0) css += d.bold ? "font-weight:bold;" : "font-weight:normal;";
    if (d.italic >= 0) css += d.italic ? "font-style:italic;" : "font-style:normal;";
    AppendDecoration(css, d, font);
    if (d.fill.set) css += "background-color:" + CssColor(d.fill.rgb) + ";";
    const std::pair<const char*, const BorderSide*> sides[] = {
        {"left", &d.left}, {"right", &d.right}, {"top", &d.top}, {"bottom", &d.bottom}};
    for (auto [name, side] : sides) {
        const char* line = BorderLineCss(side->style);
        if (!line) continue;
        css += std::string("border-") + name + ":" + line + " " + CssColor(side->color.set ? side->color.rgb : 0) + ";";
    }
    if (look.bar) {
        // The bar fills the cell's height but a pixel or two, from the left edge.
        const uint32_t end = look.barGradient ? TowardWhite(look.barColor, 0.9) : look.barColor;
        css += "background-image:linear-gradient(90deg," + CssColor(look.barColor) + "," + CssColor(end) +
               ");background-size:" + std::to_string(look.barPercent) +
               "% calc(100% - 4px);background-position:0 50%;background-repeat:no-repeat;";
    }
    return css;
}

}  // namespace sheets::html
