// The styles part: fonts, fills, borders, number formats, cell formats with
// their cell styles, and colours of every kind.
#include <gtest/gtest.h>

#include "XlsbBuilder.h"
#include "sheets/xlsb/RecordTypes.h"
#include "sheets/xlsx/Colors.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;

namespace {

Workbook WithStyles(const xlsbtest::Styles& st) { return LoadSheet(SheetData(""), "", StylesPart(st)); }

std::string FillRec(uint32_t pattern, const Bytes& fg, const Bytes& bg) {
    Bytes b;
    b.U32(pattern).Raw(fg.str()).Raw(bg.str()).U32(0);
    for (int i = 0; i < 5; ++i) b.F64(0);
    return Rec(rt::Fill, b.U32(0));
}

std::string GradientRec(const std::vector<Bytes>& stops) {
    Bytes b;
    b.U32(0x28).Color(0).Color(0).U32(0).F64(90);
    for (int i = 0; i < 4; ++i) b.F64(0);
    b.U32(uint32_t(stops.size()));
    for (size_t i = 0; i < stops.size(); ++i) b.Raw(stops[i].str()).F64(double(i));
    return Rec(rt::Fill, b);
}

// Top, bottom, left, right, diagonal: style and colour each.
std::string BorderRec(uint8_t top, uint8_t bottom, uint8_t left, uint8_t right, const Bytes& color) {
    Bytes b;
    b.U8(0);
    for (uint8_t style : {top, bottom, left, right, uint8_t(0)}) b.U8(style).U8(0).Raw(color.str());
    return Rec(rt::Border, b);
}

}  // namespace

TEST(XlsbStyles, FontsWithEveryProperty) {
    xlsbtest::Styles st;
    st.fonts = {FontRec(11), FontRec(14.5, 0x02 | 0x08, 700, 1, 0x22, Bytes().Color(2, 0, 0, 0x123456), u"Cambria"),
                FontRec(9, 0, 400, 2, 0x01, Bytes().Color(1, 10)), FontRec(10, 0, 400, 0, 0x21, Bytes().Color(0))};
    const Workbook wb = WithStyles(st);
    ASSERT_EQ(wb.styles.fonts.size(), 4u);
    const Font& base = wb.styles.fonts[0];
    EXPECT_EQ(base.name, "Calibri");
    EXPECT_EQ(base.size, 11);
    EXPECT_EQ(base.color, Color::Rgb(0x000000));  // theme 1 (dark 1) of the default scheme
    const Font& f = wb.styles.fonts[1];
    EXPECT_EQ(f.name, "Cambria");
    EXPECT_EQ(f.size, 14.5);
    EXPECT_TRUE(f.bold && f.italic && f.strike);
    EXPECT_EQ(f.vertAlign, VertAlignRun::Superscript);
    EXPECT_EQ(f.underline, Underline::DoubleAccounting);
    EXPECT_EQ(f.color, Color::Rgb(0x123456));
    EXPECT_EQ(wb.styles.fonts[2].vertAlign, VertAlignRun::Subscript);
    EXPECT_EQ(wb.styles.fonts[2].underline, Underline::Single);
    EXPECT_EQ(wb.styles.fonts[2].color, Color::Rgb(0xFF0000));  // indexed 10
    EXPECT_EQ(wb.styles.fonts[3].underline, Underline::SingleAccounting);
    EXPECT_FALSE(wb.styles.fonts[3].color.set);  // automatic
}

TEST(XlsbStyles, FillsSolidPatternedAndGradient) {
    xlsbtest::Styles st;
    st.fills = {FillRec(0, Bytes().Color(1, 64), Bytes().Color(1, 65)),
                FillRec(17, Bytes().Color(1, 64), Bytes().Color(1, 65)),
                FillRec(1, Bytes().Color(3, 4, -8191), Bytes().Color(1, 64)),  // accent 1, darker 25%
                FillRec(9, Bytes().Color(2, 0, 0, 0xFF0000), Bytes().Color(2, 0, 0, 0x00FF00)),
                GradientRec({Bytes().Color(2, 0, 0, 0x111111), Bytes().Color(2, 0, 0, 0x222222),
                             Bytes().Color(2, 0, 0, 0x333333)})};
    const Workbook wb = WithStyles(st);
    const auto& fills = wb.styles.fills;
    ASSERT_EQ(fills.size(), 5u);
    EXPECT_EQ(fills[0].pattern, Fill::Pattern::None);
    EXPECT_FALSE(fills[0].fg.set);  // the system colours are automatic
    EXPECT_EQ(fills[1].pattern, Fill::Pattern::Gray);
    EXPECT_EQ(fills[1].hatch, Hatch::Gray125);
    EXPECT_EQ(fills[2].pattern, Fill::Pattern::Solid);
    EXPECT_EQ(fills[2].hatch, Hatch::None);
    EXPECT_EQ(fills[2].fg, Color::Rgb(xlsx::ApplyTint(0x4F81BD, -8191 / 32767.0)));
    EXPECT_EQ(fills[3].pattern, Fill::Pattern::Other);
    EXPECT_EQ(fills[3].bg, Color::Rgb(0x00FF00));
    EXPECT_EQ(fills[3].hatch, Hatch::DarkGrid);
    // A gradient shows its first stop over its last.
    EXPECT_EQ(fills[4].pattern, Fill::Pattern::Other);
    EXPECT_EQ(fills[4].fg, Color::Rgb(0x111111));
    EXPECT_EQ(fills[4].bg, Color::Rgb(0x333333));
}

