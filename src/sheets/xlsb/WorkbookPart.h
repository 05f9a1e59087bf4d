#pragma once
// The workbook part: its sheets in order with their states and relationship
// ids, the date system, the active sheet.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsb/Records.h"

namespace sheets::xlsb {

struct SheetEntry {
    std::string name, relId;
    Visibility visibility = Visibility::Visible;
};

class WorkbookPartReader final : public RecordHandler {
public:
    // Sheets are numbered from 1 to 65535: a list that goes on is not read on.
    static constexpr size_t kMaxSheets = 65535;

    std::vector<SheetEntry> sheets;  // a damaged entry is left out
    uint32_t activeTab = 0;
    bool date1904 = false;

    bool OnRecord(const Record& r) override;

private:
    bool sawView_ = false;
};

}  // namespace sheets::xlsb
