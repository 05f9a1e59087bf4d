#pragma once
// Collects the cells, rows, columns and links of one sheet as records bring
// them, in any order, and leaves the sheet in the model's sorted form.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheets/model/Workbook.h"

namespace sheets::xls {

class SheetBuilder {
public:
    // `cells` counts the cells of the whole workbook, against kMaxCells.
    SheetBuilder(Sheet& sheet, size_t& cells) : sheet_(sheet), cells_(cells) {}
    // A workbook's cells held in memory at most (16 bytes each); blank runs
    // cost 2 bytes a cell in the file, so the file size alone does not bound
    // them tightly enough.
    static constexpr size_t kMaxCells = size_t(32) << 20;
    // Leaves out a cell past the sheet's last column; throws sheets::Error
    // past the cell budget.
    void Add(uint32_t row, const Cell& cell);
    Row& RowAt(uint32_t row);
    void AddColumns(const ColumnInfo& ci) { sheet_.cols.push_back(ci); }
    void AddLink(Hyperlink link) { sheet_.links.push_back(std::move(link)); }
    // A tooltip record belongs to the link before it.
    void SetTooltip(std::string text);
    bool HasStandardWidth() const { return standardWidth_; }
    void SetStandardWidth() { standardWidth_ = true; }
    // Sorts rows and cells (a later record for the same cell wins) and
    // makes column ranges ascending and disjoint.
    void Finish();

private:
    Sheet& sheet_;
    size_t& cells_;
    std::unordered_map<uint32_t, size_t> rowAt_;
    size_t last_ = SIZE_MAX;
    bool outOfOrder_ = false;  // rowAt_ is kept only once a row came after a later one
    bool standardWidth_ = false;
};

// The HLINK record's body: range, address, in-workbook location, label.
Hyperlink ReadHyperlink(std::string_view data);
// The HLINKTOOLTIP record's text.
std::string ReadHyperlinkTooltip(std::string_view data);

}  // namespace sheets::xls
