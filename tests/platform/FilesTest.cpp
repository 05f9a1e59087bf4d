#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "support/TempDir.h"

using namespace platform;

namespace fs = std::filesystem;

namespace {
size_t EntryCount(const fs::path& dir) {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};
}  // namespace

TEST(Files, AtomicWriteCreatesAndReplacesWithoutLeftovers) {
    TempDir dir;
    const std::string path = dir / "a.txt";
    AtomicWriteFile(path, "first");
    EXPECT_EQ(ReadFileText(path), "first");
    chmod(path.c_str(), 0640);
    AtomicWriteFile(path, std::string("sec\0ond", 7));
    EXPECT_EQ(ReadFileText(path), std::string("sec\0ond", 7));
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the replaced file keeps its mode";
    AtomicWriteFile(path, "");
    EXPECT_EQ(ReadFileText(path), "");
    EXPECT_EQ(EntryCount(dir.Path()), 1u);

    // A new file gets the mode any new file gets, and the umask (shared by
    // every thread) is never touched on the way.
    const mode_t mask = umask(027);
    AtomicWriteFile(dir / "new.txt", "x");
    EXPECT_EQ(umask(mask), mode_t(027));
    ASSERT_EQ(stat((dir / "new.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(Files, AtomicWriteFailuresThrowAndKeepTheOldState) {
    TempDir dir;
    EXPECT_THROW(AtomicWriteFile(dir / "missing/a.txt", "x"), std::runtime_error);
    EXPECT_THROW(AtomicWriteFile("", "x"), std::runtime_error);
    fs::create_directory(dir / "sub");
    dir.Write("sub/keep.txt", "keep");
    EXPECT_THROW(AtomicWriteFile(dir / "sub", "x"), std::runtime_error);  // a folder is in the way
    EXPECT_EQ(ReadFileText(dir / "sub/keep.txt"), "keep");
    EXPECT_EQ(EntryCount(dir.Path()), 1u) << "no temporary file is left behind";

    if (geteuid() != 0) {
        const std::string path = dir.Write("ro/p.txt", "old");
        chmod((dir / "ro").c_str(), 0555);
        EXPECT_THROW(AtomicWriteFile(path, "new"), std::runtime_error);
        EXPECT_EQ(ReadFileText(path), "old");
    }
}

TEST(Files, FoldersAndTimes) {
    TempDir dir;
    const std::string deep = dir / "a/b/c";
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(deep));
    EXPECT_FALSE(FileExists(deep));
    EXPECT_TRUE(ForceDirectories(deep)) << "an existing folder is fine";
    const std::string file = dir.Write("f", "x");
    EXPECT_FALSE(ForceDirectories(file + "/below"));
    EXPECT_TRUE(FileExists(file));
    EXPECT_FALSE(DirectoryExists(file));

    const std::string other = dir.Write("g", "y");
    const struct timespec old[2] = {{1000000000, 0}, {1100000000, 500}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    EXPECT_TRUE(CopyFileTime(file, other));
    struct stat st {};
    stat(other.c_str(), &st);
    EXPECT_EQ(st.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(st.st_atim.tv_sec, 1000000000);
    EXPECT_FALSE(CopyFileTime(dir / "none", other));
    EXPECT_FALSE(CopyFileTime(file, dir / "none"));
}

TEST(Files, ReadWholeFileRefusesWhatItCannotRead) {
    TempDir dir;
    const std::string path = dir.Write("f", std::string(1000, 'x'));
    EXPECT_EQ(ReadWholeFile(path, 1000).size(), 1000u);
    EXPECT_THROW(ReadWholeFile(path, 999), std::runtime_error);
    EXPECT_THROW(ReadWholeFile(dir / "none", 10), std::runtime_error);
    EXPECT_THROW(ReadWholeFile(dir.Path().string(), 10), std::runtime_error);
}

TEST(Files, WritableFilesFallBackToTheStateFolder) {
    TempDir dir;
    ScopedEnv state("XDG_STATE_HOME", (dir / "state").c_str());
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    ScopedEnv home("HOME", (dir / "home").c_str());
    EXPECT_EQ(StateFolder(), dir / "state/quindle/");
    EXPECT_EQ(ConfigFolder(), dir / "home/.config/quindle/");
    EXPECT_EQ(WritableBeside(dir / "quindle", "quindle.ext"), dir / "quindle.ext");
    EXPECT_EQ(WritableBeside(dir / "missing/quindle", "quindle.ext"), dir / "state/quindle/quindle.ext");
    {
        ScopedEnv relative("XDG_STATE_HOME", "relative/state");
        EXPECT_EQ(StateFolder(), dir / "home/.local/state/quindle/");
    }
    if (geteuid() != 0) {
        fs::create_directory(dir / "ro");
        chmod((dir / "ro").c_str(), 0555);
        EXPECT_EQ(WritableBeside(dir / "ro/quindle", "x"), dir / "state/quindle/x");
    }
}
