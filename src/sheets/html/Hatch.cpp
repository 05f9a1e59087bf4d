#include "sheets/html/Hatch.h"

#include "sheets/html/HtmlText.h"

namespace sheets::html {
namespace {

// Which pixels of a 4 by 4 tile take the pattern colour, by the pattern's
// own density and direction.
bool Inked(Hatch h, int x, int y) {
    const int down = ((x - y) % 4 + 4) % 4, up = (x + y) % 4;
    switch (h) {
    case Hatch::DarkGray: return !(x % 2 == 1 && y % 2 == 0);  // 75 %
    case Hatch::MediumGray: return (x + y) % 2 == 0;  // 50 %
    case Hatch::LightGray: return x % 2 == 0 && y % 2 == 0;  // 25 %
    case Hatch::Gray125: return (x == 0 && y == 0) || (x == 2 && y == 2);
    case Hatch::Gray0625: return x == 0 && y == 0;
    case Hatch::DarkHorizontal: return y < 2;
    case Hatch::DarkVertical: return x < 2;
    case Hatch::DarkDown: return down < 2;
    case Hatch::DarkUp: return up < 2;
    case Hatch::DarkGrid: return (x < 2) == (y < 2);
    case Hatch::DarkTrellis: return !(x % 2 == 1 && y % 2 == 1);
    case Hatch::LightHorizontal: return y == 0;
    case Hatch::LightVertical: return x == 0;
    case Hatch::LightDown: return down == 0;
    case Hatch::LightUp: return up == 0;
    case Hatch::LightGrid: return x == 0 || y == 0;
    case Hatch::LightTrellis: return down == 0 || up == 0;
    case Hatch::None: return false;
    }
    return false;
}

std::string Hex(uint32_t rgb) { return "%23" + CssColor(rgb).substr(1); }  // '#' escaped inside the URL

}  // namespace

std::string HatchCss(Hatch hatch, uint32_t fg, uint32_t bg) {
    std::string path;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            if (Inked(hatch, x, y)) path += "M" + std::to_string(x) + " " + std::to_string(y) + "h1v1h-1z";
    std::string css = "background:" + CssColor(bg);
    if (path.empty()) return css + ";";
    css +=
        " url(\"data:image/svg+xml,<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4' "
        "shape-rendering='crispEdges'><path d='" +
        path + "' fill='" + Hex(fg) + "'/></svg>\");";
    return css;
}

}  // namespace sheets::html
