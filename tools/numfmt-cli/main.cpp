// Developer tool for checking the number-format unit.
//
//   numfmt-cli            formats values from standard input, one per line:
//                         CODE<TAB>VALUE<TAB>DATE1904 (CODE "#builtinN" is
//                         built-in id N; VALUE prefixed with "s:" is text);
//                         prints TEXT<TAB>COLOR per line.
//   numfmt-cli --dump F   loads workbook F with the engine and prints every
//                         non-blank cell: SHEET<TAB>NAME<TAB>ROW<TAB>COL<TAB>
//                         KIND<TAB>CODE<TAB>VALUE<TAB>SHOWN (KIND n, s, b, e).
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <unordered_map>

#include "sheets/Loader.h"
#include "sheets/numfmt/NumberFormat.h"

namespace {

std::string Clean(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return r;
}

int Dump(const char* path) {
    sheets::Workbook wb;
    try {
        wb = sheets::LoadWorkbook(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", path, e.what());
        return 1;
    }
    std::unordered_map<std::string, std::shared_ptr<const sheets::NumberFormat>> cache;
    for (size_t si = 0; si < wb.sheets.size(); ++si) {
        const auto& sheet = wb.sheets[si];
        for (const auto& row : sheet.rows) {
            for (const auto& cell : row.cells) {
                if (cell.type == sheets::CellType::Blank) continue;
                const std::string& code =
                    cell.format < wb.styles.formats.size() ? wb.styles.formats[cell.format].numFmt : "General";
                auto& f = cache[code];
                if (!f) f = sheets::NumberFormat::Compile(code);
                char kind = 'n';
                std::string value, shown;
                switch (cell.type) {
                case sheets::CellType::Number: {
                    char buf[40];
                    std::snprintf(buf, sizeof buf, "%.17g", cell.number);
                    value = buf;
                    shown = f->Format(cell.number, wb.date1904).text;
                    break;
                }
                case sheets::CellType::String:
                    kind = 's';
                    if (cell.string < wb.strings.size()) value = wb.strings[cell.string].text;
                    shown = f->FormatText(value).text;
                    break;
                case sheets::CellType::Bool:
                    kind = 'b';
                    value = shown = cell.boolean ? "TRUE" : "FALSE";
                    break;
                default:
                    kind = 'e';
                    if (cell.string < wb.strings.size()) value = shown = wb.strings[cell.string].text;
                    break;
                }
                std::printf("%zu\t%s\t%u\t%u\t%c\t%s\t%s\t%s\n", si, Clean(sheet.name).c_str(), row.index,
                            unsigned(cell.col), kind, Clean(code).c_str(), Clean(value).c_str(), Clean(shown).c_str());
            }
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string_view(argv[1]) == "--dump") return Dump(argv[2]);
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
            else f = sheets::NumberFormat::Compile(code);
        }
        sheets::Formatted r = value.rfind("s:", 0) == 0 ? f->FormatText(std::string_view(value).substr(2))
                                                        : f->Format(std::strtod(value.c_str(), nullptr), d1904);
        std::printf("%s\t%d\n", r.text.c_str(), r.color);
    }
    std::free(line);
    return 0;
}
