// Conditional formats of .xlsb workbooks: the rule records with their
// formulas as tokens, the differential formats of the styles part, the
// points and colours of scales, bars and icon sets, and records that lie.
#include <gtest/gtest.h>

#include "XlsbBuilder.h"
#include "sheets/Loader.h"
#include "sheets/cond/Engine.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/xlsb/RecordTypes.h"

using namespace sheets;
using namespace xlsbtest;
namespace rt = sheets::xlsb::rt;

namespace {

constexpr uint32_t kBeginFormat = 461, kEndFormat = 462, kBeginRule = 463, kEndRule = 464, kBeginIconSet = 465,
                   kBeginDatabar = 467, kBeginColorScale = 469, kCfvo = 471, kColor = 564, kDxf = 507;

std::string Cells() {
    std::string rows;
    for (uint32_t r = 0; r < 4; ++r) rows += RowHdr(r) + Rec(rt::CellReal, Bytes().Cell(0).F64(r * 10.0));
    return SheetData(rows);
}

std::string Format(const std::string& rules, uint32_t r1 = 0, uint32_t r2 = 3) {
    return Rec(kBeginFormat, Bytes().U32(1).U32(0).U32(1).Range(r1, r2, 0, 0)) + rules + Rec(kEndFormat);
}

// A rule: type, template, format, priority, parameter, flags, formulas as tokens, text.
struct RuleSpec {
    uint32_t type = 1, templ = 0, dxf = 0, priority = 1, param = 0;
    uint16_t flags = 0;
    std::vector<std::string> formulas;
    std::u16string text;
    bool hasText = false;
};
RuleSpec Spec(uint32_t type, uint32_t templ, uint32_t dxf, uint32_t priority, uint32_t param, uint16_t flags = 0,
              std::vector<std::string> formulas = {}) {
    RuleSpec s;
    s.type = type;
    s.templ = templ;
    s.dxf = dxf;
    s.priority = priority;
    s.param = param;
    s.flags = flags;
    s.formulas = std::move(formulas);
    return s;
}
std::string Rule(const RuleSpec& s, const std::string& inside = "") {
    Bytes b;
    b.U32(s.type).U32(s.templ).U32(s.dxf).U32(s.priority).U32(s.param).U32(0).U32(0).U16(s.flags);
    for (size_t i = 0; i < 3; ++i) b.U32(i < s.formulas.size() ? uint32_t(s.formulas[i].size()) : 0);
    if (s.hasText) b.Str(s.text);
    else b.NullStr();
    for (const std::string& f : s.formulas) b.U32(uint32_t(f.size())).Raw(f).U32(0);
    return Rec(kBeginRule, b) + inside + Rec(kEndRule);
}

std::string Int(uint16_t v) { return std::string("\x1E") + char(v) + char(v >> 8); }
std::string Point(uint32_t type, double value, const std::string& formula = "") {
    Bytes b;
    b.U32(type).F64(value).U32(1).U32(1).U32(uint32_t(formula.size()));
    if (!formula.empty()) b.U32(uint32_t(formula.size())).Raw(formula).U32(0);
    return Rec(kCfvo, b);
}
std::string Rgb(uint32_t rgb) { return Rec(kColor, Bytes().Color(2, 0, 0, rgb)); }

// Differential formats: a red fill (background), and bold blue text with a thin bottom border.
std::string Dxfs() {
    Bytes fill;
    fill.U16(0x8000).U16(0).U16(2);
    fill.U16(0x00).U16(5).U8(1);
    fill.U16(0x02).U16(12).Color(2, 0, 0, 0xFF0000);
    Bytes font;
    font.U16(0).U16(0).U16(4);
    font.U16(0x05).U16(12).Color(2, 0, 0, 0x0000FF);
    font.U16(0x19).U16(6).U16(700);
    font.U16(0x1C).U16(5).U8(1);
    font.U16(0x07).U16(14).Color(1, 8).U16(1);
    return Rec(505, Bytes().U32(2)) + Rec(kDxf, fill) + Rec(kDxf, font) + Rec(506);
}

Workbook Load(const std::string& formats) { return LoadSheet(Cells() + formats, "", StylesPart({}) + Dxfs()); }

}  // namespace

