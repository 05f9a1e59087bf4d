// The built program, run the way a user runs it: a project file or inline
// options on the command line, the HTML files, the log and the exit code.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kRepo = fs::path(__FILE__).parent_path().parent_path().parent_path();

fs::path Program() {
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return self.parent_path().parent_path().parent_path() / "quindle";  // build/tests/app/test_app
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class ProgramRun : public ::testing::Test {
protected:
    TempDir dir;
    std::string in = dir / "in/";
    std::string out = dir / "out/";

    void SetUp() override {
        if (!fs::exists(Program())) GTEST_SKIP() << "build the quindle target first";
        fs::create_directories(in);
        for (const char* name : {"sales.xlsx", "schedule.xlsx", "inventory.xls", "contacts.xls"})
            fs::copy_file(kRepo / "examples" / name, in + name);
    }
    // Runs the program with one argument; returns its exit code (124 when it
    // had to be stopped after two minutes).
    int Run(const std::string& arg) {
        std::string cmd = "cd " + Quote(dir.Path().string()) +
                          " && QT_QPA_PLATFORM=offscreen QUINDLE_QUIET=1 XDG_STATE_HOME=" + Quote(dir / "state") +
                          " timeout -k 10 120 " + Quote(Program().string()) + " " + Quote(arg) + " 2>" +
                          Quote(dir / "stderr.txt");
        int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<std::string> LogLines(const std::string& path) {
        std::string text = ReadFileText(path);
        std::vector<std::string> lines;
        std::istringstream s(text);
        for (std::string line; std::getline(s, line);) {
            EXPECT_FALSE(line.empty() || line.back() != '\r') << "lines end with CR LF";
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

}  // namespace

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

TEST_F(ProgramRun, ALogFileThatCannotBeWrittenEndsTheRunWithAnError) {
    EXPECT_EQ(Run("-P:Source=" + in + "*.xlsx;Target=" + out + ";PureConsole=1;LogFile=" + dir / "missing/run.log"), 1);
    EXPECT_NE(ReadFileText(dir / "stderr.txt").find("missing/run.log"), std::string::npos);
    EXPECT_TRUE(fs::exists(out + "sales.htm"));  // the files were converted before
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
        EXPECT_NE(ReadFileText(dir / "stderr.txt").find("needs the window run"), std::string::npos);
    }
}
