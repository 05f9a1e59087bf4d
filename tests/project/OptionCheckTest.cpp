#include <gtest/gtest.h>

#include "project/OptionCheck.h"

using project::CheckOptionsText;

namespace {

std::string Joined(const std::string& text) {
    std::string out;
    for (const auto& w : CheckOptionsText(text)) out += std::to_string(w.line) + ": " + w.text + "\n";
    return out;
}

}  // namespace

TEST(OptionCheck, AWellFormedProjectGivesNoWarning) {
    EXPECT_EQ(Joined("Source=/in/*.xls?\r\nTarget=/out/\r\nSubdir=True\r\nThreadsCount=$10\r\n"
                     "IsOverwrite=SKIP\r\nDaemon=-5\r\nkeepfiletime=0\r\nRegExt=\r\n\r\n"
                     "cSubdir.Checked=False\r\nSheet= 3\r\n"),
              "");
}

TEST(OptionCheck, NamesWhatTheRunWouldSilentlyPassOver) {
    const std::string text =
        "Source=/in/*.xls?\n"
        "Threads=4\n"  // a misspelt key
        "ThreadsCount=four\n"
        "Subdir=yes\n"
        "IsOverwrite=maybe\n"
        "SOURCE=/other/*.xls\n"  // the first one wins, whatever the case
        "just some words\n"
        "=orphan value\n"
        "Daemon=99999999999\n";
    const auto w = CheckOptionsText(text);
    ASSERT_EQ(w.size(), 8u) << Joined(text);
    EXPECT_EQ(w[0].line, 2);
    EXPECT_NE(w[0].text.find("unknown option \"Threads\""), std::string::npos);
    EXPECT_EQ(w[1].line, 3);
    EXPECT_NE(w[1].text.find("\"four\" is not a whole number; the default is used"), std::string::npos);
    EXPECT_NE(w[2].text.find("\"yes\" is not True, False or a number"), std::string::npos);
    EXPECT_NE(w[3].text.find("\"maybe\" is not True, False or skip"), std::string::npos);
    EXPECT_EQ(w[4].line, 6);
    EXPECT_EQ(w[4].text, "SOURCE is given again; the value on line 1 is the one used");
    EXPECT_EQ(w[5].line, 7);
    EXPECT_NE(w[5].text.find("no name=value form"), std::string::npos);
    EXPECT_EQ(w[6].line, 8);
    EXPECT_EQ(w[7].line, 9);  // out of the 32-bit range
}

TEST(OptionCheck, LineNumbersFollowEveryKindOfLineEnd) {
    const auto w = CheckOptionsText("A=1\r\nB=2\rC=3\n\nSubdir=x");
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w[2].line, 3);
    EXPECT_EQ(w[3].line, 5);
}
