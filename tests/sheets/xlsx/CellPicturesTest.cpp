// Pictures held by cells (the value-metadata chain to an image part) and the
// sheet's background picture, from hand-made packages.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"
#include "sheets/xlsx/CellImages.h"

using namespace sheets;

namespace {

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "picture bytes";

// The parts of the chain, each replaceable by a test.
struct Chain {
    std::string cells =
        R"(<row r="2"><c r="B2" t="e" vm="1"><v>#VALUE!</v></c><c r="C2" t="e" vm="2"><v>#VALUE!</v></c>)"
        R"(<c r="D2" t="e" vm="1"><v>#VALUE!</v></c><c r="E2" t="e"><v>#VALUE!</v></c></row>)";
    std::string metadata =
        R"(<metadata xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
        R"(xmlns:xlrd="http://schemas.microsoft.com/office/spreadsheetml/2017/richdata"><metadataTypes count="2">)"
        R"(<metadataType name="XLDAPR"/><metadataType name="XLRICHVALUE"/></metadataTypes>)"
        R"(<futureMetadata name="XLDAPR" count="1"><bk><extLst><ext uri="x"><xlrd:rvb i="7"/></ext></extLst></bk></futureMetadata>)"
        R"(<futureMetadata name="XLRICHVALUE" count="2"><bk><extLst><ext uri="x"><xlrd:rvb i="1"/></ext></extLst></bk>)"
        R"(<bk><extLst><ext uri="x"><xlrd:rvb i="0"/></ext></extLst></bk></futureMetadata>)"
        R"(<valueMetadata count="2"><bk><rc t="2" v="0"/></bk><bk><rc t="2" v="1"/></bk></valueMetadata></metadata>)";
    std::string structures =
        R"(<rvStructures xmlns="http://schemas.microsoft.com/office/spreadsheetml/2017/richdata" count="2">)"
        R"(<s t="_localImage"><k n="_rvRel:LocalImageIdentifier" t="i"/><k n="CalcOrigin" t="i"/></s>)"
        R"(<s t="_localImage"><k n="_rvRel:LocalImageIdentifier" t="i"/><k n="CalcOrigin" t="i"/><k n="Text" t="s"/></s>)"
        R"(</rvStructures>)";
    std::string values =
        R"(<rvData xmlns="http://schemas.microsoft.com/office/spreadsheetml/2017/richdata" count="2">)"
        R"(<rv s="0"><v>0</v><v>5</v></rv><rv s="1"><v>1</v><v>5</v><v>A &lt;logo&gt;</v></rv></rvData>)";
    std::string relList =
        R"(<richValueRels xmlns="http://schemas.microsoft.com/office/spreadsheetml/2022/richvaluerel" )"
        R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
        R"(<rel r:id="i1"/><rel r:id="i2"/></richValueRels>)";
    std::string relListRels = kRels + R"(<Relationship Id="i1" Type=")" + kRel +
                              R"(image" Target="../media/image1.png"/><Relationship Id="i2" Type=")" + kRel +
                              R"(image" Target="../media/image2.png"/></Relationships>)";
    std::string sheetEnd;  // after sheetData
    fixtures::Entries extra;

    std::string Bytes() const {
        const std::string ms = "http://schemas.microsoft.com/office/";
        const std::string wbRels = kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
                                   R"(worksheet" Target="worksheets/sheet1.xml"/>)"
                                   R"(<Relationship Id="rId4" Type=")" +
                                   kRel + R"(sheetMetadata" Target="metadata.xml"/><Relationship Id="rId5" Type=")" +
                                   ms +
                                   R"(2022/10/relationships/richValueRel" Target="richData/richValueRel.xml"/>)"
                                   R"(<Relationship Id="rId6" Type=")" +
                                   ms +
                                   R"(2017/06/relationships/rdRichValue" Target="richData/rdrichvalue.xml"/>)"
                                   R"(<Relationship Id="rId7" Type=")" +
                                   ms +
                                   R"(2017/06/relationships/rdRichValueStructure" )"
                                   R"(Target="richData/rdrichvaluestructure.xml"/></Relationships>)";
        fixtures::Entries e = {{"xl/_rels/workbook.xml.rels", wbRels},
                               {"xl/metadata.xml", metadata},
                               {"xl/richData/rdrichvaluestructure.xml", structures},
                               {"xl/richData/rdrichvalue.xml", values},
                               {"xl/richData/richValueRel.xml", relList},
                               {"xl/richData/_rels/richValueRel.xml.rels", relListRels},
                               {"xl/media/image1.png", kPng},
                               {"xl/media/image2.png", kPng + "2"}};
        for (const auto& x : extra) e.push_back(x);
        return fixtures::Package(fixtures::SheetXml(cells, "", sheetEnd), "", "", e);
    }
};

