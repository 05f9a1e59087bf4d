// The same workbook as .xlsb and as .xlsx gives the same page: pairs saved
// by a spreadsheet application (fixtures/, pinned as golden pages too), and
// a styled workbook written once by libxlsxwriter and once record by record.
// After an intended change of the output, run with QUINDLE_UPDATE_GOLDEN=1
// and review the diff of golden/.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../xlsx/XlsxFixtures.h"
#include "XlsbBuilder.h"
#include "sheets/Loader.h"
#include "sheets/container/Zip.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/xlsb/RecordTypes.h"
#include "support/Golden.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;

namespace {

const std::filesystem::path kHere = std::filesystem::path(__FILE__).parent_path();

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Page(const std::string& bytes) {
    HtmlOptions o;
    o.title = "twin";
    return RenderHtml(LoadWorkbookFromMemory(bytes), o);
}

void ExpectGolden(const std::string& name, const std::string& page) {
    ExpectGoldenFile(kHere / "golden" / (name + ".htm"), page);
}

// The styled workbook: fonts, fills, borders, number formats, alignment, a
// merged title, a tall and a hidden row, a wide and a hidden column, rich
// text, a link, a formula, a boolean, a hidden second sheet.
void BuildStyled(lxw_workbook* wb) {
    lxw_worksheet* ws = workbook_add_worksheet(wb, "Styled");
    lxw_worksheet* notes = workbook_add_worksheet(wb, "Notes");
    lxw_format* title = workbook_add_format(wb);
    format_set_bold(title);
    format_set_font_size(title, 14);
    format_set_font_color(title, 0xC00000);
    format_set_align(title, LXW_ALIGN_CENTER);
    lxw_format* money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    lxw_format* date = workbook_add_format(wb);
    format_set_num_format(date, "yyyy-mm-dd");
    lxw_format* iu = workbook_add_format(wb);
    format_set_italic(iu);
    format_set_underline(iu, LXW_UNDERLINE_SINGLE);
    format_set_font_name(iu, "Cambria");
    lxw_format* fill = workbook_add_format(wb);
    format_set_pattern(fill, LXW_PATTERN_SOLID);
    format_set_bg_color(fill, 0xFFFF00);
    lxw_format* box = workbook_add_format(wb);
    format_set_border(box, LXW_BORDER_THIN);
    format_set_bottom(box, LXW_BORDER_DOUBLE);
    format_set_bottom_color(box, 0xFF0000);
    lxw_format* wrap = workbook_add_format(wb);
    format_set_text_wrap(wrap);
    format_set_indent(wrap, 2);
    format_set_align(wrap, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* turn = workbook_add_format(wb);
    format_set_rotation(turn, 45);
    format_set_font_strikeout(turn);
    format_set_font_script(turn, LXW_FONT_SUPERSCRIPT);
    lxw_format* bold = workbook_add_format(wb);
    format_set_bold(bold);
    worksheet_merge_range(ws, 0, 0, 0, 2, "Title", title);
    worksheet_write_number(ws, 1, 0, 1234.5, money);
    worksheet_write_number(ws, 1, 1, 44197, date);
    worksheet_write_string(ws, 1, 2, "italic", iu);
    worksheet_write_string(ws, 2, 0, "yellow", fill);
    worksheet_write_number(ws, 2, 1, -3, box);
    worksheet_write_string(ws, 2, 2, "wrapped text here", wrap);
    worksheet_write_string(ws, 3, 0, "turned", turn);
    worksheet_set_row(ws, 3, 30, nullptr);
    lxw_row_col_options hidden{};
    hidden.hidden = 1;
    worksheet_set_row_opt(ws, 4, LXW_DEF_ROW_HEIGHT, nullptr, &hidden);
    worksheet_write_number(ws, 4, 0, 5, nullptr);
    worksheet_set_column(ws, 1, 1, 20, nullptr);
    worksheet_set_column_opt(ws, 3, 3, 8.43, nullptr, &hidden);
    lxw_rich_string_tuple plain{nullptr, const_cast<char*>("plain ")};
    lxw_rich_string_tuple strong{bold, const_cast<char*>("bold")};
    lxw_rich_string_tuple* rich[] = {&plain, &strong, nullptr};
    worksheet_write_rich_string(ws, 5, 0, rich, nullptr);
    worksheet_write_url(ws, 6, 0, "https://example.com/", nullptr);
    worksheet_write_formula_num(ws, 6, 1, "=B2*2", nullptr, 88394);
    worksheet_write_boolean(ws, 6, 2, 1, nullptr);
    worksheet_write_number(notes, 0, 0, 42, nullptr);
    worksheet_hide(notes);
}

// The same workbook, record by record, with the tables libxlsxwriter writes.
std::string StyledXlsb(const std::string& theme) {
    xlsbtest::Styles st;
    st.numFmts = {Rec(rt::Fmt, Bytes().U16(164).Str(u"#,##0.00")), Rec(rt::Fmt, Bytes().U16(165).Str(u"yyyy-mm-dd"))};
    st.fonts = {FontRec(11),
                FontRec(14, 0, 700, 0, 0, Bytes().Color(2, 0, 0, 0xC00000)),
                FontRec(11, 0x02, 400, 0, 1, Bytes().Color(3, 1), u"Cambria"),
                FontRec(11, 0x08, 400, 1),
                FontRec(11, 0, 400, 0, 1, Bytes().Color(3, 10)),
                FontRec(11, 0, 700)};  // the rich text's bold run
    auto fillRec = [](uint32_t pattern, const Bytes& fg) {
        Bytes b;
        b.U32(pattern).Raw(fg.str()).Color(1, 64).U32(0);
        for (int i = 0; i < 5; ++i) b.F64(0);
        return Rec(rt::Fill, b.U32(0));
    };
    st.fills = {fillRec(0, Bytes().Color(1, 64)), fillRec(17, Bytes().Color(1, 64)),
                fillRec(1, Bytes().Color(2, 0, 0, 0xFFFF00))};
    auto borderRec = [](std::vector<std::pair<uint8_t, Bytes>> sides) {  // top, bottom, left, right, diagonal
        Bytes b;
        b.U8(0);
        for (auto& [style, color] : sides) b.U8(style).U8(0).Raw(color.str());
        return Rec(rt::Border, b);
    };
    const Bytes none = Bytes().Color(0);
    st.borders = {borderRec({{0, none}, {0, none}, {0, none}, {0, none}, {0, none}}),
                  borderRec({{1, none}, {6, Bytes().Color(2, 0, 0, 0xFF0000)}, {1, none}, {1, none}, {0, none}})};
    st.styleXfs = {XfRec(0xFFFF, 0, 0), XfRec(0xFFFF, 0, 4, 0, 0, 0x00)};  // the link style: top
    st.cellXfs = {XfRec(0, 0, 0),
                  XfRec(0, 0, 1, 0, 0, 0x12),
                  XfRec(0, 164, 0),
                  XfRec(0, 165, 0),
                  XfRec(0, 0, 2),
                  XfRec(0, 0, 0, 2),
                  XfRec(0, 0, 0, 0, 1),
                  XfRec(0, 0, 0, 0, 0, 0x41, 0, 2),
                  XfRec(0, 0, 3, 0, 0, 0x10, 45),
                  XfRec(1, 0, 4)};
    const std::string strings =
        StringsPart({SstItem(u"Title"), SstItem(u"italic"), SstItem(u"yellow"), SstItem(u"wrapped text here"),
                     SstItem(u"turned"), SstItem(u"plain bold", {{6, 5}}), SstItem(u"https://example.com/")});
    auto isst = [](uint32_t col, uint32_t style, uint32_t i) {
        return Rec(rt::CellIsst, Bytes().Cell(col, style).U32(i));
    };
    auto real = [](uint32_t col, uint32_t style, double v) {
        return Rec(rt::CellReal, Bytes().Cell(col, style).F64(v));
    };
    const std::string data =
        RowHdr(0) + isst(0, 1, 0) + Rec(rt::CellBlank, Bytes().Cell(1, 1)) + Rec(rt::CellBlank, Bytes().Cell(2, 1)) +
        RowHdr(1) + real(0, 2, 1234.5) + real(1, 3, 44197) + isst(2, 4, 1) + RowHdr(2) + isst(0, 5, 2) +
        real(1, 6, -3) + isst(2, 7, 3) + RowHdr(3, 600, 0x20) + isst(0, 8, 4) + RowHdr(4, 300, 0x10) + real(0, 0, 5) +
        RowHdr(5) + isst(0, 0, 5) + RowHdr(6) + isst(0, 9, 6) +
        Rec(rt::FmlaNum, Bytes().Cell(1).F64(88394).U16(0).U32(0)) + Rec(rt::CellBool, Bytes().Cell(2).U8(1));
    const std::string cols = Rec(390) + Rec(rt::ColInfo, Bytes().U32(1).U32(1).U32(5302).U32(0).U16(0x02)) +
                             Rec(rt::ColInfo, Bytes().U32(3).U32(3).U32(0).U32(0).U16(0x03)) + Rec(391);
    const std::string sheet = Rec(rt::WsFmtInfo, Bytes().U32(0xFFFFFFFF).U16(8).U16(300).U16(0).U16(0)) + cols +
                              SheetData(data) + Rec(177) + Rec(rt::MergeCell, Bytes().Range(0, 0, 0, 2)) + Rec(178) +
                              Rec(rt::HLink, Bytes().Range(6, 6, 0, 0).Str(u"rId1").Str(u"").Str(u"").Str(u""));
    Book b;
    b.sheetNames = {"Styled", "Notes"};
    b.workbook = WorkbookPart(b.sheetNames, {0, 1});
    b.sheets = {sheet, SheetData(RowHdr(0) + real(0, 0, 42))};
    b.styles = StylesPart(st);
    b.strings = strings;
    b.theme = theme;
    b.extra = {{"xl/worksheets/_rels/sheet1.bin.rels",
                R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
                R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/)"
                R"(relationships/hyperlink" Target="https://example.com/" TargetMode="External"/>)"
                R"(</Relationships>)"}};
    return Package(b);
}

}  // namespace

class XlsbTwins : public ::testing::TestWithParam<const char*> {};

TEST_P(XlsbTwins, SavedPairsGiveTheSamePage) {
    const std::string name = GetParam();
    const auto dir = kHere / "fixtures";
    const std::string fromXlsb = Page(ReadFile(dir / (name + "-xlsb.xlsb")));
    const std::string fromXlsx = Page(ReadFile(dir / (name + "-xlsx.xlsx")));
    EXPECT_EQ(fromXlsb, fromXlsx);
    ExpectGolden(name, fromXlsb);
}

INSTANTIATE_TEST_SUITE_P(Corpus, XlsbTwins, ::testing::Values("any_sheets", "issue127", "issue_419", "picture"));

TEST(XlsbTwinsBuilt, StyledWorkbookGivesTheSamePage) {
    const std::string xlsx = fixtures::Xlsxwriter(BuildStyled);
    const std::string xlsb = StyledXlsb(ZipPackage(xlsx).Read("xl/theme/theme1.xml"));
    const std::string fromXlsx = Page(xlsx);
    EXPECT_EQ(Page(xlsb), fromXlsx);
    ExpectGolden("styled", fromXlsx);
}
