#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch/Regex.h"

namespace batch {

// The pattern language. Users write patterns (the RegExt option) in the
// dialect of the scripting runtime, which is close to ECMAScript. PCRE2 is set
// up to read that dialect as far as it can:
// - UTF-8 with Unicode properties, so ignore-case folds every letter and \w,
//   \d, \b know non-ASCII letters and digits (file names are not all English).
// - \uHHHH and \u{H...} escapes, "[]" matching nothing and "[^]" matching
//   anything, and a back reference to a group that took no part matching the
//   empty string, as ECMAScript has them; a backslash before a letter that
//   is no escape stands for the letter itself, as the runtime reads it.
// - Without multi-line, "$" matches only at the very end, not before a final
//   newline; with multi-line, "^" and "$" work at every line break (\n, \r,
//   \r\n and the Unicode separators).
// - Replacement text uses the runtime's tokens ($1..$9, $&, $`, $', $$), not
//   PCRE2's own substitution syntax.
// What PCRE2 accepts beyond the runtime (look-behind, named groups, atomic
// groups and possessive quantifiers, inline options such as (?i)) is left on:
// it breaks no pattern written for the runtime, and rejecting it would mean a
// second parser. \C is refused because it can split a UTF-8 character.
// A subject that is not valid UTF-8 (a file name from another system) is
// matched as far as its valid parts go instead of failing.
//
// Backtracking is bounded: a pattern that would run away on some input ends
// with ERegexException "Out of stack space" (28) instead of hanging the
// caller.

namespace {

constexpr uint32_t kMatchLimit = 1'000'000;
constexpr uint32_t kDepthLimit = 100'000;
constexpr uint32_t kHeapLimitKiB = 64 * 1024;
constexpr size_t kCacheEntries = 64;

constexpr int kErrInvalidArgument = 5;
constexpr int kErrOutOfMemory = 7;
constexpr int kErrOutOfStack = 28;
constexpr int kErrSyntax = 5017;
constexpr int kErrQuantifier = 5018;
constexpr int kErrBracket = 5019;
constexpr int kErrParenthesis = 5020;
constexpr int kErrRange = 5021;

int CompileErrorNumber(int pcreError) {
    switch (pcreError) {
    case PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS: return kErrParenthesis;
    case PCRE2_ERROR_MISSING_SQUARE_BRACKET: return kErrBracket;
    case PCRE2_ERROR_QUANTIFIER_INVALID:
    case PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER:
    case PCRE2_ERROR_QUANTIFIER_TOO_BIG: return kErrQuantifier;
    case PCRE2_ERROR_CLASS_RANGE_ORDER:
    case PCRE2_ERROR_CLASS_INVALID_RANGE: return kErrRange;
    case PCRE2_ERROR_HEAP_FAILED: return kErrOutOfMemory;
    default: return kErrSyntax;
    }
}

std::string PcreMessage(int code) {
    PCRE2_UCHAR buffer[256];
    if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) return "Regular expression error";
    return reinterpret_cast<const char*>(buffer);
}

[[noreturn]] void ThrowMatchError(int rc) {
    switch (rc) {
    case PCRE2_ERROR_MATCHLIMIT:
    case PCRE2_ERROR_DEPTHLIMIT:
    case PCRE2_ERROR_HEAPLIMIT:
    case PCRE2_ERROR_JIT_STACKLIMIT: throw MakeRegexException(kErrOutOfStack);
    case PCRE2_ERROR_NOMEMORY: throw MakeRegexException(kErrOutOfMemory);
    default: throw MakeRegexException(kErrInvalidArgument, PcreMessage(rc));
    }
}

// A compiled pattern, or the error its compilation gave. Immutable once made,
// so one may serve several threads.
struct TCompiled {
    pcre2_code* Code = nullptr;
    uint32_t CaptureCount = 0;
    int ErrorNumber = 0;
    std::string ErrorText;

