#pragma once
#include "sheets/model/Workbook.h"

namespace sheets {

// Gives drop-downs and list boxes the items their cells hold (the values
// the workbook caches, as the cells show them) and their selection, read
// from the linked cell when the control itself does not say. A range that
// names no sheet or cells of this workbook leaves the list empty. Call once
// the sheets are read.
void FillControlLists(Workbook& wb);

}  // namespace sheets
