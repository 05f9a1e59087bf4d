#pragma once
// The rows of one sheet's table: what they need of the sheet, gathered
// before the first row, and the writer that turns them into markup.
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/cond/Engine.h"
#include "sheets/cond/TableLooks.h"
#include "sheets/html/CellText.h"
#include "sheets/html/SheetGeometry.h"
#include "sheets/html/SheetTable.h"

namespace sheets::html {

// Row and column formats fill at most this many absent cells of a sheet: they
// reach across whole rows, and rows times columns can be far more than a page holds.
constexpr size_t kFillerBudget = size_t(1) << 22;
// A page's markup is handed on once it has grown this large.
constexpr size_t kDrainAt = size_t(1) << 20;

// A cell's key in the maps of a sheet.
inline uint64_t CellKey(uint32_t row, uint32_t col) { return uint64_t(row) << 14 | col; }

// The frozen panes' rows and columns that stay in view: those before these indices.
struct Frozen {
    uint32_t rows = 0, cols = 0;
};

// What the rows of one sheet share. Filled before the first row; after that
// only a row writer in turn changes it (the link addresses it looks up, the
// filler budget), and never while writers work ahead on other threads.
struct SheetState {
    SheetState(Document& d, uint32_t index) : doc(d), sheet(d.wb.sheets[index]), geo(sheet), sheetIndex(index) {}

    Document& doc;
    const Sheet& sheet;
    SheetGeometry geo;
    uint32_t sheetIndex;
    std::vector<Range> merges;  // valid ones, by (row1, col1)
    std::unordered_map<uint64_t, uint32_t> links;  // cell -> index into Sheet::links
    std::vector<std::string> hrefs;  // by link, once looked up
    std::vector<char> hrefDone;
    std::vector<size_t> comments;  // indices into Sheet::comments, by (row, col)
    std::vector<uint32_t> styledCols;  // kept columns whose format shows when blank
    cond::SheetLooks looks;  // what conditional formats make of cells
    cond::TableLooks tables;  // what table styles make of them
    Frozen frozen;
    size_t fillerBudget = kFillerBudget;
};

// Writes rows of a sheet's table, in order. A writer that works ahead of its
// turn (on another thread, while the style sheet is frozen) changes nothing
// shared: where a row needs something not made yet (a class, a rule, a
// link's address, a row format's fillers) it throws FrozenMiss, and those
// rows are written again in turn.
class RowWriter {
public:
    RowWriter(SheetState& state, const Axis& rows, const Axis& cols, std::string& out, bool ahead)
        : s_(state), rows_(rows), cols_(cols), out_(out), ahead_(ahead) {}

    void WriteRow(uint32_t unit);

private:
    // One place in a row that needs a cell of its own.
    struct Item {
        uint32_t col = 0;
        const Cell* cell = nullptr;
        int32_t merge = -1;  // index into the sheet's valid merges, anchored here
        int32_t comment = -1;  // index into Sheet::comments
        int32_t filler = -1;  // the row's or column's format, for a cell the row lacks
        bool table = false;  // inside a table whose empty cells show its style
    };
    // A number too wide for its cell, or text that shrinks to fit it.
    struct Fit {
        std::string shown;  // what the cell shows in the value's place; empty: the value
        double size = 0;  // points; 0: the format's own
    };

    void BuildItems(uint32_t r, const Row* row);
    void AddTableItems(uint32_t r);
    void EmitGap(uint32_t fromCol, uint32_t toCol, uint32_t& pos, uint32_t toUnit);
    void EmitEmpty(uint32_t span);
    void EmitCell(uint32_t r, size_t i, uint32_t colspan, uint32_t rowspan, uint32_t lastCol, uint32_t lastRow,
                  bool hiddenCol);
    void EmitText(const Shown& shown, bool wrap);
    uint32_t FormatAt(uint32_t row, uint32_t col) const;
    Fit FitOf(const Item& item, uint32_t format, uint32_t lastCol);
    const std::string& Href(uint32_t link);
    const cond::CellLook* LookAt(uint32_t r, uint32_t col, uint32_t format, cond::CellLook& scratch) const;

    SheetState& s_;
    const Axis& rows_;
    const Axis& cols_;
    std::string& out_;
    bool ahead_;
    std::map<uint32_t, uint32_t> active_;  // accepted merges covering the current row: col1 -> col2
    std::multimap<uint32_t, uint32_t> expiry_;  // last row -> col1 of each entry of active_
    std::vector<Item> items_;
    Shown shown_;
    size_t mergeNext_ = 0, commentNext_ = 0;
};

// Writes every row of the table to `out`. A large plain sheet is written on
// two threads, chunks of rows side by side, with the same bytes as on one.
void WriteRows(SheetState& state, const Axis& rows, const Axis& cols, std::string& out);

}  // namespace sheets::html
