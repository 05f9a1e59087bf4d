// Workbooks built record by record: features that the fixtures' writer
// cannot produce, older (Excel 5/95) files, and damaged structures.
#include <gtest/gtest.h>

#include "XlsTestStream.h"
#include "sheets/Failure.h"
#include "sheets/xls/XlsReader.h"
#include "sheets/xls/XorObfuscation.h"

using namespace xlstest;
using namespace sheets;
using failure::FailsWith;
using failure::Succeeds;
using testing::HasSubstr;

namespace {

Workbook Read(const std::string& globals, const std::vector<SheetSpec>& sheets, bool biff8 = true) {
    return ReadXls(Cfb(Stream(globals, sheets, biff8)));
}

failure::Failure ErrorOf(const std::string& bytes) {
    return failure::Of([&] { ReadXls(bytes); });
}

std::string Utf16z(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += U16(c);
    return out + U16(0);
}
std::string Counted(const std::u16string& s) { return U32(uint32_t(s.size() + 1)) + Utf16z(s); }

}  // namespace

TEST(XlsRecords, FormulaResultsOfEveryType) {
    auto formula = [](uint16_t col, const std::string& result) {
        return Rec(0x0006, CellAt(0, col, 15) + result + U16(0) + U32(0) + U16(0));
    };
    std::string cells = formula(0, F64(2.5)) + formula(1, U8(0) + std::string(5, '\0') + U16(0xFFFF)) +
                        Rec(0x04BC, std::string(10, '\0')) +  // a shared formula between the cell and its text
                        Rec(0x0207, Str16("text result")) +
                        formula(2, U8(1) + U8(0) + U8(1) + std::string(3, '\0') + U16(0xFFFF)) +
                        formula(3, U8(2) + U8(0) + U8(0x2A) + std::string(3, '\0') + U16(0xFFFF)) +
                        formula(4, U8(3) + std::string(5, '\0') + U16(0xFFFF)) +
                        formula(5, U8(0) + std::string(5, '\0') + U16(0xFFFF));  // its STRING never comes
    auto wb = Read(BasicGlobals(), {{"S", cells}});
    const auto& c = wb.sheets[0].rows.at(0).cells;
    ASSERT_EQ(c.size(), 6u);
    EXPECT_DOUBLE_EQ(c[0].number, 2.5);
    EXPECT_EQ(wb.strings[c[1].string].text, "text result");
    EXPECT_EQ(c[2].type, CellType::Bool);
    EXPECT_TRUE(c[2].boolean);
    EXPECT_EQ(c[3].type, CellType::Error);
    EXPECT_EQ(wb.strings[c[3].string].text, "#N/A");
    EXPECT_EQ(c[4].type, CellType::String);
    EXPECT_EQ(wb.strings[c[4].string].text, "");
    EXPECT_EQ(c[5].type, CellType::String);
    EXPECT_EQ(wb.strings[c[5].string].text, "");
}

TEST(XlsRecords, HyperlinksToAddressesFilesAndLocations) {
    const unsigned char urlId[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                     0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
    const unsigned char fileId[16] = {0x03, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    const std::string head(16, '\x11');
    auto range = [](uint16_t r, uint16_t c) { return U16(r) + U16(r) + U16(c) + U16(c); };
    std::string url = Utf16z(u"https://example.com/ä");
    std::string link1 = range(0, 0) + head + U32(2) + U32(0x1F) + Counted(u"shown") +
                        std::string(reinterpret_cast<const char*>(urlId), 16) + U32(uint32_t(url.size())) + url +
                        Counted(u"frag");
    std::string link2 = range(1, 0) + head + U32(2) + U32(0x01) +
                        std::string(reinterpret_cast<const char*>(fileId), 16) + U16(2) + U32(6) +
                        std::string("a.xls\0", 6) + U16(0xFFFF) + U16(0xDEAD) + std::string(20, '\0') + U32(0);
    std::string link3 = range(2, 0) + head + U32(2) + U32(0x08) + Counted(u"Other!B2");
    std::string tip = Rec(0x0800, U16(0x0800) + range(2, 0) + Utf16z(u"a tip"));
    auto wb = Read(BasicGlobals(), {{"S", Rec(0x01B8, link1) + Rec(0x01B8, link2) + Rec(0x01B8, link3) + tip}});
    const auto& links = wb.sheets[0].links;
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].target, "https://example.com/ä");
    EXPECT_EQ(links[0].location, "frag");
    EXPECT_EQ(links[1].target, "../../a.xls");
    EXPECT_EQ(links[1].range.row1, 1u);
    EXPECT_EQ(links[2].target, "");
    EXPECT_EQ(links[2].location, "Other!B2");
    EXPECT_EQ(links[2].tooltip, "a tip");
}

