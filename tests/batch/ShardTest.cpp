#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <stdexcept>

#include "batch/Shard.h"

using namespace batch;

namespace {

TShard::TEnvironment Env(std::map<std::string, std::string> vars) {
    return [vars](const std::string& name) -> std::optional<std::string> {
        auto it = vars.find(name);
        if (it == vars.end()) return std::nullopt;
        return it->second;
    };
}

// The message a value fails with; empty when it does not fail.
std::string Failure(const std::string& value, std::map<std::string, std::string> vars = {}) {
    try {
        TShard::Parse(value, Env(std::move(vars)));
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return {};
}

TEST(Shard, ValuesThatNameAShare) {
    EXPECT_TRUE(TShard::Parse("", Env({})).IsWhole());
    EXPECT_TRUE(TShard::Parse("1/1", Env({})).IsWhole());
    TShard s = TShard::Parse("3/4", Env({}));
    EXPECT_EQ(s.Index(), 3);
    EXPECT_EQ(s.Count(), 4);
    EXPECT_EQ(TShard::Parse("004/0010", Env({})).Index(), 4);
    EXPECT_EQ(TShard::Parse("2147483647/2147483647", Env({})).Index(), 2147483647);

    // K from a scheduler's variable, as given or counted from 0.
    EXPECT_EQ(TShard::Parse("$SLURM_ARRAY_TASK_ID/8", Env({{"SLURM_ARRAY_TASK_ID", "8"}})).Index(), 8);
    s = TShard::Parse("$JOB_COMPLETION_INDEX+1/5", Env({{"JOB_COMPLETION_INDEX", "0"}}));
    EXPECT_EQ(s.Index(), 1);
    EXPECT_EQ(s.Count(), 5);
    EXPECT_EQ(TShard::Parse("$_k2/3", Env({{"_k2", "2"}})).Index(), 2);
}

TEST(Shard, InvalidValuesSayWhatIsWrong) {
    struct Case {
        std::string value;
        std::map<std::string, std::string> env;
        std::string why;
    };
    const Case cases[] = {
        {"0/4", {}, "K is 0, outside 1 to 4"},
        {"5/4", {}, "K is 5, outside 1 to 4"},
        {"1/0", {}, "N must be at least 1"},
        {"4", {}, "there is no \"/\" between K and N"},
        {"a/4", {}, "K must be a whole number"},
        {"/4", {}, "K must be a whole number"},
        {"-1/4", {}, "K must be a whole number"},
        {" 1/4", {}, "K must be a whole number"},
        {"1/", {}, "N must be a whole number"},
        {"1/4/5", {}, "N must be a whole number"},
        {"1/0x10", {}, "N must be a whole number"},
        {"1/99999999999", {}, "N must be a whole number"},
        {"1/4294967296", {}, "N must be at most 2147483647"},
        {"$10/16", {}, "\"$10\" is not a variable name"},
        {"$/4", {}, "\"$\" is not a variable name"},
        {"$TASK/4", {}, "the environment variable TASK is not set"},
        {"$TASK/4", {{"TASK", ""}}, "the environment variable TASK holds \"\", not a whole number"},
        {"$TASK/4", {{"TASK", "two"}}, "holds \"two\", not a whole number"},
        {"$TASK/4", {{"TASK", "5"}}, "K is 5, outside 1 to 4"},
        {"$TASK-1/4", {{"TASK", "2"}}, "only a number may be added to $TASK, as in $TASK+1"},
        {"$TASK+/4", {{"TASK", "2"}}, "only a number may be added"},
        // A 0-based scheduler variable gets a hint how to write it.
        {"$TASK/4", {{"TASK", "0"}}, "K is 0, outside 1 to 4; for a variable counted from 0 write $TASK+1/4"},
        {"$TASK+1/4", {{"TASK", "4"}}, "K is 5, outside 1 to 4 ("},
    };
    for (const Case& c : cases) {
        const std::string message = Failure(c.value, c.env);
        EXPECT_EQ(message.rfind("Invalid Shard \"" + c.value + "\": ", 0), 0u) << c.value << ": " << message;
        EXPECT_NE(message.find(c.why), std::string::npos) << c.value << ": " << message;
        EXPECT_NE(message.find("write K/N"), std::string::npos) << c.value << ": " << message;
    }
    EXPECT_THROW(TShard(0, 4), std::invalid_argument);
    EXPECT_THROW(TShard(1, 0), std::invalid_argument);
}

// Runs of different builds and machines must split an estate the same way:
// these values may never change.
TEST(Shard, TheHashIsFixedForGood) {
    EXPECT_EQ(TShard::PathHash(""), 0xf52a15e9a9b5e89bull);
    EXPECT_EQ(TShard::PathHash("a.xlsx"), 0xebd0e8c0a641b4e3ull);
    EXPECT_EQ(TShard::PathHash("2025/q1/sales.xls"), 0xad6a8598ccf500e9ull);
    EXPECT_EQ(TShard::PathHash("Übersicht/März.xlsx"), 0x5a1fd2518209810aull);
    EXPECT_EQ(TShard::ShardOf("a.xlsx", 4), 4);
    EXPECT_EQ(TShard::ShardOf("2025/q1/sales.xls", 4), 2);
    EXPECT_EQ(TShard::ShardOf("2025/q1/sales.xls", 7), 3);
    EXPECT_EQ(TShard::ShardOf("anything", 1), 1);
}

TEST(Shard, EveryPathBelongsToExactlyOneShareAndTheSharesAreEven) {
    for (int32_t n : {1, 2, 3, 4, 7, 16}) {
        std::vector<int> sizes(n + 1, 0);
        for (int i = 0; i < 4000; ++i) {
            const std::string path = "dept" + std::to_string(i % 13) + "/book" + std::to_string(i) + ".xlsx";
            int owners = 0;
            for (int32_t k = 1; k <= n; ++k) {
                if (TShard(k, n).Owns(path)) {
                    ++owners;
                    ++sizes[k];
                }
            }
            ASSERT_EQ(owners, 1) << path << " in " << n << " shares";
        }
        // Within five standard deviations of an even share: a hash that
        // favoured some shares would be far outside.
        const double even = 4000.0 / n, spread = 5 * std::sqrt(even);
        for (int32_t k = 1; k <= n; ++k) {
            EXPECT_GT(sizes[k], even - spread) << k << "/" << n;
            EXPECT_LT(sizes[k], even + spread) << k << "/" << n;
        }
    }
}

// Names that differ only in letter case, or in the folder they sit in, are
// different files here and are placed independently.
TEST(Shard, SimilarPathsSpreadOverTheShares) {
    std::map<int32_t, int> seen;
    for (const char* p : {"a.xlsx", "A.xlsx", "b.xlsx", "x/a.xlsx", "y/a.xlsx", "a.xls", "a.xlsm", "a.xlsb"})
        ++seen[TShard::ShardOf(p, 4)];
    EXPECT_GE(seen.size(), 3u);
}

}  // namespace
