#include "sheets/chart/Svg.h"

#include <cmath>
#include <cstdio>

namespace sheets::chart {

std::string Num(double v) {
    if (!std::isfinite(v)) return "0";
    // Anything a drawing could mean lies well inside this.
    if (v > 1e7) v = 1e7;
    if (v < -1e7) v = -1e7;
    const long long hundredths = std::llround(v * 100);
    if (hundredths == 0) return "0";
    char buf[32];
    const long long whole = hundredths / 100, frac = std::llabs(hundredths % 100);
    const char* sign = hundredths < 0 && whole == 0 ? "-" : "";
    if (frac == 0) std::snprintf(buf, sizeof buf, "%s%lld", sign, whole);
    else if (frac % 10 == 0) std::snprintf(buf, sizeof buf, "%s%lld.%lld", sign, whole, frac / 10);
    else std::snprintf(buf, sizeof buf, "%s%lld.%02lld", sign, whole, frac);
    return buf;
}

std::string Hex(uint32_t rgb) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "#%06x", rgb & 0xFFFFFF);
    return buf;
}

void AppendSvgText(std::string& out, std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const size_t n = s.size();
    for (size_t i = 0; i < n;) {
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
        if (ok && ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
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
