#include "sheets/xls/SheetBuilder.h"

#include <algorithm>
#include <cstring>

#include "sheets/Errors.h"
#include "sheets/xls/Records.h"
#include "text/Utf16.h"

namespace sheets::xls {

Row& SheetBuilder::RowAt(uint32_t row) {
    // Records come row by row almost always: try the last row first.
    if (last_ < sheet_.rows.size() && sheet_.rows[last_].index == row) return sheet_.rows[last_];
    auto& rows = sheet_.rows;
    if (!outOfOrder_) {
        // Rows in ascending order need no table to find them again.
        if (rows.empty() || row > rows.back().index) {
            rows.emplace_back().index = row;
            last_ = rows.size() - 1;
            return rows.back();
        }
        outOfOrder_ = true;
        for (size_t i = 0; i < rows.size(); ++i) rowAt_.emplace(rows[i].index, i);
    }
    auto [it, added] = rowAt_.try_emplace(row, sheet_.rows.size());
    if (added) {
        sheet_.rows.emplace_back();
        sheet_.rows.back().index = row;
    }
    last_ = it->second;
    return sheet_.rows[last_];
}

void SheetBuilder::Add(uint32_t row, const Cell& cell) {
    if (cell.col > 16383) return;  // past the sheet's last column: that cell is lost, not the sheet
    if (++cells_ > kMaxCells)
        throw Error(ErrorKind::TooLarge, "The workbook is too large to read (over 32 million cells)");
    RowAt(row).cells.push_back(cell);
}

void SheetBuilder::SetTooltip(std::string text) {
    if (!sheet_.links.empty()) sheet_.links.back().tooltip = std::move(text);
}

void SheetBuilder::Finish() {
    auto& rows = sheet_.rows;
    if (outOfOrder_)
        std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.index < b.index; });
    for (Row& r : rows) {
        auto& cs = r.cells;
        bool sorted = true;
        for (size_t i = 1; i < cs.size() && sorted; ++i) sorted = cs[i - 1].col < cs[i].col;
        if (sorted) continue;
        std::stable_sort(cs.begin(), cs.end(), [](const Cell& a, const Cell& b) { return a.col < b.col; });
        // Keep the last record written for a cell.
        size_t out = 0;
        for (size_t i = 0; i < cs.size(); ++i) {
            if (out > 0 && cs[out - 1].col == cs[i].col) cs[out - 1] = cs[i];
            else cs[out++] = cs[i];
        }
        cs.resize(out);
    }
    auto& cols = sheet_.cols;
    std::stable_sort(cols.begin(), cols.end(),
                     [](const ColumnInfo& a, const ColumnInfo& b) { return a.first < b.first; });
    std::vector<ColumnInfo> disjoint;
    for (ColumnInfo c : cols) {
        if (!disjoint.empty() && c.first <= disjoint.back().last) c.first = disjoint.back().last + 1;
        if (c.first > c.last) continue;
        disjoint.push_back(c);
    }
    cols = std::move(disjoint);
}

namespace {

std::string ZeroEndedUtf16(std::string_view raw) {
    std::u16string u;
    for (size_t i = 0; i + 1 < raw.size(); i += 2) {
        char16_t c = char16_t(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8);
        if (c == 0) break;
        u += c;
    }
    return text::Utf16ToUtf8(u);
}

// A counted UTF-16 string; the count includes a terminating zero.
std::string CountedString(Bytes& b) {
    const uint32_t n = b.U32();
    if (n > b.Left() / 2) Truncated();
    return ZeroEndedUtf16(b.Take(size_t(n) * 2));
}

constexpr unsigned char kUrlMoniker[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                           0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr unsigned char kFileMoniker[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

}  // namespace

Hyperlink ReadHyperlink(std::string_view data) {
    Bytes b(data);
    Hyperlink link;
    link.range.row1 = b.U16();
    link.range.row2 = b.U16();
    link.range.col1 = b.U16();
    link.range.col2 = b.U16();
    link.range.row2 = std::max(link.range.row1, link.range.row2);
    link.range.col2 = std::max(link.range.col1, link.range.col2);
    b.Skip(16);  // class id
    b.U32();  // stream version
    const uint32_t flags = b.U32();
    if (flags & 0x10) CountedString(b);  // display name: the cell shows its own text
    if (flags & 0x80) CountedString(b);  // target frame
    if (flags & 0x01) {
        if (flags & 0x100) {
            link.target = CountedString(b);
        } else {
            std::string_view clsid = b.Take(16);
            if (std::memcmp(clsid.data(), kUrlMoniker, 16) == 0) {
                const uint32_t len = b.U32();
                link.target = ZeroEndedUtf16(b.Take(len));
            } else if (std::memcmp(clsid.data(), kFileMoniker, 16) == 0) {
                const uint16_t up = b.U16();
                const uint32_t ansiLen = b.U32();
                std::string_view ansi = b.Take(ansiLen);
                b.U16();  // end server
                b.U16();  // version
                b.Skip(20);  // reserved
                std::string path;
                if (b.U32() > 0) {
                    const uint32_t bytes = b.U32();
                    b.U16();  // key value
                    path = ZeroEndedUtf16(b.Take(bytes));
                } else {
                    path.assign(ansi.substr(0, ansi.find('\0')));
                    // Short paths are in the system's 8-bit code page:
                    // keep the ASCII and mark the rest.
                    for (char& c : path)
                        if (uint8_t(c) >= 0x80) c = '?';
                }
                std::string prefix;
                for (uint16_t i = 0; i < up && i < 256; ++i) prefix += "../";
                link.target = prefix + path;
            } else {
                return link;  // a moniker of another kind: its length is unknown
            }
        }
    }
    if (flags & 0x08) link.location = CountedString(b);
    return link;
}

std::string ReadHyperlinkTooltip(std::string_view data) {
    if (data.size() < 10) return {};
    return ZeroEndedUtf16(data.substr(10));
}

}  // namespace sheets::xls
