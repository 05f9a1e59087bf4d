#include "sheets/html/HtmlText.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "text/Utf8.h"

namespace sheets::html {

namespace {

// The bytes that go to a page as they are: printable ASCII other than the
// markup characters (the quote only outside attributes), and the controls a
// page leaves inert. Most texts are nothing else, and are copied in one go.
constexpr std::array<std::array<bool, 256>, 2> kPlain = [] {
    std::array<std::array<bool, 256>, 2> t{};
    for (int attribute = 0; attribute < 2; ++attribute)
        for (int c = 0; c < 0x80; ++c)
            t[attribute][c] = c != '&' && c != '<' && c != '>' && c != '\n' && c != '\t' && (c != '"' || !attribute);
    return t;
}();

}  // namespace

void AppendEscaped(std::string& out, std::string_view s, bool attribute, bool lineBreaks) {
    size_t i = 0, plain = 0;
    const auto flush = [&](size_t upto) { out.append(s.data() + plain, upto - plain); };
    const std::array<bool, 256>& kept = kPlain[attribute];
    while (i < s.size()) {
        while (i < s.size() && kept[static_cast<unsigned char>(s[i])]) ++i;
        if (i == s.size()) break;
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F) {
            const char* rep = nullptr;
            switch (c) {
            case '&': rep = "&amp;"; break;
            case '<': rep = "&lt;"; break;
            case '>': rep = "&gt;"; break;
            case '"': rep = attribute ? "&quot;" : nullptr; break;
            default: break;
            }
            if (rep) {
                flush(i);
                out += rep;
                plain = i + 1;
            }
            ++i;
            continue;
        }
        if (c == '\n' || c == '\t') {
            flush(i);
            if (c == '\n') out += attribute ? "&#10;" : (lineBreaks ? "\n" : " ");
            else out += attribute ? "&#9;" : "\t";
            plain = ++i;
            continue;
        }
        if (c < 0x80) {  // other controls stay: they are part of the text and inert in a page
            ++i;
            continue;
        }
        const size_t n = text::Utf8CharLength(s, i);
        if (n == 0) {
            flush(i);
            out += "\xEF\xBF\xBD";
            plain = ++i;
            continue;
        }
        i += n;
    }
    flush(s.size());
}

void AppendInt(std::string& out, int64_t n) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, res.ptr);
}

void AppendBase64(std::string& out, std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    const auto u = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[k])); };
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v = u(i) << 16 | u(i + 1) << 8 | u(i + 2);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest) {
        const uint32_t v = u(i) << 16 | (rest == 2 ? u(i + 1) << 8 : 0);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
}

std::string SafeExternalUrl(std::string_view target) {
    // Browsers drop leading and trailing C0 controls and spaces, and tabs and
    // line breaks anywhere, before they parse a URL; vet what they would see.
    std::string url;
    url.reserve(target.size());
    for (char ch : target)
        if (ch != '\t' && ch != '\n' && ch != '\r') url += ch;
    size_t b = 0, e = url.size();
    while (b < e && static_cast<unsigned char>(url[b]) <= 0x20) ++b;
    while (e > b && static_cast<unsigned char>(url[e - 1]) <= 0x20) --e;
    url = url.substr(b, e - b);

    size_t colon = url.find(':');
    if (colon == std::string::npos || colon == 0) return {};
    std::string scheme;
    for (size_t k = 0; k < colon; ++k) {
        char ch = url[k];
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
        const bool ok =
            (ch >= 'a' && ch <= 'z') || (k > 0 && ((ch >= '0' && ch <= '9') || ch == '+' || ch == '-' || ch == '.'));
        if (!ok) return {};
        scheme += ch;
    }
    static constexpr std::array<std::string_view, 5> kAllowed{"http", "https", "mailto", "ftp", "file"};
    for (std::string_view a : kAllowed)
        if (scheme == a) return url;
    return {};
}

std::string CssFontName(std::string_view name) {
    std::string out;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        // Letters of any script, digits, and the punctuation real font names use.
        if (c >= 0x80 || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == ' ' ||
            c == '-' || c == '_' || c == '.' || c == '+')
            out += ch;
    }
    // Nothing escapable is left; this only mends invalid UTF-8.
    std::string clean;
    AppendEscaped(clean, out);
    return clean;
}

std::string FoldAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string CssColor(uint32_t rgb) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string s = "#";
    for (int shift = 20; shift >= 0; shift -= 4) s += kHex[(rgb >> shift) & 15];
    return s;
}

}  // namespace sheets::html
