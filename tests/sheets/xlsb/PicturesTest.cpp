// The pictures of a binary workbook's sheets that are no drawing: the sheet's
// background, and pictures held by cells as their values.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "../xlsx/XlsxFixtures.h"
#include "XlsbBuilder.h"
#include "sheets/Loader.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/xlsb/RecordTypes.h"
#include "support/Golden.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;
using fixtures::CellAt;
using fixtures::TextOf;

namespace {

const std::string kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const std::string kRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "picture bytes";

std::string SheetRels(const std::string& id, const std::string& target) {
    return kRels + R"(<Relationship Id=")" + id + R"(" Type=")" + kRel + R"(image" Target=")" + target +
           R"("/></Relationships>)";
}

// A sheet of one number whose background record names `relId`.
Book BackgroundBook(const std::string& backgroundRecord, const std::string& target, const std::string& image) {
    Book b;
    b.sheets = {SheetData(RowHdr(0) + Rec(rt::CellReal, Bytes().Cell(0).F64(42))) + backgroundRecord};
    b.extra = {{"xl/worksheets/_rels/sheet1.bin.rels", SheetRels("rIdBg", target)}, {"xl/media/bg.png", image}};
    return b;
}

std::string BkHim(std::u16string_view relId) { return Rec(rt::BkHim, Bytes().Str(relId)); }

std::string Page(const Workbook& wb) {
    HtmlOptions o;
    o.title = "pictures";
    return RenderHtml(wb, o);
}

}  // namespace

TEST(XlsbBackground, TheNamedImageIsTheSheetsBackground) {
    const Workbook wb = LoadWorkbookFromMemory(Package(BackgroundBook(BkHim(u"rIdBg"), "../media/bg.png", kPng)));
    const Sheet& s = wb.sheets.at(0);
    EXPECT_EQ(s.background.contentType, "image/png");
    EXPECT_EQ(s.background.data, kPng);
    EXPECT_EQ(CellAt(s, 0, 0)->number, 42);
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "background.htm", Page(wb));
}

TEST(XlsbBackground, AnythingAmissCostsTheBackgroundOnly) {
    auto load = [](const std::string& record, const std::string& target, const std::string& image) {
        return LoadWorkbookFromMemory(Package(BackgroundBook(record, target, image)));
    };
    const std::string good = BkHim(u"rIdBg");
    const Workbook cases[] = {
        load(good, "../media/absent.png", kPng),  // no such part
        load(BkHim(u"rIdOther"), "../media/bg.png", kPng),  // no such relationship
        load(BkHim(u""), "../media/bg.png", kPng),
        // The string's length runs past the record.
        load(Rec(rt::BkHim, Bytes().U32(400).Raw("r\0I\0")), "../media/bg.png", kPng),
        load(good, "../media/bg.png", ""),
        load(good, "../media/bg.png", std::string(kBackgroundMaxBytes + 1, 'x')),
    };
    for (const Workbook& wb : cases) {
        EXPECT_TRUE(wb.sheets.at(0).background.data.empty());
        EXPECT_EQ(CellAt(wb.sheets[0], 0, 0)->number, 42);
    }
}

namespace {

const std::string kMs = "http://schemas.microsoft.com/office/";

// Records of the metadata part the reader passes over.
constexpr uint32_t kBeginMetadata = 332, kEndMetadata = 333, kBeginEsmdtinfo = 334, kEndEsmdtinfo = 336;
constexpr uint32_t kEndFmd = 53, kEndRichValueBlock = 5003;

std::string Mdtinfo(std::u16string_view name) { return Rec(rt::Mdtinfo, Bytes().U32(0).U32(1).Str(name)); }

// An entry of a future metadata store naming rich value `irv`.
std::string RichValueFmd(uint32_t irv) {
    return Rec(rt::BeginFmd) + Rec(rt::FRTBegin, Bytes().U32(0)) +
           Rec(rt::BeginRichValueBlock, Bytes().U32(0).U32(irv)) + Rec(kEndRichValueBlock, Bytes().U32(0)) +
           Rec(rt::FRTEnd) + Rec(kEndFmd);
}

std::string Mdb(uint32_t type, uint32_t value) { return Rec(rt::Mdb, Bytes().U32(1).U32(type).U32(value)); }

// A cell error record (#VALUE!) at `col`, after a value metadata record when `vm` is set.
std::string PictureCell(uint32_t col, uint32_t vm) {
    return (vm ? Rec(rt::ValueMeta, Bytes().U32(vm)) : std::string()) + Rec(rt::CellError, Bytes().Cell(col).U8(0x0F));
}

// A workbook whose cells B2 and C2 hold pictures through the metadata part;
// D2 names a second copy of B2's, E2 none. Every part is replaceable.
struct Chain {
    std::string cells = RowHdr(1) + PictureCell(1, 1) + PictureCell(2, 2) + PictureCell(3, 1) + PictureCell(4, 0);
    // Value entries 1 and 2 name the rich-value store's entries 0 and 1,
    // which name rich values 1 and 0.
    std::string types = Mdtinfo(u"XLDAPR") + Mdtinfo(u"XLRICHVALUE");
    std::string richStore = RichValueFmd(1) + RichValueFmd(0);
    std::string entries = Mdb(2, 0) + Mdb(2, 1);
    std::string metadataTarget = "metadata.bin";
    fixtures::Entries extra;

