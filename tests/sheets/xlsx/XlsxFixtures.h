#pragma once
// Fixtures for the reader's tests: workbooks written by libxlsxwriter and
// hand-made packages for what a well-behaved writer never produces.
#include <xlsxwriter.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "sheets/model/Workbook.h"

namespace fixtures {

using Entries = std::vector<std::pair<std::string, std::string>>;

// The bytes of a workbook that `build` fills.
std::string Xlsxwriter(const std::function<void(lxw_workbook*)>& build);
// A zip archive holding these entries (deflated), as bytes.
std::string Zip(const Entries& entries);
// A minimal package with one sheet "Sheet1": the sheet's XML, and optional
// shared strings and styles. `extra` entries are added or replace parts.
std::string Package(const std::string& sheetXml, const std::string& sstXml = "", const std::string& stylesXml = "",
                    const Entries& extra = {});
// Wraps <sheetData> content into a worksheet document.
std::string SheetXml(const std::string& sheetData, const std::string& before = "", const std::string& after = "");

// Reads with the loader.
sheets::Workbook Load(const std::string& bytes);
// The cell at a position, or null.
const sheets::Cell* CellAt(const sheets::Sheet& s, uint32_t row, uint32_t col);
// The text of a string or error cell.
std::string TextOf(const sheets::Workbook& wb, const sheets::Cell& c);

}  // namespace fixtures
