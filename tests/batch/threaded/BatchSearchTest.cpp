#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "batch/Match.h"
#include "batch/TkvBatch.h"
#include "platform/Switches.h"
#include "project/TkvProject.h"
#include "support/TempDir.h"

using namespace batch;

namespace fs = std::filesystem;

namespace {

// The process-wide objects a search reads, set up as start-up does.
class BatchSearch : public ::testing::Test {
protected:
    void SetUp() override {
        savedMatch_ = kvMatch;
        savedProject_ = project::kvProject;
        savedSkip_ = platform::SkipLockFiles.load();
        kvMatch = &matcher_;
        project::kvProject = &project_;
        platform::SkipLockFiles = true;
    }
    void TearDown() override {
        kvMatch = savedMatch_;
        project::kvProject = savedProject_;
        platform::SkipLockFiles = savedSkip_;
    }

    // Runs a whole search and returns the entries' file names, relative to
    // the temporary folder, in list order.
    std::vector<std::string> Run(const std::string& source, bool recurse, TkvBatch* batch = nullptr) {
        TkvBatch own;
        TkvBatch& b = batch ? *batch : own;
        b.Start(source, dir_ / "out", recurse);
        std::vector<std::string> names;
        std::string root = dir_.Path().string() + "/";
        while (TkvNode* node = b.NextNode()) {
            EXPECT_EQ(node->Index, static_cast<int32_t>(names.size()));
            names.push_back(node->FileName.compare(0, root.size(), root) == 0 ? node->FileName.substr(root.size())
                                                                              : node->FileName);
        }
        EXPECT_TRUE(b.IsExhausted());
        return names;
    }

    TempDir dir_;
    TkvMatch matcher_;
    project::TkvProject project_;

private:
    TkvMatchBase* savedMatch_ = nullptr;
    project::TkvProject* savedProject_ = nullptr;
    bool savedSkip_ = false;
};

std::set<std::string> AsSet(const std::vector<std::string>& v) { return {v.begin(), v.end()}; }

TEST_F(BatchSearch, FindsWhatTheMaskAndOptionsAllow) {
    for (const char* f : {"in/Book.xls", "in/Book.xlsx", "in/~$Book1.xlsx", "in/.hidden.xlsm", "in/notes.txt",
                          "in/2024/a.xls", "in/.h/b.xls", "in/sub/c.XLSM"})
        dir_.Write(f, "x");
    std::string source = dir_ / "in/*.xls?";

    EXPECT_EQ(AsSet(Run(source, false)), (std::set<std::string>{"in/Book.xls", "in/Book.xlsx", "in/.hidden.xlsm"}));
    EXPECT_TRUE(fs::is_directory(dir_ / "out"));  // the target is made on start

    project_.SetOption("SkipHidden", "1");
    std::vector<std::string> all = Run(source, true);
    EXPECT_EQ(AsSet(all), (std::set<std::string>{"in/Book.xls", "in/Book.xlsx", "in/2024/a.xls", "in/sub/c.XLSM"}));
    // The folder's own files first.
    EXPECT_EQ(AsSet({all.begin(), all.begin() + 2}), (std::set<std::string>{"in/Book.xls", "in/Book.xlsx"}));

    project_.SetOption("RegExt", "2024");
    EXPECT_EQ(Run(source, true), std::vector<std::string>{"in/2024/a.xls"});
    project_.SetOption("RegExt", "([unclosed");
    EXPECT_EQ(Run(source, true).size(), 4u);  // a broken extra pattern filters nothing
}

TEST_F(BatchSearch, SourceForms) {
    dir_.Write("in/a.xls", "x");
    dir_.Write("in/b.xls", "x");
    TkvBatch batch;
    EXPECT_EQ(Run("file://" + (dir_ / "in/*.XLS"), false, &batch).size(), 2u);
    EXPECT_EQ(batch.SourceDir(), dir_ / "in/");
    EXPECT_EQ(Run(dir_ / "in/a.xls", false), std::vector<std::string>{"in/a.xls"});
    EXPECT_TRUE(Run(dir_ / "in/", true).empty());  // no mask, no files

    // Without a folder part the current folder is searched and names stay relative.
    fs::path saved = fs::current_path();
    fs::current_path(dir_.Path() / "in");
    std::vector<std::string> relative = Run("*.xls", false);
    fs::current_path(saved);
    EXPECT_EQ(AsSet(relative), (std::set<std::string>{"a.xls", "b.xls"}));
}

TEST_F(BatchSearch, StartingAgainSearchesNoMore) {
    dir_.Write("in/a.xls", "x");
    TkvBatch batch;
    EXPECT_EQ(Run(dir_ / "in/*.xls", false, &batch).size(), 1u);
    batch.Start(dir_ / "in/*", dir_ / "out2", true);
    EXPECT_EQ(batch.NextNode(), nullptr);
    EXPECT_EQ(batch.Count(), 1);
    EXPECT_EQ(batch.SourceDir(), dir_ / "in/");
    EXPECT_EQ(batch.TargetDir(), dir_ / "out2/");  // made a folder: names are put straight after it

    TkvBatch direct;  // filled by hand: Start never searches
    direct.AddFile(dir_ / "in/a.xls");
    direct.Start(dir_ / "in/*", dir_ / "out", true);
    EXPECT_NE(direct.NextNode(), nullptr);
    EXPECT_EQ(direct.NextNode(), nullptr);
}

TEST_F(BatchSearch, ThrowingReceiverDoesNotEndTheSearch) {
    for (int i = 0; i < 5; ++i) dir_.Write("in/f" + std::to_string(i) + ".xls", "x");
    TkvBatch batch;
    batch.OnNodeAdded = [](TkvBatch&, TkvNode&) { throw std::runtime_error("receiver broke"); };
    EXPECT_EQ(Run(dir_ / "in/*.xls", false, &batch).size(), 5u);
}

}  // namespace
