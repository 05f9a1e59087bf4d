#pragma once
// The entry point of the .xls reader: Excel 5 to 2003 workbooks, in a
// compound file.
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads the workbook stream of a compound file. Throws sheets::Error (or
// PasswordError for an encrypted workbook whose password is not the default).
Workbook ReadXls(std::string_view bytes);

}  // namespace sheets
