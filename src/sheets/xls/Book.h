#pragma once
// What the reading of a workbook's globals and of each of its sheets shares.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "sheets/model/Workbook.h"
#include "sheets/xls/CodePage.h"
#include "sheets/xls/Strings.h"
#include "sheets/xls/XlsStyles.h"

namespace sheets::xls {

// The workbook being filled, how its strings are decoded, and the limits
// that hold across all of its sheets.
struct Book {
    std::string stream;  // the workbook stream, decrypted in place
    Workbook wb;
    bool biff8 = true;
    CodePage codePage{1252};
    StringContext ctx;
    StyleTable styles;
    size_t sstCount = 0;
    size_t scanned = 0;  // bytes of sheet records read so far
    size_t cellCount = 0;
    std::unordered_map<uint8_t, uint32_t> errorStrings;

    // Appends to the workbook's string table; returns the index.
    uint32_t AddString(RichString s);
    // The string of an error value such as #DIV/0!, added once.
    uint32_t ErrorString(uint8_t code);
    // A cell's format index; throws sheets::Error when it names none.
    uint32_t CheckedFormat(uint16_t ixfe) const;
};

// Throws sheets::Error when a rich-text run names a font that does not exist.
void CheckRuns(const RichString& s, size_t fontCount);

}  // namespace sheets::xls
