// Excel 2, 3 and 4 files, built record by record: bare sheet streams, and
// Excel 4 workbooks whose sheets each carry their own styles.
#include <gtest/gtest.h>

#include "XlsTestStream.h"
#include "sheets/Failure.h"
#include "sheets/Loader.h"
#include "sheets/xls/XlsReader.h"

using namespace xlstest;
using namespace sheets;

namespace {

// An 8-bit counted string, as the oldest records hold their text.
std::string Byte8(const std::string& s) { return U8(uint8_t(s.size())) + s; }

std::string Bof(uint16_t type, uint16_t sheetType) { return Rec(type, U16(0) + U16(sheetType) + U16(0)); }

const std::string kEof = Rec(0x000A, "");

// Excel 3 and 4 fonts: height, flags, colour, name.
std::string Font34(uint16_t twips, uint16_t flags, uint16_t color, const std::string& name) {
    return Rec(0x0231, U16(twips) + U16(flags) + U16(color) + Byte8(name));
}

// An Excel 4 cell format: font, number format, type, alignment, used
// attributes, cell area, border.
std::string Xf4(uint8_t font, uint8_t numFmt, uint8_t align, uint16_t area = 0, uint32_t border = 0) {
    return Rec(0x0443, U8(font) + U8(numFmt) + U16(0x0001) + U8(align) + U8(0) + U16(area) + U32(border));
}

// An Excel 4 sheet: fonts, formats, cell formats, then the cells.
std::string Biff4Sheet(const std::string& cells) {
    return Bof(0x0409, 0x0010) + Rec(0x0042, U16(1252)) + Font34(200, 0, 0x7FFF, "Arial") +
           Font34(240, 0x0003, 10, "Times") + Rec(0x041E, U16(0) + Byte8("General")) +
           Rec(0x041E, U16(0) + Byte8("0.000")) + Rec(0x041E, U16(0) + Byte8("yyyy-mm-dd")) + Xf4(0, 0, 0x20) +
           Xf4(1, 1, 0x23, uint16_t(1 | 10 << 6), 0x00000001) + Xf4(0, 2, 0x20) + cells + kEof;
}

const Cell& At(const Workbook& wb, size_t sheet, uint32_t row, uint16_t col) {
    for (const Row& r : wb.sheets.at(sheet).rows)
        if (r.index == row)
            for (const Cell& c : r.cells)
                if (c.col == col) return c;
    throw std::out_of_range("no such cell");
}

}  // namespace

