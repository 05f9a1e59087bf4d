// How many conditional-format rules of a set of workbooks are read and
// applied: per format, the workbooks with rules, the rules, those read
// whole (not Unknown), and those that give at least one cell a look on the
// cached values.
//
// usage: bench_condformats FILE...   (e.g. $(find ../shared/corpus -name '*.xls*' -not -path '*/refs/*'))
#include <cstdio>
#include <exception>
#include <map>
#include <string>

#include "sheets/Loader.h"
#include "sheets/cond/Engine.h"

namespace {

struct Tally {
    int books = 0, withRules = 0, rules = 0, read = 0, applied = 0;
};

std::string Extension(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? "" : path.substr(dot);
}

void Count(const std::string& path, Tally& t) {
    const sheets::Workbook wb = sheets::LoadWorkbook(path);
    ++t.books;
    bool any = false;
    for (const sheets::Sheet& s : wb.sheets) {
        for (const sheets::CondFormat& f : s.condFormats) {
            for (const sheets::CondRule& r : f.rules) {
                any = true;
                ++t.rules;
                if (r.kind == sheets::CfKind::Unknown) continue;
                ++t.read;
                // The rule alone on its sheet: does it give any cell a look?
                sheets::Sheet alone = s;
                alone.condFormats = {sheets::CondFormat{f.ranges, {r}}};
                const sheets::cond::SheetLooks looks =
                    sheets::cond::Evaluate(wb, alone, {sheets::cond::TodaySerial(wb.date1904)});
                if (!looks.Empty()) ++t.applied;
            }
        }
    }
    if (any) {
        ++t.withRules;
        std::printf("%s\n", path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::map<std::string, Tally> byFormat;
    for (int i = 1; i < argc; ++i) {
        try {
            Count(argv[i], byFormat[Extension(argv[i])]);
        } catch (const std::exception&) {
            // Not a workbook, or a damaged one: not counted.
        }
    }
    std::printf("%-6s %7s %11s %6s %6s %8s\n", "format", "books", "with rules", "rules", "read", "applied");
    for (const auto& [ext, t] : byFormat)
        std::printf("%-6s %7d %11d %6d %6d %8d\n", ext.c_str(), t.books, t.withRules, t.rules, t.read, t.applied);
    return 0;
}
