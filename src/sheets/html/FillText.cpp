#include "sheets/html/FillText.h"

#include <cstdio>

#include "sheets/html/HtmlText.h"
#include "text/Utf8.h"

namespace sheets::html {
namespace {

using namespace std::string_view_literals;

// Copies of a visible fill character in its rule: enough for the widest
// column (255 characters of the default font) even with a narrow character.
constexpr int kFillCopies = 512;

// The fill's code point; 0 for a blank one (a space, a control, or bytes that
// are not a character).
char32_t VisibleFill(std::string_view fill) {
    char32_t cp = 0;
    size_t len = 0;
    if (fill.empty() || !text::DecodeUtf8(fill, 0, cp, len)) return 0;
    if (cp <= 0x20 || cp == 0x7F || cp == 0xA0 || cp == 0x3000) return 0;
    return cp;
}

// The class of the filler that repeats `cp`, with its rule added once.
std::string FillClass(char32_t cp, StyleSheet& styles) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(cp));
    const std::string cls = std::string("ar") + hex;
    // Letters and digits stand as they are; anything else is a CSS escape, so
    // no character of the workbook can end the string or the style element.
    const bool plain = (cp >= '0' && cp <= '9') || (cp >= 'A' && cp <= 'Z') || (cp >= 'a' && cp <= 'z');
    const std::string one = plain ? std::string(1, char(cp)) : "\\" + std::string(hex) + " ";
    std::string rule = ".af>i." + cls + "::before{content:\"";
    rule.reserve(rule.size() + one.size() * kFillCopies + 4);
    for (int i = 0; i < kFillCopies; ++i) rule += one;
    rule += "\"}";
    styles.AddRule(rule);
    return cls;
}

// One side of the fill. A flex row drops a run of text that is only
// blanks, though the blanks of `_x` keep room in the cell: such a run gets a
// span of its own, any other stands as it is.
void AppendPart(std::string& out, std::string_view part, bool lineBreaks) {
    if (part.empty()) return;
    const bool blank = part.find_first_not_of(" \t\n\r\f") == std::string_view::npos;
    if (blank) out += "<span>"sv;
    AppendEscaped(out, part, false, lineBreaks);
    if (blank) out += "</span>"sv;
}

}  // namespace

void AppendFilled(std::string& out, std::string_view text, size_t fillAt, std::string_view fill, bool lineBreaks,
                  StyleSheet& styles) {
    if (fillAt > text.size()) fillAt = text.size();
    styles.AddRule(".af{display:flex}\n.af>i{flex:1 1 0;min-width:0;overflow:hidden;font-style:normal}");
    out += "<span class=\"af\">"sv;
    AppendPart(out, text.substr(0, fillAt), lineBreaks);
    if (const char32_t cp = VisibleFill(fill)) {
        out += "<i class=\""sv;
        out += FillClass(cp, styles);
        out += "\"></i>"sv;
    } else {
        out += "<i></i>"sv;
    }
    AppendPart(out, text.substr(fillAt), lineBreaks);
    out += "</span>"sv;
}

}  // namespace sheets::html
