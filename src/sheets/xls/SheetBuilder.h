#pragma once
// Collects the cells, rows, columns and links of one sheet as records bring
// them, in any order, and leaves the sheet in the model's sorted form.
#include <cstdint>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheets/model/Workbook.h"

namespace sheets::xls {

class SheetBuilder {
public:
    explicit SheetBuilder(Sheet& sheet) : sheet_(sheet) {}
    // Throws sheets::Error for a column past the sheet's last one.
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
    std::unordered_map<uint32_t, size_t> rowAt_;
    size_t last_ = SIZE_MAX;
    bool standardWidth_ = false;
};

// The HLINK record's body: range, address, in-workbook location, label.
Hyperlink ReadHyperlink(std::string_view data);
// The HLINKTOOLTIP record's text.
std::string ReadHyperlinkTooltip(std::string_view data);

}  // namespace sheets::xls
