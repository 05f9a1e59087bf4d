#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

namespace batch {

// The regular-expression service: an ECMAScript-like pattern language over
// UTF-8 text, evaluated by PCRE2 (the pattern dialect is described in
// Regex.cpp). Objects are handed out as reference-counted interfaces.

// Option flags, combined with '|'.
using TRegexOptions = unsigned;
constexpr TRegexOptions roNone = 0;
constexpr TRegexOptions roIgnoreCase = 1;
constexpr TRegexOptions roMultiline = 2;

// A failed regular-expression operation. ErrorCode is the scripting runtime's
// result code: 0x800A0000 plus the error number (5017 for a syntax error).
class ERegexException : public std::runtime_error {
public:
    ERegexException(const std::string& message, int32_t errorCode)
        : std::runtime_error(message), errorCode_(errorCode) {}
    int32_t ErrorCode() const { return errorCode_; }

private:
    int32_t errorCode_;
};

// The runtime's result code for an error number.
int32_t RegexErrorCode(int number);
// The fixed English message of an error number; nullptr when the table has
// no row for it.
const char* RegexErrorMessage(int number);
// The exception for an error number; `fallback` is the message when the table
// has no row for the number.
ERegexException MakeRegexException(int number, const std::string& fallback = {});

class IRegexSubMatchList {
public:
    virtual ~IRegexSubMatchList() = default;
    virtual int32_t Count() const = 0;
    // The text of capture group index+1; empty optional when the group took no
    // part in the match. An index out of range throws ERegexException (5).
    virtual std::optional<std::string> Item(int32_t index) const = 0;
};

class IRegexMatch {
public:
    virtual ~IRegexMatch() = default;
    virtual std::string Value() const = 0;
    // Byte offset of the match in the UTF-8 input, and its length in bytes.
    virtual int32_t FirstIndex() const = 0;
    virtual int32_t Length() const = 0;
    virtual std::shared_ptr<IRegexSubMatchList> SubMatches() const = 0;
};

class IRegexMatchList {
public:
    virtual ~IRegexMatchList() = default;
    virtual int32_t Count() const = 0;
    // An index out of range throws ERegexException (5).
    virtual std::shared_ptr<IRegexMatch> Item(int32_t index) const = 0;
};

// A pattern with its options. The pattern is compiled when first used, so a
// bad pattern raises ERegexException from Test, Execute or Replace.
class IRegexObject {
public:
    virtual ~IRegexObject() = default;
    virtual std::string Pattern() const = 0;
    virtual bool IgnoreCase() const = 0;
    virtual bool Multiline() const = 0;
    virtual bool Test(const std::string& input) = 0;
    virtual std::shared_ptr<IRegexMatchList> Execute(const std::string& input) = 0;  // first match at most
    virtual std::shared_ptr<IRegexMatchList> ExecuteAll(const std::string& input) = 0;  // every match
    // Replacement tokens: $1..$9, $& (the match), $` (before it), $' (after
    // it), $$ (a dollar sign); anything else is copied as it stands.
    virtual std::string Replace(const std::string& input, const std::string& replacement) = 0;
    virtual std::string ReplaceAll(const std::string& input, const std::string& replacement) = 0;
};

class Regex {
public:
    static std::shared_ptr<IRegexObject> Create(const std::string& pattern, TRegexOptions options);
    static bool IsMatch(const std::string& pattern, TRegexOptions options, const std::string& input);
    // Replaces the first match only.
    static std::string Replace(const std::string& pattern, const std::string& input, const std::string& replacement,
                               TRegexOptions options);
};

}  // namespace batch