    std::string Metadata() const {
        return Rec(kBeginMetadata) + Rec(kBeginEsmdtinfo, Bytes().U32(2)) + types + Rec(kEndEsmdtinfo) +
               // A store of another type holds rich-value blocks of its own, which name nothing.
               Rec(rt::BeginEsfmd, Bytes().U32(1).Str(u"XLDAPR")) + RichValueFmd(0) + Rec(rt::EndEsfmd) +
               Rec(rt::BeginEsfmd, Bytes().U32(2).Str(u"XLRICHVALUE")) + richStore + Rec(rt::EndEsfmd) +
               Rec(rt::BeginEsmdb, Bytes().U32(2).U32(0)) + entries + Rec(rt::EndEsmdb) + Rec(kEndMetadata);
    }

    std::string Pack() const {
        Book b;
        b.sheets = {SheetData(cells)};
        const std::string wbRels =
            kRels + R"(<Relationship Id="rId1" Type=")" + kRel + R"(worksheet" Target="worksheets/sheet1.bin"/>)" +
            R"(<Relationship Id="rId4" Type=")" + kRel + R"(sheetMetadata" Target=")" + metadataTarget + R"("/>)" +
            R"(<Relationship Id="rId5" Type=")" + kMs +
            R"(2022/10/relationships/richValueRel" Target="richData/richValueRel.xml"/>)"
            R"(<Relationship Id="rId6" Type=")" +
            kMs + R"(2017/06/relationships/rdRichValue" Target="richData/rdrichvalue.xml"/>)" +
            R"(<Relationship Id="rId7" Type=")" + kMs +
            R"(2017/06/relationships/rdRichValueStructure" Target="richData/rdrichvaluestructure.xml"/>)"
            R"(</Relationships>)";
        // The rich-value parts are the same XML as in a text workbook.
        b.extra = {
            {"xl/_rels/workbook.bin.rels", wbRels},
            {"xl/metadata.bin", Metadata()},
            {"xl/richData/rdrichvaluestructure.xml",
             R"(<rvStructures xmlns="http://schemas.microsoft.com/office/spreadsheetml/2017/richdata" count="2">)"
             R"(<s t="_localImage"><k n="_rvRel:LocalImageIdentifier" t="i"/><k n="CalcOrigin" t="i"/></s>)"
             R"(<s t="_localImage"><k n="_rvRel:LocalImageIdentifier" t="i"/><k n="CalcOrigin" t="i"/>)"
             R"(<k n="Text" t="s"/></s></rvStructures>)"},
            {"xl/richData/rdrichvalue.xml",
             R"(<rvData xmlns="http://schemas.microsoft.com/office/spreadsheetml/2017/richdata" count="2">)"
             R"(<rv s="0"><v>0</v><v>5</v></rv><rv s="1"><v>1</v><v>5</v><v>A &lt;logo&gt;</v></rv></rvData>)"},
            {"xl/richData/richValueRel.xml",
             R"(<richValueRels xmlns="http://schemas.microsoft.com/office/spreadsheetml/2022/richvaluerel" )"
             R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships">)"
             R"(<rel r:id="i1"/><rel r:id="i2"/></richValueRels>)"},
            {"xl/richData/_rels/richValueRel.xml.rels",
             kRels + R"(<Relationship Id="i1" Type=")" + kRel +
                 R"(image" Target="../media/image1.png"/><Relationship Id="i2" Type=")" + kRel +
                 R"(image" Target="../media/image2.png"/></Relationships>)"},
            {"xl/media/image1.png", kPng},
            {"xl/media/image2.png", kPng + "2"}};
        for (const auto& x : extra) b.extra.push_back(x);
        return Package(b);
    }
};

// What the cells B2 to E2 show: [n] for a picture whose bytes end in n
// ([s] for the first image), or the cell's text.
std::string Shown(const Workbook& wb) {
    const Sheet& s = wb.sheets.at(0);
    std::string out;
    for (uint32_t col = 1; col <= 4; ++col) {
        auto p = std::find_if(s.cellPictures.begin(), s.cellPictures.end(),
                              [&](const CellPicture& c) { return c.row == 1 && c.col == col; });
        const Cell* c = CellAt(s, 1, col);
        if (p != s.cellPictures.end()) out += "[" + p->data->substr(p->data->size() - 1) + "]";
        else out += c ? TextOf(wb, *c) : "-";
    }
    return out;
}

