#pragma once
// The range and steps of a value axis, chosen as the spreadsheet chooses them
// when the chart does not fix them: a "nice" major unit (1, 2 or 5 times a
// power of ten), the maximum the first unit past the data plus a twentieth
// of its range, and a minimum of zero unless the data sit in a narrow band
// far from it.
#include <cmath>

namespace sheets::chart {

struct Scale {
    double min = 0, max = 1, major = 0.2;
    double logBase = 0;  // > 1: logarithmic; `major` is then a factor (the base)
    bool Log() const { return logBase > 1; }
};

struct ScaleInput {
    double dataMin = NAN, dataMax = NAN;  // NaN: no data
    double fixedMin = NAN, fixedMax = NAN, fixedMajor = NAN;
    double logBase = 0;
    int maxIntervals = 10;  // how many major units fit the axis's length
};

Scale ChooseScale(const ScaleInput& in);

// The nice unit (1, 2 or 5 times a power of ten) at or above `raw`.
double NiceUnit(double raw);

}  // namespace sheets::chart
