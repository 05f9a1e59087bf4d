// Coordinates in the SVG: hundredths, halves away from zero, the same text
// on every machine. Pages are compared byte for byte, so a rounding that
// drifts by one hundredth is a changed page.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "sheets/chart/Svg.h"

namespace {

using sheets::chart::Num;

TEST(SvgNumbers, RoundToHundredthsAndDropTrailingZeros) {
    const struct {
        double v;
        const char* text;
    } kCases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-0.25, "-0.25"},
        {12.345, "12.35"},  // the product is exactly 1234.5
        {0.125, "0.13"},  // an exact half goes away from zero
        {-0.125, "-0.13"},
        {-0.001, "0"},  // no negative zero
        {0.1 + 0.2, "0.3"},
        {99.995, "100"},
        {1e9, "10000000"},
        {-1e9, "-10000000"},
        {std::numeric_limits<double>::quiet_NaN(), "0"},
        {std::numeric_limits<double>::infinity(), "0"},
    };
    for (const auto& c : kCases) EXPECT_EQ(Num(c.v), c.text) << c.v;
}

TEST(SvgNumbers, AgreeWithRoundingHalvesAwayFromZero) {
    // Thousandths and the doubles either side of them cover every halfway case.
    for (int i = -200000; i <= 200000; ++i) {
        for (double v : {i / 1000.0, std::nextafter(i / 1000.0, 1e9), std::nextafter(i / 1000.0, -1e9)}) {
            const long long h = std::llround(v * 100);
            std::string want = std::to_string(std::llabs(h) / 100);
            if (const long long f = std::llabs(h) % 100) {
                want += '.';
                want += char('0' + f / 10);
                if (f % 10) want += char('0' + f % 10);
            }
            if (h < 0) want = "-" + want;
            ASSERT_EQ(Num(v), want) << v;
        }
    }
}

}  // namespace
