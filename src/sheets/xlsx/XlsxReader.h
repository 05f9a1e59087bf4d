#pragma once
// The entry point of the .xlsx reader: Office Open XML workbooks (.xlsx,
// .xlsm), in a zip package.
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads a workbook package. Throws sheets::Error (or PasswordError).
Workbook ReadXlsx(std::string_view bytes);

}  // namespace sheets
