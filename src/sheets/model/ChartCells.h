#pragma once
#include "sheets/model/Workbook.h"

namespace sheets {

// Charts whose part lacks the cached values of a series take them from the
// cells their formulas name, when those lie in this workbook. Call once the
// sheets are read.
void FillChartsFromCells(Workbook& wb);

}  // namespace sheets
