#pragma once
// One sheet as a table.
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/html/CellText.h"
#include "sheets/html/StyleSheet.h"
#include "sheets/model/Workbook.h"

namespace sheets::html {

// What every sheet of one document shares.
struct Document {
    explicit Document(const Workbook& book) : wb(book), styles(book.styles), texts(book) {}
    const Workbook& wb;
    StyleSheet styles;
    CellTexts texts;
    // Sheet name folded to lower case -> index of a sheet this document shows.
    std::unordered_map<std::string, uint32_t> shownSheets;
    // When set, takes (and empties) the output whenever it has grown large,
    // so that a big sheet never sits in memory as a whole page.
    std::function<void(std::string&)> drain;
};

// The id of a sheet's section, the target of tabs and in-document links.
std::string SheetAnchor(uint32_t sheetIndex);
// The sheet an in-workbook location such as "'My Sheet'!A1" points at, when
// the document shows it; -1 otherwise.
int64_t LocationSheet(const Document& doc, std::string_view location);

void AppendSheet(Document& doc, uint32_t sheetIndex, bool hidden, std::string& out);

}  // namespace sheets::html