TEST(XlsbStyles, BordersBySide) {
    xlsbtest::Styles st;
    st.borders = {BorderRec(0, 0, 0, 0, Bytes().Color(0)), BorderRec(1, 6, 5, 13, Bytes().Color(2, 0, 0, 0xABCDEF))};
    const Workbook wb = WithStyles(st);
    ASSERT_EQ(wb.styles.borders.size(), 2u);
    const Border& b = wb.styles.borders[1];
    EXPECT_EQ(b.top.style, BorderStyle::Thin);
    EXPECT_EQ(b.bottom.style, BorderStyle::Double);
    EXPECT_EQ(b.left.style, BorderStyle::Thick);
    EXPECT_EQ(b.right.style, BorderStyle::SlantDashDot);
    EXPECT_EQ(b.right.color, Color::Rgb(0xABCDEF));
    EXPECT_EQ(wb.styles.borders[0].left.style, BorderStyle::None);
}

TEST(XlsbStyles, CellFormatsResolvedAgainstTheirStyles) {
    xlsbtest::Styles st;
    st.numFmts = {Rec(rt::Fmt, Bytes().U16(164).Str(u"0.000\" kg\"")),
                  Rec(rt::Fmt, Bytes().U16(14).Str(u"dd/mm/yyyy"))};  // a built-in id given again
    st.fonts.push_back(FontRec(12, 0, 700));
    // A cell style that centres, wraps and turns its text.
    st.styleXfs.push_back(XfRec(0xFFFF, 0, 0, 0, 0, 2 | 1 << 3 | 0x40, 45, 0));
    st.cellXfs = {XfRec(0, 0, 0),
                  XfRec(0, 164, 1),
                  XfRec(0, 14, 0),
                  XfRec(0, 22, 0),
                  XfRec(1, 0, 0),  // states no alignment of its own: the style's applies
                  XfRec(1, 0, 0, 0, 0, 3 | 0 << 3 | 0x100, 255, 3),  // its own alignment wins
                  XfRec(0, 0, 9, 9, 9)};  // font, fill and border past their tables
    const Workbook wb = WithStyles(st);
    const auto& f = wb.styles.formats;
    ASSERT_EQ(f.size(), 7u);
    EXPECT_EQ(f[1].numFmt, "0.000\" kg\"");
    EXPECT_EQ(f[1].font, 1u);
    EXPECT_EQ(f[2].numFmt, "dd/mm/yyyy");
    EXPECT_EQ(f[3].numFmt, "m/d/yyyy h:mm");
    EXPECT_EQ(f[4].align.horizontal, HAlign::Center);
    EXPECT_EQ(f[4].align.vertical, VAlign::Center);
    EXPECT_TRUE(f[4].align.wrap);
    EXPECT_EQ(f[4].align.rotation, 45);
    EXPECT_EQ(f[5].align.horizontal, HAlign::Right);
    EXPECT_EQ(f[5].align.vertical, VAlign::Top);
    EXPECT_TRUE(f[5].align.shrink);
    EXPECT_FALSE(f[5].align.wrap);
    EXPECT_EQ(f[5].align.rotation, 255);
    EXPECT_EQ(f[5].align.indent, 3);
    EXPECT_EQ(f[6].font, 0u);
    EXPECT_EQ(f[6].fill, 0u);
    EXPECT_EQ(f[6].border, 0u);
}

TEST(XlsbStyles, WorkbookPaletteReplacesTheIndexedColours) {
    xlsbtest::Styles st;
    st.palette.assign(64, 0x000000);
    st.palette[10] = 0x0A0B0C;
    st.fonts.push_back(FontRec(11, 0, 400, 0, 0, Bytes().Color(1, 10, 16383)));  // lighter by half
    const Workbook wb = WithStyles(st);
    EXPECT_EQ(wb.styles.fonts.at(1).color, Color::Rgb(xlsx::ApplyTint(0x0A0B0C, 16383 / 32767.0)));
}
