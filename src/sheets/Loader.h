#pragma once
#include <string>
#include <string_view>

#include "sheets/model/Workbook.h"

namespace sheets {

// Reads a workbook of any supported format with the reader its content
// calls for (zip package: .xlsx/.xlsm; compound file: .xls or an encrypted
// package); each format's folder declares its reader's entry point.
// Throws sheets::Error (or PasswordError).
Workbook LoadWorkbook(const std::string& path);
Workbook LoadWorkbookFromMemory(std::string_view bytes);

// Call once at program start, before any thread exists. The zip layer asks
// the C library for the local time zone for every entry it reads, and with no
// TZ set the library looks at /etc/localtime on disk at each call; naming the
// same zone file explicitly keeps the zone and drops those lookups.
void PinLocalTimeZone();

}  // namespace sheets
