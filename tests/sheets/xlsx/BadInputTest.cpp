// Hostile and damaged workbooks fail with a short message, never a crash, a
// hang or unbounded memory.
#include <gtest/gtest.h>

#include <cstring>

#include "XlsxFixtures.h"
#include "sheets/Failure.h"
#include "sheets/Loader.h"
#include "sheets/xlsx/Worksheet.h"

using namespace sheets;
using failure::FailsWith;
using failure::Succeeds;
using testing::HasSubstr;
using testing::Not;

namespace {

failure::Failure FailureOf(const std::string& bytes) {
    return failure::Of([&] { fixtures::Load(bytes); });
}

std::string OneCell(const std::string& cell) {
    return fixtures::Package(fixtures::SheetXml("<row r=\"1\">" + cell + "</row>"));
}

void PutLe32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// A compound file with a root entry and the given streams (names only).
std::string CompoundFile(const std::vector<std::string>& streams) {
    std::string f(512 * 3, '\0');
    const unsigned char magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(f.data(), magic, 8);
    f[24] = 0x3E;
    f[26] = 3;
    f[28] = char(0xFE);
    f[29] = char(0xFF);
    f[30] = 9;
    f[32] = 6;
    PutLe32(f, 44, 1);  // one FAT sector
    PutLe32(f, 48, 1);  // directory at sector 1
    PutLe32(f, 56, 4096);
    PutLe32(f, 60, 0xFFFFFFFE);
    PutLe32(f, 68, 0xFFFFFFFE);
    for (size_t i = 0; i < 109; ++i) PutLe32(f, 76 + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    for (size_t i = 0; i < 128; ++i) PutLe32(f, 512 + 4 * i, i == 0 ? 0xFFFFFFFD : i == 1 ? 0xFFFFFFFE : 0xFFFFFFFF);
    std::vector<std::string> names = {"Root Entry"};
    names.insert(names.end(), streams.begin(), streams.end());
    for (size_t e = 0; e < names.size() && e < 4; ++e) {
        size_t at = 1024 + 128 * e;
        for (size_t i = 0; i < names[e].size(); ++i) f[at + 2 * i] = names[e][i];
        f[at + 64] = char((names[e].size() + 1) * 2);
        f[at + 66] = e == 0 ? 5 : 2;
        f[at + 67] = 1;  // black
        PutLe32(f, at + 68, 0xFFFFFFFF);
        PutLe32(f, at + 72, e > 0 && e + 1 < names.size() ? uint32_t(e + 1) : 0xFFFFFFFF);
        PutLe32(f, at + 76, e == 0 && names.size() > 1 ? 1 : 0xFFFFFFFF);
        PutLe32(f, at + 116, 0xFFFFFFFE);
    }
    return f;
}

}  // namespace

TEST(XlsxBadInput, NotAWorkbookOrDamagedArchive) {
    EXPECT_THAT(FailureOf(""), FailsWith(ErrorKind::NotAWorkbook, "Not a workbook (unknown file format)"));
    EXPECT_THAT(FailureOf("<html>hello</html>"),
                FailsWith(ErrorKind::NotAWorkbook, "Not a workbook (unknown file format)"));
    std::string good = fixtures::Xlsxwriter(
        [](lxw_workbook* wb) { worksheet_write_string(workbook_add_worksheet(wb, nullptr), 0, 0, "x", nullptr); });
    for (size_t cut : {size_t(4), size_t(100), good.size() / 2})
        EXPECT_THAT(FailureOf(good.substr(0, cut)), FailsWith(ErrorKind::Damaged)) << cut;
    // Only the end record is lost: every entry is still there to read.
    EXPECT_THAT(FailureOf(good.substr(0, good.size() - 10)), Succeeds());
    // Flipped bytes inside the compressed data.
    std::string flipped = good;
    for (size_t i = 200; i < flipped.size(); i += 97) flipped[i] = char(~flipped[i]);
    FailureOf(flipped);  // may or may not fail, must not crash
    EXPECT_THAT(FailureOf(fixtures::Zip({{"hello.txt", "hi"}})), FailsWith(ErrorKind::NotAWorkbook));
}

TEST(XlsxBadInput, MissingOrMalformedParts) {
    std::string missingSheet = fixtures::Zip({
        {"_rels/.rels",
         R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="r" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)"},
        {"xl/workbook.xml", R"(<workbook xmlns:r="r"><sheets><sheet name="Gone" r:id="rId1"/></sheets></workbook>)"},
        {"xl/_rels/workbook.xml.rels",
         R"(<Relationships><Relationship Id="rId1" Type="x/worksheet" Target="worksheets/nowhere.xml"/></Relationships>)"},
    });
    EXPECT_THAT(FailureOf(missingSheet), FailsWith(ErrorKind::Damaged, HasSubstr("Gone")));
    // With other sheets to show, a sheet whose part is gone shows empty.
    Workbook oneGone = fixtures::Load(fixtures::Package(
        fixtures::SheetXml(R"(<row r="1"><c r="A1"><v>7</v></c></row>)"), "", "",
        {{"xl/workbook.xml",
          R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
          R"(<sheet name="Gone" r:id="rId9"/><sheet name="Here" r:id="rId1"/></sheets></workbook>)"}}));
    ASSERT_EQ(oneGone.sheets.size(), 2u);
    EXPECT_EQ(oneGone.sheets[0].name, "Gone");
    EXPECT_TRUE(oneGone.sheets[0].rows.empty());
    ASSERT_NE(fixtures::CellAt(oneGone.sheets[1], 0, 0), nullptr);
    EXPECT_EQ(fixtures::CellAt(oneGone.sheets[1], 0, 0)->number, 7);
    std::string truncatedXml = fixtures::Package("<worksheet><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v>");
    EXPECT_THAT(FailureOf(truncatedXml), FailsWith(ErrorKind::Damaged, HasSubstr("xl/worksheets/sheet1.xml")));
    std::string noSheets =
        fixtures::Package(fixtures::SheetXml(""), "", "", {{"xl/workbook.xml", "<workbook><sheets/></workbook>"}});
    EXPECT_THAT(FailureOf(noSheets), FailsWith(ErrorKind::Damaged));
}

TEST(XlsxBadInput, BinaryWorkbooksGoToTheirOwnReader) {
    std::string xlsb = fixtures::Zip({
        {"_rels/.rels",
         R"(<Relationships><Relationship Id="r" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.bin"/></Relationships>)"},
        {"xl/workbook.bin", std::string(64, '\x01')},
    });
    EXPECT_THAT(FailureOf(xlsb), FailsWith(ErrorKind::Damaged, "The workbook is damaged (it has no sheets)"));
    EXPECT_THAT(FailureOf(fixtures::Zip({{"xl/workbook.bin", "x"}})),
                FailsWith(ErrorKind::Damaged, "The workbook is damaged (it has no sheets)"));
}

TEST(XlsxBadInput, ImpossibleCellsAndIndices) {
    for (const char* ref : {"A0", "1A", "A-1", "", "A1B", "$", "AAAAAAAAA1"})
        EXPECT_THAT(FailureOf(OneCell(std::string("<c r=\"") + ref + "\"><v>1</v></c>")),
                    FailsWith(ErrorKind::Damaged, HasSubstr("bad cell reference")))
            << ref;
    // A cell or row past the sheet's limits is left out; the rest is read.
    for (const char* ref : {"XFE1", "A1048577", "ZZZZ99999999"}) {
        Workbook wb = fixtures::Load(
            OneCell(std::string("<c r=\"A1\"><v>1</v></c><c r=\"") + ref + "\"><v>2</v></c><c r=\"C1\"><v>3</v></c>"));
        ASSERT_EQ(wb.sheets[0].rows.size(), 1u) << ref;
        const auto& cells = wb.sheets[0].rows[0].cells;
        ASSERT_EQ(cells.size(), 2u) << ref;
        EXPECT_EQ(cells[0].number, 1);
        EXPECT_EQ(cells[1].number, 3);
    }
    Workbook rowBeyond = fixtures::Load(fixtures::Package(fixtures::SheetXml(
        R"(<row r="1"><c r="A1"><v>1</v></c></row><row r="1048577"><c><v>2</v></c><c r="B1048577"><v>3</v></c></row>)"
        R"(<row r="5"><c r="A5" t="inlineStr"><is><t>after</t></is></c></row>)")));
    ASSERT_EQ(rowBeyond.sheets[0].rows.size(), 2u);
    EXPECT_EQ(rowBeyond.sheets[0].rows[1].index, 4u);
    EXPECT_EQ(fixtures::TextOf(rowBeyond, rowBeyond.sheets[0].rows[1].cells.at(0)), "after");
    EXPECT_THAT(FailureOf(fixtures::Package(fixtures::SheetXml(R"(<row r="x"/>)"))), FailsWith(ErrorKind::Damaged));
    // The last column and row themselves are fine.
    EXPECT_THAT(
        FailureOf(fixtures::Package(fixtures::SheetXml(R"(<row r="1048576"><c r="XFD1048576"><v>1</v></c></row>)"))),
        Succeeds());

    // A string the table does not hold: the cell shows empty, its style kept.
    std::string sst = R"(<sst><si><t>only</t></si></sst>)";
    for (const char* idx : {"1", "-1", "4294967296", "x"}) {
        Workbook wb =
            fixtures::Load(fixtures::Package(fixtures::SheetXml(std::string(R"(<row r="1"><c r="A1" t="s"><v>)") + idx +
                                                                R"(</v></c><c r="B1" t="s"><v>0</v></c></row>)"),
                                             sst));
        const auto& cells = wb.sheets[0].rows.at(0).cells;
        ASSERT_FALSE(cells.empty()) << idx;
        EXPECT_EQ(cells.back().col, 1) << idx;
        EXPECT_EQ(fixtures::TextOf(wb, cells.back()), "only") << idx;
        if (cells.size() == 2) {
            EXPECT_EQ(cells[0].type, CellType::Blank) << idx;
        }
    }
}

// A document type is accepted and never read: no entity is defined,
// expanded or loaded, and a reference to one shows as it was written.
TEST(XlsxBadInput, DocumentTypesAreSkippedAndEntitiesNeverExpanded) {
    std::string bomb = R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lollollollollollollollollollol">)";
    for (int i = 1; i < 10; ++i) {
        bomb += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j) bomb += "&lol" + (i == 1 ? std::string() : std::to_string(i - 1)) + ";";
        bomb += "\">";
    }
    bomb += R"(]><sst><si><t>&lol9;</t></si></sst>)";
    Workbook wb =
        fixtures::Load(fixtures::Package(fixtures::SheetXml(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)"), bomb));
    EXPECT_EQ(fixtures::TextOf(wb, wb.sheets[0].rows.at(0).cells.at(0)), "&lol9;");

    std::string external =
        R"(<?xml version="1.0" standalone="yes"?><!DOCTYPE w [<!ENTITY x SYSTEM "file:///etc/passwd">]>)"
        R"(<worksheet><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&x;</t></is></c></row></sheetData></worksheet>)";
    wb = fixtures::Load(fixtures::Package(external));
    EXPECT_EQ(fixtures::TextOf(wb, wb.sheets[0].rows.at(0).cells.at(0)), "&x;");
    std::string plainDoctype = R"(<?xml version="1.0"?><!DOCTYPE worksheet><worksheet><sheetData/></worksheet>)";
    EXPECT_THAT(FailureOf(fixtures::Package(plainDoctype)), Succeeds());
    // An undeclared entity is never looked up anywhere: the text shows it as written.
    wb = fixtures::Load(fixtures::Package(
        fixtures::SheetXml(R"(<row r="1"><c r="A1" t="inlineStr"><is><t>a&nbsp;b</t></is></c></row>)")));
    EXPECT_EQ(fixtures::TextOf(wb, wb.sheets[0].rows.at(0).cells.at(0)), "a&nbsp;b");
}

TEST(XlsxBadInput, EncryptedPackagesAreReportedAsPasswordProtected) {
    EXPECT_THAT(FailureOf(CompoundFile({"EncryptionInfo", "EncryptedPackage"})),
                FailsWith(ErrorKind::Password, "The workbook is password-protected"));
    // A compound file without those streams goes to the .xls reader.
    EXPECT_THAT(FailureOf(CompoundFile({"Workbook"})), Not(FailsWith(ErrorKind::Password)));
    // Damaged directory chains end the scan instead of running away.
    std::string looped = CompoundFile({"Workbook"});
    PutLe32(looped, 512 + 4, 1);  // the directory sector points to itself
    EXPECT_THAT(FailureOf(looped), Not(FailsWith(ErrorKind::Password)));
}

// Damaged workbook relationships: the parts are found by their declared
// content types when that is unambiguous, otherwise the workbook fails.
TEST(XlsxBadInput, DamagedWorkbookRelationships) {
    const std::string ct = "application/vnd.openxmlformats-officedocument.spreadsheetml.";
    std::string types = R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
                        R"(<Override PartName="/xl/worksheets/sheet1.xml" ContentType=")" +
                        ct +
                        R"(worksheet+xml"/>)"
                        R"(<Override PartName="/xl/sharedStrings.xml" ContentType=")" +
                        ct + R"(sharedStrings+xml"/></Types>)";
    std::string sheet = fixtures::SheetXml(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
    std::string sst = "<sst><si><t>kept</t></si></sst>";
    fixtures::Entries damaged = {{"[Content_Types].xml", types},
                                 {"xl/_rels/workbook.xml.rels", "<Relationships><Rel\"\"\"/>"}};
    Workbook wb = fixtures::Load(fixtures::Package(sheet, sst, "", damaged));
    ASSERT_EQ(wb.sheets.size(), 1u);
    EXPECT_EQ(fixtures::TextOf(wb, wb.sheets[0].rows.at(0).cells.at(0)), "kept");

    // Two sheets cannot be told apart without their relationships.
    damaged.push_back(
        {"xl/workbook.xml",
         R"(<workbook xmlns:r="r"><sheets><sheet name="A" r:id="rId1"/><sheet name="B" r:id="rId2"/></sheets></workbook>)"});
    EXPECT_THAT(FailureOf(fixtures::Package(sheet, sst, "", damaged)), FailsWith(ErrorKind::Damaged));
}

