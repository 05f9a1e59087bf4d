#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "platform/FileIdentity.h"
#include "support/ConvertFixture.h"

using namespace convert;

namespace fs = std::filesystem;

using TargetName = ConvertTest;

TEST_F(TargetName, KeepsOrFlattensSubFoldersAndCreatesThem) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    auto n = Entry(src + "sub/deep/a.xlsx");

    EXPECT_EQ(w.GetTargetName(b, *n), out + "sub/deep/a.htm");
    EXPECT_TRUE(fs::is_directory(out + "sub/deep"));

    project->SetOption("KeepTargetSubdirs", "0");
    EXPECT_EQ(w.GetTargetName(b, *n), out + "a.htm");
    EXPECT_EQ(b.FailureCount(), 0);
}

TEST_F(TargetName, NameCharactersAndExtension) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    // ':' and '\\' are ordinary name characters here: a:b.xlsx, a\\b.xlsx and
    // a_b.xlsx are three workbooks with three pages.
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "a:b.xls")), out + "a:b.htm");
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "a\\b.xls")), out + "a\\b.htm");
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "a_b.xls")), out + "a_b.htm");
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "v1.2/README")), out + "v1.2/README.htm");
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "x.tar.xlsm")), out + "x.tar.htm");
    project->TargetExt.clear();
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "x.xlsm")), out + "x.xlsm");
}

TEST_F(TargetName, ExistingTargetFollowsTheOverwriteRule) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    dir.Write("out/a.htm", "old");

    auto n = Entry(src + "a.xls");
    EXPECT_EQ(w.GetTargetName(b, *n), out + "a.htm");  // the default replaces
    EXPECT_EQ(n->State, batch::TNodeState::Waiting);

    project->SetOption("IsOverwrite", "sKiP");
    EXPECT_EQ(w.GetTargetName(b, *n), "");
    EXPECT_EQ(n->State, batch::TNodeState::Success);
    EXPECT_EQ(n->ResultText, "");
    EXPECT_EQ(b.SuccessCount(), 0);

    for (const char* no : {"0", "false"}) {
        project->SetOption("IsOverwrite", no);
        auto m = Entry(src + "a.xls");
        EXPECT_EQ(w.GetTargetName(b, *m), out + "-quindle-a.htm") << no;
        EXPECT_EQ(m->State, batch::TNodeState::Waiting);
    }
}

TEST_F(TargetName, FolderThatCannotBeCreatedFailsTheEntryOnce) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    dir.Write("out/blocked", "a file where a folder should be");
    auto n = Entry(src + "blocked/a.xls");
    EXPECT_EQ(w.GetTargetName(b, *n), "");
    EXPECT_EQ(b.FailureCount(), 1);
    ASSERT_EQ(b.Errors().size(), 1u);
    EXPECT_EQ(b.Errors()[0], "CreateDir Failed: " + out + "blocked/");
    EXPECT_EQ(n->State, batch::TNodeState::Failure);
    EXPECT_EQ(n->ResultText, "CreateDir Failed: " + out + "blocked/");
}

// report.xls and report.xlsx in one folder map to one page: within one run
// the page is written for the first of them only.
TEST_F(TargetName, TwoSourcesOfOneRunNeverShareAPage) {
    for (const char* rule : {"True", "skip"}) {
        project->SetOption("IsOverwrite", rule);
        batch::TkvBatch& b = NewBatch();
        TestQuindle w(b);
        auto xls = Entry(src + "report.xls");
        auto xlsx = Entry(src + "report.xlsx");
        EXPECT_EQ(w.GetTargetName(b, *xls), out + "report.htm") << rule;
        dir.Write("out/report.htm", "the page of report.xls");
        EXPECT_EQ(w.GetTargetName(b, *xlsx), "") << rule;
        EXPECT_EQ(xlsx->State, batch::TNodeState::Failure) << rule;
        EXPECT_EQ(xlsx->ResultText,
                  "Two sources map to one page: " + out + "report.htm is already the page of " + src + "report.xls");
        EXPECT_EQ(b.FailureCount(), 1) << rule;
        std::filesystem::remove(out + "report.htm");
    }

    // Keeping old pages: the second source gets the other name, a third fails.
    project->SetOption("IsOverwrite", "False");
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    auto first = Entry(src + "report.xls");
    auto second = Entry(src + "report.xlsx");
    auto third = Entry(src + "report.xlsm");
    EXPECT_EQ(w.GetTargetName(b, *first), out + "report.htm");
    EXPECT_EQ(w.GetTargetName(b, *second), out + "-quindle-report.htm");
    EXPECT_EQ(w.GetTargetName(b, *third), "");
    EXPECT_EQ(third->ResultText, "Two sources map to one page: " + out + "-quindle-report.htm is already the page of " +
                                     src + "report.xlsx");

    // The next run may replace the pages of the last one, as the rule says.
    project->SetOption("IsOverwrite", "True");
    batch::TkvBatch& next = NewBatch();
    TestQuindle v(next);
    EXPECT_EQ(v.GetTargetName(next, *Entry(src + "report.xlsx")), out + "report.htm");
}

