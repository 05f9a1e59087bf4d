#include "sheets/html/Placement.h"

#include <algorithm>

namespace sheets::html {

int64_t EmuToPx(int64_t emu) { return std::clamp<int64_t>(emu, 0, int64_t(1) << 40) / kEmuPerPx; }

Box PlaceAnchored(const Anchor& from, const Anchor& to, int64_t widthEmu, int64_t heightEmu, const SheetGeometry& geo) {
    const auto x = [&](const Anchor& a) {
        const int64_t left = geo.X(a.col);
        const double part = a.colPart > 0 && a.colPart <= 1 ? a.colPart : 0;
        return left + EmuToPx(a.colOffset) + int64_t(part * double(geo.X(a.col + 1) - left));
    };
    const auto y = [&](const Anchor& a) {
        const int64_t top = geo.Y(a.row);
        const double part = a.rowPart > 0 && a.rowPart <= 1 ? a.rowPart : 0;
        return top + EmuToPx(a.rowOffset) + int64_t(part * double(geo.Y(a.row + 1) - top));
    };
    Box b;
    b.x = x(from);
    b.y = y(from);
    b.w = widthEmu > 0 ? EmuToPx(widthEmu) : x(to) - b.x;
    b.h = heightEmu > 0 ? EmuToPx(heightEmu) : y(to) - b.y;
    return b;
}

}  // namespace sheets::html
