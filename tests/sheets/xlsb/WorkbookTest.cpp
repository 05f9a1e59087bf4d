// The workbook part and what hangs off the sheets: the sheet list with its
// states and kinds, the active sheet, the date system, the macro project,
// shared strings, comments and pictures; and the loader's choice of reader.
#include <gtest/gtest.h>

#include "../xlsx/XlsxFixtures.h"
#include "XlsbBuilder.h"
#include "sheets/Errors.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/model/Chart.h"
#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsb/XlsbReader.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;
using fixtures::CellAt;
using fixtures::TextOf;

namespace {

const std::string kRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

// A one-pixel PNG.
const std::string kPng("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\1\0\0\0\1\x08\x06\0\0\0\x1f\x15\xc4\x89", 33);

}  // namespace

TEST(XlsbWorkbook, SheetsInOrderWithStatesKindsAndTheActiveOne) {
    Book b;
    b.sheetNames = {"One", "Two", "Three", "Chart"};
    b.workbook = WorkbookPart(b.sheetNames, {0, 1, 2, 0}, true, 2);
    b.sheets = {SheetData(""), SheetData(""), SheetData(""), SheetData("")};
    // The fourth is a chart sheet; its drawing holds no picture.
    b.extra = {
        {"xl/_rels/workbook.bin.rels",
         kRels + R"(<Relationship Id="rId1" Type=")" + kRel + R"(worksheet" Target="worksheets/sheet1.bin"/>)" +
             R"(<Relationship Id="rId2" Type=")" + kRel + R"(worksheet" Target="worksheets/sheet2.bin"/>)" +
             R"(<Relationship Id="rId3" Type=")" + kRel + R"(worksheet" Target="worksheets/sheet3.bin"/>)" +
             R"(<Relationship Id="rId4" Type=")" + kRel + R"(chartsheet" Target="chartsheets/sheet1.bin"/>)" +
             R"(<Relationship Id="rId5" Type=")" + kRel + R"(vbaProject" Target="vbaProject.bin"/>)" +
             "</Relationships>"},
        {"xl/chartsheets/sheet1.bin", Rec(129) + Rec(rt::Drawing, Bytes().Str(u"rId1")) + Rec(130)},
        {"xl/chartsheets/_rels/sheet1.bin.rels", kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
                                                     R"(drawing" Target="../drawings/drawing1.xml"/></Relationships>)"},
        {"xl/drawings/drawing1.xml", R"(<wsDr xmlns="http://schemas.openxmlformats.org/drawingml/2006/)"
                                     R"(spreadsheetDrawing"/>)"},
        {"xl/vbaProject.bin", "macros"}};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    ASSERT_EQ(wb.sheets.size(), 4u);
    EXPECT_EQ(wb.sheets[0].name, "One");
    EXPECT_EQ(wb.sheets[1].visibility, Visibility::Hidden);
    EXPECT_EQ(wb.sheets[2].visibility, Visibility::VeryHidden);
    EXPECT_EQ(wb.sheets[3].kind, SheetKind::Chart);
    EXPECT_EQ(wb.activeSheet, 2u);
    EXPECT_TRUE(wb.date1904);
    EXPECT_TRUE(wb.hasVbaProject);
}

TEST(XlsbWorkbook, ActiveSheetPastTheListIsTheLast) {
    Book b;
    b.workbook = WorkbookPart({"Only"}, {}, false, 7);
    b.sheets = {SheetData("")};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    EXPECT_EQ(wb.activeSheet, 0u);
    EXPECT_FALSE(wb.date1904);
    EXPECT_FALSE(wb.hasVbaProject);
}

TEST(XlsbWorkbook, SharedStringsPlainRichAndPhonetic) {
    xlsbtest::Styles st;
    st.fonts.push_back(FontRec(11, 0x02));
    // A rich string with a phonetic part after its runs (left out), and an
    // item whose second run names a font that does not exist.
    const std::string phonetic =
        Rec(rt::SSTItem, Bytes().U8(3).Str(u"kanji").U32(1).U16(0).U16(1).U32(2).U16(0).U16(0).Str(u"kana"));
    const std::string strings =
        StringsPart({SstItem(u"plain"), phonetic, SstItem(u"abcd", {{0, 1}, {2, 7}}), SstItem(u"last")});
    const Workbook wb =
        LoadSheet(SheetData(RowHdr(0) + Rec(rt::CellIsst, Bytes().Cell(0).U32(3))), strings, StylesPart(st));
    ASSERT_EQ(wb.strings.size(), 4u);
    EXPECT_EQ(wb.strings[0].text, "plain");
    EXPECT_TRUE(wb.strings[0].runs.empty());
    EXPECT_EQ(wb.strings[1].text, "kanji");
    ASSERT_EQ(wb.strings[1].runs.size(), 1u);
    EXPECT_TRUE(wb.styles.fonts.at(wb.strings[1].runs[0].font).italic);
    ASSERT_EQ(wb.strings[2].runs.size(), 1u);
    EXPECT_EQ(wb.strings[2].runs[0].length, 2u);
    EXPECT_EQ(TextOf(wb, *CellAt(wb.sheets[0], 0, 0)), "last");
}

