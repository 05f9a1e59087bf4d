// Numbers through digit placeholders: fixed, scientific and fractions.
#include <cmath>
#include <cstdint>

#include "sheets/numfmt/Decimal.h"
#include "sheets/numfmt/FormatCode.h"

namespace sheets::numfmt {
namespace {

// What a placeholder shows where the number has no digit.
void Pad(Tok k, std::string& out) {
    if (k == Tok::Zero) out += '0';
    else if (k == Tok::Question) out += ' ';
}

// A right-aligned placeholder (integer part, exponent, numerator): `digits`
// fill the placeholders from the right; the leftmost one takes the surplus.
void RightAligned(const Token& t, const char* digits, int nd, bool group, std::string& out) {
    auto emit = [&](int posFromRight, char c) {
        out += c;
        if (group && posFromRight > 0 && posFromRight % 3 == 0) out += ',';
    };
    int p = t.pos;
    if (t.first && nd > p + 1) {
        for (int i = 0; i < nd - p - 1; ++i) emit(nd - 1 - i, digits[i]);
    }
    if (p < nd) {
        emit(p, digits[nd - 1 - p]);
    } else if (t.kind == Tok::Zero) {
        emit(p, '0');
    } else {
        Pad(t.kind, out);
    }
}

int Digits(uint64_t v, char* buf) {  // buf needs 20 bytes; no digits for 0
    char tmp[20];
    int n = 0;
    while (v) {
        tmp[n++] = char('0' + v % 10);
        v /= 10;
    }
    for (int i = 0; i < n; ++i) buf[i] = tmp[n - 1 - i];
    return n;
}

// The closest fraction to x (>= 0) with a denominator up to maxDen, by
// continued fractions; a tie goes to the smaller denominator.
void BestFraction(double x, uint64_t maxDen, uint64_t& num, uint64_t& den) {
    uint64_t h0 = 0, h1 = 1, k0 = 1, k1 = 0;
    double r = x;
    for (int i = 0; i < 64; ++i) {
        double a = std::floor(r);
        if (a * double(k1) + double(k0) > double(maxDen)) {
            uint64_t t = k1 ? (maxDen - k0) / k1 : 0;
            uint64_t hs = t * h1 + h0, ks = t * k1 + k0;
            if (ks && k1 && std::fabs(double(hs) / double(ks) - x) < std::fabs(double(h1) / double(k1) - x)) {
                h1 = hs;
                k1 = ks;
            }
            break;
        }
        uint64_t ai = static_cast<uint64_t>(a);
        uint64_t h2 = ai * h1 + h0, k2 = ai * k1 + k0;
        h0 = h1, k0 = k1, h1 = h2, k1 = k2;
        double frac = r - a;
        if (frac < 1e-12 || std::fabs(double(h1) / double(k1) - x) < 1e-15) break;
        r = 1 / frac;
    }
    num = h1;
    den = k1 ? k1 : 1;
}

// How many decimals are written as digits: trailing zeros of the decimals
// vanish under # and turn to spaces under ?.
int KeptDecimals(const Section& s, const Fixed& f) {
    int keep = s.nDec;
    for (auto it = s.tokens.rbegin(); it != s.tokens.rend() && keep > 0; ++it) {
        if (it->part != Part::Dec) continue;
        if (it->kind == Tok::Zero || f.frac[keep - 1] != '0') break;
        --keep;
    }
    return keep;
}

void RenderFraction(const Section& s, double v, std::string& out, size_t* fillAt) {
    if (s.scale10) v *= std::pow(10.0, s.scale10);
    double whole = s.fracWhole ? std::floor(v) : 0;
    double part = v - whole;
    uint64_t num = 0, den = 1;
    char nd[Fixed::kMaxInt], dd[20];
    int nn = -1;
    double denLimit = s.fixedDen ? double(s.fixedDen) : std::pow(10.0, s.nDen ? s.nDen : 1);
    if (!(part * denLimit < 1e17)) {
        // Too large for a meaningful fraction: the whole number over 1.
        Fixed f;
        RoundFixed(Decimal::Of(part), 0, f);
        nn = f.ni;
        for (int i = 0; i < nn; ++i) nd[i] = f.intd[i];
        num = 1;
    } else if (s.fixedDen) {
        den = s.fixedDen;
        num = static_cast<uint64_t>(std::floor(part * double(den) + 0.5));
    } else {
        uint64_t maxDen = 1;
        for (int i = 0; i < (s.nDen ? s.nDen : 1); ++i) maxDen *= 10;
        BestFraction(part, maxDen - 1, num, den);
    }
    if (s.fracWhole && num >= den) {
        whole += 1;
        num = 0;
    }
    char wd[Fixed::kMaxInt];
    int nw = 0;
    if (whole > 0) {
        Fixed f;
        RoundFixed(Decimal::Of(whole), 0, f);
        nw = f.ni;
        for (int i = 0; i < nw; ++i) wd[i] = f.intd[i];
    }
    bool blankFraction = s.fracWhole && num == 0;
    if (blankFraction && nw == 0) wd[nw++] = '0';  // 0 shows as "0", not as nothing
    if (nn < 0) nn = Digits(num, nd);
    int ndd = Digits(den, dd);
    if (!s.fracWhole && nn == 0) nd[nn++] = '0';
    int denIdx = 0;
    for (const Token& t : s.tokens) {
        switch (t.part) {
        case Part::Int: RightAligned(t, wd, nw, s.thousands, out); continue;
        case Part::Num:
            if (blankFraction) out += ' ';
            else RightAligned(t, nd, nn, false, out);
            continue;
        case Part::Den:
            if (blankFraction) {
                out += ' ';
            } else {
                if (t.first && ndd > s.nDen) out.append(dd, ndd - s.nDen);
                int idx = denIdx + (ndd > s.nDen ? ndd - s.nDen : 0);
                if (denIdx < ndd && idx < ndd) out += dd[idx];
                else Pad(t.kind == Tok::Zero ? Tok::Question : t.kind, out);
            }
            ++denIdx;
            continue;
        default: break;
        }
        switch (t.kind) {
        case Tok::Slash: out += blankFraction ? ' ' : '/'; break;
        case Tok::FixedDen:
            if (blankFraction) out.append(t.text.size(), ' ');
            else out += t.text;
            break;
        case Tok::Literal: out += t.text; break;
        case Tok::Percent: out += '%'; break;
        case Tok::Fill: MarkFill(out, fillAt); break;
        case Tok::General: RenderGeneral(v, out); break;
        default: break;
        }
    }
}

void RenderScientific(const Section& s, const Decimal& dv, std::string& out, size_t* fillAt) {
    int nInt = s.nInt > 0 ? s.nInt : 1;
    int exp = 0;
    Fixed f;
    Decimal m = dv;
    if (dv.n == 0) {
        RoundFixed(m, s.nDec, f);
    } else {
        int e = dv.Exponent();
        for (int attempt = 0; attempt < 2; ++attempt) {
            if (s.intHasHash && nInt > 1) {
                // "##0.0E+0": the exponent moves in steps of the integer width.
                exp = (e >= 0 ? e : e - (nInt - 1)) / nInt * nInt;
            } else {
                exp = e - (nInt - 1);
            }
            m.point = dv.point - exp;
            RoundFixed(m, s.nDec, f);
            if (f.ni <= nInt) break;
            ++e;  // rounding carried into one more digit
        }
    }
    char ed[12];
    int ne = Digits(static_cast<uint64_t>(exp < 0 ? -exp : exp), ed);
    const int lastKeep = KeptDecimals(s, f);
    for (const Token& t : s.tokens) {
        switch (t.part) {
        case Part::Int: RightAligned(t, f.intd, f.ni, s.thousands, out); continue;
        case Part::Dec:
            if (t.pos < lastKeep) out += f.frac[t.pos];
            else Pad(t.kind, out);
            continue;
        case Part::Exp: RightAligned(t, ed, ne, false, out); continue;
        default: break;
        }
        switch (t.kind) {
        case Tok::Point:
            if (s.nInt == 0) out.append(f.intd, f.ni);
            out += '.';
            break;
        case Tok::Exp:
            out += t.text[0];
            if (exp < 0) out += '-';
            else if (t.text[1] == '+') out += '+';
            break;
        case Tok::Literal: out += t.text; break;
        case Tok::Percent: out += '%'; break;
        case Tok::Fill: MarkFill(out, fillAt); break;
        default: break;
        }
    }
}

}  // namespace

void RenderNumber(const Section& s, double v, std::string& out, size_t* fillAt) {
    if (s.fraction) {
        RenderFraction(s, v, out, fillAt);
        return;
    }
    Decimal dv = Decimal::Of(v);
    if (dv.n) dv.point += s.scale10;
    if (s.sci) {
        RenderScientific(s, dv, out, fillAt);
        return;
    }
    Fixed f;
    RoundFixed(dv, s.nDec, f);
    const int lastKeep = KeptDecimals(s, f);
    for (const Token& t : s.tokens) {
        switch (t.kind) {
        case Tok::Zero:
        case Tok::Hash:
        case Tok::Question:
            if (t.part == Part::Int) {
                RightAligned(t, f.intd, f.ni, s.thousands, out);
            } else if (t.part == Part::Dec) {
                if (t.pos < lastKeep) out += f.frac[t.pos];
                else Pad(t.kind, out);
            }
            break;
        case Tok::Point:
            if (s.nInt == 0) out.append(f.intd, f.ni);  // ".00" still shows 12.50
            out += '.';
            break;
        case Tok::Percent: out += '%'; break;
        case Tok::Fill: MarkFill(out, fillAt); break;
        case Tok::Literal: out += t.text; break;
        case Tok::General:
        case Tok::Text: RenderGeneral(v, out); break;
        default: break;
        }
    }
}

}  // namespace sheets::numfmt
