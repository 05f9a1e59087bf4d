#include <algorithm>
#include <filesystem>

#include "app/TkvMain.h"
#include "support/ConvertFixture.h"
#include "support/FakeExcel.h"
#include "support/TempDir.h"

using namespace app;

namespace fs = std::filesystem;

namespace {

class ConsoleRun : public ConvertTest {
protected:
    fake::Installed excel;
    TkvMain run;

    void SetUp() override {
        ConvertTest::SetUp();
        setenv("QUINDLE_QUIET", "1", 1);  // no browser for the error report
        project->SetOption("Source", src + "*.xls?");
        project->SetOption("Target", out);
    }
    std::vector<std::string> Lines(const std::string& path) {
        std::string text = ReadFileText(path);
        std::vector<std::string> lines;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = text.find("\r\n", at);
            EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
            if (end == std::string::npos) break;
            lines.push_back(text.substr(at, end - at));
            at = end + 2;
        }
        return lines;
    }
};

}  // namespace

TEST_F(ConsoleRun, OneGoodOneBadWorkbook) {
    Put("good.xlsx");
    Put("bad.xls");
    excel.script->failNamesWith = "bad";
    project->SetOption("LogFile", out + "run.log");
    project->SetOption("ThreadsCount", "2");
    run.Run();

    auto lines = Lines(out + "run.log");
    std::sort(lines.begin(), lines.end());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Failure => " + src + "bad.xls => Cannot read bad.xls");
    EXPECT_EQ(lines[1], "Success => " + src + "good.xlsx => " + out + "good.htm");
    EXPECT_EQ(info->Stat("A"), "2");
    EXPECT_EQ(info->Stat("S"), "1");
    EXPECT_EQ(info->Stat("F"), "1");
    EXPECT_EQ(info->Stat("C"), "1");
    EXPECT_EQ(convert::LiveWorkerCount, 0);
}

TEST_F(ConsoleRun, SkippedTargetMoreWorkersThanFilesAndNoLogFile) {
    Put("a.xlsx");
    Put("b.xlsx");
    dir.Write("out/a.htm", "old");
    project->SetOption("IsOverwrite", "Skip");
    project->SetOption("ThreadsCount", "4");
    run.Run();

    auto lines = run.LogLines().Lines();
    std::sort(lines.begin(), lines.end());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Success => " + src + "a.xlsx => ");
    EXPECT_EQ(lines[1], "Success => " + src + "b.xlsx => " + out + "b.htm");
    EXPECT_EQ(ReadFileText(out + "a.htm"), "old");
    EXPECT_EQ(convert::LiveWorkerCount, 0);
    EXPECT_FALSE(fs::exists(out + "run.log"));
}

TEST_F(ConsoleRun, NoMatchingFileWritesAnEmptyLog) {
    project->SetOption("LogFile", out + "run.log");
    run.Run();
    EXPECT_EQ(ReadFileText(out + "run.log"), "");
    EXPECT_EQ(info->Stat("A"), "0");
}

TEST_F(ConsoleRun, EmptyTargetIsAnErrorOfTheRun) {
    project->SetOption("Target", "");
    EXPECT_THROW(run.Run(), std::exception);
}

TEST_F(ConsoleRun, ALogThatCannotBeOpenedStopsTheRunBeforeAnyFile) {
    Put("a.xlsx");
    project->SetOption("DeleteSource", "1");
    project->SetOption("LogFile", dir / "missing/run.log");
    EXPECT_THROW(run.Run(), std::runtime_error);
    EXPECT_TRUE(fs::exists(src + "a.xlsx"));
    EXPECT_FALSE(fs::exists(out + "a.htm"));
    std::lock_guard<std::mutex> lock(excel.script->mutex);
    EXPECT_EQ(excel.script->opens, 0);
}

TEST(ConsoleSource, AFolderIsReadWithTheProductsPattern) {
    TempDir d;
    d.Write("in/a.xlsx", "x");
    EXPECT_EQ(TkvMain::SourceToSearch(d / "in", "*.xls?"), d / "in/*.xls?");
    EXPECT_EQ(TkvMain::SourceToSearch(d / "in/", "*.xls?"), d / "in/*.xls?");
    EXPECT_EQ(TkvMain::SourceToSearch("file://" + d / "in", "*.xls?"), d / "in/*.xls?");
    EXPECT_EQ(TkvMain::SourceToSearch(d / "in/*.xlsx", "*.xls?"), d / "in/*.xlsx");
    EXPECT_EQ(TkvMain::SourceToSearch(d / "in/a.xlsx", "*.xls?"), d / "in/a.xlsx");
    EXPECT_EQ(TkvMain::SourceToSearch("http://host/in", "*.xls?"), "http://host/in");
}
