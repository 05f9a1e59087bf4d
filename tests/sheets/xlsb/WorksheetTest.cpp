// A worksheet part: every cell record, rows, columns, sheet defaults, merged
// ranges, links, the view, and what lies outside the sheet data.
#include <gtest/gtest.h>

#include "../xlsx/XlsxFixtures.h"
#include "XlsbBuilder.h"
#include "sheets/Loader.h"
#include "sheets/xlsb/RecordTypes.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;
using fixtures::CellAt;
using fixtures::TextOf;

namespace {

std::string TwoFormats() {
    xlsbtest::Styles st;
    st.cellXfs.push_back(XfRec(0, 14, 0));  // a date
    st.cellXfs.push_back(XfRec(0, 2, 0));  // 0.00
    return StylesPart(st);
}

}  // namespace

TEST(XlsbWorksheet, EveryKindOfCell) {
    const std::string strings = StringsPart({SstItem(u"shared"), SstItem(u"second")});
    const std::string cells =
        RowHdr(0) + Rec(rt::CellBlank, Bytes().Cell(0, 1)) + Rec(rt::CellBlank, Bytes().Cell(1)) +
        Rec(rt::CellRk, Bytes().Cell(2).U32(0x3FF00000)) + Rec(rt::CellError, Bytes().Cell(3).U8(0x07)) +
        Rec(rt::CellBool, Bytes().Cell(4).U8(1)) + Rec(rt::CellReal, Bytes().Cell(5, 2).F64(3.25)) +
        Rec(rt::CellSt, Bytes().Cell(6).Str(u"inline \u00e9")) + Rec(rt::CellIsst, Bytes().Cell(7).U32(1)) + RowHdr(1) +
        Rec(rt::FmlaString, Bytes().Cell(0).Str(u"ab").U16(0).U32(0)) +
        Rec(rt::FmlaString, Bytes().Cell(1).Str(u"").U16(0).U32(0)) +
        Rec(rt::FmlaNum, Bytes().Cell(2).F64(-7.5).U16(0).U32(0)) +
        Rec(rt::FmlaBool, Bytes().Cell(3).U8(0).U16(0).U32(0)) +
        Rec(rt::FmlaError, Bytes().Cell(4).U8(0x2A).U16(0).U32(0)) +
        Rec(rt::CellRString, Bytes().Cell(5).U8(0).Str(u"rich").U32(0));
    const Workbook wb = LoadSheet(SheetData(cells), strings, TwoFormats());
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.size(), 2u);
    const Cell* styledBlank = CellAt(s, 0, 0);
    ASSERT_TRUE(styledBlank);
    EXPECT_EQ(styledBlank->type, CellType::Blank);
    EXPECT_EQ(styledBlank->format, 1u);
    EXPECT_EQ(CellAt(s, 0, 1), nullptr);  // a blank without a format is nothing
    EXPECT_EQ(CellAt(s, 0, 2)->number, 1.0);
    EXPECT_EQ(CellAt(s, 0, 3)->type, CellType::Error);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 3)), "#DIV/0!");
    EXPECT_TRUE(CellAt(s, 0, 4)->boolean);
    EXPECT_EQ(CellAt(s, 0, 5)->number, 3.25);
    EXPECT_EQ(CellAt(s, 0, 5)->format, 2u);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 6)), "inline \xC3\xA9");
    EXPECT_EQ(CellAt(s, 0, 7)->string, 1u);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 0)), "ab");
    ASSERT_EQ(CellAt(s, 1, 1)->type, CellType::String);  // an empty formula result is still text
    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 1)), "");
    EXPECT_EQ(CellAt(s, 1, 2)->number, -7.5);
    EXPECT_EQ(CellAt(s, 1, 3)->type, CellType::Bool);
    EXPECT_FALSE(CellAt(s, 1, 3)->boolean);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 4)), "#N/A");
    EXPECT_EQ(TextOf(wb, *CellAt(s, 1, 5)), "rich");
}

TEST(XlsbWorksheet, ShortCellRecordsTakeTheColumnAfterThePreviousCell) {
    // Records without a column: the first of a row is in column A.
    const std::string strings = StringsPart({SstItem(u"s")});
    const std::string cells = RowHdr(0) + Rec(rt::ShortRk, Bytes().U32(0).U32(0x3FF00000)) +
                              Rec(rt::ShortReal, Bytes().U32(2).F64(2.5)) + Rec(rt::ShortSt, Bytes().U32(0).Str(u"t")) +
                              Rec(rt::CellBool, Bytes().Cell(10).U8(1)) + Rec(rt::ShortBool, Bytes().U32(0).U8(0)) +
                              Rec(rt::ShortError, Bytes().U32(0).U8(0x24)) + Rec(rt::ShortIsst, Bytes().U32(0).U32(0)) +
                              Rec(rt::ShortBlank, Bytes().U32(1)) + RowHdr(1) +
                              Rec(rt::ShortRk, Bytes().U32(0).U32(0x40000000));
    const Workbook wb = LoadSheet(SheetData(cells), strings, TwoFormats());
    const Sheet& s = wb.sheets.at(0);
    EXPECT_EQ(CellAt(s, 0, 0)->number, 1.0);
    EXPECT_EQ(CellAt(s, 0, 1)->number, 2.5);
    EXPECT_EQ(CellAt(s, 0, 1)->format, 2u);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 2)), "t");
    EXPECT_TRUE(CellAt(s, 0, 10)->boolean);
    EXPECT_FALSE(CellAt(s, 0, 11)->boolean);
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 12)), "#NUM!");
    EXPECT_EQ(TextOf(wb, *CellAt(s, 0, 13)), "s");
    EXPECT_EQ(CellAt(s, 0, 14)->format, 1u);
    EXPECT_EQ(CellAt(s, 1, 0)->number, 2.0);
}

