#include "project/OptionCheck.h"

#include <utility>

#include "platform/Text.h"

namespace project {

namespace {

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\0') break;
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

const TOptionKey* FindKey(const std::string& name) {
    for (const TOptionKey& k : KnownOptions())
        if (platform::SameText(name, k.name)) return &k;
    return nullptr;
}

// What is wrong with a value of the given kind; empty when it reads well.
// An empty value counts as unset, which every kind allows.
std::string ValueProblem(TOptionKind kind, const std::string& value) {
    if (value.empty()) return {};
    bool b;
    int32_t n;
    switch (kind) {
    case TOptionKind::Text: return {};
    case TOptionKind::Bool: return platform::TryParseBool(value, b) ? std::string() : "is not True, False or a number";
    case TOptionKind::Integer: return platform::TryParseInt32(value, n) ? std::string() : "is not a whole number";
    case TOptionKind::Overwrite:
        if (platform::SameText(value, "skip") || platform::TryParseBool(value, b)) return {};
        return "is not True, False or skip";
    }
    return {};
}

}  // namespace

const std::vector<TOptionKey>& KnownOptions() {
    static const std::vector<TOptionKey> keys = {
        {"Source", TOptionKind::Text},
        {"Target", TOptionKind::Text},
        {"Subdir", TOptionKind::Bool},
        {"ThreadsCount", TOptionKind::Integer},
        {"IsOverwrite", TOptionKind::Overwrite},
        {"KeepFileTime", TOptionKind::Bool},
        {"KeepTargetSubdirs", TOptionKind::Bool},
        {"DeleteSource", TOptionKind::Bool},
        {"RenameSource", TOptionKind::Text},
        {"MacroEnabled", TOptionKind::Bool},
        {"PureConsole", TOptionKind::Bool},
        {"RunAndClose", TOptionKind::Bool},
        {"Daemon", TOptionKind::Integer},
        {"LogFile", TOptionKind::Text},
        {"RegExt", TOptionKind::Text},
        {"SkipHidden", TOptionKind::Bool},
        {"ReadOnly", TOptionKind::Bool},
        {"SkipPassword", TOptionKind::Bool},
        {"AllSheets", TOptionKind::Bool},
        {"Sheet", TOptionKind::Integer},
        // Older project files keep the window's three values under these.
        {"eSource.Text", TOptionKind::Text},
        {"cSubdir.Checked", TOptionKind::Bool},
        {"eTarget.Text", TOptionKind::Text},
    };
    return keys;
}

std::vector<TOptionWarning> CheckOptionsText(const std::string& text) {
    std::vector<TOptionWarning> out;
    // Names given so far with the line of their first use; names compare as
    // the project compares them.
    std::vector<std::pair<std::string, int>> seen;
    const std::vector<std::string> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        const int lineNo = static_cast<int>(i) + 1;
        const std::string& line = lines[i];
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            out.push_back({lineNo, Quoted(line) + " has no name=value form and is ignored"});
            continue;
        }
        const std::string name = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        int earlier = 0;
        for (const auto& [n, l] : seen)
            if (platform::SameText(n, name)) earlier = l;
        if (earlier) {
            out.push_back(
                {lineNo, name + " is given again; the value on line " + std::to_string(earlier) + " is the one used"});
            continue;
        }
        seen.emplace_back(name, lineNo);
        const TOptionKey* key = FindKey(name);
        if (!key) {
            out.push_back({lineNo, "unknown option " + Quoted(name) + " (kept, but nothing reads it)"});
            continue;
        }
        const std::string problem = ValueProblem(key->kind, value);
        if (!problem.empty())
            out.push_back({lineNo, std::string(key->name) + "=" + value + ": " + Quoted(value) + " " + problem +
                                       "; the default is used"});
    }
    return out;
}

}  // namespace project
