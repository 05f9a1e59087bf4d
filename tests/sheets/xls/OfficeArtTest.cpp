// The drawing layer of binary workbooks, with its records built by hand:
// pictures from the store at their anchors, shapes with their texts, form
// controls, and every structure a hostile file can bend.
#include <gtest/gtest.h>

#include "XlsTestStream.h"
#include "sheets/model/Shape.h"
#include "sheets/xls/OfficeArt.h"
#include "sheets/xls/SheetDrawing.h"
#include "sheets/xls/XlsReader.h"

using namespace xlstest;
using namespace sheets;
using namespace sheets::xls;

namespace {

const std::string kPng = std::string("\x89PNG\r\n\x1A\n", 8) + "png body";
const std::string kJpeg = "\xFF\xD8\xFF\xE0jpeg body";

std::string Art(uint16_t ver, uint16_t inst, uint16_t type, const std::string& body) {
    return U16(uint16_t(ver | inst << 4)) + U16(type) + U32(uint32_t(body.size())) + body;
}
std::string Box(uint16_t type, const std::string& children) { return Art(0xF, 0, type, children); }

// A store entry holding `blip` (a BLIP record).
std::string Fbse(uint8_t kind, const std::string& blip) {
    return Art(2, kind, 0xF007,
               U8(kind) + U8(kind) + std::string(16, 'u') + U16(0xFF) + U32(uint32_t(blip.size())) + U32(1) + U32(0) +
                   U8(0) + U8(0) + U8(0) + U8(0) + blip);
}
std::string PngBlip(const std::string& bytes) { return Art(0, 0x6E0, 0xF01E, std::string(16, 'i') + U8(0xFF) + bytes); }
// An odd instance: a second identifier before the bytes.
std::string JpegBlip(const std::string& bytes) {
    return Art(0, 0x46B, 0xF01D, std::string(32, 'i') + U8(0xFF) + bytes);
}

std::string Group(const std::vector<std::string>& blips) {
    std::string store;
    for (const auto& b : blips) store += b;
    return Box(0xF000, Art(0, 0, 0xF006, std::string(16, '\0')) + Box(0xF001, store));
}

std::string Properties(const std::vector<std::pair<uint16_t, uint32_t>>& props) {
    std::string body;
    for (const auto& [id, v] : props) body += U16(id) + U32(v);
    return Art(3, uint16_t(props.size()), 0xF00B, body);
}

std::string ClientAnchor(uint16_t c1, uint16_t dx1, uint16_t r1, uint16_t dy1, uint16_t c2, uint16_t r2) {
    return Art(0, 0, 0xF010, U16(2) + U16(c1) + U16(dx1) + U16(r1) + U16(dy1) + U16(c2) + U16(0) + U16(r2) + U16(0));
}

// A shape container: its FSP (type and flags), then the given records.
std::string Sp(uint16_t type, uint32_t flags, const std::string& records) {
    return Box(0xF004, Art(2, type, 0xF00A, U32(1025) + U32(flags)) + records);
}

constexpr uint32_t kHaveAnchor = 0xA00;  // fHaveAnchor | fHaveSpt
std::string ClientData() { return Art(0, 0, 0xF011, ""); }
std::string ClientTextbox() { return Art(0, 0, 0xF00D, U32(0)); }

std::string Patriarch() { return Sp(0, 0x5, Art(1, 0, 0xF009, std::string(16, '\0'))); }

std::string Drawing(const std::string& shapes) {
    return Box(0xF002, Art(0, 1, 0xF008, U32(2) + U32(1025)) + Box(0xF003, Patriarch() + shapes));
}

std::string Obj(uint16_t kind, const std::string& more = "") {
    return Rec(0x005D, U16(0x15) + U16(18) + U16(kind) + U16(1) + std::string(14, '\0') + more + U32(0));
}
std::string Txo(const std::string& text, uint16_t flags) {
    return Rec(0x01B6, U16(flags) + std::string(8, '\0') + U16(uint16_t(text.size())) + U16(16) + U32(0)) +
           Rec(0x003C, U8(0) + text) +
           Rec(0x003C, U16(0) + U16(0) + U32(0) + U16(uint16_t(text.size())) + U16(0) + U32(0));
}

// A record of the sheet stream holding part of the drawing.
std::string MsoDrawing(const std::string& bytes) { return Rec(0x00EC, bytes); }

}  // namespace

