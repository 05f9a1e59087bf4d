#include "text/Escape.h"

#include <cstdio>

#include "text/Utf8.h"

namespace text {

namespace {

void AppendHexByte(std::string& out, unsigned char c) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02x", c);
    out += buf;
}

void AppendCodePoint(std::string& out, char32_t cp) {
    char buf[7];
    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(cp));
    out += buf;
}

}  // namespace

std::string EscapeForLine(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7f) {
            if (c == '\\') out += '\\';
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        if (c < 0x80) {
            switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: AppendHexByte(out, c);
            }
            ++i;
            continue;
        }
        char32_t cp = 0;
        size_t len = 1;
        if (!DecodeUtf8(s, i, cp, len)) {
            AppendHexByte(out, c);
            i += 1;
            continue;
        }
        if ((cp >= 0x80 && cp < 0xa0) || cp == 0x2028 || cp == 0x2029) AppendCodePoint(out, cp);
        else out.append(s, i, len);
        i += len;
    }
    return out;
}

}  // namespace text