TEST(XlsRecords, SheetKindsKeepTheirPlaceAndEmbeddedChartsAreSkipped) {
    std::string embedded = Rec(0x0809, U16(0x0600) + U16(0x20) + std::string(12, '\0')) +
                           Rec(0x0203, CellAt(50, 0, 15) + F64(99)) + Rec(0x000A, "");
    std::string cells = Rec(0x0203, CellAt(0, 0, 15) + F64(1)) + embedded + Rec(0x0203, CellAt(1, 0, 15) + F64(2));
    auto wb = Read(BasicGlobals(Rec(0x003D, std::string(10, '\0') + U16(2) + std::string(6, '\0'))),
                   {{"Chart1", "", 2}, {"Macro1", "", 1}, {"Data", cells, 0, 2}});
    ASSERT_EQ(wb.sheets.size(), 3u);
    EXPECT_EQ(wb.sheets[0].kind, SheetKind::Chart);
    EXPECT_EQ(wb.sheets[1].kind, SheetKind::Macro);
    EXPECT_EQ(wb.sheets[2].kind, SheetKind::Worksheet);
    EXPECT_EQ(wb.sheets[2].visibility, Visibility::VeryHidden);
    EXPECT_EQ(wb.activeSheet, 2u);
    ASSERT_EQ(wb.sheets[2].rows.size(), 2u);  // row 50 belongs to the chart
    EXPECT_EQ(wb.sheets[2].rows[1].index, 1u);
}

TEST(XlsRecords, WrongSheetOffsetsFallBackToTheSubstreamOrder) {
    std::string s = Stream(
        BasicGlobals(), {{"A", Rec(0x0203, CellAt(0, 0, 15) + F64(1))}, {"B", Rec(0x0203, CellAt(0, 0, 15) + F64(2))}});
    // Point both sheet records somewhere useless.
    for (size_t at = 0; at + 4 < s.size(); ++at) {
        if (s[at] == '\x85' && s[at + 1] == 0) {
            s[at + 4] = '\x01';
            s[at + 5] = '\x01';
        }
    }
    auto wb = ReadXls(Cfb(s));
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_DOUBLE_EQ(wb.sheets[1].rows.at(0).cells.at(0).number, 2);
}

TEST(XlsRecords, OlderFilesWithCodePageStringsAndTheirOwnLayouts) {
    // Excel 5/95: 8-bit strings in the code page, 16-byte formats, no SST.
    std::string font = Rec(
        0x0031, U16(240) + U16(0x02) + U16(0x0A) + U16(700) + U16(0) + U8(1) + U8(0) + U8(0) + U8(0) + U8(5) + "Arial");
    std::string fmt = Rec(0x041E, U16(170) + U8(5) + "0.000");
    std::string xfs;
    for (int i = 0; i < 16; ++i)
        xfs += Rec(0x00E0, U16(0) + U16(i == 15 ? 170 : 0) + U16(i < 15 ? 0xFFF5 : 0x0001) + U8(0x22) + U8(0x02) +
                               U32(0x00010000 | 0x0A) + U32(0));
    std::string globals = Rec(0x0042, U16(1251)) + font + fmt + xfs;
    std::string cells = Rec(0x0204, CellAt(0, 0, 15) + U16(3) + "\xC6\xE8\xE2") +
                        Rec(0x00D6, CellAt(1, 0, 15) + U16(4) + "\xE0\xE1\xE2\xE3" + U8(1) + U8(2) + U8(0)) +
                        Rec(0x0203, CellAt(2, 0, 15) + F64(1.5));
    auto wb = Read(globals, {{"\xCB\xE8\xF1\xF2", cells}}, false);
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(wb.sheets[0].name, "Лист");
    const auto& rows = wb.sheets[0].rows;
    EXPECT_EQ(wb.strings[rows[0].cells[0].string].text, "Жив");
    const RichString& rich = wb.strings[rows[1].cells[0].string];
    EXPECT_EQ(rich.text, "абвг");
    ASSERT_EQ(rich.runs.size(), 1u);
    EXPECT_EQ(rich.runs[0].start, 4u);  // two 2-byte letters in
    EXPECT_EQ(rich.runs[0].length, 4u);
    const CellFormat& f = wb.styles.formats[rows[2].cells[0].format];
    EXPECT_EQ(f.numFmt, "0.000");
    EXPECT_EQ(f.align.horizontal, HAlign::Center);
    EXPECT_EQ(f.align.rotation, 90);
    EXPECT_EQ(wb.styles.fills[f.fill].pattern, Fill::Pattern::Solid);
    EXPECT_EQ(wb.styles.fills[f.fill].fg, Color::Rgb(0xFF0000));
    const Font& font0 = wb.styles.fonts[f.font];
    EXPECT_TRUE(font0.bold);
    EXPECT_TRUE(font0.italic);
    EXPECT_DOUBLE_EQ(font0.size, 12);
    EXPECT_EQ(font0.color, Color::Rgb(0xFF0000));
    EXPECT_EQ(font0.underline, Underline::Single);
}

