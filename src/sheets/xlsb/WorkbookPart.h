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
    // The table of sheets formulas name: per entry, the index of one sheet
    // of this workbook, or -1 (another workbook, a range of sheets, none).
    std::vector<int32_t> externSheets;

    bool OnRecord(const Record& r) override;

private:
    void ExternSheet(Payload& in);

    bool sawView_ = false;
    std::vector<bool> selfLinks_;  // per supporting link: whether it is this workbook
};

}  // namespace sheets::xlsb