TEST(XlsOldFormats, Excel4SheetReadsCellsFormatsFontsAndLayout) {
    const std::string cells =
        Rec(0x007D, U16(1) + U16(2) + U16(20 * 256) + U16(0) + U16(0) + U16(0)) +
        Rec(0x0208, U16(3) + U16(0) + U16(2) + U16(600) + U16(0) + U16(0) + U16(0) + U16(0)) +
        Rec(0x0204, CellAt(0, 0, 0) + U16(5) + "\xC4pfel") + Rec(0x0203, CellAt(1, 1, 1) + F64(1.5)) +
        Rec(0x027E, CellAt(2, 1, 2) + U32(uint32_t(45000) << 2 | 2)) + Rec(0x0205, CellAt(3, 0, 0) + U8(1) + U8(0)) +
        Rec(0x0406, CellAt(4, 0, 0) + F64(7) + U16(0) + U32(0) + U16(0)) +
        Rec(0x0406, CellAt(5, 0, 0) + U8(0) + std::string(5, '\0') + U16(0xFFFF) + U16(0) + U32(0) + U16(0)) +
        Rec(0x0207, U16(2) + "ok");
    Workbook wb = LoadWorkbookFromMemory(Biff4Sheet(cells));
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(wb.sheets[0].name, "Sheet1");
    EXPECT_EQ(wb.strings[At(wb, 0, 0, 0).string].text, "Äpfel");
    const Cell& number = At(wb, 0, 1, 1);
    EXPECT_DOUBLE_EQ(number.number, 1.5);
    const CellFormat& f = wb.styles.formats.at(number.format);
    EXPECT_EQ(f.numFmt, "0.000");
    EXPECT_EQ(f.align.horizontal, HAlign::Right);
    const Font& font = wb.styles.fonts.at(f.font);
    EXPECT_EQ(font.name, "Times");
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_DOUBLE_EQ(font.size, 12);
    EXPECT_EQ(font.color, Color::Rgb(0xFF0000));
    EXPECT_EQ(wb.styles.fills.at(f.fill).pattern, Fill::Pattern::Solid);
    EXPECT_EQ(wb.styles.borders.at(f.border).top.style, BorderStyle::Thin);
    EXPECT_EQ(wb.styles.formats.at(At(wb, 0, 2, 1).format).numFmt, "yyyy-mm-dd");
    EXPECT_DOUBLE_EQ(At(wb, 0, 2, 1).number, 45000);
    EXPECT_EQ(At(wb, 0, 3, 0).type, CellType::Bool);
    EXPECT_DOUBLE_EQ(At(wb, 0, 4, 0).number, 7);
    EXPECT_EQ(wb.strings[At(wb, 0, 5, 0).string].text, "ok");
    ASSERT_EQ(wb.sheets[0].cols.size(), 1u);
    EXPECT_DOUBLE_EQ(wb.sheets[0].cols[0].width, 20);
    EXPECT_EQ(wb.sheets[0].cols[0].last, 2u);
    EXPECT_DOUBLE_EQ(wb.sheets[0].rows.at(3).height, 30);
}

TEST(XlsOldFormats, Excel4WorkbookBundlesSheetsWithTheirOwnStyles) {
    auto bundle = [](const std::string& name) { return Rec(0x008F, U32(0) + U16(0) + Byte8(name)); };
    const std::string first = Biff4Sheet(Rec(0x0203, CellAt(0, 0, 1) + F64(2)));
    // The second sheet's own formats: its cell format 1 is a percentage.
    const std::string second = Bof(0x0409, 0x0010) + Font34(200, 0, 0x7FFF, "Courier") +
                               Rec(0x041E, U16(0) + Byte8("General")) + Rec(0x041E, U16(0) + Byte8("0%")) +
                               Xf4(0, 0, 0x20) + Xf4(0, 1, 0x20) + Rec(0x0203, CellAt(0, 0, 1) + F64(0.5)) + kEof;
    const std::string book = Bof(0x0409, 0x0100) + bundle("Costs") + first + bundle("Rates") + second + kEof;
    Workbook wb = ReadXls(cfbtest::Write({{"Book", book}}).bytes);
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(wb.sheets[0].name, "Costs");
    EXPECT_EQ(wb.sheets[1].name, "Rates");
    EXPECT_EQ(wb.styles.formats.at(At(wb, 0, 0, 0).format).numFmt, "0.000");
    const CellFormat& rate = wb.styles.formats.at(At(wb, 1, 0, 0).format);
    EXPECT_EQ(rate.numFmt, "0%");
    EXPECT_EQ(wb.styles.fonts.at(rate.font).name, "Courier");
}

