#include "sheets/xls/SheetReader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/xls/Background.h"
#include "sheets/xls/CondFormats.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/SheetBuilder.h"
#include "sheets/xls/SheetDrawing.h"
#include "sheets/xls/Strings.h"
#include "sheets/xls/Tables.h"
#include "text/Utf16.h"

namespace sheets::xls {

namespace {

double RkValue(uint32_t rk) {
    double v;
    if (rk & 0x02) {
        v = double(int32_t(rk) >> 2);
    } else {
        const uint64_t bits = uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&v, &bits, 8);
    }
    return (rk & 0x01) ? v / 100 : v;
}

// A formula's string result arrives in the STRING record after it.
struct PendingString {
    uint32_t row;
    uint16_t col;
    uint32_t format;
};

// Comments: NOTE records name a text box object by id; the box's text
// comes with an earlier OBJ and TXO pair.
struct Note {
    uint32_t row = 0, col = 0;
    uint16_t object = 0;
    std::string author;
};

// What a sheet's records leave for the records after them.
struct SheetState {
    std::optional<PendingString> pending;
    std::vector<Note> notes;
    std::unordered_map<uint16_t, std::string> noteTexts;
    uint16_t lastObject = 0;
    // The drawing's records joined, and the objects and texts that belong
    // to its shapes, in the order they come.
    std::string drawing;
    std::vector<SheetObject> objects;
    std::vector<BoxText> texts;
};

// Records that may come between a formula and its string result.
bool MayPrecedeString(uint16_t type) {
    return type == rt::String || type == rt2::String || type == rt::ShrFmla || type == rt::Array || type == rt::Table ||
           type == rt::Continue;
}

class SheetReader {
public:
    SheetReader(Book& book, size_t offset, Sheet& sheet, const SheetFormats& formats);
    void Read();

private:
    void Dispatch(const Record& r);
    // One method per group of records; each is false for a record of
    // another group.
    bool OldCells(const Record& r);
    bool OldLayout(const Record& r);
    bool TextCells(const Record& r);
    bool ValueCells(const Record& r);
    bool Formulas(const Record& r);
    bool Layout(const Record& r);
    bool NotesAndObjects(const Record& r);
    bool Links(const Record& r);

    Cell Put(uint16_t col, uint16_t ixfe, CellType type) const;
    uint32_t AttributeFormat(std::string_view attributes) const;
    void FormulaResult(uint16_t row, Cell c, std::string_view result);
    void FlushPending();
    void AddComments();

