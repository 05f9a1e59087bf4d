// Data bars of 2010 and later (an axis, negative bars, the direction) and
// icon sets whose icons were picked one by one.
#include <gtest/gtest.h>

#include "CondSupport.h"
#include "sheets/cond/Rules.h"

using namespace sheets;
using namespace sheets::cond;

TEST(CondBars, PlacedBetweenAxisAndValue) {
    struct Case {
        const char* what;
        BarAxis axis;
        uint8_t minLen, maxLen;
        double lo, hi, v;
        int start, percent, axisAt;
        bool fromRight;
    } cases[] = {
        {"positive only: no axis, from the left", BarAxis::Automatic, 0, 100, 0, 10, 5, 0, 50, -1, false},
        {"the shortest bar keeps its minimum", BarAxis::Automatic, 10, 90, 0, 10, 0, 0, 10, -1, false},
        {"beyond the maximum: clamped", BarAxis::Automatic, 0, 100, 0, 10, 20, 0, 100, -1, false},
        {"mixed signs: zero a quarter in", BarAxis::Automatic, 10, 90, -5, 15, 10, 25, 50, 25, false},
        {"a negative bar grows leftwards", BarAxis::Automatic, 10, 90, -5, 15, -5, 0, 25, 25, true},
        {"middle axis on positive values", BarAxis::Middle, 10, 90, 2, 10, 5, 50, 25, 50, false},
        {"no axis: negatives from the left", BarAxis::None, 10, 90, -5, 15, -5, 0, 10, -1, false},
        {"all equal around a middle axis", BarAxis::Middle, 10, 90, 0, 0, 0, 50, 0, 50, false},
        {"points given high first", BarAxis::Automatic, 0, 100, 10, 0, 5, 0, 50, -1, false},
    };
    for (const Case& c : cases) {
        CondRule r;
        r.barAxis = c.axis;
        r.barMinLength = c.minLen;
        r.barMaxLength = c.maxLen;
        RuleHit hit;
        PlaceBar(r, c.v, c.lo, c.hi, hit);
        EXPECT_TRUE(hit.bar) << c.what;
        EXPECT_EQ(hit.barStart, c.start) << c.what;
        EXPECT_EQ(hit.barPercent, c.percent) << c.what;
        EXPECT_EQ(hit.barAxis, c.axisAt) << c.what;
        EXPECT_EQ(hit.barFromRight, c.fromRight) << c.what;
    }
}

TEST(CondBars, RightToLeftMirrorsTheBarAndItsAxis) {
    CondRule r;
    r.barRightToLeft = true;
    r.barMinLength = 0;
    r.barMaxLength = 100;
    RuleHit hit;
    PlaceBar(r, 5, 0, 10, hit);
    EXPECT_EQ(hit.barStart, 50);
    EXPECT_EQ(hit.barPercent, 50);
    EXPECT_TRUE(hit.barFromRight);
    PlaceBar(r, 10, -5, 15, hit);  // left of the axis now, growing leftwards from it
    EXPECT_EQ(hit.barStart, 25);
    EXPECT_EQ(hit.barPercent, 50);
    EXPECT_EQ(hit.barAxis, 75);
    EXPECT_TRUE(hit.barFromRight);
}

namespace {

CfPoint Point(CfPoint::Kind k, double v = 0) {
    CfPoint p;
    p.kind = k;
    p.value = v;
    return p;
}

}  // namespace

