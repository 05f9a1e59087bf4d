#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <vector>

#include "app/NoDisplay.h"
#include "app/Startup.h"
#include "batch/Match.h"
#include "info/TkvInfo.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/Switches.h"
#include "platform/TkvApp.h"
#include "project/TkvProject.h"
#include "support/TempDir.h"

using namespace app;

namespace {

// Records what the window run saw of the process-wide objects.
class FakeWindow : public IWindowRun {
public:
    int Run() override {
        ++runs;
        sawProject = project::kvProject != nullptr && batch::kvMatch != nullptr;
        if (project::kvProject) {
            converterClass = project::kvProject->ConverterClass;
            fileName = project::kvProject->FileName;
            source = project::kvProject->Source();
        }
        if (fail) throw std::runtime_error("window broke");
        return rc;
    }
    void DestroyWindows() override {
        ++destroyed;
        objectsGoneFirst = !project::kvProject && !info::kvInfo && !platform::kvApp && !kvMain && !batch::kvMatch;
    }
    int rc = 0, runs = 0, destroyed = 0;
    bool fail = false, sawProject = false, objectsGoneFirst = false;
    std::string converterClass, fileName, source;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "QUINDLE_QUIET"}) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old ? old : "", old != nullptr});
        }
        setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        unsetenv("QUINDLE_QUIET");  // notices must open here; the test runner sets it
        std::filesystem::create_directories(dir / "bin");
        previous_ = platform::SetShellOpener([this](const std::string& t) { opened.push_back(t); });
    }
    void TearDown() override {
        platform::SetShellOpener(previous_);
        for (auto& e : saved_) {
            if (e.had) setenv(e.name.c_str(), e.value.c_str(), 1);
            else unsetenv(e.name.c_str());
        }
    }
    int Main(std::vector<std::string> args, IWindowRun* window) {
        return QuindleMain(std::make_unique<platform::TkvApp>(exe, std::move(args)), window);
    }

    TempDir dir;
    std::string exe = dir / "bin/quindle";
    std::vector<std::string> opened;

private:
    struct Env {
        std::string name, value;
        bool had;
    };
    std::vector<Env> saved_;
    platform::ShellOpener previous_;
};

}  // namespace

TEST_F(StartupTest, UnattendedRunEndsWithZeroAndLeavesItsFiles) {
    FakeWindow window;
    EXPECT_EQ(Main({"-P:PureConsole=1,Source=" + dir / "HTTP/books/*.xls?"}, &window), 0);
    EXPECT_EQ(window.runs, 0);
    EXPECT_EQ(window.destroyed, 0);
    EXPECT_TRUE(platform::SkipLockFiles.load());
    EXPECT_TRUE(!platform::kvApp && !info::kvInfo && !project::kvProject && !kvMain);
    EXPECT_TRUE(platform::FileExists(dir / "bin/quindle.ext"));
    EXPECT_TRUE(platform::FileExists(dir / "bin/quindle.log")) << "the recent list is written at exit";
    info::TkvInfo info(exe, dir / "bin/quindle.ext");
    EXPECT_EQ(info.Stat("R"), "2");
}

TEST_F(StartupTest, TheRunModeFollowsPureConsoleAndTheSource) {
    // Sources in a folder of the test's own: the unattended run really runs.
    const std::pair<std::string, bool> cases[] = {
        {"-P:PureConsole=1,Source=" + dir / "books", false},
        // The engine fetches from the web by itself: PureConsole alone decides.
        {"-P:PureConsole=True,Source=" + dir / "httpdocs/books", false},
        {"-P:PureConsole=1,Source=http://127.0.0.1:9/b.xlsx,Target=" + dir / "out", false},
        {"-P:PureConsole=0,Source=http://127.0.0.1:9/b.xlsx", true},
        {"-P:PureConsole=0,Source=" + dir / "books", true},
        {dir / "book.xlsx", true},
    };
    for (const auto& [arg, window] : cases) {
        FakeWindow w;
        w.rc = 7;
        EXPECT_EQ(Main({arg}, &w), window ? 7 : 0) << arg;
        EXPECT_EQ(w.runs, window ? 1 : 0) << arg;
        if (window) {
            EXPECT_TRUE(w.sawProject);
            EXPECT_TRUE(w.objectsGoneFirst) << "the windows outlive the process-wide objects";
            EXPECT_EQ(w.converterClass, "TkvQUINDLE");
        }
    }
}

TEST_F(StartupTest, TheWindowRunSeesTheCurrentProject) {
    dir.Write("bin/quindle.batch-quindle", "Source=/default/*.xls?\r\n");
    FakeWindow w;
    EXPECT_EQ(Main({}, &w), 0);
    EXPECT_EQ(w.fileName, dir / "bin/quindle.batch-quindle");
    EXPECT_EQ(w.source, "/default/*.xls?");
    EXPECT_EQ(ReadFileText(dir / "bin/quindle.log"), dir / "bin/quindle.batch-quindle" + "\r\n");
}

TEST_F(StartupTest, WithoutAWindowTheWindowRunFailsClearly) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Main({}, nullptr), kExitNoWindow);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("window run"), std::string::npos) << err;
    EXPECT_NE(err.find("asked for the window with the default project"), std::string::npos) << err;
    EXPECT_NE(err.find("PureConsole=1"), std::string::npos) << err;
    EXPECT_TRUE(!platform::kvApp && !info::kvInfo && !project::kvProject && !kvMain);
}

