// The axis range and major unit chosen for a set of values, as the
// spreadsheet chooses them when the chart leaves them automatic.
#include <gtest/gtest.h>

#include <cmath>

#include "sheets/chart/Scale.h"

using sheets::chart::ChooseScale;
using sheets::chart::NiceUnit;
using sheets::chart::ScaleInput;

namespace {

struct Case {
    const char* what;
    double dataMin, dataMax;
    double fixedMin, fixedMax, fixedMajor;
    int intervals;
    double min, max, major;
};

constexpr double N = NAN;

const Case kCases[] = {
    {"small positive values", 1, 15, N, N, N, 10, 0, 16, 2},
    {"tens", 10, 50, N, N, N, 10, 0, 60, 10},
    {"a maximum on a unit gets one more", 2, 10, N, N, N, 10, 0, 12, 2},
    {"fractions", 0.5, 3.5, N, N, N, 10, 0, 4, 0.5},
    {"hundreds", 100, 500, N, N, N, 10, 0, 600, 100},
    {"thousands", 1200, 8300, N, N, N, 10, 0, 9000, 1000},
    {"both signs", -5, 5, N, N, N, 10, -6, 6, 2},
    {"all negative", -50, -10, N, N, N, 10, -60, 0, 10},
    {"a narrow band far from zero", 100, 105, N, N, N, 10, 99, 106, 1},
    {"one value", 5, 5, N, N, N, 10, 0, 6, 1},
    {"no data", N, N, N, N, N, 10, 0, 1, 0.2},
    {"zeros", 0, 0, N, N, N, 10, 0, 1, 0.2},
    {"a fixed maximum", 1, 15, N, 20, N, 10, 0, 20, 2},
    {"a fixed minimum counts the units from it", 1, 15, 5, N, N, 10, 5, 17, 2},
    {"a fixed unit", 1, 15, N, N, 5, 10, 0, 20, 5},
    {"fixed range and unit", 1, 15, 0, 100, 25, 10, 0, 100, 25},
    {"a short axis takes a larger unit", 1, 15, N, N, N, 4, 0, 20, 5},
    {"percent stacked", 0, 1, 0, 1, N, 10, 0, 1, 0.1},
    {"tiny values", 0.0001, 0.0009, N, N, N, 10, 0, 0.001, 0.0001},
};

class ScaleCases : public ::testing::TestWithParam<Case> {};

TEST_P(ScaleCases, PicksTheSpreadsheetsRange) {
    const Case& c = GetParam();
    ScaleInput in;
    in.dataMin = c.dataMin;
    in.dataMax = c.dataMax;
    in.fixedMin = c.fixedMin;
    in.fixedMax = c.fixedMax;
    in.fixedMajor = c.fixedMajor;
    in.maxIntervals = c.intervals;
    const auto s = ChooseScale(in);
    EXPECT_NEAR(s.min, c.min, 1e-9) << c.what;
    EXPECT_NEAR(s.max, c.max, 1e-9) << c.what;
    EXPECT_NEAR(s.major, c.major, 1e-12) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Chart, ScaleCases, ::testing::ValuesIn(kCases));

TEST(ChartScale, NiceUnitsAreOneTwoOrFiveTimesAPowerOfTen) {
    const std::pair<double, double> cases[] = {{0.7, 1}, {1, 1},        {1.2, 2},  {2.5, 5},
                                               {6, 10},  {0.013, 0.02}, {4e7, 5e7}};
    for (auto [raw, nice] : cases) EXPECT_DOUBLE_EQ(NiceUnit(raw), nice) << raw;
}

TEST(ChartScale, LogarithmicAxesSpanWholePowers) {
    ScaleInput in;
    in.dataMin = 3;
    in.dataMax = 4500;
    in.logBase = 10;
    const auto s = ChooseScale(in);
    EXPECT_TRUE(s.Log());
    EXPECT_DOUBLE_EQ(s.min, 1);
    EXPECT_DOUBLE_EQ(s.max, 10000);
    // Non-positive values have no place on a logarithmic axis.
    in.dataMin = -5;
    in.dataMax = 0;
    const auto t = ChooseScale(in);
    EXPECT_GT(t.max, t.min);
    EXPECT_GT(t.min, 0);
}

TEST(ChartScale, HostileInputStaysFiniteAndBounded) {
    const double cases[][5] = {{-1e300, 1e300, N, N, N},  {1, 2, N, N, 1e-300}, {0, 1, 5, -5, N},
                               {1e-300, 2e-300, N, N, N}, {N, 5, N, N, N},      {1, 1e12, N, N, 1e-6}};
    for (const auto& c : cases) {
        ScaleInput in;
        in.dataMin = c[0];
        in.dataMax = c[1];
        in.fixedMin = c[2];
        in.fixedMax = c[3];
        in.fixedMajor = c[4];
        const auto s = ChooseScale(in);
        ASSERT_TRUE(std::isfinite(s.min) && std::isfinite(s.max) && std::isfinite(s.major));
        EXPECT_GT(s.max, s.min);
        EXPECT_GT(s.major, 0);
        // Never more gridlines than a page can hold.
        EXPECT_LE((s.max - s.min) / s.major, 1001);
    }
}

}  // namespace
