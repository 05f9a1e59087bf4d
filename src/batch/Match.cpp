#include "batch/Match.h"

#include "batch/Regex.h"
#include "text/Utf8.h"

namespace batch {

TkvMatchBase* kvMatch = nullptr;

bool TkvMatchBase::Match(const std::string& text, const std::string& pattern) { return true; }

bool TkvMatch::Match(const std::string& text, const std::string& pattern) {
    try {
        // A name from another system may not be UTF-8; match it with its
        // stray bytes as U+FFFD so that ".*" can run across them.
        if (!text::IsValidUtf8(text)) return Regex::IsMatch(pattern, roIgnoreCase, text::SanitizeUtf8(text));
        return Regex::IsMatch(pattern, roIgnoreCase, text);
    } catch (...) {
        return true;
    }
}

std::string WildcardToRegex(const std::string& mask) {
    // Each character is translated once; as no step brings in a character a
    // later step escapes, this equals replacing them one kind after another.
    std::string out;
    out.reserve(mask.size() * 2 + 1);
    for (char c : mask) {
        switch (c) {
        case '*': out += ".*"; break;
        case '?': out += ".?"; break;
        case '.':
        case '+':
        case '^':
        case '$':
        case '(':
        case ')':
        case '[':
        case ']':
        case '{':
        case '}':
            out.push_back('\\');
            out.push_back(c);
            break;
        default: out.push_back(c);
        }
    }
    out.push_back('$');
    return out;
}

bool AcceptsFile(const std::string& path, const std::string& mask, const std::string& extraPattern) {
    TkvMatchBase* matcher = kvMatch;
    if (!matcher) return true;
    bool result = matcher->Match(path, WildcardToRegex(mask));
    if (result && !extraPattern.empty()) result = matcher->Match(path, extraPattern);
    return result;
}

}  // namespace batch
