// Format code text -> tokens: quoting, escapes, brackets and the letters
// that stand for parts of a date.
#include <charconv>

#include "sheets/model/Palette.h"
#include "sheets/numfmt/FormatCode.h"
#include "text/Ascii.h"
#include "text/Utf8.h"

namespace sheets::numfmt {
namespace {

using text::AsciiLower;

bool StartsWithI(std::string_view s, size_t i, std::string_view word) {
    return s.size() - i >= word.size() && text::EqualsAsciiNoCase(s.substr(i, word.size()), word);
}

// The next whole character at i (never past the end).
std::string_view NextChar(std::string_view s, size_t i) {
    size_t n = text::Utf8SequenceLength(static_cast<unsigned char>(s[i]));
    if (i + n > s.size()) n = s.size() - i;
    return s.substr(i, n);
}

void AddLiteral(Section& s, std::string_view text) {
    if (text.empty()) return;
    if (!s.tokens.empty() && s.tokens.back().kind == Tok::Literal) s.tokens.back().text.append(text);
    else s.tokens.push_back({Tok::Literal, Part::None, false, 0, 0, std::string(text), {}});
}

void AddTok(Section& s, Tok k, std::string_view text, uint16_t width = 0) {
    s.tokens.push_back({k, Part::None, false, width, 0, std::string(text), {}});
}

int32_t NamedColor(std::string_view lower) {
    static constexpr struct {
        const char* name;
        int32_t rgb;
    } kColors[] = {
        {"black", 0x000000},   {"blue", 0x0000FF}, {"cyan", 0x00FFFF},  {"green", 0x00FF00},
        {"magenta", 0xFF00FF}, {"red", 0xFF0000},  {"white", 0xFFFFFF}, {"yellow", 0xFFFF00},
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
    for (char c : body) lower += AsciiLower(c);
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
        if (dash != std::string_view::npos) {
            std::string_view locale = std::string_view(lower).substr(2 + dash);
            if (locale == "f800" || locale == "x-sysdate") s.systemCode = "dddd, mmmm d, yyyy";
            if (locale == "f400" || locale == "x-systime") s.systemCode = "h:mm:ss AM/PM";
        }
        AddLiteral(s, rest.substr(0, dash));
        return;
    }
    char e = AsciiLower(c0);
    if (e == 'h' || e == 'm' || e == 's') {
        for (char c : body)
            if (AsciiLower(c) != e) return;
        uint16_t w = static_cast<uint16_t>(body.size() > 9 ? 9 : body.size());
        AddTok(s, e == 'h' ? Tok::ElapsedH : e == 'm' ? Tok::ElapsedM : Tok::ElapsedS, body, w);
    }
    // Anything else ([DBNum1], [natnum], [~buddhist], ...) changes nothing in en-US.
}

size_t RunLength(std::string_view s, size_t i) {
    char c = AsciiLower(s[i]);
    size_t n = 0;
    while (i + n < s.size() && AsciiLower(s[i + n]) == c) ++n;
    return n;
}

// Text that stands for itself or for room: "quoted", \escaped, _spacing and
// *fill. False when code[i] begins none of them.
bool LiteralText(std::string_view code, size_t& i, Section& s) {
    switch (code[i]) {
    case '"': {
        size_t end = code.find('"', i + 1);
        if (end == std::string_view::npos) end = code.size();
        AddLiteral(s, code.substr(i + 1, end - i - 1));
        i = end + 1;
        return true;
    }
    case '\\':
        if (i + 1 < code.size()) {
            auto ch = NextChar(code, i + 1);
            AddLiteral(s, ch);
            i += 1 + ch.size();
        } else {
            ++i;
        }
        return true;
    case '_':  // room for a character: one space is as wide as it matters in HTML
        if (i + 1 < code.size()) {
            AddLiteral(s, " ");
            i += 1 + NextChar(code, i + 1).size();
        } else {
            ++i;
        }
        return true;
    case '*':  // fill: an HTML cell has no width to fill
        if (i + 1 < code.size()) {
            auto ch = NextChar(code, i + 1);
            AddTok(s, Tok::Fill, ch);
            i += 1 + ch.size();
        } else {
            ++i;
        }
        return true;
    default: return false;
    }
}

// The one-character symbols of a number's layout (and @ for the text).
bool NumberSymbol(char c, Section& s) {
    switch (c) {
    case '0': AddTok(s, Tok::Zero, "0"); return true;
    case '#': AddTok(s, Tok::Hash, "#"); return true;
    case '?': AddTok(s, Tok::Question, "?"); return true;
    case '.': AddTok(s, Tok::Point, "."); return true;
    case ',': AddTok(s, Tok::Comma, ","); return true;
    case '%': AddTok(s, Tok::Percent, "%"); return true;
    case '/': AddTok(s, Tok::Slash, "/"); return true;
    case '@': AddTok(s, Tok::Text, "@"); return true;
    default: return false;
    }
}

// Letters with a meaning: an exponent, General, an era, AM/PM, and the runs
// that stand for the parts of a date or time. False for any other letter.
bool Letters(std::string_view code, size_t& i, Section& s) {
    char l = AsciiLower(code[i]);
    if (l == 'e' && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) {
        AddTok(s, Tok::Exp, code.substr(i, 2));
        i += 2;
        return true;
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
        return true;
    }
    if (l == 'a') {
        if (StartsWithI(code, i, "am/pm")) {
            Token t{
                Tok::AmPm, Part::None, false, 0, 0, std::string(code.substr(i, 2)), std::string(code.substr(i + 3, 2))};
            s.tokens.push_back(std::move(t));
            i += 5;
            return true;
        }
        if (StartsWithI(code, i, "a/p")) {
            Token t{
                Tok::AmPm, Part::None, false, 0, 0, std::string(code.substr(i, 1)), std::string(code.substr(i + 2, 1))};
            s.tokens.push_back(std::move(t));
            i += 3;
            return true;
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
        case 'd': k = n == 1 ? Tok::Day : n == 2 ? Tok::Day2 : n == 3 ? Tok::DayAbbr : Tok::DayFull; break;
        case 'h': k = n == 1 ? Tok::Hour : Tok::Hour2; break;
        default: k = n == 1 ? Tok::Second : Tok::Second2; break;
        }
        AddTok(s, k, text);
        i += n;
        return true;
    }
    return false;
}

}  // namespace

size_t TokenizeSection(std::string_view code, size_t i, Section& s) {
    while (i < code.size()) {
        const char c = code[i];
        if (c == ';') return i + 1;
        if (c == '[') {
            size_t end = code.find(']', i + 1);
            if (end == std::string_view::npos) {
                s.malformed = true;
                return code.size();
            }
            Bracket(s, code.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (LiteralText(code, i, s)) continue;
        if (NumberSymbol(c, s)) {
            ++i;
            continue;
        }
        if (Letters(code, i, s)) continue;
        auto ch = NextChar(code, i);
        AddLiteral(s, ch);
        i += ch.size();
    }
    return i;
}

}  // namespace sheets::numfmt