// What the cells B2, C2, D2 show: the picture's last byte, or the cell's error text.
std::string Shown(const Workbook& wb) {
    const Sheet& s = wb.sheets.at(0);
    std::string out;
    for (uint32_t col = 1; col <= 3; ++col) {
        auto p = std::find_if(s.cellPictures.begin(), s.cellPictures.end(),
                              [&](const CellPicture& c) { return c.row == 1 && c.col == col; });
        if (p != s.cellPictures.end()) {
            out += std::string("[") + p->data->back() + "]";
        } else if (const Cell* c = fixtures::CellAt(s, 1, col); c && c->type == CellType::Error) {
            out += fixtures::TextOf(wb, *c);
        } else {
            out += "?";
        }
    }
    return out;
}

}  // namespace

TEST(XlsxCellPictures, TheChainLeadsEachCellToItsImage) {
    const Workbook wb = fixtures::Load(Chain{}.Bytes());
    const Sheet& s = wb.sheets[0];
    // vm 1 -> rich value 1 -> second image with its text; vm 2 -> rich value 0.
    EXPECT_EQ(Shown(wb), "[2][s][2]");
    ASSERT_EQ(s.cellPictures.size(), 3u);
    EXPECT_EQ(s.cellPictures[0].contentType, "image/png");
    EXPECT_EQ(s.cellPictures[0].description, "A <logo>");
    EXPECT_EQ(s.cellPictures[1].description, "");
    // Two cells showing one image share its bytes.
    EXPECT_EQ(s.cellPictures[0].data.get(), s.cellPictures[2].data.get());
    // The cell keeps its place and format, no longer its error (it shows no
    // text); an error cell without metadata stays.
    ASSERT_NE(fixtures::CellAt(s, 1, 1), nullptr);
    EXPECT_EQ(fixtures::CellAt(s, 1, 1)->type, CellType::String);
    EXPECT_EQ(fixtures::TextOf(wb, *fixtures::CellAt(s, 1, 1)), "");
    EXPECT_EQ(fixtures::TextOf(wb, *fixtures::CellAt(s, 1, 4)), "#VALUE!");
}

