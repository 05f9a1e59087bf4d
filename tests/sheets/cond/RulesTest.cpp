// Each rule family on a column of numbers: which rows it marks.
#include <gtest/gtest.h>

#include <functional>

#include "CondSupport.h"

using namespace sheets;
using condtest::AddRule;
using condtest::Matched;
using Rows = std::vector<uint32_t>;

namespace {

struct Case {
    const char* name;
    std::vector<double> values;
    std::function<void(CondRule&)> setUp;
    Rows want;
};

void RunCases(CfKind kind, const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        Workbook wb = condtest::Column(c.values);
        condtest::RedFill(wb);
        CondRule& r = AddRule(wb.sheets[0], Range{0, 0, uint32_t(c.values.size()), 0}, kind);
        c.setUp(r);
        EXPECT_EQ(Matched(wb), c.want) << c.name;
    }
}

}  // namespace

TEST(CondRules, CellValueComparisons) {
    const std::vector<double> v = {1, 5, 7, 10};
    const auto op = [](CfOperator o, std::vector<std::string> f) {
        return [o, f](CondRule& r) {
            r.op = o;
            r.formulas = f;
        };
    };
    RunCases(CfKind::CellIs, {
                                 {"greater", v, op(CfOperator::Greater, {"5"}), Rows{2, 3}},
                                 {"greater or equal", v, op(CfOperator::GreaterEqual, {"5"}), Rows{1, 2, 3}},
                                 {"less", v, op(CfOperator::Less, {"5"}), Rows{0}},
                                 {"less or equal", v, op(CfOperator::LessEqual, {"5"}), Rows{0, 1}},
                                 {"equal", v, op(CfOperator::Equal, {"7"}), Rows{2}},
                                 {"not equal", v, op(CfOperator::NotEqual, {"7"}), Rows{0, 1, 3}},
                                 {"between", v, op(CfOperator::Between, {"5", "7"}), Rows{1, 2}},
                                 {"between, bounds swapped", v, op(CfOperator::Between, {"7", "5"}), Rows{1, 2}},
                                 {"not between", v, op(CfOperator::NotBetween, {"5", "7"}), Rows{0, 3}},
                                 {"against a cell", v, op(CfOperator::Greater, {"$A$2"}), Rows{2, 3}},
                                 {"against the cell below", v, op(CfOperator::Greater, {"A2"}), Rows{3}},
                                 {"unknown formula: never applied", v, op(CfOperator::Greater, {"FOO(1)"}), Rows{}},
                             });
}

TEST(CondRules, TopAndBottomTakeTies) {
    const std::vector<double> v = {3, 9, 9, 1, 5, 1};
    const auto top = [](double rank, bool percent, bool bottom) {
        return [=](CondRule& r) {
            r.rank = rank;
            r.percent = percent;
            r.bottom = bottom;
        };
    };
    RunCases(CfKind::Top10, {
                                {"top 1, tied", v, top(1, false, false), Rows{1, 2}},
                                {"top 3", v, top(3, false, false), Rows{1, 2, 4}},
                                {"bottom 1, tied", v, top(1, false, true), Rows{3, 5}},
                                {"bottom 2 takes the tie", v, top(2, false, true), Rows{3, 5}},
                                {"top 50 percent", v, top(50, true, false), Rows{1, 2, 4}},
                                {"top 1 percent: at least one", v, top(1, true, false), Rows{1, 2}},
                                {"more than there are", v, top(100, false, false), Rows{0, 1, 2, 3, 4, 5}},
                            });
}

TEST(CondRules, AverageAndStandardDeviations) {
    const std::vector<double> v = {3, 7, 3, 7, 5, 5, 9, 1};
    // Mean 5; population standard deviation sqrt((4+4+4+4+0+0+16+16)/8) = sqrt(6), about 2.449.
    const auto avg = [](bool below, bool equal, int sd) {
        return [=](CondRule& r) {
            r.below = below;
            r.equalAverage = equal;
            r.stdDev = sd;
        };
    };
    RunCases(CfKind::AboveAverage, {
                                       {"above", v, avg(false, false, 0), Rows{1, 3, 6}},
                                       {"above or equal", v, avg(false, true, 0), Rows{1, 3, 4, 5, 6}},
                                       {"below", v, avg(true, false, 0), Rows{0, 2, 7}},
                                       {"1 deviation above", v, avg(false, false, 1), Rows{6}},
                                       {"1 deviation below", v, avg(true, false, 1), Rows{7}},
                                       {"2 deviations above: none", v, avg(false, false, 2), Rows{}},
                                   });
}