    Book& book_;
    Sheet& sheet_;
    RecordReader rr_;
    SheetBuilder cells_;
    const size_t fontCount_;
    const SheetFormats& formats_;
    SheetState state_;
    CondFormatRecords condFormats_;
    TableRecords tables_;
};

SheetReader::SheetReader(Book& book, size_t offset, Sheet& sheet, const SheetFormats& formats)
    : book_(book),
      sheet_(sheet),
      rr_(book.stream, offset),
      cells_(sheet, book.cellCount),
      fontCount_(book.wb.styles.fonts.size()),
      formats_(formats),
      condFormats_(book, sheet),
      tables_(sheet, book.tableStyles.DefaultStyle()) {}

void SheetReader::Read() {
    Record r;
    rr_.Next(r);  // the BOF
    int depth = 0;
    while (rr_.Next(r)) {
        // Sheets whose data runs into each other (no end record) would be
        // read over and over: the records of all sheets together may not
        // come to much more than the stream.
        book_.scanned += 4 + r.data.size();
        if (book_.scanned > 2 * book_.stream.size() + (1u << 20))
            throw Error(ErrorKind::Damaged, "The workbook is damaged: its sheets overlap");
        if (IsBof(r.type)) {
            ++depth;  // an embedded chart: its records are not cells
            continue;
        }
        if (r.type == rt::Eof) {
            if (depth == 0) break;
            --depth;
            continue;
        }
        if (depth > 0) continue;
        if (state_.pending && !MayPrecedeString(r.type)) FlushPending();
        try {
            Dispatch(r);
        } catch (const Error& e) {
            // One damaged record costs that record, not the sheet.
            if (e.Kind() != ErrorKind::Damaged) throw;
        }
    }
    FlushPending();
    AddComments();
    if (!state_.drawing.empty()) AddSheetDrawing(book_, state_.drawing, state_.objects, state_.texts, sheet_);
    cells_.Finish();
}

void SheetReader::Dispatch(const Record& r) {
    if (book_.biff == 2 && (OldCells(r) || OldLayout(r))) return;
    if (book_.biff8 && condFormats_.Read(r)) return;
    if (book_.biff8 && tables_.Read(r)) return;
    if (r.type == kBitmapRecord && book_.biff >= 5) return ReadBackground(rr_, r.data, sheet_);
    if (!TextCells(r) && !ValueCells(r) && !Formulas(r) && !Layout(r) && !NotesAndObjects(r)) Links(r);
}

Cell SheetReader::Put(uint16_t col, uint16_t ixfe, CellType type) const {
    Cell c;
    c.col = col;
    c.format = formats_.Of(ixfe);
    c.type = type;
    return c;
}

uint32_t SheetReader::AttributeFormat(std::string_view a) const {
    const uint32_t key = uint32_t(uint8_t(a[0])) | uint32_t(uint8_t(a[1])) << 8 | uint32_t(uint8_t(a[2])) << 16;
    auto it = formats_.attributes.find(key);
    return it == formats_.attributes.end() ? formats_.Of(0) : formats_.Of(it->second);
}

void SheetReader::FormulaResult(uint16_t row, Cell c, std::string_view res) {
    const uint8_t kind = uint8_t(res[0]);
    if (uint8_t(res[6]) != 0xFF || uint8_t(res[7]) != 0xFF) {
        c.type = CellType::Number;
        Bytes v(res);
        c.number = v.F64();
    } else if (kind == 0) {
        // The text follows in a record of its own.
        state_.pending = PendingString{row, c.col, c.format};
        return;
    } else if (kind == 1) {
        c.type = CellType::Bool;
        c.boolean = res[2] != 0;
    } else if (kind == 2) {
        c.type = CellType::Error;
        c.string = book_.ErrorString(uint8_t(res[2]));
    } else {
        c.type = CellType::String;
        c.string = book_.AddString({});
    }
    cells_.Add(row, c);
}

// The cells and layout records of Excel 2 files.
bool SheetReader::OldCells(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt2::Blank:
    case rt2::Integer:
    case rt2::Number:
    case rt2::Label:
    case rt2::BoolErr:
    case rt2::Formula: {
        const uint16_t row = b.U16();
        Cell c;
        c.col = b.U16();
        c.format = AttributeFormat(b.Take(3));
        if (r.type == rt2::Formula) {
            FormulaResult(row, c, b.Take(8));
            return true;
        }
        if (r.type == rt2::Integer) {
            c.type = CellType::Number;
            c.number = b.U16();
        } else if (r.type == rt2::Number) {
            c.type = CellType::Number;
            c.number = b.F64();
        } else if (r.type == rt2::Label) {
            Continued rest({r.data.substr(b.Pos())});
            c.type = CellType::String;
            c.string = book_.AddString(ReadString(rest, book_.ctx, false));
        } else if (r.type == rt2::BoolErr) {
            const uint8_t v = b.U8(), isError = b.U8();
            c.type = isError ? CellType::Error : CellType::Bool;
            if (isError) c.string = book_.ErrorString(v);
            else c.boolean = v != 0;
        }
        cells_.Add(row, c);
        return true;
    }
    case rt2::String: {
        if (!state_.pending) return true;
        Continued in({r.data});
        Cell c;
        c.col = state_.pending->col;
        c.format = state_.pending->format;
        c.type = CellType::String;
        c.string = book_.AddString(ReadString(in, book_.ctx, false));
        cells_.Add(state_.pending->row, c);
        state_.pending.reset();
        return true;
    }
    default: return false;
    }
}

bool SheetReader::OldLayout(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt2::Row: {
        const uint16_t row = b.U16();
        b.Skip(4);
        const uint16_t height = b.U16();
        if (!(height & 0x8000)) cells_.RowAt(row).height = (height & 0x7FFF) / 20.0;
        return true;
    }
    case rt::ColWidth2: {
        ColumnInfo ci;
        ci.first = b.U8();
        ci.last = std::max<uint32_t>(b.U8(), ci.first);
        ci.width = b.U16() / 256.0;
        cells_.AddColumns(ci);
        return true;
    }
    case rt::DefaultRowHeight2: {
        const uint16_t h = b.U16() & 0x7FFF;
        if (h > 0) sheet_.defaultRowHeight = h / 20.0;
        return true;
    }
    case rt::Window2Old:
        b.U8();  // formulas shown
        sheet_.showGridLines = b.U8() != 0;
        return true;
    default: return false;
    }
}

