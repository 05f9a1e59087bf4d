#pragma once
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads a workbook of any supported format, chosen by its content (zip
// package: .xlsx/.xlsm; compound file: .xls or an encrypted package).
// Throws sheets::Error (or PasswordError).
Workbook LoadWorkbook(const std::string& path);
Workbook LoadWorkbookFromMemory(std::string_view bytes);

// Readers, one per format (the loader picks).
Workbook ReadXlsx(std::string_view bytes);
Workbook ReadXls(std::string_view bytes);

}  // namespace sheets
