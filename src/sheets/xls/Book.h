#pragma once
// What the reading of a workbook's globals and of each of its sheets shares.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>

#include "sheets/model/Workbook.h"
#include "sheets/xls/CodePage.h"
#include "sheets/xls/OfficeArt.h"
#include "sheets/xls/Strings.h"
#include "sheets/xls/TableStyles.h"
#include "sheets/xls/XlsStyles.h"

namespace sheets::xls {

// The workbook being filled, how its strings are decoded, and the limits
// that hold across all of its sheets.
struct Book {
    std::string stream;  // the workbook stream, decrypted in place
    Workbook wb;
    uint8_t biff = 8;  // the version of the records: 2, 3, 4 (Excel 2 to 4), 5 (Excel 5/95) or 8
    bool biff8 = true;
    CodePage codePage{1252};
    StringContext ctx;
    StyleTable styles;
    size_t sstCount = 0;
    size_t scanned = 0;  // bytes of sheet records read so far
    size_t cellCount = 0;
    std::unordered_map<uint8_t, uint32_t> errorStrings;
    std::vector<Blip> blips;  // the drawing group's picture store
    // Image bytes the workbook may still hold: each use of a picture counts.
    uint64_t pictureBudget = 256ull << 20;
    // References to other sheets: whether each SUPBOOK is this workbook, and
    // the sheet each EXTERNSHEET entry names (-1: another workbook's).
    std::vector<bool> ownBooks;
    std::vector<int32_t> externSheets;
    TableStyleRecords tableStyles;

    // Appends to the workbook's string table; returns the index.
    uint32_t AddString(RichString s);
    // The string of an error value such as #DIV/0!, added once.
    uint32_t ErrorString(uint8_t code);
    void SetVersion(uint8_t version);
    void AddSupBook(std::string_view body);
    void ReadExternSheet(std::string_view body);
};

// How the cells of one sheet name their formats in the workbook's table: a
// sheet of an older file brings its own formats, which follow those of the
// sheets before it. A cell that names a format that does not exist gets the
// sheet's first.
struct SheetFormats {
    uint32_t base = 0;
    uint32_t count = 0;
    // The oldest files: a cell's three bytes of attributes -> its format.
    std::map<uint32_t, uint32_t> attributes;
    uint32_t Of(uint32_t ixfe) const { return ixfe < count ? base + ixfe : count ? base : 0; }
};

// Drops the rich-text runs that name a font that does not exist: the text
// keeps the cell's font.
void DropBadRuns(RichString& s, size_t fontCount);

}  // namespace sheets::xls
