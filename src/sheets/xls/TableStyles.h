#pragma once
// The workbook's own table styles as the globals of a binary workbook hold
// them (Excel 2007 and later write them into .xls files too): the default
// style's name, each style with its elements, and the differential formats
// those elements name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/XlsStyles.h"
#include "sheets/xlsb/DiffFormats.h"

namespace sheets::xls {

class TableStyleRecords {
public:
    // False for a record of another kind; a record cut short throws.
    bool Read(const Record& r);
    const std::string& DefaultStyle() const { return default_; }
    // Adds the formats to the workbook's, the styles with their formats'
    // new indexes, and the built-in styles its tables name. Once every sheet
    // is read, so that the tables are known.
    void Resolve(const StyleTable& styles, Workbook& wb);

private:
    void BeginStyle(Bytes& in);
    void AddElement(Bytes& in);

    std::string default_;
    std::vector<TableStyle> styles_;
    std::vector<xlsb::DiffSpec> diffs_;
    // Elements still to come for the style read last; 0 outside a style or
    // in one that formats no table.
    uint32_t elementsLeft_ = 0;
};

}  // namespace sheets::xls
