#pragma once
// A table part of a binary workbook: the table's range, its header and total
// rows, and the style it is shown in.
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Records.h"

namespace sheets::xlsb {

// Adds the part's table to `out` once its records have been read whole; a
// table beyond the sheet or cut short is left out.
class TableReader final : public RecordHandler {
public:
    explicit TableReader(std::vector<Table>& out) : out_(out) {}
    bool OnRecord(const Record& r) override;

private:
    std::vector<Table>& out_;
    Table cur_;
    bool inList_ = false, valid_ = false;
};

}  // namespace sheets::xlsb