TEST(XlsbWorkbook, CommentsAndPictures) {
    const std::string comments =
        Rec(628) + Rec(630) + Rec(rt::CommentAuthor, Bytes().Str(u"Ann")) +
        Rec(rt::CommentAuthor, Bytes().Str(u"Bob")) + Rec(631) + Rec(633) +
        Rec(rt::BeginComment, Bytes().U32(1).Range(2, 2, 3, 3).Raw(std::string(16, '\0'))) +
        Rec(rt::CommentText, Bytes().U8(1).Str(u"Bob:\nnote").U32(1).U16(0).U16(0)) + Rec(rt::EndComment) +
        Rec(rt::BeginComment, Bytes().U32(0).Range(5, 5, 20000, 20000).Raw(std::string(16, '\0'))) +
        Rec(rt::CommentText, Bytes().U8(0).Str(u"beyond the sheet")) + Rec(rt::EndComment) + Rec(634) + Rec(629);
    const std::string drawing =
        R"(<xdr:wsDr xmlns:xdr="http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing" )"
        R"(xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><xdr:oneCellAnchor>)"
        R"(<xdr:from><xdr:col>1</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>2</xdr:row><xdr:rowOff>0</xdr:rowOff>)"
        R"(</xdr:from><xdr:ext cx="9525" cy="9525"/><xdr:pic><xdr:nvPicPr><xdr:cNvPr id="2" name="p" descr="dot"/>)"
        R"(</xdr:nvPicPr><xdr:blipFill><a:blip r:embed="rId1"/></xdr:blipFill></xdr:pic><xdr:clientData/>)"
        R"(</xdr:oneCellAnchor></xdr:wsDr>)";
    Book b;
    b.sheets = {SheetData("") + Rec(rt::Drawing, Bytes().Str(u"rId2"))};
    b.extra = {{"xl/worksheets/_rels/sheet1.bin.rels",
                kRels + R"(<Relationship Id="rId1" Type=")" + kRel + R"(comments" Target="../comments1.bin"/>)" +
                    R"(<Relationship Id="rId2" Type=")" + kRel + R"(drawing" Target="../drawings/drawing1.xml"/>)" +
                    "</Relationships>"},
               {"xl/comments1.bin", comments},
               {"xl/drawings/drawing1.xml", drawing},
               {"xl/drawings/_rels/drawing1.xml.rels", kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
                                                           R"(image" Target="../media/image1.png"/></Relationships>)"},
               {"xl/media/image1.png", kPng}};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.comments.size(), 1u);
    EXPECT_EQ(s.comments[0].row, 2u);
    EXPECT_EQ(s.comments[0].col, 3u);
    EXPECT_EQ(s.comments[0].author, "Bob");
    EXPECT_EQ(s.comments[0].text, "Bob:\nnote");
    ASSERT_EQ(s.pictures.size(), 1u);
    EXPECT_EQ(s.pictures[0].from.col, 1u);
    EXPECT_EQ(s.pictures[0].from.row, 2u);
    EXPECT_EQ(s.pictures[0].contentType, "image/png");
    EXPECT_EQ(s.pictures[0].description, "dot");
    EXPECT_EQ(s.pictures[0].data, kPng);
}