TEST_F(StartupTest, NoticeSwitchesEndBeforeAnyWindow) {
    for (const std::string arg : {"-u", "-U", "-Ifrom=cd"}) {
        FakeWindow w;
        EXPECT_EQ(Main({arg}, &w), 0) << arg;
        EXPECT_EQ(w.runs, 0) << arg;
        EXPECT_TRUE(!platform::kvApp && !info::kvInfo && !project::kvProject && !kvMain);
    }
    ASSERT_EQ(opened.size(), 3u);
    EXPECT_NE(opened[0].find("/net/?a=uni&p=quindle&v=2025.17.420.1984&c=r1"), std::string::npos) << opened[0];
    EXPECT_NE(opened[2].find("/net/?a=ins&"), std::string::npos) << opened[2];
    EXPECT_EQ(opened[2].substr(opened[2].size() - 8), "&from=cd");
}

TEST_F(StartupTest, AnErrorEscapingTheRunIsReportedWithExitCodeOne) {
    FakeWindow w;
    w.fail = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Main({}, &w), kExitUnattendedError);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Application Error\r\nException std::runtime_error in module quindle at ", 0), 0u) << err;
    EXPECT_NE(err.find(".\r\nwindow broke.\r\n"), std::string::npos) << err;
    EXPECT_EQ(w.destroyed, 1);
    EXPECT_TRUE(!platform::kvApp && !info::kvInfo && !project::kvProject && !kvMain);
}

TEST_F(StartupTest, AnUnattendedRunThatCannotStartEndsWithOne) {
    testing::internal::CaptureStderr();
    // No folder in the Source, so no Target to write to.
    EXPECT_EQ(Main({"-P:PureConsole=1,Source=book.xlsx"}, nullptr), kExitUnattendedError);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Application Error\r\nException ", 0), 0u) << err;
    EXPECT_TRUE(!platform::kvApp && !info::kvInfo && !project::kvProject && !kvMain && !batch::kvMatch);
    EXPECT_TRUE(platform::FileExists(dir / "bin/quindle.log")) << "the exit sequence ran";
}

TEST(ApplicationError, TextEndsTheMessageWithOneFullStop) {
    int x;
    const std::string a = ApplicationErrorText("EInOutError", "/opt/q/quindle", &x, "Cannot create file /x/log.txt");
    EXPECT_EQ(a.rfind("Exception EInOutError in module quindle at ", 0), 0u);
    EXPECT_EQ(a.substr(a.size() - 35), ".\r\nCannot create file /x/log.txt.\r\n");
    const std::string b = ApplicationErrorText("E", "q", nullptr, "Done.");
    EXPECT_EQ(b, "Exception E in module q at 0000000000000000.\r\nDone.\r\n");
}

TEST(ProductProfile, IsExactlyTheProductsOwn) {
    project::TkvProject p;
    ApplyProductProfile(p);
    EXPECT_EQ(p.ConverterClass, "TkvQUINDLE");
    EXPECT_EQ(p.FilePattern, "*.xls?");
    EXPECT_EQ(p.FileFilter, "Excel Workbook|*.xls;*.xlsx;*.xlsm;*.xlsb");
    EXPECT_EQ(p.TargetExt, ".htm");
    EXPECT_EQ(p.ShortName, "quindle");
    EXPECT_EQ(p.ProjectExt, ".batch-quindle");
    EXPECT_EQ(p.ProjectFilter, "Quindle Project|*.batch-quindle");
    EXPECT_EQ(p.Title, "Quindle Converter");
    EXPECT_EQ(p.ProductVersion, "2025.17.420.1984");
    EXPECT_EQ(p.PathDelim, '/');
    EXPECT_TRUE(p.DeriveTarget);
    EXPECT_TRUE(p.DefaultOverwrite);
}

TEST_F(StartupTest, QuietServersOpenNoNotices) {
    setenv("QUINDLE_QUIET", "1", 1);
    EXPECT_EQ(Main({"-u"}, nullptr), 0);
    EXPECT_TRUE(opened.empty());
}

TEST_F(StartupTest, HelpAndVersionNeedNothingElse) {
    FakeWindow w;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Main({"--help"}, &w), 0);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("Usage: quindle"), std::string::npos);
    testing::internal::CaptureStdout();
    EXPECT_EQ(Main({"--version"}, &w), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Quindle Converter 2025.17.420.1984\n");
    EXPECT_EQ(w.runs, 0);
    EXPECT_FALSE(platform::FileExists(dir / "bin/quindle.ext")) << "no start is counted";
}

TEST(DisplayCheck, TheWindowNeedsADisplayOrAPlatformWithoutOne) {
    auto with = [](std::map<std::string, const char*> vars) {
        return DisplayAvailable([&](const char* name) -> const char* {
            auto it = vars.find(name);
            return it == vars.end() ? nullptr : it->second;
        });
    };
    EXPECT_FALSE(with({}));
    EXPECT_FALSE(with({{"DISPLAY", ""}}));
    EXPECT_TRUE(with({{"DISPLAY", ":0"}}));
    EXPECT_TRUE(with({{"WAYLAND_DISPLAY", "wayland-0"}}));
    EXPECT_TRUE(with({{"QT_QPA_PLATFORM", "offscreen"}}));
    EXPECT_FALSE(with({{"QT_QPA_PLATFORM", "xcb"}}));
    EXPECT_TRUE(with({{"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "w"}}));
}
