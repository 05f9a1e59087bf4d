#pragma once
// The cached values of one sheet's cells, looked up by position.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheets/cond/Value.h"
#include "sheets/model/Workbook.h"

namespace sheets::cond {

inline constexpr uint32_t kLastRow = 1048575, kLastCol = 16383;

class CellSource {
public:
    CellSource(const Workbook& wb, const Sheet& sheet) : wb_(wb), sheet_(sheet) {}

    Value At(uint32_t row, uint32_t col) const;
    // The cells of the workbook's sheet of that name (as a formula names it,
    // in any case); null when there is none.
    const CellSource* Other(std::string_view name) const;
    Value Of(const Cell& cell) const;
    // Calls f(row, const Cell&) for every stored cell inside `r`, in row
    // order; each row and cell costs one of `budget`. False when the budget
    // ran out before the end.
    template <class F>
    bool ForEach(const Range& r, Budget& budget, F&& f) const;

private:
    const Row* FirstRowAtOrAfter(uint32_t row) const;
    const Cell* FirstCellAtOrAfter(const Row& row, uint32_t col) const;

    const Workbook& wb_;
    const Sheet& sheet_;
    // Built on the first reference to another sheet: the sheets by their
    // names in lower case, and the sources asked for so far.
    mutable std::unordered_map<std::string, const Sheet*> byName_;
    mutable std::unordered_map<const Sheet*, std::unique_ptr<CellSource>> others_;
};

template <class F>
bool CellSource::ForEach(const Range& r, Budget& budget, F&& f) const {
    const Row* end = sheet_.rows.data() + sheet_.rows.size();
    for (const Row* row = FirstRowAtOrAfter(r.row1); row && row != end && row->index <= r.row2; ++row) {
        if (!budget.Spend()) return false;
        const Cell* stop = row->cells.data() + row->cells.size();
        for (const Cell* c = FirstCellAtOrAfter(*row, r.col1); c != stop && c->col <= r.col2; ++c) {
            if (!budget.Spend()) return false;
            f(row->index, *c);
        }
    }
    return true;
}

}  // namespace sheets::cond