    TCompiled() = default;
    TCompiled(const TCompiled&) = delete;
    TCompiled& operator=(const TCompiled&) = delete;
    ~TCompiled() { pcre2_code_free(Code); }
};
using TCompiledPtr = std::shared_ptr<const TCompiled>;

bool EndsInLoneBackslash(const std::string& pattern) {
    size_t n = 0;
    while (n < pattern.size() && pattern[pattern.size() - 1 - n] == '\\') ++n;
    return n % 2 == 1;
}

TCompiledPtr CompileNow(const std::string& pattern, TRegexOptions options) {
    auto result = std::make_shared<TCompiled>();
    // Taking unknown escapes as letters would also take a final backslash as
    // one; the runtime calls that a syntax error.
    if (EndsInLoneBackslash(pattern)) {
        result->ErrorNumber = kErrSyntax;
        return result;
    }
    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    if (!context) throw MakeRegexException(kErrOutOfMemory);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANY);
    pcre2_set_compile_extra_options(context, PCRE2_EXTRA_ALT_BSUX | PCRE2_EXTRA_BAD_ESCAPE_IS_LITERAL);
    uint32_t flags = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_ALLOW_EMPTY_CLASS |
                     PCRE2_MATCH_UNSET_BACKREF | PCRE2_NEVER_BACKSLASH_C;
    if (options & roIgnoreCase) flags |= PCRE2_CASELESS;
    flags |= (options & roMultiline) ? PCRE2_MULTILINE : PCRE2_DOLLAR_ENDONLY;
    int error = 0;
    PCRE2_SIZE offset = 0;
    result->Code =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags, &error, &offset, context);
    pcre2_compile_context_free(context);
    if (!result->Code) {
        result->ErrorNumber = CompileErrorNumber(error);
        result->ErrorText = PcreMessage(error);
        return result;
    }
    // Without JIT support the interpreter runs the same pattern, only slower.
    pcre2_jit_compile(result->Code, PCRE2_JIT_COMPLETE);
    pcre2_pattern_info(result->Code, PCRE2_INFO_CAPTURECOUNT, &result->CaptureCount);
    return result;
}

// The file filter asks the same few patterns over and over; compiling them
// once per thread keeps the search fast without sharing a mutable cache.
TCompiledPtr Compile(const std::string& pattern, TRegexOptions options) {
    thread_local std::unordered_map<std::string, TCompiledPtr> cache;
    std::string key;
    key.reserve(pattern.size() + 1);
    key.push_back(static_cast<char>('0' + options));
    key += pattern;
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    TCompiledPtr compiled = CompileNow(pattern, options);
    if (cache.size() >= kCacheEntries) cache.clear();
    cache.emplace(std::move(key), compiled);
    return compiled;
}

struct TMatchContextDeleter {
    void operator()(pcre2_match_context* c) const { pcre2_match_context_free(c); }
};

pcre2_match_context* LimitedContext() {
    thread_local std::unique_ptr<pcre2_match_context, TMatchContextDeleter> context = [] {
        std::unique_ptr<pcre2_match_context, TMatchContextDeleter> c(pcre2_match_context_create(nullptr));
        if (c) {
            pcre2_set_match_limit(c.get(), kMatchLimit);
            pcre2_set_depth_limit(c.get(), kDepthLimit);
            pcre2_set_heap_limit(c.get(), kHeapLimitKiB);
        }
        return c;
    }();
    if (!context) throw MakeRegexException(kErrOutOfMemory);
    return context.get();
}

struct TMatchDataDeleter {
    void operator()(pcre2_match_data* d) const { pcre2_match_data_free(d); }
};
using TMatchData = std::unique_ptr<pcre2_match_data, TMatchDataDeleter>;

// One match found: byte offsets of the whole match and of every group
// (PCRE2_UNSET for a group that took no part).
struct TFound {
    size_t Start = 0, End = 0;
    std::vector<std::pair<size_t, size_t>> Groups;
};