// The workbook's memory budget holds across its sheets (shown here with a
// tiny budget; the reader's own is sized for millions of cells).
TEST(XlsxBadInput, CellAndTextBudgets) {
    std::string bytes = fixtures::Package(fixtures::SheetXml(
        R"(<row r="1"><c r="A1"><v>1</v></c><c r="B1" t="inlineStr"><is><t>0123456789</t></is></c></row><row r="2"/>)"));
    xlsx::Package pkg(bytes);
    xlsx::ColorResolver colors;
    std::vector<Font> fontList{Font{}};
    xlsx::FontTable fonts(fontList);
    std::vector<RichString> strings;
    auto read = [&](uint64_t cells, uint64_t text) {
        xlsx::SheetContext ctx{colors, fonts, fontList[0], strings};
        ctx.cellBudget = cells;
        ctx.textBudget = text;
        Sheet sheet;
        xlsx::ParseWorksheet(pkg, "xl/worksheets/sheet1.xml", ctx, sheet);
        return sheet.rows.size();
    };
    EXPECT_EQ(read(4, 1000), 2u);
    EXPECT_THAT(failure::Of([&] { read(3, 1000); }), FailsWith(ErrorKind::TooLarge));
    EXPECT_THAT(failure::Of([&] { read(4, 10); }), FailsWith(ErrorKind::TooLarge));
}

