#include "sheets/numfmt/Decimal.h"

#include <charconv>
#include <limits>

namespace sheets::numfmt {

Decimal Decimal::Of(double magnitude) {
    Decimal r;
    if (!(magnitude > 0)) return r;
    if (magnitude > std::numeric_limits<double>::max()) magnitude = std::numeric_limits<double>::max();
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
