#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "FakeControl.h"
#include "ProjectFixture.h"
#include "platform/Choosers.h"
#include "platform/Files.h"

using namespace project;

namespace {

// The window outlives the project, as at exit.
class Window {
public:
    explicit Window(std::unique_ptr<TkvProject>& owner) : owner_(owner) {
        for (auto* c : {&source, &subdir, &target}) owner->BindControl(c);
    }
    ~Window() { owner_.reset(); }
    FakeControl source{"eSource", "Text"}, subdir{"cSubdir", "Checked"}, target{"eTarget", "Text"};

private:
    std::unique_ptr<TkvProject>& owner_;
};

struct SavePicker : platform::IChoosers {
    std::string answer;
    int calls = 0;
    void BrowseFolder(std::string&) override {}
    bool ChooseFiles(const std::string&, std::string& p, bool) override {
        ++calls;
        if (answer.empty()) return false;
        p = answer;
        return true;
    }
    bool ChooseSaveFile(const std::string&, const std::string& ext, std::string& p) override {
        ++calls;
        lastExt = ext;
        if (answer.empty()) return false;
        p = answer;
        return true;
    }
    std::string lastExt;
};

}  // namespace

TEST_F(ProjectTest, ControlsFollowTheOptionsAndBack) {
    TkvProject& p = Start();
    Window w(project);
    p.SetOptionsText("Comment line\r\nsource=/in/*.xls?\r\nSubdir=1\r\nThreadsCount=2\r\n");
    p.WriteControls();
    EXPECT_EQ(w.source.text, "/in/*.xls?");
    EXPECT_TRUE(w.subdir.checked) << "a number is a Boolean for the box too";
    EXPECT_EQ(w.target.text, "");

    w.subdir.checked = false;
    w.source.text = "/new/*.xls?";
    p.ReadControls();
    EXPECT_EQ(p.OptionsText(), "Comment line\r\nSource=/new/*.xls?\r\nSubdir=False\r\nThreadsCount=2\r\n")
        << "an empty target is not written; other lines keep their places";

    p.NewProject();
    EXPECT_EQ(p.OptionsText(), "");
    EXPECT_EQ(w.source.text, "");
    EXPECT_FALSE(w.subdir.checked);
}

TEST_F(ProjectTest, LegacyKeysMigrateIntoTheControls) {
    const std::string proj = dir.Write(
        "old.batch-quindle", "eSource.Text=/a/*.xls?\r\ncSubdir.Checked=True\r\nTarget=/x\r\neTarget.Text=/y\r\n");
    TkvProject& p = Start({proj});
    Window w(project);
    p.ParseCommandLine();
    EXPECT_EQ(w.source.text, "/a/*.xls?");
    EXPECT_TRUE(w.subdir.checked);
    EXPECT_EQ(w.target.text, "/x") << "the new key wins";
    EXPECT_EQ(p.OptionsText(), "Target=/x\r\neTarget.Text=/y\r\n") << "migrated lines are gone, the unused one stays";
    p.SaveProject();
    EXPECT_EQ(ReadFileText(proj), "Target=/x\r\neTarget.Text=/y\r\nSource=/a/*.xls?\r\nSubdir=True\r\n");
}

TEST_F(ProjectTest, AccessorsLiveInTheTagsUntilRelease) {
    TkvProject& p = Start();
    Window w(project);
    p.WriteControls();
    const int tag = w.subdir.tag;
    EXPECT_GT(tag, 0);
    p.ReadControls();
    EXPECT_EQ(w.subdir.tag, tag) << "one accessor per control";
    project.reset();
    EXPECT_EQ(w.source.tag, -1);
    EXPECT_EQ(w.subdir.tag, -1);
    EXPECT_EQ(w.target.tag, -1);
}

TEST_F(ProjectTest, SavingUntitledAsksForAName) {
    SavePicker picker;
    platform::SetChoosers(&picker);
    TkvProject& p = Start();
    Window w(project);
    w.source.text = "/in/*.xls?";
    p.SaveProject();
    EXPECT_EQ(picker.calls, 1);
    EXPECT_EQ(picker.lastExt, ".batch-quindle");
    EXPECT_EQ(p.FileName, "") << "cancelled: nothing written";
    EXPECT_TRUE(p.Recent().empty());

    picker.answer = dir / "new.batch-quindle";
    p.SaveProject();
    EXPECT_EQ(p.FileName, picker.answer);
    EXPECT_EQ(ReadFileText(picker.answer), "Source=/in/*.xls?\r\nSubdir=False\r\n");
    EXPECT_EQ(p.Recent(), std::vector<std::string>{picker.answer});

    picker.answer.clear();
    p.OpenProject(true);
    EXPECT_EQ(p.FileName, dir / "new.batch-quindle") << "a cancelled open changes nothing";
    platform::SetChoosers(nullptr);
}

