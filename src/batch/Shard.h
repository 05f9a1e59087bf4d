#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace batch {

// One run's share of the files a search finds, so that N runs over the same
// Source convert every file exactly once without talking to each other: a
// file belongs to shard K of N when its path relative to the Source folder
// hashes to K. The hash is fixed for good: runs of different builds, on
// different machines, must agree on every file.
class TShard {
public:
    // Looks an environment variable up; empty when it is not set.
    using TEnvironment = std::function<std::optional<std::string>(const std::string& name)>;

    TShard() = default;  // the whole: every file belongs
    TShard(int32_t index, int32_t count);

    // Reads an option value: empty for the whole, "K/N" with 1 <= K <= N, or
    // "$NAME/N" or "$NAME+D/N" with K (less D) taken from the environment
    // variable NAME, as schedulers hand out task numbers. Throws
    // std::invalid_argument with a message naming the value and what is wrong.
    static TShard Parse(std::string_view value, const TEnvironment& env);
    static TShard Parse(std::string_view value);  // from the process's environment

    bool IsWhole() const { return count_ == 1; }
    int32_t Index() const { return index_; }  // K, 1-based
    int32_t Count() const { return count_; }  // N

    // Whether the file with this path (relative to the Source folder, '/'
    // between folders, the bytes as the file system has them) is this
    // shard's.
    bool Owns(std::string_view relativePath) const;

    // The shard, 1 to count, that a relative path belongs to.
    static int32_t ShardOf(std::string_view relativePath, int32_t count);
    // 64-bit FNV-1a of the bytes, then the SplitMix64 finaliser so that every
    // bit of the result depends on every byte (FNV alone leaves the low bits,
    // which a small N looks at, weakly mixed).
    static uint64_t PathHash(std::string_view relativePath);

private:
    int32_t index_ = 1;
    int32_t count_ = 1;
};

}  // namespace batch
