// Tokens -> sections with their number or date layout worked out once, so
// that rendering only walks the tokens.
#include "sheets/numfmt/FormatCode.h"

namespace sheets::numfmt {
namespace {

constexpr int kMaxDecimals = 30;  // the most a spreadsheet shows
constexpr int kMaxDenDigits = 7;

void ToLiteral(Token& t) { t.kind = Tok::Literal; }

bool IsDigitTok(Tok k) { return k == Tok::Zero || k == Tok::Hash || k == Tok::Question; }

bool IsDateTok(Tok k) { return k >= Tok::Year2; }

void FinishDate(Section& s) {
    auto& t = s.tokens;
    // m and mm mean minutes right after an hour or right before a second.
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != Tok::Month && t[i].kind != Tok::Month2) continue;
        bool minute = false;
        for (size_t j = i; j-- > 0;) {
            if (!IsDateTok(t[j].kind)) continue;
            minute = t[j].kind == Tok::Hour || t[j].kind == Tok::Hour2 || t[j].kind == Tok::ElapsedH;
            break;
        }
        if (!minute) {
            for (size_t j = i + 1; j < t.size(); ++j) {
                if (!IsDateTok(t[j].kind)) continue;
                minute = t[j].kind == Tok::Second || t[j].kind == Tok::Second2 || t[j].kind == Tok::ElapsedS;
                break;
            }
        }
        if (minute) t[i].kind = t[i].kind == Tok::Month ? Tok::Minute : Tok::Minute2;
    }
    std::vector<Token> out;
    out.reserve(t.size());
    for (size_t i = 0; i < t.size(); ++i) {
        Tok k = t[i].kind;
        if (k == Tok::Point && !out.empty() &&
            (out.back().kind == Tok::Second || out.back().kind == Tok::Second2 || out.back().kind == Tok::ElapsedS) &&
            i + 1 < t.size() && t[i + 1].kind == Tok::Zero) {
            uint16_t w = 0;
            while (i + 1 < t.size() && t[i + 1].kind == Tok::Zero) ++w, ++i;
            if (w > 3) w = 3;
            if (w > s.secDecimals) s.secDecimals = w;
            out.push_back({Tok::SecFrac, Part::None, false, w, 0, {}, {}});
            continue;
        }
        if (k == Tok::AmPm) s.hasAmPm = true;
        if (k == Tok::Era) continue;  // the Gregorian calendar has no era to show
        if (IsDateTok(k) || k == Tok::Fill) {
            out.push_back(std::move(t[i]));
        } else if (k == Tok::Text) {
            s.hasAt = true;
            out.push_back(std::move(t[i]));
        } else if (k == Tok::Literal && !out.empty() && out.back().kind == Tok::Literal) {
            out.back().text += t[i].text;
        } else {
            ToLiteral(t[i]);
            if (!out.empty() && out.back().kind == Tok::Literal) out.back().text += t[i].text;
            else out.push_back(std::move(t[i]));
        }
    }
    t = std::move(out);
}

// Numbers the placeholders of one part: from the right or from the left.
void NumberPart(std::vector<Token>& t, Part part, bool fromRight, int& count) {
    count = 0;
    for (auto& tok : t)
        if (tok.part == part) ++count;
    int idx = 0;
    for (auto& tok : t) {
        if (tok.part != part) continue;
        tok.first = idx == 0;
        tok.pos = static_cast<uint16_t>(fromRight ? count - 1 - idx : idx);
        ++idx;
    }
}

// A fraction: a run of placeholders, '/', then placeholders or a number.
// The index of its '/', or the token count when there is none.
size_t FractionSlash(const std::vector<Token>& t) {
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        if (t[i].kind == Tok::Slash && IsDigitTok(t[i - 1].kind) &&
            (IsDigitTok(t[i + 1].kind) ||
             (t[i + 1].kind == Tok::Literal && t[i + 1].text[0] >= '1' && t[i + 1].text[0] <= '9'))) {
            return i;
        }
    }
    return t.size();
}