TEST_F(ProjectTest, FailedWritesReachTheCallerAndKeepTheOldFile) {
    TkvProject& p = Start();
    p.FileName = dir / "missing/p.batch-quindle";
    p.SetOption("Source", "/a");
    EXPECT_THROW(p.SaveProject(), std::runtime_error);
    EXPECT_TRUE(p.Recent().empty());

    std::filesystem::create_directories(dir / "taken.batch-quindle");
    p.FileName = dir / "taken.batch-quindle";
    EXPECT_THROW(p.StoreOptions(true), std::runtime_error);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.batch-quindle"));

    p.FileName.clear();
    EXPECT_THROW(p.StoreOptions(true), std::runtime_error);
    EXPECT_NO_THROW(p.StoreOptions(false));
}

TEST_F(ProjectTest, UnreadableProjectsLeaveTheOptionsAsTheyWere) {
    std::filesystem::create_directories(dir / "dir.batch-quindle");
    TkvProject& p = Start();
    p.SetOptionsText("Source=/kept\r\n");
    p.FileName = dir / "dir.batch-quindle";
    p.OpenProject(false);
    EXPECT_EQ(p.OptionsText(), "Source=/kept\r\n");
    EXPECT_TRUE(p.Recent().empty());
    p.FileName = dir / "gone.batch-quindle";
    p.OpenProject(false);
    EXPECT_EQ(p.OptionsText(), "Source=/kept\r\n");

    std::string garbage("Source=/g\0\xFF\xFE\x01\r\nTarget=/t", 22);
    const std::string bad = dir.Write("bad.batch-quindle", garbage);
    p.FileName = bad;
    p.OpenProject(false);
    EXPECT_EQ(p.Source(), "/g") << "a NUL ends the text";
}

TEST_F(ProjectTest, RecentListKeepsOneEntryPerProject) {
    const std::string a = dir.Write("a.batch-quindle", "");
    {
        TkvProject& p = Start({a});
        p.ParseCommandLine();
        p.OpenProject(false);
        p.FileName = dir / "A.batch-quindle";
        p.AddRecent();
        EXPECT_EQ(p.Recent(), std::vector<std::string>{a}) << "a case variant is the same entry";
        p.FileName = "rel/b.batch-quindle";
        p.AddRecent();
        EXPECT_EQ(p.Recent(), (std::vector<std::string>{"rel/b.batch-quindle", a}));
    }
    project.reset();
    EXPECT_EQ(ReadFileText(dir / "bin/quindle.log"), "rel/b.batch-quindle\r\n" + a + "\r\n");
    TkvProject& q = Start();
    EXPECT_EQ(q.Recent().size(), 2u) << "read back at construction";
    q.SetOptionsText("");
    project.reset();
    dir.Write("bin/quindle.log", "");
    Start();
    project.reset();
    EXPECT_EQ(ReadFileText(dir / "bin/quindle.log"), "") << "an empty list is written too";
}

// Several runs that start together each add their project; the list that is
// left holds them all.
TEST_F(ProjectTest, ParallelRunsLoseNoRecentProject) {
    const std::string first = dir.Write("first.batch-quindle", "");
    {
        TkvProject& p = Start({first});
        p.ParseCommandLine();
    }
    project.reset();
    constexpr int kRuns = 20;
    std::vector<pid_t> children;
    for (int i = 0; i < kRuns; ++i) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int rc = 0;
            try {
                TkvProject& p = Start();
                p.FileName = dir / ("run" + std::to_string(i) + ".batch-quindle");
                p.AddRecent();
                project.reset();  // written at exit
            } catch (...) {
                rc = 1;
            }
            _exit(rc);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    TkvProject& q = Start();
    std::vector<std::string> recent = q.Recent();
    EXPECT_EQ(recent.size(), size_t(kRuns + 1));
    for (int i = 0; i < kRuns; ++i) {
        const std::string name = dir / ("run" + std::to_string(i) + ".batch-quindle");
        EXPECT_NE(std::find(recent.begin(), recent.end(), name), recent.end()) << name;
    }
    EXPECT_NE(std::find(recent.begin(), recent.end(), first), recent.end());
}
