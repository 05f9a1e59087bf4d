#pragma once
// The entry points of the .xls reader: Excel 2 to 2003 workbooks, in a
// compound file or (the oldest, and some other programs' files) as a bare
// stream of records.
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads the workbook stream of a compound file. Throws sheets::Error (or
// PasswordError for an encrypted workbook whose password is not the default).
Workbook ReadXls(std::string_view bytes);

// True when the bytes begin with the first record of a sheet or workbook
// stream without a compound file around it (Excel 2 to 4 sheets, for the most
// part).
bool IsBiffStream(std::string_view bytes);
// Reads such a stream. Throws sheets::Error.
Workbook ReadBiffStream(std::string_view bytes);

}  // namespace sheets
