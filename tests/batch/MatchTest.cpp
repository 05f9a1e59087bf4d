#include <gtest/gtest.h>

#include "batch/Match.h"
#include "batch/Search.h"

using namespace batch;

namespace {

class WithMatcher : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = kvMatch;
        kvMatch = &matcher_;
    }
    void TearDown() override { kvMatch = saved_; }

private:
    TkvMatch matcher_;
    TkvMatchBase* saved_ = nullptr;
};

TEST(WildcardToRegex, EscapesAndAnchorsOnlyTheEnd) {
    EXPECT_EQ(WildcardToRegex("*.xls?"), ".*\\.xls.?$");
    EXPECT_EQ(WildcardToRegex(""), "$");
    EXPECT_EQ(WildcardToRegex("a*.xls"), "a.*\\.xls$");
    EXPECT_EQ(WildcardToRegex("R(1)+[x]{2}^$.xls"), "R\\(1\\)\\+\\[x\\]\\{2\\}\\^\\$\\.xls$");
    EXPECT_EQ(WildcardToRegex("a\\b|c"), "a\\b|c$");  // left as they are
}

TEST_F(WithMatcher, MaskFilterIgnoresCaseAndMatchesTheWholePath) {
    for (const char* ok : {"/d/Book.xls", "/d/Book.XLSX", "/d/Book.xlsm", "/d/b.xlsb"})
        EXPECT_TRUE(AcceptsFile(ok, "*.xls?", "")) << ok;
    for (const char* no : {"/d/Book.xl", "/d/Book.xlsx.bak", "/d/Bookxlsx"})
        EXPECT_FALSE(AcceptsFile(no, "*.xls?", "")) << no;

    EXPECT_FALSE(AcceptsFile("/d/Book.xlsx", "*.xls", ""));
    EXPECT_TRUE(AcceptsFile("/d/Book.XLS", "*.xls", ""));
    // Not anchored at the start: any "a" before the final ".xls" will do.
    EXPECT_TRUE(AcceptsFile("/data/zz.xls", "a*.xls", ""));
    EXPECT_TRUE(AcceptsFile("/d/Report(1).xls", "Report(1).xls", ""));
    EXPECT_TRUE(AcceptsFile("/d/A+B.xls", "A+B.xls", ""));
    EXPECT_FALSE(AcceptsFile("/d/AAB.xls", "A+B.xls", ""));
    EXPECT_TRUE(AcceptsFile("/anything", "", ""));
    // A name that is not UTF-8 still passes its mask.
    EXPECT_TRUE(
        AcceptsFile("/d/a\xff"
                    "b.xls",
                    "a*.xls", ""));
}

TEST_F(WithMatcher, ExtraPatternAndItsFailures) {
    EXPECT_TRUE(AcceptsFile("/in/2024/a.xls", "*.xls", "2024"));  // folder part counts
    EXPECT_FALSE(AcceptsFile("/in/2023/a.xls", "*.xls", "2024"));
    EXPECT_FALSE(AcceptsFile("/in/2024/a.txt", "*.xls", "2024"));
    // A broken or runaway extra pattern filters nothing.
    EXPECT_TRUE(AcceptsFile("/in/a.xls", "*.xls", "(unclosed"));
    EXPECT_TRUE(AcceptsFile("/in/" + std::string(40, 'a') + "!.xls", "*.xls", "(a+)+\\.xlsx$"));
    // Not even a broken mask loses files.
    EXPECT_TRUE(kvMatch->Match("/in/a.xls", "[z-a]"));
}

TEST(Matcher, WithoutMatcherEverythingPasses) {
    TkvMatchBase* saved = kvMatch;
    kvMatch = nullptr;
    EXPECT_TRUE(AcceptsFile("/in/a.txt", "*.xls", "nothing-like-it"));
    TkvMatchBase base;
    kvMatch = &base;
    EXPECT_TRUE(AcceptsFile("/in/a.txt", "*.xls", "nothing-like-it"));
    kvMatch = saved;
}

TEST(WildcardMatch, NamesAgainstMasks) {
    EXPECT_TRUE(WildcardMatch("Book.XLSX", "*.xls?"));
    EXPECT_TRUE(WildcardMatch("book.xls", "*.XLS?"));  // "?" may be nothing at the end
    EXPECT_FALSE(WildcardMatch("book.xlsxx", "*.xls?"));
    EXPECT_FALSE(WildcardMatch("book.xl", "*.xls?"));
    EXPECT_TRUE(WildcardMatch("abc", "a?c"));
    EXPECT_FALSE(WildcardMatch("ac", "a?c"));  // but one character elsewhere
    EXPECT_TRUE(WildcardMatch("a.b.xls", "*.*.xls"));
    EXPECT_TRUE(WildcardMatch("aXbXc", "a*b*c"));
    EXPECT_FALSE(WildcardMatch("aXbXd", "a*b*c"));
    EXPECT_TRUE(WildcardMatch("Book1.xls", "book1.xls"));
    EXPECT_FALSE(WildcardMatch("Book1.xls", ""));
    EXPECT_FALSE(WildcardMatch("Book1.xls", "book"));

    // Non-ASCII: exact in an ASCII mask, folded in a non-ASCII one.
    EXPECT_TRUE(WildcardMatch("Über.xlsx", "*.xls?"));
    EXPECT_TRUE(WildcardMatch("ÄRGER.xls", "ärger.*"));
    EXPECT_TRUE(WildcardMatch("éé", "é?"));
    EXPECT_TRUE(WildcardMatch("a(1).xls", "a(?).xls"));
    // Names that are not UTF-8: a stray byte is one character.
    EXPECT_TRUE(WildcardMatch("\xff.xls", "*.xls"));
    EXPECT_TRUE(WildcardMatch("\xff.xls", "?.xls"));
    EXPECT_FALSE(WildcardMatch("\xff.xls", "ä*.xls"));
}

}  // namespace
