#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "sheets/Errors.h"
#include "sheets/Loader.h"
#include "sheets/container/Cfb.h"
#include "sheets/xls/Decrypt.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/SheetBuilder.h"
#include "sheets/xls/Strings.h"
#include "sheets/xls/XlsStyles.h"

namespace sheets {
namespace xls {
namespace {

struct SheetEntry {
    uint32_t offset = 0;
    uint8_t type = 0;  // 0 worksheet, 1 macro sheet, 2 chart, 6 module
};

const char* ErrorText(uint8_t code) {
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    case 0x2B: return "#GETTING_DATA";
    default: return "#N/A";
    }
}

void CheckRuns(const RichString& s, size_t fontCount) {
    for (const TextRun& run : s.runs)
        if (run.font >= fontCount) throw Error("The workbook is damaged: rich text names a missing font");
}

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

class Reader {
public:
    Reader(std::string stream, bool hasVba) : stream_(std::move(stream)) { wb_.hasVbaProject = hasVba; }
    Workbook Read();

private:
    void ReadGlobals(RecordReader& rr);
    void ReadSheet(size_t offset, Sheet& sheet);
    std::vector<std::string_view> WithContinues(RecordReader& rr, std::string_view first);
    uint32_t AddString(RichString s);
    uint32_t ErrorString(uint8_t code);
    uint32_t CheckedFormat(uint16_t ixfe) const;

