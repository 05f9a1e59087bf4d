// Rules together: priorities, "stop if true", and rules built to exhaust the converter.
#include <gtest/gtest.h>

#include "CondSupport.h"

using namespace sheets;
using namespace sheets::cond;

namespace {

DiffFormat FillOf(uint32_t rgb) {
    DiffFormat d;
    d.fill = Color::Rgb(rgb);
    return d;
}

}  // namespace

TEST(CondEngine, HigherPrioritiesWinAndStopIfTrueEndsTheList) {
    Workbook wb = condtest::Column({1, 10, 30});
    DiffFormat bold;
    bold.bold = 1;
    wb.styles.diffs = {FillOf(0xFF0000), FillOf(0x00FF00), bold};
    Sheet& s = wb.sheets[0];
    // Stored out of order: priority 2 (green over 5), then 1 (red over 20, stop), then 3 (bold everywhere).
    CondRule& green = condtest::AddRule(s, Range{0, 0, 2, 0}, CfKind::CellIs, 1);
    green.op = CfOperator::Greater;
    green.formulas = {"5"};
    green.priority = 2;
    CondRule& red = condtest::AddRule(s, Range{0, 0, 2, 0}, CfKind::CellIs, 0);
    red.op = CfOperator::Greater;
    red.formulas = {"20"};
    red.priority = 1;
    red.stopIfTrue = true;
    CondRule& all = condtest::AddRule(s, Range{0, 0, 2, 0}, CfKind::Expression, 2);
    all.formulas = {"TRUE"};
    all.priority = 3;
    const SheetLooks looks = Evaluate(wb, s, {});
    EXPECT_FALSE(looks.Find(0, 0)->diff.fill.set);
    EXPECT_EQ(looks.Find(0, 0)->diff.bold, 1);
    EXPECT_EQ(looks.Find(1, 0)->diff.fill.rgb, 0x00FF00u);
    EXPECT_EQ(looks.Find(1, 0)->diff.bold, 1);
    EXPECT_EQ(looks.Find(2, 0)->diff.fill.rgb, 0xFF0000u);  // red first; green and bold stopped
    EXPECT_EQ(looks.Find(2, 0)->diff.bold, -1);
}

TEST(CondEngine, HostileRulesCostBoundedWorkAndTheRestStillApplies) {
    Workbook wb = condtest::Column(std::vector<double>(50000, 1));
    condtest::RedFill(wb);
    Sheet& s = wb.sheets[0];
    // A whole-sheet range per rule, thousands of rules, and quadratic formulas.
    for (int i = 0; i < 3000; ++i) {
        CondRule& r = condtest::AddRule(s, Range{0, 0, 1048575, 16383}, CfKind::Expression);
        r.formulas = {"COUNTIF($A:$A,A1)>1"};
        r.priority = uint32_t(10 + i);
    }
    CondRule& first = condtest::AddRule(s, Range{0, 0, 0, 0}, CfKind::CellIs);
    first.op = CfOperator::Equal;
    first.formulas = {"1"};
    first.priority = 1;
    // The work is bounded by counted steps, not by time: a budget a
    // hundredth of the default shows the same, and keeps the test quick in
    // sanitizer builds.
    EngineOptions options;
    options.budget = EngineOptions{}.budget / 100;
    const SheetLooks looks = Evaluate(wb, s, options);
    ASSERT_TRUE(looks.Find(0, 0));  // the rule before the budget ran out still applies
    EXPECT_TRUE(looks.Find(0, 0)->diff.fill.set);
    EXPECT_FALSE(looks.Find(1, 0));  // the quadratic ones are left unapplied, not half applied
    // And the page is written.
    const std::string page = htmltest::Render(wb);
    EXPECT_NE(page.find("</html>"), std::string::npos);
}

TEST(CondEngine, BrokenReferencesAreHarmless) {
    Workbook wb = condtest::Column({1, 2});
    Sheet& s = wb.sheets[0];
    CondRule& r = condtest::AddRule(s, Range{5, 3, 2, 1}, CfKind::CellIs, 99);  // reversed range, missing format
    r.formulas = {"1"};
    condtest::AddRule(s, Range{0, 0, 1, 0}, CfKind::CellIs, 1234).formulas = {"1"};
    condtest::AddRule(s, Range{0, 0, 1, 0}, CfKind::ColorScale);  // no points
    condtest::AddRule(s, Range{0, 0, 1, 0}, CfKind::Top10).rank = -5;
    condtest::AddRule(s, Range{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF}, CfKind::Blanks);
    s.condFormats.push_back(CondFormat{});  // no ranges, no rules
    const SheetLooks looks = Evaluate(wb, s, {});
    EXPECT_FALSE(looks.Find(0, 0) && looks.Find(0, 0)->diff.fill.set);
    EXPECT_NE(htmltest::Render(wb).find("</html>"), std::string::npos);
}
