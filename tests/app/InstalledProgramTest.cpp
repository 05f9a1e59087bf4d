// The program installed into a scratch prefix (cmake --install with
// DESTDIR), the way a package puts it under /usr: the files land where the
// desktop and the program look for them, the installed program converts,
// finds its window module and manual, and keeps each user's files in the
// XDG folders rather than beside itself.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/Shell.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

const std::string kBuild = QUINDLE_BINARY_DIR;

class InstalledProgram : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(BuiltProgram())) GTEST_SKIP() << "build the quindle target first";
        const std::string cmd = "DESTDIR=" + ShellQuote(dir / "stage") + " cmake --install " + ShellQuote(kBuild) +
                                " --prefix /usr >" + ShellQuote(dir / "install.txt") + " 2>&1";
        ASSERT_EQ(RunShell(cmd), 0) << ReadFileText(dir / "install.txt");
    }
    // Runs the installed program with one argument, as a user whose home is
    // in the scratch folder and who has no XDG variables set.
    int Run(const std::string& arg) {
        return RunShell("cd " + ShellQuote(dir.Path().string()) + " && env -u XDG_STATE_HOME -u XDG_CONFIG_HOME HOME=" +
                        ShellQuote(dir / "home") + " QUINDLE_QUIET=1 QT_QPA_PLATFORM=offscreen timeout -k 10 120 " +
                        ShellQuote(prefix + "bin/quindle") + " " + ShellQuote(arg) + " 2>" +
                        ShellQuote(dir / "stderr.txt"));
    }
    bool HasWindow() const { return fs::exists(kBuild + "/quindle-window.so"); }
    bool HasManual() const { return fs::exists(kBuild + "/manual/index.html"); }

    TempDir dir;
    std::string prefix = dir / "stage/usr/";
};

TEST_F(InstalledProgram, FilesLandWhereTheDesktopAndTheProgramLookForThem) {
    for (const char* f : {"bin/quindle", "share/quindle/examples/sales.xlsx", "share/quindle/examples/contacts.xls",
                          "share/doc/quindle/copyright", "share/doc/quindle/changelog.gz"})
        EXPECT_TRUE(fs::is_regular_file(prefix + f)) << f;
    if (HasManual()) {
        EXPECT_TRUE(fs::is_regular_file(prefix + "share/man/man1/quindle.1.gz"));
        const std::string manual = ReadFileText(prefix + "share/doc/quindle/manual/index.html");
        EXPECT_NE(manual.find("SPLITTING AN ESTATE ACROSS MACHINES"), std::string::npos);
        EXPECT_NE(manual.find("data:image/png;base64,"), std::string::npos) << "one file, pictures inside";
    }
    if (!HasWindow()) {
        EXPECT_FALSE(fs::exists(prefix + "share/applications")) << "no menu entry without a window";
        return;
    }
    for (const char* f : {"lib/quindle/modules/quindle-window.so", "share/applications/quindle.desktop",
                          "share/mime/packages/quindle.xml", "share/metainfo/example.quindle.Converter.metainfo.xml",
                          "share/icons/hicolor/scalable/apps/quindle.svg"})
        EXPECT_TRUE(fs::is_regular_file(prefix + f)) << f;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const std::string png =
            prefix + "share/icons/hicolor/" + std::to_string(size) + "x" + std::to_string(size) + "/apps/quindle.png";
        const std::string bytes = ReadFileText(png);
        ASSERT_GE(bytes.size(), 24u) << png;
        // The PNG's own width and height (big-endian, after the signature
        // and the IHDR header) match the folder it sits in.
        auto be32 = [&](size_t at) {
            return (uint32_t(uint8_t(bytes[at])) << 24) | (uint32_t(uint8_t(bytes[at + 1])) << 16) |
                   (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint32_t(uint8_t(bytes[at + 3]));
        };
        EXPECT_EQ(be32(16), uint32_t(size)) << png;
        EXPECT_EQ(be32(20), uint32_t(size)) << png;
    }
}

