// Escaping and link vetting: nothing a workbook holds may become markup or script.
#include <gtest/gtest.h>

#include "sheets/html/HtmlText.h"

using namespace sheets::html;

namespace {
std::string Esc(std::string_view s, bool attr = false, bool breaks = true) {
    std::string out;
    AppendEscaped(out, s, attr, breaks);
    return out;
}
}  // namespace

TEST(HtmlText, EscapesMarkupAndMendsBadBytes) {
    EXPECT_EQ(Esc("<script>alert(\"x\")</script>&"), "&lt;script&gt;alert(\"x\")&lt;/script&gt;&amp;");
    EXPECT_EQ(Esc("a\"b'c", true), "a&quot;b'c");
    EXPECT_EQ(Esc("line1\nline2", true), "line1&#10;line2");
    EXPECT_EQ(Esc("line1\nline2", false, false), "line1 line2");
    EXPECT_EQ(Esc("line1\nline2"), "line1\nline2");
    EXPECT_EQ(Esc("a\tb", true), "a&#9;b");
    EXPECT_EQ(Esc("a\tb&", false), "a\tb&amp;");
    EXPECT_EQ(Esc(std::string("a\0b\x01\x7f"
                              "c",
                              6)),
              std::string("a\0b\x01\x7f"
                          "c",
                          6));
    EXPECT_EQ(Esc("caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    // Lone continuation bytes, truncated sequences, overlongs and surrogates become U+FFFD.
    EXPECT_EQ(Esc("a\x80"
                  "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Esc("\xE2\x82"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Esc("\xC0\xBC"), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Esc("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(HtmlText, KeepsOnlySafeSchemes) {
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"http://example.com/a?b=1&c=2", "http://example.com/a?b=1&c=2"},
        {"HTTPS://example.com", "HTTPS://example.com"},
        {"mailto:a@b.c", "mailto:a@b.c"},
        {"ftp://h/f", "ftp://h/f"},
        {"file:///data/a.xlsx", "file:///data/a.xlsx"},
        {"  http://x.y  ", "http://x.y"},
        {"javascript:alert(1)", ""},
        {"JavaScript:alert(1)", ""},
        {"java\nscript:alert(1)", ""},
        {"\x01javascript:alert(1)", ""},
        {" jav\tascript:x", ""},
        {"vbscript:x", ""},
        {"data:text/html,<script>", ""},
        {"relative/page.htm", ""},
        {":nothing", ""},
        {"ht\ntp://split.example", "http://split.example"},
    };
    for (const auto& c : cases) EXPECT_EQ(SafeExternalUrl(c.in), c.out) << c.in;
}

TEST(HtmlText, Base64AndCssPieces) {
    const auto b64 = [](std::string_view s) {
        std::string out;
        AppendBase64(out, s);
        return out;
    };
    EXPECT_EQ(b64(""), "");
    EXPECT_EQ(b64("f"), "Zg==");
    EXPECT_EQ(b64("fo"), "Zm8=");
    EXPECT_EQ(b64("foo"), "Zm9v");
    EXPECT_EQ(b64(std::string("\xff\x00\x10", 3)), "/wAQ");
    EXPECT_EQ(CssFontName("Times New Roman"), "Times New Roman");
    EXPECT_EQ(CssFontName("x\"}</style><script>"), "xstylescript");
    EXPECT_EQ(CssColor(0x0a0B0c), "#0a0b0c");
}
