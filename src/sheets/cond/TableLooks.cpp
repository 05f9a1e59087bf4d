#include "sheets/cond/TableLooks.h"

#include <algorithm>

#include "sheets/cond/CellSource.h"

namespace sheets::cond {
namespace {

bool Overlap(const Range& a, const Range& b) {
    return a.row1 <= b.row2 && b.row1 <= a.row2 && a.col1 <= b.col2 && b.col1 <= a.col2;
}

const TableStyle* FindStyle(const Styles& st, const std::string& name) {
    for (const TableStyle& s : st.tableStyles)
        if (s.name == name) return &s;
    return nullptr;
}

void SetSide(BorderSide& into, const BorderSide& from) {
    if (from.style != BorderStyle::None) into = from;
}

// One element over `area`: its outer sides on the area's edges, its inner
// lines between the area's cells.
void Apply(const DiffFormat& d, const Range& area, uint32_t row, uint32_t col, DiffFormat& out) {
    if (d.fontColor.set) out.fontColor = d.fontColor;
    for (auto field : {&DiffFormat::bold, &DiffFormat::italic, &DiffFormat::strike, &DiffFormat::underline})
        if (d.*field >= 0) out.*field = d.*field;
    if (d.fill.set) out.fill = d.fill;
    SetSide(out.left, col == area.col1 ? d.left : d.vertical);
    SetSide(out.right, col == area.col2 ? d.right : d.vertical);
    SetSide(out.top, row == area.row1 ? d.top : d.horizontal);
    SetSide(out.bottom, row == area.row2 ? d.bottom : d.horizontal);
}

// The band of stripes of sizes first and second that `at` falls in, within
// [from, to]; `second` says which of the two it is.
void Band(uint32_t at, uint32_t from, uint32_t to, uint32_t first, uint32_t second, uint32_t& lo, uint32_t& hi,
          bool& isSecond) {
    const uint64_t period = uint64_t(first) + second;
    const uint64_t k = (at - from) % period;
    const uint64_t start = at - k;
    isSecond = k >= first;
    lo = uint32_t(isSecond ? start + first : start);
    hi = uint32_t(std::min<uint64_t>(isSecond ? start + period - 1 : start + first - 1, to));
}

// The cell's own formatting wins over the table's where it departs from the
// workbook's default: an explicit fill, font colour, emphasis or border side.
void KeepOwn(const Styles& st, uint32_t format, DiffFormat& d) {
    if (format >= st.formats.size() || st.formats.empty()) return;
    const CellFormat& f = st.formats[format];
    const CellFormat& base = st.formats.front();
    if (f.fill < st.fills.size() && st.fills[f.fill].pattern != Fill::Pattern::None) d.fill = Color{};
    if (f.font < st.fonts.size() && base.font < st.fonts.size()) {
        const Font &own = st.fonts[f.font], &normal = st.fonts[base.font];
        // An automatic colour is no choice of the cell's.
        if (own.color.set && own.color != normal.color) d.fontColor = Color{};
        if (own.bold != normal.bold) d.bold = -1;
        if (own.italic != normal.italic) d.italic = -1;
        if (own.strike != normal.strike) d.strike = -1;
        if (own.underline != normal.underline) d.underline = -1;
    }
    if (f.border < st.borders.size()) {
        const Border& b = st.borders[f.border];
        if (b.left.style != BorderStyle::None) d.left = {};
        if (b.right.style != BorderStyle::None) d.right = {};
        if (b.top.style != BorderStyle::None) d.top = {};
        if (b.bottom.style != BorderStyle::None) d.bottom = {};
    }
}

}  // namespace

TableLooks::TableLooks(const Workbook& wb, const Sheet& sheet) : styles_(&wb.styles) {
    const Styles& st = wb.styles;
    for (const Table& t : sheet.tables) {
        if (tables_.size() >= kMaxTables) break;
        if (t.style.empty()) continue;
        const TableStyle* style = FindStyle(st, t.style);
        if (!style && !st.defaultTableStyle.empty()) style = FindStyle(st, st.defaultTableStyle);
        if (!style) continue;
        Range r = t.range;
        if (r.row1 > r.row2 || r.col1 > r.col2 || r.row1 > kLastRow || r.col1 > kLastCol) continue;
        r.row2 = std::min(r.row2, kLastRow);
        r.col2 = std::min(r.col2, kLastCol);
        Styled s;
        s.range = r;
        s.headerRows = t.headerRows;
        s.totalRows = t.totalRows;
        s.rowStripes = t.rowStripes;
        s.columnStripes = t.columnStripes;
        s.firstColumn = t.firstColumn;
        s.lastColumn = t.lastColumn;
        s.size.fill(1);
        for (const TableStyleElement& e : style->elements) {
            if (e.area >= TableArea::Count) continue;
            const size_t a = size_t(e.area);
            s.diff[a] = e.diff >= 0 && size_t(e.diff) < st.diffs.size() ? &st.diffs[size_t(e.diff)] : nullptr;
            s.size[a] = std::max<uint32_t>(e.size, 1);
        }
        // Tables never overlap in a workbook the spreadsheet saved; where
        // they do, the first one stated keeps the cells.
        if (std::any_of(tables_.begin(), tables_.end(), [&](const Styled& o) { return Overlap(o.range, r); })) continue;
        tables_.push_back(s);
    }
    std::stable_sort(tables_.begin(), tables_.end(),
                     [](const Styled& a, const Styled& b) { return a.range.row1 < b.range.row1; });
    uint64_t cells = 0;
    for (const Styled& t : tables_) {
        const uint64_t area = uint64_t(t.range.row2 - t.range.row1 + 1) * (t.range.col2 - t.range.col1 + 1);
        if (cells + area > kDrawnCells) continue;
        cells += area;
        drawn_.push_back(t.range);
    }
}

const TableLooks::Styled* TableLooks::Find(uint32_t row, uint32_t col) const {
    if (int64_t(row) < row_) {
        active_.clear();
        next_ = 0;
    }
    if (int64_t(row) != row_) {
        row_ = row;
        bool changed = false;
        const auto gone = [&](uint32_t i) { return tables_[i].range.row2 < row; };
        if (std::any_of(active_.begin(), active_.end(), gone)) {
            active_.erase(std::remove_if(active_.begin(), active_.end(), gone), active_.end());
            changed = true;
        }
        for (; next_ < tables_.size() && tables_[next_].range.row1 <= row; ++next_)
            if (tables_[next_].range.row2 >= row) {
                active_.push_back(uint32_t(next_));
                changed = true;
            }
        if (changed)
            std::sort(active_.begin(), active_.end(),
                      [&](uint32_t a, uint32_t b) { return tables_[a].range.col1 < tables_[b].range.col1; });
    }
    // The last table starting at or left of the column.
    auto it = std::upper_bound(active_.begin(), active_.end(), col,
                               [&](uint32_t c, uint32_t i) { return c < tables_[i].range.col1; });
    if (it == active_.begin()) return nullptr;
    const Styled& t = tables_[*std::prev(it)];
    return col <= t.range.col2 ? &t : nullptr;
}

void TableLooks::Layer(const Styled& t, uint32_t row, uint32_t col, DiffFormat& out) const {
    const Range& r = t.range;
    const auto area = [&](TableArea a) { return t.diff[size_t(a)]; };
    const auto size = [&](TableArea a) { return t.size[size_t(a)]; };
    const uint64_t height = uint64_t(r.row2) - r.row1 + 1;
    const uint64_t header = std::min<uint64_t>(t.headerRows, height);
    const uint64_t total = std::min<uint64_t>(t.totalRows, height - header);
    const bool isHeader = row < r.row1 + header;
    const bool isTotal = !isHeader && uint64_t(row) + total > r.row2;
    const Range headerArea{r.row1, r.col1, uint32_t(r.row1 + header - (header ? 1 : 0)), r.col2};
    const Range totalArea{uint32_t(r.row2 + 1 - (total ? total : 1)), r.col1, r.row2, r.col2};
    const uint32_t body1 = uint32_t(r.row1 + header), body2 = uint32_t(r.row2 - total);

    if (const DiffFormat* d = area(TableArea::WholeTable)) Apply(*d, r, row, col, out);
    if (!isHeader && !isTotal) {
        if (t.columnStripes) {
            uint32_t lo, hi;
            bool second;
            Band(col, r.col1, r.col2, size(TableArea::FirstColumnStripe), size(TableArea::SecondColumnStripe), lo, hi,
                 second);
            if (const DiffFormat* d = area(second ? TableArea::SecondColumnStripe : TableArea::FirstColumnStripe))
                Apply(*d, Range{body1, lo, body2, hi}, row, col, out);
        }
        if (t.rowStripes) {
            uint32_t lo, hi;
            bool second;
            Band(row, body1, body2, size(TableArea::FirstRowStripe), size(TableArea::SecondRowStripe), lo, hi, second);
            if (const DiffFormat* d = area(second ? TableArea::SecondRowStripe : TableArea::FirstRowStripe))
                Apply(*d, Range{lo, r.col1, hi, r.col2}, row, col, out);
        }
    }
    if (t.lastColumn && col == r.col2)
        if (const DiffFormat* d = area(TableArea::LastColumn))
            Apply(*d, Range{r.row1, col, r.row2, col}, row, col, out);
    if (t.firstColumn && col == r.col1)
        if (const DiffFormat* d = area(TableArea::FirstColumn))
            Apply(*d, Range{r.row1, col, r.row2, col}, row, col, out);
    const Range& band = isHeader ? headerArea : totalArea;
    if (isHeader || isTotal) {
        if (const DiffFormat* d = area(isHeader ? TableArea::HeaderRow : TableArea::TotalRow))
            Apply(*d, band, row, col, out);
        const Range first{band.row1, r.col1, band.row2, r.col1}, last{band.row1, r.col2, band.row2, r.col2};
        if (t.firstColumn && col == r.col1)
            if (const DiffFormat* d = area(isHeader ? TableArea::FirstHeaderCell : TableArea::FirstTotalCell))
                Apply(*d, first, row, col, out);
        if (t.lastColumn && col == r.col2)
            if (const DiffFormat* d = area(isHeader ? TableArea::LastHeaderCell : TableArea::LastTotalCell))
                Apply(*d, last, row, col, out);
    }
}

bool TableLooks::At(uint32_t row, uint32_t col, uint32_t format, DiffFormat& out) const {
    if (tables_.empty()) return false;
    const Styled* t = Find(row, col);
    if (!t) return false;
    out = DiffFormat{};
    Layer(*t, row, col, out);
    KeepOwn(*styles_, format, out);
    return true;
}

void PutUnder(const DiffFormat& table, CellLook& look) {
    DiffFormat& d = look.diff;
    if (!d.fontColor.set) d.fontColor = table.fontColor;
    if (!d.fill.set) d.fill = table.fill;
    for (auto field : {&DiffFormat::bold, &DiffFormat::italic, &DiffFormat::strike, &DiffFormat::underline})
        if (d.*field < 0) d.*field = table.*field;
    for (auto side : {&DiffFormat::left, &DiffFormat::right, &DiffFormat::top, &DiffFormat::bottom})
        if ((d.*side).style == BorderStyle::None) d.*side = table.*side;
}

}  // namespace sheets::cond