TEST(XlsbWorksheet, SheetsOwnTextsAreKeptOnceEach) {
    const std::string cells = RowHdr(0) + Rec(rt::CellSt, Bytes().Cell(0).Str(u"same")) +
                              Rec(rt::FmlaString, Bytes().Cell(1).Str(u"same").U16(0).U32(0)) +
                              Rec(rt::CellSt, Bytes().Cell(2).Str(u"other"));
    Book b;
    b.sheetNames = {"A", "B"};
    b.sheets = {SheetData(cells), SheetData(RowHdr(3) + Rec(rt::ShortSt, Bytes().U32(0).Str(u"same")))};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    EXPECT_EQ(wb.strings.size(), 2u);
    const uint32_t same = CellAt(wb.sheets[0], 0, 0)->string;
    EXPECT_EQ(CellAt(wb.sheets[0], 0, 1)->string, same);
    EXPECT_EQ(CellAt(wb.sheets[1], 3, 0)->string, same);
    EXPECT_NE(CellAt(wb.sheets[0], 0, 2)->string, same);
}

TEST(XlsbWorksheet, RichCellRunsNameStyleFonts) {
    xlsbtest::Styles st;
    st.fonts.push_back(FontRec(11, 0, 700));
    // "ab€cd": runs from unit 0 in the bold font and from unit 2 in the
    // default font; the text is UTF-8, so the second run starts at byte 2.
    const Workbook wb = LoadSheet(
        SheetData(RowHdr(0) +
                  Rec(rt::CellRString, Bytes().Cell(0).U8(1).Str(u"ab\u20accd").U32(2).U16(0).U16(1).U16(2).U16(0))),
        "", StylesPart(st));
    const RichString& r = wb.strings.at(CellAt(wb.sheets[0], 0, 0)->string);
    ASSERT_EQ(r.runs.size(), 2u);
    EXPECT_EQ(r.runs[0].start, 0u);
    EXPECT_EQ(r.runs[0].length, 2u);
    EXPECT_TRUE(wb.styles.fonts.at(r.runs[0].font).bold);
    EXPECT_EQ(r.runs[1].start, 2u);
    EXPECT_EQ(r.runs[1].length, 5u);
    EXPECT_EQ(r.runs[1].font, 0u);
}

TEST(XlsbWorksheet, RowsColumnsAndSheetDefaults) {
    const std::string fmtInfo = Rec(rt::WsFmtInfo, Bytes().U32(0xFFFFFFFF).U16(10).U16(400).U16(0).U16(0));
    const std::string cols = Rec(390) + Rec(rt::ColInfo, Bytes().U32(0).U32(0).U32(2742).U32(0).U16(0x02)) +
                             Rec(rt::ColInfo, Bytes().U32(2).U32(4).U32(0).U32(1).U16(0x01)) + Rec(391);
    const std::string rows = RowHdr(0, 400) +  // the sheet's default: not stored
                             RowHdr(1, 500) +  // taller for its fonts
                             RowHdr(2, 400, 0x20) +  // set by hand
                             RowHdr(3, 400, 0x10) +  // hidden
                             RowHdr(4, 400, 0x40, 1) +  // formatted
                             RowHdr(5, 400, 0x40, 99);  // a format past the table
    const Workbook wb = LoadSheet(fmtInfo + cols + SheetData(rows), "", TwoFormats());
    const Sheet& s = wb.sheets.at(0);
    EXPECT_EQ(s.defaultRowHeight, 20);
    // Only the base width (10) is stated: the default adds the padding.
    EXPECT_NEAR(s.defaultColWidth, 10.7109375, 1e-9);
    ASSERT_EQ(s.rows.size(), 6u);
    EXPECT_LT(s.rows[0].height, 0);
    EXPECT_EQ(s.rows[1].height, 25);
    EXPECT_EQ(s.rows[2].height, 20);
    EXPECT_TRUE(s.rows[3].hidden);
    EXPECT_EQ(s.rows[4].format, 1);
    EXPECT_EQ(s.rows[5].format, -1);
    ASSERT_EQ(s.cols.size(), 2u);
    EXPECT_EQ(s.cols[0].width, 2742 / 256.0);
    EXPECT_EQ(s.cols[0].format, -1);
    EXPECT_EQ(s.cols[1].first, 2u);
    EXPECT_EQ(s.cols[1].last, 4u);
    EXPECT_TRUE(s.cols[1].hidden);
    EXPECT_EQ(s.cols[1].format, 1);
}

