#pragma once
// Where an object anchored to cells (a picture, a shape, a chart) sits over
// the sheet's table, in CSS pixels from the sheet's top-left corner.
#include <cstdint>

#include "sheets/html/SheetGeometry.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

constexpr int64_t kEmuPerPx = 9525;

// EMU to pixels; offsets and sizes past any sheet are cut to 2^40 EMU first.
int64_t EmuToPx(int64_t emu);

struct Box {
    int64_t x = 0, y = 0, w = 0, h = 0;
};

// The object's box: from the `from` cell and offset, as wide and high as the
// stated size when it has one, otherwise as far as the `to` cell and offset.
// `w` or `h` may come out zero or negative for an anchor without extent.
Box PlaceAnchored(const Anchor& from, const Anchor& to, int64_t widthEmu, int64_t heightEmu, const SheetGeometry& geo);

}  // namespace sheets::html
