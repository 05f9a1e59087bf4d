#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "platform/Choosers.h"
#include "platform/Shell.h"
#include "platform/TkvApp.h"

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
