#include "sheets/numfmt/Decimal.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace sheets::numfmt {

namespace {

// Most values in a sheet are whole or have a few decimals: m / 10^k for a
// small k. When m / 10^k reads back as the value itself, m's digits are the
// value's 15-digit rounding (two decimals of at most 15 digits never share
// a double), and the general conversion below is not needed.
bool FewDecimals(double magnitude, Decimal& r) {
    static constexpr double kScale[] = {1, 10, 100, 1000, 10000};
    for (int k = 0; k < 5; ++k) {
        const double scaled = magnitude * kScale[k];
        if (!(scaled < 1e15)) return false;
        const uint64_t m = uint64_t(std::llround(scaled));
        if (m == 0 || double(m) / kScale[k] != magnitude) continue;
        char digits[16];
        int n = 0;
        for (uint64_t v = m; v; v /= 10) digits[n++] = char('0' + v % 10);
        r.point = n - k;
        int last = 0;  // the lowest digit that is not zero
        while (digits[last] == '0') ++last;
        r.n = n - last;
        for (int i = 0; i < r.n; ++i) r.d[i] = digits[n - 1 - i];
        return true;
    }
    return false;
}

}  // namespace

Decimal Decimal::Of(double magnitude) {
    Decimal r;
    if (!(magnitude > 0)) return r;
    if (magnitude > std::numeric_limits<double>::max()) magnitude = std::numeric_limits<double>::max();
    if (FewDecimals(magnitude, r)) return r;
    // The shortest text that reads back as the same double: when it has at
    // most 15 digits it is exactly the 15-digit rounding; longer ones are
    // rounded here. Much faster than asking for a precision.
    char buf[40];
    auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific);
    char digits[20];
    int n = 0;
    const char* p = buf;
    while (p < res.ptr && *p != 'e') {
        if (*p != '.' && n < 20) digits[n++] = *p;
        ++p;
    }
    int exp = 0;
    if (p < res.ptr) {
        ++p;
        bool neg = *p == '-';
        if (*p == '-' || *p == '+') ++p;
        while (p < res.ptr) exp = exp * 10 + (*p++ - '0');
        if (neg) exp = -exp;
    }
    if (n > 15) {
        bool up = digits[15] >= '5';
        n = 15;
        if (up) {
            int i = n - 1;
            while (i >= 0 && digits[i] == '9') --i;
            if (i < 0) {
                digits[0] = '1';
                n = 1;
                ++exp;
            } else {
                ++digits[i];
                n = i + 1;
            }
        }
    }
    while (n > 0 && digits[n - 1] == '0') --n;
    for (int i = 0; i < n; ++i) r.d[i] = digits[i];
    r.n = n;
    r.point = exp + 1;
    return r;
}

bool Fixed::IsZero() const {
    for (int i = 0; i < ni; ++i)
        if (intd[i] != '0') return false;
    for (int i = 0; i < nf; ++i)
        if (frac[i] != '0') return false;
    return true;
}

void RoundFixed(const Decimal& v, int decimals, Fixed& out) {
    if (decimals > Fixed::kMaxDec) decimals = Fixed::kMaxDec;
    if (decimals < 0) decimals = 0;
    char d[18];
    int n = v.n, point = v.point;
    for (int i = 0; i < n; ++i) d[i] = v.d[i];
    int keep = point + decimals;  // significant digits that survive
    if (n > 0 && keep < n) {
        if (keep < 0) {
            n = 0;
        } else {
            bool up = d[keep] >= '5';
            n = keep;
            if (up) {
                int i = n - 1;
                while (i >= 0 && d[i] == '9') --i;
                if (i < 0) {  // all nines (or nothing kept): carries into a new digit
                    d[0] = '1';
                    n = 1;
                    ++point;
                } else {
                    ++d[i];
                    n = i + 1;
                }
            }
            while (n > 0 && d[n - 1] == '0') --n;
        }
    }
    out.ni = 0;
    if (n > 0 && point > 0) {
        int ni = point < Fixed::kMaxInt ? point : Fixed::kMaxInt;
        for (int i = 0; i < ni; ++i) out.intd[i] = i < n ? d[i] : '0';
        out.ni = ni;
    }
    out.nf = decimals;
    for (int j = 0; j < decimals; ++j) {
        int pos = point + j;
        out.frac[j] = (n > 0 && pos >= 0 && pos < n) ? d[pos] : '0';
    }
}

}  // namespace sheets::numfmt