// One sheet part named by hundreds of sheets would be read, held and written
// once per sheet: a small file becoming a huge one. It is read for the first
// sheet only (the others stay empty), as two sheets never share their data.
TEST(XlsxBadInput, APartSharedByManySheetsIsReadOnce) {
    const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    std::string sheets, rels;
    for (int i = 1; i <= 300; ++i) {
        const std::string n = std::to_string(i);
        sheets += "<sheet name=\"S" + n + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    }
    std::string rows;
    for (int r = 1; r <= 200; ++r)
        rows += "<row r=\"" + std::to_string(r) + "\"><c r=\"A" + std::to_string(r) + "\"><v>" + std::to_string(r) +
                "</v></c></row>";
    const std::string bytes = fixtures::Package(
        fixtures::SheetXml(rows), "", "",
        {{"xl/workbook.xml",
          R"(<workbook xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
          "<sheets>" +
              sheets + "</sheets></workbook>"},
         {"xl/_rels/workbook.xml.rels", "<Relationships>" + rels + "</Relationships>"}});
    Workbook wb = fixtures::Load(bytes);
    ASSERT_EQ(wb.sheets.size(), 300u);
    EXPECT_EQ(wb.sheets[0].rows.size(), 200u);
    size_t later = 0;
    for (size_t i = 1; i < wb.sheets.size(); ++i) later += wb.sheets[i].rows.size();
    EXPECT_EQ(later, 0u);
    EXPECT_EQ(wb.sheets[299].name, "S300");
}