TEST(XlsOfficeArt, StoreKeepsBitmapsItCanShow) {
    uint64_t budget = 1 << 20;
    const std::string emf = Art(0, 0x3D4, 0xF01A, std::string(16, 'i') + std::string(34, 'e'));
    const auto blips = ReadBlipStore(Group({Fbse(6, PngBlip(kPng)), Fbse(5, JpegBlip(kJpeg)), Fbse(2, emf),
                                            Fbse(6, PngBlip("not a png at all")), Fbse(6, "")}),
                                     budget);
    ASSERT_EQ(blips.size(), 5u);  // every entry keeps its index
    EXPECT_EQ(blips[0].contentType, "image/png");
    EXPECT_EQ(blips[0].data, kPng);
    EXPECT_EQ(blips[1].contentType, "image/jpeg");
    EXPECT_EQ(blips[1].data, kJpeg);
    EXPECT_TRUE(blips[2].data.empty());  // metafiles are not shown
    EXPECT_TRUE(blips[3].data.empty());  // the bytes are not what the record says
    EXPECT_TRUE(blips[4].data.empty());
    EXPECT_EQ(budget, (1u << 20) - kPng.size() - kJpeg.size());
}

TEST(XlsOfficeArt, StoreSurvivesLengthsPastItsEndAndTheBudget) {
    std::string group = Group({Fbse(6, PngBlip(kPng)), Fbse(6, PngBlip(kPng))});
    // The second entry claims far more than the group holds.
    group.replace(group.size() - (PngBlip(kPng).size() + 36 + 8) + 4, 4, U32(0x7FFFFFF0));
    uint64_t budget = 1 << 20;
    auto blips = ReadBlipStore(group, budget);
    ASSERT_EQ(blips.size(), 2u);
    EXPECT_EQ(blips[0].data, kPng);
    uint64_t small = kPng.size() + 1;
    blips = ReadBlipStore(Group({Fbse(6, PngBlip(kPng)), Fbse(6, PngBlip(kPng))}), small);
    ASSERT_EQ(blips.size(), 2u);
    EXPECT_EQ(blips[0].data, kPng);
    EXPECT_TRUE(blips[1].data.empty());  // past the budget
    for (size_t cut = 0; cut < group.size(); cut += 7) {
        uint64_t b = 1 << 20;
        ReadBlipStore(group.substr(0, cut), b);  // no read past any cut
    }
}

TEST(XlsOfficeArt, BitmapsBecomeBmpFilesOnlyWhenTheirHeaderFits) {
    // Two by two pixels of 24 bits: rows of 8 bytes.
    const std::string header =
        U32(40) + U32(2) + U32(2) + U16(1) + U16(24) + U32(0) + U32(16) + U32(0) + U32(0) + U32(0) + U32(0);
    const std::string bmp = DibToBmp(header + std::string(16, '\x7F'));
    ASSERT_EQ(bmp.size(), 14 + 40 + 16u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(bmp.substr(10, 4), U32(54));
    // Headers that claim more pixels or colours than the bytes hold.
    const std::string tall = U32(40) + U32(2) + U32(60000) + U16(1) + U16(24) + std::string(24, '\0');
    EXPECT_TRUE(DibToBmp(tall + std::string(16, '\0')).empty());
    const std::string paletted =
        U32(40) + U32(2) + U32(2) + U16(1) + U16(8) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0xFFFFFFFF) + U32(0);
    EXPECT_TRUE(DibToBmp(paletted + std::string(64, '\0')).empty());
    EXPECT_TRUE(DibToBmp(U32(0xFFFFFFFF) + U32(2)).empty());
    EXPECT_TRUE(DibToBmp("").empty());
}

