#include "sheets/xlsb/Worksheet.h"
#include "sheets/model/BinaryCodes.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sheets/Errors.h"
#include "sheets/xlsb/RecordTypes.h"

namespace sheets::xlsb {

namespace {

constexpr uint32_t kMaxRows = 1048576;
constexpr uint32_t kMaxCols = 16384;

// The cell record with a column that a short one stands for.
uint32_t LongForm(uint32_t shortType) {
    switch (shortType) {
    case rt::ShortBlank: return rt::CellBlank;
    case rt::ShortRk: return rt::CellRk;
    case rt::ShortError: return rt::CellError;
    case rt::ShortBool: return rt::CellBool;
    case rt::ShortReal: return rt::CellReal;
    case rt::ShortSt: return rt::CellSt;
    default: return rt::CellIsst;
    }
}

}  // namespace

bool ReadRange(Payload& in, Range& out) {
    const uint32_t r1 = in.U32(), r2 = in.U32(), c1 = in.U32(), c2 = in.U32();
    if (!in.Ok() || std::max(r1, r2) >= kMaxRows || std::max(c1, c2) >= kMaxCols) return false;
    out = Range{std::min(r1, r2), std::min(c1, c2), std::max(r1, r2), std::max(c1, c2)};
    return true;
}

namespace {
const xlsx::ColorResolver& ColorsOf(const SheetContext& ctx) {
    static const xlsx::ColorResolver kDefault;
    return ctx.colors ? *ctx.colors : kDefault;
}
}  // namespace

WorksheetReader::WorksheetReader(SheetContext& ctx, Sheet& sheet)
    : ctx_(ctx), sheet_(sheet), rows_(sheet, ctx.cells), condFormats_(ColorsOf(ctx), sheet, ctx.sheetNames) {}

bool WorksheetReader::OnRecord(const Record& r) {
    Payload in(r.data);
    switch (r.type) {
    case rt::RowHdr:
        pendingVm_ = 0;
        if (inData_) RowHeader(in);
        break;
    case rt::ValueMeta: {
        const int32_t vm = in.I32();
        pendingVm_ = in.Ok() && vm > 0 ? uint32_t(vm) : 0;
        break;
    }
    case rt::CellBlank:
    case rt::CellRk:
    case rt::CellError:
    case rt::CellBool:
    case rt::CellReal:
    case rt::CellSt:
    case rt::CellIsst:
    case rt::FmlaString:
    case rt::FmlaNum:
    case rt::FmlaBool:
    case rt::FmlaError:
    case rt::CellRString:
        cellVm_ = std::exchange(pendingVm_, 0);
        if (inData_) AddCell(r.type, in.U32(), in);
        break;
    case rt::ShortBlank:
    case rt::ShortRk:
    case rt::ShortError:
    case rt::ShortBool:
    case rt::ShortReal:
    case rt::ShortSt:
    case rt::ShortIsst:
        cellVm_ = std::exchange(pendingVm_, 0);
        if (inData_) AddCell(LongForm(r.type), nextCol_, in);
        break;
    case rt::BeginSheetData: inData_ = true; break;
    case rt::EndSheetData: inData_ = inRow_ = false; break;
    case rt::WsDim: {
        // The stated extent sizes the row table up front; it is only a hint.
        Range extent;
        if (ReadRange(in, extent) && sheet_.rows.empty())
            sheet_.rows.reserve(std::min<size_t>(size_t(extent.row2) - extent.row1 + 1, 1u << 16));
        break;
    }
    case rt::WsFmtInfo: FormatInfo(in); break;
    case rt::ColInfo: ColumnInfo(in); break;
    case rt::BeginWsView: View(in); break;
    case rt::Pane: Pane(in); break;
    case rt::MergeCell: Merge(in); break;
    case rt::HLink: Link(in); break;
    case rt::Drawing: {
        std::string id = in.WideString();
        if (in.Ok()) refs_.drawingRelId = std::move(id);
        break;
    }
    case rt::BkHim: {
        std::string id = in.WideString();
        if (in.Ok()) refs_.backgroundRelId = std::move(id);
        break;
    }
    default: condFormats_.OnRecord(r); break;
    }
    return true;
}

void WorksheetReader::RowHeader(Payload& in) {
    const uint32_t index = in.U32();
    const uint32_t format = in.U32();
    const uint16_t twips = in.U16();
    in.U8();
    const uint8_t flags = in.U8();
    if (!in.Ok() || index >= kMaxRows) {
        inRow_ = false;
        return;
    }
    // Rows count against the cell budget: a row costs as much as a cell.
    if (++ctx_.cells > xls::SheetBuilder::kMaxCells)
        throw Error(ErrorKind::TooLarge, "The workbook is too large to read (over 32 million cells)");
    inRow_ = true;
    rowIndex_ = index;
    nextCol_ = 0;
    Row& row = rows_.RowAt(index);
    // A height the user set, or one the row's fonts need; the stored height of
    // any other row is the sheet's default.
    const bool custom = flags & 0x20;
    if (twips <= 8190 && (custom || twips != defaultRowTwips_)) row.height = twips / 20.0;
    row.hidden = flags & 0x10;
    if ((flags & 0x40) && format < ctx_.formatCount) row.format = int32_t(format);
}

void WorksheetReader::Spend(size_t bytes) {
    if (bytes > ctx_.textBudget) throw Error(ErrorKind::TooLarge, "The workbook is too large to read (too much text)");
    ctx_.textBudget -= bytes;
}

uint32_t WorksheetReader::Intern(std::string_view text) {
    bool added;
    const uint32_t i = ctx_.texts.Intern(text, added);
    if (added) Spend(text.size() + sizeof(RichString));
    return i;
}

uint32_t WorksheetReader::InternRich(RichString text) {
    Spend(text.text.size() + sizeof(RichString) + text.runs.size() * sizeof(TextRun));
    ctx_.strings.push_back(std::move(text));
    return uint32_t(ctx_.strings.size() - 1);
}

void WorksheetReader::AddCell(uint32_t type, uint32_t col, Payload& in) {
    const uint32_t style = in.U32() & 0xFFFFFF;
    if (!inRow_ || !in.Ok() || col >= kMaxCols) return;
    nextCol_ = col + 1;
    Cell c;
    c.col = uint16_t(col);
    // A format past the table: the value still shows, in the default format.
    c.format = style < ctx_.formatCount ? style : 0;
    switch (type) {
    case rt::CellBlank:
        if (c.format == 0) return;
        break;
    case rt::CellRk:
        c.type = CellType::Number;
        c.number = RkValue(in.U32());
        break;
    case rt::CellReal:
    case rt::FmlaNum:
        c.type = CellType::Number;
        c.number = in.F64();
        if (!std::isfinite(c.number)) return;
        break;
    case rt::CellBool:
    case rt::FmlaBool:
        c.type = CellType::Bool;
        c.boolean = in.U8() != 0;
        break;
    case rt::CellError:
    case rt::FmlaError: {
        const uint8_t code = in.U8();
        if (!in.Ok() || ErrorCodeText(code).empty()) return;
        c.type = CellType::Error;
        c.string = Intern(ErrorCodeText(code));
        break;
    }
    case rt::CellIsst: {
        const uint32_t index = in.U32();
        if (!in.Ok() || index >= ctx_.sharedCount) return;
        c.type = CellType::String;
        c.string = index;
        break;
    }
    case rt::CellSt:
    case rt::FmlaString: {
        // A formula's text result shows as a string even when it is empty.
        std::string text = in.WideString();
        if (!in.Ok()) return;
        c.type = CellType::String;
        c.string = Intern(text);
        break;
    }
    case rt::CellRString: {
        RichString s;
        if (!ReadRichStr(in, ctx_.runFonts, s)) return;
        c.type = CellType::String;
        c.string = s.runs.empty() ? Intern(s.text) : InternRich(std::move(s));
        break;
    }
    default: return;
    }
    if (!in.Ok()) return;
    // A picture in the cell: its cached value is the error shown where pictures are not.
    if (cellVm_ && c.type == CellType::Error) refs_.valueMeta.push_back({rowIndex_, col, cellVm_});
    rows_.Add(rowIndex_, c);
}

void WorksheetReader::FormatInfo(Payload& in) {
    const uint32_t width = in.U32();
    const uint16_t base = in.U16();
    const uint16_t height = in.U16();
    const uint16_t flags = in.U16();
    if (!in.Ok()) return;
    if (height <= 409 * 20) {
        sheet_.defaultRowHeight = height / 20.0;
        defaultRowTwips_ = height;
    }
    if (width != 0xFFFFFFFF && width <= 255 * 256) {
        sheet_.defaultColWidth = width / 256.0;
    } else if (base != 8 && base <= 255) {
        // Only the base is stated: the default adds the cell padding, five
        // pixels of a seven-pixel digit, as stored widths do.
        sheet_.defaultColWidth = base + std::floor(5.0 / 7 * 256) / 256;
    }
    sheet_.defaultRowsHidden = flags & 0x02;
}

void WorksheetReader::ColumnInfo(Payload& in) {
    const uint32_t first = in.U32(), last = in.U32(), width = in.U32(), format = in.U32();
    const uint16_t flags = in.U16();
    if (!in.Ok() || first > last || first >= kMaxCols) return;
    sheets::ColumnInfo c;
    c.first = first;
    c.last = std::min(last, kMaxCols - 1);
    c.width = std::min(width / 256.0, 255.0);
    c.hidden = flags & 0x01;
    if (format != 0 && format < ctx_.formatCount) c.format = int32_t(format);
    rows_.AddColumns(c);
}

void WorksheetReader::View(Payload& in) {
    ++views_;
    const uint16_t flags = in.U16();
    if (!in.Ok() || sawView_) return;
    sawView_ = true;
    sheet_.showGridLines = flags & 0x04;
    sheet_.rightToLeft = flags & 0x20;
}

// Frozen panes keep their rows and columns in view; a split that merely
// divides the window does not.
void WorksheetReader::Pane(Payload& in) {
    const double cols = in.F64(), rows = in.F64();
    in.Skip(12);  // the first row and column shown, the active pane
    const uint8_t flags = in.U8();
    if (!in.Ok() || views_ != 1 || !(flags & 0x01)) return;
    sheet_.frozenCols = uint32_t(std::clamp(std::isfinite(cols) ? cols : 0.0, 0.0, double(kMaxCols)));
    sheet_.frozenRows = uint32_t(std::clamp(std::isfinite(rows) ? rows : 0.0, 0.0, double(kMaxRows)));
}

void WorksheetReader::Merge(Payload& in) {
    Range r;
    if (ReadRange(in, r)) sheet_.merges.push_back(r);
}

void WorksheetReader::Link(Payload& in) {
    xlsx::SheetRefs::Link l;
    if (!ReadRange(in, l.range)) return;
    l.relId = in.NullableWideString();
    l.location = in.WideString();
    l.tooltip = in.WideString();
    if (in.Ok()) refs_.links.push_back(std::move(l));
}

xlsx::SheetRefs WorksheetReader::Finish() {
    rows_.Finish();
    // What the stated extent reserved and the rows did not use is given back
    // before the next sheet reserves its own.
    if (sheet_.rows.capacity() > 2 * sheet_.rows.size() + 16) sheet_.rows.shrink_to_fit();
    return std::move(refs_);
}

bool ChartSheetReader::OnRecord(const Record& r) {
    if (r.type != rt::Drawing) return true;
    Payload in(r.data);
    std::string id = in.WideString();
    if (in.Ok()) drawingRelId = std::move(id);
    return false;
}

}  // namespace sheets::xlsb