// A fixed denominator after the slash; its zeros were read as placeholders.
void FixedDenominator(Section& s, size_t slash) {
    auto& t = s.tokens;
    uint32_t den = 0;
    std::string digits;
    size_t k = slash + 1;
    while (k < t.size()) {
        Token& tok = t[k];
        size_t n = 0;
        while (n < tok.text.size() && tok.text[n] >= '0' && tok.text[n] <= '9') ++n;
        if ((tok.kind != Tok::Literal && tok.kind != Tok::Zero) || n == 0) break;
        for (size_t j = 0; j < n && den < 100000000; ++j) den = den * 10 + uint32_t(tok.text[j] - '0');
        digits.append(tok.text, 0, n);
        if (n < tok.text.size()) {
            tok.text.erase(0, n);
            break;
        }
        t.erase(t.begin() + long(k));
    }
    t.insert(t.begin() + long(slash) + 1, Token{Tok::FixedDen, Part::None, false, 0, den, digits, {}});
    s.fixedDen = den;
}

// Numerator, denominator and the whole number before them.
void LayOutFraction(Section& s, size_t slash) {
    auto& t = s.tokens;
    s.fraction = true;
    size_t numStart = slash;
    while (numStart > 0 && IsDigitTok(t[numStart - 1].kind)) --numStart;
    for (size_t i = numStart; i < slash; ++i) t[i].part = Part::Num;
    if (IsDigitTok(t[slash + 1].kind)) {
        for (size_t i = slash + 1; i < t.size() && IsDigitTok(t[i].kind); ++i) t[i].part = Part::Den;
    } else {
        FixedDenominator(s, slash);
    }
    for (size_t i = 0; i < numStart; ++i)
        if (IsDigitTok(t[i].kind)) t[i].part = Part::Int, s.fracWhole = true;
    // Placeholders after the denominator have nothing to show.
    for (auto& tok : t)
        if (IsDigitTok(tok.kind) && tok.part == Part::None) ToLiteral(tok);
}

// Integer digits, decimals after the first point, exponent digits after the
// first E; a second point or E is text.
void LayOutDecimal(Section& s) {
    bool seenPoint = false, seenExp = false;
    for (auto& tok : s.tokens) {
        if (tok.kind == Tok::Point) {
            if (seenPoint || seenExp) ToLiteral(tok);
            seenPoint = true;
        } else if (tok.kind == Tok::Exp) {
            if (seenExp) ToLiteral(tok);
            seenExp = true;
            s.sci = true;
        } else if (IsDigitTok(tok.kind)) {
            tok.part = seenExp ? Part::Exp : seenPoint ? Part::Dec : Part::Int;
        }
    }
}

// Commas: between integer placeholders they group thousands; right after
// the last placeholder of the number each one divides by a thousand.
void PlaceCommas(Section& s) {
    auto& t = s.tokens;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i].kind != Tok::Comma) continue;
        size_t j = i;
        while (j < t.size() && t[j].kind == Tok::Comma) ++j;
        bool before = i > 0 && t[i - 1].part != Part::None;
        bool intAfter = j < t.size() && t[j].part == Part::Int;
        bool anyAfter = false;
        for (size_t k = j; k < t.size(); ++k)
            if (t[k].part == Part::Int || t[k].part == Part::Dec) anyAfter = true;
        if (before && intAfter && t[i - 1].part == Part::Int) {
            s.thousands = true;
            t.erase(t.begin() + long(i), t.begin() + long(j));
            --i;
        } else if (before && !anyAfter && !s.fraction) {
            s.scale10 -= 3 * int(j - i);
            t.erase(t.begin() + long(i), t.begin() + long(j));
            --i;
        } else {
            for (size_t k = i; k < j; ++k) ToLiteral(t[k]);
            i = j - 1;
        }
    }
}

