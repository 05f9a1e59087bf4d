#pragma once
// A sheet's charts on the page: each as inline SVG at its anchored place.
#include <cstdint>
#include <string>

#include "sheets/html/SheetGeometry.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

// Charts of a worksheet, placed absolutely over its table (`tableHeight`
// px high); returns how far below the table they reach (a spacer keeps
// the next section clear of them).
void AppendWorksheetCharts(const Sheet& sheet, const SheetGeometry& geo, bool date1904, int64_t tableHeight,
                           std::string& out);
// A chart sheet: its charts in the flow of the page.
void AppendChartSheet(const Sheet& sheet, bool date1904, std::string& out);

}  // namespace sheets::html
