#include <gtest/gtest.h>

#include "XlsTestStream.h"
#include "sheets/xls/CodePage.h"
#include "sheets/xls/Strings.h"
#include "sheets/xls/XlsReader.h"

using namespace xlstest;
using sheets::xls::CodePage;
using sheets::xls::ReadSst;
using sheets::xls::StringContext;

namespace {

StringContext Biff8() {
    static CodePage cp(1252);
    return {true, &cp};
}

}  // namespace

TEST(XlsSst, StringsSplitAcrossContinueRecordsSwitchWidthAtTheBoundary) {
    // "abc"; then "deЖЖfg" cut after "de" with the rest 16-bit; then a rich
    // string whose header ends one piece and whose characters start the
    // next (with a flag byte of their own), and whose runs and extension
    // run on into a third piece without one.
    std::string p1 = U32(3) + U32(3) + Str16("abc") + U16(6) + U8(0) + "de";
    std::string p2 = U8(1) + U16(u'Ж') + U16(u'Ж') + U16('f') + U16('g') + U16(5) + U8(0x0C) + U16(2) + U32(3);
    std::string p3 = U8(0) + "hello" + U16(0) + U16(0) + U16(2);
    std::string p4 = U16(5) + "xyz";  // the second run's font, then the extension
    auto sst = ReadSst({p1, p2, p3, p4}, Biff8());
    ASSERT_EQ(sst.size(), 3u);
    EXPECT_EQ(sst[0].text, "abc");
    EXPECT_EQ(sst[1].text, "deЖЖfg");
    EXPECT_EQ(sst[2].text, "hello");
    ASSERT_EQ(sst[2].runs.size(), 2u);
    EXPECT_EQ(sst[2].runs[0].start, 0u);
    EXPECT_EQ(sst[2].runs[0].length, 2u);
    EXPECT_EQ(sst[2].runs[1].start, 2u);
    EXPECT_EQ(sst[2].runs[1].length, 3u);
    EXPECT_EQ(sst[2].runs[1].font, 4u);  // font 5 is the fifth record: index 4 does not exist
}

TEST(XlsSst, RunsAreByteRangesOfTheUtf8Text) {
    // "aЖ€b" with a run from the third character: bytes 1 + 2 = 3 onwards.
    std::string body =
        U32(1) + U32(1) + U16(4) + U8(0x09) + U16(1) + U16('a') + U16(u'Ж') + U16(u'€') + U16('b') + U16(2) + U16(1);
    auto sst = ReadSst({body}, Biff8());
    ASSERT_EQ(sst.size(), 1u);
    ASSERT_EQ(sst[0].runs.size(), 1u);
    EXPECT_EQ(sst[0].runs[0].start, 3u);
    EXPECT_EQ(sst[0].runs[0].length, 4u);
}

TEST(XlsSst, CountsThatLie) {
    // More strings claimed than present: the table ends with its data.
    auto sst = ReadSst({U32(1000000) + U32(1000000) + Str16("only")}, Biff8());
    ASSERT_EQ(sst.size(), 1u);
    EXPECT_EQ(sst[0].text, "only");
    // Fewer claimed than present: the rest are kept, a broken tail after
    // them is dropped.
    sst = ReadSst({U32(2) + U32(1) + Str16("one") + Str16("two") + U16(9) + U8(0) + "x"}, Biff8());
    ASSERT_EQ(sst.size(), 2u);
    EXPECT_EQ(sst[1].text, "two");
    // A string cut short ends the table, the strings before it stay: a
    // character count past the data, a run count past the data, half a
    // 16-bit character before a boundary.
    EXPECT_EQ(ReadSst({U32(2) + U32(2) + Str16("kept") + U16(50) + U8(0) + "short"}, Biff8()).size(), 1u);
    EXPECT_TRUE(ReadSst({U32(1) + U32(1) + U16(1) + U8(8) + U16(60000) + "a" + U32(0)}, Biff8()).empty());
    EXPECT_TRUE(ReadSst({U32(1) + U32(1) + U16(2) + U8(1) + "a", U8(1) + "bcd"}, Biff8()).empty());
}

TEST(XlsCodePage, EightBitTextConvertsThroughTheWorkbooksCodePage) {
    EXPECT_EQ(CodePage(1251).ToUtf8("\xC6\xE8\xE2"), "Жив");
    EXPECT_EQ(CodePage(1252).ToUtf8("caf\xE9 \x80"), "café €");
    EXPECT_EQ(CodePage(10000).ToUtf8("\x8A"), "ä");  // Mac Roman
    EXPECT_EQ(CodePage(932).ToUtf8("\x93\xFA\x96\x7B"), "日本");  // Shift-JIS, two bytes each
    EXPECT_EQ(CodePage(932).ToUtf8("a\x93"), "a\xEF\xBF\xBD");  // cut-off lead byte
    EXPECT_EQ(CodePage(1252).ToUtf8("\x81"), "\xEF\xBF\xBD");  // unassigned
    CodePage unknown(12345);
    EXPECT_EQ(unknown.Id(), 1252);
    EXPECT_EQ(unknown.ToUtf8("\xE9"), "é");
}

TEST(XlsCells, RkNumbersDecodeAllFourForms) {
    std::string cells =
        Rec(0x027E, CellAt(0, 0, 15) + U32(0x3FF00000)) +  // 1.0 as the top of a double
        Rec(0x027E, CellAt(0, 1, 15) + U32(0x3FF00000 | 1)) +  // the same / 100
        Rec(0x027E, CellAt(0, 2, 15) + U32((123u << 2) | 2)) +  // integer
        Rec(0x027E, CellAt(0, 3, 15) + U32((uint32_t(-12345) << 2) | 3)) +  // integer / 100
        Rec(0x00BD, U16(1) + U16(2) + U16(15) + U32((7u << 2) | 2) + U16(15) + U32(0x40240000) + U16(3));
    auto wb = sheets::ReadXls(Cfb(Stream(BasicGlobals(), {{"S", cells}})));
    const auto& rows = wb.sheets[0].rows;
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[0].cells.size(), 4u);
    EXPECT_DOUBLE_EQ(rows[0].cells[0].number, 1.0);
    EXPECT_DOUBLE_EQ(rows[0].cells[1].number, 0.01);
    EXPECT_DOUBLE_EQ(rows[0].cells[2].number, 123);
    EXPECT_DOUBLE_EQ(rows[0].cells[3].number, -123.45);
    ASSERT_EQ(rows[1].cells.size(), 2u);
    EXPECT_EQ(rows[1].cells[0].col, 2);
    EXPECT_DOUBLE_EQ(rows[1].cells[0].number, 7);
    EXPECT_EQ(rows[1].cells[1].col, 3);
    EXPECT_DOUBLE_EQ(rows[1].cells[1].number, 10);
}
