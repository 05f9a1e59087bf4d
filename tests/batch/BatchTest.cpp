#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "batch/Match.h"
#include "batch/TkvBatch.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

using namespace batch;

namespace {

TEST(Batch, NormalizePathTurnsFileAddressesIntoPaths) {
    EXPECT_EQ(TkvBatch::NormalizePath("file:///data/in/*.xls"), "/data/in/*.xls");
    EXPECT_EQ(TkvBatch::NormalizePath("file://server/share/*.xls"), "/server/share/*.xls");
    EXPECT_EQ(TkvBatch::NormalizePath("file:/a.xls"), "/a.xls");
    EXPECT_EQ(TkvBatch::NormalizePath("file:a.xls"), "/a.xls");
    EXPECT_EQ(TkvBatch::NormalizePath("file:"), "/");
    // Only the exact lower-case prefix at the very start counts.
    EXPECT_EQ(TkvBatch::NormalizePath("FILE:///x.xls"), "FILE:///x.xls");
    EXPECT_EQ(TkvBatch::NormalizePath("/data/file:///x"), "/data/file:///x");
    EXPECT_EQ(TkvBatch::NormalizePath("in/*.xls?"), "in/*.xls?");
    EXPECT_EQ(TkvBatch::NormalizePath(""), "");
}

TEST(Batch, EmptyTargetFailsBeforeAnythingStarts) {
    TkvBatch batch;
    try {
        batch.Start("/nowhere/*.xls", "", true);
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Unable to create directory");
    }
    EXPECT_EQ(batch.Count(), 0);
    EXPECT_FALSE(batch.IsExhausted());
}

TEST(Batch, FailureMessagesAreKeptOnceIgnoringCase) {
    TkvBatch batch;
    for (int i = 0; i < 3; ++i) batch.ReportFailure("Disk full");
    batch.ReportFailure("DISK FULL");
    batch.ReportFailure("Workbook is encrypted");
    batch.ReportFailure("Übel");
    batch.ReportFailure("üBEL");
    batch.ReportSuccess();
    batch.ReportSuccess();
    EXPECT_EQ(batch.FailureCount(), 7);
    EXPECT_EQ(batch.SuccessCount(), 2);
    EXPECT_EQ(batch.Errors(), (std::vector<std::string>{"Disk full", "Workbook is encrypted", "Übel"}));
}

TEST(Batch, AddedFilesSkipTheMaskAndEndTheList) {
    TkvMatch matcher;
    TkvMatchBase* saved = kvMatch;
    kvMatch = &matcher;
    TkvBatch batch;
    std::vector<std::pair<int32_t, std::string>> seen;
    batch.OnNodeAdded = [&](TkvBatch& b, TkvNode& node) {
        EXPECT_EQ(&b, &batch);
        // The lock is free to take again: the owner updates its rows under it.
        auto& nodes = b.LockNodes();
        EXPECT_EQ(nodes.back().get(), &node);
        EXPECT_EQ(b.Count(), node.Index + 1);
        b.UnlockNodes();
        seen.emplace_back(node.Index, node.FileName);
    };
    batch.AddFile("/in/a.txt");
    batch.AddFile("/in/b.docx");
    kvMatch = saved;

    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, std::string>>{{0, "/in/a.txt"}, {1, "/in/b.docx"}}));
    TkvNode* first = batch.NextNode();
    TkvNode* second = batch.NextNode();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->FileName, "/in/a.txt");
    EXPECT_EQ(second->Index, 1);
    EXPECT_EQ(second->State, TNodeState::Waiting);
    EXPECT_FALSE(batch.IsExhausted());
    EXPECT_EQ(batch.NextNode(), nullptr);
    EXPECT_TRUE(batch.IsExhausted());
    EXPECT_EQ(batch.NextNode(), nullptr);
    EXPECT_EQ(batch.Count(), 2);
}

}  // namespace

// A folder the search cannot read is an entry of its own, a failure from the
// start, so that the run's record says what was not searched.
TEST(Batch, AnUnreadableFolderBecomesAFailedEntry) {
    namespace fs = std::filesystem;
    TempDir d;
    d.Write("in/a.xls", "x");
    d.Write("in/locked/b.xls", "x");
    d.Write("out/x", "");
    const std::string problem = Unprivileged(d.Path(), [&]() -> std::string {
        fs::permissions(d.Path() / "in/locked", fs::perms::none);
        TkvBatch batch;
        batch.Start(d / "in/*.xls", d / "out", true);
        std::vector<TkvNode*> nodes;
        while (TkvNode* n = batch.NextNode()) nodes.push_back(n);
        fs::permissions(d.Path() / "in/locked", fs::perms::owner_all);
        if (nodes.size() != 2) return "entries: " + std::to_string(nodes.size());
        if (nodes[0]->FileName != d / "in/a.xls" || nodes[0]->State != TNodeState::Waiting) return "the file";
        if (nodes[1]->FileName != d / "in/locked/" || nodes[1]->State != TNodeState::Failure) return "the folder";
        if (nodes[1]->ResultText != "The folder cannot be read (Permission denied)") return nodes[1]->ResultText;
        if (batch.FailureCount() != 1 || batch.Errors().size() != 1) return "not counted once";
        if (!batch.Searched() || batch.HandedOut() != 2) return "search state";
        return "";
    });
    EXPECT_EQ(problem, "");
}

TEST(Batch, APageIsClaimedByOneSourcePerRun) {
    TempDir d;
    d.Write("out/x", "");
    TkvBatch batch;
    TkvTargetClaims& claims = batch.Targets();
    EXPECT_EQ(claims.Claim(d / "out/report.htm", "/in/report.xls"), "");
    EXPECT_EQ(claims.Claim(d / "out/report.htm", "/in/report.xls"), "") << "the same source again";
    EXPECT_EQ(claims.Claim(d / "out/report.htm", "/in/report.xlsx"), "/in/report.xls");
    // The same page however its folder is written.
    EXPECT_EQ(claims.Claim(d / "out/../out/report.htm", "/in/sub/report.xls"), "/in/report.xls");
    EXPECT_EQ(claims.Claim(d / "out/other.htm", "/in/report.xlsx"), "");
}
