#include <gtest/gtest.h>

#include <set>

#include "batch/Regex.h"

using namespace batch;

namespace {

ERegexException TestError(const std::string& pattern) {
    auto re = Regex::Create(pattern, roNone);  // a bad pattern is accepted here...
    try {
        re->Test("anything");  // ...and fails when first used
    } catch (const ERegexException& e) {
        return e;
    }
    ADD_FAILURE() << "no error for " << pattern;
    return ERegexException("", 0);
}

TEST(Regex, OptionsChangeWhatMatches) {
    EXPECT_TRUE(Regex::IsMatch("a+", roIgnoreCase, "BAAA"));
    EXPECT_FALSE(Regex::IsMatch("a+", roNone, "BAAA"));
    // Unicode case folding, not only ASCII.
    EXPECT_TRUE(Regex::IsMatch("^ärger$", roIgnoreCase, "ÄRGER"));
    EXPECT_TRUE(Regex::IsMatch("\\u00e4", roNone, "ä"));
    EXPECT_TRUE(Regex::IsMatch("^\\q\\u$", roNone, "qu"));  // unknown escapes are the letter
    EXPECT_TRUE(Regex::IsMatch("^[^]$", roNone, "\n"));

    EXPECT_FALSE(Regex::IsMatch("^b", roNone, "a\nb"));
    EXPECT_TRUE(Regex::IsMatch("^b", roMultiline, "a\nb"));
    // "$" is the very end unless multi-line: a trailing newline does not count.
    EXPECT_FALSE(Regex::IsMatch("a$", roNone, "a\n"));
    EXPECT_TRUE(Regex::IsMatch("a$", roMultiline, "a\r\nb"));

    auto re = Regex::Create("x", roIgnoreCase | roMultiline);
    EXPECT_EQ(re->Pattern(), "x");
    EXPECT_TRUE(re->IgnoreCase());
    EXPECT_TRUE(re->Multiline());
}

TEST(Regex, ReplaceFirstAndAll) {
    EXPECT_EQ(Regex::Replace("^file:/*", "file:///C:/x.xls", "", roNone), "C:/x.xls");
    EXPECT_EQ(Regex::Replace("^file:/*", "C:/x.xls", "", roNone), "C:/x.xls");
    EXPECT_EQ(Regex::Replace("o", "foo", "0", roNone), "f0o");

    auto re = Regex::Create("(\\w)(\\d)?", roNone);
    EXPECT_EQ(re->ReplaceAll("a1 b", "[$2$1]"), "[1a] [b]");  // unset group gives nothing
    EXPECT_EQ(re->Replace("a1 b", "<$&|$`|$'|$$|$9|$>"), "<a1|| b|$|$9|$> b");
    // Empty matches advance by one character, also over multi-byte ones.
    EXPECT_EQ(Regex::Create("x*", roNone)->ReplaceAll("aéc", "-"), "-a-é-c-");
    EXPECT_EQ(Regex::Create("a*", roNone)->ReplaceAll("aaa", "-"), "--");
}

TEST(Regex, ExecuteListsMatchesAndGroups) {
    auto re = Regex::Create("(\\d+)(x)?", roNone);
    auto first = re->Execute("ab 12 345x");
    ASSERT_EQ(first->Count(), 1);
    EXPECT_EQ(first->Item(0)->Value(), "12");

    auto all = re->ExecuteAll("ab 12 345x");
    ASSERT_EQ(all->Count(), 2);
    auto m = all->Item(1);
    EXPECT_EQ(m->Value(), "345x");
    EXPECT_EQ(m->FirstIndex(), 6);
    EXPECT_EQ(m->Length(), 4);
    auto subs = all->Item(0)->SubMatches();
    ASSERT_EQ(subs->Count(), 2);
    EXPECT_EQ(subs->Item(0), "12");
    EXPECT_FALSE(subs->Item(1).has_value());
    EXPECT_EQ(m->SubMatches()->Item(1), "x");

    EXPECT_EQ(re->ExecuteAll("none")->Count(), 0);
    try {
        all->Item(2);
        FAIL();
    } catch (const ERegexException& e) {
        EXPECT_STREQ(e.what(), "Invalid procedure call or argument");
    }
    EXPECT_THROW(subs->Item(-1), ERegexException);
}

TEST(Regex, CompileErrorsMapOntoTheTable) {
    ERegexException paren = TestError("(");
    EXPECT_STREQ(paren.what(), "Expected ')' in regular expression");
    EXPECT_EQ(paren.ErrorCode(), static_cast<int32_t>(0x800A139C));
    EXPECT_EQ(paren.ErrorCode() & 0xFFFF, 5020);

    EXPECT_STREQ(TestError("[ab").what(), "Expected ']' in regular expression");
    EXPECT_STREQ(TestError("*a").what(), "Unexpected quantifier");
    EXPECT_STREQ(TestError("a{3,2}").what(), "Unexpected quantifier");
    EXPECT_STREQ(TestError("[z-a]").what(), "Invalid range in character set");
    ERegexException other = TestError("a\\");
    EXPECT_STREQ(other.what(), "Syntax error in regular expression");
    EXPECT_EQ(other.ErrorCode() & 0xFFFF, 5017);
    EXPECT_TRUE(Regex::IsMatch("a\\\\$", roNone, "a\\"));  // an escaped final backslash is fine

    // The same broken pattern fails again (the cached failure is replayed).
    EXPECT_THROW(Regex::IsMatch("(", roNone, "x"), ERegexException);
    EXPECT_THROW(Regex::Replace("[", "x", "", roNone), ERegexException);
}

TEST(Regex, MessageTable) {
    EXPECT_STREQ(RegexErrorMessage(429), "ActiveX component can't create object");
    EXPECT_STREQ(RegexErrorMessage(450), "Wrong number of arguments or invalid property assignment");
    EXPECT_STREQ(RegexErrorMessage(7), "Out of Memory");
    EXPECT_EQ(RegexErrorMessage(5016), nullptr);
    EXPECT_STREQ(MakeRegexException(5016, "own words").what(), "own words");
    EXPECT_EQ(MakeRegexException(5016).ErrorCode(), RegexErrorCode(5016));
    int found = 0;
    for (int n = 0; n < 6000; ++n) found += RegexErrorMessage(n) != nullptr;
    EXPECT_EQ(found, 43);
}

TEST(Regex, HostileInputEnds) {
    // Catastrophic backtracking: the limit turns it into an error.
    std::string subject(40, 'a');
    subject += '!';
    try {
        Regex::IsMatch("(a+)+$", roNone, subject);
        FAIL() << "expected the match limit";
    } catch (const ERegexException& e) {
        EXPECT_STREQ(e.what(), "Out of stack space");
    }
    // Subjects that are not UTF-8 are matched on their valid parts.
    EXPECT_TRUE(Regex::IsMatch("abc$", roIgnoreCase,
                               "\xff\xfe"
                               "ABC"));
    EXPECT_FALSE(Regex::IsMatch("^abc", roNone,
                                "\xff"
                                "abc"));
    // A pattern that is not UTF-8 is a syntax error, not a crash.
    EXPECT_THROW(Regex::IsMatch("\xff", roNone, "x"), ERegexException);
}

}  // namespace