class TMatcher {
public:
    TMatcher(const TCompiledPtr& compiled, const std::string& input)
        : compiled_(compiled), input_(input), data_(pcre2_match_data_create_from_pattern(compiled->Code, nullptr)) {
        if (!data_) throw MakeRegexException(kErrOutOfMemory);
    }

    // The first match at or after `from`; false when there is none.
    bool Find(size_t from, TFound* found) {
        int rc = pcre2_match(compiled_->Code, reinterpret_cast<PCRE2_SPTR>(input_.data()), input_.size(), from, 0,
                             data_.get(), LimitedContext());
        if (rc == PCRE2_ERROR_NOMATCH) return false;
        if (rc < 0) ThrowMatchError(rc);
        if (found) {
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data_.get());
            found->Start = ov[0];
            found->End = ov[1];
            // \K can put the end before the start; keep the match well-formed.
            if (found->End < found->Start) found->End = found->Start;
            found->Groups.clear();
            for (uint32_t i = 1; i <= compiled_->CaptureCount; ++i) {
                if (static_cast<int>(i) < rc && ov[2 * i] != PCRE2_UNSET)
                    found->Groups.emplace_back(ov[2 * i], ov[2 * i + 1]);
                else found->Groups.emplace_back(PCRE2_UNSET, PCRE2_UNSET);
            }
        }
        return true;
    }

    // Where a global search goes on after `found`: past an empty match by one
    // character, so that it never finds the same empty match again.
    size_t Next(const TFound& found) const {
        if (found.End > found.Start) return found.End;
        size_t pos = found.End + 1;
        while (pos < input_.size() && (static_cast<unsigned char>(input_[pos]) & 0xC0) == 0x80) ++pos;
        return pos;
    }

private:
    TCompiledPtr compiled_;
    const std::string& input_;
    TMatchData data_;
};

std::optional<std::string> GroupText(const std::string& input, const std::pair<size_t, size_t>& g) {
    if (g.first == PCRE2_UNSET) return std::nullopt;
    return input.substr(g.first, g.second - g.first);
}

void AppendReplacement(std::string& out, const std::string& input, const TFound& found,
                       const std::string& replacement) {
    for (size_t i = 0; i < replacement.size(); ++i) {
        char c = replacement[i];
        if (c != '$' || i + 1 >= replacement.size()) {
            out.push_back(c);
            continue;
        }
        char d = replacement[i + 1];
        if (d == '$') {
            out.push_back('$');
        } else if (d == '&') {
            out.append(input, found.Start, found.End - found.Start);
        } else if (d == '`') {
            out.append(input, 0, found.Start);
        } else if (d == '\'') {
            out.append(input, found.End, std::string::npos);
        } else if (d >= '1' && d <= '9' && static_cast<size_t>(d - '0') <= found.Groups.size()) {
            // A group that does not exist stays as literal text, as in ECMAScript.
            const auto& g = found.Groups[d - '1'];
            if (g.first != PCRE2_UNSET) out.append(input, g.first, g.second - g.first);
        } else {
            out.push_back(c);
            continue;
        }
        ++i;
    }
}

class TSubMatches : public IRegexSubMatchList {
public:
    explicit TSubMatches(std::vector<std::optional<std::string>> items) : items_(std::move(items)) {}
    int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
    std::optional<std::string> Item(int32_t index) const override {
        if (index < 0 || index >= Count()) throw MakeRegexException(kErrInvalidArgument);
        return items_[index];
    }

private:
    std::vector<std::optional<std::string>> items_;
};

class TMatch : public IRegexMatch {
public:
    TMatch(const std::string& input, const TFound& found)
        : value_(input.substr(found.Start, found.End - found.Start)), firstIndex_(static_cast<int32_t>(found.Start)) {
        std::vector<std::optional<std::string>> groups;
        groups.reserve(found.Groups.size());
        for (const auto& g : found.Groups) groups.push_back(GroupText(input, g));
        subMatches_ = std::make_shared<TSubMatches>(std::move(groups));
    }
    std::string Value() const override { return value_; }
    int32_t FirstIndex() const override { return firstIndex_; }
    int32_t Length() const override { return static_cast<int32_t>(value_.size()); }
    std::shared_ptr<IRegexSubMatchList> SubMatches() const override { return subMatches_; }

private:
    std::string value_;
    int32_t firstIndex_;
    std::shared_ptr<TSubMatches> subMatches_;
};

