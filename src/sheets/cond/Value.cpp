#include "sheets/cond/Value.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "text/Ascii.h"

namespace sheets::cond {

std::string NumberText(double v) {
    if (!std::isfinite(v)) return "#NUM!";
    if (v == 0) return "0";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15G", v);
    std::string s = buf;
    // "1E+20" as the spreadsheet writes it; no padded exponent digits.
    const size_t e = s.find('E');
    if (e != std::string::npos) {
        size_t d = e + 2;
        while (d + 1 < s.size() && s[d] == '0') s.erase(d, 1);
    }
    return s;
}

std::string ValueText(const Value& v) {
    switch (v.type) {
    case Value::Type::Blank: return {};
    case Value::Type::Number: return NumberText(v.number);
    case Value::Type::Bool: return v.number != 0 ? "TRUE" : "FALSE";
    case Value::Type::Text:
    case Value::Type::Error: return v.text;
    }
    return {};
}

bool TextNumber(std::string_view s, double& out) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    bool percent = false;
    if (!s.empty() && s.back() == '%') {
        percent = true;
        s.remove_suffix(1);
    }
    if (s.empty() || s.size() > 64) return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
    const std::string copy(s);
    char* end = nullptr;
    const double v = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(v)) return false;
    out = percent ? v / 100 : v;
    return true;
}

namespace {
int Rank(Value::Type t) {
    switch (t) {
    case Value::Type::Number: return 0;
    case Value::Type::Text: return 1;
    case Value::Type::Bool: return 2;
    default: return 3;
    }
}
int Sign(double d) { return d < 0 ? -1 : d > 0 ? 1 : 0; }
}  // namespace

int Compare(const Value& a0, const Value& b0) {
    Value a = a0, b = b0;
    const auto asPartner = [](Value& blank, const Value& other) {
        if (blank.type != Value::Type::Blank) return;
        if (other.type == Value::Type::Text) blank = Value::Str({});
        else if (other.type == Value::Type::Bool) blank = Value::Boolean(false);
        else blank = Value::Num(0);
    };
    asPartner(a, b);
    asPartner(b, a);
    if (a.type != b.type) return Rank(a.type) < Rank(b.type) ? -1 : 1;
    if (a.type == Value::Type::Text || a.type == Value::Type::Error) {
        const int c = text::AsciiLowerCase(a.text).compare(text::AsciiLowerCase(b.text));
        return Sign(c);
    }
    return Sign(a.number - b.number);
}

}  // namespace sheets::cond
