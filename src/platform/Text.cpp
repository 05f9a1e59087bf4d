#include "platform/Text.h"

#include <locale.h>
#include <wctype.h>
#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cwctype>

namespace {

// Decodes one code point at s[i]; returns false for an invalid sequence
// (then `len` is 1 so that the caller can step over the stray byte).
bool DecodeOne(std::string_view s, size_t i, char32_t& cp, size_t& len) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    len = 1;
    if (b0 < 0x80) {
        cp = b0;
        return true;
    }
    size_t need;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        need = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        need = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        need = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (i + need >= s.size()) return false;
    for (size_t k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    len = need + 1;
    return true;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

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
        if (DecodeOne(s, i, cp, len)) {
            AppendUtf8(out, FoldOne(cp));
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
        auto isAscii = [](std::string_view t) {
            for (char c : t)
                if (static_cast<unsigned char>(c) >= 0x80) return false;
            return true;
        };
        if (isAscii(a) && isAscii(b)) return false;
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

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    std::string out(path);
    if (dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)) out.resize(dot);
    out += ext;
    return out;
}

size_t CharCount(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) {
        char32_t cp;
        size_t len;
        DecodeOne(s, i, cp, len);
        i += len;
    }
    return n;
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

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t len;
        if (!DecodeOne(s, i, cp, len)) return false;
        i += len;
    }
    return true;
}

std::string SanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t len;
        if (DecodeOne(s, i, cp, len)) out.append(s.substr(i, len));
        else AppendUtf8(out, 0xFFFD);
        i += len;
    }
    return out;
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
        else if (b < 0xA0) AppendUtf8(out, kHigh[b - 0x80]);
        else AppendUtf8(out, b);
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    const size_t n = bytes.size() / 2;
    auto unit = [&](size_t k) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[2 * k]);
        const auto b = static_cast<unsigned char>(bytes[2 * k + 1]);
        return bigEndian ? (char32_t(a) << 8 | b) : (char32_t(b) << 8 | a);
    };
    for (size_t k = 0; k < n; ++k) {
        char32_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n) {
            const char32_t lo = unit(k + 1);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++k;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    if (bytes.size() % 2) AppendUtf8(out, 0xFFFD);
    return out;
}
