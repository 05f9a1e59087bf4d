#pragma once
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads a workbook of any supported format with the reader its content
// calls for (zip package: .xlsx/.xlsm, or .xlsb when its main part is
// binary; compound file: .xls, or a package encrypted with the default
// password, which is decrypted and read as the package it holds; a bare
// sheet stream of Excel 2 to 4); each format's folder declares its reader's
// entry point.
// Throws sheets::Error (or PasswordError).
Workbook LoadWorkbook(const std::string& path);
Workbook LoadWorkbookFromMemory(std::string_view bytes);

}  // namespace sheets
