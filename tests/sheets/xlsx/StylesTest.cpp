// Cell formats resolved from the styles part: number formats, fonts, fills,
// borders, alignment, inheritance and every way of stating a colour.
#include <gtest/gtest.h>

#include "XlsxFixtures.h"
#include "sheets/numfmt/NumberFormat.h"
#include "sheets/xlsx/Colors.h"

using namespace sheets;
using fixtures::CellAt;

namespace {
const CellFormat& FormatAt(const Workbook& wb, uint32_t row, uint32_t col) {
    const Cell* c = CellAt(wb.sheets[0], row, col);
    EXPECT_TRUE(c);
    return wb.styles.formats.at(c ? c->format : 0);
}
}  // namespace

TEST(XlsxStyles, FormatsWrittenByALibrary) {
    std::string bytes = fixtures::Xlsxwriter([](lxw_workbook* wb) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
        lxw_format* bold = workbook_add_format(wb);
        format_set_bold(bold);
        format_set_italic(bold);
        format_set_underline(bold, LXW_UNDERLINE_DOUBLE);
        format_set_font_strikeout(bold);
        format_set_font_name(bold, "Courier New");
        format_set_font_size(bold, 17);
        format_set_font_color(bold, 0x123456);
        format_set_font_script(bold, LXW_FONT_SUPERSCRIPT);
        worksheet_write_string(ws, 0, 0, "bold", bold);

        lxw_format* fill = workbook_add_format(wb);
        format_set_bg_color(fill, 0xFFFF00);
        format_set_border(fill, LXW_BORDER_THIN);
        format_set_bottom(fill, LXW_BORDER_DOUBLE);
        format_set_bottom_color(fill, 0x00FF00);
        format_set_left(fill, LXW_BORDER_MEDIUM_DASH_DOT_DOT);
        worksheet_write_number(ws, 1, 0, 1, fill);

        lxw_format* align = workbook_add_format(wb);
        format_set_align(align, LXW_ALIGN_CENTER);
        format_set_align(align, LXW_ALIGN_VERTICAL_TOP);
        format_set_text_wrap(align);
        worksheet_write_string(ws, 2, 0, "a", align);
        lxw_format* indent = workbook_add_format(wb);
        format_set_indent(indent, 3);
        worksheet_write_string(ws, 2, 1, "i", indent);

        lxw_format* rot = workbook_add_format(wb);
        format_set_rotation(rot, -45);
        worksheet_write_string(ws, 3, 0, "r", rot);

        lxw_format* custom = workbook_add_format(wb);
        format_set_num_format(custom, "0.000\" kg\"");
        worksheet_write_number(ws, 4, 0, 2, custom);
        lxw_format* builtin = workbook_add_format(wb);
        format_set_num_format_index(builtin, 14);
        worksheet_write_number(ws, 5, 0, 40000, builtin);

        lxw_format* pattern = workbook_add_format(wb);
        format_set_pattern(pattern, LXW_PATTERN_GRAY_125);
        format_set_fg_color(pattern, 0xFF0000);
        worksheet_write_blank(ws, 6, 0, pattern);
        lxw_format* hatch = workbook_add_format(wb);
        format_set_pattern(hatch, LXW_PATTERN_DARK_VERTICAL);
        worksheet_write_blank(ws, 7, 0, hatch);
    });
    Workbook wb = fixtures::Load(bytes);

    const Font& f = wb.styles.fonts.at(FormatAt(wb, 0, 0).font);
    EXPECT_TRUE(f.bold && f.italic && f.strike);
    EXPECT_EQ(f.underline, Underline::Double);
    EXPECT_EQ(f.name, "Courier New");
    EXPECT_EQ(f.size, 17);
    EXPECT_EQ(f.color, Color::Rgb(0x123456));
    EXPECT_EQ(f.vertAlign, VertAlignRun::Superscript);
    // Unstyled cells keep the default font.
    EXPECT_EQ(wb.styles.fonts[wb.styles.formats[0].font].name, "Calibri");

    const CellFormat& cf = FormatAt(wb, 1, 0);
    const Fill& fill = wb.styles.fills.at(cf.fill);
    EXPECT_EQ(fill.pattern, Fill::Pattern::Solid);
    EXPECT_EQ(fill.fg, Color::Rgb(0xFFFF00));
    const Border& b = wb.styles.borders.at(cf.border);
    EXPECT_EQ(b.top.style, BorderStyle::Thin);
    EXPECT_EQ(b.right.style, BorderStyle::Thin);
    EXPECT_EQ(b.bottom.style, BorderStyle::Double);
    EXPECT_EQ(b.bottom.color, Color::Rgb(0x00FF00));
    EXPECT_EQ(b.left.style, BorderStyle::MediumDashDotDot);

    const Alignment& al = FormatAt(wb, 2, 0).align;
    EXPECT_EQ(al.horizontal, HAlign::Center);
    EXPECT_EQ(al.vertical, VAlign::Top);
    EXPECT_TRUE(al.wrap);
    EXPECT_EQ(FormatAt(wb, 2, 1).align.indent, 3);
    EXPECT_EQ(FormatAt(wb, 3, 0).align.rotation, 135);  // clockwise 45

    EXPECT_EQ(FormatAt(wb, 4, 0).numFmt, "0.000\" kg\"");
    EXPECT_EQ(FormatAt(wb, 5, 0).numFmt, BuiltinFormatCode(14));
    EXPECT_EQ(wb.styles.formats[0].numFmt, "General");

    // Styled blanks are kept so that their fills and borders show.
    EXPECT_EQ(wb.styles.fills.at(FormatAt(wb, 6, 0).fill).pattern, Fill::Pattern::Gray);
    EXPECT_EQ(wb.styles.fills.at(FormatAt(wb, 7, 0).fill).pattern, Fill::Pattern::Other);
}

