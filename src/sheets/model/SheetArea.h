#pragma once
// References to cells of this workbook as chart series, control properties
// and linked cells write them.
#include <cstdint>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

struct SheetArea {
    const Sheet* sheet = nullptr;
    uint32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;  // corners, r1 <= r2 and c1 <= c2
};

// Reads "A1", "$A$1:$B$9", "Sheet2!A1:A9" or "'My sheet'!A1:A9", with or
// without a leading "=". A reference without a sheet name is on `own`, or
// not read when `own` is null. False when it is no such reference or names
// no sheet of `wb`.
bool ReadSheetArea(const Workbook& wb, const Sheet* own, std::string_view ref, SheetArea& out);

}  // namespace sheets
