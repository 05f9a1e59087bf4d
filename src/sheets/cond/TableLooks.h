#pragma once
// What a sheet's tables make of their cells: the table style's elements
// layered as the spreadsheet layers them, under the cells' own formatting
// and under conditional formats.
#include <array>
#include <cstdint>
#include <vector>

#include "sheets/cond/Engine.h"
#include "sheets/model/Workbook.h"

namespace sheets::cond {

class TableLooks {
public:
    TableLooks() = default;
    TableLooks(const Workbook& wb, const Sheet& sheet);

    bool Empty() const { return tables_.empty(); }
    // The styled tables small enough for their empty cells to be drawn too.
    const std::vector<Range>& Drawn() const { return drawn_; }
    // The look the tables give a cell of this format (an index into
    // Styles::formats); false outside every styled table. Cheapest when rows
    // are asked for in ascending order, as a page is written.
    bool At(uint32_t row, uint32_t col, uint32_t format, DiffFormat& out) const;

    // So many tables per sheet are styled at most, and so many cells of them
    // drawn where the sheet has none.
    static constexpr size_t kMaxTables = 4096;
    static constexpr uint64_t kDrawnCells = uint64_t(1) << 20;

private:
    struct Styled {
        Range range;
        uint32_t headerRows = 0, totalRows = 0;
        bool rowStripes = false, columnStripes = false, firstColumn = false, lastColumn = false;
        std::array<const DiffFormat*, size_t(TableArea::Count)> diff{};
        std::array<uint32_t, size_t(TableArea::Count)> size{};
    };
    void Layer(const Styled& t, uint32_t row, uint32_t col, DiffFormat& out) const;
    const Styled* Find(uint32_t row, uint32_t col) const;

    const Styles* styles_ = nullptr;
    std::vector<Styled> tables_;  // by first row; none overlaps another
    std::vector<Range> drawn_;
    // The tables over the row last asked for, by first column.
    mutable std::vector<uint32_t> active_;
    mutable size_t next_ = 0;  // the first table not yet active
    mutable int64_t row_ = -1;
};

// Puts what a table gives a cell under what conditional formats gave it:
// the rules' formats win where both set something.
void PutUnder(const DiffFormat& table, CellLook& look);

}  // namespace sheets::cond
