#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "batch/Search.h"
#include "platform/Switches.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

using namespace batch;

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Search(const TempDir& dir, const std::string& mask, bool recurse, bool skipHidden,
                                TkvStopTest stop = {}) {
    std::string root = dir.Path().string() + "/";
    std::vector<std::string> out;
    SearchFolder(root, mask, recurse, skipHidden, stop, [&](const std::string& p) {
        EXPECT_EQ(p.compare(0, root.size(), root), 0) << p;
        out.push_back(p.substr(root.size()));
    });
    return out;
}

std::set<std::string> AsSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

class LockFiles : public ::testing::Test {
protected:
    void SetUp() override { saved_ = platform::SkipLockFiles.load(); }
    void TearDown() override { platform::SkipLockFiles = saved_; }
    bool saved_ = false;
};

TEST(SearchFolder, FolderFilesComeBeforeSubfoldersDepthFirst) {
    TempDir d;
    for (const char* f : {"a.xls", "b.xlsx", "z.xlsm", "s1/c.xls", "s1/t/d.xls", "s1/t/u/e.xls", "s1/f.xls", "s2/g.xls",
                          "s2/h.xls", "s3/v/w/i.xls"})
        d.Write(f, "x");
    std::vector<std::string> got = Search(d, "*.xls?", true, false);
    ASSERT_EQ(got.size(), 10u);
    // Every folder's subtree is one block, and its own files open the block.
    for (const std::string& folder :
         {std::string(), std::string("s1/"), std::string("s1/t/"), std::string("s2/"), std::string("s3/")}) {
        std::vector<size_t> at;
        for (size_t i = 0; i < got.size(); ++i)
            if (got[i].compare(0, folder.size(), folder) == 0) at.push_back(i);
        ASSERT_FALSE(at.empty());
        EXPECT_EQ(at.back() - at.front() + 1, at.size()) << "subtree of '" << folder << "' is split";
        bool inSub = false;
        for (size_t i : at) {
            bool direct = got[i].find('/', folder.size()) == std::string::npos;
            EXPECT_FALSE(direct && inSub) << got[i] << " after a sub-folder of '" << folder << "'";
            inSub = inSub || !direct;
        }
    }
    EXPECT_EQ(AsSet(Search(d, "*.xls?", false, false)), (std::set<std::string>{"a.xls", "b.xlsx", "z.xlsm"}));

    // Within a folder, names in order ignoring case, whatever order the file
    // system keeps them in.
    TempDir named;
    for (const char* f : {"b.xls", "C.xls", "a.xls", "A2.xls", "sub2/x.xls", "Sub1/y.xls"}) named.Write(f, "x");
    EXPECT_EQ(Search(named, "*.xls", true, false),
              (std::vector<std::string>{"a.xls", "A2.xls", "b.xls", "C.xls", "Sub1/y.xls", "sub2/x.xls"}));
}

TEST_F(LockFiles, SkipRules) {
    TempDir d;
    for (const char* f : {"Book.xls", ".hidden.xls", "~$Book.xls", "notes.txt", ".h/in-hidden.xls", "sub/.deep.xls",
                          "sub/~$x.xlsx", "sub/ok.xlsx"})
        d.Write(f, "x");
    fs::create_directory(d.Path() / "folder.xls");  // a folder that fits the mask is no file
    mkfifo((d / "pipe.xls").c_str(), 0600);  // nor is a pipe: it would block its reader

    platform::SkipLockFiles = true;
    EXPECT_EQ(AsSet(Search(d, "*.xls?", true, true)), (std::set<std::string>{"Book.xls", "sub/ok.xlsx"}));
    EXPECT_EQ(AsSet(Search(d, "*.xls?", true, false)),
              (std::set<std::string>{"Book.xls", ".hidden.xls", "sub/.deep.xls", "sub/ok.xlsx"}));
    platform::SkipLockFiles = false;
    EXPECT_EQ(AsSet(Search(d, "*.xls?", false, true)), (std::set<std::string>{"Book.xls", "~$Book.xls"}));
    EXPECT_TRUE(Search(d, "", true, false).empty());
    EXPECT_EQ(Search(d, "BOOK.XLS", true, false), std::vector<std::string>{"Book.xls"});
}

TEST(SearchFolder, StopEndsTheWalkAtOnce) {
    TempDir d;
    for (int i = 0; i < 20; ++i) d.Write("f" + std::to_string(i) + ".xls", "x");
    d.Write("sub/s.xls", "x");
    int asked = 0;
    std::vector<std::string> got = Search(d, "*.xls", true, false, [&] { return ++asked >= 3; });
    EXPECT_EQ(got.size(), 3u);  // the third answer already stops; no sub-folder is searched
    EXPECT_EQ(asked, 3);
    EXPECT_TRUE(std::none_of(got.begin(), got.end(), [](auto& p) { return p.find('/') != std::string::npos; }));
}

TEST(SearchFolder, LinksLoopsAndStrangeNames) {
    TempDir d;
    d.Write("a/x.xls", "x");
    d.Write("real.xls", "x");
    fs::create_directory_symlink("..", d.Path() / "a" / "up");  // back to the root
    fs::create_directory_symlink(d.Path() / "a", d.Path() / "alias");
    fs::create_symlink(d.Path() / "real.xls", d.Path() / "link.xls");
    fs::create_symlink(d.Path() / "gone.xls", d.Path() / "dangling.xls");
    d.Write("b/\xff\xfe.xls", "x");

    std::vector<std::string> got = Search(d, "*.xls", true, false);
    std::set<std::string> names;
    for (auto& p : got) names.insert(fs::path(p).filename().string());
    // Each file once, through whichever road reached its folder first.
    EXPECT_EQ(got.size(), 4u);
    EXPECT_EQ(names, (std::set<std::string>{"x.xls", "real.xls", "link.xls", "\xff\xfe.xls"}));

    std::vector<std::string> none;
    SearchFolder((d / "missing") + "/", "*.xls", true, false, {}, [&](auto& p) { none.push_back(p); });
    EXPECT_TRUE(none.empty());
}

