// A run over the user's files, tried as a careless and as a hostile user
// would: nothing may be lost, every file gets one line, the run always ends.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "ProgramFixture.h"
#include "support/Unprivileged.h"
#include "text/Utf8.h"

namespace fs = std::filesystem;

namespace {

std::string Options(const std::string& rest) { return "-P:PureConsole=1;" + rest; }

int Count(const std::vector<std::string>& lines, const std::string& prefix) {
    return int(std::count_if(lines.begin(), lines.end(), [&](auto& l) { return l.rfind(prefix, 0) == 0; }));
}

}  // namespace

// report.xls and report.xlsx map to one page: one of them is converted, the
// other fails naming it and is kept, even with DeleteSource.
TEST_F(ProgramRun, TwoSourcesOfOnePageKeepTheSecond) {
    for (const std::string keep : {"True", "False"}) {
        fs::copy_file(in + "sales.xlsx", in + "report.xlsx", fs::copy_options::overwrite_existing);
        fs::copy_file(in + "inventory.xls", in + "report.xls", fs::copy_options::overwrite_existing);
        ASSERT_EQ(Run(Options("Source=" + in + "report.xls?;Target=" + out + ";DeleteSource=1;ThreadsCount=2;" +
                              "IsOverwrite=" + keep + ";LogFile=" + dir / "run.log")),
                  0)
            << Stderr();
        auto lines = LogLines(dir / "run.log");
        ASSERT_EQ(lines.size(), 2u) << keep;
        if (keep == "True") {
            EXPECT_EQ(Count(lines, "Success"), 1);
            // Exactly one source is gone; the other is still there.
            EXPECT_NE(fs::exists(in + "report.xls"), fs::exists(in + "report.xlsx"));
            EXPECT_NE(lines[0].find(" is already the page of " + in + "report.xls"), std::string::npos) << lines[0];
        } else {
            // Keeping pages: the second source gets the other name.
            EXPECT_EQ(Count(lines, "Success"), 2);
            EXPECT_TRUE(fs::exists(out + "report.htm"));
            EXPECT_TRUE(fs::exists(out + "-quindle-report.htm"));
        }
        fs::remove_all(out);
    }
}

// A target folder that is the source folder, with a mask that takes the
// pages too: a workbook under a page's name is never replaced by its page.
TEST_F(ProgramRun, AWorkbookIsNeverReplacedByItsOwnPage) {
    fs::copy_file(in + "sales.xlsx", in + "book.htm");
    ASSERT_EQ(Run(Options("Source=" + in + "*.htm;Target=" + in + ";DeleteSource=1;LogFile=" + dir / "run.log")), 0)
        << Stderr();
    auto lines = LogLines(dir / "run.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Failure => " + in + "book.htm => The page would replace its own workbook: " + in + "book.htm");
    EXPECT_EQ(ReadFileText(in + "book.htm"), ReadFileText(in + "sales.xlsx"));
}

// link -> .. and link -> /elsewhere inside the source: never walked, and
// nothing outside the source is converted, deleted or renamed.
TEST_F(ProgramRun, LinksOutOfTheSourceAreNotFollowed) {
    fs::create_directories(dir / "elsewhere");
    fs::copy_file(in + "sales.xlsx", dir / "elsewhere/far.xlsx");
    fs::copy_file(in + "sales.xlsx", dir / "beside.xlsx");
    fs::create_directory_symlink("..", in + "up");
    fs::create_directory_symlink(dir / "elsewhere", in + "away");
    fs::create_symlink(dir / "beside.xlsx", in + "beside-link.xlsx");
    ASSERT_EQ(
        Run(Options("Source=" + in + "*.xlsx;Subdir=1;Target=" + out + ";DeleteSource=1;LogFile=" + dir / "run.log")),
        0)
        << Stderr();
    auto lines = LogLines(dir / "run.log");
    EXPECT_EQ(lines.size(), 2u);  // sales and schedule
    EXPECT_TRUE(fs::exists(dir / "elsewhere/far.xlsx"));
    EXPECT_TRUE(fs::exists(dir / "beside.xlsx"));
    EXPECT_FALSE(fs::exists(out + "up"));
    EXPECT_FALSE(fs::exists(out + "away"));
}

