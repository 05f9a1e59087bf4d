#include "sheets/cond/CellSource.h"

#include <algorithm>

namespace sheets::cond {

const Row* CellSource::FirstRowAtOrAfter(uint32_t row) const {
    auto it = std::lower_bound(sheet_.rows.begin(), sheet_.rows.end(), row,
                               [](const Row& r, uint32_t v) { return r.index < v; });
    return sheet_.rows.data() + (it - sheet_.rows.begin());
}

const Cell* CellSource::FirstCellAtOrAfter(const Row& row, uint32_t col) const {
    auto it =
        std::lower_bound(row.cells.begin(), row.cells.end(), col, [](const Cell& c, uint32_t v) { return c.col < v; });
    return row.cells.data() + (it - row.cells.begin());
}

Value CellSource::Of(const Cell& c) const {
    switch (c.type) {
    case CellType::Blank: return {};
    case CellType::Number: return Value::Num(c.number);
    case CellType::Bool: return Value::Boolean(c.boolean);
    case CellType::String:
        return c.string < wb_.strings.size() ? Value::Str(wb_.strings[c.string].text) : Value::Str({});
    case CellType::Error: return Value::Err(c.string < wb_.strings.size() ? wb_.strings[c.string].text : "#N/A");
    }
    return {};
}

Value CellSource::At(uint32_t row, uint32_t col) const {
    const Row* r = FirstRowAtOrAfter(row);
    if (r == sheet_.rows.data() + sheet_.rows.size() || r->index != row) return {};
    const Cell* c = FirstCellAtOrAfter(*r, col);
    if (c == r->cells.data() + r->cells.size() || c->col != col) return {};
    return Of(*c);
}

}  // namespace sheets::cond