TEST(XlsRecords, PaletteOverridesIndexedColours) {
    std::string palette = U16(56);
    for (int i = 0; i < 56; ++i) palette += std::string("\x12\x34\x56\x00", 4);
    auto font = [](uint16_t icv) {
        return Rec(0x0031, U16(200) + U16(0) + U16(icv) + U16(400) + U16(0) + U8(0) + U8(0) + U8(0) + U8(0) + U8(1) +
                               U8(0) + "A");
    };
    auto wb = Read(font(10) + font(0x7FFF) + font(2) + Rec(0x0092, palette) + BasicGlobals(), {{"S", ""}});
    EXPECT_EQ(wb.styles.fonts[0].color, Color::Rgb(0x123456));
    EXPECT_FALSE(wb.styles.fonts[1].color.set);  // automatic
    EXPECT_EQ(wb.styles.fonts[2].color, Color::Rgb(0xFF0000));  // the first eight stay fixed
}

TEST(XlsRecords, XorObfuscationWithTheDefaultPasswordOpens) {
    const std::string password = "VelvetSweatshop";
    const std::string cells = Rec(0x0203, CellAt(0, 0, 15) + F64(1.25)) + Rec(0x00FD, CellAt(1, 0, 15) + U32(0)) +
                              Rec(0x0204, CellAt(2, 0, 15) + Str16("plain label"));
    const std::string s = Stream(BasicGlobals(Rec(0x00FC, U32(1) + U32(1) + Str16("shared"))),
                                 {{"First", cells}, {"Second", Rec(0x0203, CellAt(0, 0, 15) + F64(2))}});
    const std::string hidden = XorObfuscate(s, password, xls::XorKey(password), xls::XorVerifier(password));
    ASSERT_EQ(hidden.find("plain label"), std::string::npos);
    auto wb = ReadXls(Cfb(hidden));
    ASSERT_EQ(wb.sheets.size(), 2u);
    EXPECT_EQ(wb.sheets[1].name, "Second");
    const auto& rows = wb.sheets[0].rows;
    EXPECT_DOUBLE_EQ(rows.at(0).cells.at(0).number, 1.25);
    EXPECT_EQ(wb.strings[rows.at(1).cells.at(0).string].text, "shared");
    EXPECT_EQ(wb.strings[rows.at(2).cells.at(0).string].text, "plain label");
    EXPECT_DOUBLE_EQ(wb.sheets[1].rows.at(0).cells.at(0).number, 2);
    // Another password's verifier fails at once.
    const std::string other = XorObfuscate(s, "secret", xls::XorKey("secret"), xls::XorVerifier("secret"));
    EXPECT_THAT(ErrorOf(Cfb(other)), FailsWith(ErrorKind::Password));
}

TEST(XlsRecords, EncryptionThatCannotBeOpenedIsReportedAtOnce) {
    // Excel 5's FILEPASS (XOR, no method) with another password's verifier;
    // a FILEPASS too short to name its method; a method that is unknown; an
    // encrypted package in a compound file.
    std::string biff5 = Stream(Rec(0x002F, U16(1) + U16(2)) + BasicGlobals(), {{"S", ""}}, false);
    EXPECT_THAT(ErrorOf(Cfb(biff5)), FailsWith(ErrorKind::Password));
    EXPECT_THAT(ErrorOf(Cfb(Stream(Rec(0x002F, U16(1)) + BasicGlobals(), {{"S", ""}}))),
                FailsWith(ErrorKind::Password));
    EXPECT_THAT(ErrorOf(Cfb(Stream(Rec(0x002F, U16(1) + U16(9) + U16(9)) + BasicGlobals(), {{"S", ""}}))),
                FailsWith(ErrorKind::Password));
    auto pkg =
        cfbtest::Write({{"EncryptionInfo", std::string(200, 'i')}, {"EncryptedPackage", std::string(5000, 'p')}});
    EXPECT_THAT(ErrorOf(pkg.bytes), FailsWith(ErrorKind::Password));
}

TEST(XlsRecords, VbaProjectStorageIsNoticed) {
    std::string stream = Stream(BasicGlobals(), {{"S", ""}});
    auto f = cfbtest::Write({{"Workbook", stream}, {"_VBA_PROJECT_CUR", "", true}});
    EXPECT_TRUE(ReadXls(f.bytes).hasVbaProject);
    auto book = cfbtest::Write({{"Book", Stream(BasicGlobals(), {{"S", ""}})}});
    EXPECT_FALSE(ReadXls(book.bytes).hasVbaProject);
}

