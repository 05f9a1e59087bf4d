#include "sheets/xls/Tables.h"

#include "text/Utf16.h"

namespace sheets::xls {
namespace {

constexpr size_t kFrtHeader = 12;
constexpr uint16_t kListFeature = 5;
constexpr uint16_t kStyleInfo = 1;
constexpr uint32_t kLastRow = 65535, kLastColumn = 255;
// More would be damage: a sheet's tables never overlap, and the page styles
// no more than this anyway.
constexpr size_t kMaxTables = 4096;

// A string with a 16-bit count and a flag byte: 8-bit (Latin-1) or 16-bit
// characters.
std::string ShortString(Bytes& in) {
    const uint16_t count = in.U16();
    const bool wide = in.U8() & 0x01;
    std::u16string units;
    for (uint16_t i = 0; i < count; ++i) units.push_back(wide ? char16_t(in.U16()) : char16_t(in.U8()));
    return text::Utf16ToUtf8(units);
}

}  // namespace

bool TableRecords::Read(const Record& r) {
    switch (r.type) {
    case rt::Feature11:
    case rt::Feature12: Feature(r.data); return true;
    case rt::List12: StyleInfo(r.data); return true;
    default: return false;
    }
}

void TableRecords::Feature(std::string_view data) {
    Bytes in(data);
    in.Skip(kFrtHeader);
    if (in.U16() != kListFeature) return;
    in.Skip(1 + 4);
    const uint16_t ranges = in.U16();
    in.U32();  // the size of the table's data, which may run on in later records
    in.Skip(2);
    if (ranges == 0 || ranges > in.Left() / 8) return;
    Table t;
    t.range.row1 = in.U16();
    t.range.row2 = in.U16();
    t.range.col1 = in.U16();
    t.range.col2 = in.U16();
    in.Skip(size_t(ranges - 1) * 8);
    in.U32();  // the data's source
    const uint32_t id = in.U32();
    t.headerRows = in.U32();
    t.totalRows = in.U32();
    const Range& g = t.range;
    if (g.row1 > g.row2 || g.col1 > g.col2 || g.row2 > kLastRow || g.col2 > kLastColumn) return;
    if (uint64_t(t.headerRows) + t.totalRows > uint64_t(g.row2 - g.row1) + 1) return;
    if (sheet_.tables.size() >= kMaxTables) return;
    // Until a style record says otherwise the table shows plain.
    t.style.clear();
    byId_[id] = sheet_.tables.size();
    sheet_.tables.push_back(std::move(t));
}

void TableRecords::StyleInfo(std::string_view data) {
    Bytes in(data);
    in.Skip(kFrtHeader);
    const uint16_t kind = in.U16();
    const auto it = byId_.find(in.U32());
    if (kind != kStyleInfo || it == byId_.end()) return;
    const uint16_t flags = in.U16();
    std::string name = ShortString(in);
    Table& t = sheet_.tables[it->second];
    t.firstColumn = flags & 0x1;
    t.lastColumn = flags & 0x2;
    t.rowStripes = flags & 0x4;
    t.columnStripes = flags & 0x8;
    const bool useDefault = flags & 0x40;
    if (!name.empty() || !useDefault) t.style = std::move(name);
    else t.style = defaultStyle_.empty() ? "TableStyleMedium9" : defaultStyle_;  // the format's own default
}

}  // namespace sheets::xls
