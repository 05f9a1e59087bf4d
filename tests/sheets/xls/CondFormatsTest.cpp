// Conditional formats of .xls files, built record by record: the rules and
// their formats as the model holds them, what a page shows of them, and
// records that lie.
#include <gtest/gtest.h>

#include <array>

#include "XlsTestStream.h"
#include "sheets/cond/Engine.h"
#include "sheets/html/HtmlWriter.h"
#include "sheets/xls/XlsReader.h"

using namespace xlstest;
using namespace sheets;

namespace {

constexpr uint16_t kRel = 0xC000;  // both parts of a reference relative

std::string Numbers() {
    std::string cells;
    for (uint16_t r = 0; r < 4; ++r) cells += Rec(0x0203, CellAt(r, 0, 15) + F64(r * 10));
    return cells;
}

std::string CondFmt(uint16_t rules, const std::vector<std::array<uint16_t, 4>>& ranges) {
    std::string body = U16(rules) + U16(1) + U16(0) + U16(3) + U16(0) + U16(0) + U16(uint16_t(ranges.size()));
    for (const auto& g : ranges) body += U16(g[0]) + U16(g[1]) + U16(g[2]) + U16(g[3]);
    return Rec(0x01B0, body);
}

// A DXFN with a fill (palette index `fill`), or with a font block and borders as well.
std::string FillFormat(uint8_t fill) {
    const uint32_t flags = 0x003FFFFF & ~(1u << 16 | 1u << 18);  // all "not changed" but pattern and background
    return U32(flags | 1u << 29) + U16(0) + U16(1 << 10) + U16(uint16_t(fill << 7));
}
std::string FontAndBorderFormat() {
    const uint32_t flags = (0x003FFFFF & ~(1u << 10 | 1u << 13)) | 1u << 26 | 1u << 28;
    std::string font(118, '\0');
    auto put32 = [&](size_t at, uint32_t v) { font.replace(at, 4, U32(v)); };
    put32(68, 0x02);  // italic
    font.replace(72, 2, U16(700));  // bold
    put32(80, 10);  // red
    put32(88, 0x80);  // strike-through not changed
    put32(92, 1);
    put32(96, 1);  // underline not changed
    put32(100, 0);
    const uint32_t border = 2u | 5u << 12 | 12u << 16;  // left medium, bottom thick; left in blue
    return U32(flags) + U16(0) + font + U32(border) + U32(10u << 7);
}

std::string Cf(uint8_t type, uint8_t op, const std::string& format, const std::string& f1, const std::string& f2 = "") {
    return Rec(0x01B1, U8(type) + U8(op) + U16(uint16_t(f1.size())) + U16(uint16_t(f2.size())) + format + f1 + f2);
}
std::string Int(uint16_t v) { return "\x1E" + U16(v); }

Workbook Read(const std::string& records) { return ReadXls(Cfb(Stream(BasicGlobals(), {{"S", Numbers() + records}}))); }

}  // namespace

