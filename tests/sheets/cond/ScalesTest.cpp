// Colour scales, data bars and icon sets: the points, and where values fall between them.
#include <gtest/gtest.h>

#include "CondSupport.h"
#include "sheets/cond/Rules.h"

using namespace sheets;
using namespace sheets::cond;

TEST(CondScales, ColourInterpolation) {
    const std::vector<uint32_t> two = {0xF8696B, 0x63BE7B}, three = {0xF8696B, 0xFFEB84, 0x63BE7B};
    struct Case {
        double v;
        std::vector<double> stops;
        const std::vector<uint32_t>* colors;
        uint32_t want;
    } cases[] = {
        {0, {0, 10}, &two, 0xF8696B},        {10, {0, 10}, &two, 0x63BE7B},
        {-5, {0, 10}, &two, 0xF8696B},  // below the first point: its colour
        {99, {0, 10}, &two, 0x63BE7B},       {5, {0, 10}, &two, 0xAE9473},  // half way, channel by channel, rounded
        {5, {0, 5, 10}, &three, 0xFFEB84},   {2.5, {0, 5, 10}, &three, 0xFCAA78},
        {7.5, {0, 5, 10}, &three, 0xB1D580}, {3, {3, 3}, &two, 0xF8696B},  // all points equal
    };
    for (const Case& c : cases) EXPECT_EQ(ScaleColor(c.v, c.stops, *c.colors), c.want) << c.v;
}

TEST(CondScales, Percentiles) {
    const std::vector<double> s = {1, 2, 3, 4, 10};
    EXPECT_DOUBLE_EQ(Percentile(s, 0), 1);
    EXPECT_DOUBLE_EQ(Percentile(s, 0.5), 3);
    EXPECT_DOUBLE_EQ(Percentile(s, 0.9), 7.6);
    EXPECT_DOUBLE_EQ(Percentile(s, 1), 10);
    EXPECT_DOUBLE_EQ(Percentile({4}, 0.3), 4);
}

namespace {

CondRule& Scale(Workbook& wb, CfKind kind, std::vector<CfPoint> points, std::vector<uint32_t> colors = {}) {
    CondRule& r = condtest::AddRule(wb.sheets[0], Range{0, 0, 100, 0}, kind, -1);
    r.points = std::move(points);
    for (uint32_t c : colors) r.colors.push_back(Color::Rgb(c));
    return r;
}

CfPoint Point(CfPoint::Kind k, double v = 0, bool gte = true) {
    CfPoint p;
    p.kind = k;
    p.value = v;
    p.gte = gte;
    return p;
}

}  // namespace

TEST(CondScales, ColourScalePointsOfEveryKind) {
    using K = CfPoint::Kind;
    Workbook wb = condtest::Column({0, 25, 50, 100});
    Scale(wb, CfKind::ColorScale, {Point(K::Min), Point(K::Percentile, 50), Point(K::Max)},
          {0x000000, 0x808080, 0xFFFFFF});
    SheetLooks looks = Evaluate(wb, wb.sheets[0], {});
    // The 50th percentile of 0, 25, 50, 100 is 37.5.
    EXPECT_EQ(looks.Find(0, 0)->diff.fill.rgb, 0x000000u);
    EXPECT_EQ(looks.Find(1, 0)->diff.fill.rgb, 0x555555u);
    EXPECT_EQ(looks.Find(2, 0)->diff.fill.rgb, 0x999999u);
    EXPECT_EQ(looks.Find(3, 0)->diff.fill.rgb, 0xFFFFFFu);

    wb.sheets[0].condFormats.clear();
    CfPoint f = Point(K::Formula);
    f.formula = "$A$2*2";  // 50
    Scale(wb, CfKind::ColorScale, {Point(K::Number, 25), f}, {0x000000, 0xFFFFFF});
    looks = Evaluate(wb, wb.sheets[0], {});
    EXPECT_EQ(looks.Find(0, 0)->diff.fill.rgb, 0x000000u);
    EXPECT_EQ(looks.Find(2, 0)->diff.fill.rgb, 0xFFFFFFu);

    wb.sheets[0].condFormats.clear();
    Scale(wb, CfKind::ColorScale, {Point(K::Percent, 50), Point(K::Max)}, {0x000000});  // colours missing
    EXPECT_TRUE(Evaluate(wb, wb.sheets[0], {}).Empty());
}

TEST(CondScales, DataBarsRunFromTheMinimumToTheMaximumLength) {
    using K = CfPoint::Kind;
    Workbook wb = condtest::Column({10, 20, 30, 15});
    CondRule& r = Scale(wb, CfKind::DataBar, {Point(K::Min), Point(K::Max)}, {0x638EC6});
    r.showValue = false;
    const SheetLooks looks = Evaluate(wb, wb.sheets[0], {});
    const uint8_t want[] = {10, 50, 90, 30};
    for (uint32_t row = 0; row < 4; ++row) {
        const CellLook* l = looks.Find(row, 0);
        ASSERT_TRUE(l && l->bar);
        EXPECT_EQ(l->barPercent, want[row]) << row;
        EXPECT_EQ(l->barColor, 0x638EC6u);
        EXPECT_TRUE(l->hideValue);
    }
}

TEST(CondScales, IconsByThresholdReversedAndStrict) {
    using K = CfPoint::Kind;
    Workbook wb = condtest::Column({0, 33, 34, 66, 67, 100});
    CondRule& r = Scale(wb, CfKind::IconSet, {Point(K::Percent, 0), Point(K::Percent, 33), Point(K::Percent, 67)});
    r.iconSet = IconSetKind::Arrows3;
    SheetLooks looks = Evaluate(wb, wb.sheets[0], {});
    const int8_t want[] = {0, 1, 1, 1, 2, 2};
    for (uint32_t row = 0; row < 6; ++row) EXPECT_EQ(looks.Find(row, 0)->icon, want[row]) << row;

    r.reverse = true;
    r.points[2].gte = false;  // above 67 only
    looks = Evaluate(wb, wb.sheets[0], {});
    const int8_t reversed[] = {2, 1, 1, 1, 1, 0};
    for (uint32_t row = 0; row < 6; ++row) EXPECT_EQ(looks.Find(row, 0)->icon, reversed[row]) << row;

    r.points.pop_back();  // three icons need three points
    EXPECT_TRUE(Evaluate(wb, wb.sheets[0], {}).Empty());
}