TEST(XlsxCellPictures, PicturesAFormulaFetchedComeFromTheWebImageList) {
    Chain c;
    c.structures = R"(<rvStructures count="1"><s t="_webimage"><k n="_rvRel:WebImageIdentifier" t="i"/>)"
                   R"(<k n="Text" t="s"/></s></rvStructures>)";
    c.values = R"(<rvData count="2"><rv s="0"><v>1</v><v>chart</v></rv><rv s="0"><v>0</v><v>map</v></rv></rvData>)";
    c.extra = {
        {"xl/_rels/workbook.xml.rels",
         kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
             R"(worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId4" Type=")" + kRel +
             R"(sheetMetadata" Target="metadata.xml"/><Relationship Id="rId6" Type="x/rdRichValue" )"
             R"(Target="richData/rdrichvalue.xml"/><Relationship Id="rId7" Type="x/rdRichValueStructure" )"
             R"(Target="richData/rdrichvaluestructure.xml"/><Relationship Id="rId8" Type="x/rdRichValueWebImage" )"
             R"(Target="richData/rdRichValueWebImage.xml"/></Relationships>)"},
        {"xl/richData/rdRichValueWebImage.xml",
         R"(<webImagesSrd xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
         R"(<webImageSrd><address r:id="a1"/><blip r:id="b1"/></webImageSrd>)"
         R"(<webImageSrd><address r:id="a2"/><blip r:id="b2"/></webImageSrd></webImagesSrd>)"},
        {"xl/richData/_rels/rdRichValueWebImage.xml.rels",
         kRels + R"(<Relationship Id="a1" Type=")" + kRel +
             R"(hyperlink" Target="https://example.com/a.png" TargetMode="External"/>)"
             R"(<Relationship Id="b1" Type=")" +
             kRel + R"(image" Target="../media/image1.png"/><Relationship Id="b2" Type=")" + kRel +
             R"(image" Target="../media/image2.png"/></Relationships>)"}};
    const Workbook wb = fixtures::Load(c.Bytes());
    EXPECT_EQ(Shown(wb), "[s][2][s]");
    EXPECT_EQ(wb.sheets[0].cellPictures[0].description, "map");
}

// Every index of the chain is the file's word: one out of range leaves that
// cell with its cached error, the others keep their pictures.
TEST(XlsxCellPictures, IndicesOutOfRangeLeaveTheCachedValue) {
    auto with = [](auto change) {
        Chain c;
        change(c);
        return Shown(fixtures::Load(c.Bytes()));
    };
    auto replace = [](std::string& s, const std::string& from, const std::string& to) {
        const size_t at = s.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        s.replace(at, from.size(), to);
    };
    // vm past the value metadata, and vm 0.
    EXPECT_EQ(with([&](Chain& c) { replace(c.cells, R"(vm="2")", R"(vm="3")"); }), "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.cells, R"(C2" t="e" vm="2")", R"(C2" t="e" vm="0")"); }), "[2]#VALUE![2]");
    // A metadata type that is not a rich value, or none at all.
    EXPECT_EQ(with([&](Chain& c) { replace(c.metadata, R"(<rc t="2" v="1"/>)", R"(<rc t="1" v="0"/>)"); }),
              "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.metadata, R"(<rc t="2" v="1"/>)", R"(<rc t="9" v="1"/>)"); }),
              "[2]#VALUE![2]");
    // Past the rich-value blocks; a block naming no rich value or one past the list.
    EXPECT_EQ(with([&](Chain& c) { replace(c.metadata, R"(<rc t="2" v="1"/>)", R"(<rc t="2" v="2"/>)"); }),
              "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.metadata, R"(<xlrd:rvb i="0"/>)", R"(<xlrd:rvb i="2"/>)"); }),
              "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.metadata, R"(<xlrd:rvb i="0"/>)", R"(<xlrd:rvb/>)"); }), "[2]#VALUE![2]");
    // A rich value of a structure that is not there, or not a picture.
    EXPECT_EQ(with([&](Chain& c) { replace(c.values, R"(<rv s="0">)", R"(<rv s="5">)"); }), "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) {
                  replace(c.structures, R"(<s t="_localImage"><k n="_rvRel:LocalImageIdentifier")",
                          R"(<s t="_linkedEntity"><k n="_Display")");
              }),
              "[2]#VALUE![2]");
    // A relationship index past the list, a negative one, an id the relationships lack, a part not there.
    EXPECT_EQ(with([&](Chain& c) { replace(c.values, R"(<rv s="0"><v>0</v>)", R"(<rv s="0"><v>2</v>)"); }),
              "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.values, R"(<rv s="0"><v>0</v>)", R"(<rv s="0"><v>-1</v>)"); }),
              "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.relList, R"(<rel r:id="i1"/>)", R"(<rel r:id="zz"/>)"); }),
              "[2]#VALUE![2]");
    EXPECT_EQ(with([&](Chain& c) { replace(c.relListRels, "image1.png", "absent.png"); }), "[2]#VALUE![2]");
    // An empty image shows nothing, so the cell keeps its value.
    EXPECT_EQ(with([&](Chain& c) { c.extra = {{"xl/media/image1.png", ""}}; }), "[2]#VALUE![2]");
}