// The log is written as files finish: a run killed midway leaves a line for
// every source it deleted, each line whole.
TEST_F(ProgramRun, AKilledRunLeavesALineForEverySourceItDeleted) {
    constexpr int kFiles = 400;
    auto source = [&](int i) { return in + "c" + std::to_string(1000 + i) + ".xls"; };
    for (int i = 0; i < kFiles; ++i) fs::copy_file(in + "contacts.xls", source(i));
    const std::string log = dir / "run.log";
    const std::string cmd = "(cd " + Quote(dir.Path().string()) +
                            " && exec env QUINDLE_QUIET=1 XDG_STATE_HOME=" + Quote(dir / "state") + " " +
                            Quote(program_) + " " +
                            Quote(Options("Source=" + in + "c*.xls;Target=" + out + ";DeleteSource=1;LogFile=" + log)) +
                            ") >/dev/null 2>&1 & echo $!";
    FILE* p = popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    long pid = 0;
    ASSERT_EQ(fscanf(p, "%ld", &pid), 1);
    pclose(p);
    // Once a few sources are gone, the run is killed without warning.
    auto deleted = [&] {
        int n = 0;
        for (int i = 0; i < kFiles; ++i) n += !fs::exists(source(i));
        return n;
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (deleted() < 5 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    kill(pid_t(pid), SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));

    const std::string text = ReadFileText(log);
    ASSERT_FALSE(text.empty()) << "no record of the deleted sources";
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "no half line";
    std::set<std::string> logged;
    for (const std::string& line : LogLines(log)) {
        ASSERT_EQ(line.rfind("Success => " + in + "c", 0), 0u) << line;
        logged.insert(line.substr(11, line.find(" => ", 11) - 11));
    }
    // The one thread may have been killed between deleting its source and
    // writing that line; every other deleted source has its line.
    int unlogged = 0;
    for (int i = 0; i < kFiles; ++i) unlogged += !fs::exists(source(i)) && !logged.count(source(i));
    EXPECT_LE(unlogged, 1) << "sources deleted without a line";
    EXPECT_GE(logged.size(), 4u);
}

// The log is opened in place: a link is written through, and a writable log
// in a folder that is not writable is written.
TEST_F(ProgramRun, TheLogIsWrittenInPlace) {
    const std::string real = dir.Write("logs/real.log", "old");
    fs::create_symlink(real, dir / "link.log");
    ASSERT_EQ(Run(Options("Source=" + in + "sales.xlsx;Target=" + out + ";LogFile=" + dir / "link.log")), 0)
        << Stderr();
    EXPECT_TRUE(fs::is_symlink(dir / "link.log"));
    EXPECT_EQ(LogLines(real).size(), 1u);

    UseOwnCopy();
    const std::string as = UnprivilegedPrefix(dir.Path());
    fs::permissions(dir / "logs", fs::perms::owner_read | fs::perms::owner_exec);
    const int rc = Run(Options("Source=" + in + "*.xls;Target=" + out + ";LogFile=" + real),
                       as + (as.empty() ? "" : " env ") + "QT_QPA_PLATFORM=offscreen");
    fs::permissions(dir / "logs", fs::perms::owner_all);
    ASSERT_EQ(rc, 0) << Stderr();
    EXPECT_EQ(LogLines(real).size(), 2u);
}

// A name may hold a line break, a control character or bytes that are not
// UTF-8: one file is still one line, and the log stays valid UTF-8.
TEST_F(ProgramRun, StrangeNamesGiveOneEscapedLineEach) {
    fs::copy_file(in + "sales.xlsx", in + "two\nSuccess => forged.xlsx");
    fs::copy_file(in + "sales.xlsx", in + "esc\x1b[2J\xff.xlsx");
    ASSERT_EQ(Run(Options("Source=" + in + "*.xlsx;Target=" + out + ";LogFile=" + dir / "run.log")), 0) << Stderr();
    const std::string text = ReadFileText(dir / "run.log");
    EXPECT_TRUE(text::IsValidUtf8(text));
    auto lines = LogLines(dir / "run.log");
    ASSERT_EQ(lines.size(), 4u) << text;
    EXPECT_NE(text.find(in + "two\\nSuccess => forged.xlsx => "), std::string::npos) << text;
    EXPECT_NE(text.find(in + "esc\\x1b[2J\\xff.xlsx => "), std::string::npos) << text;
}

TEST_F(ProgramRun, AFolderThatCannotBeReadHasAFailureLine) {
    UseOwnCopy();
    fs::create_directories(in + "locked");
    fs::copy_file(in + "sales.xlsx", in + "locked/hidden.xlsx");
    const std::string as = UnprivilegedPrefix(dir.Path());
    fs::permissions(in + "locked", fs::perms::none);
    const int rc = Run(Options("Source=" + in + "*.xlsx;Subdir=1;Target=" + out + ";LogFile=" + dir / "run.log"),
                       as + (as.empty() ? "" : " env ") + "QT_QPA_PLATFORM=offscreen");
    fs::permissions(in + "locked", fs::perms::owner_all);
    ASSERT_EQ(rc, 0) << Stderr();
    auto lines = LogLines(dir / "run.log");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Failure => " + in + "locked/ => The folder cannot be read (Permission denied)");
}

// "*.xls?" from inside the source folder with sub-folders: the sub-folders
// are kept under the target, so same-named workbooks keep their own pages.
TEST_F(ProgramRun, ASourceWithoutAFolderKeepsTheSubFolders) {
    fs::create_directories(in + "2024");
    fs::create_directories(in + "2025");
    fs::copy_file(in + "sales.xlsx", in + "2024/report.xlsx");
    fs::copy_file(in + "schedule.xlsx", in + "2025/report.xlsx");
    ASSERT_EQ(Run(Options("Source=*.xls?;Subdir=1;Target=" + out), "QT_QPA_PLATFORM=offscreen", in), 0) << Stderr();
    EXPECT_NE(ReadFileText(out + "2024/report.htm").find("Quarterly sales"), std::string::npos);
    EXPECT_TRUE(fs::exists(out + "2025/report.htm"));
    EXPECT_TRUE(fs::exists(out + "sales.htm"));
}

TEST_F(ProgramRun, ColonsAndBackslashesAreOrdinaryNameCharacters) {
    for (const char* name : {"a:b.xlsx", "a\\b.xlsx", "a_b.xlsx"}) fs::copy_file(in + "sales.xlsx", in + name);
    ASSERT_EQ(Run(Options("Source=" + in + "a*.xlsx;Target=" + out)), 0) << Stderr();
    for (const char* page : {"a:b.htm", "a\\b.htm", "a_b.htm"}) EXPECT_TRUE(fs::exists(out + page)) << page;
}

// A target folder that cannot be made fails each of its files once, and the
// reason reaches the log.
TEST_F(ProgramRun, ATargetFolderThatCannotBeMadeCountsOnceAndIsLogged) {
    UseOwnCopy();
    fs::create_directories(in + "sub");
    fs::copy_file(in + "sales.xlsx", in + "sub/a.xlsx");
    fs::copy_file(in + "sales.xlsx", in + "sub/b.xlsx");
    dir.Write("out/sub", "a file where the folder should be");
    ASSERT_EQ(Run(Options("Source=" + in + "*.xlsx;Subdir=1;Target=" + out + ";LogFile=" + dir / "run.log")), 0);
    auto lines = LogLines(dir / "run.log");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "Failure => " + in + "sub/a.xlsx => CreateDir Failed: " + out + "sub/");
    EXPECT_EQ(Counter("F"), "2");
}

