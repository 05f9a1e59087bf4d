// Four shares of one estate converted at once by GNU parallel, as the
// manual shows it: every workbook is converted by exactly one of them, and
// their logs together list every workbook once.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "batch/Shard.h"
#include "support/Shell.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kExamples = fs::path(QUINDLE_SOURCE_DIR) / "examples";

// Departments, years and quarters: 60 workbooks of every kind, some folders
// deep, two of them with blanks and non-ASCII letters in their names.
std::set<std::string> MakeEstate(const TempDir& dir) {
    const char* books[] = {"sales.xlsx", "schedule.xlsx", "inventory.xls", "contacts.xls"};
    std::set<std::string> made;
    for (int i = 0; i < 60; ++i) {
        std::string rel = "dept " + std::to_string(i % 5) + "/" + std::to_string(2020 + i % 3) + "/";
        if (i % 7 == 0) rel += "Übersicht/";
        const std::string book = books[i % 4];
        rel += "q" + std::to_string(i) + "-" + book;
        fs::create_directories(fs::path(dir / ("in/" + rel)).parent_path());
        fs::copy_file(kExamples / book, dir / ("in/" + rel));
        made.insert(rel);
    }
    return made;
}

TEST(ShardRun, FourSharesAtOnceConvertEveryWorkbookExactlyOnce) {
    if (!fs::exists(BuiltProgram())) GTEST_SKIP() << "build the quindle target first";
    if (!HaveProgram("parallel")) GTEST_SKIP() << "GNU parallel is not installed (scripts/bootstrap)";
    TempDir dir;
    const std::set<std::string> estate = MakeEstate(dir);
    const std::string in = dir / "in/", out = dir / "out/";

    // The manual's one-liner, with the program and folders of this test.
    const std::string options = "-P:Source=" + in + "*.xls?,Subdir=1,Target=" + out +
                                ",PureConsole=1,ThreadsCount=2,Shard={}/4,LogFile=" + dir / "run-{}.log";
    const std::string cmd = "cd " + ShellQuote(dir.Path().string()) +
                            " && QUINDLE_QUIET=1 XDG_STATE_HOME=" + ShellQuote(dir / "state") +
                            " timeout -k 10 300 parallel --will-cite -q " + ShellQuote(BuiltProgram()) + " " +
                            ShellQuote(options) + " ::: 1 2 3 4 2>" + ShellQuote(dir / "stderr.txt");
    ASSERT_EQ(RunShell(cmd), 0) << ReadFileText(dir / "stderr.txt");

    std::map<std::string, int> logged;  // relative source -> shares that logged it
    for (int k = 1; k <= 4; ++k) {
        const std::vector<std::string> lines = FileLines(dir / ("run-" + std::to_string(k) + ".log"));
        EXPECT_GT(lines.size(), 5u) << "share " << k << " has a fair part of 60";
        for (const std::string& line : lines) {
            ASSERT_EQ(line.rfind("Success => " + in, 0), 0u) << line;
            const std::string rest = line.substr(("Success => " + in).size());
            const std::string rel = rest.substr(0, rest.find(" => "));
            ++logged[rel];
            EXPECT_EQ(batch::TShard::ShardOf(rel, 4), k) << rel << " logged by share " << k;
            std::string page = rel.substr(0, rel.rfind('.')) + ".htm";
            EXPECT_EQ(rest.substr(rest.find(" => ") + 4), out + page);
        }
    }
    ASSERT_EQ(logged.size(), estate.size());
    for (const std::string& rel : estate) {
        EXPECT_EQ(logged[rel], 1) << rel;
        EXPECT_TRUE(fs::exists(out + rel.substr(0, rel.rfind('.')) + ".htm")) << rel;
    }
    size_t pages = 0;
    for (const auto& e : fs::recursive_directory_iterator(out)) pages += e.is_regular_file();
    EXPECT_EQ(pages, estate.size()) << "no page twice, nothing else in the target";
}

// A share that cannot be taken ends the run before it touches anything.
TEST(ShardRun, AnInvalidShareFailsTheRunAtOnceWithItsReason) {
    if (!fs::exists(BuiltProgram())) GTEST_SKIP() << "build the quindle target first";
    TempDir dir;
    fs::create_directories(dir / "in");
    fs::copy_file(kExamples / "sales.xlsx", dir / "in/sales.xlsx");
    auto run = [&](const std::string& shard, const std::string& env) {
        const std::string options = "-P:Source=" + dir / "in/*.xlsx" + ",Target=" + dir / "out/" +
                                    ",PureConsole=1,LogFile=" + dir / "run.log" + ",Shard=" + shard;
        return RunShell("QUINDLE_QUIET=1 XDG_STATE_HOME=" + ShellQuote(dir / "state") + " " + env + " " +
                        ShellQuote(BuiltProgram()) + " " + ShellQuote(options) + " 2>" + ShellQuote(dir / "err"));
    };
    EXPECT_EQ(run("5/4", ""), 1);
    EXPECT_NE(ReadFileText(dir / "err").find("Invalid Shard \"5/4\": K is 5, outside 1 to 4"), std::string::npos)
        << ReadFileText(dir / "err");
    EXPECT_EQ(run("$JOB_COMPLETION_INDEX/4", "JOB_COMPLETION_INDEX=0"), 1);
    EXPECT_NE(ReadFileText(dir / "err").find("write $JOB_COMPLETION_INDEX+1/4"), std::string::npos)
        << ReadFileText(dir / "err");
    EXPECT_FALSE(fs::exists(dir / "out")) << "nothing was made";
    EXPECT_FALSE(fs::exists(dir / "run.log"));

    // The same variable counted from 0 names share 1 of 1: the one file.
    EXPECT_EQ(run("$JOB_COMPLETION_INDEX+1/1", "JOB_COMPLETION_INDEX=0"), 0) << ReadFileText(dir / "err");
    EXPECT_TRUE(fs::exists(dir / "out/sales.htm"));

    // The share without the one file finds nothing, and says which share.
    const int other = 3 - batch::TShard::ShardOf("sales.xlsx", 2);
    EXPECT_EQ(run(std::to_string(other) + "/2", ""), 0);
    EXPECT_NE(ReadFileText(dir / "err").find("matches no file of share " + std::to_string(other) + "/2"),
              std::string::npos)
        << ReadFileText(dir / "err");
}

}  // namespace
