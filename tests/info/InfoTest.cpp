#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "info/TkvInfo.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "support/TempDir.h"

using namespace info;

namespace {

// Every test starts without the quiet switch that the test runner sets, and
// with a recorder in place of the desktop's opener.
class InfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* q = std::getenv("QUINDLE_QUIET")) savedQuiet_ = q, hadQuiet_ = true;
        unsetenv("QUINDLE_QUIET");
        previous_ = platform::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
    }
    void TearDown() override {
        platform::SetShellOpener(previous_);
        if (hadQuiet_) setenv("QUINDLE_QUIET", savedQuiet_.c_str(), 1);
        else unsetenv("QUINDLE_QUIET");
    }
    std::unique_ptr<TkvInfo> Make() {
        auto info = std::make_unique<TkvInfo>(exe, store);
        info->SetProduct("Quindle Converter", "quindle", "2025.17.420.1984");
        return info;
    }
    std::string Stamp(const TkvInfo& info) { return std::to_string(info.InstallStamp()); }

    TempDir dir;
    std::string exe = dir / "bin/quindle";
    std::string store = dir / "bin/quindle.ext";
    std::vector<std::string> opened;

private:
    platform::ShellOpener previous_;
    std::string savedQuiet_;
    bool hadQuiet_ = false;
};

}  // namespace

TEST_F(InfoTest, FirstStartCountsOneRunAndLaterStartsAddUp) {
    std::filesystem::create_directories(dir / "bin");
    {
        auto info = Make();
        EXPECT_EQ(info->Stat("R"), "1");
        EXPECT_EQ(info->Stat("v"), "2");
        EXPECT_EQ(info->LinkText("", "", ""),
                  "http://www.quindle.example?p=quindle&v=2025.17.420.1984&c=r1&i=" + Stamp(*info));
    }
    auto info = Make();
    EXPECT_EQ(info->Stat("R"), "2");
    info->Tally("C", 0, 1);
    info->Tally("A", 0, 37);
    info->Tally("A", 0, 5);
    EXPECT_EQ(info->Stat("A"), "42");
    info->Tally("W", 16, 0);
    info->Tally("W", 15, 0);
    EXPECT_EQ(info->Stat("W"), "15");
    info->Tally("W", -3, 1);  // a value of 0 or less adds the step
    EXPECT_EQ(info->Stat("W"), "16");
}

TEST_F(InfoTest, UnchangedCountersTouchNoFile) {
    auto info = Make();  // the folder is created on the first save
    ASSERT_TRUE(platform::FileExists(store));
    std::filesystem::remove(store);
    info->Tally("R", 0, 0);
    info->Tally("R", 1, 0);
    EXPECT_FALSE(platform::FileExists(store));
    info->Tally("S", 0, 2);
    EXPECT_TRUE(platform::FileExists(store));
}

TEST_F(InfoTest, DamagedOrForeignStoresStartEmpty) {
    const std::vector<std::string> bad = {
        std::string("\0\0\xFF\xFE garbage", 13),
        "# Quindle usage counters\nA=5\n",  // no start counter: not a store of ours
        "R=5\n",  // no header
        "# Quindle usage counters\nR=5\nno equals sign\n",
        "",
    };
    for (const auto& content : bad) {
        dir.Write("bin/quindle.ext", content);
        auto info = Make();
        EXPECT_EQ(info->Stat("R"), "1") << content;
        EXPECT_EQ(info->Stat("A"), "") << content;
    }
    dir.Write("bin/quindle.ext", "# Quindle usage counters\r\nR=5\r\nW=abc\r\n");
    auto info = Make();
    EXPECT_EQ(info->Stat("R"), "6");
    info->Tally("W", 0, 1);  // a counter that is not a number starts from 0
    EXPECT_EQ(info->Stat("W"), "1");
}

TEST_F(InfoTest, StoreWriteFailuresReachTallyButNotTheErrorHandler) {
    dir.Write("blocker", "a file where the store's folder should be");
    TkvInfo info(exe, dir / "blocker/quindle.ext");  // the start counter cannot be saved either
    EXPECT_THROW(info.Tally("C", 0, 1), std::runtime_error);
    EXPECT_NO_THROW(info.HandleAppException(std::runtime_error("boom")));
    EXPECT_EQ(info.Stat("E"), "1");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("http://www.quindle.example/net/?a=err&e=boom&", 0), 0u) << opened[0];
}

