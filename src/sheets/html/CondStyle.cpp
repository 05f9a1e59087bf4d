#include "sheets/html/CondStyle.h"

#include <cmath>
#include <cstdio>

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

// The bar's outline as three layers: its two ends, then its top and bottom
// edges as lines as wide as the bar.
template <class Layer>
void AppendOutline(const Layer& layer, const std::string& color, int start, int end) {
    const std::string l = std::to_string(start) + "%", r = std::to_string(end) + "%";
    layer("linear-gradient(90deg,transparent " + l + "," + color + " " + l + "," + color + " calc(" + l +
              " + 1px),transparent calc(" + l + " + 1px),transparent calc(" + r + " - 1px)," + color + " calc(" + r +
              " - 1px)," + color + " " + r + ",transparent " + r + ")",
          "100% calc(100% - 4px)", "0 50%");
    // A percentage places a layer narrower than the cell by the share of the
    // room it leaves, not by the cell's width.
    char at[32];
    std::snprintf(at, sizeof at, "%g%%", end - start >= 100 ? 0.0 : start * 100.0 / (100 - (end - start)));
    const std::string width = std::to_string(end - start) + "% 1px";
    layer("linear-gradient(" + color + "," + color + ")", width, std::string(at) + " 2px");
    layer("linear-gradient(" + color + "," + color + ")", width, std::string(at) + " calc(100% - 2px)");
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

// A bar placed between its start and end, with its outline and a dashed
// axis where it has them: background layers over the cell's own fill.
void AppendPlacedBar(std::string& css, const cond::CellLook& look) {
    const int start = look.barStart, end = look.barStart + look.barPercent;
    const std::string l = std::to_string(start) + "%", r = std::to_string(end) + "%";
    const std::string solid = CssColor(look.barColor);
    const std::string faded = look.barGradient ? CssColor(TowardWhite(look.barColor, 0.9)) : solid;
    std::string images, sizes, positions;
    const auto layer = [&](const std::string& image, const std::string& size, const std::string& position) {
        if (!images.empty()) {
            images += ',';
            sizes += ',';
            positions += ',';
        }
        images += image;
        sizes += size;
        positions += position;
    };
    if (look.barAxis >= 0)
        layer("repeating-linear-gradient(" + CssColor(look.barAxisColor) + " 0 2px,transparent 2px 4px)", "1px 100%",
              std::to_string(look.barAxis) + "% 0");
    if (look.barBorder >= 0 && end > start) AppendOutline(layer, CssColor(uint32_t(look.barBorder)), start, end);
    layer("linear-gradient(90deg,transparent " + l + "," + (look.barFromRight ? faded : solid) + " " + l + "," +
              (look.barFromRight ? solid : faded) + " " + r + ",transparent " + r + ")",
          "100% calc(100% - 4px)", "0 50%");
    css += "background-image:" + images + ";background-size:" + sizes + ";background-position:" + positions +
           ";background-repeat:no-repeat;";
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
    if (look.bar && look.barPlaced) {
        AppendPlacedBar(css, look);
    } else if (look.bar) {
        // The bar fills the cell's height but a pixel or two, from the left edge.
        const uint32_t end = look.barGradient ? TowardWhite(look.barColor, 0.9) : look.barColor;
        css += "background-image:linear-gradient(90deg," + CssColor(look.barColor) + "," + CssColor(end) +
               ");background-size:" + std::to_string(look.barPercent) +
               "% calc(100% - 4px);background-position:0 50%;background-repeat:no-repeat;";
    }
    return css;
}

}  // namespace sheets::html