void SheetReader::FlushPending() {
    if (!state_.pending) return;
    Cell c;
    c.col = state_.pending->col;
    c.format = state_.pending->format;
    c.type = CellType::String;
    c.string = book_.AddString({});
    cells_.Add(state_.pending->row, c);
    state_.pending.reset();
}

bool SheetReader::TextCells(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt::LabelSst: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        uint32_t isst = b.U32();
        // A string the table does not hold leaves the cell empty.
        Cell c = Put(col, ixfe, isst < book_.sstCount ? CellType::String : CellType::Blank);
        if (isst < book_.sstCount) c.string = isst;
        cells_.Add(row, c);
        return true;
    }
    case rt::Label:
    case rt::RString: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        Continued rest({r.data.substr(b.Pos())});
        std::vector<uint32_t> offsets;
        RichString s = ReadString(rest, book_.ctx, true, false, r.type == rt::RString ? &offsets : nullptr);
        if (r.type == rt::RString && !rest.AtEnd()) {
            // The runs follow the characters: 16-bit count and fields in
            // newer files, 8-bit in older ones.
            std::vector<std::pair<uint32_t, uint32_t>> runs;
            const uint32_t n = book_.biff8 ? rest.U16() : rest.U8();
            for (uint32_t i = 0; i < n; ++i) {
                uint32_t ich = book_.biff8 ? rest.U16() : rest.U8();
                uint32_t ifnt = book_.biff8 ? rest.U16() : rest.U8();
                runs.emplace_back(ich, ifnt);
            }
            if (!offsets.empty()) s.runs = MakeRuns(runs, offsets);
        }
        DropBadRuns(s, fontCount_);
        Cell c = Put(col, ixfe, CellType::String);
        c.string = book_.AddString(std::move(s));
        cells_.Add(row, c);
        return true;
    }
    default: return false;
    }
}

// Numbers, booleans, error values and blanks.
bool SheetReader::ValueCells(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt::Number: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        Cell c = Put(col, ixfe, CellType::Number);
        c.number = b.F64();
        cells_.Add(row, c);
        return true;
    }
    case rt::Rk: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        Cell c = Put(col, ixfe, CellType::Number);
        c.number = RkValue(b.U32());
        cells_.Add(row, c);
        return true;
    }
    case rt::MulRk: {
        uint16_t row = b.U16(), col = b.U16();
        if (r.data.size() < 6) Truncated();
        const size_t n = (r.data.size() - 6) / 6;
        for (size_t i = 0; i < n; ++i) {
            uint16_t ixfe = b.U16();
            Cell c = Put(uint16_t(col + i), ixfe, CellType::Number);
            c.number = RkValue(b.U32());
            if (col + i > 0xFFFF) break;
            cells_.Add(row, c);
        }
        return true;
    }
    case rt::BoolErr: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        uint8_t v = b.U8(), isError = b.U8();
        Cell c = Put(col, ixfe, isError ? CellType::Error : CellType::Bool);
        if (isError) c.string = book_.ErrorString(v);
        else c.boolean = v != 0;
        cells_.Add(row, c);
        return true;
    }
    case rt::Blank: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        cells_.Add(row, Put(col, ixfe, CellType::Blank));
        return true;
    }
    case rt::MulBlank: {
        uint16_t row = b.U16(), col = b.U16();
        if (r.data.size() < 6) Truncated();
        const size_t n = (r.data.size() - 6) / 2;
        for (size_t i = 0; i < n && col + i <= 0xFFFF; ++i) {
            uint16_t ixfe = b.U16();
            cells_.Add(row, Put(uint16_t(col + i), ixfe, CellType::Blank));
        }
        return true;
    }
    default: return false;
    }
}