TEST(SearchFolder, UnreadableFolderIsReportedWithItsReason) {
    TempDir d;
    d.Write("open/a.xls", "x");
    d.Write("closed/b.xls", "x");
    d.Write("z.xls", "x");
    const std::string root = d.Path().string() + "/";
    const std::string problem = Unprivileged(d.Path(), [&]() -> std::string {
        fs::permissions(d.Path() / "closed", fs::perms::none);
        std::vector<std::string> found;
        std::vector<std::pair<std::string, std::string>> failed;
        auto onFailure = [&](const std::string& f, const std::string& why) { failed.emplace_back(f, why); };
        SearchFolder(
            root, "*.xls", true, false, {}, [&](const std::string& p) { found.push_back(p.substr(root.size())); },
            onFailure);
        if (AsSet(found) != std::set<std::string>{"open/a.xls", "z.xls"}) return "found the wrong files";
        if (failed.size() != 1 || failed[0].first != root + "closed/" || failed[0].second != "Permission denied")
            return "the closed folder was not reported";
        // The source folder itself; a missing one is not a failure (it matches nothing).
        failed.clear();
        SearchFolder(
            root + "closed/", "*.xls", false, false, {}, [&](auto&) {}, onFailure);
        SearchFolder(
            root + "missing/", "*.xls", false, false, {}, [&](auto&) {}, onFailure);
        fs::permissions(d.Path() / "closed", fs::perms::owner_all);
        if (failed.size() != 1 || failed[0].first != root + "closed/") return "the source folder was not reported";
        return "";
    });
    EXPECT_EQ(problem, "");
}

// Links out of the tree would carry the run (and its source clean-up) where
// nobody asked for it; links within it are walked as before.
TEST(SearchFolder, LinksNeverLeaveTheTreeOfTheSource) {
    TempDir d;
    d.Write("outside.xls", "x");
    d.Write("elsewhere/far.xls", "x");
    d.Write("src/own.xls", "x");
    d.Write("src/sub/deep.xls", "x");
    d.Write("src/.hidden/secret.xls", "x");
    fs::create_directory_symlink("..", d.Path() / "src/up");
    fs::create_directory_symlink(d.Path() / "elsewhere", d.Path() / "src/away");
    fs::create_directory_symlink("../../src/sub", d.Path() / "src/sub/again");
    fs::create_symlink("../outside.xls", d.Path() / "src/out-link.xls");
    fs::create_symlink(d.Path() / "elsewhere/far.xls", d.Path() / "src/far-link.xls");
    fs::create_symlink("sub/deep.xls", d.Path() / "src/in-link.xls");
    fs::create_symlink(".hidden/secret.xls", d.Path() / "src/hidden-link.xls");
    fs::create_symlink("hop.xls", d.Path() / "src/chain.xls");
    fs::create_symlink("../outside.xls", d.Path() / "src/hop.xls");

    const std::string root = (d / "src") + "/";
    std::vector<std::string> found;
    SearchFolder(root, "*.xls", true, false, {}, [&](const std::string& p) { found.push_back(p.substr(root.size())); });
    EXPECT_EQ(AsSet(found), (std::set<std::string>{"own.xls", "in-link.xls", "hidden-link.xls", "sub/deep.xls"}));
}

TEST(SearchFolder, FolderThatVanishesBeforeItsTurn) {
    TempDir d;
    d.Write("a.xls", "x");
    d.Write("gone/b.xls", "x");
    d.Write("kept/c.xls", "x");
    std::string root = d.Path().string() + "/";
    std::vector<std::string> got;
    SearchFolder(root, "*.xls", true, false, {}, [&](const std::string& p) {
        got.push_back(p.substr(root.size()));
        if (got.size() == 1) fs::remove_all(d.Path() / "gone");
    });
    EXPECT_EQ(got, (std::vector<std::string>{"a.xls", "kept/c.xls"}));
}

TEST(SearchFolder, PathsLongerThanTheSystemLimit) {
    TempDir d;
    // Built and removed relative to open folders: the full path cannot be used.
    const std::string part(200, 'p');
    const int depth = 30;  // about 6000 bytes
    int fd = open(d.Path().c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<int> fds{fd};
    for (int i = 0; i < depth; ++i) {
        ASSERT_EQ(mkdirat(fds.back(), part.c_str(), 0700), 0);
        fds.push_back(openat(fds.back(), part.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(fds.back(), 0);
    }
    int file = openat(fds.back(), "deep.xls", O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(file, 0);
    close(file);

    std::vector<std::string> got = Search(d, "*.xls", true, false);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_GT(got[0].size(), 6000u);
    EXPECT_EQ(got[0].substr(got[0].size() - 9), "/deep.xls");

    unlinkat(fds.back(), "deep.xls", 0);
    for (int i = depth; i > 0; --i) {
        close(fds[i]);
        unlinkat(fds[i - 1], part.c_str(), AT_REMOVEDIR);
    }
    close(fds[0]);
}

TEST(SearchFolder, EmptyFolderMeansTheCurrentOne) {
    TempDir d;
    d.Write("here.xls", "x");
    fs::path saved = fs::current_path();
    fs::current_path(d.Path());
    std::vector<std::string> got;
    SearchFolder("", "*.xls", false, false, {}, [&](auto& p) { got.push_back(p); });
    fs::current_path(saved);
    EXPECT_EQ(got, std::vector<std::string>{"here.xls"});
}

}  // namespace