TEST(XlsxStyles, InheritanceThemeIndexedAndTintedColours) {
    std::string styles =
        R"(<styleSheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)"
        R"(<numFmts count="1"><numFmt numFmtId="164" formatCode="#,##0.0"/></numFmts>)"
        R"(<fonts><font><sz val="10"/><name val="Arial"/></font>)"
        R"(<font><b/><color theme="4" tint="0.39997558519241921"/></font>)"
        R"(<font><color indexed="10"/></font>)"
        R"(<font><color indexed="8"/></font>)"
        R"(<font><u/><color theme="1"/></font></fonts>)"
        R"(<fills><fill><patternFill patternType="none"/></fill><fill><patternFill patternType="gray125"/></fill>)"
        R"(<fill><patternFill patternType="solid"><fgColor theme="0" tint="-0.249977111117893"/><bgColor indexed="64"/></patternFill></fill>)"
        R"(<fill><gradientFill><stop position="0"><color rgb="FF00FF00"/></stop><stop position="1"><color rgb="FF0000FF"/></stop></gradientFill></fill></fills>)"
        R"(<borders><border/><border><left style="thick"><color auto="1"/></left><diagonal style="thin"/></border></borders>)"
        R"(<cellStyleXfs><xf numFmtId="164" fontId="1" fillId="2" borderId="1"><alignment horizontal="right"/></xf></cellStyleXfs>)"
        R"(<cellXfs><xf/><xf xfId="0"/><xf xfId="0" fontId="2" numFmtId="10"/><xf fontId="3" fillId="3"/><xf fontId="4" xfId="7"/></cellXfs>)"
        R"(<dxfs><dxf><font><b/></font><fill><patternFill><bgColor rgb="FFFF0000"/></patternFill></fill></dxf></dxfs>)"
        R"(<colors><indexedColors>)" +
        [] {
            std::string s;
            for (int i = 0; i < 9; ++i) s += i == 8 ? R"(<rgbColor rgb="FFABCDEF"/>)" : R"(<rgbColor rgb="FF000000"/>)";
            return s;
        }() +
        R"(</indexedColors></colors></styleSheet>)";
    std::string theme = R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements>)"
                        R"(<a:clrScheme name="t"><a:dk1><a:sysClr val="windowText" lastClr="111111"/></a:dk1>)"
                        R"(<a:lt1><a:srgbClr val="FFFFFF"/></a:lt1><a:dk2><a:srgbClr val="1F497D"/></a:dk2>)"
                        R"(<a:lt2><a:srgbClr val="EEECE1"/></a:lt2><a:accent1><a:srgbClr val="4F81BD"/></a:accent1>)"
                        R"(</a:clrScheme></a:themeElements></a:theme>)";
    std::string rels =
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/>)"
        R"(<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
        R"(<Relationship Id="rId4" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/theme" Target="theme/theme1.xml"/>)"
        R"(</Relationships>)";
    std::string data = R"(<row r="1"><c r="A1" s="1"><v>1</v></c><c r="B1" s="2"><v>1</v></c>)"
                       R"(<c r="C1" s="3"><v>1</v></c><c r="D1" s="4"><v>1</v></c><c r="E1" s="99"><v>1</v></c></row>)";
    Workbook wb = fixtures::Load(fixtures::Package(
        fixtures::SheetXml(data), "", styles, {{"xl/theme/theme1.xml", theme}, {"xl/_rels/workbook.xml.rels", rels}}));

    // Everything the cell does not state comes from its cell style.
    const CellFormat& inherited = FormatAt(wb, 0, 0);
    EXPECT_EQ(inherited.numFmt, "#,##0.0");
    EXPECT_EQ(inherited.align.horizontal, HAlign::Right);
    const Font& accent = wb.styles.fonts.at(inherited.font);
    EXPECT_TRUE(accent.bold);
    EXPECT_EQ(accent.name, "Arial");  // name and size default to the first font's
    EXPECT_EQ(accent.size, 10);
    EXPECT_EQ(accent.color, Color::Rgb(0x95B3D7));  // accent 1, lighter 40%
    const Fill& themed = wb.styles.fills.at(inherited.fill);
    EXPECT_EQ(themed.fg, Color::Rgb(0xBFBFBF));  // background 1, darker 25%
    EXPECT_FALSE(themed.bg.set);
    EXPECT_EQ(wb.styles.borders.at(inherited.border).left.style, BorderStyle::Thick);
    EXPECT_FALSE(wb.styles.borders.at(inherited.border).left.color.set);

    const CellFormat& own = FormatAt(wb, 0, 1);
    EXPECT_EQ(own.numFmt, BuiltinFormatCode(10));
    // Indices past a short workbook palette come from the default one.
    EXPECT_EQ(wb.styles.fonts.at(own.font).color, Color::Rgb(0xFF0000));

    const CellFormat& noParent = FormatAt(wb, 0, 2);
    EXPECT_EQ(wb.styles.fonts.at(noParent.font).color, Color::Rgb(0xABCDEF));  // the workbook's palette
    const Fill& gradient = wb.styles.fills.at(noParent.fill);
    EXPECT_EQ(gradient.pattern, Fill::Pattern::Other);
    EXPECT_EQ(gradient.fg, Color::Rgb(0x00FF00));
    EXPECT_EQ(gradient.bg, Color::Rgb(0x0000FF));
    EXPECT_EQ(noParent.align.horizontal, HAlign::General);

    // A style index past the table falls back to the default; theme 1 is dk1.
    EXPECT_EQ(CellAt(wb.sheets[0], 0, 4)->format, 0u);
    const Font& dk1 = wb.styles.fonts.at(FormatAt(wb, 0, 3).font);
    EXPECT_EQ(dk1.color, Color::Rgb(0x111111));
    EXPECT_EQ(dk1.underline, Underline::Single);
}

TEST(XlsxStyles, TintTable) {
    struct Case {
        uint32_t rgb;
        double tint;
        uint32_t want;
    } cases[] = {
        {0x4F81BD, 0.0, 0x4F81BD},
        {0x4F81BD, 0.3999755859375, 0x95B3D7},
        {0x4F81BD, 0.5999938962981048, 0xB8CCE4},
        {0x4F81BD, 0.7999816888943144, 0xDCE6F1},
        {0x4F81BD, -0.249977111117893, 0x376091},
        {0xFFFFFF, -0.499984740745262, 0x808080},
        {0x000000, 0.499984740745262, 0x7F7F7F},
        {0xC0504D, -0.499984740745262, 0x632523},
        {0x000000, 1.0, 0xFFFFFF},
        {0xFFFFFF, -1.0, 0x000000},
    };
    for (auto& c : cases) {
        uint32_t got = xlsx::ApplyTint(c.rgb, c.tint);
        for (int shift : {16, 8, 0})
            EXPECT_NEAR(int((got >> shift) & 0xFF), int((c.want >> shift) & 0xFF), 1)
                << std::hex << c.rgb << " tint " << c.tint << " got " << got;
    }
}
