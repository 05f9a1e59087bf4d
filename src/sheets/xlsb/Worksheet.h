#pragma once
// A worksheet part (also a dialog or macro sheet): rows, cells, columns,
// sheet defaults, merged ranges, hyperlinks, the drawing it refers to and
// its first view.
#include <cstdint>
#include <string>
#include <vector>

#include "sheets/model/Workbook.h"
#include "sheets/xls/SheetBuilder.h"
#include "sheets/xlsb/CondFormats.h"
#include "sheets/xlsb/Records.h"
#include "sheets/xlsb/Strings.h"
#include "sheets/xlsx/Worksheet.h"

namespace sheets::xlsb {

struct SheetContext {
    const RunFonts& runFonts;
    std::vector<RichString>& strings;  // shared strings first; the sheets' own are appended
    TextPool& texts;  // the sheets' plain texts, appended to `strings`
    uint32_t sharedCount = 0;
    size_t formatCount = 1;
    // What the whole workbook may still hold: cells and rows (counted up),
    // bytes of text outside the shared strings (counted down).
    size_t cells = 0;
    uint64_t textBudget = 0;
    const xlsx::ColorResolver* colors = nullptr;  // the workbook's, for conditional formats
    // The sheets that rule formulas name through the workbook's table of them.
    const std::vector<std::string>* sheetNames = nullptr;
};

// Records that cannot be what they claim (a row or column beyond the
// sheet, a string index past the table, a record cut short) are passed
// over, and the rest of the sheet is read. Throws sheets::Error only when
// the workbook outgrows its budgets.
class WorksheetReader final : public RecordHandler {
public:
    WorksheetReader(SheetContext& ctx, Sheet& sheet);
    bool OnRecord(const Record& r) override;
    // Leaves the sheet in the model's order; returns what it refers to.
    xlsx::SheetRefs Finish();

private:
    void RowHeader(Payload& in);
    // A cell record after its column.
    void AddCell(uint32_t type, uint32_t col, Payload& in);
    void FormatInfo(Payload& in);
    void ColumnInfo(Payload& in);
    void View(Payload& in);
    void Pane(Payload& in);
    void Merge(Payload& in);
    void Link(Payload& in);
    uint32_t Intern(std::string_view text);
    uint32_t InternRich(RichString text);
    void Spend(size_t bytes);

    SheetContext& ctx_;
    Sheet& sheet_;
    xls::SheetBuilder rows_;
    xlsx::SheetRefs refs_;
    CondFormatReader condFormats_;
    // The row the cells that follow belong to; none before the first row
    // header and after a bad one.
    bool inData_ = false, inRow_ = false;
    uint32_t rowIndex_ = 0;
    uint32_t nextCol_ = 0;  // where a cell record without a column goes
    // A value metadata entry named for the next cell record, and the one of the cell being read (0: none).
    uint32_t pendingVm_ = 0, cellVm_ = 0;
    uint32_t defaultRowTwips_ = 300;
    bool sawView_ = false;
    uint32_t views_ = 0;  // sheet views seen; the first one is the sheet's
};

// A chart sheet part: all it holds that is shown is its drawing.
class ChartSheetReader final : public RecordHandler {
public:
    std::string drawingRelId;  // "" when none
    bool OnRecord(const Record& r) override;
};

// Reads a range as four 32-bit numbers (first row, last row, first column,
// last column); false when it lies beyond the sheet.
bool ReadRange(Payload& in, Range& out);

}  // namespace sheets::xlsb
