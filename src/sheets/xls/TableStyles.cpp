#include "sheets/xls/TableStyles.h"

#include <algorithm>

#include "sheets/model/BinaryCodes.h"
#include "sheets/xlsx/BuiltinTableStyles.h"
#include "text/Utf16.h"

namespace sheets::xls {
namespace {

constexpr size_t kFrtHeader = 12;
// A style has one element per area at most; the format allows 28 with the
// pivot-table areas.
constexpr uint32_t kMaxElements = 28;
constexpr uint16_t kMaxName = 255;

std::string WideChars(Bytes& in, uint16_t count) {
    std::u16string units;
    for (uint16_t i = 0; i < count; ++i) units.push_back(char16_t(in.U16()));
    return text::Utf16ToUtf8(units);
}

}  // namespace

bool TableStyleRecords::Read(const Record& r) {
    Bytes in(r.data);
    switch (r.type) {
    case rt::TableStyles: {
        in.Skip(kFrtHeader);
        in.U32();  // how many styles the workbook knows, built-in ones included
        const uint16_t table = in.U16();
        in.U16();  // the pivot tables' default
        if (table <= kMaxName) default_ = WideChars(in, table);
        return true;
    }
    case rt::TableStyle: BeginStyle(in); return true;
    case rt::TableStyleElement: AddElement(in); return true;
    case rt::Dxf: {
        in.Skip(kFrtHeader);
        xlsb::Payload rest(in.Take(in.Left()));
        diffs_.push_back(xlsb::ReadDiffSpec(rest));
        return true;
    }
    default: return false;
    }
}

void TableStyleRecords::BeginStyle(Bytes& in) {
    elementsLeft_ = 0;
    in.Skip(kFrtHeader);
    const uint16_t flags = in.U16();
    const uint32_t count = in.U32();
    const uint16_t length = in.U16();
    if (length == 0 || length > kMaxName) return;
    std::string name = WideChars(in, length);
    // Pivot-only styles never format a table.
    if ((flags & 0x2) && !(flags & 0x4)) return;
    styles_.push_back(TableStyle{std::move(name), {}});
    elementsLeft_ = std::min(count, kMaxElements);
}

void TableStyleRecords::AddElement(Bytes& in) {
    if (elementsLeft_ == 0) return;
    --elementsLeft_;
    in.Skip(kFrtHeader);
    const uint32_t type = in.U32(), size = in.U32(), dxf = in.U32();
    TableArea area;
    if (!TableAreaOfCode(type, area)) return;  // a pivot table's area
    styles_.back().elements.push_back(
        TableStyleElement{area, dxf <= INT32_MAX ? int32_t(dxf) : -1, std::clamp<uint32_t>(size, 1, 1u << 20)});
}

void TableStyleRecords::Resolve(const StyleTable& styles, Workbook& wb) {
    xlsx::ColorResolver colors;
    std::vector<uint32_t> palette;
    for (uint32_t i = 0; i < 64; ++i) palette.push_back(styles.PaletteColor(i).rgb);
    colors.SetIndexed(palette);
    // Conditional formats have put theirs in the workbook's list already.
    const size_t base = wb.styles.diffs.size();
    for (const xlsb::DiffSpec& d : diffs_) wb.styles.diffs.push_back(xlsb::ResolveDiff(d, colors));
    for (TableStyle& s : styles_)
        for (TableStyleElement& e : s.elements)
            e.diff = e.diff >= 0 && size_t(e.diff) < diffs_.size() && base + size_t(e.diff) <= INT32_MAX
                         ? int32_t(base + size_t(e.diff))
                         : -1;
    wb.styles.tableStyles = std::move(styles_);
    wb.styles.defaultTableStyle = default_;
    xlsx::AddBuiltinTableStyles(colors, wb);
}

}  // namespace sheets::xls
