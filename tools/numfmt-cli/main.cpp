// Formats values from standard input, one per line: CODE<TAB>VALUE<TAB>DATE1904
// (CODE "#builtinN" is built-in id N; VALUE prefixed with "s:" is text). Prints TEXT<TAB>COLOR per line.
// For checking the number-format unit against reference renderings.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheets/numfmt/NumberFormat.h"

int main() {
    std::unordered_map<std::string, std::shared_ptr<const sheets::NumberFormat>> cache;
    char* line = nullptr;
    size_t cap = 0;
    ssize_t len;
    while ((len = getline(&line, &cap, stdin)) > 0) {
        std::string_view l(line, size_t(len));
        if (!l.empty() && l.back() == '\n') l.remove_suffix(1);
        size_t t1 = l.find('\t');
        size_t t2 = t1 == std::string_view::npos ? t1 : l.find('\t', t1 + 1);
        if (t2 == std::string_view::npos) {
            std::puts("?\t-1");
            continue;
        }
        std::string code(l.substr(0, t1));
        std::string value(l.substr(t1 + 1, t2 - t1 - 1));
        bool d1904 = l.substr(t2 + 1) == "1";
        auto& f = cache[code];
        if (!f) {
            // "#builtinN" stands for the code of built-in id N.
            if (code.rfind("#builtin", 0) == 0)
                f = sheets::NumberFormat::Compile(sheets::BuiltinFormatCode(uint32_t(std::atoi(code.c_str() + 8))));
            else
                f = sheets::NumberFormat::Compile(code);
        }
        sheets::Formatted r = value.rfind("s:", 0) == 0 ? f->FormatText(std::string_view(value).substr(2))
                                                        : f->Format(std::strtod(value.c_str(), nullptr), d1904);
        std::printf("%s\t%d\n", r.text.c_str(), r.color);
    }
    std::free(line);
    return 0;
}