// A formula's cached result; a string result follows in its own record.
bool SheetReader::Formulas(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt::Formula:
    case rt::Formula3:
    case rt::Formula4: {
        const uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        FormulaResult(row, Put(col, ixfe, CellType::Blank), b.Take(8));
        return true;
    }
    case rt::String: {
        if (!state_.pending) return true;
        Continued in(WithContinues(rr_, r.data));
        RichString s = ReadString(in, book_.ctx, true);
        Cell c;
        c.col = state_.pending->col;
        c.format = state_.pending->format;
        c.type = CellType::String;
        c.string = book_.AddString(std::move(s));
        cells_.Add(state_.pending->row, c);
        state_.pending.reset();
        return true;
    }
    default: return false;
    }
}

bool SheetReader::Layout(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt::Row: {
        uint16_t row = b.U16();
        b.Skip(4);
        const uint16_t height = b.U16();
        b.Skip(4);
        const uint32_t flags = b.Left() >= 4 ? b.U32() : b.U16();
        Row& rw = cells_.RowAt(row);
        if (!(height & 0x8000)) rw.height = (height & 0x7FFF) / 20.0;
        rw.hidden = flags & 0x20;
        if (flags & 0x80) {
            const uint32_t ixfe = (flags >> 16) & 0x0FFF;
            if (ixfe < formats_.count) rw.format = int32_t(formats_.Of(ixfe));
        }
        return true;
    }
    case rt::ColInfo: {
        ColumnInfo ci;
        ci.first = b.U16();
        ci.last = b.U16();
        const uint16_t width = b.U16();
        const uint16_t ixfe = b.U16();
        const uint16_t flags = b.U16();
        if (ci.first > 16383) return true;
        ci.last = std::min<uint32_t>(std::max(ci.last, ci.first), 16383);
        ci.width = width / 256.0;
        ci.hidden = flags & 0x01;
        if (ixfe < formats_.count) ci.format = int32_t(formats_.Of(ixfe));
        cells_.AddColumns(ci);
        return true;
    }
    case rt::DefColWidth: {
        double w = b.U16();
        if (!cells_.HasStandardWidth()) sheet_.defaultColWidth = w + 0.43;
        return true;
    }
    case rt::StandardWidth: {
        sheet_.defaultColWidth = b.U16() / 256.0;
        cells_.SetStandardWidth();
        return true;
    }
    case rt::DefaultRowHeight: {
        if (r.data.size() >= 4) {
            const uint16_t flags = b.U16();
            const uint16_t h = b.U16();
            if (h > 0) sheet_.defaultRowHeight = h / 20.0;
            sheet_.defaultRowsHidden = flags & 0x02;
        }
        return true;
    }
    case rt::MergedCells: {
        const uint16_t n = b.U16();
        for (uint32_t i = 0; i < n && b.Left() >= 8; ++i) {
            Range m;
            m.row1 = b.U16();
            m.row2 = b.U16();
            m.col1 = b.U16();
            m.col2 = b.U16();
            if (m.row2 < m.row1 || m.col2 < m.col1 || m.col2 > 16383) continue;
            sheet_.merges.push_back(m);
        }
        return true;
    }
    case rt::Window2: {
        const uint16_t flags = b.U16();
        sheet_.showGridLines = flags & 0x02;
        sheet_.rightToLeft = book_.biff >= 5 && (flags & 0x40);
        return true;
    }
    default: return false;
    }
}

