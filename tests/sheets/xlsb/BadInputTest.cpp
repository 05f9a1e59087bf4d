// Damaged and hostile input: the bad record is passed over and the rest of
// the workbook read, as a spreadsheet program would still show it; only a
// workbook with nothing to show fails, with a short message.
#include <gtest/gtest.h>

#include "../Failure.h"
#include "../xlsx/XlsxFixtures.h"
#include "XlsbBuilder.h"
#include "sheets/Errors.h"
#include "sheets/Loader.h"
#include "sheets/xlsb/RecordTypes.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;
using failure::FailsWith;
using fixtures::CellAt;
using fixtures::TextOf;
using testing::HasSubstr;

namespace {

std::string Rk(uint32_t col, int value, uint32_t style = 0) {
    return Rec(rt::CellRk, Bytes().Cell(col, style).U32(uint32_t(value) << 2 | 2));
}

}  // namespace

TEST(XlsbBadInput, RecordRunningPastItsPartEndsThePartNotTheWorkbook) {
    // The last cell claims 200 bytes; the part ends after 12.
    const std::string sheet = Rec(rt::BeginSheetData) + RowHdr(0) + Rk(0, 1) + Rk(1, 2) +
                              std::string("\x02\xC8\x01", 3) + std::string(12, '\0');
    Book b;
    b.sheetNames = {"Cut", "Fine"};
    b.sheets = {sheet, SheetData(RowHdr(0) + Rk(0, 3))};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    ASSERT_EQ(wb.sheets.size(), 2u);
    ASSERT_EQ(wb.sheets[0].rows.size(), 1u);
    EXPECT_EQ(wb.sheets[0].rows[0].cells.size(), 2u);
    EXPECT_EQ(CellAt(wb.sheets[1], 0, 0)->number, 3.0);
}

TEST(XlsbBadInput, ImpossibleRowsAndColumnsAreLeftOut) {
    const std::string data = RowHdr(0) + Rk(0, 1) + Rec(rt::CellRk, Bytes().Cell(16384).U32(0x3FF00000)) +
                             Rec(rt::CellRk, Bytes().Cell(0xFFFFFFFF).U32(0x3FF00000)) + RowHdr(1048576) + Rk(0, 2) +
                             Rk(1, 3) +  // the row and its cells
                             RowHdr(0xFFFFFFFF) + Rk(0, 4) + RowHdr(7) + Rk(2, 5);
    const std::string outside =
        Rec(177) + Rec(rt::MergeCell, Bytes().Range(0, 1048576, 0, 1)) +
        Rec(rt::MergeCell, Bytes().Range(0, 1, 0, 16384)) + Rec(178) +
        Rec(rt::HLink, Bytes().Range(2000000, 2000000, 0, 0).Str(u"").Str(u"A1").Str(u"").Str(u"")) +
        Rec(rt::ColInfo, Bytes().U32(16384).U32(16390).U32(2560).U32(0).U16(0)) +
        Rec(rt::ColInfo, Bytes().U32(5).U32(3).U32(2560).U32(0).U16(0)) +
        Rec(rt::ColInfo, Bytes().U32(16000).U32(0xFFFFFFFF).U32(2560).U32(0).U16(0));
    const Workbook wb = LoadSheet(SheetData(data) + outside);
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0].cells.size(), 1u);
    EXPECT_EQ(s.rows[1].index, 7u);
    EXPECT_EQ(CellAt(s, 7, 2)->number, 5.0);
    EXPECT_TRUE(s.merges.empty());
    EXPECT_TRUE(s.links.empty());
    ASSERT_EQ(s.cols.size(), 1u);  // the last one, cut at the sheet's edge
    EXPECT_EQ(s.cols[0].first, 16000u);
    EXPECT_EQ(s.cols[0].last, 16383u);
}

