#pragma once
// Text whose number format repeats a character across the room the cell
// leaves (`*x`, as accounting formats do): what stands before the fill
// keeps to the cell's left edge, the rest to its right, whatever the width.
#include <cstddef>
#include <string>
#include <string_view>

#include "sheets/html/StyleSheet.h"

namespace sheets::html {

// Appends `text` with `fill` drawn at byte `fillAt`, without script: a flex
// row whose middle grows. The fill is drawn, never written out (a visible
// character by the style sheet), so copied text reads as the value without
// its fill, " $12.00 ", and holds no run of repeated characters.
void AppendFilled(std::string& out, std::string_view text, size_t fillAt, std::string_view fill, bool lineBreaks,
                  StyleSheet& styles);

}  // namespace sheets::html
