#pragma once
// Exact decimal arithmetic on the 15 significant digits a spreadsheet keeps,
// so that rounding works on the decimal value the user sees (2.675 -> 2.68)
// rather than on its binary neighbour.
#include <cstdint>

namespace sheets::numfmt {

struct Decimal {
    char d[17] = {};  // significant digits, no leading or trailing zeros
    int n = 0;  // digit count; 0 means zero
    int point = 0;  // value = 0.d[0..n) * 10^point

    static Decimal Of(double magnitude);  // magnitude must be finite and >= 0
    int Exponent() const { return point - 1; }  // of the first digit
};

// A decimal rounded half away from zero to a fixed number of decimals.
struct Fixed {
    static constexpr int kMaxInt = 330;  // 1.8e308 has 309 integer digits
    static constexpr int kMaxDec = 40;
    char intd[kMaxInt];
    int ni = 0;  // integer digits; 0 when the integer part is zero
    char frac[kMaxDec];
    int nf = 0;
    bool IsZero() const;
};

void RoundFixed(const Decimal& v, int decimals, Fixed& out);

}  // namespace sheets::numfmt