TEST(XlsxCellPictures, MissingOrDamagedPartsKeepTheWorkbook) {
    auto with = [](const fixtures::Entries& extra) {
        Chain c;
        c.extra = extra;
        return Shown(fixtures::Load(c.Bytes()));
    };
    EXPECT_EQ(with({{"xl/metadata.xml", "<metadata><valueMetadata><bk><rc t="}}), "#VALUE!#VALUE!#VALUE!");
    EXPECT_EQ(with({{"xl/richData/rdrichvalue.xml", "<rvData><rv s=\"0\"><v>0</rv>"}}), "#VALUE!#VALUE!#VALUE!");
    // A package without the list of relationships shows the cached values.
    Chain c;
    c.extra = {{"xl/_rels/workbook.xml.rels", kRels + R"(<Relationship Id="rId1" Type=")" + kRel +
                                                  R"(worksheet" Target="worksheets/sheet1.xml"/></Relationships>)"}};
    EXPECT_EQ(Shown(fixtures::Load(c.Bytes())), "#VALUE!#VALUE!#VALUE!");
}

TEST(XlsxCellPictures, EachCellDrawnCostsItsImageFromTheBudget) {
    const std::string bytes = Chain{}.Bytes();
    xlsx::Package pkg(bytes);
    xlsx::CellImages images(pkg, pkg.Rels("xl/workbook.xml"));
    ASSERT_FALSE(images.Empty());
    Sheet sheet;
    sheet.rows.push_back(Row{});
    sheet.rows[0].index = 1;
    for (uint16_t col = 1; col <= 3; ++col) {
        Cell c;
        c.col = col;
        c.type = CellType::Error;
        sheet.rows[0].cells.push_back(c);
    }
    // Room for two copies of the image, not three.
    uint64_t budget = 2 * (kPng.size() + 1) + 1;
    std::vector<RichString> strings;
    images.Place(pkg, {{1, 1, 1}, {1, 3, 1}, {1, 2, 2}, {1, 2, 2}}, sheet, budget, strings);
    EXPECT_EQ(strings.size(), 1u);  // one empty text for every cell that shows a picture
    ASSERT_EQ(sheet.cellPictures.size(), 2u);
    EXPECT_EQ(sheet.cellPictures[1].col, 3u);
    EXPECT_EQ(budget, 1u);
    EXPECT_EQ(sheet.rows[0].cells[1].type, CellType::Error);  // C2: no room left, and named twice
}

TEST(XlsxBackground, TheSheetPictureIsKeptWithinItsLimits) {
    auto load = [](const std::string& target, const std::string& image) {
        Chain c;
        c.sheetEnd = R"(<picture r:id="bg"/>)";
        c.extra = {
            {"xl/worksheets/_rels/sheet1.xml.rels", kRels + R"(<Relationship Id="bg" Type=")" + kRel +
                                                        R"(image" Target=")" + target + R"("/></Relationships>)"},
            {"xl/media/bg.png", image}};
        return fixtures::Load(c.Bytes());
    };
    Workbook wb = load("../media/bg.png", kPng);
    EXPECT_EQ(wb.sheets[0].background.contentType, "image/png");
    EXPECT_EQ(wb.sheets[0].background.data, kPng);
    EXPECT_EQ(Shown(wb), "[2][s][2]");
    EXPECT_TRUE(load("../media/none.png", kPng).sheets[0].background.data.empty());
    // A part the package cannot give safely costs the background, not the page.
    wb = load("../media/bg.png", std::string(kBackgroundMaxBytes + 1, 'x'));
    EXPECT_TRUE(wb.sheets[0].background.data.empty());
    EXPECT_EQ(Shown(wb), "[2][s][2]");
}