TEST(XlsRecords, RepeatedAndOutOfOrderCellsEndSorted) {
    std::string cells = Rec(0x0203, CellAt(3, 5, 15) + F64(1)) + Rec(0x0203, CellAt(3, 2, 15) + F64(2)) +
                        Rec(0x0203, CellAt(1, 0, 15) + F64(3)) + Rec(0x0203, CellAt(3, 5, 15) + F64(4)) +
                        Rec(0x00BE, U16(3) + U16(3) + U16(15) + U16(15) + U16(4));
    auto wb = Read(BasicGlobals(), {{"S", cells}});
    const auto& rows = wb.sheets[0].rows;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].index, 1u);
    ASSERT_EQ(rows[1].cells.size(), 4u);
    EXPECT_EQ(rows[1].cells[0].col, 2);
    EXPECT_EQ(rows[1].cells[1].col, 3);
    EXPECT_EQ(rows[1].cells[3].col, 5);
    EXPECT_DOUBLE_EQ(rows[1].cells[3].number, 4);  // the later record wins
}

TEST(XlsRecords, CommentsJoinTheirNoteToTheTextBox) {
    auto obj = [](uint16_t id) {
        return Rec(0x005D, U16(0x15) + U16(18) + U16(0x19) + U16(id) + std::string(14, '\0'));
    };
    auto txo = [](uint16_t chars) { return Rec(0x01B6, std::string(10, '\0') + U16(chars) + U16(16) + U32(0)); };
    std::string text = Rec(0x003C, U8(0) + "Check ") + Rec(0x003C, U8(1) + U16(u'Ж') + U16('!')) +
                       Rec(0x003C, std::string(16, '\0'));  // formatting runs
    std::string cells = Rec(0x0203, CellAt(2, 1, 15) + F64(1)) + obj(7) + txo(8) + text + obj(9) + txo(0) +
                        Rec(0x001C, U16(2) + U16(1) + U16(0) + U16(7) + Str16("Ann") + U8(0)) +
                        Rec(0x001C, U16(3) + U16(1) + U16(0) + U16(42) + Str16("Bob") + U8(0));
    auto wb = Read(BasicGlobals(), {{"S", cells}});
    const auto& comments = wb.sheets[0].comments;
    ASSERT_EQ(comments.size(), 1u);  // the second note names no text box
    EXPECT_EQ(comments[0].row, 2u);
    EXPECT_EQ(comments[0].col, 1u);
    EXPECT_EQ(comments[0].author, "Ann");
    EXPECT_EQ(comments[0].text, "Check Ж!");
}

TEST(XlsRecords, SheetsThatShareOrOverlapTheirDataAreNotReadAgainAndAgain) {
    const std::string bof = Rec(0x0809, U16(0x0600) + U16(0x10) + std::string(12, '\0'));
    std::string body;
    for (int i = 0; i < 40; ++i) body += Rec(0x0203, CellAt(uint16_t(i), 0, 15) + F64(i));
    const int sheets = 3000;
    auto build = [&](bool shared) {
        std::string globals = bof.substr(0, 4) + U16(0x0600) + U16(5) + std::string(12, '\0') + BasicGlobals();
        const size_t bsSize = Rec(0x0085, U32(0) + U8(0) + U8(0) + U8(1) + U8(0) + "S").size();
        size_t at = globals.size() + sheets * bsSize + 4;
        std::string list, subs;
        for (int i = 0; i < sheets; ++i) {
            list += Rec(0x0085, U32(uint32_t(shared ? at : at + subs.size())) + U8(0) + U8(0) + U8(1) + U8(0) + "S");
            subs += bof + body;  // no end record: each runs into the next
        }
        return Cfb(globals + list + Rec(0x000A, "") + subs);
    };
    // All sheets naming one substream: read once.
    auto wb = ReadXls(build(true));
    ASSERT_EQ(wb.sheets.size(), size_t(sheets));
    EXPECT_FALSE(wb.sheets[0].rows.empty());
    EXPECT_TRUE(wb.sheets[1].rows.empty());
    // Substreams without end records: refused rather than read quadratically.
    EXPECT_THAT(ErrorOf(build(false)), FailsWith(ErrorKind::Damaged, HasSubstr("overlap")));
}

TEST(XlsRecords, ThousandsOfDistinctFormatsStayLinear) {
    std::string xfs;
    for (uint32_t i = 0; i < 20000; ++i)
        xfs += Rec(0x00E0, U16(0) + U16(0) + U16(1) + U8(0) + U8(0) + U8(0) + U8(0) + U32(0x1111 | (i & 0x3FFF) << 16) +
                               U32(0) + U16(0));
    auto wb = Read(BasicGlobals(xfs), {{"S", ""}});
    EXPECT_EQ(wb.styles.formats.size(), 20016u);
    EXPECT_GT(wb.styles.borders.size(), 2000u);
}