TEST(XlsCondFormats, CellValueAndFormulaRules) {
    const std::string refN = "\x4C" + U16(0) + U16(kRel);  // the cell itself
    const Workbook wb =
        Read(CondFmt(3, {{0, 3, 0, 0}, {6, 7, 2, 3}}) +
             Cf(1, 1, FillFormat(13), Int(5), Int(25)) +  // between 5 and 25, yellow
             Cf(1, 5, FontAndBorderFormat(), Int(20)) + Cf(2, 0, FillFormat(11), refN + Int(0) + "\x0B"));
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 1u);
    const CondFormat& f = s.condFormats[0];
    ASSERT_EQ(f.ranges.size(), 2u);
    EXPECT_EQ(f.ranges[1].row1, 6u);
    EXPECT_EQ(f.ranges[1].col2, 3u);
    ASSERT_EQ(f.rules.size(), 3u);
    EXPECT_EQ(f.rules[0].kind, CfKind::CellIs);
    EXPECT_EQ(f.rules[0].op, CfOperator::Between);
    EXPECT_EQ(f.rules[0].formulas, (std::vector<std::string>{"5", "25"}));
    EXPECT_EQ(f.rules[1].op, CfOperator::Greater);
    EXPECT_EQ(f.rules[2].kind, CfKind::Expression);
    EXPECT_EQ(f.rules[2].formulas, std::vector<std::string>{"A1=0"});
    EXPECT_LT(f.rules[0].priority, f.rules[1].priority);

    const DiffFormat& yellow = wb.styles.diffs[size_t(f.rules[0].diff)];
    EXPECT_EQ(yellow.fill, Color::Rgb(0xFFFF00));
    EXPECT_FALSE(yellow.fontColor.set);
    EXPECT_EQ(yellow.bold, -1);
    const DiffFormat& font = wb.styles.diffs[size_t(f.rules[1].diff)];
    EXPECT_EQ(font.fontColor, Color::Rgb(0xFF0000));
    EXPECT_EQ(font.bold, 1);
    EXPECT_EQ(font.italic, 1);
    EXPECT_EQ(font.strike, -1);
    EXPECT_EQ(font.underline, -1);
    EXPECT_EQ(font.left.style, BorderStyle::Medium);
    EXPECT_EQ(font.left.color, Color::Rgb(0x0000FF));
    EXPECT_EQ(font.bottom.style, BorderStyle::Thick);
    EXPECT_EQ(font.right.style, BorderStyle::None);
    EXPECT_FALSE(font.fill.set);

    // Applied on the cached values: 10 and 20 lie between 5 and 25, 30 is
    // over 20, 0 matches the formula.
    const cond::SheetLooks looks = cond::Evaluate(wb, s, {});
    ASSERT_NE(looks.Find(1, 0), nullptr);
    EXPECT_EQ(looks.Find(1, 0)->diff.fill, Color::Rgb(0xFFFF00));
    EXPECT_EQ(looks.Find(3, 0)->diff.fontColor, Color::Rgb(0xFF0000));
    EXPECT_EQ(looks.Find(0, 0)->diff.fill, Color::Rgb(0x00FF00));
    const std::string page = RenderHtml(wb, HtmlOptions{});
    EXPECT_NE(page.find("background-color:#ffff00"), std::string::npos);
}

TEST(XlsCondFormats, RulesThatCannotBeReadAreNeverApplied) {
    const std::string name = "\x23" + U32(1);  // a defined name
    const Workbook wb = Read(CondFmt(3, {{0, 3, 0, 0}}) + Cf(2, 0, FillFormat(13), name) +
                             Cf(1, 0, FillFormat(13), Int(1)) +  // no operator
                             Cf(3, 0, FillFormat(13), Int(1)));  // no such type
    const CondFormat& f = wb.sheets[0].condFormats.at(0);
    ASSERT_EQ(f.rules.size(), 3u);
    for (const CondRule& r : f.rules) EXPECT_EQ(r.kind, CfKind::Unknown);
    EXPECT_TRUE(cond::Evaluate(wb, wb.sheets[0], {}).Empty());
}

TEST(XlsCondFormats, DamagedRecords) {
    const std::string good = Cf(1, 3, FillFormat(13), Int(10));
    // A rule record cut short costs that rule; the next one is read.
    const std::string cut = Rec(0x01B1, U8(1) + U8(3) + U16(3) + U16(0) + FillFormat(13).substr(0, 5));
    // Formula sizes past the record.
    const std::string lying = Rec(0x01B1, U8(1) + U8(3) + U16(4000) + U16(0) + FillFormat(13) + Int(10));
    // Rules with no format before them, more rules than the format said,
    // a format whose ranges all lie outside the sheet.
    const std::string stray = Cf(1, 3, FillFormat(13), Int(10));
    const Workbook wb = Read(stray + CondFmt(3, {{0, 3, 0, 0}}) + cut + lying + good + good +
                             CondFmt(1, {{5, 2, 0, 0}, {0, 1, 0, 20000}}) + good);
    const Sheet& s = wb.sheets[0];
    ASSERT_EQ(s.condFormats.size(), 1u);
    ASSERT_EQ(s.condFormats[0].rules.size(), 1u);
    EXPECT_EQ(s.condFormats[0].rules[0].formulas, std::vector<std::string>{"10"});
    EXPECT_EQ(cond::Evaluate(wb, s, {}).Size(), 1u);
    EXPECT_FALSE(wb.sheets[0].rows.empty());  // the cells are all there
}