TEST(XlsbBadInput, StringIndexOutOfRangeLeavesOutTheCell) {
    const std::string data = RowHdr(0) + Rec(rt::CellIsst, Bytes().Cell(0).U32(0)) +
                             Rec(rt::CellIsst, Bytes().Cell(1).U32(1)) +
                             Rec(rt::CellIsst, Bytes().Cell(2).U32(0xFFFFFFFF));
    const Workbook wb = LoadSheet(SheetData(data), StringsPart({SstItem(u"only")}));
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.at(0).cells.size(), 1u);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 0)), "only");
}

TEST(XlsbBadInput, StyleIndexPastTheTableKeepsTheValueInTheDefaultFormat) {
    const std::string data = RowHdr(0, 300, 0x40, 500) + Rk(0, 1, 1) + Rk(1, 2, 0xFFFFFF) +
                             Rec(rt::CellBlank, Bytes().Cell(2, 77)) +
                             Rec(rt::ColInfo, Bytes().U32(0).U32(0).U32(2560).U32(9).U16(0));
    xlsbtest::Styles st;
    st.cellXfs.push_back(XfRec(0, 10, 0));
    const Workbook wb = LoadSheet(SheetData(data), "", StylesPart(st));
    const Sheet& s = wb.sheets.at(0);
    EXPECT_EQ(s.rows.at(0).format, -1);
    EXPECT_EQ(CellAt(s, 0, 0)->format, 1u);
    EXPECT_EQ(CellAt(s, 0, 1)->number, 2.0);
    EXPECT_EQ(CellAt(s, 0, 1)->format, 0u);
    EXPECT_EQ(CellAt(s, 0, 2), nullptr);  // a blank is nothing without its format
}

TEST(XlsbBadInput, RecordsCutShortAreLeftOut) {
    // Each record here is shorter than its structure; the last cell is whole.
    const std::string data =
        RowHdr(0) + Rec(rt::CellRk, Bytes().Cell(0).U16(1)) + Rec(rt::CellReal, Bytes().Cell(1).U32(0)) +
        Rec(rt::CellSt, Bytes().Cell(2).U32(50).U16('a')) + Rec(rt::CellIsst, Bytes().U32(3)) +
        Rec(rt::CellRString, Bytes().Cell(4).U8(1).Str(u"ab").U32(9).U16(0)) + Rec(rt::CellError, Bytes().Cell(5)) +
        Rec(rt::CellReal, Bytes().Cell(6).F64(2.5)) + Rec(rt::RowHdr, Bytes().U32(1)) +
        Rk(0, 9);  // a row header cut short: no row for its cells
    const Workbook wb = LoadSheet(SheetData(data), StringsPart({SstItem(u"s")}));
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.size(), 1u);
    ASSERT_EQ(s.rows[0].cells.size(), 1u);
    EXPECT_EQ(CellAt(s, 0, 6)->number, 2.5);
}

TEST(XlsbBadInput, OddValuesAreNotShown) {
    // Non-finite numbers and unknown error codes cannot be shown as anything.
    const std::string data =
        RowHdr(0) + Rec(rt::CellReal, Bytes().Cell(0).F64(1.0 / 0.0)) +
        Rec(rt::FmlaNum, Bytes().Cell(1).Raw(std::string("\0\0\0\0\0\0\xF8\x7F", 8)).U16(0).U32(0)) +
        Rec(rt::CellError, Bytes().Cell(2).U8(0x55)) + Rec(rt::CellError, Bytes().Cell(3).U8(0x17)) +
        Rec(rt::CellError, Bytes().Cell(4).U8(0x17));
    const Workbook wb = LoadSheet(SheetData(data));
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.at(0).cells.size(), 2u);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 3)), "#REF!");
    EXPECT_EQ(CellAt(s, 0, 3)->string, CellAt(s, 0, 4)->string);  // one string for every #REF!
}

