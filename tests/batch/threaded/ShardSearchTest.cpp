#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>

#include "batch/Match.h"
#include "batch/Shard.h"
#include "batch/TkvBatch.h"
#include "platform/Switches.h"
#include "project/TkvProject.h"
#include "support/TempDir.h"

using namespace batch;

namespace fs = std::filesystem;

namespace {

class ShardSearch : public ::testing::Test {
protected:
    void SetUp() override {
        savedMatch_ = kvMatch;
        savedProject_ = project::kvProject;
        kvMatch = &matcher_;
        project::kvProject = &project_;
        for (int i = 0; i < 60; ++i)
            dir_.Write("in/" + std::string(i % 3 ? "sub" + std::to_string(i % 5) + "/" : "") + "book" +
                           std::to_string(i) + ".xlsx",
                       "x");
        dir_.Write("in/notes.txt", "not a workbook");
    }
    void TearDown() override {
        kvMatch = savedMatch_;
        project::kvProject = savedProject_;
    }

    // The entries a run with this Shard value finds, relative to the source.
    std::vector<std::string> Find(const std::string& shard, const std::string& source) {
        project_.SetOption("Shard", shard);
        TkvBatch batch;
        batch.Start(source, dir_ / "out", true);
        std::vector<std::string> found;
        while (TkvNode* node = batch.NextNode()) {
            EXPECT_EQ(node->Index, static_cast<int32_t>(found.size())) << "entries are numbered within the shard";
            found.push_back(node->FileName.substr(batch.SourceDir().size()));
        }
        EXPECT_EQ(batch.Count(), static_cast<int32_t>(found.size()));
        return found;
    }

    TempDir dir_;
    TkvMatch matcher_;
    project::TkvProject project_;

private:
    TkvMatchBase* savedMatch_ = nullptr;
    project::TkvProject* savedProject_ = nullptr;
};

TEST_F(ShardSearch, FourSharesFindEveryFileOnceByItsPathBelowTheSource) {
    const std::vector<std::string> all = Find("", dir_ / "in/*.xlsx");
    ASSERT_EQ(all.size(), 60u);
    std::multiset<std::string> together;
    for (int k = 1; k <= 4; ++k) {
        const std::vector<std::string> mine = Find(std::to_string(k) + "/4", dir_ / "in/*.xlsx");
        EXPECT_FALSE(mine.empty());
        EXPECT_LT(mine.size(), all.size());
        for (const std::string& rel : mine) {
            EXPECT_EQ(TShard::ShardOf(rel, 4), k) << rel;
            together.insert(rel);
        }
    }
    EXPECT_EQ(together, std::multiset<std::string>(all.begin(), all.end()));

    // The same folder reached by another path (another mount point, a
    // relative Source) splits the same way.
    fs::create_directory_symlink(dir_ / "in", dir_ / "mount");
    EXPECT_EQ(Find("2/4", dir_ / "mount/*.xlsx"), Find("2/4", dir_ / "in/*.xlsx"));
}

TEST_F(ShardSearch, AnInvalidShareFailsTheStartBeforeAnythingIsCreated) {
    project_.SetOption("Shard", "5/4");
    TkvBatch batch;
    EXPECT_THROW(batch.Start(dir_ / "in/*.xlsx", dir_ / "out", true), std::invalid_argument);
    EXPECT_FALSE(fs::exists(dir_ / "out"));
    EXPECT_EQ(batch.Count(), 0);
}

// Files added by hand (picked or dropped in the window) are the user's own
// choice: a share only splits what the search finds.
TEST_F(ShardSearch, FilesAddedByHandAreNotSplit) {
    project_.SetOption("Shard", "1/1000");
    kvMatch = nullptr;  // no mask to match: hand-picked files are taken as they are
    TkvBatch batch;
    batch.AddFile(dir_ / "in/book0.xlsx");
    batch.AddFile(dir_ / "in/book3.xlsx");
    EXPECT_EQ(batch.Count(), 2);
}

}  // namespace