TEST(XlsCondFormats, HugeTokenStreamsStayBounded) {
    // The longest formula a record holds, of operators that each add a
    // parenthesis pair: refused, and the sheet still read.
    std::string tokens = Int(1);
    while (tokens.size() < 8000) tokens += "\x15";
    const Workbook wb = Read(CondFmt(1, {{0, 3, 0, 0}}) + Cf(2, 0, FillFormat(13), tokens));
    ASSERT_EQ(wb.sheets[0].condFormats.at(0).rules.size(), 1u);
    EXPECT_EQ(wb.sheets[0].condFormats[0].rules[0].kind, CfKind::Unknown);
}

namespace {

std::string CondFmt12(uint16_t rules) {
    return Rec(0x0879, std::string(12, '\0') + U16(rules) + U16(1) + U16(0) + U16(3) + U16(0) + U16(0) + U16(1) +
                           U16(0) + U16(3) + U16(0) + U16(0));
}
// A point: its kind, then its formula or number; icon-set points also say
// whether the icon starts at the point itself.
std::string Cfvo(uint8_t type, double value, bool icon = false) {
    return U8(type) + U16(0) + F64(value) + (icon ? U8(1) + U32(0) : "");
}
std::string RgbColour(uint32_t rgb) { return U32(2) + U8(rgb >> 16) + U8(rgb >> 8) + U8(rgb) + U8(0xFF) + F64(0); }
std::string Cf12(uint8_t type, uint8_t op, const std::string& format, const std::string& f1, uint16_t templ,
                 const std::string& params, const std::string& rest) {
    return Rec(0x087A, std::string(12, '\0') + U8(type) + U8(op) + U16(uint16_t(f1.size())) + U16(0) +
                           U32(uint32_t(format.size())) + format + f1 + U16(0) + U8(0) + U16(1) + U16(templ) + U8(16) +
                           params + rest);
}

}  // namespace

TEST(XlsCondFormats, NewerRules) {
    const std::string none(16, '\0');
    const std::string scale = Cf12(3, 0, "", "", 2, none,
                                   U16(0) + U8(0) + U8(2) + U8(2) + U8(0) + Cfvo(2, 0) + F64(0) + Cfvo(3, 0) + F64(1) +
                                       F64(0) + RgbColour(0xFFFFFF) + F64(1) + RgbColour(0x63BE7B));
    const std::string bar =
        Cf12(4, 0, "", "", 3, none,
             U16(0) + U8(0) + U8(0x02) + U8(10) + U8(90) + RgbColour(0x638EC6) + Cfvo(2, 0) + Cfvo(3, 0));
    const std::string icons =
        Cf12(6, 0, "", "", 4, none,
             U16(0) + U8(0) + U8(3) + U8(4) + U8(0x04) + Cfvo(4, 0, true) + Cfvo(4, 33, true) + Cfvo(4, 67, true));
    const std::string above = Cf12(2, 0, FillFormat(13), Int(1), 0x1A, U16(1) + std::string(14, '\0'), "");
    const std::string today = Cf12(2, 0, FillFormat(13), Int(1), 0x0F, none, "");
    const Workbook wb = Read(CondFmt12(5) + scale + bar + icons + above + today);
    const auto& rules = wb.sheets[0].condFormats.at(0).rules;
    ASSERT_EQ(rules.size(), 5u);
    EXPECT_EQ(rules[0].kind, CfKind::ColorScale);
    EXPECT_EQ(rules[0].colors.back(), Color::Rgb(0x63BE7B));
    EXPECT_EQ(rules[1].kind, CfKind::DataBar);
    EXPECT_EQ(rules[1].colors.at(0), Color::Rgb(0x638EC6));
    EXPECT_EQ(rules[1].barMinLength, 10);
    EXPECT_EQ(rules[2].kind, CfKind::IconSet);
    EXPECT_EQ(rules[2].iconSet, IconSetKind::TrafficLightsRimmed3);
    EXPECT_TRUE(rules[2].reverse);
    EXPECT_EQ(rules[3].kind, CfKind::AboveAverage);
    EXPECT_TRUE(rules[3].below);
    EXPECT_EQ(rules[3].stdDev, 1);
    EXPECT_EQ(rules[4].kind, CfKind::TimePeriod);
    EXPECT_EQ(rules[4].diff, rules[3].diff + 1);

    const cond::SheetLooks looks = cond::Evaluate(wb, wb.sheets[0], {});
    ASSERT_NE(looks.Find(3, 0), nullptr);
    EXPECT_EQ(looks.Find(3, 0)->diff.fill, Color::Rgb(0x63BE7B));
    EXPECT_TRUE(looks.Find(3, 0)->bar);
    EXPECT_EQ(looks.Find(3, 0)->icon, 0);  // reversed: the highest value gets the first icon
}

