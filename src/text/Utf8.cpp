#include "text/Utf8.h"

namespace text {

size_t Utf8CharLength(std::string_view s, size_t pos) {
    auto at = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    size_t n = s.size() - pos;
    unsigned char c = at(pos);
    if (c < 0x80) return 1;
    auto cont = [&](size_t i) { return (at(pos + i) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) return n >= 2 && cont(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        if (n < 3 || !cont(1) || !cont(2)) return 0;
        unsigned char c1 = at(pos + 1);
        if (c == 0xE0 && c1 < 0xA0) return 0;  // overlong
        if (c == 0xED && c1 >= 0xA0) return 0;  // surrogate
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (n < 4 || !cont(1) || !cont(2) || !cont(3)) return 0;
        unsigned char c1 = at(pos + 1);
        if (c == 0xF0 && c1 < 0x90) return 0;  // overlong
        if (c == 0xF4 && c1 >= 0x90) return 0;  // past U+10FFFF
        return 4;
    }
    return 0;
}

bool DecodeUtf8(std::string_view s, size_t pos, char32_t& codePoint, size_t& len) {
    len = Utf8CharLength(s, pos);
    if (len == 0) {
        len = 1;
        return false;
    }
    // The sequence is well-formed: only its payload bits are left to gather.
    static constexpr unsigned char kLeadBits[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    codePoint = static_cast<unsigned char>(s[pos]) & kLeadBits[len];
    for (size_t k = 1; k < len; ++k) codePoint = (codePoint << 6) | (static_cast<unsigned char>(s[pos + k]) & 0x3F);
    return true;
}

size_t Utf8SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t len;
        if (!DecodeUtf8(s, i, cp, len)) return false;
        i += len;
    }
    return true;
}

size_t CharCount(std::string_view s) {
    size_t n = 0;
    for (size_t i = 0; i < s.size(); ++n) {
        char32_t cp;
        size_t len;
        DecodeUtf8(s, i, cp, len);
        i += len;
    }
    return n;
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

std::string SanitizeUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t cp;
        size_t len;
        if (DecodeUtf8(s, i, cp, len)) out.append(s.substr(i, len));
        else AppendUtf8(out, 0xFFFD);
        i += len;
    }
    return out;
}

}  // namespace text
