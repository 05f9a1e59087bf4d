#include "batch/Utf8.h"

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

bool IsAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}