TEST(XlsCondFormats, NewerRulesThatLie) {
    const std::string none(16, '\0');
    // Four colours for two points, an icon set of 40 icons, a theme colour,
    // and a record cut inside its points: none applied, the cells kept.
    const std::string scale = Cf12(3, 0, "", "", 2, none, U16(0) + U8(0) + U8(2) + U8(4) + U8(0) + Cfvo(2, 0));
    const std::string icons = Cf12(6, 0, "", "", 4, none, U16(0) + U8(0) + U8(40) + U8(4) + U8(0) + Cfvo(4, 0, true));
    const std::string theme =
        Cf12(4, 0, "", "", 3, none,
             U16(0) + U8(0) + U8(0x02) + U8(10) + U8(90) + U32(3) + U32(4) + F64(0) + Cfvo(2, 0) + Cfvo(3, 0));
    const std::string cut = Cf12(6, 0, "", "", 4, none, U16(0) + U8(0) + U8(3) + U8(4) + U8(0) + Cfvo(4, 0, true));
    const Workbook wb = Read(CondFmt12(4) + scale + icons + theme + cut);
    for (const CondRule& r : wb.sheets[0].condFormats.at(0).rules) EXPECT_EQ(r.kind, CfKind::Unknown);
    EXPECT_TRUE(cond::Evaluate(wb, wb.sheets[0], {}).Empty());
    EXPECT_EQ(wb.sheets[0].rows.size(), 4u);
}

namespace {

std::string CondFmtWithId(uint16_t rules, uint16_t id) {
    return Rec(0x01B0, U16(rules) + U16(uint16_t(id << 1 | 1)) + U16(0) + U16(3) + U16(0) + U16(0) + U16(1) + U16(0) +
                           U16(3) + U16(0) + U16(0));
}
std::string CfEx(uint16_t id, uint16_t index, uint16_t priority, bool stop, uint32_t ofNewer = 0) {
    return Rec(0x087B, std::string(12, '\0') + U32(ofNewer) + U16(id) + U16(index) + U8(0) + U8(0) + U16(priority) +
                           U8(stop ? 0x03 : 0x01) + U8(0) + U8(16) + std::string(16, '\0'));
}

}  // namespace

