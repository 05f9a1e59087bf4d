#include "sheets/html/FontStack.h"

#include "sheets/html/HtmlText.h"

namespace sheets::html {
namespace {

struct Twin {
    std::string_view font, twin, generic;
};

// Free fonts made to the metrics of the common office fonts: a page set in
// the twin wraps and clips where the workbook does on machines without the
// original. Names are compared folded to lower case.
constexpr Twin kTwins[] = {
    {"calibri", "Carlito", "sans-serif"},
    {"cambria", "Caladea", "serif"},
    {"arial", "Liberation Sans", "sans-serif"},
    {"arial narrow", "Liberation Sans Narrow", "sans-serif"},
    {"times new roman", "Liberation Serif", "serif"},
    {"courier new", "Liberation Mono", "monospace"},
};

}  // namespace

std::string FontStack(std::string_view name) {
    const std::string clean = CssFontName(name);
    if (clean.empty()) return {};
    const std::string folded = FoldAscii(clean);
    std::string_view generic = "sans-serif";
    std::string out = "\"" + clean + "\",";
    for (const Twin& t : kTwins) {
        if (folded != t.font) continue;
        out += "\"";
        out += t.twin;
        out += "\",";
        generic = t.generic;
        break;
    }
    out += generic;
    return out;
}

}  // namespace sheets::html