TEST(CondBars, AutomaticPointsIncludeZeroAndNegativesTakeTheirColours) {
    using K = CfPoint::Kind;
    Workbook wb = condtest::Column({-5, 0, 10, 15});
    CondRule& r = condtest::AddRule(wb.sheets[0], Range{0, 0, 9, 0}, CfKind::DataBar, -1);
    r.points = {Point(K::AutoMin), Point(K::AutoMax)};
    r.colors = {Color::Rgb(0x638EC6)};
    r.barExtended = true;
    r.barBorder = Color::Rgb(0x0000FF);
    r.barNegative = Color::Rgb(0xFF0000);
    r.barNegativeBorder = Color::Rgb(0x00FF00);
    r.barAxisColor = Color::Rgb(0x123456);
    SheetLooks looks = Evaluate(wb, wb.sheets[0], {});
    const CellLook* neg = looks.Find(0, 0);
    ASSERT_TRUE(neg && neg->bar && neg->barPlaced);
    EXPECT_EQ(neg->barColor, 0xFF0000u);
    EXPECT_EQ(neg->barBorder, 0x00FF00);
    EXPECT_TRUE(neg->barFromRight);
    EXPECT_EQ(neg->barStart, 0);
    EXPECT_EQ(neg->barPercent, 25);
    EXPECT_EQ(neg->barAxis, 25);
    EXPECT_EQ(neg->barAxisColor, 0x123456u);
    const CellLook* pos = looks.Find(3, 0);
    EXPECT_EQ(pos->barColor, 0x638EC6u);
    EXPECT_EQ(pos->barBorder, 0x0000FF);
    EXPECT_EQ(pos->barStart, 25);
    EXPECT_EQ(pos->barPercent, 75);

    // Positive values only: the automatic minimum is zero, not the lowest value.
    wb = condtest::Column({5, 10});
    CondRule& p = condtest::AddRule(wb.sheets[0], Range{0, 0, 9, 0}, CfKind::DataBar, -1);
    p.points = {Point(K::AutoMin), Point(K::AutoMax)};
    p.colors = {Color::Rgb(0x638EC6)};
    p.barExtended = true;
    p.barMinLength = 0;
    p.barMaxLength = 100;
    looks = Evaluate(wb, wb.sheets[0], {});
    EXPECT_EQ(looks.Find(0, 0)->barPercent, 50);
    EXPECT_EQ(looks.Find(0, 0)->barAxis, -1);
    EXPECT_EQ(looks.Find(0, 0)->barBorder, -1);
}

TEST(CondBars, IconsPickedOneByOne) {
    using K = CfPoint::Kind;
    Workbook wb = condtest::Column({0, 50, 100});
    CondRule& r = condtest::AddRule(wb.sheets[0], Range{0, 0, 9, 0}, CfKind::IconSet, -1);
    r.points = {Point(K::Percent, 0), Point(K::Percent, 33), Point(K::Percent, 67)};
    r.iconSet = IconSetKind::Arrows3;
    r.icons = {{IconSetKind::Flags3, 2}, {IconSetKind::Arrows3, -1}, {IconSetKind::Stars3, 0}};
    r.showValue = false;
    const SheetLooks looks = Evaluate(wb, wb.sheets[0], {});
    EXPECT_EQ(looks.Find(0, 0)->iconSet, IconSetKind::Flags3);
    EXPECT_EQ(looks.Find(0, 0)->icon, 2);
    EXPECT_EQ(looks.Find(1, 0)->icon, -1);  // "no icon" at this level
    EXPECT_TRUE(looks.Find(1, 0)->hideValue);
    EXPECT_EQ(looks.Find(2, 0)->iconSet, IconSetKind::Stars3);
    EXPECT_EQ(looks.Find(2, 0)->icon, 0);
}

TEST(CondBars, ARuleCarryingItsOwnFormatUsesIt) {
    Workbook wb = condtest::Column({1});
    condtest::RedFill(wb);
    CondRule& r = condtest::AddRule(wb.sheets[0], Range{0, 0, 0, 0}, CfKind::Expression, 0);
    r.formulas = {"TRUE"};
    r.ownDiff.emplace();
    r.ownDiff->fill = Color::Rgb(0x00FF00);
    EXPECT_EQ(Evaluate(wb, wb.sheets[0], {}).Find(0, 0)->diff.fill.rgb, 0x00FF00u);
}
