// The built program, run the way a user runs it: a project file or inline
// options on the command line, the HTML files, the log and the exit code.
#include <sys/stat.h>

#include <filesystem>

#include "ProgramFixture.h"

namespace fs = std::filesystem;

TEST_F(ProgramRun, ProjectFileConvertsTheFolderAndLogsEveryFile) {
    dir.Write("in/broken.xlsx", "PK\3\4 but nothing after it");
    std::string project =
        dir.Write("job.batch-quindle", "Source=" + in + "*.xls?\r\nTarget=" + out +
                                           "\r\nThreadsCount=2\r\nPureConsole=1\r\nLogFile=run.log\r\n");
    ASSERT_EQ(Run(project), 0) << ReadFileText(dir / "stderr.txt");

    auto lines = LogLines(dir / "run.log");  // relative to the current folder
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].rfind("Failure => " + in + "broken.xlsx => ", 0), 0u) << lines[0];
    EXPECT_GT(lines[0].size(), ("Failure => " + in + "broken.xlsx => ").size());
    EXPECT_EQ(lines[1], "Success => " + in + "contacts.xls => " + out + "contacts.htm");
    EXPECT_EQ(lines[4], "Success => " + in + "schedule.xlsx => " + out + "schedule.htm");
    EXPECT_NE(ReadFileText(out + "sales.htm").find("Quarterly sales"), std::string::npos);
    EXPECT_NE(ReadFileText(out + "inventory.htm").find("Warehouse stock"), std::string::npos);
    EXPECT_FALSE(fs::exists(out + "broken.htm"));
}

TEST_F(ProgramRun, InlineOptionsWithSubFoldersRenamingAndSkip) {
    fs::create_directories(in + "2025");
    fs::rename(in + "sales.xlsx", in + "2025/sales.xlsx");
    std::string options = "-P:Source=" + in + "*.xlsx,Subdir=1,Target=" + out +
                          ",RenameSource=.done,PureConsole=1,LogFile=" + out + "run.log";
    ASSERT_EQ(Run(options), 0) << ReadFileText(dir / "stderr.txt");
    EXPECT_TRUE(fs::exists(out + "2025/sales.htm"));
    EXPECT_TRUE(fs::exists(out + "schedule.htm"));
    EXPECT_FALSE(fs::exists(out + "contacts.htm"));  // not matched by the mask
    EXPECT_TRUE(fs::exists(in + "2025/sales.xlsx.done"));
    EXPECT_FALSE(fs::exists(in + "2025/sales.xlsx"));
    ASSERT_EQ(LogLines(out + "run.log").size(), 2u);

    // Again over fresh copies, with existing targets skipped.
    fs::copy_file(in + "schedule.xlsx.done", in + "schedule.xlsx");
    ASSERT_EQ(
        Run("-P:Source=" + in + "*.xlsx;Target=" + out + ";IsOverwrite=SKIP;PureConsole=1;LogFile=" + out + "run.log"),
        0);
    auto lines = LogLines(out + "run.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Success => " + in + "schedule.xlsx => ");
    EXPECT_TRUE(fs::exists(in + "schedule.xlsx"));  // nothing was converted
}

TEST_F(ProgramRun, FilesThatFailDoNotStopTheRun) {
    // A read-only target, a target folder blocked by a file, an encrypted
    // look-alike and a workbook that vanishes are all just failed files.
    dir.Write("out/contacts.htm", "old");
    ASSERT_EQ(chmod((out + "contacts.htm").c_str(), 0444), 0);
    fs::create_directories(in + "sub");
    fs::copy_file(in + "sales.xlsx", in + "sub/sales.xlsx");
    dir.Write("out/sub", "a file where the folder should be");
    std::string options =
        "-P:Source=" + in + "*.xls?;Subdir=1;Target=" + out + ";PureConsole=1;LogFile=" + out + "run.log";
    ASSERT_EQ(Run(options), 0) << ReadFileText(dir / "stderr.txt");
    auto lines = LogLines(out + "run.log");
    ASSERT_EQ(lines.size(), 5u);
    int failures = 0;
    for (const auto& l : lines) failures += l.rfind("Failure", 0) == 0;
    EXPECT_EQ(failures, 2);
    EXPECT_EQ(ReadFileText(out + "contacts.htm"), "old");
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Failure => " + in + "contacts.xls => Cannot replace the read-only file 'contacts.htm'"),
              lines.end());
}

// The log is opened before anything is touched: one that cannot be opened
// ends the run at once, and no source is converted, let alone deleted.
TEST_F(ProgramRun, ALogFileThatCannotBeOpenedEndsTheRunBeforeAnyFile) {
    EXPECT_EQ(Run("-P:Source=" + in + "*.xlsx;Target=" + out +
                  ";DeleteSource=1;PureConsole=1;LogFile=" + dir / "missing/run.log"),
              1);
    EXPECT_NE(Stderr().find("missing/run.log"), std::string::npos) << Stderr();
    EXPECT_FALSE(fs::exists(out + "sales.htm"));
    EXPECT_TRUE(fs::exists(in + "sales.xlsx"));
    EXPECT_TRUE(fs::exists(in + "schedule.xlsx"));
}

// The console run never loads the GUI toolkit; a window run loads the window
// module beside the program, or says plainly that this build has none.
TEST_F(ProgramRun, AWindowRunLoadsTheWindowModuleWhenTheBuildHasOne) {
    const bool hasWindow = fs::exists(Program().parent_path() / "quindle-window.so");
    int rc = Run("-P:Source=" + in + "*.xlsx;Target=" + out + ";RunAndClose=1");
    if (hasWindow) {
        EXPECT_EQ(rc, 0) << ReadFileText(dir / "stderr.txt");
        EXPECT_TRUE(fs::exists(out + "sales.htm"));
        EXPECT_TRUE(fs::exists(out + "schedule.htm"));
    } else {
        EXPECT_EQ(rc, 2);
        EXPECT_NE(Stderr().find("needs the window run"), std::string::npos) << Stderr();
    }
}