// Column A holds 0, 10, 20, 30. Yellow for every value, green above 15,
// a red font for every value: in the file's order unless extension records
// say otherwise.
TEST(XlsCondFormats, PrioritiesAndStopFromExtensionRecords) {
    const std::string rules = CondFmtWithId(3, 5) + Cf(1, 7, FillFormat(13), Int(0)) +
                              Cf(1, 5, FillFormat(11), Int(15)) + Cf(1, 7, FontAndBorderFormat(), Int(0));
    struct Case {
        const char* what;
        std::string extensions;
        uint32_t highFill;  // of 20 and 30
        bool highRedFont;
    } cases[] = {
        {"none: the file's order", "", 0xFFFF00, true},
        {"green first, stopping", CfEx(5, 0, 3, false) + CfEx(5, 1, 1, true) + CfEx(5, 2, 2, false), 0x00FF00, false},
        {"green first, going on", CfEx(5, 0, 3, false) + CfEx(5, 1, 1, false) + CfEx(5, 2, 2, false), 0x00FF00, true},
        {"records that lead nowhere",
         CfEx(4, 1, 1, true) + CfEx(5, 3, 1, true) + CfEx(5, 1, 1, true, 1) +
             Rec(0x087B, std::string(12, '\0') + U32(0) + U16(5) + U8(1)) + CfEx(5, 1, 0, false),
         0xFFFF00, true},
    };
    for (const Case& c : cases) {
        const Workbook wb = Read(rules + c.extensions);
        const cond::SheetLooks looks = cond::Evaluate(wb, wb.sheets[0], {});
        for (uint32_t row = 0; row < 4; ++row) {
            const cond::CellLook* l = looks.Find(row, 0);
            ASSERT_NE(l, nullptr) << c.what;
            const bool high = row >= 2;
            EXPECT_EQ(l->diff.fill, Color::Rgb(high ? c.highFill : 0xFFFF00)) << c.what << " row " << row;
            EXPECT_EQ(l->diff.fontColor.set, !high || c.highRedFont) << c.what << " row " << row;
        }
    }
}

TEST(XlsCondFormats, NewerRulesKeepTheirOwnPriority) {
    const std::string none(16, '\0');
    std::string fill = Cf12(2, 0, FillFormat(13), Int(1), 0, none, "");
    std::string green = Cf12(2, 0, FillFormat(11), Int(1), 0, none, "");
    const size_t at = 4 + 12 + 10 + FillFormat(13).size() + 3 + 3;  // the priority, after the formulas and flags
    fill.replace(at, 2, U16(9));
    green.replace(at, 2, U16(0));  // none stored: its place in the file
    const Workbook wb = Read(CondFmt12(2) + fill + green);
    const auto& rules = wb.sheets[0].condFormats.at(0).rules;
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].priority, 9u);
    EXPECT_EQ(rules[1].priority, 2u);
    EXPECT_EQ(cond::Evaluate(wb, wb.sheets[0], {}).Find(0, 0)->diff.fill, Color::Rgb(0x00FF00));
}

// A rule that looks at another sheet, through the workbook's table of them:
// evaluated on that sheet's cells; one naming another workbook never applied.
TEST(XlsCondFormats, RulesThatReferToOtherSheets) {
    const std::string globals = BasicGlobals(Rec(0x01AE, U16(2) + "\x01\x04") +
                                             Rec(0x0017, U16(2) + U16(0) + U16(1) + U16(1) + U16(1) + U16(0) + U16(0)));
    std::string data;
    const double values[] = {100, 0, 100, 0};
    for (uint16_t r = 0; r < 4; ++r) data += Rec(0x0203, CellAt(r, 0, 15) + F64(values[r]));
    const std::string there = "\x3A" + U16(0) + U16(0) + U16(kRel);  // Data!A1, moving with the cell
    const std::string elsewhere = "\x3A" + U16(1) + U16(0) + U16(kRel);
    const std::string rules = CondFmt(2, {{0, 3, 0, 0}}) + Cf(2, 0, FillFormat(13), there + Int(15) + "\x0D") +
                              Cf(2, 0, FillFormat(11), elsewhere + Int(15) + "\x0D");
    const Workbook wb = ReadXls(Cfb(Stream(globals, {{"S", Numbers() + rules}, {"Data", data}})));
    const auto& f = wb.sheets[0].condFormats.at(0);
    ASSERT_EQ(f.rules.size(), 2u);
    EXPECT_EQ(f.rules[0].formulas, std::vector<std::string>{"'Data'!A1>15"});
    EXPECT_EQ(f.rules[1].kind, CfKind::Unknown);
    const cond::SheetLooks looks = cond::Evaluate(wb, wb.sheets[0], {});
    for (uint32_t row = 0; row < 4; ++row) {
        const cond::CellLook* l = looks.Find(row, 0);
        EXPECT_EQ(l && l->diff.fill.set, row % 2 == 0) << row;  // Data's values, not the sheet's own 0 10 20 30
    }
}
