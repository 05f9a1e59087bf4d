#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "batch/TkvBatch.h"
#include "support/TempDir.h"
#include "support/Wait.h"

using namespace batch;

namespace {

constexpr int kWorkers = 8;

// A tree of `folders` x `files` workbooks.
void MakeTree(const TempDir& dir, int folders, int files) {
    for (int d = 0; d < folders; ++d)
        for (int f = 0; f < files; ++f) dir.Write("in/d" + std::to_string(d) + "/f" + std::to_string(f) + ".xls", "");
}

// Workers as the converters use the batch: take entries until none is left.
struct Workers {
    explicit Workers(TkvBatch& batch) {
        for (int w = 0; w < kWorkers; ++w)
            threads.emplace_back([&batch, this, w] {
                while (TkvNode* node = batch.NextNode()) taken[w].push_back(node);
            });
    }
    void Join() {
        for (auto& t : threads) t.join();
    }
    std::vector<std::thread> threads;
    std::vector<TkvNode*> taken[kWorkers];
};

// Every entry of the batch was handed out exactly once, each worker got its
// entries in list order, and the list matches the batch's.
void ExpectEachOnceInOrder(TkvBatch& batch, const Workers& workers) {
    auto& nodes = batch.LockNodes();
    std::vector<int> count(nodes.size(), 0);
    for (const auto& list : workers.taken) {
        for (size_t i = 0; i < list.size(); ++i) {
            ASSERT_GE(list[i]->Index, 0);
            ASSERT_LT(list[i]->Index, static_cast<int32_t>(nodes.size()));
            EXPECT_EQ(nodes[list[i]->Index].get(), list[i]);
            ++count[list[i]->Index];
            if (i > 0) {
                EXPECT_LT(list[i - 1]->Index, list[i]->Index);
            }
        }
    }
    for (size_t i = 0; i < count.size(); ++i) EXPECT_EQ(count[i], 1) << "entry " << i;
    batch.UnlockNodes();
}

TEST(HandOut, ManyWorkersDuringTheSearch) {
    TempDir dir;
    MakeTree(dir, 40, 50);
    TkvBatch batch;
    std::atomic<int> added{0};
    batch.OnNodeAdded = [&](TkvBatch& b, TkvNode& node) {
        EXPECT_EQ(node.Index, added.load());
        ++added;
    };
    Workers workers(batch);  // waiting before there is anything to take
    std::atomic<bool> done{false};
    std::thread owner([&] {  // the window reads the list and the progress while they grow
        int32_t lastHandedOut = 0;
        while (!done) {
            auto& nodes = batch.LockNodes();
            for (size_t i = 0; i < nodes.size(); ++i) EXPECT_EQ(nodes[i]->Index, static_cast<int32_t>(i));
            batch.UnlockNodes();
            batch.Count();
            batch.IsSearching();
            const int32_t handedOut = batch.HandedOut();
            EXPECT_GE(handedOut, lastHandedOut);
            lastHandedOut = handedOut;
        }
    });
    batch.Start(dir / "in/*.xls", dir / "out", true);
    workers.Join();
    done = true;
    owner.join();

    EXPECT_EQ(batch.Count(), 2000);
    EXPECT_EQ(added.load(), 2000);
    EXPECT_EQ(batch.HandedOut(), 2000);
    EXPECT_FALSE(batch.IsSearching());
    EXPECT_TRUE(batch.IsExhausted());
    EXPECT_EQ(batch.NextNode(), nullptr);
    ExpectEachOnceInOrder(batch, workers);
}

TEST(HandOut, TerminateKeepsWhatWasFound) {
    TempDir dir;
    MakeTree(dir, 20, 20);
    TkvBatch batch;
    batch.OnNodeAdded = [](TkvBatch& b, TkvNode& node) {
        if (node.Index == 9) b.Terminate();
    };
    Workers workers(batch);
    batch.Start(dir / "in/*.xls", dir / "out", true);
    workers.Join();
    // The walk stops at the entry after which it was told to.
    EXPECT_EQ(batch.Count(), 10);
    ExpectEachOnceInOrder(batch, workers);

    TkvBatch second;  // stopped by the owner while the workers wait
    Workers more(second);
    std::atomic<bool> seen{false};
    second.OnNodeAdded = [&](TkvBatch&, TkvNode&) { seen = true; };
    second.Start(dir / "in/*.xls", dir / "out", true);
    ASSERT_TRUE(WaitUntil([&] { return seen.load(); }, std::chrono::seconds(20), std::chrono::milliseconds(0)));
    second.Terminate();
    more.Join();
    int32_t found = second.Count();
    EXPECT_GE(found, 1);
    EXPECT_EQ(second.NextNode(), nullptr);
    ExpectEachOnceInOrder(second, more);
}

TEST(HandOut, DestroyingStopsTheSearch) {
    TempDir dir;
    MakeTree(dir, 20, 20);
    std::atomic<int> added{0};
    std::atomic<bool> destroying{false};
    {
        TkvBatch batch;
        batch.OnNodeAdded = [&](TkvBatch&, TkvNode&) {
            ++added;
            // The first entry waits for the owner to let the batch go; from
            // then on the walk is slow enough that it could not reach the end
            // before the destructor asks it to stop.
            WaitUntil([&] { return destroying.load(); }, std::chrono::seconds(10));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
        batch.Start(dir / "in/*.xls", dir / "out", true);
        ASSERT_TRUE(WaitUntil([&] { return added.load() > 0; }));
        destroying = true;
    }  // the destructor stops the search and joins its thread
    EXPECT_GE(added.load(), 1);
    EXPECT_LT(added.load(), 400) << "the search went on to the end";
}

TEST(HandOut, ReceiverRunsOutsideTheLock) {
    TempDir dir;
    MakeTree(dir, 1, 3);
    TkvBatch batch;
    std::atomic<int> free{0};
    batch.OnNodeAdded = [&](TkvBatch& b, TkvNode&) {
        // Another thread must get the lock while the receiver runs.
        auto other = std::async(std::launch::async, [&b] {
            b.LockNodes();
            b.UnlockNodes();
        });
        if (other.wait_for(std::chrono::seconds(10)) == std::future_status::ready) ++free;
    };
    batch.Start(dir / "in/*.xls", dir / "out", true);
    while (batch.NextNode()) {}
    EXPECT_EQ(free.load(), 3);
}

TEST(HandOut, TotalsFromManyWorkers) {
    TkvBatch batch;
    std::vector<std::thread> threads;
    for (int w = 0; w < kWorkers; ++w)
        threads.emplace_back([&batch, w] {
            for (int i = 0; i < 500; ++i) {
                batch.ReportSuccess();
                batch.ReportFailure(i % 2 ? "Cannot open file" : (w % 2 ? "CANNOT OPEN FILE" : "Bad format"));
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(batch.SuccessCount(), 4000);
    EXPECT_EQ(batch.FailureCount(), 4000);
    EXPECT_EQ(batch.Errors().size(), 2u);
}

}  // namespace
