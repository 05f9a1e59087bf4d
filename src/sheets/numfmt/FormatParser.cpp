// Format code -> sections of tokens, with the number layout worked out once
// so that rendering only walks the tokens.
#include <charconv>
#include <cstring>

#include "sheets/model/Palette.h"
#include "sheets/numfmt/FormatCode.h"

namespace sheets::numfmt {
namespace {

constexpr int kMaxDecimals = 30;
constexpr int kMaxDenDigits = 7;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool StartsWithI(std::string_view s, size_t i, std::string_view word) {
    if (s.size() - i < word.size()) return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (Lower(s[i + k]) != word[k]) return false;
    return true;
}

size_t Utf8Len(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

// The next whole character at i (never past the end).
std::string_view NextChar(std::string_view s, size_t i) {
    size_t n = Utf8Len(static_cast<unsigned char>(s[i]));
    if (i + n > s.size()) n = s.size() - i;
    return s.substr(i, n);
}

bool IsDigitTok(Tok k) { return k == Tok::Zero || k == Tok::Hash || k == Tok::Question; }

bool IsDateTok(Tok k) { return k >= Tok::Year2; }

void AddLiteral(Section& s, std::string_view text) {
    if (text.empty()) return;
    if (!s.tokens.empty() && s.tokens.back().kind == Tok::Literal)
        s.tokens.back().text.append(text);
    else
        s.tokens.push_back({Tok::Literal, Part::None, false, 0, 0, std::string(text), {}});
}

void AddTok(Section& s, Tok k, std::string_view text, uint16_t width = 0) {
    s.tokens.push_back({k, Part::None, false, width, 0, std::string(text), {}});
}

int32_t NamedColor(std::string_view lower) {
    static constexpr struct { const char* name; int32_t rgb; } kColors[] = {
        {"black", 0x000000}, {"blue", 0x0000FF},    {"cyan", 0x00FFFF},  {"green", 0x00FF00},
        {"magenta", 0xFF00FF}, {"red", 0xFF0000}, {"white", 0xFFFFFF}, {"yellow", 0xFFFF00},
    };
    for (const auto& c : kColors)
        if (lower == c.name) return c.rgb;
    return -2;
}

// The contents of a [...] group.
void Bracket(Section& s, std::string_view body) {
    if (body.empty()) return;
    std::string lower;
    lower.reserve(body.size());
    for (char c : body) lower += Lower(c);
    if (int32_t rgb = NamedColor(lower); rgb != -2) {
        s.color = rgb;
        return;
    }
    if (lower.rfind("color", 0) == 0) {
        unsigned n = 0;
        auto r = std::from_chars(lower.data() + 5, lower.data() + lower.size(), n);
        uint32_t rgb;
        if (r.ec == std::errc() && r.ptr == lower.data() + lower.size() && n >= 1 && n <= 56 &&
            DefaultIndexedColor(n + 7, rgb))
            s.color = static_cast<int32_t>(rgb);
        return;
    }
    char c0 = body[0];
    if (c0 == '<' || c0 == '>' || c0 == '=') {
        size_t i = 1;
        Cmp cmp = Cmp::Eq;
        if (c0 == '<') {
            cmp = Cmp::Lt;
            if (i < body.size() && body[i] == '=') cmp = Cmp::Le, ++i;
            else if (i < body.size() && body[i] == '>') cmp = Cmp::Ne, ++i;
        } else if (c0 == '>') {
            cmp = Cmp::Gt;
            if (i < body.size() && body[i] == '=') cmp = Cmp::Ge, ++i;
        }
        while (i < body.size() && body[i] == ' ') ++i;
        double rhs = 0;
        const char* b = body.data() + i;
        if (i < body.size() && body[i] == '+') ++b;
        auto r = std::from_chars(b, body.data() + body.size(), rhs);
        if (r.ec == std::errc()) {
            s.cmp = cmp;
            s.rhs = rhs;
        }
        return;
    }
    if (c0 == '$') {  // [$sym-locale]: the symbol shows, the locale does not matter
        std::string_view rest = body.substr(1);
        size_t dash = rest.find('-');
        AddLiteral(s, rest.substr(0, dash));
        return;
    }
    char e = Lower(c0);
    if (e == 'h' || e == 'm' || e == 's') {
        for (char c : body)
            if (Lower(c) != e) return;
        uint16_t w = static_cast<uint16_t>(body.size() > 9 ? 9 : body.size());
        AddTok(s, e == 'h' ? Tok::ElapsedH : e == 'm' ? Tok::ElapsedM : Tok::ElapsedS, body, w);
    }
    // Anything else ([DBNum1], [natnum], [~buddhist], ...) changes nothing in en-US.
}

size_t RunLength(std::string_view s, size_t i) {
    char c = Lower(s[i]);
    size_t n = 0;
    while (i + n < s.size() && Lower(s[i + n]) == c) ++n;
    return n;
}

// Tokenizes one section starting at i; returns the index after its ';' (or the end).
size_t Tokenize(std::string_view code, size_t i, Section& s) {
    while (i < code.size()) {
        char c = code[i];
        switch (c) {
            case ';':
                return i + 1;
            case '"': {
                size_t end = code.find('"', i + 1);
                if (end == std::string_view::npos) end = code.size();
                AddLiteral(s, code.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            case '\\':
                if (i + 1 < code.size()) {
                    auto ch = NextChar(code, i + 1);
                    AddLiteral(s, ch);
                    i += 1 + ch.size();
                } else {
                    ++i;
                }
                continue;
            case '_':  // room for a character: one space is as wide as it matters in HTML
                if (i + 1 < code.size()) {
                    AddLiteral(s, " ");
                    i += 1 + NextChar(code, i + 1).size();
                } else {
                    ++i;
                }
                continue;
            case '*':  // fill: an HTML cell has no width to fill
                if (i + 1 < code.size()) {
                    auto ch = NextChar(code, i + 1);
                    AddTok(s, Tok::Fill, ch);
                    i += 1 + ch.size();
                } else {
                    ++i;
                }
                continue;
            case '[': {
                size_t end = code.find(']', i + 1);
                if (end == std::string_view::npos) return code.size();
                Bracket(s, code.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            case '0': AddTok(s, Tok::Zero, "0"); ++i; continue;
            case '#': AddTok(s, Tok::Hash, "#"); ++i; continue;
            case '?': AddTok(s, Tok::Question, "?"); ++i; continue;
            case '.': AddTok(s, Tok::Point, "."); ++i; continue;
            case ',': AddTok(s, Tok::Comma, ","); ++i; continue;
            case '%': AddTok(s, Tok::Percent, "%"); ++i; continue;
            case '/': AddTok(s, Tok::Slash, "/"); ++i; continue;
            case '@': AddTok(s, Tok::Text, "@"); ++i; continue;
            default:
                break;
        }
        char l = Lower(c);
        if (l == 'e' && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) {
            AddTok(s, Tok::Exp, code.substr(i, 2));
            i += 2;
            continue;
        }
        if (l == 'g') {
            if (StartsWithI(code, i, "general")) {
                AddTok(s, Tok::General, code.substr(i, 7));
                i += 7;
            } else {  // an era mark: nothing in a date, a letter in a number
                size_t n = RunLength(code, i);
                AddTok(s, Tok::Era, code.substr(i, n));
                i += n;
            }
            continue;
        }
        if (l == 'a') {
            if (StartsWithI(code, i, "am/pm")) {
                Token t{Tok::AmPm, Part::None, false, 0, 0, std::string(code.substr(i, 2)),
                        std::string(code.substr(i + 3, 2))};
                s.tokens.push_back(std::move(t));
                i += 5;
                continue;
            }
            if (StartsWithI(code, i, "a/p")) {
                Token t{Tok::AmPm, Part::None, false, 0, 0, std::string(code.substr(i, 1)),
                        std::string(code.substr(i + 2, 1))};
                s.tokens.push_back(std::move(t));
                i += 3;
                continue;
            }
        }
        if (l == 'y' || l == 'e' || l == 'm' || l == 'd' || l == 'h' || l == 's') {
            size_t n = RunLength(code, i);
            auto text = code.substr(i, n);
            Tok k;
            switch (l) {
                case 'y': k = n <= 2 ? Tok::Year2 : Tok::Year4; break;
                case 'e': k = Tok::Year4; break;
                case 'm':
                    k = n == 1   ? Tok::Month
                        : n == 2 ? Tok::Month2
                        : n == 3 ? Tok::MonthAbbr
                        : n == 5 ? Tok::MonthLetter
                                 : Tok::MonthFull;
                    break;
                case 'd':
                    k = n == 1 ? Tok::Day : n == 2 ? Tok::Day2 : n == 3 ? Tok::DayAbbr : Tok::DayFull;
                    break;
                case 'h': k = n == 1 ? Tok::Hour : Tok::Hour2; break;
                default: k = n == 1 ? Tok::Second : Tok::Second2; break;
            }
            AddTok(s, k, text);
            i += n;
            continue;
        }
        auto ch = NextChar(code, i);
        AddLiteral(s, ch);
        i += ch.size();
    }
    return i;
}

void ToLiteral(Token& t) { t.kind = Tok::Literal; }

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
                minute = t[j].kind == Tok::Second || t[j].kind == Tok::Second2 ||
                         t[j].kind == Tok::ElapsedS;
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
            (out.back().kind == Tok::Second || out.back().kind == Tok::Second2 ||
             out.back().kind == Tok::ElapsedS) &&
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
            if (!out.empty() && out.back().kind == Tok::Literal)
                out.back().text += t[i].text;
            else
                out.push_back(std::move(t[i]));
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

void FinishNumber(Section& s) {
    auto& t = s.tokens;
    for (auto& tok : t) {
        if (tok.kind == Tok::Text) s.hasAt = true;
        if (tok.kind == Tok::Era) ToLiteral(tok);
    }

    // A fraction: a run of placeholders, '/', then placeholders or a number.
    size_t slash = t.size();
    for (size_t i = 1; i + 1 < t.size(); ++i) {
        if (t[i].kind == Tok::Slash && IsDigitTok(t[i - 1].kind) &&
            (IsDigitTok(t[i + 1].kind) ||
             (t[i + 1].kind == Tok::Literal && t[i + 1].text[0] >= '1' && t[i + 1].text[0] <= '9'))) {
            slash = i;
            break;
        }
    }
    if (slash < t.size()) {
        s.fraction = true;
        size_t numStart = slash;
        while (numStart > 0 && IsDigitTok(t[numStart - 1].kind)) --numStart;
        for (size_t i = numStart; i < slash; ++i) t[i].part = Part::Num;
        if (IsDigitTok(t[slash + 1].kind)) {
            for (size_t i = slash + 1; i < t.size() && IsDigitTok(t[i].kind); ++i) t[i].part = Part::Den;
        } else {
            Token& lit = t[slash + 1];
            size_t n = 0;
            uint32_t den = 0;
            while (n < lit.text.size() && lit.text[n] >= '0' && lit.text[n] <= '9' && den < 100000000)
                den = den * 10 + uint32_t(lit.text[n++] - '0');
            Token fixed{Tok::FixedDen, Part::None, false, 0, den, lit.text.substr(0, n), {}};
            lit.text.erase(0, n);
            if (lit.text.empty())
                lit = std::move(fixed);
            else
                t.insert(t.begin() + long(slash) + 1, std::move(fixed));
            s.fixedDen = den;
        }
        for (size_t i = 0; i < numStart; ++i)
            if (IsDigitTok(t[i].kind)) t[i].part = Part::Int, s.fracWhole = true;
        // Placeholders after the denominator have nothing to show.
        for (auto& tok : t)
            if (IsDigitTok(tok.kind) && tok.part == Part::None) ToLiteral(tok);
    } else {
        bool seenPoint = false, seenExp = false;
        for (auto& tok : t) {
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
    for (auto& tok : t) {
        if (tok.kind == Tok::Percent) s.scale10 += 2;
        if (tok.kind == Tok::Exp && s.sci && tok.text.size() > 1) {}
        if (tok.kind == Tok::Slash && !s.fraction) ToLiteral(tok);
        if (tok.kind == Tok::Comma) ToLiteral(tok);
        if (tok.part == Part::Int && tok.kind == Tok::Hash) s.intHasHash = true;
    }
    if (s.scale10 > 400) s.scale10 = 400;  // beyond this every double is zero or infinite
    if (s.scale10 < -400) s.scale10 = -400;
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
    // Merge the literals left next to each other by the steps above.
    std::vector<Token> out;
    out.reserve(t.size());
    for (auto& tok : t) {
        if (tok.kind == Tok::Literal && !out.empty() && out.back().kind == Tok::Literal)
            out.back().text += tok.text;
        else
            out.push_back(std::move(tok));
    }
    t = std::move(out);
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

bool Section::NegativeOnly() const {
    return (cmp == Cmp::Lt && rhs <= 0) || (cmp == Cmp::Le && rhs < 0);
}

std::vector<Section> ParseCode(std::string_view code) {
    std::vector<Section> sections;
    size_t i = 0;
    while (i < code.size() && sections.size() < 4) {
        Section s;
        i = Tokenize(code, i, s);
        sections.push_back(std::move(s));
        if (i == code.size() && code.back() == ';' && sections.size() < 4)
            sections.emplace_back();  // a trailing ';' leaves an empty section
    }
    for (auto& s : sections) {
        bool date = false;
        for (const auto& tok : s.tokens)
            if (IsDateTok(tok.kind)) date = true;
        s.date = date;
        if (date)
            FinishDate(s);
        else
            FinishNumber(s);
    }
    return sections;
}

}  // namespace sheets::numfmt
