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
    rows_.erase(std::unique(rows_.begin(), rows_.end(),
                            [](const Row* a, const Row* b) { return a->index == b->index; }),
                rows_.end());

    defaultRowPx_ = sheet.defaultRowsHidden ? 0 : RowHeightPx(sheet.defaultRowHeight >= 0 ? sheet.defaultRowHeight : 15);
    rowDelta_.resize(rows_.size() + 1);
    rowDelta_[0] = 0;
    for (size_t i = 0; i < rows_.size(); ++i) rowDelta_[i + 1] = rowDelta_[i] + RowPx(*rows_[i]) - defaultRowPx_;

    // Columns without information have the sheet's default width (8.43 digits, 64 px, unless set).
    const int defaultPx = sheet.defaultColWidth >= 0 ? ColumnWidthPx(sheet.defaultColWidth) : 64;
    std::vector<int> width(kMaxCols, defaultPx);
    colHidden_.assign(kMaxCols, false);
    colFormat_.assign(kMaxCols, -1);
    for (const ColumnInfo& c : sheet.cols) {
        if (c.first > c.last || c.first >= kMaxCols) continue;
        const uint32_t last = std::min(c.last, kMaxCols - 1);
        const int px = c.width >= 0 ? ColumnWidthPx(c.width) : defaultPx;
        for (uint32_t k = c.first; k <= last; ++k) {
            width[k] = px;
            colHidden_[k] = c.hidden;
            colFormat_[k] = c.format;
        }
    }
    colX_.resize(kMaxCols + 1);
    colX_[0] = 0;
    for (uint32_t k = 0; k < kMaxCols; ++k) colX_[k + 1] = colX_[k] + (colHidden_[k] ? 0 : width[k]);
}

int SheetGeometry::RowPx(const Row& row) const {
    if (row.hidden) return 0;
    return RowHeightPx(row.height >= 0 ? row.height : (sheet_.defaultRowHeight >= 0 ? sheet_.defaultRowHeight : 15));
}

const Row* SheetGeometry::FindRow(uint32_t index) const {
    auto it = std::lower_bound(rows_.begin(), rows_.end(), index,
                               [](const Row* r, uint32_t i) { return r->index < i; });
    return it != rows_.end() && (*it)->index == index ? *it : nullptr;
}

bool SheetGeometry::RowHidden(uint32_t index) const {
    const Row* r = FindRow(index);
    return r ? r->hidden : sheet_.defaultRowsHidden;
}

int64_t SheetGeometry::X(uint32_t col) const { return colX_[std::min(col, kMaxCols)]; }

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
    auto it = std::upper_bound(units_.begin(), units_.end(), index,
                               [](uint32_t i, const Unit& u) { return i < u.first; });
    return it == units_.begin() ? 0 : static_cast<uint32_t>(it - units_.begin() - 1);
}

}  // namespace sheets::html
