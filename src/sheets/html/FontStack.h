#pragma once
// The CSS font stack of a workbook font: the font itself, then a free font
// drawn to the same widths where one exists, then the generic family.
#include <string>
#include <string_view>

namespace sheets::html {

// `"Calibri","Carlito",sans-serif`; empty when nothing of the name is usable
// (the caller then leaves the family to the table's default).
std::string FontStack(std::string_view name);

}  // namespace sheets::html
