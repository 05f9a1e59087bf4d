#pragma once
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Colors.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Reads a styles part into `out`, every cell format resolved (inheritance
// from cell styles, colours to RGB, built-in number formats to codes).
// Updates `colors` with the workbook's indexed palette when it has one.
void ParseStyles(std::string_view xml, const std::string& part, ColorResolver& colors, Styles& out);
// ParseStyles on a part of the package; the same part stored byte for byte
// alike under the same colours costs a copy of what was read last time.
void ReadStyles(const Package& pkg, const std::string& part, ColorResolver& colors, Styles& out);

// A border's style attribute ("thin", "double" ...); None for unknown names.
BorderStyle BorderStyleOf(const char* v);

}  // namespace sheets::xlsx