class TMatchCollection : public IRegexMatchList {
public:
    explicit TMatchCollection(std::vector<std::shared_ptr<IRegexMatch>> items) : items_(std::move(items)) {}
    int32_t Count() const override { return static_cast<int32_t>(items_.size()); }
    std::shared_ptr<IRegexMatch> Item(int32_t index) const override {
        if (index < 0 || index >= Count()) throw MakeRegexException(kErrInvalidArgument);
        return items_[index];
    }

private:
    std::vector<std::shared_ptr<IRegexMatch>> items_;
};

class TRegex : public IRegexObject {
public:
    TRegex(std::string pattern, TRegexOptions options) : pattern_(std::move(pattern)), options_(options) {}

    std::string Pattern() const override { return pattern_; }
    bool IgnoreCase() const override { return (options_ & roIgnoreCase) != 0; }
    bool Multiline() const override { return (options_ & roMultiline) != 0; }

    bool Test(const std::string& input) override {
        TMatcher matcher(Compiled(), input);
        return matcher.Find(0, nullptr);
    }
    std::shared_ptr<IRegexMatchList> Execute(const std::string& input) override { return Collect(input, false); }
    std::shared_ptr<IRegexMatchList> ExecuteAll(const std::string& input) override { return Collect(input, true); }
    std::string Replace(const std::string& input, const std::string& replacement) override {
        return Substitute(input, replacement, false);
    }
    std::string ReplaceAll(const std::string& input, const std::string& replacement) override {
        return Substitute(input, replacement, true);
    }

private:
    const TCompiledPtr& Compiled() {
        if (!compiled_) compiled_ = Compile(pattern_, options_);
        if (!compiled_->Code) throw MakeRegexException(compiled_->ErrorNumber, compiled_->ErrorText);
        return compiled_;
    }

    std::shared_ptr<IRegexMatchList> Collect(const std::string& input, bool all) {
        TMatcher matcher(Compiled(), input);
        std::vector<std::shared_ptr<IRegexMatch>> items;
        TFound found;
        size_t pos = 0;
        while (pos <= input.size() && matcher.Find(pos, &found)) {
            items.push_back(std::make_shared<TMatch>(input, found));
            if (!all) break;
            pos = matcher.Next(found);
        }
        return std::make_shared<TMatchCollection>(std::move(items));
    }

    std::string Substitute(const std::string& input, const std::string& replacement, bool all) {
        TMatcher matcher(Compiled(), input);
        std::string out;
        TFound found;
        size_t copied = 0, pos = 0;
        while (pos <= input.size() && matcher.Find(pos, &found)) {
            out.append(input, copied, found.Start - copied);
            AppendReplacement(out, input, found, replacement);
            copied = found.End;
            if (!all) break;
            pos = matcher.Next(found);
        }
        out.append(input, copied, std::string::npos);
        return out;
    }

    std::string pattern_;
    TRegexOptions options_;
    TCompiledPtr compiled_;  // set on first use; the object belongs to one thread
};

}  // namespace

std::shared_ptr<IRegexObject> Regex::Create(const std::string& pattern, TRegexOptions options) {
    return std::make_shared<TRegex>(pattern, options & (roIgnoreCase | roMultiline));
}

bool Regex::IsMatch(const std::string& pattern, TRegexOptions options, const std::string& input) {
    return Create(pattern, options)->Test(input);
}

std::string Regex::Replace(const std::string& pattern, const std::string& input, const std::string& replacement,
                           TRegexOptions options) {
    return Create(pattern, options)->Replace(input, replacement);
}

}  // namespace batch
