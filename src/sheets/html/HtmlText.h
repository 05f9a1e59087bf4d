#pragma once
// Text pieces of the HTML writer: escaping, data: URIs and link vetting.
#include <string>
#include <string_view>

namespace sheets::html {

// Appends `text` escaped for element content (and, with `attribute`, for a
// double-quoted attribute value). Invalid UTF-8 becomes U+FFFD, so whatever
// a workbook holds, the page stays well-formed UTF-8. Other control characters are kept
// as they are: the text is the workbook's. `lineBreaks` false turns line
// feeds into spaces (a cell without wrapping shows one line).
void AppendEscaped(std::string& out, std::string_view text, bool attribute = false, bool lineBreaks = true);

// Appends a whole number in decimal, without a temporary string: the row
// writer does this for nearly every cell.
void AppendInt(std::string& out, int64_t n);

// Appends `bytes` as base64.
void AppendBase64(std::string& out, std::string_view bytes);

// The address to put in href, or empty when the link must be shown as text:
// only http, https, mailto, ftp and file addresses are kept. Whitespace and
// controls that browsers strip before looking at the scheme are removed
// first, so "java\nscript:" cannot pass as harmless.
std::string SafeExternalUrl(std::string_view target);

// Keeps only what a CSS font-family name may carry inside double quotes.
std::string CssFontName(std::string_view name);

// ASCII letters in lower case: sheet names as in-workbook locations compare them.
std::string FoldAscii(std::string_view s);

// "#rrggbb".
std::string CssColor(uint32_t rgb);

}  // namespace sheets::html
