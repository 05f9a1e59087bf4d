#include "sheets/cond/CellSource.h"

#include <algorithm>

#include "text/Ascii.h"

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

const CellSource* CellSource::Other(std::string_view name) const {
    if (byName_.empty())
        for (const Sheet& s : wb_.sheets) byName_.emplace(text::AsciiLowerCase(s.name), &s);
    auto it = byName_.find(text::AsciiLowerCase(std::string(name)));
    if (it == byName_.end()) return nullptr;
    std::unique_ptr<CellSource>& source = others_[it->second];
    if (!source) source = std::make_unique<CellSource>(wb_, *it->second);
    return source.get();
}

Value CellSource::At(uint32_t row, uint32_t col) const {
    const Row* r = FirstRowAtOrAfter(row);
    if (r == sheet_.rows.data() + sheet_.rows.size() || r->index != row) return {};
    const Cell* c = FirstCellAtOrAfter(*r, col);
    if (c == r->cells.data() + r->cells.size() || c->col != col) return {};
    return Of(*c);
}

}  // namespace sheets::cond
