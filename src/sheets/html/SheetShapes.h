#pragma once
// A sheet's shapes on the page: each a positioned box holding its outline as
// inline SVG and its text as HTML over it.
#include <cstdint>
#include <string>

#include "sheets/html/SheetCharts.h"
#include "sheets/html/SheetGeometry.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

// The shapes of a worksheet, placed absolutely over its table. Returns the
// lowest edge they reach (0 for none). `drain` as for AppendWorksheetCharts.
int64_t AppendWorksheetShapes(const Sheet& sheet, const SheetGeometry& geo, std::string& out, const Drain& drain);

// The SVG path data of a shape's outline in a box `w` by `h` pixels; lines
// and connectors run from the top-left to the bottom-right corner.
std::string ShapeOutline(const Shape& s, double w, double h);

}  // namespace sheets::html
