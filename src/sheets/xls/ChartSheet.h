#pragma once
// A chart sheet: its chart is not drawn from the chart records, but the sheet
// keeps its place in the page, with a framed box of the chart's size that
// carries its title, and the sheet's background picture behind it.
#include <cstddef>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Book.h"

namespace sheets::xls {

// What a chart sheet's chart says of itself in the page.
constexpr const char* kUndrawnChart = "xls";

// Reads the chart substream whose BOF record is at `at`. Damaged records
// cost what they hold (the title, the size, the background); the sheet
// always gets its chart.
void ReadChartSheet(Book& book, size_t at, Sheet& sheet);

}  // namespace sheets::xls
