#pragma once
// A sheet's charts on the page: each as inline SVG at its anchored place.
#include <cstdint>
#include <functional>
#include <string>

#include "sheets/html/SheetGeometry.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

using Drain = std::function<void(std::string&)>;

// Charts of a worksheet, placed absolutely over its table. Returns the
// lowest edge they reach (0 for none). `drain`, when set, takes the output
// whenever it has grown large.
int64_t AppendWorksheetCharts(const Sheet& sheet, const SheetGeometry& geo, bool date1904, std::string& out,
                              const Drain& drain);
// A chart sheet: its charts in the flow of the page.
void AppendChartSheet(const Sheet& sheet, bool date1904, std::string& out, const Drain& drain);

}  // namespace sheets::html