TEST(XlsOfficeArt, ShapesAnchorsGroupsAndProperties) {
    const std::string picture = Sp(75, kHaveAnchor,
                                   Properties({{0x0104, 1}, {0x0102, 0x8000}, {0x0004, uint32_t(-90 * 65536)}}) +
                                       ClientAnchor(1, 512, 2, 128, 4, 9) + ClientData());
    const std::string group = Box(
        0xF003,
        Sp(0, 0x201 | kHaveAnchor,
           Art(1, 0, 0xF009, U32(0) + U32(0) + U32(100) + U32(100)) + ClientAnchor(0, 0, 0, 0, 2, 2) + ClientData()) +
            Sp(1, 0x2 | kHaveAnchor | 0x40,
               Properties({{0x0181, 0x080000FF}, {0x01BF, 0x100000}, {0x01CB, 25400}}) +
                   Art(0, 0, 0xF00F, U32(50) + U32(0) + U32(100) + U32(50)) + ClientData() + ClientTextbox()));
    const auto shapes = ReadSheetDrawing(Drawing(picture + group));
    ASSERT_EQ(shapes.size(), 3u);
    EXPECT_EQ(shapes[0].type, 75);
    EXPECT_EQ(shapes[0].blip, 1u);
    EXPECT_DOUBLE_EQ(shapes[0].crop[0], 0.5);
    EXPECT_DOUBLE_EQ(shapes[0].rotation, -90);
    EXPECT_EQ(shapes[0].from.col, 1u);
    EXPECT_DOUBLE_EQ(shapes[0].from.colPart, 0.5);
    EXPECT_DOUBLE_EQ(shapes[0].from.rowPart, 0.5);
    EXPECT_EQ(shapes[0].to.row, 9u);
    EXPECT_EQ(shapes[1].type, 0);  // the group: counted, not drawn
    EXPECT_TRUE(shapes[1].hasClientData);
    EXPECT_EQ(shapes[2].type, 1);
    EXPECT_TRUE(shapes[2].flipH);
    EXPECT_TRUE(shapes[2].hasTextbox);
    EXPECT_DOUBLE_EQ(shapes[2].x, 0.5);
    EXPECT_DOUBLE_EQ(shapes[2].w, 0.5);
    EXPECT_DOUBLE_EQ(shapes[2].h, 0.5);
    EXPECT_EQ(shapes[2].to.col, 2u);
    EXPECT_FALSE(shapes[2].filled);
    EXPECT_TRUE(shapes[2].fill.indexed);
    EXPECT_EQ(shapes[2].fill.value, 0xFFu);
    EXPECT_DOUBLE_EQ(shapes[2].lineWidthPt, 2);
}

TEST(XlsOfficeArt, HostileDrawingsAreBounded) {
    // Groups nested 1000 deep, then 20000 shapes, then records cut anywhere.
    std::string nested = Sp(1, kHaveAnchor, ClientAnchor(0, 0, 0, 0, 1, 1));
    for (int i = 0; i < 1000; ++i) nested = Box(0xF003, Sp(0, 0x201, "") + nested);
    EXPECT_TRUE(ReadSheetDrawing(Drawing(nested)).empty());
    std::string many;
    for (int i = 0; i < 20000; ++i) many += Sp(1, kHaveAnchor, ClientAnchor(0, 0, 0, 0, 1, 1));
    const std::string drawing = Drawing(many);
    EXPECT_EQ(ReadSheetDrawing(drawing).size(), kShapeMaxPerSheet);
    for (size_t cut = 0; cut < 4000; cut += 3) ReadSheetDrawing(drawing.substr(0, cut));
    // A container claiming 4 GiB.
    std::string lying = drawing.substr(0, 200);
    lying.replace(4, 4, U32(0xFFFFFFFF));
    ReadSheetDrawing(lying);
}