TEST(XlsbBadInput, DamagedSharedStringKeepsTheIndicesAfterIt) {
    const std::string strings =
        StringsPart({SstItem(u"zero"), Rec(rt::SSTItem, Bytes().U8(0).U32(40)), SstItem(u"two")});
    const Workbook wb = LoadSheet(SheetData(RowHdr(0) + Rec(rt::CellIsst, Bytes().Cell(0).U32(2))), strings);
    ASSERT_EQ(wb.strings.size(), 3u);
    EXPECT_EQ(wb.strings[1].text, "");
    EXPECT_EQ(TextOf(wb, *CellAt(wb.sheets[0], 0, 0)), "two");
}

TEST(XlsbBadInput, DamagedStylesLeaveTheDefaults) {
    // Fonts, fills, borders and formats cut short; a table that claims
    // billions of entries; garbage after the part's last whole record.
    const std::string styles = Rec(278) + Rec(rt::Font, Bytes().U16(220)) + Rec(rt::Fill, Bytes().U32(1)) +
                               Rec(rt::Border, Bytes().U8(0)) + Rec(rt::BeginCellXFs, Bytes().U32(0xFFFFFFFF)) +
                               Rec(rt::XF, Bytes().U16(0)) + XfRec(0, 14, 0) + Rec(rt::EndCellXFs) +
                               Rec(rt::Fmt, Bytes().U16(164).U32(1000)) + std::string("\x2F\x90", 2);
    const Workbook wb = LoadSheet(SheetData(RowHdr(0) + Rk(0, 1)), "", styles);
    EXPECT_EQ(wb.styles.fonts.size(), 1u);
    EXPECT_EQ(wb.styles.fills.size(), 1u);
    EXPECT_EQ(wb.styles.borders.size(), 1u);
    ASSERT_EQ(wb.styles.formats.size(), 1u);
    EXPECT_EQ(wb.styles.formats[0].numFmt, "m/d/yyyy");
}

TEST(XlsbBadInput, SheetsNamingAPartAlreadyReadAreLeftOut) {
    // Three entries on one part, then one on its own.
    Book b;
    // The fourth entry is the active one: the second sheet.
    b.workbook = Rec(131) + Rec(158, Bytes().U32(0).U32(0).U32(0).U32(0).U32(0).U32(0).U32(3).U8(0)) +
                 Rec(rt::BundleSh, Bytes().U32(0).U32(1).Str(u"rId1").Str(u"A")) +
                 Rec(rt::BundleSh, Bytes().U32(0).U32(2).Str(u"rId1").Str(u"B")) +
                 Rec(rt::BundleSh, Bytes().U32(0).U32(3).Str(u"rId1").Str(u"C")) +
                 Rec(rt::BundleSh, Bytes().U32(0).U32(4).Str(u"rId2").Str(u"D")) + Rec(132);
    b.sheets = {SheetData(RowHdr(0) + Rk(0, 1)), SheetData("")};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(wb.sheets[0].name, "A");
    EXPECT_EQ(wb.sheets[1].name, "D");
    EXPECT_EQ(wb.activeSheet, 1u);
}

TEST(XlsbBadInput, WorkbookWithoutSheetsOrWithAMissingSheetPartFails) {
    auto load = [](const Book& b) { return failure::Of([&] { LoadWorkbookFromMemory(Package(b)); }); };
    Book none;
    none.sheetNames = {};
    none.workbook = Rec(131) + Rec(rt::BundleSh, Bytes().U32(0).U32(1).Str(u"rId1")) + Rec(132);  // cut short
    EXPECT_THAT(load(none), FailsWith(ErrorKind::Damaged, "The workbook is damaged (it has no sheets)"));
    Book missing;
    missing.sheetNames = {"Gone"};
    missing.workbook = WorkbookPart({"Gone"});
    EXPECT_THAT(load(missing), FailsWith(ErrorKind::Damaged, HasSubstr("\"Gone\" is missing")));
    // Not records at all.
    Book garbage;
    garbage.workbook = std::string(64, '\xFF');
    garbage.sheets = {SheetData("")};
    EXPECT_THAT(load(garbage), FailsWith(ErrorKind::Damaged));
}
