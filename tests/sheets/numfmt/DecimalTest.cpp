// A value's significant digits: the 15-digit rounding of the double, with no
// trailing zeros, whichever way they are found (values with a few decimals
// take a shorter way than the rest).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "sheets/numfmt/Decimal.h"

using sheets::numfmt::Decimal;

namespace {

// The digits and the point printf gives at 15 significant digits.
std::string Expected(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p != '.') digits += *p;
    const int exp = std::atoi(p + 1);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    return digits + "e" + std::to_string(exp + 1);
}

std::string Got(double v) {
    const Decimal d = Decimal::Of(v);
    return std::string(d.d, size_t(d.n)) + "e" + std::to_string(d.point);
}

// Whether the shortest text that reads back as v has at most 15 digits: then
// the 15-digit rounding is exact and printf is an independent witness.
bool Short(double v) {
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
    int digits = 0;
    for (const char* p = buf; p < res.ptr && *p != 'e'; ++p) digits += *p >= '0' && *p <= '9';
    return digits <= 15;
}

}  // namespace

TEST(Decimal, DigitsAreTheFifteenDigitRounding) {
    for (double v : {1.0, 100.0, 0.5, 475.21, 10454.62, 0.01, 0.0001, 0.00001, 123456789012345.0, 999999999999999.0,
                     1e15, 1e16, 0.1 + 0.2, 1.0 / 3, 2.5e-300, 1.7976931348623157e308, 44927.0, 44927.5})
        if (Short(v)) {
            EXPECT_EQ(Got(v), Expected(v)) << v;
        }
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        // Whole numbers and numbers with a few decimals, of every size the
        // short way takes and a little past it, and values of any kind.
        const int k = int(rng() % 7);
        const double m = double(rng() % 2000000000000000ull);
        double v = i % 4 == 3 ? std::ldexp(double(rng() >> 11), int(rng() % 200) - 100) : m / std::pow(10.0, k);
        if (i % 4 == 2) v = std::floor(v / 1000);
        if (v > 0 && Short(v)) {
            ASSERT_EQ(Got(v), Expected(v)) << v;
        }
    }
    EXPECT_EQ(Got(0), "e0");
}
