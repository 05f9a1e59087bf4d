#pragma once
#include <string>
#include <utility>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xlsx/Package.h"
#include "sheets/xlsx/RichText.h"

namespace sheets::xlsx {

struct SheetContext {
    const ColorResolver& colors;
    FontTable& fonts;
    const Font& baseFont;
    std::vector<RichString>& strings;  // shared strings first; inline ones are appended
    uint32_t sharedCount = 0;
    size_t formatCount = 1;
    bool date1904 = false;
    // What the whole workbook may still hold: cells and rows, and bytes of
    // text outside the shared strings. Reading lowers them.
    uint64_t cellBudget = 0;
    uint64_t textBudget = 0;
};

// What a worksheet part refers to elsewhere.
struct SheetRefs {
    std::string drawingRelId;
    std::string backgroundRelId;  // the picture tiled behind the cells
    // Error cells whose value the workbook's metadata holds (1-based `vm`).
    struct ValueMeta {
        uint32_t row = 0, col = 0, vm = 0;
    };
    std::vector<ValueMeta> valueMeta;
    struct Link {
        Range range;
        std::string relId, location, tooltip;
    };
    std::vector<Link> links;
    // Form controls: the legacy drawing's shape id, and the relationship of the control's properties.
    std::vector<std::pair<uint32_t, std::string>> controls;
};

// Reads a worksheet (or dialog or macro sheet) part into `sheet`. Throws
// sheets::Error for references beyond the sheet's limits, shared-string
// indices out of range and malformed XML.
SheetRefs ParseWorksheet(const Package& pkg, const std::string& part, SheetContext& ctx, Sheet& sheet);

// "A1:C3" or "B2"; false when malformed or beyond the limits.
bool ParseRange(std::string_view ref, Range& out);

// An ISO 8601 date, time or date-time as a serial number of the date system.
bool IsoToSerial(std::string_view iso, bool date1904, double& out);

}  // namespace sheets::xlsx
