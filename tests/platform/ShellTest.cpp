#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "platform/Choosers.h"
#include "platform/Shell.h"
#include "platform/TkvApp.h"
#include "support/TempDir.h"

using namespace platform;

TEST(Shell, OpenerCanBeSwappedAndSwallowsFailures) {
    std::vector<std::string> seen;
    ShellOpener before = SetShellOpener([&](const std::string& t) { seen.push_back(t); });
    ShellOpen("http://example.invalid/a b");
    ShellOpen("");
    EXPECT_EQ(seen, (std::vector<std::string>{"http://example.invalid/a b", ""}));

    SetShellOpener([](const std::string&) { throw std::runtime_error("no browser"); });
    EXPECT_NO_THROW(ShellOpen("x"));

    ShellOpener mine = SetShellOpener(before);
    EXPECT_TRUE(static_cast<bool>(mine));
}

TEST(Choosers, WithoutWindowsEveryChoiceIsCancelled) {
    SetChoosers(nullptr);
    std::string path = "/in/*.xls?";
    BrowseFolder(path);
    EXPECT_FALSE(ChooseFiles("All|*", path, true));
    EXPECT_FALSE(ChooseSaveFile("All|*", ".x", path));
    EXPECT_EQ(path, "/in/*.xls?");

    struct Picker : IChoosers {
        void BrowseFolder(std::string& p) override { p = "/picked/"; }
        bool ChooseFiles(const std::string&, std::string& p, bool) override { return p = "/f", true; }
        bool ChooseSaveFile(const std::string&, const std::string& ext, std::string& p) override {
            return p = "/s" + ext, true;
        }
    } picker;
    SetChoosers(&picker);
    BrowseFolder(path);
    EXPECT_EQ(path, "/picked/");
    EXPECT_TRUE(ChooseSaveFile("", ".q", path));
    EXPECT_EQ(path, "/s.q");
    SetChoosers(nullptr);
}

TEST(TkvApp, FirstArgIsTheFirstNonEmptyArgument) {
    EXPECT_EQ(TkvApp("/opt/q/quindle", {}).FirstArg(), "");
    EXPECT_EQ(TkvApp("/opt/q/quindle", {"", "", "-Px", "y"}).FirstArg(), "-Px");
    EXPECT_EQ(TkvApp("/opt/q/quindle", {"a b"}).FirstArg(), "a b");

    char prog[] = "quindle", empty[] = "", arg[] = "/data/p.batch-quindle";
    char* argv[] = {prog, empty, arg, nullptr};
    TkvApp app(3, argv);
    EXPECT_EQ(app.FirstArg(), "/data/p.batch-quindle");
    EXPECT_FALSE(app.ExePath().empty());
    EXPECT_EQ(app.ExePath()[0], '/');
}

TEST(Shell, DesktopOpenerRunsDetachedWithTheTargetAsOneArgument) {
    TempDir dir;
    const std::string out = dir / "opened";
    const std::string script = dir.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > \"" + out +
                                                             ".tmp\"\nmv \"" + out + ".tmp\" \"" + out + "\"\n");
    chmod(script.c_str(), 0755);
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath ? oldPath : "";
    setenv("PATH", (dir / "bin:" + saved).c_str(), 1);
    ShellOpener before = SetShellOpener(nullptr);
    ShellOpen("http://h/?a=err&e=two words");
    SetShellOpener(before);
    setenv("PATH", saved.c_str(), 1);
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i) usleep(10000);
    EXPECT_EQ(ReadFileText(out), "1|http://h/?a=err&e=two words");
}
