#pragma once
// The table styles every spreadsheet knows by name (TableStyleLight1..21,
// TableStyleMedium1..28, TableStyleDark1..11), stated in theme colours so
// that each workbook's theme gives them their look.
#include <string_view>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Colors.h"

namespace sheets::xlsx {

// The built-in style of that name with its colours resolved, its formats
// appended to `diffs`; false (and nothing appended) for any other name.
bool BuiltinTableStyle(std::string_view name, const ColorResolver& colors, std::vector<DiffFormat>& diffs,
                       TableStyle& out);

// Adds to the workbook's styles the built-in styles its tables name and it
// does not define itself, and the default style where a table names a style
// nobody knows. Readers call it once every sheet is read.
void AddBuiltinTableStyles(const ColorResolver& colors, Workbook& wb);

}  // namespace sheets::xlsx
