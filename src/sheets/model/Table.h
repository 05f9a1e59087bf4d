#pragma once
// Excel tables (list objects) and the table styles that give their cells a
// look. Included at the end of Workbook.h, which holds them in Sheet and Styles.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"

namespace sheets {

// The areas of a table a style element formats, lowest precedence first:
// later kinds win over earlier ones where both set something.
enum class TableArea : uint8_t {
    WholeTable,
    FirstColumnStripe,
    SecondColumnStripe,
    FirstRowStripe,
    SecondRowStripe,
    LastColumn,
    FirstColumn,
    HeaderRow,
    TotalRow,
    FirstHeaderCell,
    LastHeaderCell,
    FirstTotalCell,
    LastTotalCell,
    Count
};

struct TableStyleElement {
    TableArea area = TableArea::WholeTable;
    int32_t diff = -1;  // index into Styles::diffs; -1 none
    uint32_t size = 1;  // stripes: rows or columns in one band
};

struct TableStyle {
    std::string name;
    std::vector<TableStyleElement> elements;
};

struct Table {
    Range range;  // header and total rows included
    uint32_t headerRows = 1, totalRows = 0;
    // The style's name as stored; empty: the table has no style.
    std::string style;
    bool rowStripes = true, columnStripes = false, firstColumn = false, lastColumn = false;
};

}  // namespace sheets