TEST(XlsbCondFormats, HighlightRulesWithTheirFormats) {
    const RuleSpec between = Spec(1, 0, 0, 2, 1, 0, {Int(5), Int(25)});
    const RuleSpec formula =
        Spec(2, 1, 1, 1, 0, 0x02, {"\x4C" + std::string("\xFF\xFF\x0F\x00\x00\xC0", 6) + Int(10) + "\x0B"});
    RuleSpec text = Spec(2, 0x08, 1, 3, 2);
    text.text = u"ab";
    text.hasText = true;
    const Workbook wb = Load(Format(Rule(between) + Rule(formula) + Rule(text), 1, 3));
    ASSERT_EQ(wb.styles.diffs.size(), 2u);
    EXPECT_EQ(wb.styles.diffs[0].fill, Color::Rgb(0xFF0000));
    EXPECT_FALSE(wb.styles.diffs[0].fontColor.set);
    const DiffFormat& font = wb.styles.diffs[1];
    EXPECT_EQ(font.fontColor, Color::Rgb(0x0000FF));
    EXPECT_EQ(font.bold, 1);
    EXPECT_EQ(font.italic, 1);
    EXPECT_EQ(font.strike, -1);
    EXPECT_EQ(font.bottom.style, BorderStyle::Thin);
    EXPECT_EQ(font.bottom.color, Color::Rgb(0x000000));
    EXPECT_FALSE(font.fill.set);

    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 1u);
    const CondFormat& f = s.condFormats[0];
    ASSERT_EQ(f.rules.size(), 3u);
    EXPECT_EQ(f.rules[0].kind, CfKind::CellIs);
    EXPECT_EQ(f.rules[0].op, CfOperator::Between);
    EXPECT_EQ(f.rules[0].formulas, (std::vector<std::string>{"5", "25"}));
    EXPECT_EQ(f.rules[1].kind, CfKind::Expression);
    EXPECT_EQ(f.rules[1].formulas, std::vector<std::string>{"A1=10"});  // the cell above the anchor, A2
    EXPECT_TRUE(f.rules[1].stopIfTrue);
    EXPECT_EQ(f.rules[2].kind, CfKind::BeginsWith);
    EXPECT_EQ(f.rules[2].text, "ab");

    // Priority 1 first: A3 (20) has 10 above it and stops there; A2 (10) lies between.
    const cond::SheetLooks looks = cond::Evaluate(wb, s, {});
    ASSERT_NE(looks.Find(2, 0), nullptr);
    EXPECT_EQ(looks.Find(2, 0)->diff.fontColor, Color::Rgb(0x0000FF));
    EXPECT_FALSE(looks.Find(2, 0)->diff.fill.set);
    EXPECT_EQ(looks.Find(1, 0)->diff.fill, Color::Rgb(0xFF0000));
    EXPECT_EQ(looks.Find(3, 0), nullptr);
    EXPECT_NE(RenderHtml(wb, HtmlOptions{}).find("background-color:#ff0000"), std::string::npos);
}

TEST(XlsbCondFormats, TemplatesOfFormulaRules) {
    const auto kind = [](uint32_t type, uint32_t templ, uint32_t param, uint16_t flags = 0) {
        const RuleSpec r = Spec(type, templ, 0, 1, param, flags, {Int(1)});
        const Workbook wb = Load(Format(Rule(r)));
        return wb.sheets[0].condFormats.at(0).rules.at(0);
    };
    EXPECT_EQ(kind(2, 0x09, 0).kind, CfKind::Blanks);
    EXPECT_EQ(kind(2, 0x0C, 0).kind, CfKind::NoErrors);
    EXPECT_EQ(kind(2, 0x1B, 0).kind, CfKind::Duplicate);
    EXPECT_EQ(kind(2, 0x07, 0).kind, CfKind::Unique);
    const CondRule lastWeek = kind(2, 0x17, 0);
    EXPECT_EQ(lastWeek.kind, CfKind::TimePeriod);
    EXPECT_EQ(lastWeek.period, CfPeriod::LastWeek);
    const CondRule below = kind(2, 0x1E, 1);
    EXPECT_EQ(below.kind, CfKind::AboveAverage);
    EXPECT_TRUE(below.below);
    EXPECT_TRUE(below.equalAverage);
    EXPECT_EQ(below.stdDev, 1);
    const CondRule top = kind(5, 5, 20, 0x08 | 0x10);
    EXPECT_EQ(top.kind, CfKind::Top10);
    EXPECT_EQ(top.rank, 20);
    EXPECT_TRUE(top.bottom && top.percent);
    EXPECT_EQ(kind(1, 0, 9).kind, CfKind::Unknown);  // no such operator
    EXPECT_EQ(kind(9, 0, 0).kind, CfKind::Unknown);
}

TEST(XlsbCondFormats, ScalesBarsAndIcons) {
    const std::string scale =
        Rule(Spec(3, 2, 0, 1, 0), Rec(kBeginColorScale) + Point(2, 0) + Point(3, 0) + Rgb(0xFFFFFF) + Rgb(0x00FF00));
    const std::string bar = Rule(Spec(4, 3, 0, 2, 0), Rec(kBeginDatabar, Bytes().U8(0).U8(100).U8(0)) + Point(1, 0) +
                                                          Point(4, 100) + Rgb(0x638EC6));
    const std::string icons = Rule(Spec(6, 4, 0, 3, 0), Rec(kBeginIconSet, Bytes().U32(3).U32(0x01)) + Point(4, 0) +
                                                            Point(4, 33) + Point(5, 67, Int(67)));
    const Workbook wb = Load(Format(scale + bar + icons));
    const auto& rules = wb.sheets[0].condFormats.at(0).rules;
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].kind, CfKind::ColorScale);
    EXPECT_EQ(rules[0].points.size(), 2u);
    EXPECT_EQ(rules[0].colors.back(), Color::Rgb(0x00FF00));
    EXPECT_EQ(rules[1].kind, CfKind::DataBar);
    EXPECT_EQ(rules[1].barMaxLength, 100);
    EXPECT_FALSE(rules[1].showValue);
    EXPECT_EQ(rules[1].points[1].kind, CfPoint::Kind::Percent);
    EXPECT_EQ(rules[2].iconSet, IconSetKind::TrafficLights3);
    EXPECT_FALSE(rules[2].showValue);
    // A percentile given by a formula is not evaluated.
    EXPECT_EQ(rules[2].kind, CfKind::Unknown);

    const cond::SheetLooks looks = cond::Evaluate(wb, wb.sheets[0], {});
    ASSERT_NE(looks.Find(3, 0), nullptr);
    EXPECT_EQ(looks.Find(3, 0)->diff.fill, Color::Rgb(0x00FF00));
    EXPECT_TRUE(looks.Find(3, 0)->bar);
    EXPECT_EQ(looks.Find(3, 0)->barPercent, 100);
}

