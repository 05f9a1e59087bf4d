#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

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
    EXPECT_EQ(w.GetTargetName(b, *Entry(src + "a:b\\c.xls")), out + "a_b_c.htm");
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

TEST_F(TargetName, FolderThatCannotBeCreatedIsReportedAndTheNameStillGiven) {
    batch::TkvBatch& b = NewBatch();
    TestQuindle w(b);
    dir.Write("out/blocked", "a file where a folder should be");
    auto n = Entry(src + "blocked/a.xls");
    EXPECT_EQ(w.GetTargetName(b, *n), out + "blocked/a.htm");
    EXPECT_EQ(b.FailureCount(), 1);
    ASSERT_EQ(b.Errors().size(), 1u);
    EXPECT_EQ(b.Errors()[0], "CreateDir Failed: " + out + "blocked/");
    EXPECT_EQ(n->State, batch::TNodeState::Waiting);
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

    w.ProcessSource(b, *Entry(a), target);  // nothing asked: nothing happens
    EXPECT_TRUE(fs::exists(a));
    EXPECT_NE(fs::last_write_time(target), fs::last_write_time(a));

    project->SetOption("KeepFileTime", "1");
    project->SetOption("RenameSource", ".bak");
    w.ProcessSource(b, *Entry(a), target);
    EXPECT_EQ(fs::last_write_time(target), fs::last_write_time(a + ".bak"));
    EXPECT_FALSE(fs::exists(a));
    EXPECT_TRUE(fs::exists(a + ".bak"));

    // A renamed source from an earlier run is never replaced.
    Put("a.xls", "new");
    w.ProcessSource(b, *Entry(a), target);
    EXPECT_EQ(ReadFileText(a + ".bak"), "x");
    EXPECT_EQ(ReadFileText(a), "new");

    project->SetOption("DeleteSource", "true");
    w.ProcessSource(b, *Entry(a), target);
    EXPECT_FALSE(fs::exists(a));
    // A vanished source is no error.
    EXPECT_NO_THROW(w.ProcessSource(b, *Entry(a), target));
    EXPECT_EQ(b.FailureCount(), 0);
}
