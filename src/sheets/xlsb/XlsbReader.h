#pragma once
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads an Excel binary workbook (.xlsb): the zip package of .xlsx with
// record streams in place of its XML parts. Throws sheets::Error.
Workbook ReadXlsb(std::string_view bytes);

// Whether a zip package holds a binary workbook (its main part a .bin).
// Throws sheets::Error for an archive that cannot be opened.
bool IsXlsbPackage(std::string_view bytes);

}  // namespace sheets
