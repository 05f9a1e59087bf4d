#pragma once
#include <cstddef>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Book.h"

namespace sheets::xls {

// Reads the substream of one sheet, which begins with the BOF record at
// `offset`, into `sheet`: its cells, the layout of its rows and columns, its
// comments and its links. Strings go to the book's table.
void ReadSheet(Book& book, size_t offset, Sheet& sheet);

}  // namespace sheets::xls