TEST(XlsbWorkbook, ChartsOfWorksheetsAndChartSheetsTakeMissingValuesFromTheCells) {
    // Both charts name their ranges and cache nothing; the worksheet's cells
    // (a shared string, inline strings and numbers) supply the texts.
    auto rels = [](const std::string& type, const std::string& target) {
        return kRels + R"(<Relationship Id="rId1" Type=")" + kRel + type + R"(" Target=")" + target +
               R"("/></Relationships>)";
    };
    const std::string anchor =
        R"(<xdr:wsDr xmlns:xdr="x" xmlns:a="a" xmlns:c="c" xmlns:r="r"><xdr:twoCellAnchor>)"
        R"(<xdr:from><xdr:col>3</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>1</xdr:row><xdr:rowOff>0</xdr:rowOff>)"
        R"(</xdr:from><xdr:to><xdr:col>9</xdr:col><xdr:colOff>0</xdr:colOff><xdr:row>15</xdr:row><xdr:rowOff>0)"
        R"(</xdr:rowOff></xdr:to><xdr:graphicFrame><xdr:nvGraphicFramePr><xdr:cNvPr id="2" name="Chart 1"/>)"
        R"(</xdr:nvGraphicFramePr><xdr:xfrm><a:off x="0" y="0"/><a:ext cx="0" cy="0"/></xdr:xfrm><a:graphic>)"
        R"(<a:graphicData><c:chart r:id="rId1"/></a:graphicData></a:graphic></xdr:graphicFrame><xdr:clientData/>)"
        R"(</xdr:twoCellAnchor></xdr:wsDr>)";
    const std::string chart =
        R"(<c:chartSpace xmlns:c="c"><c:chart><c:plotArea><c:barChart><c:barDir val="col"/><c:ser><c:idx val="0"/>)"
        R"(<c:tx><c:strRef><c:f>Data!$B$3</c:f></c:strRef></c:tx>)"
        R"(<c:cat><c:strRef><c:f>Data!$A$1:$A$2</c:f></c:strRef></c:cat>)"
        R"(<c:val><c:numRef><c:f>'Data'!$B$1:$B$2</c:f></c:numRef></c:val></c:ser>)"
        R"(<c:axId val="1"/><c:axId val="2"/></c:barChart></c:plotArea></c:chart></c:chartSpace>)";
    Book b;
    b.sheetNames = {"Data", "Chart"};
    b.workbook = WorkbookPart(b.sheetNames);
    b.strings = StringsPart({SstItem(u"Spring")});
    b.sheets = {SheetData(RowHdr(0) + Rec(rt::CellIsst, Bytes().Cell(0).U32(0)) +
                          Rec(rt::CellReal, Bytes().Cell(1).F64(3)) + RowHdr(1) +
                          Rec(rt::CellSt, Bytes().Cell(0).Str(u"Autumn")) + Rec(rt::CellReal, Bytes().Cell(1).F64(7)) +
                          RowHdr(2) + Rec(rt::CellSt, Bytes().Cell(1).Str(u"Harvest"))) +
                Rec(rt::Drawing, Bytes().Str(u"rId1"))};
    b.extra = {{"xl/_rels/workbook.bin.rels",
                kRels + R"(<Relationship Id="rId1" Type=")" + kRel + R"(worksheet" Target="worksheets/sheet1.bin"/>)" +
                    R"(<Relationship Id="rId2" Type=")" + kRel + R"(chartsheet" Target="chartsheets/sheet1.bin"/>)" +
                    R"(<Relationship Id="rId9" Type=")" + kRel + R"(sharedStrings" Target="sharedStrings.bin"/>)" +
                    "</Relationships>"},
               {"xl/worksheets/_rels/sheet1.bin.rels", rels("drawing", "../drawings/drawing1.xml")},
               {"xl/drawings/drawing1.xml", anchor},
               {"xl/drawings/_rels/drawing1.xml.rels", rels("chart", "../charts/chart1.xml")},
               {"xl/charts/chart1.xml", chart},
               {"xl/chartsheets/sheet1.bin", Rec(129) + Rec(rt::Drawing, Bytes().Str(u"rId1")) + Rec(130)},
               {"xl/chartsheets/_rels/sheet1.bin.rels", rels("drawing", "../drawings/drawing2.xml")},
               {"xl/drawings/drawing2.xml", anchor},
               {"xl/drawings/_rels/drawing2.xml.rels", rels("chart", "../charts/chart1.xml")}};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    ASSERT_EQ(wb.sheets.size(), 2u);
    for (const Sheet& s : wb.sheets) {
        ASSERT_EQ(s.charts.size(), 1u) << s.name;
        const Chart& c = *s.charts[0];
        EXPECT_EQ(c.from.col, 3u);
        EXPECT_EQ(c.to.row, 15u);
        const auto& series = c.groups.at(0).series.at(0);
        EXPECT_EQ(series.name, "Harvest");
        ASSERT_EQ(series.values.size(), 2u);
        EXPECT_EQ(series.values[1], 7);
        ASSERT_EQ(series.categories.size(), 2u);
        EXPECT_EQ(series.categories[0], "Spring");
        EXPECT_EQ(series.categories[1], "Autumn");
    }
    const std::string page = RenderHtml(wb, {});
    EXPECT_NE(page.find(">Harvest</text>"), std::string::npos);
}

TEST(XlsbWorkbook, LoaderPicksTheReaderByTheMainPart) {
    Book b;
    b.sheets = {SheetData(RowHdr(0) + Rec(rt::CellRk, Bytes().Cell(0).U32(0x3FF00000)))};
    // The main part under another name: the package's relationship says where.
    b.extra = {{"_rels/.rels", kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
                                   R"(officeDocument" Target="book/main.bin"/></Relationships>)"},
               {"book/main.bin", WorkbookPart({"Sheet1"})},
               {"book/_rels/main.bin.rels", kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
                                                R"(worksheet" Target="/xl/worksheets/sheet1.bin"/></Relationships>)"}};
    const std::string bytes = Package(b);
    EXPECT_TRUE(IsXlsbPackage(bytes));
    const Workbook wb = LoadWorkbookFromMemory(bytes);
    EXPECT_EQ(CellAt(wb.sheets.at(0), 0, 0)->number, 1.0);
    // An .xlsx package is not one.
    EXPECT_FALSE(IsXlsbPackage(fixtures::Package(fixtures::SheetXml(""))));
}
