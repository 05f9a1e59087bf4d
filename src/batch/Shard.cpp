#include "batch/Shard.h"

#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace batch {

namespace {

constexpr const char* kForm = "K/N with 1 <= K <= N, or $NAME/N with K from the environment variable NAME";

[[noreturn]] void Invalid(std::string_view value, const std::string& why) {
    throw std::invalid_argument("Invalid Shard \"" + std::string(value) + "\": " + why + " (write " + kForm + ")");
}

// Decimal digits only: a sign, blanks or the "$"/"0x" hexadecimal of other
// integer options would make "$NAME" ambiguous.
bool ParseCount(std::string_view s, int64_t& out) {
    if (s.empty() || s.size() > 10) return false;
    int64_t n = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    out = n;
    return true;
}

bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || (c >= '0' && c <= '9'); }

// "$NAME" or "$NAME+D": the variable's number plus D.
int64_t FromEnvironment(std::string_view value, std::string_view k, const TShard::TEnvironment& env) {
    size_t end = 1;
    while (end < k.size() && IsNameChar(k[end])) ++end;
    const std::string name(k.substr(1, end - 1));
    if (name.empty() || !IsNameStart(name[0])) Invalid(value, "\"" + std::string(k) + "\" is not a variable name");
    int64_t offset = 0;
    if (end < k.size()) {
        if (k[end] != '+' || !ParseCount(k.substr(end + 1), offset))
            Invalid(value, "only a number may be added to $" + name + ", as in $" + name + "+1");
    }
    const std::optional<std::string> text = env ? env(name) : std::nullopt;
    if (!text) Invalid(value, "the environment variable " + name + " is not set");
    int64_t number = 0;
    if (!ParseCount(*text, number))
        Invalid(value, "the environment variable " + name + " holds \"" + *text + "\", not a whole number");
    return number + offset;
}

}  // namespace

TShard::TShard(int32_t index, int32_t count) : index_(index), count_(count) {
    if (count < 1 || index < 1 || index > count) throw std::invalid_argument("shard out of range");
}

TShard TShard::Parse(std::string_view value, const TEnvironment& env) {
    if (value.empty()) return TShard();
    const size_t slash = value.find('/');
    if (slash == std::string_view::npos) Invalid(value, "there is no \"/\" between K and N");
    const std::string_view k = value.substr(0, slash);
    const std::string_view n = value.substr(slash + 1);
    int64_t count = 0;
    if (!ParseCount(n, count)) Invalid(value, "N must be a whole number");
    if (count < 1) Invalid(value, "N must be at least 1");
    if (count > std::numeric_limits<int32_t>::max()) Invalid(value, "N must be at most 2147483647");
    int64_t index = 0;
    const bool fromEnv = !k.empty() && k[0] == '$';
    if (fromEnv) index = FromEnvironment(value, k, env);
    else if (!ParseCount(k, index)) Invalid(value, "K must be a whole number");
    if (index < 1 || index > count) {
        std::string why = "K is " + std::to_string(index) + ", outside 1 to " + std::to_string(count);
        // Some schedulers count their tasks from 0.
        if (fromEnv && index == 0 && k.find('+') == std::string_view::npos)
            why += "; for a variable counted from 0 write " + std::string(k) + "+1/" + std::string(n);
        Invalid(value, why);
    }
    return TShard(static_cast<int32_t>(index), static_cast<int32_t>(count));
}

TShard TShard::Parse(std::string_view value) {
    return Parse(value, [](const std::string& name) -> std::optional<std::string> {
        const char* v = std::getenv(name.c_str());
        if (!v) return std::nullopt;
        return std::string(v);
    });
}

uint64_t TShard::PathHash(std::string_view relativePath) {
    uint64_t h = 0xcbf29ce484222325ull;
    for (unsigned char c : relativePath) {
        h ^= c;
        h *= 0x100000001b3ull;
    }
    h ^= h >> 30;
    h *= 0xbf58476d1ce4e5b9ull;
    h ^= h >> 27;
    h *= 0x94d049bb133111ebull;
    h ^= h >> 31;
    return h;
}

int32_t TShard::ShardOf(std::string_view relativePath, int32_t count) {
    if (count <= 1) return 1;
    return static_cast<int32_t>(PathHash(relativePath) % static_cast<uint64_t>(count)) + 1;
}

bool TShard::Owns(std::string_view relativePath) const { return IsWhole() || ShardOf(relativePath, count_) == index_; }

}  // namespace batch
