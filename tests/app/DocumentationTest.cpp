#include <gtest/gtest.h>

#include <filesystem>

#include "app/Documentation.h"
#include "support/Shell.h"
#include "support/TempDir.h"

namespace {

TEST(Documentation, UsagePointsToTheManualAndTheManPageWhereverTheyAre) {
    TempDir dir;
    EXPECT_EQ(app::DocumentationPointers(dir / "usr/bin/quindle"),
              "Manual: http://www.quindle.example/en/quindle/manual.htm (F1 in the window)\nMan page: man quindle\n");
    dir.Write("usr/share/doc/quindle/manual/index.html", "");
    EXPECT_EQ(
        app::DocumentationPointers(dir / "usr/bin/quindle"),
        "Manual: " + dir / "usr/share/doc/quindle/manual/index.html" + " (F1 in the window)\nMan page: man quindle\n");
    dir.Write("build/manual/index.html", "");
    dir.Write("build/quindle.1", "");
    EXPECT_EQ(app::DocumentationPointers(dir / "build/quindle"), "Manual: " + dir / "build/manual/index.html" +
                                                                     " (F1 in the window)\nMan page: man -l " +
                                                                     dir / "build/quindle.1" + "\n");
}

// --help ends with where the manual and the man page are.
TEST(Documentation, HelpEndsWithTheManualAndTheManPage) {
    if (!std::filesystem::exists(BuiltProgram())) GTEST_SKIP() << "build the quindle target first";
    TempDir dir;
    const std::string env = "XDG_STATE_HOME=" + ShellQuote(dir / "state") +
                            " XDG_CONFIG_HOME=" + ShellQuote(dir / "config") + " QT_QPA_PLATFORM=minimal ";
    ASSERT_EQ(RunShell(env + "timeout -k 5 60 " + ShellQuote(BuiltProgram()) + " --help >" + ShellQuote(dir / "out")),
              0);
    const std::string usage = ReadFileText(dir / "out");
    EXPECT_EQ(usage.rfind("Usage: quindle [", 0), 0u) << usage;
    EXPECT_NE(usage.find("\nManual: "), std::string::npos) << usage;
    EXPECT_NE(usage.find("\nMan page: "), std::string::npos) << usage;
    EXPECT_EQ(usage.back(), '\n');
}

}  // namespace
