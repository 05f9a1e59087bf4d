#include "sheets/html/SheetGeometry.h"

#include <algorithm>
#include <cmath>

namespace sheets::html {

int ColumnWidthPx(double chars) {
    if (!std::isfinite(chars) || chars <= 0) return 0;
    chars = std::min(chars, 255.0 + 5.0 / 7);
    // 7 px per digit of Calibri 11; the added 128/7 is the rounding a spreadsheet applies.
    return static_cast<int>(std::trunc((std::trunc(256 * chars) + std::trunc(128.0 / 7)) / 256 * 7));
}

int RowHeightPx(double points) {
    if (!std::isfinite(points) || points <= 0) return 0;
    return static_cast<int>(std::lround(std::min(points, 409.5) * 4 / 3));
}

SheetGeometry::SheetGeometry(const Sheet& sheet) : sheet_(sheet) {
    rows_.reserve(sheet.rows.size());
    for (const Row& r : sheet.rows)
        if (r.index < kMaxRows) rows_.push_back(&r);
    const auto byIndex = [](const Row* a, const Row* b) { return a->index < b->index; };
    if (!std::is_sorted(rows_.begin(), rows_.end(), byIndex)) std::stable_sort(rows_.begin(), rows_.end(), byIndex);
    rows_.erase(
        std::unique(rows_.begin(), rows_.end(), [](const Row* a, const Row* b) { return a->index == b->index; }),
        rows_.end());

    defaultRowPx_ =
        sheet.defaultRowsHidden ? 0 : RowHeightPx(sheet.defaultRowHeight >= 0 ? sheet.defaultRowHeight : 15);
    rowDelta_.resize(rows_.size() + 1);
    rowDelta_[0] = 0;
    for (size_t i = 0; i < rows_.size(); ++i) rowDelta_[i + 1] = rowDelta_[i] + RowPx(*rows_[i]) - defaultRowPx_;

    // Columns without information have the sheet's default width (8.43 digits, 64 px, unless set).
    const int defaultPx = sheet.defaultColWidth >= 0 ? ColumnWidthPx(sheet.defaultColWidth) : 64;
    std::vector<const ColumnInfo*> infos;
    for (const ColumnInfo& c : sheet.cols)
        if (c.first <= c.last && c.first < kMaxCols) infos.push_back(&c);
    std::stable_sort(infos.begin(), infos.end(),
                     [](const ColumnInfo* a, const ColumnInfo* b) { return a->first < b->first; });
    uint32_t next = 0;  // the first column no span covers yet
    for (const ColumnInfo* c : infos) {
        const uint32_t first = std::max(c->first, next), last = std::min(c->last, kMaxCols - 1);
        if (first > last) continue;  // overlaps an earlier one
        if (first > next) spans_.push_back(Span{next, defaultPx});
        spans_.push_back(Span{first, c->width >= 0 ? ColumnWidthPx(c->width) : defaultPx, c->hidden, c->format});
        next = last + 1;
    }
    if (next < kMaxCols || spans_.empty()) spans_.push_back(Span{next, defaultPx});
    for (size_t i = 1; i < spans_.size(); ++i) {
        const Span& p = spans_[i - 1];
        spans_[i].x = p.x + int64_t(spans_[i].first - p.first) * (p.hidden ? 0 : p.px);
    }
    // Every cell asks for its column's span several times: the first columns
    // (those of nearly every sheet's cells) are looked up directly.
    const uint32_t direct = std::min<uint32_t>(spans_.back().first, kDirectColumns);
    spanOfColumn_.resize(direct);
    for (uint32_t col = 0, i = 0; col < direct; ++col) {
        while (i + 1 < spans_.size() && spans_[i + 1].first <= col) ++i;
        spanOfColumn_[col] = i;
    }
}

const SheetGeometry::Span& SheetGeometry::SpanOf(uint32_t col) const {
    if (col < spanOfColumn_.size()) return spans_[spanOfColumn_[col]];
    auto it =
        std::upper_bound(spans_.begin(), spans_.end(), col, [](uint32_t c, const Span& s) { return c < s.first; });
    return *std::prev(it);  // spans_[0].first is 0
}

int SheetGeometry::RowPx(const Row& row) const {
    if (row.hidden) return 0;
    return RowHeightPx(row.height >= 0 ? row.height : (sheet_.defaultRowHeight >= 0 ? sheet_.defaultRowHeight : 15));
}

const Row* SheetGeometry::FindRow(uint32_t index) const {
    auto it =
        std::lower_bound(rows_.begin(), rows_.end(), index, [](const Row* r, uint32_t i) { return r->index < i; });
    return it != rows_.end() && (*it)->index == index ? *it : nullptr;
}

bool SheetGeometry::RowHidden(uint32_t index) const {
    const Row* r = FindRow(index);
    return r ? r->hidden : sheet_.defaultRowsHidden;
}

int64_t SheetGeometry::X(uint32_t col) const {
    col = std::min(col, kMaxCols);
    const Span& s = SpanOf(col);
    return s.x + int64_t(col - s.first) * (s.hidden ? 0 : s.px);
}

int64_t SheetGeometry::Y(uint32_t row) const {
    row = std::min(row, kMaxRows);
    const size_t below = static_cast<size_t>(
        std::lower_bound(rows_.begin(), rows_.end(), row, [](const Row* r, uint32_t i) { return r->index < i; }) -
        rows_.begin());
    return int64_t(row) * defaultRowPx_ + rowDelta_[below];
}

Axis::Axis(std::vector<uint32_t> kept) {
    std::sort(kept.begin(), kept.end());
    kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
    units_.reserve(kept.size() * 2);
    uint32_t next = 0;
    for (uint32_t k : kept) {
        if (k > next) units_.push_back({next, k - 1, true});
        units_.push_back({k, k, false});
        next = k + 1;
    }
}

uint32_t Axis::UnitOf(uint32_t index) const {
    auto it =
        std::upper_bound(units_.begin(), units_.end(), index, [](uint32_t i, const Unit& u) { return i < u.first; });
    return it == units_.begin() ? 0 : static_cast<uint32_t>(it - units_.begin() - 1);
}

void Axis::Index() {
    if (units_.empty()) return;
    unitOf_.resize(units_.back().last + 1);
    for (uint32_t u = 0; u < units_.size(); ++u)
        for (uint32_t k = units_[u].first; k <= units_[u].last; ++k) unitOf_[k] = u;
}

}  // namespace sheets::html