TEST(XlsOfficeArt, WorkbookShowsPicturesTextBoxesAndControls) {
    const std::string group = Rec(0x00EB, Group({Fbse(6, PngBlip(kPng)), Fbse(5, JpegBlip(kJpeg))}));
    const std::string picture =
        Sp(75, kHaveAnchor, Properties({{0x0104, 2}}) + ClientAnchor(1, 0, 1, 0, 3, 5) + ClientData());
    const std::string text = Sp(202, kHaveAnchor, ClientAnchor(4, 0, 1, 0, 6, 3) + ClientData() + ClientTextbox());
    const std::string check = Sp(201, kHaveAnchor, ClientAnchor(4, 0, 4, 0, 6, 5) + ClientData() + ClientTextbox());
    const std::string note = Sp(202, kHaveAnchor, ClientAnchor(0, 0, 0, 0, 1, 1) + ClientData() + ClientTextbox());
    // The drawing comes in pieces, each followed by the records of its shape.
    std::string d = Drawing(picture + text + check + note);
    const size_t a = d.size() - (text.size() + check.size() + note.size());
    const size_t b = a + text.size(), c = b + check.size();
    const std::string cells =
        Rec(0x0203, CellAt(0, 0, 15) + F64(1)) + MsoDrawing(d.substr(0, a)) + Obj(8) + MsoDrawing(d.substr(a, b - a)) +
        Obj(6) + Txo("Back to\nthe index", 2 << 1 | 2 << 4) + MsoDrawing(d.substr(b, c - b)) +
        Obj(0x0B, U16(0x0A) + U16(12) + std::string(12, '\0') + U16(0x12) + U16(8) + U16(1) + std::string(6, '\0')) +
        Txo("Paid", 0) + MsoDrawing(d.substr(c)) + Obj(0x19) + Txo("a note", 0) +
        Rec(0x001C, U16(0) + U16(0) + U16(0) + U16(1) + Str16("Ann") + U8(0));
    const Workbook wb = ReadXls(Cfb(Stream(BasicGlobals() + group, {{"S", cells}})));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.pictures.size(), 1u);
    EXPECT_EQ(s.pictures[0].contentType, "image/jpeg");
    EXPECT_EQ(s.pictures[0].data, kJpeg);
    EXPECT_EQ(s.pictures[0].to.col, 3u);
    ASSERT_EQ(s.shapes.size(), 2u);  // the note's box is the comment, not a shape
    const Shape& box = *s.shapes[0];
    ASSERT_EQ(box.text.size(), 2u);
    EXPECT_EQ(box.text[0].runs[0].text, "Back to");
    EXPECT_EQ(box.text[1].runs[0].text, "the index");
    EXPECT_EQ(box.text[0].align, HAlign::Center);
    EXPECT_EQ(box.anchor, VAlign::Center);
    const Shape& control = *s.shapes[1];
    EXPECT_EQ(control.control, ControlKind::CheckBox);
    EXPECT_TRUE(control.checked);
    ASSERT_EQ(control.text.size(), 1u);
    EXPECT_EQ(control.text[0].runs[0].text, "\xE2\x98\x91 ");
    EXPECT_EQ(control.text[0].runs[1].text, "Paid");
    ASSERT_EQ(s.comments.size(), 1u);
    EXPECT_EQ(s.comments[0].text, "a note");
}

