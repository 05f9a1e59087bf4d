// Damaged workbook streams: a damaged record costs that record, what was
// read before a damage stays, and a workbook of which nothing can be read
// fails instead of giving an empty page.
#include <gtest/gtest.h>

#include "XlsTestStream.h"
#include "sheets/Failure.h"
#include "sheets/xls/XlsReader.h"

using namespace xlstest;
using namespace sheets;
using failure::FailsWith;
using failure::Succeeds;
using testing::HasSubstr;

namespace {

const std::string kGlobals = BasicGlobals(Rec(0x00FC, U32(1) + U32(1) + Str16("s")));

Workbook ReadCells(const std::string& cells, const std::string& globals = kGlobals) {
    return ReadXls(Cfb(Stream(globals, {{"S", cells}})));
}

failure::Failure ErrorOf(const std::string& bytes) {
    return failure::Of([&] { ReadXls(bytes); });
}

std::string Number(uint16_t row, uint16_t col, double v, uint16_t xf = 15) {
    return Rec(0x0203, CellAt(row, col, xf) + F64(v));
}

// The numbers of a sheet's cells, row by row.
std::vector<double> Numbers(const Sheet& sheet) {
    std::vector<double> out;
    for (const Row& r : sheet.rows)
        for (const Cell& c : r.cells)
            if (c.type == CellType::Number) out.push_back(c.number);
    return out;
}

}  // namespace

TEST(XlsRecovery, ADamagedRecordCostsThatRecord) {
    const std::string before = Number(0, 0, 1), after = Number(2, 0, 3);
    // A record shorter than its fields; a label whose count runs past it.
    EXPECT_EQ(Numbers(ReadCells(before + Rec(0x0203, CellAt(1, 0, 15) + "abc") + after).sheets[0]),
              (std::vector<double>{1, 3}));
    EXPECT_EQ(Numbers(ReadCells(before + Rec(0x0204, CellAt(1, 0, 15) + U16(500) + U8(0) + "abc") + after).sheets[0]),
              (std::vector<double>{1, 3}));
    // A cell past the last column is left out, its neighbours stay.
    EXPECT_EQ(Numbers(ReadCells(before + Number(1, 20000, 2) + after).sheets[0]), (std::vector<double>{1, 3}));
    // A string the table does not hold leaves the cell empty.
    auto wb = ReadCells(Rec(0x00FD, CellAt(0, 0, 15) + U32(7)) + Rec(0x00FD, CellAt(0, 1, 15) + U32(0)));
    const auto& cells = wb.sheets[0].rows.at(0).cells;
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].type, CellType::Blank);
    EXPECT_EQ(wb.strings[cells[1].string].text, "s");
    // A cell format past the formats: the default one.
    EXPECT_EQ(ReadCells(Number(0, 0, 5, 99)).sheets[0].rows.at(0).cells.at(0).format, 0u);
}

TEST(XlsRecovery, FormatsThatNameWhatIsMissingFallBack) {
    // A cell format naming a missing font (the first font), a missing number
    // format (General); rich text naming a missing font keeps its text.
    const std::string badFont = Rec(0x00E0, U16(9) + U16(0) + U16(1) + std::string(14, '\0'));
    const std::string badNumFmt = Rec(0x00E0, U16(0) + U16(300) + U16(1) + std::string(14, '\0'));
    auto wb = ReadCells(Number(0, 0, 1.5, 16) + Number(0, 1, 2.5, 17), BasicGlobals(badFont + badNumFmt));
    const auto& cells = wb.sheets[0].rows.at(0).cells;
    EXPECT_EQ(wb.styles.formats.at(cells[0].format).font, 0u);
    EXPECT_EQ(wb.styles.formats.at(cells[1].format).numFmt, "General");
    const std::string badRun = U16(1) + U8(8) + U16(1) + "a" + U16(0) + U16(40);
    auto rich = ReadCells(Rec(0x00FD, CellAt(0, 0, 15) + U32(0)), BasicGlobals(Rec(0x00FC, U32(1) + U32(1) + badRun)));
    EXPECT_EQ(rich.strings.at(0).text, "a");
    EXPECT_TRUE(rich.strings.at(0).runs.empty());
}

TEST(XlsRecovery, ARecordWithADamagedLengthIsCutWhereRecordsFollowAgain) {
    // A cell in a run of cells whose length says 30000: it takes the length
    // of the one before, and the cells after it are read.
    std::string cells = Number(0, 0, 1) + Number(1, 0, 2);
    std::string damaged = Number(2, 0, 3);
    damaged[2] = char(0x30);
    damaged[3] = char(0x75);
    cells += damaged + Number(3, 0, 4) + Number(4, 0, 5) + Number(5, 0, 6) + Number(6, 0, 7);
    EXPECT_EQ(Numbers(ReadCells(cells).sheets[0]), (std::vector<double>{1, 2, 3, 4, 5, 6, 7}));
    // Two bytes slipped into a header: the records go on after them.
    std::string slipped = Number(0, 0, 1) + Rec(0x0204, CellAt(1, 0, 15) + Str16("t"));
    slipped.insert(slipped.size() - 4 - 6 - 4, "\x99\x99");
    slipped += Number(2, 0, 3) + Number(3, 0, 4) + Number(4, 0, 5) + Number(5, 0, 6);
    EXPECT_EQ(Numbers(ReadCells(slipped).sheets[0]), (std::vector<double>{1, 3, 4, 5, 6}));
}

