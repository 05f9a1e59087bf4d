#pragma once
// The tables of a sheet in a binary workbook: a shared-feature record for
// each table (its range, header and total rows), then records that name
// its style and the style's options.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Records.h"

namespace sheets::xls {

class TableRecords {
public:
    // `defaultStyle`: the workbook's, for a table that asks for it.
    TableRecords(Sheet& sheet, const std::string& defaultStyle) : sheet_(sheet), defaultStyle_(defaultStyle) {}
    // False for a record of another kind. A table whose record lies about
    // its range or its rows is left out; a record cut short throws.
    bool Read(const Record& r);

private:
    void Feature(std::string_view data);
    void StyleInfo(std::string_view data);

    Sheet& sheet_;
    const std::string& defaultStyle_;
    std::unordered_map<uint32_t, size_t> byId_;  // table identifier -> index in the sheet's tables
};

}  // namespace sheets::xls