TEST(XlsbCondFormats, DamagedRecords) {
    // A rule cut short, a formula of unknown tokens, a rule outside any format, a format of no valid range,
    // a point outside a rule: the rest is read.
    const RuleSpec unknown = Spec(2, 1, 0, 2, 0, 0, {std::string("\x23\x01\x00\x00\x00", 5)});
    const RuleSpec good = Spec(1, 0, 0, 3, 3, 0, {Int(10)});
    Bytes noRange;
    noRange.U32(1).U32(0).U32(1).Range(0, 0, 0, 99999);
    const std::string cut = Rec(kBeginRule, Bytes().U32(1).U32(0).U32(0));
    const std::string stray = Rule(good);
    const Workbook wb = Load(stray + Point(2, 0) + Format(cut + Rule(unknown) + Rule(good)) +
                             Rec(kBeginFormat, noRange) + Rule(good) + Rec(kEndFormat));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 1u);
    const auto& rules = s.condFormats[0].rules;
    ASSERT_EQ(rules.size(), 3u);
    EXPECT_EQ(rules[0].kind, CfKind::Unknown);
    EXPECT_EQ(rules[1].kind, CfKind::Unknown);
    EXPECT_EQ(rules[2].kind, CfKind::CellIs);
    EXPECT_EQ(cond::Evaluate(wb, s, {}).Size(), 1u);
    EXPECT_EQ(s.rows.size(), 4u);
}

TEST(XlsbCondFormats, FormulasNamingOtherSheetsThroughTheWorkbooksTable) {
    // The table: this workbook's second sheet; a sheet past the workbook's;
    // both sheets at once; and the first sheet of another workbook.
    const std::string externals =
        Rec(353) + Rec(357) + Rec(355, Bytes().U32(0)) +
        Rec(362, Bytes().U32(4).U32(0).U32(1).U32(1).U32(0).U32(5).U32(5).U32(0).U32(0).U32(1).U32(1).U32(0).U32(0)) +
        Rec(354);
    std::string workbook = WorkbookPart({"Data", "Other"});
    workbook.insert(workbook.size() - Rec(132).size(), externals);
    // 'Other'!$A$1 > 5, through entry `ixti`.
    auto above = [](uint16_t ixti) {
        return "\x5A" + std::string(1, char(ixti)) + std::string("\0\0\0\0\0\0\0", 7) + Int(5) + "\x0D";
    };
    Book b;
    b.sheetNames = {"Data", "Other"};
    b.workbook = workbook;
    b.styles = StylesPart({}) + Dxfs();
    b.sheets = {Cells() + Format(Rule(Spec(2, 1, 0, 1, 0, 0, {above(0)})) + Rule(Spec(2, 1, 0, 2, 0, 0, {above(1)})) +
                                 Rule(Spec(2, 1, 0, 3, 0, 0, {above(2)})) + Rule(Spec(2, 1, 0, 4, 0, 0, {above(3)}))),
                SheetData(RowHdr(0) + Rec(rt::CellReal, Bytes().Cell(0).F64(10)))};
    const Workbook wb = LoadWorkbookFromMemory(Package(b));
    ASSERT_EQ(wb.sheets.size(), 2u);
    const CondFormat& f = wb.sheets[0].condFormats.at(0);
    ASSERT_EQ(f.rules.size(), 4u);
    EXPECT_EQ(f.rules[0].kind, CfKind::Expression);
    EXPECT_EQ(f.rules[0].formulas, std::vector<std::string>{"'Other'!$A$1>5"});
    // A sheet the workbook lacks, a range of sheets, another workbook: never applied.
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(f.rules[i].kind, CfKind::Unknown) << i;
    // The other sheet's A1 (10) meets the rule on every cell of this one,
    // whose own A1 (0) would not.
    const cond::SheetLooks looks = cond::Evaluate(wb, wb.sheets[0], {});
    for (uint32_t r = 0; r < 4; ++r) ASSERT_NE(looks.Find(r, 0), nullptr) << r;
}