std::string ShownWith(const std::function<void(Chain&)>& change) {
    Chain c;
    change(c);
    return Shown(LoadWorkbookFromMemory(c.Pack()));
}

}  // namespace

TEST(XlsbCellPictures, TheMetadataPartLeadsToTheImages) {
    const Workbook wb = LoadWorkbookFromMemory(Chain{}.Pack());
    EXPECT_EQ(Shown(wb), "[2][s][2]#VALUE!");
    const Sheet& s = wb.sheets.at(0);
    ASSERT_EQ(s.cellPictures.size(), 3u);
    EXPECT_EQ(s.cellPictures[0].contentType, "image/png");
    EXPECT_EQ(s.cellPictures[0].description, "A <logo>");
    EXPECT_EQ(s.cellPictures[0].data.get(), s.cellPictures[2].data.get());  // held once
    ExpectGoldenFile(std::filesystem::path(__FILE__).parent_path() / "golden" / "cell_pictures.htm", Page(wb));
}

TEST(XlsbCellPictures, IndicesOutOfRangeKeepTheCachedValue) {
    // A cell naming no entry, or an entry past the list.
    EXPECT_EQ(ShownWith([](Chain& c) { c.cells = RowHdr(1) + PictureCell(1, 9) + PictureCell(2, 2); }), "#VALUE![s]--");
    // An entry of a type past the list, or of a type that is no rich value.
    EXPECT_EQ(ShownWith([](Chain& c) { c.entries = Mdb(7, 0) + Mdb(1, 1); }), "#VALUE!#VALUE!#VALUE!#VALUE!");
    // An entry naming a store entry past the store, a store entry naming a
    // rich value past the list.
    EXPECT_EQ(ShownWith([](Chain& c) { c.entries = Mdb(2, 5) + Mdb(2, 1); }), "#VALUE![s]#VALUE!#VALUE!");
    EXPECT_EQ(ShownWith([](Chain& c) { c.richStore = RichValueFmd(99) + RichValueFmd(0); }),
              "#VALUE![s]#VALUE!#VALUE!");
    // A rich-value block outside a future-record block is not one.
    EXPECT_EQ(ShownWith([](Chain& c) {
                  c.richStore = Rec(rt::BeginFmd) + Rec(rt::BeginRichValueBlock, Bytes().U32(0).U32(1)) + Rec(kEndFmd) +
                                RichValueFmd(0);
              }),
              "#VALUE![s]#VALUE!#VALUE!");
    // A value metadata record before something other than a cell names nothing.
    EXPECT_EQ(ShownWith([](Chain& c) {
                  c.cells = Rec(rt::ValueMeta, Bytes().U32(1)) + RowHdr(1) + PictureCell(1, 0) + PictureCell(2, 2);
              }),
              "#VALUE![s]--");
    // A cell naming a picture that holds no error keeps its value.
    Chain number;
    number.cells = RowHdr(1) + Rec(rt::ValueMeta, Bytes().U32(1)) + Rec(rt::CellReal, Bytes().Cell(1).F64(3));
    const Workbook wb = LoadWorkbookFromMemory(number.Pack());
    EXPECT_TRUE(wb.sheets.at(0).cellPictures.empty());
    EXPECT_EQ(CellAt(wb.sheets[0], 1, 1)->number, 3);
}

TEST(XlsbCellPictures, MissingOrDamagedPartsKeepTheWorkbook) {
    EXPECT_EQ(ShownWith([](Chain& c) { c.metadataTarget = "absent.bin"; }), "#VALUE!#VALUE!#VALUE!#VALUE!");
    EXPECT_EQ(ShownWith([](Chain& c) {
                  c.extra = {{"xl/richData/rdrichvalue.xml", "<rvData><rv s=\"0\"><v>0</rv>"}};
              }),
              "#VALUE!#VALUE!#VALUE!#VALUE!");
    EXPECT_EQ(ShownWith([](Chain& c) { c.extra = {{"xl/media/image2.png", ""}}; }), "#VALUE![s]#VALUE!#VALUE!");
    // A part cut inside a record, or whose record sizes lie, gives what came before.
    Chain cut;
    const std::string whole = cut.Metadata();
    for (size_t keep : {whole.size() - 3, whole.size() / 2, size_t(5)}) {
        Chain c;
        c.extra = {{"xl/metadata.bin", whole.substr(0, keep)}};
        const std::string shown = Shown(LoadWorkbookFromMemory(c.Pack()));
        EXPECT_EQ(shown.substr(shown.size() - 7), "#VALUE!") << keep;
    }
    Chain lying;
    lying.entries = Rec(rt::Mdb, Bytes().U32(0x7FFFFFFF).U32(2)) + Mdb(2, 1);
    EXPECT_EQ(Shown(LoadWorkbookFromMemory(lying.Pack())), "#VALUE![s]#VALUE!#VALUE!");
}
