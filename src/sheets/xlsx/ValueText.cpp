#include "sheets/xlsx/ValueText.h"

#include <charconv>

#include "text/Utf8.h"

namespace sheets::xlsx {

static std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool ParseDouble(std::string_view s, double& out) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseInt(std::string_view s, int64_t& out) {
    s = Trim(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty()) return false;
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return true;
    // Some writers put "1.0" where an integer belongs.
    double d;
    if (ParseDouble(s, d) && d >= -9.2e18 && d <= 9.2e18) {
        out = int64_t(d);
        return true;
    }
    return false;
}

bool ParseCellRef(std::string_view ref, uint32_t& col, uint32_t& row, bool* beyond) {
    if (beyond) *beyond = false;
    size_t i = 0, n = ref.size();
    if (i < n && ref[i] == '$') ++i;
    uint64_t c = 0;
    size_t letters = 0;
    for (; i < n; ++i, ++letters) {
        char ch = ref[i];
        if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
        if (ch < 'A' || ch > 'Z') break;
        if (letters >= 7) return false;
        c = c * 26 + uint64_t(ch - 'A' + 1);
    }
    if (letters == 0) return false;
    if (i < n && ref[i] == '$') ++i;
    uint64_t r = 0;
    size_t digits = 0;
    for (; i < n; ++i, ++digits) {
        char ch = ref[i];
        if (ch < '0' || ch > '9') return false;
        if (digits >= 10) return false;
        r = r * 10 + uint64_t(ch - '0');
    }
    if (digits == 0 || r == 0) return false;
    if (c > 16384 || r > 1048576) {
        if (beyond) *beyond = true;
        return false;
    }
    col = uint32_t(c - 1);
    row = uint32_t(r - 1);
    return true;
}

static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void DecodeEscapes(std::string& s) {
    size_t pos = s.find("_x");
    if (pos == std::string::npos) return;
    std::string out;
    out.reserve(s.size());
    out.append(s, 0, pos);
    size_t i = pos;
    while (i < s.size()) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            int h[4] = {HexValue(s[i + 2]), HexValue(s[i + 3]), HexValue(s[i + 4]), HexValue(s[i + 5])};
            if (h[0] >= 0 && h[1] >= 0 && h[2] >= 0 && h[3] >= 0) {
                uint32_t cp = uint32_t((h[0] << 12) | (h[1] << 8) | (h[2] << 4) | h[3]);
                uint32_t next = 0;
                // A pair of escaped surrogates stands for one character.
                if (cp >= 0xD800 && cp < 0xDC00 && i + 13 < s.size() && s[i + 7] == '_' && s[i + 8] == 'x' &&
                    s[i + 13] == '_') {
                    int l[4] = {HexValue(s[i + 9]), HexValue(s[i + 10]), HexValue(s[i + 11]), HexValue(s[i + 12])};
                    if (l[0] >= 0 && l[1] >= 0 && l[2] >= 0 && l[3] >= 0)
                        next = uint32_t((l[0] << 12) | (l[1] << 8) | (l[2] << 4) | l[3]);
                }
                if (next >= 0xDC00 && next < 0xE000) {
                    text::AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (next - 0xDC00));
                    i += 14;
                } else {
                    if (cp >= 0xD800 && cp < 0xE000) cp = 0xFFFD;
                    text::AppendUtf8(out, cp);
                    i += 7;
                }
                continue;
            }
        }
        out.push_back(s[i]);
        ++i;
    }
    s.swap(out);
}

}  // namespace sheets::xlsx
