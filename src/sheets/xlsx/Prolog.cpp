#include "sheets/xlsx/Prolog.h"

namespace sheets::xlsx {

namespace {

constexpr size_t npos = std::string_view::npos;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The end of a document type declaration starting at `at` ("<!DOCTYPE"):
// the byte after its '>', npos when it runs past `s`. Quoted literals,
// comments and processing instructions may hold '>' or ']'.
size_t DoctypeEnd(std::string_view s, size_t at) {
    bool inSubset = false;
    for (size_t i = at + 9; i < s.size(); ++i) {
        const char c = s[i];
        size_t close = i;
        if (c == '"' || c == '\'') close = s.find(c, i + 1);
        else if (inSubset && s.compare(i, 4, "<!--") == 0) close = s.find("-->", i + 4);
        else if (inSubset && s.compare(i, 2, "<?") == 0) close = s.find("?>", i + 2);
        else if (c == '[') inSubset = true;
        else if (c == ']') inSubset = false;
        else if (c == '>' && !inSubset) return i + 1;
        if (close == npos) return npos;
        // Past the literal or the markup, onto its last byte.
        if (close != i) i = s[close] == c ? close : s.find('>', close);
    }
    return npos;
}

void Blank(std::string& out, std::string_view span) {
    for (char c : span)
        if (c == '\n' || c == '\r') out.push_back(c);
}

}  // namespace

Prolog ReadProlog(std::string_view s) {
    Prolog p;
    auto incomplete = [&] {
        p.status = Prolog::Status::Incomplete;
        p.text.clear();
        return p;
    };
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (s.size() < kBom.size() && kBom.starts_with(s)) return incomplete();
    size_t i = s.starts_with(kBom) ? kBom.size() : 0;
    p.text.assign(s.substr(0, i));
    for (;;) {
        const size_t from = i;
        while (i < s.size() && IsSpace(s[i])) ++i;
        p.text.append(s.substr(from, i - from));
        if (i + 1 >= s.size()) return incomplete();
        if (s[i] != '<') return Prolog{};
        const std::string_view rest = s.substr(i);
        size_t end;
        bool drop = false;
        if (rest.starts_with("<?")) {
            end = s.find("?>", i + 2);
            // The XML declaration, not some other instruction.
            drop = rest.size() > 5 && rest.starts_with("<?xml") && (IsSpace(rest[5]) || rest[5] == '?');
            if (end != npos) end += 2;
        } else if (rest.starts_with("<!--")) {
            end = s.find("-->", i + 4);
            if (end != npos) end += 3;
        } else if (rest.starts_with("<!DOCTYPE")) {
            end = DoctypeEnd(s, i);
            drop = true;
        } else if (rest[1] == '!') {
            if (std::string_view("<!DOCTYPE").starts_with(rest) || std::string_view("<!--").starts_with(rest))
                return incomplete();
            return Prolog{};
        } else {
            p.status = Prolog::Status::Complete;
            p.size = i;
            return p;
        }
        if (end == npos) return incomplete();
        if (drop) Blank(p.text, s.substr(i, end - i));
        else p.text.append(s.substr(i, end - i));
        i = end;
    }
}

}  // namespace sheets::xlsx
