// The General format: the shortest faithful text that fits a default-width
// cell (11 characters for the number, sign aside).
#include <cmath>

#include "sheets/numfmt/Decimal.h"
#include "sheets/numfmt/FormatCode.h"

namespace sheets::numfmt {
namespace {

constexpr int kWidth = 11;

void AppendScientific(const Decimal& dv, bool neg, std::string& out) {
    int exp = dv.Exponent();
    Decimal m = dv;
    m.point = 1;
    Fixed f;
    int expDigits = (exp >= 100 || exp <= -100) ? 3 : 2;
    RoundFixed(m, kWidth - 4 - expDigits, f);  // room for "d.", "E+" and the exponent
    if (f.ni > 1) {  // 9.999999 rounded up to 10
        ++exp;
        f.ni = 1;
        f.intd[0] = '1';
        for (int i = 0; i < f.nf; ++i) f.frac[i] = '0';
    }
    int nf = f.nf;
    while (nf > 0 && f.frac[nf - 1] == '0') --nf;
    if (neg) out += '-';
    out += f.ni ? f.intd[0] : '0';
    if (nf) {
        out += '.';
        out.append(f.frac, nf);
    }
    out += 'E';
    out += exp < 0 ? '-' : '+';
    int a = exp < 0 ? -exp : exp;
    char buf[8];
    int k = 0;
    do {
        buf[k++] = char('0' + a % 10);
        a /= 10;
    } while (a);
    if (k < 2) buf[k++] = '0';
    while (k) out += buf[--k];
}

}  // namespace

void RenderGeneral(double v, std::string& out) {
    if (!std::isfinite(v)) {
        out += "#NUM!";
        return;
    }
    bool neg = v < 0;
    Decimal dv = Decimal::Of(neg ? -v : v);
    if (dv.n == 0) {
        out += '0';
        return;
    }
    int e = dv.Exponent();
    // Twelve integer digits, or a number below 0.0001, take scientific notation.
    if (e >= kWidth || e < -4) {
        AppendScientific(dv, neg, out);
        return;
    }
    int intDigits = e >= 0 ? e + 1 : 1;
    int decimals = kWidth - 1 - intDigits;  // one character for the point
    if (decimals < 0) decimals = 0;
    Fixed f;
    RoundFixed(dv, decimals, f);
    if (f.ni > kWidth) {  // rounding carried into a twelfth digit
        AppendScientific(dv, neg, out);
        return;
    }
    int nf = f.nf;
    while (nf > 0 && f.frac[nf - 1] == '0') --nf;
    if (neg) out += '-';
    if (f.ni) out.append(f.intd, f.ni);
    else out += '0';
    if (nf) {
        out += '.';
        out.append(f.frac, nf);
    }
}

}  // namespace sheets::numfmt
