#pragma once
// Row and column sizes of a sheet in CSS pixels, and the grid that the table
// keeps of it: every row or column that shows something, and in between a
// single spacer for each run of empty ones, of the same total size.
#include <cstdint>
#include <vector>

#include "sheets/model/Workbook.h"

namespace sheets::html {

constexpr uint32_t kMaxRows = 1048576, kMaxCols = 16384;

// A width in characters of the default font as stored with the column
// (padding included) in pixels, as a spreadsheet draws it at 7 px a digit.
int ColumnWidthPx(double chars);
// A height in points in pixels at 96 dpi.
int RowHeightPx(double points);

class SheetGeometry {
public:
    explicit SheetGeometry(const Sheet& sheet);

    // The sheet's rows, ascending by index, one per index.
    const std::vector<const Row*>& Rows() const { return rows_; }
    const Row* FindRow(uint32_t index) const;
    // Height of a row in pixels; `row` is FindRow(index), which may be null.
    int RowPx(const Row* row) const { return row ? RowPx(*row) : defaultRowPx_; }
    bool RowHidden(uint32_t index) const;

    bool ColHidden(uint32_t col) const { return SpanOf(col).hidden; }
    int32_t ColFormat(uint32_t col) const { return SpanOf(col).format; }

    // Left edge of a column and top edge of a row, from the sheet's origin.
    int64_t X(uint32_t col) const;
    int64_t Y(uint32_t row) const;

private:
    // Columns alike in width, visibility and format, from `first` to the next span.
    struct Span {
        uint32_t first = 0;
        int px = 0;
        bool hidden = false;
        int32_t format = -1;
        int64_t x = 0;  // left edge of `first`
    };
    int RowPx(const Row& row) const;
    const Span& SpanOf(uint32_t col) const;

    const Sheet& sheet_;
    std::vector<const Row*> rows_;
    std::vector<int64_t> rowDelta_;  // rowDelta_[i]: rows_[0..i) minus default heights
    int defaultRowPx_ = 20;
    std::vector<Span> spans_;  // ascending, the first from column 0
    static constexpr uint32_t kDirectColumns = 256;
    std::vector<uint32_t> spanOfColumn_;  // the span of each of the first columns
};

// The kept indices of one axis and the spacers between them.
class Axis {
public:
    struct Unit {
        uint32_t first = 0, last = 0;
        bool spacer = false;
    };
    // `kept` in any order, duplicates allowed. Nothing past the last kept index.
    explicit Axis(std::vector<uint32_t> kept);
    const std::vector<Unit>& Units() const { return units_; }
    // The unit holding `index`; the last unit for an index past the end.
    uint32_t UnitOf(uint32_t index) const;
    // The same for a column, from a table (columns are few, cells many).
    void Index();
    uint32_t ColUnitOf(uint32_t col) const { return col < unitOf_.size() ? unitOf_[col] : UnitOf(col); }

private:
    std::vector<Unit> units_;
    std::vector<uint32_t> unitOf_;
};

}  // namespace sheets::html
