#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "platform/InstallLayout.h"
#include "support/TempDir.h"

using namespace platform;

namespace fs = std::filesystem;

namespace {

TEST(InstallLayout, AProgramInBinBesideShareQuindleIsInstalled) {
    TempDir dir;
    fs::create_directories(dir / "usr/bin");
    EXPECT_FALSE(IsInstalled(dir / "usr/bin/quindle")) << "no share/quindle yet";
    fs::create_directories(dir / "usr/share/quindle");
    EXPECT_TRUE(IsInstalled(dir / "usr/bin/quindle"));
    fs::create_directories(dir / "build");
    EXPECT_FALSE(IsInstalled(dir / "build/quindle"));
    fs::create_directories(dir / "usr/sbin");
    EXPECT_FALSE(IsInstalled(dir / "usr/sbin/quindle")) << "only a folder named exactly bin";
    EXPECT_FALSE(IsInstalled("quindle"));
}

// An installation's writable files go to the user's folders even when its
// bin/ could be written (root, an installation in the home folder): one
// user's counters never land beside a program that all of them share.
TEST(InstallLayout, AnInstalledProgramWritesToTheStateFolder) {
    TempDir dir;
    const char* old = std::getenv("XDG_STATE_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_STATE_HOME", (dir / "state").c_str(), 1);
    fs::create_directories(dir / "prefix/bin");
    EXPECT_EQ(WritableBeside(dir / "prefix/bin/quindle", "quindle.ext"), dir / "prefix/bin/quindle.ext");
    fs::create_directories(dir / "prefix/share/quindle");
    EXPECT_EQ(WritableBeside(dir / "prefix/bin/quindle", "quindle.ext"), dir / "state/quindle/quindle.ext");
    if (old) setenv("XDG_STATE_HOME", saved.c_str(), 1);
    else unsetenv("XDG_STATE_HOME");
}

TEST(InstallLayout, TheWindowModuleAndTheManualAreFoundBesideTheBuildOrInTheInstallation) {
    TempDir dir;
    const std::string exe = dir / "prefix/bin/quindle";
    fs::create_directories(dir / "prefix/bin");
    EXPECT_EQ(WindowModuleFile(exe, "quindle-window.so"), dir / "prefix/bin/quindle-window.so") << "named when missing";
    EXPECT_EQ(ManualFile(exe), "");
    EXPECT_EQ(InstalledManualFile(exe), dir / "prefix/share/doc/quindle/manual/index.html");

    dir.Write("prefix/lib/quindle/modules/quindle-window.so", "");
    dir.Write("prefix/share/doc/quindle/manual/index.html", "");
    EXPECT_EQ(WindowModuleFile(exe, "quindle-window.so"), dir / "prefix/lib/quindle/modules/quindle-window.so");
    EXPECT_EQ(ManualFile(exe), dir / "prefix/share/doc/quindle/manual/index.html");

    dir.Write("prefix/bin/quindle-window.so", "");
    dir.Write("prefix/bin/manual/index.html", "");
    EXPECT_EQ(WindowModuleFile(exe, "quindle-window.so"), dir / "prefix/bin/quindle-window.so");
    EXPECT_EQ(ManualFile(exe), dir / "prefix/bin/manual/index.html");

    // A build folder has no installation around it.
    dir.Write("build/manual/index.html", "");
    EXPECT_EQ(ManualFile(dir / "build/quindle"), dir / "build/manual/index.html");
    EXPECT_EQ(InstalledManualFile(dir / "build/quindle"), "");
}

}  // namespace