// Counts and numbers the placeholders of every part, within what can be shown.
void NumberParts(Section& s) {
    auto& t = s.tokens;
    NumberPart(t, Part::Int, true, s.nInt);
    NumberPart(t, Part::Dec, false, s.nDec);
    NumberPart(t, Part::Exp, true, s.nExp);
    NumberPart(t, Part::Num, true, s.nNum);
    NumberPart(t, Part::Den, false, s.nDen);
    if (s.nDec > kMaxDecimals) {  // the spreadsheet shows at most 30 decimals
        int seen = 0;
        for (auto& tok : t)
            if (tok.part == Part::Dec && ++seen > kMaxDecimals) tok.part = Part::None, tok.text.clear(), ToLiteral(tok);
        s.nDec = kMaxDecimals;
    }
    if (s.nDen > kMaxDenDigits) s.nDen = kMaxDenDigits;
}

// Merges the literals left next to each other by the steps before.
void MergeLiterals(std::vector<Token>& t) {
    std::vector<Token> out;
    out.reserve(t.size());
    for (auto& tok : t) {
        if (tok.kind == Tok::Literal && !out.empty() && out.back().kind == Tok::Literal) out.back().text += tok.text;
        else out.push_back(std::move(tok));
    }
    t = std::move(out);
}

void FinishNumber(Section& s) {
    auto& t = s.tokens;
    for (auto& tok : t) {
        if (tok.kind == Tok::Text) s.hasAt = true;
        if (tok.kind == Tok::Era) ToLiteral(tok);
    }
    const size_t slash = FractionSlash(t);
    if (slash < t.size()) LayOutFraction(s, slash);
    else LayOutDecimal(s);
    PlaceCommas(s);
    for (auto& tok : t) {
        if (tok.kind == Tok::Percent) s.scale10 += 2;
        if (tok.kind == Tok::Slash && !s.fraction) ToLiteral(tok);
        if (tok.kind == Tok::Comma) ToLiteral(tok);
        if (tok.part == Part::Int && tok.kind == Tok::Hash) s.intHasHash = true;
    }
    if (s.scale10 > 400) s.scale10 = 400;  // beyond this every double is zero or infinite
    if (s.scale10 < -400) s.scale10 = -400;
    NumberParts(s);
    MergeLiterals(t);
}

}  // namespace

bool Section::Matches(double v) const {
    switch (cmp) {
    case Cmp::None: return true;
    case Cmp::Lt: return v < rhs;
    case Cmp::Le: return v <= rhs;
    case Cmp::Gt: return v > rhs;
    case Cmp::Ge: return v >= rhs;
    case Cmp::Eq: return v == rhs;
    case Cmp::Ne: return v != rhs;
    }
    return true;
}

std::string_view Section::FillChar() const {
    for (const Token& t : tokens)
        if (t.kind == Tok::Fill) return t.text;
    return {};
}

bool Section::NegativeOnly() const { return (cmp == Cmp::Lt && rhs <= 0) || (cmp == Cmp::Le && rhs < 0); }

std::vector<Section> ParseCode(std::string_view code) {
    std::vector<Section> sections;
    size_t i = 0;
    while (i < code.size() && sections.size() < 4) {
        Section s;
        i = TokenizeSection(code, i, s);
        if (s.systemCode) {
            Section system;
            TokenizeSection(s.systemCode, 0, system);
            s.tokens = std::move(system.tokens);
        }
        sections.push_back(std::move(s));
        if (i == code.size() && code.back() == ';' && sections.size() < 4)
            sections.emplace_back();  // a trailing ';' leaves an empty section
    }
    // In the text section, General stands for the text, as @ does.
    if (sections.size() == 4)
        for (auto& tok : sections[3].tokens)
            if (tok.kind == Tok::General) tok.kind = Tok::Text;
    for (auto& s : sections) {
        bool date = false;
        for (const auto& tok : s.tokens)
            if (IsDateTok(tok.kind)) date = true;
        s.date = date;
        if (date) FinishDate(s);
        else FinishNumber(s);
    }
    return sections;
}

}  // namespace sheets::numfmt