TEST_F(InfoTest, LinkTexts) {
    dir.Write("bin/quindle.ext", "# Quindle usage counters\nR=2\nW=16\n");
    auto info = Make();
    const std::string i = Stamp(*info);
    EXPECT_EQ(info->LinkText("", "", ""), "http://www.quindle.example?p=quindle&v=2025.17.420.1984&c=r3w16&i=" + i);
    EXPECT_EQ(info->LinkText("download", "", ""),
              "http://www.quindle.example/en/quindle/download.htm?p=quindle&v=2025.17.420.1984&c=r3w16&i=" + i);
    EXPECT_EQ(info->LinkText("", "err&e=Say \"hi\"", ""),
              "http://www.quindle.example/net/?a=err&e=Say hi&p=quindle&v=2025.17.420.1984&c=r3w16&i=" + i);
    EXPECT_EQ(info->LinkText("", "ins", "src=cd"),
              "http://www.quindle.example/net/?a=ins&p=quindle&v=2025.17.420.1984&c=r3w16&i=" + i + "&src=cd");
    EXPECT_EQ(info->LinkText("supports", "", ""),
              "mailto:support@quindle.example?subject=Support required for Quindle Converter 2025.17.420.1984 - " + i);
    info->SetProduct("Salt & Pepper & Co", "quindle", "1");
    EXPECT_EQ(info->LinkText("supports", "", ""),
              "mailto:support@quindle.example?subject=Support required for Salt And Pepper & Co 1 - " + i);
    EXPECT_NE(info->LinkText("Supports", "", "").rfind("http://", 0), std::string::npos) << "page names are exact";
}

// Help opens the HTML manual: the build's beside the program, else the
// installation's, else the same manual on the web (never a missing file).
TEST_F(InfoTest, HelpOpensTheManualBesideTheBuildOrInstalledOrOnTheWeb) {
    auto info = Make();
    info->OpenLink("h", "", "");
    dir.Write("share/doc/quindle/manual/index.html", "<html>");
    info->OpenLink("h", "", "");
    dir.Write("bin/manual/index.html", "<html>");
    info->OpenLink("h", "", "");
    EXPECT_EQ(opened,
              (std::vector<std::string>{"http://www.quindle.example/en/quindle/manual.htm",
                                        dir / "share/doc/quindle/manual/index.html", dir / "bin/manual/index.html"}));
}

TEST_F(InfoTest, QuietKeepsReportsAndNoticesClosedButNotPages) {
    auto info = Make();
    EXPECT_FALSE(info->IsQuiet());
    setenv("QUINDLE_QUIET", "1", 1);
    EXPECT_TRUE(info->IsQuiet());
    info->HandleAppException(std::string("fail"));
    info->OpenLink("", "ins", "x");
    info->OpenLink("", "uni", "");
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(info->Stat("E"), "1") << "a quiet error is still counted";
    info->OpenLink("", "", "");
    info->OpenLink("download", "", "");
    info->OpenLink("h", "", "");
    info->OpenLink("supports", "", "");
    EXPECT_EQ(opened.size(), 4u);

    setenv("QUINDLE_QUIET", "0", 1);
    EXPECT_FALSE(info->IsQuiet());
    info.reset();
    std::string text = ReadFileText(store);
    platform::AtomicWriteFile(store, text + "+=True\n");
    EXPECT_TRUE(Make()->IsQuiet()) << "the store's own flag";
    platform::AtomicWriteFile(store, text + "+=maybe\n");
    EXPECT_FALSE(Make()->IsQuiet());
}

TEST(InstallStamp, PacksUtcAsDosDateTime) {
    // 2020-01-02 03:04:06 UTC
    EXPECT_EQ(TkvInfo::PackDosTime(1577934246),
              int32_t((((40 << 9) | (1 << 5) | 2) << 16) | ((3 << 11) | (4 << 5) | 3)));
    EXPECT_EQ(TkvInfo::PackDosTime(315532799), -1);  // 1979-12-31 23:59:59
    EXPECT_EQ(TkvInfo::PackDosTime(315532800), (1 << 5 | 1) << 16);
    EXPECT_LT(TkvInfo::PackDosTime(2366841600), 0) << "2045 sets the top bit";

    TempDir dir;
    TkvInfo info(dir / "quindle", dir / "quindle.ext");
    EXPECT_GT(info.InstallStamp(), 0);
    TkvInfo missing(dir / "no/such/quindle", dir / "x.ext");
    EXPECT_EQ(missing.InstallStamp(), -1);
}

// Runs that start together (a cron job, a script over many folders) each
// count into the one store; none of their counts may be lost.
TEST_F(InfoTest, ParallelProcessesLoseNoCount) {
    std::filesystem::create_directories(dir / "bin");
    constexpr int kRuns = 20;
    std::vector<pid_t> children;
    for (int i = 0; i < kRuns; ++i) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int rc = 0;
            try {
                TkvInfo info(exe, store);  // counts a start
                for (int k = 0; k < 5; ++k) info.Tally("C", 0, 1);
                info.Tally("A", 0, 3);
            } catch (...) {
                rc = 1;
            }
            _exit(rc);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto info = Make();
    EXPECT_EQ(info->Stat("R"), std::to_string(kRuns + 1));
    EXPECT_EQ(info->Stat("C"), std::to_string(5 * kRuns));
    EXPECT_EQ(info->Stat("A"), std::to_string(3 * kRuns));
}
