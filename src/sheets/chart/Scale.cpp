#include "sheets/chart/Scale.h"

#include <algorithm>

namespace sheets::chart {

namespace {

// Values beyond this range are drawn at its edge: the arithmetic of the
// scale stays finite whatever a part claims.
constexpr double kLimit = 1e150;

double Floor(double v, double u) { return std::floor(v / u + 1e-9) * u; }
double Ceil(double v, double u) { return std::ceil(v / u - 1e-9) * u; }

Scale LogScale(const ScaleInput& in) {
    Scale s;
    s.logBase = in.logBase;
    s.major = in.logBase;
    const double lb = std::log(in.logBase);
    double lo = in.dataMin > 0 ? in.dataMin : 1, hi = in.dataMax > 0 ? in.dataMax : lo;
    if (std::isnan(lo)) lo = 1;
    if (std::isnan(hi)) hi = lo;
    double pmin = std::floor(std::log(lo) / lb + 1e-9), pmax = std::ceil(std::log(hi) / lb - 1e-9);
    if (pmax <= pmin) pmax = pmin + 1;
    // At most a few hundred decades: each becomes a gridline.
    pmin = std::clamp(pmin, -300.0, 300.0);
    pmax = std::clamp(pmax, pmin + 1, pmin + 300);
    s.min = in.fixedMin > 0 ? in.fixedMin : std::pow(in.logBase, pmin);
    s.max = in.fixedMax > 0 ? in.fixedMax : std::pow(in.logBase, pmax);
    if (!(s.max > s.min) || !std::isfinite(s.max) || !std::isfinite(s.min)) {
        s.min = 1;
        s.max = in.logBase;
    }
    return s;
}

}  // namespace

double NiceUnit(double raw) {
    if (!(raw > 0) || !std::isfinite(raw)) return 1;
    const double p = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * p >= raw * (1 - 1e-9)) return m * p;
    return 10 * p;
}

Scale ChooseScale(const ScaleInput& in) {
    if (in.logBase > 1) return LogScale(in);
    Scale s;
    const int maxN = std::clamp(in.maxIntervals, 1, 100);
    double lo = std::clamp(in.dataMin, -kLimit, kLimit), hi = std::clamp(in.dataMax, -kLimit, kLimit);
    if (std::isnan(lo) || std::isnan(hi)) lo = hi = 0;
    if (lo > hi) std::swap(lo, hi);
    const bool fixMin = !std::isnan(in.fixedMin), fixMax = !std::isnan(in.fixedMax);
    if (fixMin) lo = std::max(lo, in.fixedMin), hi = std::max(hi, lo);
    if (fixMax) hi = std::min(hi, in.fixedMax), lo = std::min(lo, hi);
    if (lo == 0 && hi == 0 && !fixMin && !fixMax) {
        s.min = 0;
        s.max = 1;
        s.major = std::isnan(in.fixedMajor) || in.fixedMajor <= 0 ? 0.2 : in.fixedMajor;
        return s;
    }
    // Zero is kept in view unless the data lie in a band narrower than a
    // sixth of their distance from it.
    bool zeroMin = false, zeroMax = false;
    if (!fixMin && lo >= 0) zeroMin = hi == lo || (hi - lo) / hi >= 1.0 / 6;
    if (!fixMax && hi <= 0) zeroMax = hi == lo || (hi - lo) / -lo >= 1.0 / 6;
    const double baseLo = fixMin ? in.fixedMin : zeroMin ? 0 : lo;
    const double baseHi = fixMax ? in.fixedMax : zeroMax ? 0 : hi;
    double unit;
    auto bounds = [&](double u, double& mn, double& mx) {
        // A twentieth of the data's range beyond the data, rounded out to
        // the unit; a fixed end is where the other end counts from.
        const double pad = (hi - lo) / 20;
        mn = fixMin ? in.fixedMin : zeroMin ? 0 : Floor(lo - pad, u);
        if (fixMax && !fixMin && !zeroMin) mn = in.fixedMax - Ceil(in.fixedMax - (lo - pad), u);
        mx = fixMax ? in.fixedMax : zeroMax ? 0 : mn + Ceil(hi + pad - mn, u);
        if (!fixMax && !zeroMax && mx <= hi && hi > 0) mx += u;
        if (!fixMin && !zeroMin && !fixMax && mn >= lo && lo < 0) mn -= u;
        if (!fixMin && !zeroMin && lo >= 0 && mn < 0) mn = 0;
        if (!fixMax && !zeroMax && hi <= 0 && mx > 0) mx = 0;
    };
    double mn = baseLo, mx = baseHi;
    if (!std::isnan(in.fixedMajor) && in.fixedMajor > 0) {
        unit = in.fixedMajor;
        bounds(unit, mn, mx);
    } else {
        double span = std::max(baseHi - baseLo, std::fabs(hi) * 1e-9);
        if (!(span > 0)) span = std::max(std::fabs(hi), 1.0);
        unit = NiceUnit(span / maxN);
        for (int tries = 0; tries < 8; ++tries) {
            bounds(unit, mn, mx);
            if ((mx - mn) / unit <= maxN + 1e-9) break;
            unit = NiceUnit(unit * 1.0001);
        }
    }
    if (!(mx > mn)) mx = mn + unit;
    s.min = mn;
    s.max = mx;
    // A fixed unit that would draw more lines than a page can hold is
    // widened: the scale stays readable and the output bounded.
    while ((s.max - s.min) / unit > 1000) unit *= 10;
    s.major = unit;
    return s;
}

}  // namespace sheets::chart