namespace {

// A property table with complex values after it, in the order of their properties.
std::string ComplexProperties(const std::vector<std::pair<uint16_t, uint32_t>>& props,
                              const std::vector<std::pair<uint16_t, std::string>>& complex) {
    std::string table, data;
    for (const auto& [id, v] : props) table += U16(id) + U32(v);
    for (const auto& [id, bytes] : complex) {
        table += U16(uint16_t(id | 0x8000)) + U32(uint32_t(bytes.size()));
        data += bytes;
    }
    return Art(3, uint16_t(props.size() + complex.size()), 0xF00B, table + data);
}

std::string Array(uint16_t count, uint16_t size, const std::string& elements) {
    return U16(count) + U16(count) + U16(size) + elements;
}

std::string Points(const std::vector<std::pair<int32_t, int32_t>>& pts) {
    std::string s;
    for (const auto& [x, y] : pts) s += U32(uint32_t(x)) + U32(uint32_t(y));
    return s;
}

std::string Freeform(const std::string& vertices, const std::string& segments) {
    std::vector<std::pair<uint16_t, std::string>> complex{{0x0145, vertices}};
    if (!segments.empty()) complex.emplace_back(0x0146, segments);
    return Sp(0, kHaveAnchor,
              ComplexProperties({{0x0142, 100}, {0x0143, 200}, {0x0181, 0x0000FF}}, complex) +
                  ClientAnchor(1, 0, 1, 0, 3, 4) + ClientData());
}

// The list subrecord: the range's formula, the counts, and what follows.
std::string Lbs(const std::string& rgce, uint16_t lines, uint16_t sel, uint16_t flags, const std::string& rest) {
    std::string fmla = rgce.empty() ? "" : U16(uint16_t(rgce.size())) + U32(0) + rgce;
    if (fmla.size() & 1) fmla += '\0';
    return U16(0x13) + U16(0x1FEE) + U16(uint16_t(fmla.size())) + fmla + U16(lines) + U16(sel) + U16(flags) + U16(0) +
           rest;
}

}  // namespace

TEST(XlsOfficeArt, FreeformsFollowTheirPointsAndSegments) {
    const std::string vertices = Array(6, 8, Points({{0, 0}, {100, 0}, {100, 100}, {50, 150}, {0, 150}, {0, 100}}));
    // Move, two lines, one curve, close, end.
    const std::string segments = Array(5, 2, U16(0x4001) + U16(0x0002) + U16(0x2001) + U16(0x6001) + U16(0x8000));
    const auto shapes = ReadSheetDrawing(Drawing(Freeform(vertices, segments)));
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].type, kFreeformType);
    const auto& p = shapes[0].path;
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].op, PathStep::Op::Move);
    EXPECT_EQ(p[2].op, PathStep::Op::Line);
    EXPECT_FLOAT_EQ(p[2].pt[1], 0.5f);
    EXPECT_EQ(p[3].op, PathStep::Op::Cubic);
    EXPECT_FLOAT_EQ(p[3].pt[1], 0.75f);
    EXPECT_FLOAT_EQ(p[3].pt[5], 0.5f);
    EXPECT_EQ(p[4].op, PathStep::Op::Close);

    // Points of two 16-bit halves and no segments: joined by lines.
    const auto halves =
        ReadSheetDrawing(Drawing(Freeform(Array(3, 0xFFF0, U32(0) + U16(100) + U16(200) + U16(50) + U16(0)), "")));
    ASSERT_EQ(halves.size(), 1u);
    ASSERT_EQ(halves[0].path.size(), 3u);
    EXPECT_FLOAT_EQ(halves[0].path[1].pt[0], 1.0f);
    EXPECT_FLOAT_EQ(halves[0].path[1].pt[1], 1.0f);
}

