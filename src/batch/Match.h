#pragma once
#include <string>

namespace batch {

// The file filter: whether a text matches a pattern. The base accepts
// everything.
class TkvMatchBase {
public:
    virtual ~TkvMatchBase() = default;
    virtual bool Match(const std::string& text, const std::string& pattern);
};

// Evaluates the pattern as a regular expression, ignoring case. Any failure
// (a pattern that does not compile, a match that runs out of its limits)
// counts as a match: a broken filter must not hide files.
class TkvMatch : public TkvMatchBase {
public:
    bool Match(const std::string& text, const std::string& pattern) override;
};

// The process-wide matcher: created by start-up before any batch exists and
// freed at shutdown. Without it every path is accepted.
extern TkvMatchBase* kvMatch;

// The regular expression for a file mask: '.' and the regex characters
// + ^ $ ( ) [ ] { } are escaped, '*' becomes ".*", '?' becomes ".?", and "$"
// anchors the end. The start is left open, so it is meant for whole paths.
std::string WildcardToRegex(const std::string& mask);

// Whether a file path passes the mask and, when it is not empty, the extra
// pattern (used as it stands).
bool AcceptsFile(const std::string& path, const std::string& mask, const std::string& extraPattern);

}  // namespace batch
