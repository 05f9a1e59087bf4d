#include "sheets/xls/XlsReader.h"

#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "sheets/Errors.h"
#include "sheets/container/Cfb.h"
#include "sheets/xls/Book.h"
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
};

class Reader {
public:
    Reader(std::string stream, bool hasVba) {
        book_.stream = std::move(stream);
        book_.wb.hasVbaProject = hasVba;
    }
    Workbook Read();

private:
    void ReadGlobals(RecordReader& rr);

    Book book_;
    std::vector<SheetEntry> entries_;
    std::vector<std::string> names_;
    std::vector<Visibility> visibility_;
};

Workbook Reader::Read() {
    RecordReader rr(book_.stream);
    Record bof;
    if (!rr.Next(bof) || bof.type != rt::Bof || bof.data.size() < 4) {
        if (bof.type == rt::Biff4Bof || bof.type == rt::Biff3Bof || bof.type == rt::Biff2Bof)
            throw Error(ErrorKind::Unsupported, "Workbooks older than Excel 5 are not supported");
        throw Error(ErrorKind::Damaged, "The workbook stream does not begin with a workbook");
    }
    Bytes b(bof.data);
    const uint16_t version = b.U16();
    const uint16_t type = b.U16();
    if (type != 0x0005) throw Error(ErrorKind::Damaged, "The workbook stream does not begin with a workbook");
    book_.biff8 = version >= 0x0600;
    book_.ctx.biff8 = book_.biff8;
    book_.ctx.codePage = &book_.codePage;
    ReadGlobals(rr);
    book_.styles.Resolve(book_.wb.styles);
    for (const RichString& s : book_.wb.strings) CheckRuns(s, book_.wb.styles.fonts.size());

    // Sheet substreams in the order of the top-level BOF records, for sheets
    // whose recorded offset is wrong.
    std::vector<size_t> bofs;
    {
        RecordReader scan(book_.stream, rr.Offset());
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
        return at + 4 <= book_.stream.size() && uint8_t(book_.stream[at]) == 0x09 &&
               uint8_t(book_.stream[at + 1]) == 0x08;
    };

    book_.wb.sheets.resize(entries_.size());
    std::unordered_set<size_t> readOffsets;
    for (size_t i = 0; i < entries_.size(); ++i) {
        Sheet& sheet = book_.wb.sheets[i];
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
        ReadSheet(book_, at, sheet);
    }
    if (book_.wb.activeSheet >= book_.wb.sheets.size()) book_.wb.activeSheet = 0;
    if (book_.wb.sheets.empty()) throw Error(ErrorKind::Damaged, "The workbook has no sheets");
    return std::move(book_.wb);
}

void Reader::ReadGlobals(RecordReader& rr) {
    Record r;
    while (rr.Next(r)) {
        switch (r.type) {
        case rt::Eof: return;
        case rt::FilePass:
            if (!book_.biff8) throw PasswordError();
            DecryptWorkbookStream(book_.stream, r.offset);
            break;
        case rt::CodePage: {
            Bytes b(r.data);
            book_.codePage = CodePage(b.U16());
            break;
        }
        case rt::DateMode: {
            Bytes b(r.data);
            book_.wb.date1904 = b.U16() == 1;
            break;
        }
        case rt::Window1: {
            if (r.data.size() >= 12) {
                Bytes b(r.data);
                b.Skip(10);
                book_.wb.activeSheet = b.U16();
            }
            break;
        }
        case rt::Font: book_.styles.AddFont(r.data, book_.ctx); break;
        case rt::Format: book_.styles.AddFormat(r.data, book_.ctx); break;
        case rt::Palette: book_.styles.SetPalette(r.data); break;
        case rt::Xf: book_.styles.AddXf(r.data, book_.biff8); break;
        case rt::BoundSheet: {
            Bytes b(r.data);
            SheetEntry e;
            e.offset = b.U32();
            const uint8_t state = b.U8();
            e.type = b.U8();
            Continued rest({r.data.substr(b.Pos())});
            std::string name = ReadString(rest, book_.ctx, false).text;
            entries_.push_back(e);
            names_.push_back(std::move(name));
            visibility_.push_back((state & 3) == 1   ? Visibility::Hidden
                                  : (state & 3) == 2 ? Visibility::VeryHidden
                                                     : Visibility::Visible);
            break;
        }
        case rt::Sst: {
            auto pieces = WithContinues(rr, r.data);
            book_.wb.strings = ReadSst(std::move(pieces), book_.ctx);
            book_.sstCount = book_.wb.strings.size();
            break;
        }
        default: break;
        }
    }
}

}  // namespace
}  // namespace xls

Workbook ReadXls(std::string_view bytes) {
    Cfb cfb(bytes);
    std::optional<std::string> stream = cfb.ReadStream("Workbook");
    if (!stream) stream = cfb.ReadStream("Book");
    if (!stream) {
        if (cfb.Find("EncryptionInfo") || cfb.Find("EncryptedPackage")) throw PasswordError();
        throw Error(ErrorKind::NotAWorkbook, "The compound file holds no workbook");
    }
    const Cfb::Entry* vba = cfb.Find("_VBA_PROJECT_CUR");
    const bool hasVba = vba && vba->type == Cfb::EntryType::Storage;
    return xls::Reader(std::move(*stream), hasVba).Read();
}

}  // namespace sheets
