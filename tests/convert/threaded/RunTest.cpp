#include <condition_variable>
#include <set>
#include <thread>

#include "convert/Run.h"
#include "support/ConvertFixture.h"
#include "support/Wait.h"

using namespace convert;

namespace {

// Converts an entry once the test lets that file go.
struct Gates {
    std::mutex mutex;  // guards open, converted
    std::condition_variable cv;
    std::set<std::string> open;
    int converted = 0;

    void Let(const std::string& name) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            open.insert(name);
        }
        cv.notify_all();
    }
};
Gates* gates = nullptr;

class TkvTestGated : public TkvConvertor {
public:
    using TkvConvertor::TkvConvertor;
    void ConvertNode(batch::TkvBatch& batch, batch::TkvNode& node) override {
        const std::string name = node.FileName.substr(node.FileName.rfind('/') + 1);
        {
            std::unique_lock<std::mutex> lock(gates->mutex);
            // Bounded, so that a fault fails the test instead of hanging it.
            gates->cv.wait_for(lock, std::chrono::seconds(20), [&] { return gates->open.count(name) > 0; });
            ++gates->converted;
        }
        node.ResultText = "/out/" + name + ".htm";
        node.State = batch::TNodeState::Success;
        batch.ReportSuccess();
    }
};

class Run : public ConvertTest {
protected:
    Gates g;

    void SetUp() override {
        ConvertTest::SetUp();
        setenv("QUINDLE_QUIET", "1", 1);
        gates = &g;
        RegisterConverterClass("TkvTestGated", [](batch::TkvBatch& b, batch::TkvNodeEvent e, int32_t n) {
            return std::unique_ptr<TkvConvertor>(new TkvTestGated(b, std::move(e), n));
        });
        project->ConverterClass = "TkvTestGated";
    }
    void TearDown() override {
        RegisterConverterClass("TkvTestGated", nullptr);
        ConvertTest::TearDown();
    }
    std::shared_ptr<TkvWorkerChain> Start(TkvRun& run, const std::vector<std::string>& names, int threads) {
        for (const auto& n : names) Put(n);
        batch = std::make_unique<batch::TkvBatch>();
        batch->Start(src + "*", out, false);
        project->SetOption("ThreadsCount", std::to_string(threads));
        auto chain = run.CreateWorkers(*batch, out, {});
        LiveWorkerCount = chain->ChainLength();
        run.Resume(*chain);
        return chain;
    }
    void WaitEnd(std::shared_ptr<TkvWorkerChain>& chain) {
        ASSERT_TRUE(WaitUntil([] { return LiveWorkerCount.load() <= 0; }));
        std::weak_ptr<TkvWorkerChain> watch = chain;
        chain.reset();
        ASSERT_TRUE(WaitUntil([&] { return watch.expired(); }));
    }
};

}  // namespace

// Each line is in the file as soon as its file is done, in the order the
// files finish: a run that is killed leaves the record of what it did.
TEST_F(Run, EachFinishedFileIsLoggedAtOnceInFinishingOrder) {
    const std::string log = dir.Write("run.log", "the last run's lines\r\n");
    TkvRun run(TRunStyle::Console);
    run.OpenLog(log);
    EXPECT_EQ(ReadFileText(log), "") << "emptied before anything is converted";
    auto chain = Start(run, {"a.xlsx", "b.xlsx", "c.xlsx"}, 3);

    const std::string a = "Success => " + src + "a.xlsx => /out/a.xlsx.htm\r\n";
    const std::string b = "Success => " + src + "b.xlsx => /out/b.xlsx.htm\r\n";
    const std::string c = "Success => " + src + "c.xlsx => /out/c.xlsx.htm\r\n";
    g.Let("c.xlsx");
    ASSERT_TRUE(WaitUntil([&] { return ReadFileText(log) == c; })) << ReadFileText(log);
    g.Let("a.xlsx");
    ASSERT_TRUE(WaitUntil([&] { return ReadFileText(log) == c + a; })) << ReadFileText(log);
    g.Let("b.xlsx");
    WaitEnd(chain);
    run.Finish(*batch);
    EXPECT_EQ(ReadFileText(log), c + a + b);
    EXPECT_EQ(info->Stat("C"), "1");
    EXPECT_EQ(info->Stat("A"), "3");
}

// Without its record the run must not go on: the files being converted
// finish, no further one starts, and the run ends with the log's error.
TEST_F(Run, ALogThatCannotBeWrittenStopsTheRun) {
    TkvRun run(TRunStyle::Console);
    run.OpenLog("/dev/full");
    auto chain = Start(run, {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"}, 1);
    // The run stops at the first line it cannot write; the search must have
    // found every file by then for the count below to be known.
    ASSERT_TRUE(WaitUntil([&] { return !batch->IsSearching(); }));
    for (const char* n : {"a.xlsx", "b.xlsx", "c.xlsx", "d.xlsx"}) g.Let(n);
    WaitEnd(chain);
    {
        std::lock_guard<std::mutex> lock(g.mutex);
        EXPECT_EQ(g.converted, 1);
    }
    try {
        run.Finish(*batch);
        FAIL() << "the failed line is not reported";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("/dev/full"), std::string::npos) << e.what();
    }
    EXPECT_EQ(info->Stat("A"), "4") << "counted all the same";
}

// A batch that goes on after a pause keeps the lines of its first part.
TEST_F(Run, ABatchThatGoesOnAppendsToItsLog) {
    const std::string log = dir / "run.log";
    TkvRun run(TRunStyle::Window);
    run.OpenLog(log);
    for (const char* n : {"a.xlsx", "b.xlsx"}) g.Let(n);
    auto chain = Start(run, {"a.xlsx", "b.xlsx"}, 1);
    WaitEnd(chain);
    run.Finish(*batch);
    run.OpenLog(log, batch->HandedOut() > 0);
    run.Finish(*batch);
    EXPECT_EQ(ReadFileText(log), "[Success] => " + src + "a.xlsx => /out/a.xlsx.htm\r\n[Success] => " + src +
                                     "b.xlsx => /out/b.xlsx.htm\r\n");
}