TEST(XlsOldFormats, Excel3And2Sheets) {
    // Excel 3: its own cell format record and formula record.
    const std::string xf3 = Rec(0x0243, U8(0) + U8(1) + U8(0) + U8(0) + U16(0x0002) + U16(0) + U32(0));
    const std::string biff3 = Bof(0x0209, 0x0010) + Font34(200, 0, 0x7FFF, "Arial") + Rec(0x001E, Byte8("General")) +
                              Rec(0x001E, Byte8("0.0")) + xf3 + Rec(0x0206, CellAt(0, 0, 0) + F64(2.25) + U16(0)) +
                              kEof;
    Workbook wb3 = LoadWorkbookFromMemory(biff3);
    const CellFormat& f3 = wb3.styles.formats.at(At(wb3, 0, 0, 0).format);
    EXPECT_EQ(f3.numFmt, "0.0");
    EXPECT_EQ(f3.align.horizontal, HAlign::Center);
    // Excel 2: cells carry three bytes of attributes (format 1 and font 1,
    // right aligned with a bottom border), text is counted in one byte.
    auto attr = [](uint8_t fmt, uint8_t font, uint8_t align) {
        return U8(0) + U8(uint8_t(fmt | font << 6)) + U8(align);
    };
    const std::string biff2 =
        Bof(0x0009, 0x0010) + Rec(0x0031, U16(200) + U16(0) + Byte8("Arial")) +
        Rec(0x0031, U16(200) + U16(0x0001) + Byte8("Bold")) + Rec(0x0045, U16(12)) + Rec(0x001E, Byte8("General")) +
        Rec(0x001E, Byte8("0.00")) + Rec(0x0024, U8(0) + U8(0) + U16(12 * 256)) +
        Rec(0x0003, U16(0) + U16(0) + attr(1, 1, 0x43) + F64(3.5)) +
        Rec(0x0002, U16(1) + U16(0) + attr(0, 0, 0) + U16(42)) +
        Rec(0x0004, U16(2) + U16(0) + attr(0, 0, 0) + Byte8("old")) +
        Rec(0x0005, U16(3) + U16(0) + attr(0, 0, 0) + U8(7) + U8(1)) +
        Rec(0x0006, U16(4) + U16(0) + attr(0, 0, 0) + U8(0) + std::string(5, '\0') + U16(0xFFFF) + U8(0) + U8(0)) +
        Rec(0x0007, Byte8("text")) + kEof;
    Workbook wb2 = LoadWorkbookFromMemory(biff2);
    const Cell& c = At(wb2, 0, 0, 0);
    EXPECT_DOUBLE_EQ(c.number, 3.5);
    const CellFormat& f2 = wb2.styles.formats.at(c.format);
    EXPECT_EQ(f2.numFmt, "0.00");
    EXPECT_EQ(f2.align.horizontal, HAlign::Right);
    EXPECT_EQ(wb2.styles.borders.at(f2.border).bottom.style, BorderStyle::Thin);
    EXPECT_TRUE(wb2.styles.fonts.at(f2.font).bold);
    EXPECT_EQ(wb2.styles.fonts.at(f2.font).color, Color::Rgb(0x0000FF));
    EXPECT_DOUBLE_EQ(At(wb2, 0, 1, 0).number, 42);
    EXPECT_EQ(wb2.strings[At(wb2, 0, 2, 0).string].text, "old");
    EXPECT_EQ(wb2.strings[At(wb2, 0, 3, 0).string].text, "#DIV/0!");
    EXPECT_EQ(wb2.strings[At(wb2, 0, 4, 0).string].text, "text");
    EXPECT_DOUBLE_EQ(wb2.sheets[0].cols.at(0).width, 12);
}

TEST(XlsOldFormats, DamagedOldStreamsKeepWhatTheyHold) {
    // A stream cut inside a cell, a format naming a missing font and
    // number format, and a sheet that is not the first record.
    std::string s = Biff4Sheet(Rec(0x0203, CellAt(0, 0, 0) + F64(1)) + Rec(0x0203, CellAt(1, 0, 0) + F64(2)));
    Workbook cut = LoadWorkbookFromMemory(s.substr(0, s.size() - 10));
    EXPECT_DOUBLE_EQ(At(cut, 0, 0, 0).number, 1);
    const std::string odd = Bof(0x0409, 0x0010) + Xf4(9, 40, 0x20) + Rec(0x0203, CellAt(0, 0, 0) + F64(1)) + kEof;
    Workbook wb = LoadWorkbookFromMemory(odd);
    EXPECT_EQ(wb.styles.formats.at(At(wb, 0, 0, 0).format).font, 0u);
    EXPECT_THAT(failure::Of([] { LoadWorkbookFromMemory(Bof(0x0409, 0x0100) + kEof); }),
                failure::FailsWith(ErrorKind::Damaged));
}
