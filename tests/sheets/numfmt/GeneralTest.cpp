#include "NumfmtCases.h"

using numfmt_test::ExpectShown;

TEST(NumfmtGeneral, ShowsAtMostElevenCharacters) {
    ExpectShown({
        {"General", 0, "0"},
        {"General", 1, "1"},
        {"General", -1, "-1"},
        {"General", 0.5, "0.5"},
        {"General", 1234.5678, "1234.5678"},
        {"General", 0.1 + 0.2, "0.3"},  // 15 significant digits, as stored
        {"General", 1.0 / 3, "0.333333333"},
        {"General", 2.0 / 3, "0.666666667"},
        {"General", -2.0 / 3, "-0.666666667"},  // the sign needs no room
        {"General", 123456.7890123, "123456.789"},
        {"General", 1234567890.5, "1234567891"},
        {"General", 12345678901, "12345678901"},
        {"General", 0.0001, "0.0001"},
        {"General", 0.000123456789, "0.000123457"},
    });
}

TEST(NumfmtGeneral, SwitchesToScientificForLargeAndTinyMagnitudes) {
    ExpectShown({
        {"General", 123456789012, "1.23457E+11"},
        {"General", -1234567890123, "-1.23457E+12"},
        {"General", 99999999999.5, "1E+11"},  // rounding carries into a twelfth digit
        {"General", 1e15, "1E+15"},
        {"General", 1e100, "1E+100"},
        {"General", 1.23456789012e100, "1.2346E+100"},
        {"General", 1.5e-10, "1.5E-10"},
        {"General", 0.000012345678, "1.23457E-05"},
        {"General", 0.00001, "1E-05"},
        {"General", -0.0000123, "-1.23E-05"},
        {"General", 9.999999e-20, "1E-19"},
        {"General", 1e-300, "1E-300"},
    });
}

TEST(NumfmtGeneral, NeverShowsNegativeZeroAndSurvivesOddValues) {
    ExpectShown({
        {"General", -0.0, "0"},
        {"General", 1.0 / 0.0, "#NUM!"},
        {"General", 1.7976931348623157e308, "1.7977E+308"},
        {"General", 4.9e-324, "5E-324"},  // a denormal keeps only the digits it has
    });
}

TEST(NumfmtGeneral, KeywordInsideACode) {
    ExpectShown({
        {"general", 2.5, "2.5"},
        {"\"x\"General", 5, "x5"},
        {"General;(General)", -5, "(5)"},
        {"[Red]General", -1234.5, "-1234.5"},
        {"", 1.5, "1.5"},
    });
    EXPECT_EQ(sheets::NumberFormat::Compile("[Red]General")->Format(1, false).color, 0xFF0000);
}
