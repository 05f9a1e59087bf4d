#include "sheets/chart/Svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace sheets::chart {

namespace {

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace

size_t WriteNum(char* buf, double v) {
    if (!std::isfinite(v)) v = 0;
    // Anything a drawing could mean lies well inside this.
    v = std::clamp(v, -1e7, 1e7);
    // Hundredths, halves away from zero; the difference from the truncated
    // value is exact at this size, so this is llround without the call.
    const double scaled = v * 100;
    long long h = static_cast<long long>(scaled);
    const double rest = scaled - double(h);
    if (rest >= 0.5) ++h;
    else if (rest <= -0.5) --h;
    char* p = buf;
    if (h < 0) {
        *p++ = '-';
        h = -h;
    }
    // At most 1e9 after the clamp: 32-bit division is the cheaper one.
    const auto u = static_cast<uint32_t>(h);
    const uint32_t frac = u % 100;
    uint32_t whole = u / 100;
    // Two digits at a time, from the right, into a scratch.
    char digits[12];
    char* const end = digits + sizeof digits;
    char* q = end;
    while (whole >= 100) {
        q -= 2;
        std::memcpy(q, kPairs + 2 * (whole % 100), 2);
        whole /= 100;
    }
    if (whole >= 10) {
        q -= 2;
        std::memcpy(q, kPairs + 2 * whole, 2);
    } else {
        *--q = char('0' + whole);
    }
    const size_t n = size_t(end - q);
    std::memcpy(p, q, n);
    p += n;
    if (frac) {
        *p++ = '.';
        *p++ = char('0' + frac / 10);
        if (frac % 10) *p++ = char('0' + frac % 10);
    }
    return size_t(p - buf);
}

void AppendNum(std::string& out, double v) {
    char buf[kMaxNumChars];
    out.append(buf, WriteNum(buf, v));
}

std::string Num(double v) {
    std::string s;
    AppendNum(s, v);
    return s;
}

void WriteHex(char* buf, uint32_t rgb) {
    static constexpr char kDigits[] = "0123456789abcdef";
    buf[0] = '#';
    for (int i = 0; i < 6; ++i) buf[6 - i] = kDigits[(rgb >> (4 * i)) & 0xF];
}

std::string Hex(uint32_t rgb) {
    std::string s(7, '#');
    WriteHex(s.data(), rgb);
    return s;
}

void AppendSvgText(std::string& out, std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
        // Plain printable text is copied a run at a time.
        size_t plain = i;
        while (plain < n && p[plain] >= 0x20 && p[plain] < 0x7F && p[plain] != '<' && p[plain] != '>' &&
               p[plain] != '&' && p[plain] != '"' && p[plain] != '\'')
            ++plain;
        if (plain > i) {
            out.append(s.data() + i, plain - i);
            i = plain;
            if (i == n) break;
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c < 0x20 || c == 0x7F ? ' ' : char(c);
            }
            ++i;
            continue;
        }
        // A well-formed sequence is copied; anything else is one U+FFFD.
        size_t len = 0;
        uint32_t cp = 0;
        if (c >= 0xC2 && c <= 0xDF) len = 2, cp = c & 0x1F;
        else if (c >= 0xE0 && c <= 0xEF) len = 3, cp = c & 0x0F;
        else if (c >= 0xF0 && c <= 0xF4) len = 4, cp = c & 0x07;
        bool ok = len > 0 && i + len <= n;
        for (size_t k = 1; ok && k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) ok = false;
            else cp = cp << 6 | (p[i + k] & 0x3F);
        }
        if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
                   (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
            ok = false;
        // C1 controls and non-characters are shown as spaces too.
        if (ok && (cp >= 0x80 && cp <= 0x9F)) {
            out += ' ';
        } else if (ok && (cp == 0xFFFE || cp == 0xFFFF)) {
            out += "\xEF\xBF\xBD";
        } else if (ok) {
            out.append(s.substr(i, len));
        } else {
            out += "\xEF\xBF\xBD";
            len = 1;
        }
        i += len;
    }
}

}  // namespace sheets::chart
