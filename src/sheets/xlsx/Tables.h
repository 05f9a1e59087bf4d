#pragma once
// Table parts (xl/tables/tableN.xml): where a sheet's tables lie and how
// their style is shown.
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

// Reads one table part and appends its table to `out`. A damaged part or a
// table without a usable range adds nothing: a table only changes the look
// of cells that are there anyway.
void ParseTablePart(std::string_view xml, const std::string& part, std::vector<Table>& out);

}  // namespace sheets::xlsx
