#pragma once
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Adds the pictures, the charts and the shapes anchored in a drawing part to the sheet.
// `scheme` is the theme's colour scheme in document order (see ReadChartPart).
// Charts count against `budget` too; past it they become placeholders.
void ParseDrawing(const Package& pkg, const std::string& part, Sheet& sheet, uint64_t& budget,
                  const std::vector<uint32_t>& scheme);

}  // namespace sheets::xlsx
