// A page reaches the disk whole or not at all, whatever kills the process,
// and leaves no temporary behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "HtmlSupport.h"
#include "sheets/Errors.h"
#include "sheets/html/PageFile.h"
#include "support/TempDir.h"
#include "support/Wait.h"

using namespace htmltest;
using namespace sheets;
namespace fs = std::filesystem;

namespace {

std::set<std::string> Names(const TempDir& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.Path())) names.insert(e.path().filename().string());
    return names;
}

void Put(int fd, std::string_view text) { ASSERT_EQ(::write(fd, text.data(), text.size()), ssize_t(text.size())); }

// A process id that no process has: one that has just ended.
pid_t DeadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

std::string TempOf(pid_t pid, int serial) {
    return ".quindle-" + std::to_string(pid) + "-" + std::to_string(serial) + ".tmp";
}

// Large enough that writing it takes a while, so that kills land midway.
Workbook BigBook() {
    Workbook wb = OneSheet();
    for (uint32_t r = 0; r < 6000; ++r)
        PutText(wb, wb.sheets[0], r, 0, "row " + std::to_string(r) + std::string(200, '.'));
    return wb;
}

bool Whole(const std::string& page) { return page.ends_with("</body>\n</html>\n"); }

}  // namespace

TEST(PageFile, NoNameUntilPublishedThenTheTargetsOwn) {
    TempDir dir;
    const std::string target = dir / "page.htm";
    for (bool unnamed : {true, false}) {
        {
            html::PageFile page(target, unnamed);
            Put(page.Fd(), "first");
            if (unnamed) {
                EXPECT_TRUE(Names(dir).empty()) << "an unnamed page shows nowhere while it is written";
            }
            page.Publish();
        }
        EXPECT_EQ(ReadFileText(target), "first");
        {
            html::PageFile page(target, unnamed);
            Put(page.Fd(), "second");
        }  // never published: the old page stays, and nothing else does
        EXPECT_EQ(ReadFileText(target), "first");
        EXPECT_EQ(Names(dir), std::set<std::string>{"page.htm"});
        {
            html::PageFile page(target, unnamed);
            Put(page.Fd(), "third");
            page.Publish();
        }
        EXPECT_EQ(ReadFileText(target), "third");
        EXPECT_EQ(Names(dir), std::set<std::string>{"page.htm"});
        struct stat st {};
        ASSERT_EQ(::stat(target.c_str(), &st), 0);
        const mode_t mask = ::umask(0);
        ::umask(mask);
        EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask) << "made like any new file";
        fs::remove(target);
    }
}

TEST(PageFile, ANameAsLongAsTheFileSystemAllowsConverts) {
    TempDir dir;
    Workbook wb = OneSheet();
    PutText(wb, wb.sheets[0], 0, 0, "long");
    const std::string name = std::string(246, 'n') + ".htm";  // 250 bytes
    ASSERT_EQ(name.size(), 250u);
    WriteHtml(wb, dir / name, {});  // new
    WriteHtml(wb, dir / name, {});  // over the old one
    EXPECT_NE(ReadFileText(dir / name).find("long"), std::string::npos);
    for (bool unnamed : {true, false}) {
        html::PageFile page(dir / name, unnamed);
        Put(page.Fd(), "x");
        page.Publish();
    }
    EXPECT_EQ(ReadFileText(dir / name), "x");
    EXPECT_EQ(Names(dir), std::set<std::string>{name});
}

TEST(PageFile, ReadOnlyAndMissingTargetsFailAndLeaveNothing) {
    TempDir dir;
    const std::string target = dir.Write("page.htm", "kept");
    ::chmod(target.c_str(), 0444);
    for (bool unnamed : {true, false}) {
        html::PageFile page(target, unnamed);
        Put(page.Fd(), "new");
        EXPECT_THROW(page.Publish(), ReadOnlyTargetError);
    }
    ::chmod(target.c_str(), 0644);
    EXPECT_EQ(ReadFileText(target), "kept");
    fs::create_directory(dir / "folder.htm");
    for (bool unnamed : {true, false}) {
        html::PageFile page(dir / "folder.htm", unnamed);
        EXPECT_THROW(page.Publish(), std::system_error) << "a folder is never replaced";
        EXPECT_THROW(html::PageFile(dir / "missing/page.htm", unnamed), std::system_error);
    }
    EXPECT_EQ(Names(dir), (std::set<std::string>{"folder.htm", "page.htm"}));
}

TEST(PageFile, TheNamedWayRemovesTheTemporariesOfDeadProcessesOnly) {
    TempDir dir;
    const pid_t dead = DeadPid();
    const std::string stale = TempOf(dead, 7), ours = TempOf(::getpid(), 999999), running = TempOf(::getppid(), 3);
    for (const std::string& name : {stale, ours, running, std::string(".quindle-x-1.tmp"), std::string("notes.tmp"),
                                    std::string(".quindle-") + std::to_string(dead) + ".tmp"})
        dir.Write(name, "left");
    fs::create_directory(dir / TempOf(dead, 8));  // not a temporary of ours after all
    {
        html::PageFile page(dir / "page.htm", false);
        Put(page.Fd(), "page");
        page.Publish();
    }
    const std::set<std::string> left = Names(dir);
    EXPECT_EQ(left.count(stale), 0u);
    for (const std::string& name : {ours, running, std::string(".quindle-x-1.tmp"), std::string("notes.tmp"),
                                    TempOf(dead, 8), std::string("page.htm")})
        EXPECT_EQ(left.count(name), 1u) << name;

    // A scratch file never has a name that lasts.
    const int fd = html::ScratchFile(dir / "page.htm");
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Names(dir), left);
    ::close(fd);
}

TEST(PageFile, AKilledWriterLeavesWholePagesAndNoTemporary) {
    const Workbook wb = BigBook();
    for (int round = 0; round < 12; ++round) {
        TempDir dir;
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // New pages and replaced ones, until killed.
            for (int n = 0;; ++n) {
                try {
                    WriteHtml(wb, dir / ("p" + std::to_string(n % 4) + ".htm"), {});
                } catch (...) {
                    ::_exit(1);
                }
            }
        }
        // Killed at different points: while the first pages are new, then
        // while they are replaced.
        const size_t written = size_t(round % 6);
        const bool began = WaitUntil([&] { return Names(dir).size() >= written; });
        std::this_thread::sleep_for(std::chrono::milliseconds(round * 3 % 11));
        // Killed before any check, so that a writer that is stuck cannot
        // outlive the test and hold its output open.
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(began) << "the writer wrote no page";
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed instead";
        // Only the moment of a replacing rename has a name to leave: the
        // next run into the folder removes it.
        const std::string window = ".quindle-" + std::to_string(child) + "-";
        for (const std::string& name : Names(dir)) {
            if (name.starts_with(window)) continue;
            ASSERT_TRUE(name.starts_with("p") && name.ends_with(".htm")) << name;
            EXPECT_TRUE(Whole(ReadFileText(dir / name))) << name << " is half-written";
        }
        WriteHtml(wb, dir / "p0.htm", {});
        for (const std::string& name : Names(dir)) EXPECT_TRUE(name.starts_with("p")) << name << " was left behind";
    }
}
