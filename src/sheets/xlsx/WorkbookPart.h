#pragma once
// The workbook part: the sheets in their order, the workbook's own
// properties, and the relationships that lead to every other part.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"

namespace sheets::xlsx {

struct SheetEntry {
    std::string name, relId;
    Visibility visibility = Visibility::Visible;
};

struct WorkbookProps {
    std::vector<SheetEntry> sheets;
    int64_t activeTab = 0;
    bool date1904 = false;
};

// The name of the package's workbook part. Throws sheets::Error when there
// is none, or when it is a binary (.xlsb) workbook.
std::string FindWorkbookPart(const Package& pkg);

WorkbookProps ParseWorkbookPart(const Package& pkg, const std::string& part);

// The workbook part's relationships. When they are damaged, those that the
// declared content types of the parts make certain stand in; throws
// sheets::Error when there are none.
std::vector<Relationship> WorkbookRels(const Package& pkg, const std::string& part,
                                       const std::vector<SheetEntry>& sheets);

}  // namespace sheets::xlsx
