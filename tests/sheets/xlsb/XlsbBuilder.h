#pragma once
// Writes what the .xlsb reader reads, for its tests: record payloads field by
// field, records with their variable-length headers, and whole packages.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sheets/model/Workbook.h"

namespace xlsbtest {

// A record payload, little-endian.
class Bytes {
public:
    Bytes& U8(uint32_t v);
    Bytes& U16(uint32_t v);
    Bytes& U32(uint32_t v);
    Bytes& F64(double v);
    // An XLWideString: a 32-bit count of UTF-16 units, then the units.
    Bytes& Str(std::u16string_view s);
    Bytes& NullStr() { return U32(0xFFFFFFFF); }
    Bytes& Raw(std::string_view s);
    // A cell's column and style (the common head of every cell record).
    Bytes& Cell(uint32_t col, uint32_t style = 0) { return U32(col).U32(style); }
    // Four 32-bit numbers: first row, last row, first column, last column.
    Bytes& Range(uint32_t r1, uint32_t r2, uint32_t c1, uint32_t c2) { return U32(r1).U32(r2).U32(c1).U32(c2); }
    // A BrtColor: kind (0 automatic, 1 indexed, 2 RGB, 3 theme), index, tint
    // (-32767..32767) and RGB.
    Bytes& Color(uint32_t kind, uint32_t index = 0, int tint = 0, uint32_t rgb = 0);
    const std::string& str() const { return b_; }

private:
    std::string b_;
};

// A record: its type and size as 7-bit groups, then the payload.
std::string Rec(uint32_t type, const Bytes& payload = {});
std::string Rec(uint32_t type, std::string_view payload);

// Frequently written records.
std::string RowHdr(uint32_t row, uint32_t twips = 300, uint8_t flags = 0, uint32_t format = 0);
std::string SheetData(const std::string& rowsAndCells);  // wrapped in BrtBeginSheetData ... BrtEndSheetData
// A shared string; rich when it has runs (first UTF-16 unit, font index).
std::string SstItem(std::u16string_view text, const std::vector<std::pair<uint16_t, uint16_t>>& runs = {});
// A shared-strings part around the items.
std::string StringsPart(const std::vector<std::string>& items);
// A font: size in points, flags (bit 1 italic, bit 3 strike), weight (700
// bold), script (1 super, 2 sub), underline kind, colour, name.
std::string FontRec(double points, uint16_t flags = 0, uint16_t weight = 400, uint16_t script = 0,
                    uint8_t underline = 0, const Bytes& color = Bytes().Color(3, 1),
                    std::u16string_view name = u"Calibri");
std::string XfRec(uint16_t parent, uint16_t numFmt, uint16_t font, uint16_t fill = 0, uint16_t border = 0,
                  uint16_t alignFlags = 0x10, uint8_t rotation = 0, uint8_t indent = 0);

// A package around the parts. Empty parts are left out; the workbook part
// is made from the sheet names unless given.
struct Book {
    std::vector<std::string> sheetNames{"Sheet1"};
    std::vector<std::string> sheets;  // one record stream per name
    std::string styles, strings, workbook, theme;
    // More entries (added or replacing), e.g. a sheet's relationships.
    std::vector<std::pair<std::string, std::string>> extra;
};
std::string Package(const Book& book);

// The usual workbook part: the sheets in order (state 0 visible, 1 hidden,
// 2 very hidden; relationship ids rId1...), the 1904 flag, the active tab.
std::string WorkbookPart(const std::vector<std::string>& names, const std::vector<uint32_t>& states = {},
                         bool date1904 = false, uint32_t activeTab = 0);
// The records of a styles part, each list in its block.
struct Styles {
    std::vector<std::string> numFmts, fonts{FontRec(11)}, fills, borders;
    std::vector<std::string> styleXfs{XfRec(0xFFFF, 0, 0)}, cellXfs{XfRec(0, 0, 0)};
    std::vector<uint32_t> palette;  // indexed colours, RGB
};
std::string StylesPart(const Styles& styles);

// A workbook of one sheet with these cells, read by the loader.
sheets::Workbook LoadSheet(const std::string& sheetRecords, const std::string& strings = "",
                           const std::string& styles = "");

}  // namespace xlsbtest