    std::string stream_;
    Workbook wb_;
    bool biff8_ = true;
    CodePage codePage_{1252};
    StringContext ctx_;
    StyleTable styles_;
    std::vector<SheetEntry> entries_;
    std::vector<std::string> names_;
    std::vector<Visibility> visibility_;
    size_t sstCount_ = 0;
    size_t scanned_ = 0;  // bytes of sheet records read so far
    size_t cellCount_ = 0;
    std::unordered_map<uint8_t, uint32_t> errorStrings_;
};

std::vector<std::string_view> Reader::WithContinues(RecordReader& rr, std::string_view first) {
    std::vector<std::string_view> pieces{first};
    Record r;
    while (rr.PeekType() == rt::Continue && rr.Next(r)) pieces.push_back(r.data);
    return pieces;
}

uint32_t Reader::AddString(RichString s) {
    wb_.strings.push_back(std::move(s));
    return uint32_t(wb_.strings.size() - 1);
}

uint32_t Reader::ErrorString(uint8_t code) {
    auto it = errorStrings_.find(code);
    if (it != errorStrings_.end()) return it->second;
    uint32_t i = AddString({ErrorText(code), {}});
    errorStrings_[code] = i;
    return i;
}

uint32_t Reader::CheckedFormat(uint16_t ixfe) const {
    if (styles_.XfCount() == 0) return 0;  // a file without formats: all cells default
    if (ixfe >= wb_.styles.formats.size()) throw Error("The workbook is damaged: a cell refers to a missing format");
    return ixfe;
}

Workbook Reader::Read() {
    RecordReader rr(stream_);
    Record bof;
    if (!rr.Next(bof) || bof.type != rt::Bof || bof.data.size() < 4) {
        if (bof.type == rt::Biff4Bof || bof.type == rt::Biff3Bof || bof.type == rt::Biff2Bof)
            throw Error("Workbooks older than Excel 5 are not supported");
        throw Error("The workbook stream does not begin with a workbook");
    }
    Bytes b(bof.data);
    const uint16_t version = b.U16();
    const uint16_t type = b.U16();
    if (type != 0x0005) throw Error("The workbook stream does not begin with a workbook");
    biff8_ = version >= 0x0600;
    ctx_.biff8 = biff8_;
    ctx_.codePage = &codePage_;
    ReadGlobals(rr);
    styles_.Resolve(wb_.styles);
    for (const RichString& s : wb_.strings) CheckRuns(s, wb_.styles.fonts.size());

    // Sheet substreams in the order of the top-level BOF records, for sheets
    // whose recorded offset is wrong.
    std::vector<size_t> bofs;
    {
        RecordReader scan(stream_, rr.Offset());
        Record r;
        int depth = 0;
        try {
            while (scan.Next(r)) {
                if (r.type == rt::Bof) {
                    if (depth == 0) bofs.push_back(r.offset);
                    ++depth;
                } else if (r.type == rt::Eof && depth > 0) {
                    --depth;
                }
            }
        } catch (const Error&) {
            // A damaged tail: the offsets found so far still serve.
        }
    }
    auto isBof = [&](size_t at) {
        return at + 4 <= stream_.size() && uint8_t(stream_[at]) == 0x09 && uint8_t(stream_[at + 1]) == 0x08;
    };

    wb_.sheets.resize(entries_.size());
    std::unordered_set<size_t> readOffsets;
    for (size_t i = 0; i < entries_.size(); ++i) {
        Sheet& sheet = wb_.sheets[i];
        sheet.name = names_[i];
        sheet.visibility = visibility_[i];
        switch (entries_[i].type) {
        case 1:
        case 6: sheet.kind = SheetKind::Macro; break;
        case 2: sheet.kind = SheetKind::Chart; break;
        default: sheet.kind = SheetKind::Worksheet; break;
        }
        if (sheet.kind == SheetKind::Chart || entries_[i].type == 6) continue;
        size_t at = entries_[i].offset;
        if (!isBof(at)) {
            if (i < bofs.size()) at = bofs[i];
            else continue;  // nothing to read: the sheet stays empty
        }
        // Two sheets never share their data; a file that says so would
        // have us read (and hold) it twice.
        if (!readOffsets.insert(at).second) continue;
        ReadSheet(at, sheet);
    }
    if (wb_.activeSheet >= wb_.sheets.size()) wb_.activeSheet = 0;
    if (wb_.sheets.empty()) throw Error("The workbook has no sheets");
    return std::move(wb_);
}

void Reader::ReadGlobals(RecordReader& rr) {
    Record r;
    while (rr.Next(r)) {
        switch (r.type) {
        case rt::Eof: return;
        case rt::FilePass:
            if (!biff8_) throw PasswordError();
            DecryptWorkbookStream(stream_, r.offset);
            break;
        case rt::CodePage: {
            Bytes b(r.data);
            codePage_ = CodePage(b.U16());
            break;
        }
        case rt::DateMode: {
            Bytes b(r.data);
            wb_.date1904 = b.U16() == 1;
            break;
        }
        case rt::Window1: {
            if (r.data.size() >= 12) {
                Bytes b(r.data);
                b.Skip(10);
                wb_.activeSheet = b.U16();
            }
            break;
        }
        case rt::Font: styles_.AddFont(r.data, ctx_); break;
        case rt::Format: styles_.AddFormat(r.data, ctx_); break;
        case rt::Palette: styles_.SetPalette(r.data); break;
        case rt::Xf: styles_.AddXf(r.data, biff8_); break;
        case rt::BoundSheet: {
            Bytes b(r.data);
            SheetEntry e;
            e.offset = b.U32();
            const uint8_t state = b.U8();
            e.type = b.U8();
            Continued rest({r.data.substr(b.Pos())});
            std::string name = ReadString(rest, ctx_, false).text;
            entries_.push_back(e);
            names_.push_back(std::move(name));
            visibility_.push_back((state & 3) == 1   ? Visibility::Hidden
                                  : (state & 3) == 2 ? Visibility::VeryHidden
                                                     : Visibility::Visible);
            break;
        }
        case rt::Sst: {
            auto pieces = WithContinues(rr, r.data);
            wb_.strings = ReadSst(std::move(pieces), ctx_);
            sstCount_ = wb_.strings.size();
            break;
        }
        default: break;
        }
    }
}

void Reader::ReadSheet(size_t offset, Sheet& sheet) {
    RecordReader rr(stream_, offset);
    Record r;
    rr.Next(r);  // the BOF
    SheetBuilder cells(sheet, cellCount_);
    const size_t fontCount = wb_.styles.fonts.size();
    // A formula's string result arrives in the STRING record after it.
    struct Pending {
        uint32_t row;
        uint16_t col;
        uint32_t format;
    };
    std::optional<Pending> pending;
    auto flush = [&]() {
        if (!pending) return;
        Cell c;
        c.col = pending->col;
        c.format = pending->format;
        c.type = CellType::String;
        c.string = AddString({});
        cells.Add(pending->row, c);
        pending.reset();
    };
    auto put = [&](uint32_t, uint16_t col, uint16_t ixfe, CellType type) {
        Cell c;
        c.col = col;
        c.format = CheckedFormat(ixfe);
        c.type = type;
        return c;
    };

    // Comments: NOTE records name a text box object by id; the box's text
    // comes with an earlier OBJ and TXO pair.
    struct Note {
        uint32_t row = 0, col = 0;
        uint16_t object = 0;
        std::string author;
    };
    std::vector<Note> notes;
    std::unordered_map<uint16_t, std::string> noteTexts;
    uint16_t lastObject = 0;

    int depth = 0;
    while (rr.Next(r)) {
        // Sheets whose data runs into each other (no end record) would be
        // read over and over: the records of all sheets together may not
        // come to much more than the stream.
        scanned_ += 4 + r.data.size();
        if (scanned_ > 2 * stream_.size() + (1u << 20)) throw Error("The workbook is damaged: its sheets overlap");
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
        if (pending && r.type != rt::String && r.type != rt::ShrFmla && r.type != rt::Array && r.type != rt::Table &&
            r.type != rt::Continue)
            flush();
        Bytes b(r.data);
        switch (r.type) {
        case rt::LabelSst: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            uint32_t isst = b.U32();
            if (isst >= sstCount_) throw Error("The workbook is damaged: a cell refers to a missing string");
            Cell c = put(row, col, ixfe, CellType::String);
            c.string = isst;
            cells.Add(row, c);
            break;
        }
        case rt::Label:
        case rt::RString: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            Continued rest({r.data.substr(b.Pos())});
            std::vector<uint32_t> offsets;
            RichString s = ReadString(rest, ctx_, true, false, r.type == rt::RString ? &offsets : nullptr);
            if (r.type == rt::RString && !rest.AtEnd()) {
                // The runs follow the characters: 16-bit count and fields in
                // newer files, 8-bit in older ones.
                std::vector<std::pair<uint32_t, uint32_t>> runs;
                const uint32_t n = biff8_ ? rest.U16() : rest.U8();
                for (uint32_t i = 0; i < n; ++i) {
                    uint32_t ich = biff8_ ? rest.U16() : rest.U8();
                    uint32_t ifnt = biff8_ ? rest.U16() : rest.U8();
                    runs.emplace_back(ich, ifnt);
                }
                if (!offsets.empty()) s.runs = MakeRuns(runs, offsets);
            }
            CheckRuns(s, fontCount);
            Cell c = put(row, col, ixfe, CellType::String);
            c.string = AddString(std::move(s));
            cells.Add(row, c);
            break;
        }
        case rt::Number: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            Cell c = put(row, col, ixfe, CellType::Number);
            c.number = b.F64();
            cells.Add(row, c);
            break;
        }
        case rt::Rk: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            Cell c = put(row, col, ixfe, CellType::Number);
            c.number = RkValue(b.U32());
            cells.Add(row, c);
            break;
        }
        case rt::MulRk: {
            uint16_t row = b.U16(), col = b.U16();
            if (r.data.size() < 6) Truncated();
            const size_t n = (r.data.size() - 6) / 6;
            for (size_t i = 0; i < n; ++i) {
                uint16_t ixfe = b.U16();
                Cell c = put(row, uint16_t(col + i), ixfe, CellType::Number);
                c.number = RkValue(b.U32());
                if (col + i > 0xFFFF) break;
                cells.Add(row, c);
            }
            break;
        }
        case rt::BoolErr: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            uint8_t v = b.U8(), isError = b.U8();
            Cell c = put(row, col, ixfe, isError ? CellType::Error : CellType::Bool);
            if (isError) c.string = ErrorString(v);
            else c.boolean = v != 0;
            cells.Add(row, c);
            break;
        }
        case rt::Blank: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            cells.Add(row, put(row, col, ixfe, CellType::Blank));
            break;
        }
        case rt::MulBlank: {
            uint16_t row = b.U16(), col = b.U16();
            if (r.data.size() < 6) Truncated();
            const size_t n = (r.data.size() - 6) / 2;
            for (size_t i = 0; i < n && col + i <= 0xFFFF; ++i) {
                uint16_t ixfe = b.U16();
                cells.Add(row, put(row, uint16_t(col + i), ixfe, CellType::Blank));
            }
            break;
        }
        case rt::Formula:
        case rt::Formula4: {
            uint16_t row = b.U16(), col = b.U16(), ixfe = b.U16();
            std::string_view res = b.Take(8);
            const uint8_t kind = uint8_t(res[0]);
            if (uint8_t(res[6]) == 0xFF && uint8_t(res[7]) == 0xFF) {
                if (kind == 0) {
                    pending = Pending{row, col, CheckedFormat(ixfe)};
                } else if (kind == 1 || kind == 2) {
                    Cell c = put(row, col, ixfe, kind == 1 ? CellType::Bool : CellType::Error);
                    if (kind == 1) c.boolean = res[2] != 0;
                    else c.string = ErrorString(uint8_t(res[2]));
                    cells.Add(row, c);
                } else {
                    Cell c = put(row, col, ixfe, CellType::String);
                    c.string = AddString({});
                    cells.Add(row, c);
                }
            } else {
                Cell c = put(row, col, ixfe, CellType::Number);
                Bytes v(res);
                c.number = v.F64();
                cells.Add(row, c);
            }
            break;
        }
        case rt::String: {
            if (!pending) break;
            Continued in(WithContinues(rr, r.data));
            RichString s = ReadString(in, ctx_, true);
            Cell c;
            c.col = pending->col;
            c.format = pending->format;
            c.type = CellType::String;
            c.string = AddString(std::move(s));
            cells.Add(pending->row, c);
            pending.reset();
            break;
        }
        case rt::Row: {
            uint16_t row = b.U16();
            b.Skip(4);
            const uint16_t height = b.U16();
            b.Skip(4);
            const uint32_t flags = b.Left() >= 4 ? b.U32() : b.U16();
            Row& rw = cells.RowAt(row);
            if (!(height & 0x8000)) rw.height = (height & 0x7FFF) / 20.0;
            rw.hidden = flags & 0x20;
            if (flags & 0x80) {
                uint32_t ixfe = (flags >> 16) & 0x0FFF;
                if (ixfe < wb_.styles.formats.size()) rw.format = int32_t(ixfe);
            }
            break;
        }
        case rt::ColInfo: {
            ColumnInfo ci;
            ci.first = b.U16();
            ci.last = b.U16();
            const uint16_t width = b.U16();
            const uint16_t ixfe = b.U16();
            const uint16_t flags = b.U16();
            if (ci.first > 16383) break;
            ci.last = std::min<uint32_t>(std::max(ci.last, ci.first), 16383);
            ci.width = width / 256.0;
            ci.hidden = flags & 0x01;
            if (ixfe < wb_.styles.formats.size()) ci.format = ixfe;
            cells.AddColumns(ci);
            break;
        }
        case rt::DefColWidth: {
            double w = b.U16();
            if (!cells.HasStandardWidth()) sheet.defaultColWidth = w + 0.43;
            break;
        }
        case rt::StandardWidth: {
            sheet.defaultColWidth = b.U16() / 256.0;
            cells.SetStandardWidth();
            break;
        }
        case rt::DefaultRowHeight: {
            if (r.data.size() >= 4) {
                const uint16_t flags = b.U16();
                const uint16_t h = b.U16();
                if (h > 0) sheet.defaultRowHeight = h / 20.0;
                sheet.defaultRowsHidden = flags & 0x02;
            }
            break;
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
                sheet.merges.push_back(m);
            }
            break;
        }
        case rt::HLink:
            if (biff8_) cells.AddLink(ReadHyperlink(r.data));
            break;
        case rt::HLinkTooltip: cells.SetTooltip(ReadHyperlinkTooltip(r.data)); break;
        case rt::Obj:
            // The first subrecord names the object; a text box that follows
            // belongs to it.
            if (biff8_ && r.data.size() >= 8 && b.U16() == 0x15) {
                b.U16();
                b.U16();
                lastObject = b.U16();
            }
            break;
        case rt::Txo:
            if (biff8_ && r.data.size() >= 12) {
                b.Skip(10);
                const uint16_t count = b.U16();
                std::vector<std::string_view> pieces;
                Record cont;
                while (rr.PeekType() == rt::Continue && rr.Next(cont)) pieces.push_back(cont.data);
                if (count > 0 && !pieces.empty()) {
                    // The text starts the first CONTINUE with a flag byte.
                    Continued in(std::move(pieces));
                    const bool wide = in.U8() & 1;
                    std::u16string units;
                    in.Chars(count, wide, units);
                    noteTexts[lastObject] = Utf16ToUtf8(units);
                }
            }
            break;
        case rt::Note:
            if (biff8_) {
                Note n;
                n.row = b.U16();
                n.col = b.U16();
                b.U16();  // shown or hidden
                n.object = b.U16();
                Continued rest({r.data.substr(b.Pos())});
                if (!rest.AtEnd()) n.author = ReadString(rest, ctx_, true).text;
                notes.push_back(std::move(n));
            }
            break;
        case rt::Window2: {
            const uint16_t flags = b.U16();
            sheet.showGridLines = flags & 0x02;
            sheet.rightToLeft = flags & 0x40;
            break;
        }
        default: break;
        }
    }
    flush();
    for (Note& n : notes) {
        auto it = noteTexts.find(n.object);
        if (it == noteTexts.end() || n.col > 16383) continue;
        sheet.comments.push_back({n.row, n.col, std::move(n.author), it->second});
    }
    cells.Finish();
}

}  // namespace
}  // namespace xls

Workbook ReadXls(std::string_view bytes) {
    Cfb cfb(bytes);
    std::optional<std::string> stream = cfb.ReadStream("Workbook");
    if (!stream) stream = cfb.ReadStream("Book");
    if (!stream) {
        if (cfb.Find("EncryptionInfo") || cfb.Find("EncryptedPackage")) throw PasswordError();
        throw Error("The compound file holds no workbook");
    }
    const Cfb::Entry* vba = cfb.Find("_VBA_PROJECT_CUR");
    const bool hasVba = vba && vba->type == Cfb::EntryType::Storage;
    return xls::Reader(std::move(*stream), hasVba).Read();
}

}  // namespace sheets
