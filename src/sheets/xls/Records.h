#pragma once
// The record layer of the binary workbook stream: records, bounds-checked
// field reads, and reads that run on across CONTINUE records.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sheets::xls {

namespace rt {
constexpr uint16_t Formula = 0x0006, Eof = 0x000A, Continue = 0x003C, FilePass = 0x002F, CodePage = 0x0042,
                   DateMode = 0x0022, Window1 = 0x003D, Font = 0x0031, ColInfo = 0x007D, DefColWidth = 0x0055,
                   BoundSheet = 0x0085, Palette = 0x0092, StandardWidth = 0x0099, MulRk = 0x00BD, MulBlank = 0x00BE,
                   RString = 0x00D6, Xf = 0x00E0, Xf4 = 0x0443, MergedCells = 0x00E5, Sst = 0x00FC, LabelSst = 0x00FD,
                   HLink = 0x01B8, Blank = 0x0201, Number = 0x0203, Label = 0x0204, BoolErr = 0x0205, String = 0x0207,
                   Row = 0x0208, Window2 = 0x023E, Rk = 0x027E, DefaultRowHeight = 0x0225, Format = 0x041E,
                   Bof = 0x0809, HLinkTooltip = 0x0800, Formula4 = 0x0406, ShrFmla = 0x04BC, Array = 0x0221,
                   Table = 0x0236, Biff4Bof = 0x0409, Biff3Bof = 0x0209, Biff2Bof = 0x0009, Obj = 0x005D, Txo = 0x01B6,
                   Note = 0x001C, Formula3 = 0x0206, Font3 = 0x0231, Xf2 = 0x0043, Xf3 = 0x0243, FontColor = 0x0045,
                   Format2 = 0x001E, BundleHeader = 0x008F, ColWidth2 = 0x0024, DefaultRowHeight2 = 0x0025,
                   Window2Old = 0x003E, Ixfe2 = 0x0044, Dimensions = 0x0200, Dimensions2 = 0x0000,
                   MsoDrawingGroup = 0x00EB, MsoDrawing = 0x00EC;
// References to other sheets and workbooks.
constexpr uint16_t SupBook = 0x01AE, ExternSheet = 0x0017;
// Tables (shared features) and the workbook's table styles.
constexpr uint16_t Feature11 = 0x0872, List12 = 0x0877, Feature12 = 0x0878, Dxf = 0x088D, TableStyles = 0x088E,
                   TableStyle = 0x088F, TableStyleElement = 0x0890;
}  // namespace rt

// The cell records of the oldest files, with three bytes of cell attributes
// where later files name a cell format.
namespace rt2 {
constexpr uint16_t Blank = 0x0001, Integer = 0x0002, Number = 0x0003, Label = 0x0004, BoolErr = 0x0005,
                   Formula = 0x0006, String = 0x0007, Row = 0x0008;
}  // namespace rt2

// A BOF record of any version: 0x0009 (Excel 2), 0x0209 (3), 0x0409 (4),
// 0x0809 (5 and later).
inline bool IsBof(uint16_t type) { return type == 0x0009 || type == 0x0209 || type == 0x0409 || type == 0x0809; }

struct Record {
    uint16_t type = 0;
    std::string_view data;
    size_t offset = 0;  // of the header in the stream
};

// Walks the records of a stream. A record whose length is damaged (it runs
// past the stream, or past the largest record and onto bytes that are no
// record) is cut where whole records follow again; the walk ends where none
// do.
class RecordReader {
public:
    explicit RecordReader(std::string_view stream, size_t at = 0) : s_(stream), at_(at) {}
    bool AtEnd() const { return at_ + 4 > s_.size(); }
    // Next record; false at the end of the stream.
    bool Next(Record& r);
    // The type of the next record without consuming it; 0 at the end.
    uint16_t PeekType() const;
    size_t Offset() const { return at_; }
    void Seek(size_t at) { at_ = at; }
    // How many damaged lengths were passed over.
    size_t Resyncs() const { return resyncs_; }

private:
    bool Plausible(size_t at, int count) const;
    size_t Resync(size_t at, uint16_t type) const;
    std::string_view s_;
    size_t at_;
    uint16_t lastType_ = 0;
    size_t lastLength_ = 0;
    size_t resyncFrom_ = 0;
    size_t resyncs_ = 0;
};

[[noreturn]] void Truncated();

// Little-endian fields of one record (or one piece of it), bounds-checked.
class Bytes {
public:
    explicit Bytes(std::string_view d) : d_(d) {}
    size_t Left() const { return d_.size() - at_; }
    size_t Pos() const { return at_; }
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    double F64();
    std::string_view Take(size_t n);
    void Skip(size_t n) { Take(n); }

private:
    std::string_view d_;
    size_t at_ = 0;
};

// A record followed by its CONTINUE records, read as one run of bytes,
// except that character data split at a piece boundary starts the next piece
// with a fresh flag byte that says whether its characters are 8 or 16 bits.
class Continued {
public:
    explicit Continued(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}
    bool AtEnd();
    uint8_t U8();
    uint16_t U16();
    uint32_t U32();
    void Skip(size_t n);
    // `count` characters, 16-bit when `wide`, appended to `out` as UTF-16
    // code units.
    void Chars(size_t count, bool wide, std::u16string& out);

private:
    bool Fill();  // moves to the next piece when this one is used up
    std::vector<std::string_view> pieces_;
    size_t piece_ = 0, at_ = 0;
};

// A record's body and the bodies of the CONTINUE records right after it
// (which are consumed).
std::vector<std::string_view> WithContinues(RecordReader& rr, std::string_view first);

}  // namespace sheets::xls
