// Data bars of 2010 and later: a value's bar runs from the axis, rightwards
// for values above zero and leftwards, in colours of their own, below it.
#include <algorithm>
#include <cmath>

#include "sheets/cond/Rules.h"

namespace sheets::cond {

void PlaceBar(const CondRule& r, double v, double lo, double hi, RuleHit& hit) {
    if (lo > hi) std::swap(lo, hi);
    double from = 0, to = 0, axis = -1;  // fractions of the cell's width
    const bool middle = r.barAxis == BarAxis::Middle;
    if (middle || (r.barAxis == BarAxis::Automatic && lo < 0)) {
        // One scale across the cell with zero at the axis; "middle" centres it.
        if (middle) {
            const double m = std::max(std::fabs(lo), std::fabs(hi));
            lo = -m;
            hi = m;
        }
        const double span = hi - lo;
        axis = span > 0 ? std::clamp(-lo / span, 0.0, 1.0) : 0.5;
        const double at = span > 0 ? std::clamp((v - lo) / span, 0.0, 1.0) : axis;
        from = std::min(axis, at);
        to = std::max(axis, at);
        hit.barFromRight = v < 0;
    } else {
        const double minLen = std::min<double>(r.barMinLength, 100) / 100,
                     maxLen = std::clamp<double>(r.barMaxLength, r.barMinLength, 100) / 100;
        const double t = hi > lo ? std::clamp((v - lo) / (hi - lo), 0.0, 1.0) : 1.0;
        to = minLen + (maxLen - minLen) * t;
    }
    if (r.barRightToLeft) {
        std::swap(from, to);
        from = 1 - from;
        to = 1 - to;
        if (axis >= 0) axis = 1 - axis;
        hit.barFromRight = !hit.barFromRight;
    }
    const long start = std::lround(from * 100), end = std::lround(to * 100);
    hit.bar = true;
    hit.barStart = uint8_t(start);
    hit.barPercent = uint8_t(end - start);
    hit.barAxis = int8_t(axis >= 0 ? std::lround(axis * 100) : -1);
    hit.negative = v < 0;
}

}  // namespace sheets::cond
