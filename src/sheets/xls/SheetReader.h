#pragma once
#include <cstddef>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Book.h"

namespace sheets::xls {

// Reads the substream of one sheet, which begins with the BOF record at
// `offset`, into `sheet`: its cells, the layout of its rows and columns, its
// comments and its links. Strings go to the book's table; the cells name
// their formats through `formats`. A damaged record costs that record only.
void ReadSheet(Book& book, size_t offset, Sheet& sheet, const SheetFormats& formats);

// A sheet of a file older than Excel 5 (or of a stream that holds one sheet
// alone), which carries its own fonts, number formats and cell formats:
// they join the workbook's (in place of the defaults for the first sheet,
// `first`), then the sheet is read.
void ReadSheetWithStyles(Book& book, size_t offset, Sheet& sheet, bool first);

}  // namespace sheets::xls
