#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "convert/Workers.h"
#include "support/ConvertFixture.h"
#include "support/FakeExcel.h"
#include "support/Wait.h"

using namespace convert;

namespace {

// Converts by waiting a while; counts how often each entry came by.
struct SlowScript {
    std::mutex mutex;  // guards seen
    std::map<std::string, int> seen;
    std::atomic<int> delayMs{1};
    std::atomic<int> started{0};
};
SlowScript* slow = nullptr;

class TkvTestSlow : public TkvConvertor {
public:
    using TkvConvertor::TkvConvertor;
    void ConvertNode(batch::TkvBatch& batch, batch::TkvNode& node) override {
        ++slow->started;
        std::this_thread::sleep_for(std::chrono::milliseconds(slow->delayMs.load()));
        {
            std::lock_guard<std::mutex> lock(slow->mutex);
            ++slow->seen[node.FileName];
        }
        node.ResultText = "done";
        node.State = batch::TNodeState::Success;
        batch.ReportSuccess();
    }
};

class RecordingDispatcher : public IMainThreadDispatcher {
public:
    std::atomic<int> calls{0};
    std::mutex mutex;  // serialises the callbacks as one main thread would
    void RunOnMainThreadAndWait(const std::function<void()>& fn) override {
        std::lock_guard<std::mutex> lock(mutex);
        ++calls;
        fn();
    }
};

class Chain : public ConvertTest {
protected:
    SlowScript script;
    std::atomic<int> finished{0};
    std::atomic<int> done{0};

    void SetUp() override {
        ConvertTest::SetUp();
        slow = &script;
        RegisterConverterClass("TkvTestSlow", [](batch::TkvBatch& b, batch::TkvNodeEvent e, int32_t n) {
            return std::unique_ptr<TkvConvertor>(new TkvTestSlow(b, std::move(e), n));
        });
        project->ConverterClass = "TkvTestSlow";
    }
    void TearDown() override {
        RegisterConverterClass("TkvTestSlow", nullptr);
        SetMainThreadDispatcher(nullptr);
        ConvertTest::TearDown();
    }
    batch::TkvBatch& Searching(int files) {
        for (int i = 0; i < files; ++i) Put("f" + std::to_string(100 + i) + ".xlsx");
        batch = std::make_unique<batch::TkvBatch>();
        batch->Start(src + "*.xls?", out, false);
        return *batch;
    }
    std::shared_ptr<TkvWorkerChain> Workers(int threads) {
        project->SetOption("ThreadsCount", std::to_string(threads));
        auto chain = CreateWorkers(*batch, out, [this](batch::TkvBatch&, batch::TkvNode&) { ++done; });
        chain->SetOnFinish([this] { ++finished; });
        return chain;
    }
    void WaitFinished(int expected) {
        ASSERT_TRUE(WaitUntil([&] { return finished.load() >= expected; }));
        ASSERT_EQ(finished.load(), expected);
    }
};

}  // namespace

TEST_F(Chain, SeveralWorkersShareOneBatchWithoutDoubles) {
    Searching(40);
    RecordingDispatcher dispatcher;
    SetMainThreadDispatcher(&dispatcher);
    auto chain = Workers(4);
    LiveWorkerCount = chain->ChainLength();
    chain->ResumeAll();
    ASSERT_TRUE(WaitUntil([] { return LiveWorkerCount.load() <= 0; }));
    chain.reset();

    EXPECT_EQ(finished, 4);
    EXPECT_EQ(dispatcher.calls, 4);
    EXPECT_EQ(done, 40);
    EXPECT_EQ(batch->SuccessCount(), 40);
    std::lock_guard<std::mutex> lock(script.mutex);
    EXPECT_EQ(script.seen.size(), 40u);
    for (const auto& [name, times] : script.seen) EXPECT_EQ(times, 1) << name;
}

TEST_F(Chain, PauseLetsTheCurrentFileFinishAndANewChainGoesOn) {
    Searching(30);
    script.delayMs = 15;
    auto chain = Workers(2);
    chain->ResumeAll();
    ASSERT_TRUE(WaitUntil([&] { return script.started.load() >= 3; }));
    chain->TerminateAll();
    WaitFinished(2);
    chain.reset();

    int first = done.load();
    EXPECT_GE(first, 3);
    EXPECT_LT(first, 30);
    EXPECT_EQ(script.started.load(), first);  // every entry taken was finished

    script.delayMs = 0;
    finished = 0;
    chain = Workers(3);
    chain->ResumeAll();
    WaitFinished(3);
    chain.reset();
    EXPECT_EQ(done, 30);
    std::lock_guard<std::mutex> lock(script.mutex);
    for (const auto& [name, times] : script.seen) EXPECT_EQ(times, 1) << name;
}

TEST_F(Chain, StopBeforeResumeAndAHandleDroppedWhileRunning) {
    Searching(5);
    auto stopped = Workers(3);
    stopped->TerminateAll();
    stopped->ResumeAll();
    WaitFinished(3);
    stopped.reset();
    EXPECT_EQ(done, 0);

    // Nobody keeps the handle: the workers still finish and free themselves.
    finished = 0;
    script.delayMs = 5;
    std::weak_ptr<TkvWorkerChain> watch;
    {
        auto chain = Workers(2);
        LiveWorkerCount = chain->ChainLength();
        chain->ResumeAll();
        watch = chain;
    }
    WaitFinished(2);
    // The count is what a run waits for before it frees the batch; reading
    // it also orders this thread after the workers' last use of the batch.
    ASSERT_TRUE(WaitUntil([] { return LiveWorkerCount.load() <= 0; }));
    EXPECT_EQ(done, 5);
    // The last thread to end frees the chain.
    EXPECT_TRUE(WaitUntil([&] { return watch.expired(); }));
}

TEST_F(Chain, AFailingCallbackMarksTheEntryAndTheWorkerGoesOn) {
    Searching(4);
    project->SetOption("ThreadsCount", "1");
    auto chain = CreateWorkers(*batch, out, [](batch::TkvBatch&, batch::TkvNode& n) {
        if (n.FileName.find("f101") != std::string::npos) throw std::runtime_error("callback broke");
    });
    chain->SetOnFinish([this] { ++finished; });
    chain->ResumeAll();
    WaitFinished(1);
    chain.reset();
    auto& nodes = batch->LockNodes();
    ASSERT_EQ(nodes.size(), 4u);
    for (auto& n : nodes) {
        bool broken = n->FileName.find("f101") != std::string::npos;
        EXPECT_EQ(n->ResultText, broken ? "callback broke" : "done");
    }
    batch->UnlockNodes();
}

TEST_F(Chain, EachWorkerDrivesAnInstanceOfItsOwn) {
    fake::Installed excel;
    project->ConverterClass = "TkvQUINDLE";
    Searching(12);
    auto chain = Workers(3);
    LiveWorkerCount = chain->ChainLength();
    chain->ResumeAll();
    ASSERT_TRUE(WaitUntil([] { return LiveWorkerCount.load() <= 0; }));
    chain.reset();

    EXPECT_EQ(batch->SuccessCount(), 12);
    std::lock_guard<std::mutex> lock(excel.script->mutex);
    EXPECT_GE(excel.script->created, 1);
    EXPECT_LE(excel.script->created, 3);
    EXPECT_EQ(excel.script->quits, excel.script->created);
    EXPECT_EQ(excel.script->closes, 12);
}
