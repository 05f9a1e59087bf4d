// The fixtures in fixtures/ were written by make_fixtures.py beside them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "sheets/Errors.h"
#include "sheets/xls/XlsReader.h"

using namespace sheets;

namespace {

std::string Fixture(const std::string& name) {
    auto path = std::filesystem::path(__FILE__).parent_path() / "fixtures" / name;
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

const Cell* At(const Sheet& s, uint32_t row, uint16_t col) {
    for (const Row& r : s.rows)
        if (r.index == row)
            for (const Cell& c : r.cells)
                if (c.col == col) return &c;
    return nullptr;
}

const Row* RowOf(const Sheet& s, uint32_t row) {
    for (const Row& r : s.rows)
        if (r.index == row) return &r;
    return nullptr;
}

std::string Text(const Workbook& wb, const Cell* c) {
    if (!c || (c->type != CellType::String && c->type != CellType::Error)) return "<not text>";
    return wb.strings[c->string].text;
}

class XlsFeatures : public ::testing::Test {
protected:
    static void SetUpTestSuite() { wb_ = new Workbook(ReadXls(Fixture("features.xls"))); }
    static void TearDownTestSuite() { delete wb_; }
    static Workbook* wb_;
};
Workbook* XlsFeatures::wb_ = nullptr;

}  // namespace

TEST_F(XlsFeatures, SheetsVisibilityAndWindow) {
    const Workbook& wb = *wb_;
    ASSERT_EQ(wb.sheets.size(), 3u);
    EXPECT_EQ(wb.sheets[0].name, "Data");
    EXPECT_EQ(wb.sheets[1].visibility, Visibility::Hidden);
    EXPECT_EQ(wb.sheets[2].name, "Long text");
    EXPECT_EQ(wb.activeSheet, 2u);
    EXPECT_FALSE(wb.date1904);
    EXPECT_FALSE(wb.hasVbaProject);
    EXPECT_TRUE(wb.sheets[0].showGridLines);
    EXPECT_FALSE(wb.sheets[2].showGridLines);
}

TEST_F(XlsFeatures, CellValuesOfEveryKind) {
    const Workbook& wb = *wb_;
    const Sheet& s = wb.sheets[0];
    EXPECT_EQ(Text(wb, At(s, 0, 0)), "Name");
    EXPECT_DOUBLE_EQ(At(s, 1, 1)->number, 42);
    EXPECT_DOUBLE_EQ(At(s, 2, 1)->number, 1234.5678);
    EXPECT_DOUBLE_EQ(At(s, 3, 1)->number, 45000);
    ASSERT_EQ(At(s, 5, 1)->type, CellType::Bool);
    EXPECT_TRUE(At(s, 5, 1)->boolean);
    ASSERT_EQ(At(s, 6, 1)->type, CellType::Error);
    EXPECT_EQ(Text(wb, At(s, 6, 1)), "#DIV/0!");
    ASSERT_NE(At(s, 7, 1), nullptr);  // a formula without a cached result
    EXPECT_EQ(Text(wb, At(s, 9, 0)), "Ünïcödé ∑ 日本");
    EXPECT_DOUBLE_EQ(At(s, 13, 0)->number, -12345678);
    EXPECT_DOUBLE_EQ(At(s, 13, 1)->number, 0.01);
    EXPECT_DOUBLE_EQ(At(s, 13, 2)->number, 1e100);
    EXPECT_EQ(At(s, 12, 1)->type, CellType::Blank);
}

TEST_F(XlsFeatures, FormatsFontsFillsBordersAlignment) {
    const Workbook& wb = *wb_;
    const Sheet& s = wb.sheets[0];
    EXPECT_EQ(wb.styles.formats[At(s, 3, 1)->format].numFmt, "yyyy-mm-dd");
    const CellFormat& f = wb.styles.formats[At(s, 8, 0)->format];
    const Font& font = wb.styles.fonts[f.font];
    EXPECT_EQ(font.name, "Georgia");
    EXPECT_DOUBLE_EQ(font.size, 14);
    EXPECT_TRUE(font.bold);
    EXPECT_TRUE(font.italic);
    EXPECT_EQ(font.color, Color::Rgb(0xFF0000));
    EXPECT_EQ(wb.styles.fills[f.fill].pattern, Fill::Pattern::Solid);
    EXPECT_EQ(wb.styles.fills[f.fill].fg, Color::Rgb(0xFFFF00));
    const Border& b = wb.styles.borders[f.border];
    EXPECT_EQ(b.left.style, BorderStyle::Thin);
    EXPECT_EQ(b.right.style, BorderStyle::Medium);
    EXPECT_EQ(b.top.style, BorderStyle::Dashed);
    EXPECT_EQ(b.bottom.style, BorderStyle::Double);
    EXPECT_EQ(b.bottom.color, Color::Rgb(0x0000FF));
    EXPECT_EQ(f.align.horizontal, HAlign::Center);
    EXPECT_EQ(f.align.vertical, VAlign::Top);
    EXPECT_TRUE(f.align.wrap);
    EXPECT_EQ(f.align.rotation, 45);
    // Rich text: a bold run between plain ones.
    const RichString& rich = wb.strings[At(s, 14, 0)->string];
    EXPECT_EQ(rich.text, "plain bold tail");
    bool boldRun = false;
    for (const TextRun& r : rich.runs)
        if (wb.styles.fonts[r.font].bold) boldRun = rich.text.substr(r.start, r.length) == "bold";
    EXPECT_TRUE(boldRun);
}

TEST_F(XlsFeatures, LayoutMergesSizesHiddenRowsAndColumns) {
    const Sheet& s = wb_->sheets[0];
    ASSERT_EQ(s.merges.size(), 1u);
    EXPECT_EQ(s.merges[0].row1, 10u);
    EXPECT_EQ(s.merges[0].row2, 11u);
    EXPECT_EQ(s.merges[0].col2, 2u);
    bool wide = false, hidden = false;
    for (const ColumnInfo& c : s.cols) {
        if (c.first == 0) wide = c.width == 20;
        if (c.first <= 3 && c.last >= 3) hidden = c.hidden;
    }
    EXPECT_TRUE(wide);
    EXPECT_TRUE(hidden);
    EXPECT_DOUBLE_EQ(RowOf(s, 2)->height, 30);
    EXPECT_TRUE(RowOf(s, 5)->hidden);
    EXPECT_FALSE(RowOf(s, 4)->hidden);
}

TEST_F(XlsFeatures, LongStringsAcrossContinueRecords) {
    const Workbook& wb = *wb_;
    const Sheet& s = wb.sheets[2];
    std::string e;
    for (int i = 0; i < 9000; ++i) e += "é";
    EXPECT_EQ(Text(wb, At(s, 0, 0)), e);
    std::string omega;
    for (int i = 0; i < 5000; ++i) omega += "Ω";
    EXPECT_EQ(Text(wb, At(s, 1, 0)), omega + "end");
    std::string mixed(8000, 'a');
    for (int i = 0; i < 300; ++i) mixed += "Ж";
    EXPECT_EQ(Text(wb, At(s, 2, 0)), mixed);
}

TEST(XlsEncryption, DefaultPasswordFilesOpenOthersReportAPassword) {
    const Workbook plain = ReadXls(Fixture("plain1904.xls"));
    EXPECT_TRUE(plain.date1904);
    for (const char* name : {"rc4_default_password.xls", "cryptoapi_default_password.xls"}) {
        SCOPED_TRACE(name);
        const Workbook wb = ReadXls(Fixture(name));
        ASSERT_EQ(wb.sheets.size(), 1u);
        EXPECT_EQ(wb.sheets[0].name, "Sheet1");
        EXPECT_TRUE(wb.date1904);
        ASSERT_EQ(wb.sheets[0].rows.size(), 40u);
        const Cell& c = wb.sheets[0].rows[39].cells[0];
        EXPECT_EQ(wb.strings[c.string].text, "row 39");
        EXPECT_DOUBLE_EQ(wb.sheets[0].rows[39].cells[1].number, 58.5);
        EXPECT_EQ(wb.strings.size(), plain.strings.size());
    }
    EXPECT_THROW(ReadXls(Fixture("rc4_user_password.xls")), PasswordError);
    EXPECT_THROW(ReadXls(Fixture("xor_obfuscated.xls")), PasswordError);
}
