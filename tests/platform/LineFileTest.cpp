#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include "platform/FileIdentity.h"
#include "platform/LineFile.h"
#include "platform/Text.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

using namespace platform;
namespace fs = std::filesystem;

TEST(LineFile, EachLineIsInTheFileAsSoonAsItIsWritten) {
    TempDir d;
    const std::string path = d.Write("run.log", "an older run\r\n");
    TLineFile log(path, false);
    EXPECT_EQ(ReadFileText(path), "") << "emptied when opened";
    log.WriteLine("one");
    EXPECT_EQ(ReadFileText(path), "one\r\n");
    log.WriteLine("two");
    EXPECT_EQ(ReadFileText(path), "one\r\ntwo\r\n");

    TLineFile more(path, true);
    more.WriteLine("three");
    EXPECT_EQ(ReadFileText(path), "one\r\ntwo\r\nthree\r\n");
}

TEST(LineFile, ALinkIsWrittenThroughAndTheFolderNeedNotBeWritable) {
    TempDir d;
    const std::string real = d.Write("logs/real.log", "old");
    fs::create_symlink(real, d.Path() / "link.log");
    {
        TLineFile log(d / "link.log", false);
        log.WriteLine("through");
    }
    EXPECT_TRUE(fs::is_symlink(d.Path() / "link.log"));
    EXPECT_EQ(ReadFileText(real), "through\r\n");

    const std::string problem = Unprivileged(d.Path(), [&]() -> std::string {
        fs::permissions(d.Path() / "logs", fs::perms::owner_read | fs::perms::owner_exec);
        try {
            TLineFile log(real, false);
            log.WriteLine("in a read-only folder");
        } catch (const std::exception& e) {
            return e.what();
        }
        try {
            TLineFile log(d / "logs/new.log", false);
            return "a new file in a read-only folder";
        } catch (const std::exception&) {}
        fs::permissions(d.Path() / "logs", fs::perms::owner_all);
        return "";
    });
    EXPECT_EQ(problem, "");
    EXPECT_EQ(ReadFileText(real), "in a read-only folder\r\n");
}

TEST(LineFile, WhatCannotBeOpenedFailsAtOnceNamingTheFile) {
    TempDir d;
    try {
        TLineFile log(d / "missing/run.log", false);
        FAIL() << "a missing folder";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find(d / "missing/run.log"), std::string::npos) << e.what();
    }
    EXPECT_THROW(TLineFile(d.Path().string(), false), std::runtime_error);  // a folder
    // A pipe nobody reads would block the opening forever.
    ASSERT_EQ(mkfifo((d / "pipe").c_str(), 0600), 0);
    EXPECT_THROW(TLineFile(d / "pipe", false), std::runtime_error);
}

TEST(FileIdentity, TellsVersionsAndFilesApart) {
    TempDir d;
    const std::string a = d.Write("a.xlsx", "first");
    TFileIdentity one, two;
    ASSERT_TRUE(ReadFileIdentity(a, one));
    ASSERT_TRUE(ReadFileIdentity(a, two));
    EXPECT_TRUE(one.SameVersionAs(two));

    // Saved over by replacing the file, and in place with the same size.
    d.Write("a.new", "other");
    fs::rename(d.Path() / "a.new", a);
    ASSERT_TRUE(ReadFileIdentity(a, two));
    EXPECT_FALSE(one.SameFileAs(two));
    TFileIdentity three;
    timespec later[2] = {{0, UTIME_OMIT}, {two.MTime.tv_sec + 5, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, a.c_str(), later, 0), 0);
    ASSERT_TRUE(ReadFileIdentity(a, three));
    EXPECT_TRUE(three.SameFileAs(two));
    EXPECT_FALSE(three.SameVersionAs(two));
    EXPECT_FALSE(ReadFileIdentity(d / "missing", three));

    // One file, however it is reached.
    fs::create_directories(d.Path() / "sub");
    fs::create_symlink(a, d.Path() / "sub/link.xlsx");
    fs::create_hard_link(a, d.Path() / "hard.xlsx");
    EXPECT_TRUE(SameFile(a, d / "sub/../a.xlsx"));
    EXPECT_TRUE(SameFile(a, d / "sub/link.xlsx"));
    EXPECT_TRUE(SameFile(a, d / "hard.xlsx"));
    EXPECT_FALSE(SameFile(a, d / "missing"));
    EXPECT_FALSE(SameFile(d / "missing", d / "missing"));
}

TEST(FileAddress, BecomesAPath) {
    EXPECT_EQ(FileAddressToPath("file:///data/out/"), "/data/out/");
    EXPECT_EQ(FileAddressToPath("file:data"), "/data");
    EXPECT_EQ(FileAddressToPath("FILE:///x"), "FILE:///x");
    EXPECT_EQ(FileAddressToPath("/data/file:/x"), "/data/file:/x");
}