bool SheetReader::NotesAndObjects(const Record& r) {
    Bytes b(r.data);
    switch (r.type) {
    case rt::Obj:
        // The first subrecord names the object; a text box that follows
        // belongs to it.
        if (book_.biff8 && r.data.size() >= 8 && b.U16() == 0x15) {
            b.U16();
            b.U16();
            state_.lastObject = b.U16();
        }
        if (book_.biff8) state_.objects.push_back(ReadObject(r.data));
        return true;
    case rt::MsoDrawing:
        if (book_.biff8)
            for (std::string_view piece : WithContinues(rr_, r.data)) state_.drawing.append(piece);
        return true;
    case rt::Txo:
        if (book_.biff8 && r.data.size() >= 12) {
            BoxText box;
            const uint16_t flags = b.U16();
            box.hAlign = (flags >> 1) & 7;
            box.vAlign = (flags >> 4) & 7;
            b.Skip(8);
            const uint16_t count = b.U16();
            std::vector<std::string_view> pieces;
            Record cont;
            while (rr_.PeekType() == rt::Continue && rr_.Next(cont)) pieces.push_back(cont.data);
            // The formatting runs come last: the first names the text's font.
            if (pieces.size() >= 2 && pieces.back().size() >= 4) box.font = Bytes(pieces.back().substr(2)).U16();
            if (count > 0 && !pieces.empty()) {
                // The text starts the first CONTINUE with a flag byte.
                Continued in(std::move(pieces));
                const bool wide = in.U8() & 1;
                std::u16string units;
                in.Chars(count, wide, units);
                box.text = text::Utf16ToUtf8(units);
                state_.noteTexts[state_.lastObject] = box.text;
            }
            state_.texts.push_back(std::move(box));
        }
        return true;
    case rt::Note:
        if (book_.biff8) {
            Note n;
            n.row = b.U16();
            n.col = b.U16();
            b.U16();  // shown or hidden
            n.object = b.U16();
            Continued rest({r.data.substr(b.Pos())});
            if (!rest.AtEnd()) n.author = ReadString(rest, book_.ctx, true).text;
            state_.notes.push_back(std::move(n));
        }
        return true;
    default: return false;
    }
}

bool SheetReader::Links(const Record& r) {
    switch (r.type) {
    case rt::HLink:
        if (book_.biff8) cells_.AddLink(ReadHyperlink(r.data));
        return true;
    case rt::HLinkTooltip: cells_.SetTooltip(ReadHyperlinkTooltip(r.data)); return true;
    default: return false;
    }
}

void SheetReader::AddComments() {
    for (Note& n : state_.notes) {
        auto it = state_.noteTexts.find(n.object);
        if (it == state_.noteTexts.end() || n.col > 16383) continue;
        sheet_.comments.push_back({n.row, n.col, std::move(n.author), it->second});
    }
}

}  // namespace

void ReadSheet(Book& book, size_t offset, Sheet& sheet, const SheetFormats& formats) {
    SheetReader(book, offset, sheet, formats).Read();
}

namespace {

// The style records of a sheet that carries its own, in the version its
// records are written in; also the workbook settings such a stream holds.
void CollectStyle(Book& book, const Record& r, StyleTable& table) {
    const uint8_t v = book.biff;
    switch (r.type) {
    case rt::CodePage: book.codePage = CodePage(Bytes(r.data).U16()); break;
    case rt::DateMode: book.wb.date1904 = Bytes(r.data).U16() == 1; break;
    case rt::Font:
    case rt::Font3: table.AddFont(r.data, book.ctx, v); break;
    case rt::FontColor: table.SetFontColor(r.data); break;
    case rt::Format:
    case rt::Format2: table.AddFormat(r.data, book.ctx, v); break;
    case rt::Palette: table.SetPalette(r.data); break;
    case rt::Xf:
    case rt::Xf2:
    case rt::Xf3:
    case rt::Xf4: table.AddXf(r.data, v); break;
    case rt2::Blank:
    case rt2::Integer:
    case rt2::Number:
    case rt2::Label:
    case rt2::BoolErr:
    case rt2::Formula:
        // Excel 2 cells carry their formatting: each distinct set becomes a format.
        if (v == 2 && r.data.size() >= 7) {
            Bytes b(r.data.substr(4, 3));
            const uint32_t a = b.U8();
            table.XfOfAttributes(a | uint32_t(b.U8()) << 8 | uint32_t(b.U8()) << 16);
        }
        break;
    default: break;
    }
}

}  // namespace

void ReadSheetWithStyles(Book& book, size_t offset, Sheet& sheet, bool first) {
    StyleTable table;
    RecordReader rr(book.stream, offset);
    Record r;
    rr.Next(r);  // the BOF
    for (int depth = 0; rr.Next(r);) {
        if (IsBof(r.type)) ++depth;
        else if (r.type == rt::Eof && depth-- == 0) break;
        if (depth > 0) continue;
        try {
            CollectStyle(book, r, table);
        } catch (const Error& e) {
            if (e.Kind() != ErrorKind::Damaged) throw;
        }
    }
    SheetFormats formats;
    formats.base = table.Resolve(book.wb.styles, first);
    formats.count = uint32_t(table.XfCount());
    formats.attributes = table.AttributeXfs();
    ReadSheet(book, offset, sheet, formats);
}

}  // namespace sheets::xls
