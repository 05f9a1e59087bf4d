#pragma once
// Evaluates a sheet's conditional formats on the cells' cached values (no
// recalculation): what each cell's look becomes when the workbook is opened.
#include <cstdint>
#include <unordered_map>

#include "sheets/model/Workbook.h"

namespace sheets::cond {

// What the matching rules make of one cell, higher priorities first.
struct CellLook {
    DiffFormat diff;  // rules' formats merged; a colour scale's colour is diff.fill
    bool bar = false;  // a data bar from the left edge
    uint8_t barPercent = 0;  // its length, percent of the cell's width
    bool barGradient = true;
    uint32_t barColor = 0;  // 0xRRGGBB
    // Bars of 2010 and later (barPlaced): from barStart, percent of the
    // width, with an outline and an axis where they have them.
    bool barPlaced = false;
    uint8_t barStart = 0;
    bool barFromRight = false;  // its full colour at the right end: it grows leftwards
    int32_t barBorder = -1;  // 0xRRGGBB; -1 none
    int8_t barAxis = -1;  // percent of the width where a dashed axis stands; -1 none
    uint32_t barAxisColor = 0;
    int8_t icon = -1;  // index into the set's icons, lowest first; -1 none
    IconSetKind iconSet = IconSetKind::TrafficLights3;
    bool hideValue = false;  // "show bar/icon only"
    bool stopped = false;  // a rule with "stop if true" matched: lower ones are not applied
};

struct EngineOptions {
    double today = 0;  // the conversion date, as a serial number of the workbook's date system
    // Cells, rows and formula steps the sheet's rules may cost in all; rules
    // that would cost more are left unapplied, and the page is still written.
    uint64_t budget = uint64_t(1) << 24;
};

class SheetLooks {
public:
    const CellLook* Find(uint32_t row, uint32_t col) const {
        auto it = cells_.find(Key(row, col));
        return it == cells_.end() ? nullptr : &it->second;
    }
    bool Empty() const { return cells_.empty(); }
    size_t Size() const { return cells_.size(); }
    static uint64_t Key(uint32_t row, uint32_t col) { return uint64_t(row) << 14 | col; }
    CellLook& At(uint64_t key) { return cells_[key]; }

private:
    std::unordered_map<uint64_t, CellLook> cells_;
};

SheetLooks Evaluate(const Workbook& wb, const Sheet& sheet, const EngineOptions& options);

// Today's local date as such a serial number.
double TodaySerial(bool date1904);

}  // namespace sheets::cond
