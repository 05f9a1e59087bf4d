#pragma once
// What a read threw, for the tests of failures: the kind of error, which is
// what most of them are about, and the message, for those that check what
// it names.
#include <gmock/gmock.h>

#include <optional>
#include <ostream>
#include <string>

#include "sheets/Errors.h"

namespace sheets {

inline void PrintTo(ErrorKind kind, std::ostream* os) {
    static const char* const kNames[] = {"NotAWorkbook", "Damaged",     "Unsupported", "Password",   "Unsafe",
                                         "TooLarge",     "OutOfMemory", "FileAccess",  "NoSuchSheet"};
    const size_t i = size_t(kind);
    *os << (i < std::size(kNames) ? kNames[i] : "ErrorKind?");
}

}  // namespace sheets

namespace failure {

struct Failure {
    std::optional<sheets::ErrorKind> kind;  // none when nothing was thrown
    std::string message;
};

inline void PrintTo(const Failure& f, std::ostream* os) {
    if (!f.kind) {
        *os << "no failure";
        return;
    }
    sheets::PrintTo(*f.kind, os);
    *os << ": " << f.message;
}

// Calls `read` and keeps the sheets::Error it throws, if any.
template <typename F>
Failure Of(F&& read) {
    try {
        read();
    } catch (const sheets::Error& e) {
        return {e.Kind(), e.what()};
    }
    return {};
}

MATCHER(Succeeds, negation ? "fails" : "succeeds") { return !arg.kind; }

MATCHER_P(FailsWith, kind, std::string(negation ? "does not fail" : "fails") + " as " + testing::PrintToString(kind)) {
    return arg.kind == kind;
}

// `message` is the message itself or a matcher of it (e.g. HasSubstr).
MATCHER_P2(FailsWith, kind, message,
           std::string(negation ? "does not fail" : "fails") + " as " + testing::PrintToString(kind) +
               " with a message that " + testing::DescribeMatcher<const std::string&>(message)) {
    return arg.kind == kind && testing::ExplainMatchResult(message, arg.message, result_listener);
}

}  // namespace failure