TEST(XlsRecovery, AStreamCutShortKeepsWhatCameBefore) {
    std::string s = Stream(kGlobals, {{"A", Number(0, 0, 1) + Number(1, 0, 2)}, {"B", Number(0, 0, 3)}});
    // Cut inside the second sheet's cell: its sheet is empty, the first whole.
    auto wb = ReadXls(Cfb(s.substr(0, s.size() - 10)));
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(Numbers(wb.sheets[0]), (std::vector<double>{1, 2}));
    EXPECT_TRUE(wb.sheets[1].rows.empty());
    // Cut in the middle of the globals' string table: the table ends there.
    std::string sst = BasicGlobals(Rec(0x00FC, U32(2) + U32(2) + Str16("one") + U16(90) + U8(0) + "tw"));
    auto cut = ReadXls(Cfb(Stream(sst, {{"S", Rec(0x00FD, CellAt(0, 0, 15) + U32(0))}})));
    EXPECT_EQ(cut.strings.at(0).text, "one");
}

TEST(XlsRecovery, SheetsAreFoundWhenTheirListIsDamaged) {
    std::string s = Stream(kGlobals, {{"A", Number(0, 0, 1)}, {"B", Number(0, 0, 2)}});
    // Every sheet record points at the globals: the substreams after them
    // are the sheets, in order.
    for (size_t at = 0; at + 8 < s.size(); ++at)
        if (s[at] == '\x85' && s[at + 1] == 0) s.replace(at + 4, 4, U32(0));
    auto wb = ReadXls(Cfb(s));
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(Numbers(wb.sheets[1]), (std::vector<double>{2}));
    // No sheet records at all.
    std::string none = Rec(0x0809, U16(0x0600) + U16(5) + std::string(12, '\0')) + kGlobals + Rec(0x000A, "") +
                       Rec(0x0809, U16(0x0600) + U16(0x10) + std::string(12, '\0')) + Number(0, 0, 9) + Rec(0x000A, "");
    auto found = ReadXls(Cfb(none));
    ASSERT_EQ(found.sheets.size(), 1u);
    EXPECT_EQ(Numbers(found.sheets[0]), (std::vector<double>{9}));
}

TEST(XlsRecovery, AWorkbookWhoseCellsCannotBeReadFails) {
    // The only sheet record names a chart whose substream holds no cells;
    // the worksheet after it is named by nothing.
    const std::string bof = Rec(0x0809, U16(0x0600) + U16(5) + std::string(12, '\0'));
    std::string globals = bof + kGlobals;
    const std::string chart = Rec(0x0809, U16(0x0600) + U16(0x20) + std::string(12, '\0')) + Rec(0x000A, "");
    const std::string sheet =
        Rec(0x0809, U16(0x0600) + U16(0x10) + std::string(12, '\0')) + Number(0, 0, 1) + Rec(0x000A, "");
    const size_t at = globals.size() + Rec(0x0085, U32(0) + U8(0) + U8(2) + U8(1) + U8(0) + "C").size() + 4;
    std::string s = globals + Rec(0x0085, U32(uint32_t(at)) + U8(0) + U8(2) + U8(1) + U8(0) + "C") + Rec(0x000A, "") +
                    chart + sheet;
    EXPECT_THAT(ErrorOf(Cfb(s)), FailsWith(ErrorKind::Damaged, HasSubstr("cells")));
    // A workbook that has no cells is a workbook with empty sheets.
    EXPECT_THAT(ErrorOf(Cfb(Stream(kGlobals, {{"S", ""}}))), Succeeds());
    // Nothing to read at all.
    EXPECT_THAT(ErrorOf(Cfb(std::string(100, 'x'))), FailsWith(ErrorKind::Damaged));
    EXPECT_THAT(ErrorOf(cfbtest::Write({{"Other", "x"}}).bytes), FailsWith(ErrorKind::NotAWorkbook));
    EXPECT_THAT(ErrorOf(Cfb(Stream(kGlobals, {}))), FailsWith(ErrorKind::Damaged, HasSubstr("no sheets")));
}

TEST(XlsRecovery, TheWorkbookStreamIsFoundWhenTheDirectoryTreeIsBroken) {
    auto f =
        cfbtest::Write({{"Other", std::string(5000, 'o')}, {"Workbook", Stream(kGlobals, {{"S", Number(0, 0, 4)}})}});
    f.Put32(f.DirEntryOffset(0) + 0x4C, 0xFFFFFFFF);  // the root leads nowhere
    EXPECT_EQ(Numbers(ReadXls(f.bytes).sheets[0]), (std::vector<double>{4}));
}

// Records that cannot be followed up to a sheet (here its substream lies
// inside another record, as when sectors come out of order): the sheet is
// found by the bytes of its BOF record, rather than shown empty.
TEST(XlsRecovery, SheetsThatRecordsNoLongerLeadToAreFoundByTheirBytes) {
    auto bof = [](uint16_t type) { return Rec(0x0809, U16(0x0600) + U16(type) + std::string(12, '\0')); };
    const std::string sheet = bof(0x10) + Number(0, 0, 42) + Rec(0x000A, "");
    const std::string stream = bof(5) + kGlobals + Rec(0x0085, U32(999999) + U8(0) + U8(0) + U8(1) + U8(0) + "S") +
                               Rec(0x00EB, sheet) + Rec(0x000A, "");
    const Workbook wb = ReadXls(Cfb(stream));
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(wb.sheets[0].name, "S");
    EXPECT_EQ(Numbers(wb.sheets[0]), (std::vector<double>{42}));
    // A workbook whose sheets hold no cells at all is no failure.
    EXPECT_THAT(ErrorOf(Cfb(bof(5) + kGlobals + Rec(0x0085, U32(999999) + U8(0) + U8(0) + U8(1) + U8(0) + "S") +
                            Rec(0x000A, ""))),
                Succeeds());
}