TEST_F(ProgramRun, AFileAddressAsTargetMakesNoFolderNamedFile) {
    ASSERT_EQ(Run(Options("Source=" + in + "sales.xlsx;Target=file://" + out)), 0) << Stderr();
    EXPECT_TRUE(fs::exists(out + "sales.htm"));
    EXPECT_FALSE(fs::exists(dir / "file:"));
}

// Runs started together all count: none of their updates of the usage
// counters or the recent list is lost.
TEST_F(ProgramRun, ParallelRunsLoseNoCount) {
    UseOwnCopy();
    constexpr int kRuns = 20;
    std::string script;
    for (int i = 0; i < kRuns; ++i) {
        const std::string project = dir.Write("p" + std::to_string(i) + ".batch-quindle",
                                              "Source=" + in + "none*.xlsx\r\nTarget=" + out + "\r\nPureConsole=1\r\n");
        script += "(" + Command(project) + " >/dev/null 2>&1) & ";
    }
    script += "wait";
    ASSERT_EQ(system(script.c_str()), 0);
    EXPECT_EQ(Counter("C"), std::to_string(kRuns));
    EXPECT_EQ(Counter("R"), std::to_string(kRuns));
    EXPECT_EQ(LogLines(dir / "bin/quindle.log").size(), size_t(kRuns)) << "the recent list";
}