TEST(XlsOfficeArt, FreeformsThatLieAreCutShort) {
    const std::string three = Points({{0, 0}, {100, 0}, {100, 100}});
    // Segments that run past the points: the outline ends where they do.
    auto past = ReadSheetDrawing(Drawing(Freeform(Array(3, 8, three), Array(2, 2, U16(0x4001) + U16(0x0050)))));
    ASSERT_EQ(past.size(), 1u);
    EXPECT_EQ(past[0].path.size(), 3u);
    // Counts far beyond the bytes, curves short of points, thousands of closes.
    std::string closes;
    for (int i = 0; i < 9000; ++i) closes += U16(0x6001);
    auto lying = ReadSheetDrawing(Drawing(Freeform(Array(60000, 8, three), Array(60000, 2, U16(0x2005) + closes))));
    ASSERT_EQ(lying.size(), 1u);
    EXPECT_EQ(lying[0].path.size(), 1u);  // one curve; the next finds no points left
    auto closing = ReadSheetDrawing(Drawing(Freeform(Array(3, 8, three), Array(9001, 2, U16(0x4001) + closes))));
    EXPECT_EQ(closing[0].path.size(), kShapeMaxPathPoints);
    // A complex value claiming more than the record holds, and an empty coordinate box.
    std::string cut = Freeform(Array(3, 8, three), "");
    ReadSheetDrawing(Drawing(cut.substr(0, cut.size() - 30)));
    const std::string flat = Sp(0, kHaveAnchor,
                                ComplexProperties({{0x0142, 0}}, {{0x0145, Array(3, 8, three)}}) +
                                    ClientAnchor(1, 0, 1, 0, 3, 4) + ClientData());
    EXPECT_EQ(ReadSheetDrawing(Drawing(flat))[0].type, 0);  // no outline: not drawn
}

TEST(XlsOfficeArt, ListsShowTheirItemsAndSelection) {
    // The drop-down's items are cells of the second sheet, named through EXTERNSHEET.
    const std::string globals =
        BasicGlobals(Rec(0x01AE, U16(2) + U16(0x0401)) + Rec(0x0017, U16(1) + U16(0) + U16(1) + U16(1)));
    const std::string area3d = U8(0x3B) + U16(0) + U16(0) + U16(2) + U16(0) + U16(0);
    const std::string drop = Lbs(area3d, 3, 2, 0, U16(0) + U16(8) + U16(0) + Str16("Blue") + U8(0));
    const std::string own = Lbs("", 3, 3, 0x2, Str16("One") + Str16("Two") + Wide16(u"Thr\u00e9e"));
    const std::string lying = Lbs("", 60000, 5, 0x2, Str16("Ok") + U16(200) + U8(0) + "abc");
    const std::string name = Lbs(U8(0x23) + U32(1) + U16(0), 3, 1, 0, "");
    std::string shapes;
    for (int i = 0; i < 4; ++i)
        shapes += Sp(201, kHaveAnchor, ClientAnchor(1, 0, uint16_t(2 * i), 0, 3, uint16_t(2 * i + 1)) + ClientData());
    const std::string d = Drawing(shapes);
    const std::string form = MsoDrawing(d) + Obj(0x14, drop) + Obj(0x12, own) + Obj(0x12, lying) + Obj(0x14, name);
    std::string data;
    for (uint16_t r = 0; r < 3; ++r) data += Rec(0x0203, CellAt(r, 0, 15) + F64(10.0 * (r + 1)));
    const Workbook wb = ReadXls(Cfb(Stream(globals, {{"Form", form}, {"Data", data}})));
    const auto& s = wb.sheets[0].shapes;
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0]->control, ControlKind::DropDown);
    EXPECT_EQ(s[0]->listRange, "'Data'!A1:A3");
    EXPECT_EQ(s[0]->items, (std::vector<std::string>{"10", "20", "30"}));
    ASSERT_EQ(s[0]->text.size(), 1u);
    EXPECT_EQ(s[0]->text[0].runs[0].text, "20");
    EXPECT_EQ(s[1]->items, (std::vector<std::string>{"One", "Two",
                                                     "Thr\xC3\xA9"
                                                     "e"}));
    ASSERT_EQ(s[1]->text.size(), 3u);
    EXPECT_TRUE(s[1]->text[2].fill.set);
    EXPECT_EQ(s[2]->items, (std::vector<std::string>{"Ok"}));  // the string cut short ends the list
    EXPECT_EQ(s[2]->selected, 0u);
    EXPECT_TRUE(s[3]->items.empty());  // a defined name: not resolved
    EXPECT_TRUE(s[3]->text.empty());
    // Every cut of the record is read without harm.
    const std::string whole = Obj(0x14, drop).substr(4);
    for (size_t cut = 0; cut <= whole.size(); ++cut) ReadObject(whole.substr(0, cut));
}
