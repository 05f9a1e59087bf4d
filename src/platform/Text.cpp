#include "platform/Text.h"

#include <locale.h>
#include <wctype.h>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cwctype>

#include "text/Ascii.h"
#include "text/Utf8.h"

namespace platform {

namespace {

// The C.UTF-8 locale gives the same case tables on every machine, whatever
// the user's own locale says.
locale_t FoldLocale() {
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}

char32_t FoldOne(char32_t cp) {
    if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + 32 : cp;
    locale_t loc = FoldLocale();
    if (!loc) return cp;
    // Upper then lower maps variants such as long s and final sigma onto
    // the same letter as their plain forms.
    const auto up = static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), loc));
    return static_cast<char32_t>(towlower_l(static_cast<wint_t>(up), loc));
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string FoldCase(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t len;
        if (text::DecodeUtf8(s, i, cp, len)) {
            text::AppendUtf8(out, FoldOne(cp));
        } else {
            out += s[i];
        }
        i += len;
    }
    return out;
}

bool SameText(std::string_view a, std::string_view b) {
    bool ascii = true;
    if (a.size() != b.size()) {
        // Only letters outside ASCII fold across lengths (long s and s).
        if (text::IsAscii(a) && text::IsAscii(b)) return false;
    } else {
        for (size_t i = 0; i < a.size(); ++i) {
            const auto x = static_cast<unsigned char>(a[i]);
            const auto y = static_cast<unsigned char>(b[i]);
            if (x >= 0x80 || y >= 0x80) {
                ascii = false;
                break;
            }
            if (x != y && FoldOne(x) != FoldOne(y)) return false;
        }
        if (ascii) return true;
    }
    return FoldCase(a) == FoldCase(b);
}

std::string FolderPart(std::string_view path) {
    const size_t p = path.rfind('/');
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string NamePart(std::string_view path) {
    const size_t p = path.rfind('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string FileAddressToPath(std::string_view path) {
    if (path.substr(0, 5) != "file:") return std::string(path);
    size_t at = 5;
    while (at < path.size() && path[at] == '/') ++at;
    return "/" + std::string(path.substr(at));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    std::string out(path);
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) out.resize(dot);
    out += ext;
    return out;
}

bool TryParseInt32(std::string_view s, int32_t& out) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16, ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16, i += 2;
    }
    if (i >= s.size()) return false;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return false;
        v = v * base + d;
        if (v > int64_t{INT32_MAX} + 1) return false;
    }
    if (neg) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool TryParseNumber(std::string_view s, double& out) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    const std::string_view t = s.substr(b, e - b);
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        size_t exp = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++exp;
        if (exp == 0) return false;
    }
    if (i != t.size()) return false;
    // The text was checked above to be in the '.' form; strtod_l reads it
    // the same way whatever LC_NUMERIC says.
    static const locale_t cLoc = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    const std::string copy(t);
    out = cLoc ? strtod_l(copy.c_str(), nullptr, cLoc) : std::strtod(copy.c_str(), nullptr);
    return true;
}

bool TryParseBool(std::string_view s, bool& out) {
    double d;
    if (TryParseNumber(s, d)) {
        out = d != 0;
        return true;
    }
    if (SameText(s, "true")) {
        out = true;
        return true;
    }
    if (SameText(s, "false")) {
        out = false;
        return true;
    }
    return false;
}

std::string Windows1252ToUtf8(std::string_view s) {
    // 0x80-0x9F; the five unassigned bytes keep their C1 code points, as
    // Windows itself decodes them.
    static const char16_t kHigh[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                       0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    std::string out;
    out.reserve(s.size() + s.size() / 2);
    for (char ch : s) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) out += ch;
        else if (b < 0xA0) text::AppendUtf8(out, kHigh[b - 0x80]);
        else text::AppendUtf8(out, b);
    }
    return out;
}

}  // namespace platform
