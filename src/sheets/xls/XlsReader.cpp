#include "sheets/xls/XlsReader.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"
#include "sheets/model/ControlLists.h"
#include "sheets/xls/Book.h"
#include "sheets/xls/ChartSheet.h"
#include "sheets/xls/Decrypt.h"
#include "sheets/xls/Records.h"
#include "sheets/xls/SheetReader.h"
#include "sheets/xls/Strings.h"

namespace sheets {
namespace xls {
namespace {

struct SheetEntry {
    uint32_t offset = 0;
    uint8_t type = 0;  // 0 worksheet, 1 macro sheet, 2 chart, 6 module
    std::string name;
    Visibility visibility = Visibility::Visible;
};

[[noreturn]] void NotAWorkbookStream() {
    throw Error(ErrorKind::Damaged, "The workbook stream does not begin with a workbook");
}

SheetKind KindOfSubstream(uint16_t bofType) {
    return bofType == 0x0020 ? SheetKind::Chart : bofType == 0x0040 ? SheetKind::Macro : SheetKind::Worksheet;
}

// Records that hold a cell's value, in any version.
bool IsCellRecord(uint16_t type) {
    switch (type) {
    case rt::Number:
    case rt::Rk:
    case rt::MulRk:
    case rt::LabelSst:
    case rt::Label:
    case rt::RString:
    case rt::BoolErr:
    case rt::Formula:
    case rt::Formula3:
    case rt::Formula4:
    case rt2::Integer:
    case rt2::Number:
    case rt2::Label:
    case rt2::BoolErr: return true;
    default: return false;
    }
}

bool HoldsFollowedCells(std::string_view stream);

uint16_t U16At(std::string_view s, size_t at) { return uint16_t(uint8_t(s[at]) | uint8_t(s[at + 1]) << 8); }

// Where sheet substreams of Excel 5 and later begin, found by the bytes of
// their BOF records rather than by following records: in a stream whose
// records can no longer be followed (sectors lost or out of order), the
// sheets are still where those bytes are.
std::vector<size_t> SheetBofsByBytes(std::string_view s) {
    std::vector<size_t> out;
    constexpr std::string_view kBof("\x09\x08", 2);
    for (size_t at = s.find(kBof, 1); at != std::string_view::npos && at + 8 <= s.size(); at = s.find(kBof, at + 1)) {
        const uint16_t length = U16At(s, at + 2), type = U16At(s, at + 6);
        if ((length == 8 || length == 16) && (type == 0x0010 || type == 0x0020 || type == 0x0040)) out.push_back(at);
    }
    return out;
}

// Whether the records from `at` up to `end` (or an EOF record) hold a cell,
// followed by their lengths alone.
bool RunHoldsCells(std::string_view s, size_t at, size_t end) {
    while (at + 4 <= end) {
        const uint16_t type = U16At(s, at);
        if (IsCellRecord(type)) return true;
        if (type == rt::Eof) return false;
        at += 4 + size_t(U16At(s, at + 2));
    }
    return false;
}

// Whether some sheet substream of the stream holds a cell record: when no
// cell could be read, that tells a workbook without cells from one whose
// cells were lost. Each substream found by its bytes is looked at only up
// to the next: one pass over the stream in all.
bool HoldsCells(std::string_view stream) {
    const std::vector<size_t> bofs = SheetBofsByBytes(stream);
    for (size_t i = 0; i < bofs.size(); ++i)
        if (RunHoldsCells(stream, bofs[i], i + 1 < bofs.size() ? bofs[i + 1] : stream.size())) return true;
    return HoldsFollowedCells(stream);
}

bool HoldsFollowedCells(std::string_view stream) {
    RecordReader rr(stream);
    Record r;
    int depth = 0;
    bool globals = false;
    while (rr.Next(r)) {
        if (IsBof(r.type)) {
            if (depth++ == 0) globals = r.data.size() >= 4 && (uint8_t(r.data[2]) == 0x05 || uint8_t(r.data[3]) == 1);
        } else if (r.type == rt::Eof) {
            if (depth > 0) --depth;
        } else if (depth == 1 && !globals && IsCellRecord(r.type)) {
            return true;
        }
    }
    return false;
}

class Reader {
public:
    Reader(std::string stream, bool hasVba) {
        book_.stream = std::move(stream);
        book_.wb.hasVbaProject = hasVba;
    }
    Workbook Read();

private:
    void ReadWorkbook(RecordReader& rr);
    void ReadGlobals(RecordReader& rr);
    void ReadGlobal(RecordReader& rr, const Record& r);
    std::vector<size_t> TopLevelBofs(size_t from) const;
    void ReadSheets(const std::vector<size_t>& bofs, const SheetFormats& formats, bool byOrder);
    void ReadBundles(RecordReader& rr);
    void ReadSingleSheet(uint16_t bofType);

