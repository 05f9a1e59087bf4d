// The command line of the built program where there is no display: what
// needs the window says so and ends cleanly; what does not, runs.
#include <filesystem>

#include "ProgramFixture.h"

namespace fs = std::filesystem;

namespace {

// No display and no toolkit platform: a server, a container, a cron job.
const std::string kNoDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";

}  // namespace

TEST_F(ProgramRun, WithoutADisplayAWindowRunEndsWithExitTwoAndSaysWhy) {
    const bool hasWindow = fs::exists(Program().parent_path() / "quindle-window.so");
    const std::pair<std::string, std::string> asks[] = {
        {dir / "missing.batch-quindle", "cannot be read"},
        {"", "default project"},
        {"-P:Source=" + in + "*.xlsx,Target=" + out, "PureConsole=1"},
        {dir / "typo/in/*.xlsx", "does not exist"},
    };
    for (const auto& [arg, what] : asks) {
        EXPECT_EQ(Run(arg, kNoDisplay), 2) << arg << "\n" << Stderr();
        const std::string err = Stderr();
        if (hasWindow) {
            EXPECT_NE(err.find("no display"), std::string::npos) << err;
        }
        EXPECT_NE(err.find(what), std::string::npos) << err;
        EXPECT_NE(err.find("PureConsole=1"), std::string::npos) << "how to run unattended: " << err;
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(ProgramRun, HelpAndVersionNeedNoDisplay) {
    for (const char* ask : {"--help", "-h"}) {
        ASSERT_EQ(Run(ask, kNoDisplay), 0) << Stderr();
        const std::string text = Stdout();
        for (const char* part : {"Usage: quindle", "-P:", "PureConsole=1", "Exit codes", "Example"})
            EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
        EXPECT_EQ(Stderr(), "");
    }
    ASSERT_EQ(Run("--version", kNoDisplay), 0);
    EXPECT_EQ(Stdout(), "Quindle Converter 2025.17.420.1984\n");
}

// The engine fetches a workbook from the web by itself: with PureConsole the
// run stays in the console, display or not.
TEST_F(ProgramRun, AWebSourceWithPureConsoleRunsInTheConsole) {
    // Nothing listens on port 9 here: the fetch fails at once.
    ASSERT_EQ(Run("-P:Source=http://127.0.0.1:9/book.xlsx,Target=" + out + ",PureConsole=1,LogFile=" + dir / "run.log",
                  kNoDisplay),
              0)
        << Stderr();
    auto lines = LogLines(dir / "run.log");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Failure => http://127.0.0.1:9/book.xlsx => ", 0), 0u) << lines[0];
}

// A Source that names a folder is that folder with the product's mask, as
// the window's Folder button builds it; one that matches nothing says so.
TEST_F(ProgramRun, AFolderAsSourceIsReadWithTheProductsMask) {
    for (const std::string& source : {in.substr(0, in.size() - 1), in}) {
        ASSERT_EQ(Run("-P:Source=" + source + ",Target=" + out + ",PureConsole=1,LogFile=" + dir / "run.log"), 0)
            << Stderr();
        EXPECT_EQ(LogLines(dir / "run.log").size(), 4u) << source;
        EXPECT_TRUE(fs::exists(out + "inventory.htm"));
        EXPECT_EQ(Stderr(), "");
        fs::remove_all(out);
    }

    ASSERT_EQ(Run("-P:Source=" + in + "*.docx,Target=" + out + ",PureConsole=1,LogFile=" + dir / "run.log"), 0);
    EXPECT_EQ(ReadFileText(dir / "run.log"), "");
    EXPECT_EQ(Stderr(), "quindle: the source \"" + in + "*.docx\" matches no file\n");
}