TEST(XlsbWorksheet, StatedDefaultWidthAndHiddenRows) {
    const std::string fmtInfo = Rec(rt::WsFmtInfo, Bytes().U32(12 * 256 + 128).U16(8).U16(300).U16(0x02).U16(0));
    const Workbook wb = LoadSheet(fmtInfo + SheetData(""));
    EXPECT_EQ(wb.sheets[0].defaultColWidth, 12.5);
    EXPECT_TRUE(wb.sheets[0].defaultRowsHidden);
}

TEST(XlsbWorksheet, MergesLinksAndView) {
    // A frozen pane of two columns and one row in the first view; the second view's pane is another window's.
    const std::string pane = Rec(rt::Pane, Bytes().F64(2).F64(1).U32(1).U32(2).U32(0).U8(0x01));
    const std::string other = Rec(rt::Pane, Bytes().F64(5).F64(5).U32(5).U32(5).U32(0).U8(0x01));
    const std::string view = Rec(133) + Rec(rt::BeginWsView, Bytes().U16((0x39C & ~0x04) | 0x20).U32(0)) + pane +
                             Rec(138) + Rec(rt::BeginWsView, Bytes().U16(0x39C).U32(0)) + other + Rec(134);
    const std::string merges = Rec(177) + Rec(rt::MergeCell, Bytes().Range(0, 1, 0, 2)) +
                               Rec(rt::MergeCell, Bytes().Range(5, 3, 4, 4)) + Rec(178);
    const std::string links = Rec(rt::HLink, Bytes().Range(0, 0, 0, 0).Str(u"rId1").Str(u"").Str(u"tip").Str(u"")) +
                              Rec(rt::HLink, Bytes().Range(1, 1, 1, 1).NullStr().Str(u"Sheet1!B2").Str(u"").Str(u"")) +
                              Rec(rt::HLink, Bytes().Range(2, 2, 2, 2).Str(u"rId9").Str(u"").Str(u"").Str(u""));
    Book b;
    b.sheets = {view + SheetData(RowHdr(0)) + merges + links};
    b.extra = {{"xl/worksheets/_rels/sheet1.bin.rels",
                R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
                R"(relationships/hyperlink" Target="https://example.com/a" TargetMode="External"/>)"
                R"(</Relationships>)"}};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    const Sheet& s = wb.sheets.at(0);
    EXPECT_FALSE(s.showGridLines);  // the first view counts
    EXPECT_TRUE(s.rightToLeft);
    EXPECT_EQ(s.frozenCols, 2u);
    EXPECT_EQ(s.frozenRows, 1u);
    ASSERT_EQ(s.merges.size(), 2u);
    EXPECT_EQ(s.merges[0].row2, 1u);
    EXPECT_EQ(s.merges[0].col2, 2u);
    EXPECT_EQ(s.merges[1].row1, 3u);  // stated backwards, kept in order
    EXPECT_EQ(s.merges[1].row2, 5u);
    ASSERT_EQ(s.links.size(), 2u);  // the third names no relationship that exists
    EXPECT_EQ(s.links[0].target, "https://example.com/a");
    EXPECT_EQ(s.links[0].tooltip, "tip");
    EXPECT_EQ(s.links[1].location, "Sheet1!B2");
}

TEST(XlsbWorksheet, RowsAndCellsComeOutInOrderTheLastWriteWinning) {
    const std::string data = RowHdr(5) + Rec(rt::CellRk, Bytes().Cell(3).U32(1u << 2 | 2)) +
                             Rec(rt::CellRk, Bytes().Cell(1).U32(2u << 2 | 2)) + RowHdr(2) +
                             Rec(rt::CellRk, Bytes().Cell(0).U32(3u << 2 | 2)) + RowHdr(5) +
                             Rec(rt::CellRk, Bytes().Cell(3).U32(4u << 2 | 2));
    const Workbook wb = LoadSheet(SheetData(data));
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0].index, 2u);
    ASSERT_EQ(s.rows[1].cells.size(), 2u);
    EXPECT_EQ(s.rows[1].cells[0].col, 1u);
    EXPECT_EQ(s.rows[1].cells[1].number, 4.0);
}

TEST(XlsbWorksheet, OnlyTheSheetDataHoldsCells) {
    // Outside the sheet data, and inside a future-record block, type 1 is
    // something else than a blank cell.
    const std::string data = Rec(rt::CellBlank, Bytes().Cell(0, 1)) +
                             SheetData(RowHdr(0) + Rec(rt::CellRk, Bytes().Cell(0).U32(0x3FF00000)) +
                                       Rec(rt::FRTBegin) + Rec(rt::CellBlank, Bytes().Cell(1, 1)) + Rec(rt::FRTEnd)) +
                             Rec(rt::FRTBegin) + Rec(rt::CellBlank, Bytes().Cell(0, 1)) + Rec(rt::FRTEnd);
    const Workbook wb = LoadSheet(data, "", TwoFormats());
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.rows.size(), 1u);
    ASSERT_EQ(s.rows[0].cells.size(), 1u);
    EXPECT_EQ(s.rows[0].cells[0].number, 1.0);
}
