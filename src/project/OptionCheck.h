#pragma once
#include <string>
#include <vector>

namespace project {

// How a known option's value is read.
enum class TOptionKind { Text, Bool, Integer, Overwrite };

struct TOptionKey {
    const char* name;
    TOptionKind kind;
};

// Every option the program reads, with the kind of its value. Keys outside
// this list are kept and saved, but nothing reads them.
const std::vector<TOptionKey>& KnownOptions();

// One thing the run would silently pass over in a project's text.
struct TOptionWarning {
    int line;  // 1-based
    std::string text;
};

// Checks project text line by line: unknown keys, values that do not parse
// as their option's kind (the default is used instead), keys given more
// than once (only the first counts) and lines without a name.
std::vector<TOptionWarning> CheckOptionsText(const std::string& text);

}  // namespace project
