#include "support/ConvertFixture.h"

using namespace convert;

using ChainShape = ConvertTest;

TEST_F(ChainShape, CountsBelowOneGiveOneWorkerAndLengthsCountDown) {
    batch::TkvBatch& b = NewBatch();
    for (int32_t count : {1, 0, -5}) {
        auto w = CreateConverter("TkvQUINDLE", b, nullptr, count);
        EXPECT_EQ(w->ChainLength, 1);
        EXPECT_EQ(w->NextWorker(), nullptr);
    }
    auto first = CreateConverter("tkvquindle", b, nullptr, 4);
    std::vector<int32_t> lengths;
    for (TkvConvertor* w = first.get(); w; w = w->NextWorker()) {
        lengths.push_back(w->ChainLength);
        EXPECT_NE(dynamic_cast<TkvQUINDLE*>(w), nullptr);
    }
    EXPECT_EQ(lengths, (std::vector<int32_t>{4, 3, 2, 1}));
    EXPECT_THROW(CreateConverter("TkvNoSuchClass", b, nullptr, 1), std::runtime_error);
}

TEST_F(ChainShape, CreateWorkersReadsThreadsCountAndSetsTheTargetFolder) {
    batch::TkvBatch& b = NewBatch();
    project->SetOption("ThreadsCount", "3");
    auto chain = CreateWorkers(b, dir / "elsewhere", nullptr);
    EXPECT_EQ(chain->ChainLength(), 3);
    EXPECT_EQ(b.TargetDir(), dir / "elsewhere/");

    project->SetOption("ThreadsCount", "100000");
    EXPECT_EQ(CreateWorkers(b, out, nullptr)->ChainLength(), kMaxWorkers);

    project->ConverterClass = "TkvMissing";
    EXPECT_THROW(CreateWorkers(b, out, nullptr), std::runtime_error);
}