TEST_F(TargetName, APageNeverReplacesItsOwnWorkbook) {
    batch::TkvBatch& b = NewBatch();
    b.SetTargetDir(src);
    TestQuindle w(b);
    auto n = Entry(Put("book.htm", "a workbook under a page's name"));
    EXPECT_EQ(w.GetTargetName(b, *n), "");
    EXPECT_EQ(n->State, batch::TNodeState::Failure);
    EXPECT_EQ(n->ResultText, "The page would replace its own workbook: " + src + "book.htm");

    // However the two are reached: here the target folder is a link to the source folder.
    std::filesystem::create_directory_symlink(src, dir / "alias");
    b.SetTargetDir(dir / "alias/");
    auto m = Entry(src + "book.htm");
    EXPECT_EQ(w.GetTargetName(b, *m), "");
    EXPECT_EQ(m->State, batch::TNodeState::Failure);
}

// "*.xls?" run from inside the source folder with sub-folders: the current
// folder is the source folder, and its sub-folders are kept.
TEST_F(TargetName, ASearchOfTheCurrentFolderKeepsItsSubFolders) {
    batch = std::make_unique<batch::TkvBatch>();
    batch->Start("*.nomatch", out, false);
    while (batch->NextNode()) {}
    EXPECT_EQ(batch->SourceDir(), "");
    TestQuindle w(*batch);
    EXPECT_EQ(w.GetTargetName(*batch, *Entry("2024/report.xlsx")), out + "2024/report.htm");
    EXPECT_EQ(w.GetTargetName(*batch, *Entry("2025/report.xlsx")), out + "2025/report.htm");

    // Files given one by one have no common folder: their names alone.
    batch::TkvBatch given;
    given.SetTargetDir(out);
    TestQuindle v(given);
    EXPECT_EQ(v.GetTargetName(given, *Entry("/elsewhere/2024/report.xlsx")), out + "report.htm");
}

using SourceRules = ConvertTest;

TEST_F(SourceRules, TimesDeletionAndRenaming) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    std::string a = Put("a.xls");
    std::string target = dir.Write("out/a.htm", "<html>");
    struct utimbuf old {
        1000000000, 1000000000
    };
    ASSERT_EQ(utime(a.c_str(), &old), 0);

    platform::TFileIdentity read;
    ASSERT_TRUE(platform::ReadFileIdentity(a, read));
    w.ProcessSource(b, *Entry(a), target, &read);  // nothing asked: nothing happens
    EXPECT_TRUE(fs::exists(a));
    EXPECT_NE(fs::last_write_time(target), fs::last_write_time(a));

    project->SetOption("KeepFileTime", "1");
    project->SetOption("RenameSource", ".bak");
    w.ProcessSource(b, *Entry(a), target, &read);
    EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(a + ".bak"));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(fs::exists(a + ".bak"));

    // A renamed source from an earlier run is never replaced.
    Put("a.xls", "new");
    ASSERT_TRUE(platform::ReadFileIdentity(a, read));
    w.ProcessSource(b, *Entry(a), target, &read);
    EXPECT_EQ(ReadFileText(a + ".bak"), "x");
    EXPECT_EQ(ReadFileText(a), "new");

    project->SetOption("DeleteSource", "true");
    ASSERT_TRUE(platform::ReadFileIdentity(a, read));
    w.ProcessSource(b, *Entry(a), target, &read);
    EXPECT_FALSE(fs::exists(a));
    // A vanished source is no error.
    EXPECT_NO_THROW(w.ProcessSource(b, *Entry(a), target, &read));
    EXPECT_EQ(b.FailureCount(), 0);
}

// A newer version saved over the workbook while it was converted is not what
// the page shows: it is neither deleted nor renamed, and the entry says so.
TEST_F(SourceRules, ASourceThatChangedIsKept) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    project->SetOption("DeleteSource", "1");
    std::string a = Put("a.xls", "version 1");
    std::string target = dir.Write("out/a.htm", "<html>");
    platform::TFileIdentity read;
    ASSERT_TRUE(platform::ReadFileIdentity(a, read));

    // Saved by replacing the file...
    dir.Write("in/a.tmp", "version 2");
    fs::rename(src + "a.tmp", a);
    auto n = Entry(a);
    w.ProcessSource(b, *n, target, &read);
    EXPECT_EQ(ReadFileText(a), "version 2");
    EXPECT_EQ(n->Note, "the source was kept: it changed while it was converted");

    // ... or in place.
    ASSERT_TRUE(platform::ReadFileIdentity(a, read));
    Put("a.xls", "version 3, longer");
    project->SetOption("DeleteSource", "0");
    project->SetOption("RenameSource", ".done");
    w.ProcessSource(b, *Entry(a), target, &read);
    EXPECT_EQ(ReadFileText(a), "version 3, longer");
    EXPECT_FALSE(fs::exists(a + ".done"));

    // Nothing known of what was read: kept too.
    w.ProcessSource(b, *Entry(a), target, nullptr);
    EXPECT_TRUE(fs::exists(a));
}
