#pragma once
// Pattern fills drawn as patterns: a tile of a few pixels, repeated.
#include <cstdint>
#include <string>

#include "sheets/model/Workbook.h"

namespace sheets::html {

// The CSS background of `hatch` in `fg` over `bg` (0xRRGGBB).
std::string HatchCss(Hatch hatch, uint32_t fg, uint32_t bg);

}  // namespace sheets::html