TEST(CondRules, DuplicatesUniqueTextBlanksErrors) {
    Workbook wb = htmltest::OneSheet();
    Sheet& s = wb.sheets[0];
    htmltest::PutText(wb, s, 0, 0, "Apple");
    htmltest::PutText(wb, s, 1, 0, "apple");
    htmltest::PutNumber(s, 2, 0, 42);
    htmltest::PutText(wb, s, 3, 0, "  ");
    htmltest::PutText(wb, s, 4, 0, "#N/A", 0, CellType::Error);
    htmltest::PutText(wb, s, 5, 0, "pineapple");
    htmltest::PutBlank(s, 6, 0, 0);
    condtest::RedFill(wb);
    struct Case {
        CfKind kind;
        std::string text;
        Rows want;
    } cases[] = {
        {CfKind::Duplicate, "", Rows{0, 1}},
        {CfKind::Unique, "", Rows{2, 3, 5}},
        {CfKind::ContainsText, "APP", Rows{0, 1, 5}},
        {CfKind::NotContainsText, "app", Rows{2, 3, 4, 6}},
        {CfKind::BeginsWith, "app", Rows{0, 1}},
        {CfKind::EndsWith, "LE", Rows{0, 1, 5}},
        {CfKind::ContainsText, "4", Rows{2}},
        {CfKind::Blanks, "", Rows{3, 6}},
        {CfKind::NoBlanks, "", Rows{0, 1, 2, 5}},
        {CfKind::Errors, "", Rows{4}},
        {CfKind::NoErrors, "", Rows{0, 1, 2, 3, 5, 6}},
    };
    for (const Case& c : cases) {
        Workbook copy = wb;
        AddRule(copy.sheets[0], Range{0, 0, 10, 0}, c.kind).text = c.text;
        EXPECT_EQ(Matched(copy), c.want) << int(c.kind) << " " << c.text;
    }
}

TEST(CondRules, DatesOccurringCountFromTheConversionDate) {
    // Wednesday 15 March 2023 is 45000; that week runs from Sunday 45 - 3 = 44997.
    const std::vector<double> v = {44999, 45000.75, 45001, 44994, 44997, 45003, 44990, 44986, 45017, 44985};
    const auto period = [](CfPeriod p) { return [p](CondRule& r) { r.period = p; }; };
    RunCases(CfKind::TimePeriod, {
                                     {"today", v, period(CfPeriod::Today), Rows{1}},
                                     {"yesterday", v, period(CfPeriod::Yesterday), Rows{0}},
                                     {"tomorrow", v, period(CfPeriod::Tomorrow), Rows{2}},
                                     {"last 7 days", v, period(CfPeriod::Last7Days), Rows{0, 1, 3, 4}},
                                     {"this week", v, period(CfPeriod::ThisWeek), Rows{0, 1, 2, 4, 5}},
                                     {"last week", v, period(CfPeriod::LastWeek), Rows{3, 6}},
                                     {"this month", v, period(CfPeriod::ThisMonth), Rows{0, 1, 2, 3, 4, 5, 6, 7}},
                                     {"next month", v, period(CfPeriod::NextMonth), Rows{8}},
                                     {"last month", v, period(CfPeriod::LastMonth), Rows{9}},
                                 });
}

TEST(CondRules, FormulaRulesAreRelativeToTheRangesTopLeft) {
    Workbook wb = condtest::Column({1, 2, 3, 4, 5, 6});
    condtest::RedFill(wb);
    // Rows 2..6 (A2:A6), anchored at A2: every other row, and values over the one above.
    AddRule(wb.sheets[0], Range{1, 0, 5, 0}, CfKind::Expression).formulas = {"MOD(ROW(),2)=1"};
    EXPECT_EQ(Matched(wb), (Rows{2, 4}));
    wb.sheets[0].condFormats.clear();
    AddRule(wb.sheets[0], Range{1, 0, 5, 0}, CfKind::Expression).formulas = {"AND(A2>A1,A2>=$A$4)"};
    EXPECT_EQ(Matched(wb), (Rows{3, 4, 5}));
}