// The freedesktop tools accept what is installed (they are in
// scripts/bootstrap; a machine without them skips their part).
TEST_F(InstalledProgram, TheDesktopFilesPassTheirValidators) {
    if (!HasWindow()) GTEST_SKIP() << "a build without the window installs no desktop files";
    const std::string log = ShellQuote(dir / "check.txt");
    if (HaveProgram("desktop-file-validate")) {
        EXPECT_EQ(RunShell("desktop-file-validate " + ShellQuote(prefix + "share/applications/quindle.desktop") + " >" +
                           log + " 2>&1"),
                  0)
            << ReadFileText(dir / "check.txt");
    }
    if (HaveProgram("appstreamcli")) {
        EXPECT_EQ(RunShell("appstreamcli validate --no-net --pedantic " +
                           ShellQuote(prefix + "share/metainfo/example.quindle.Converter.metainfo.xml") + " >" + log +
                           " 2>&1"),
                  0)
            << ReadFileText(dir / "check.txt");
    }
    if (HaveProgram("update-mime-database")) {
        // The type database built from our XML alone (plus the base types it
        // names) knows projects by their extension.
        fs::create_directories(dir / "mime/packages");
        fs::copy_file(prefix + "share/mime/packages/quindle.xml", dir / "mime/packages/quindle.xml");
        if (fs::exists("/usr/share/mime/packages/freedesktop.org.xml"))
            fs::copy_file("/usr/share/mime/packages/freedesktop.org.xml", dir / "mime/packages/freedesktop.org.xml");
        ASSERT_EQ(RunShell("update-mime-database " + ShellQuote(dir / "mime") + " >" + log + " 2>&1"), 0)
            << ReadFileText(dir / "check.txt");
        EXPECT_NE(ReadFileText(dir / "mime/globs2").find(":application/x-batch-quindle:*.batch-quindle"),
                  std::string::npos);
    }
    if (HasManual() && HaveProgram("man")) {
        EXPECT_EQ(RunShell("LC_ALL=C.UTF-8 MANROFFSEQ= MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z " +
                           ShellQuote(prefix + "share/man/man1/quindle.1.gz") + " 2>" + log + " >/dev/null"),
                  0);
    }
    EXPECT_EQ(ReadFileText(dir / "check.txt").find("warning"), std::string::npos) << ReadFileText(dir / "check.txt");
}

TEST_F(InstalledProgram, ConvertsAndKeepsTheUsersFilesInTheXdgFolders) {
    const std::string examples = prefix + "share/quindle/examples/";
    ASSERT_EQ(Run("-P:Source=" + examples + "*.xls?,Target=" + dir / "out/" + ",PureConsole=1,LogFile=run.log"), 0)
        << ReadFileText(dir / "stderr.txt");
    for (const char* page : {"sales.htm", "schedule.htm", "inventory.htm", "contacts.htm"})
        EXPECT_TRUE(fs::exists(dir / "out/" + std::string(page))) << page;
    const std::vector<std::string> log = FileLines(dir / "run.log");
    ASSERT_EQ(log.size(), 4u);
    for (const std::string& line : log) EXPECT_EQ(line.rfind("Success => " + examples, 0), 0u) << line;

    // The counters go to ~/.local/state/quindle, never beside the program,
    // although the staging folder's bin/ could be written.
    EXPECT_TRUE(fs::exists(dir / "home/.local/state/quindle/quindle.ext"));
    EXPECT_FALSE(fs::exists(prefix + "bin/quindle.ext"));
    EXPECT_FALSE(fs::exists(prefix + "bin/quindle.log"));
}

TEST_F(InstalledProgram, AWindowRunFindsTheInstalledWindowModule) {
    if (!HasWindow()) GTEST_SKIP() << "a build without the window";
    ASSERT_EQ(Run("-P:Source=" + prefix + "share/quindle/examples/*.xlsx,Target=" + dir / "out/" + ",RunAndClose=1"), 0)
        << ReadFileText(dir / "stderr.txt");
    EXPECT_TRUE(fs::exists(dir / "out/sales.htm"));
    EXPECT_TRUE(fs::exists(dir / "out/schedule.htm"));
    EXPECT_TRUE(fs::exists(dir / "home/.local/state/quindle/quindle.log")) << "the recent list, in the state folder";
    EXPECT_FALSE(fs::exists(prefix + "bin/quindle.log"));
}

}  // namespace
