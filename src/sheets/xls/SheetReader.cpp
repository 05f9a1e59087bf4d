#include "sheets/xls/SheetReader.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/SheetBuilder.h"
#include "sheets/xls/Strings.h"
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
};

class SheetReader {
public:
    SheetReader(Book& book, size_t offset, Sheet& sheet);
    void Read();

private:
    // One method per group of records; each is false for a record of
    // another group.
    bool TextCells(const Record& r);
    bool ValueCells(const Record& r);
    bool Formulas(const Record& r);
    bool Layout(const Record& r);
    bool NotesAndObjects(const Record& r);
    bool Links(const Record& r);

    Cell Put(uint16_t col, uint16_t ixfe, CellType type) const;
    void FlushPending();
    void AddComments();

    Book& book_;
    Sheet& sheet_;
    RecordReader rr_;
    SheetBuilder cells_;
    const size_t fontCount_;
    SheetState state_;
};

SheetReader::SheetReader(Book& book, size_t offset, Sheet& sheet)
    : book_(book),
      sheet_(sheet),
      rr_(book.stream, offset),
      cells_(sheet, book.cellCount),
      fontCount_(book.wb.styles.fonts.size()) {}

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
        if (r.type == rt::Bof) {
            ++depth;  // an embedded chart: its records are not cells
            continue;
        }
        if (r.type == rt::Eof) {
            if (depth == 0) break;
            --depth;
            continue;
        }
        if (depth > 0) continue;
        if (state_.pending && r.type != rt::String && r.type != rt::ShrFmla && r.type != rt::Array &&
            r.type != rt::Table && r.type != rt::Continue)
            FlushPending();
        if (!TextCells(r) && !ValueCells(r) && !Formulas(r) && !Layout(r) && !NotesAndObjects(r)) Links(r);
    }
    FlushPending();
    AddComments();
    cells_.Finish();
}

Cell SheetReader::Put(uint16_t col, uint16_t ixfe, CellType type) const {
    Cell c;
    c.col = col;
    c.format = book_.CheckedFormat(ixfe);
    c.type = type;
    return c;
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
        if (isst >= book_.sstCount)
            throw Error(ErrorKind::Damaged, "The workbook is damaged: a cell refers to a missing string");
        Cell c = Put(col, ixfe, CellType::String);
        c.string = isst;
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
        CheckRuns(s, fontCount_);
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
    case rt::Formula4: {
        uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
        std::string_view res = b.Take(8);
        const uint8_t kind = uint8_t(res[0]);
        if (uint8_t(res[6]) == 0xFF && uint8_t(res[7]) == 0xFF) {
            if (kind == 0) {
                state_.pending = PendingString{row, col, book_.CheckedFormat(ixfe)};
            } else if (kind == 1 || kind == 2) {
                Cell c = Put(col, ixfe, kind == 1 ? CellType::Bool : CellType::Error);
                if (kind == 1) c.boolean = res[2] != 0;
                else c.string = book_.ErrorString(uint8_t(res[2]));
                cells_.Add(row, c);
            } else {
                Cell c = Put(col, ixfe, CellType::String);
                c.string = book_.AddString({});
                cells_.Add(row, c);
            }
        } else {
            Cell c = Put(col, ixfe, CellType::Number);
            Bytes v(res);
            c.number = v.F64();
            cells_.Add(row, c);
        }
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
            uint32_t ixfe = (flags >> 16) & 0x0FFF;
            if (ixfe < book_.wb.styles.formats.size()) rw.format = int32_t(ixfe);
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
        if (ixfe < book_.wb.styles.formats.size()) ci.format = ixfe;
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
        sheet_.rightToLeft = flags & 0x40;
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
        return true;
    case rt::Txo:
        if (book_.biff8 && r.data.size() >= 12) {
            b.Skip(10);
            const uint16_t count = b.U16();
            std::vector<std::string_view> pieces;
            Record cont;
            while (rr_.PeekType() == rt::Continue && rr_.Next(cont)) pieces.push_back(cont.data);
            if (count > 0 && !pieces.empty()) {
                // The text starts the first CONTINUE with a flag byte.
                Continued in(std::move(pieces));
                const bool wide = in.U8() & 1;
                std::u16string units;
                in.Chars(count, wide, units);
                state_.noteTexts[state_.lastObject] = text::Utf16ToUtf8(units);
            }
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

void ReadSheet(Book& book, size_t offset, Sheet& sheet) { SheetReader(book, offset, sheet).Read(); }

}  // namespace sheets::xls