    Book book_;
    std::vector<SheetEntry> entries_;
};

Workbook Reader::Read() {
    RecordReader rr(book_.stream);
    Record bof;
    if (!rr.Next(bof) || !IsBof(bof.type) || bof.data.size() < 4) NotAWorkbookStream();
    Bytes b(bof.data);
    const uint16_t version = b.U16();
    const uint16_t type = b.U16();
    switch (bof.type) {
    case 0x0009: book_.SetVersion(2); break;
    case 0x0209: book_.SetVersion(3); break;
    case 0x0409: book_.SetVersion(4); break;
    default: book_.SetVersion(version >= 0x0600 ? 8 : 5); break;
    }
    // Excel 5 and later write a workbook; Excel 4 a workbook of bundled
    // sheets or a single sheet; older versions single sheets only.
    if (book_.biff >= 5 && type == 0x0005) ReadWorkbook(rr);
    else if (book_.biff == 4 && type == 0x0100) ReadBundles(rr);
    else if (type == 0x0005 || type == 0x0100) NotAWorkbookStream();
    else ReadSingleSheet(type);

    if (book_.wb.sheets.empty()) throw Error(ErrorKind::Damaged, "The workbook has no sheets");
    if (book_.wb.activeSheet >= book_.wb.sheets.size()) book_.wb.activeSheet = 0;
    if (book_.cellCount == 0 && HoldsCells(book_.stream))
        throw Error(ErrorKind::Damaged, "The workbook is damaged: none of its cells can be read");
    if (book_.biff8) book_.tableStyles.Resolve(book_.styles, book_.wb);
    FillControlLists(book_.wb);
    return std::move(book_.wb);
}

void Reader::ReadWorkbook(RecordReader& rr) {
    ReadGlobals(rr);
    SheetFormats formats;
    formats.base = book_.styles.Resolve(book_.wb.styles, true);
    formats.count = uint32_t(book_.styles.XfCount());
    for (RichString& s : book_.wb.strings) DropBadRuns(s, book_.wb.styles.fonts.size());
    std::vector<size_t> bofs = TopLevelBofs(rr.Offset());
    const bool listLost = entries_.empty();
    if (listLost) {
        // The list of sheets is lost: the substreams after the globals are
        // the sheets, in order.
        for (size_t i = 0; i < bofs.size(); ++i) {
            SheetEntry e;
            e.offset = uint32_t(bofs[i]);
            e.name = "Sheet" + std::to_string(i + 1);
            entries_.push_back(std::move(e));
        }
    }
    ReadSheets(bofs, formats, false);
    // Cells that no sheet's recorded place led to: the sheets' substreams in
    // the order they come instead.
    if (book_.cellCount == 0 && HoldsCells(book_.stream)) ReadSheets(bofs, formats, true);
    if (book_.cellCount > 0 || !HoldsCells(book_.stream)) return;
    // Records that cannot be followed all the way: the substreams where the
    // bytes of their BOF records are.
    const std::vector<size_t> found = SheetBofsByBytes(book_.stream);
    if (found == bofs) return;
    if (listLost) {
        entries_.clear();
        for (size_t i = 0; i < found.size(); ++i) {
            SheetEntry e;
            e.offset = uint32_t(found[i]);
            e.type =
                uint8_t(found[i] + 8 <= book_.stream.size() && U16At(book_.stream, found[i] + 6) == 0x0020 ? 2 : 0);
            e.name = "Sheet" + std::to_string(i + 1);
            entries_.push_back(std::move(e));
        }
    }
    ReadSheets(found, formats, true);
}

// Sheet substreams in the order of the top-level BOF records, for sheets
// whose recorded offset is wrong.
std::vector<size_t> Reader::TopLevelBofs(size_t from) const {
    std::vector<size_t> bofs;
    RecordReader scan(book_.stream, from);
    Record r;
    int depth = 0;
    while (scan.Next(r)) {
        if (IsBof(r.type)) {
            if (depth == 0) bofs.push_back(r.offset);
            ++depth;
        } else if (r.type == rt::Eof && depth > 0) {
            --depth;
        }
    }
    return bofs;
}

void Reader::ReadSheets(const std::vector<size_t>& bofs, const SheetFormats& formats, bool byOrder) {
    auto isBof = [&](size_t at) {
        return at + 4 <= book_.stream.size() && uint8_t(book_.stream[at]) == 0x09 &&
               uint8_t(book_.stream[at + 1]) == 0x08;
    };
    book_.wb.sheets.clear();
    book_.wb.sheets.resize(entries_.size());
    // Named up front: a sheet's objects may refer to the cells of a later one.
    for (size_t i = 0; i < entries_.size(); ++i) book_.wb.sheets[i].name = entries_[i].name;
    book_.scanned = 0;
    std::unordered_set<size_t> readOffsets;
    for (size_t i = 0; i < entries_.size(); ++i) {
        Sheet& sheet = book_.wb.sheets[i];
        sheet.name = entries_[i].name;
        sheet.visibility = entries_[i].visibility;
        switch (entries_[i].type) {
        case 1:
        case 6: sheet.kind = SheetKind::Macro; break;
        case 2: sheet.kind = SheetKind::Chart; break;
        default: sheet.kind = SheetKind::Worksheet; break;
        }
        size_t at = entries_[i].offset;
        if (byOrder || !isBof(at)) {
            if (i < bofs.size()) at = bofs[i];
            else continue;  // nothing to read: the sheet stays empty
        }
        // A chart or module by its list entry whose substream says worksheet
        // is read as one.
        if (sheet.kind == SheetKind::Chart || entries_[i].type == 6) {
            if (at + 8 > book_.stream.size()) continue;
            if (uint8_t(book_.stream[at + 6]) != 0x10) {
                if (sheet.kind == SheetKind::Chart && readOffsets.insert(at).second) ReadChartSheet(book_, at, sheet);
                continue;
            }
            sheet.kind = SheetKind::Worksheet;
        }
        // Two sheets never share their data; a file that says so would
        // have us read (and hold) it twice.
        if (!readOffsets.insert(at).second) continue;
        ReadSheet(book_, at, sheet, formats);
    }
}

void Reader::ReadGlobals(RecordReader& rr) {
    Record r;
    while (rr.Next(r)) {
        if (r.type == rt::Eof) return;
        try {
            ReadGlobal(rr, r);
        } catch (const Error& e) {
            // A damaged record costs that record: a font, a format, a sheet.
            if (e.Kind() != ErrorKind::Damaged) throw;
        }
    }
}

void Reader::ReadGlobal(RecordReader& rr, const Record& r) {
    switch (r.type) {
    case rt::FilePass: DecryptWorkbookStream(book_.stream, r.offset, book_.biff8); break;
    case rt::CodePage: book_.codePage = CodePage(Bytes(r.data).U16()); break;
    case rt::DateMode: book_.wb.date1904 = Bytes(r.data).U16() == 1; break;
    case rt::Window1:
        if (r.data.size() >= 12) {
            Bytes b(r.data);
            b.Skip(10);
            book_.wb.activeSheet = b.U16();
        }
        break;
    case rt::Font: book_.styles.AddFont(r.data, book_.ctx, book_.biff); break;
    case rt::Format: book_.styles.AddFormat(r.data, book_.ctx, book_.biff); break;
    case rt::Palette: book_.styles.SetPalette(r.data); break;
    case rt::Xf: book_.styles.AddXf(r.data, book_.biff); break;
    case rt::BoundSheet: {
        Bytes b(r.data);
        SheetEntry e;
        e.offset = b.U32();
        const uint8_t state = b.U8();
        e.type = b.U8();
        Continued rest({r.data.substr(b.Pos())});
        e.name = ReadString(rest, book_.ctx, false).text;
        e.visibility = (state & 3) == 1   ? Visibility::Hidden
                       : (state & 3) == 2 ? Visibility::VeryHidden
                                          : Visibility::Visible;
        entries_.push_back(std::move(e));
        break;
    }
    case rt::MsoDrawingGroup: {
        // The group runs on in CONTINUE records and further group records.
        std::string group;
        for (std::string_view piece : WithContinues(rr, r.data)) group.append(piece);
        Record more;
        while (rr.PeekType() == rt::MsoDrawingGroup && rr.Next(more))
            for (std::string_view piece : WithContinues(rr, more.data)) group.append(piece);
        if (book_.biff8) book_.blips = ReadBlipStore(group, book_.pictureBudget);
        break;
    }
    case rt::SupBook: book_.AddSupBook(r.data); break;
    case rt::Dxf:
    case rt::TableStyles:
    case rt::TableStyle:
    case rt::TableStyleElement:
        if (book_.biff8) book_.tableStyles.Read(r);
        break;
    case rt::ExternSheet:
        if (book_.biff8) book_.ReadExternSheet(r.data);
        break;
    case rt::Sst: {
        auto pieces = WithContinues(rr, r.data);
        book_.wb.strings = ReadSst(std::move(pieces), book_.ctx);
        book_.sstCount = book_.wb.strings.size();
        break;
    }
    default: break;
    }
}

// Excel 4 workbooks: after the workbook's own records, each sheet is a
// complete sheet stream of its own, with its own styles, announced by a
// record that names it.
void Reader::ReadBundles(RecordReader& rr) {
    std::string name;
    Record r;
    while (rr.Next(r)) {
        if (r.type == rt::BundleHeader) {
            // The position of the next bundle (not needed: the sheets follow
            // each other), then the name; some writers put two more bytes
            // before it.
            const std::string_view d = r.data;
            size_t at = d.size() > 4 && size_t(uint8_t(d[4])) + 5 == d.size() ? 4 : 6;
            name.clear();
            if (at < d.size()) {
                Continued rest({d.substr(at)});
                name = ReadString(rest, book_.ctx, false).text;
            }
        } else if (r.type == rt::CodePage) {
            if (r.data.size() >= 2) book_.codePage = CodePage(Bytes(r.data).U16());
        } else if (IsBof(r.type)) {
            Sheet& sheet = book_.wb.sheets.emplace_back();
            sheet.name = name.empty() ? "Sheet" + std::to_string(book_.wb.sheets.size()) : name;
            name.clear();
            sheet.kind = KindOfSubstream(r.data.size() >= 4 ? Bytes(r.data.substr(2)).U16() : 0x10);
            const bool first = book_.wb.sheets.size() == 1;
            if (sheet.kind != SheetKind::Chart) ReadSheetWithStyles(book_, r.offset, sheet, first);
            // On past the sheet's own records, embedded ones included.
            for (int depth = 0; rr.Next(r);) {
                if (IsBof(r.type)) ++depth;
                else if (r.type == rt::Eof && depth-- == 0) break;
            }
        }
    }
}

void Reader::ReadSingleSheet(uint16_t bofType) {
    Sheet& sheet = book_.wb.sheets.emplace_back();
    sheet.name = "Sheet1";
    sheet.kind = KindOfSubstream(bofType);
    if (sheet.kind != SheetKind::Chart) ReadSheetWithStyles(book_, 0, sheet, true);
}

}  // namespace
}  // namespace xls

Workbook ReadXls(std::string_view bytes) {
    Cfb cfb(bytes);
    std::optional<std::string> stream = cfb.ReadStream("Workbook");
    // A stream of that name that holds no workbook: an older file's "Book"
    // may still be there.
    if (!stream || stream->size() < 4 || !xls::IsBof(uint16_t(uint8_t((*stream)[0]) | uint8_t((*stream)[1]) << 8))) {
        if (std::optional<std::string> book = cfb.ReadStream("Book")) stream = std::move(book);
    }
    if (!stream) {
        if (cfb.Find("EncryptionInfo") || cfb.Find("EncryptedPackage")) throw PasswordError();
        throw Error(ErrorKind::NotAWorkbook, "The compound file holds no workbook");
    }
    const Cfb::Entry* vba = cfb.Find("_VBA_PROJECT_CUR");
    const bool hasVba = vba && vba->type == Cfb::EntryType::Storage;
    return xls::Reader(std::move(*stream), hasVba).Read();
}

bool IsBiffStream(std::string_view bytes) {
    if (bytes.size() < 8) return false;
    const uint16_t type = uint16_t(uint8_t(bytes[0]) | uint8_t(bytes[1]) << 8);
    const uint16_t size = uint16_t(uint8_t(bytes[2]) | uint8_t(bytes[3]) << 8);
    const uint16_t sheet = uint16_t(uint8_t(bytes[6]) | uint8_t(bytes[7]) << 8);
    // A BOF record of a sheet (or an Excel 4 workbook) of a plausible size.
    return xls::IsBof(type) && size >= 4 && size <= 20 &&
           (sheet == 0x0010 || sheet == 0x0020 || sheet == 0x0040 || sheet == 0x0100 || sheet == 0x0005);
}

Workbook ReadBiffStream(std::string_view bytes) { return xls::Reader(std::string(bytes), false).Read(); }

}  // namespace sheets
