#include <gtest/gtest.h>

#include "ui/RunStatus.h"

using namespace ui;

TEST(RunStatus, DurationsAndTheEstimate) {
    EXPECT_EQ(FormatDuration(4200), "4.2 s");
    EXPECT_EQ(FormatDuration(65000), "1:05");
    EXPECT_EQ(FormatDuration(3723000), "1:02:03");
    EXPECT_EQ(FormatDuration(-5), "0.0 s");

    // 10 files in 20 s, 30 to go: a minute more at that pace.
    EXPECT_EQ(EstimateRemainingMs(20000, 10, 30, false), 60000);
    // No estimate while the list still grows, nor from a single file.
    EXPECT_EQ(EstimateRemainingMs(20000, 10, 30, true), -1);
    EXPECT_EQ(EstimateRemainingMs(20000, 1, 30, false), -1);
    EXPECT_EQ(EstimateRemainingMs(300, 5, 30, false), -1);
    EXPECT_EQ(EstimateRemainingMs(20000, 10, 0, false), 0);
}

TEST(RunStatus, EachPhaseSaysWhereTheRunStands) {
    TkvStatusFacts f;
    EXPECT_EQ(StatusLine(f), "Ready");
    f.found = 140;
    EXPECT_EQ(StatusLine(f), "140 files in the list");

    f.phase = TkvRunPhase::Searching;
    f.searching = true;
    EXPECT_EQ(StatusLine(f), "Searching… 140 found");

    f.phase = TkvRunPhase::Converting;
    f.done = 12;
    f.elapsedMs = 15000;
    EXPECT_EQ(StatusLine(f), "Converting 12 of 140 found so far, still searching · 15.0 s elapsed");
    f.searching = false;
    f.remainingMs = 160000;
    EXPECT_EQ(StatusLine(f), "Converting 12 of 140 · 15.0 s elapsed · about 2:40 left");

    f.phase = TkvRunPhase::Pausing;
    f.converting = 1;
    EXPECT_EQ(StatusLine(f), "Pausing: finishing 1 file…");
    f.phase = TkvRunPhase::Paused;
    EXPECT_EQ(StatusLine(f), "Paused after 12 of 140 · Convert goes on with the rest");
    f.phase = TkvRunPhase::Stopped;
    f.failed = 2;
    EXPECT_EQ(StatusLine(f), "Stopped after 12 of 140 (10 converted, 2 failed) in 15.0 s");
    f.phase = TkvRunPhase::Finished;
    EXPECT_EQ(StatusLine(f), "Finished: 10 converted, 2 failed in 15.0 s");
    f.phase = TkvRunPhase::NextRun;
    f.nextRunSeconds = 42;
    EXPECT_EQ(StatusLine(f), "Next run in 42 s · Stop ends the cycle");
    f.phase = TkvRunPhase::Closing;
    f.converting = 3;
    EXPECT_EQ(StatusLine(f), "Finishing 3 files… close again to quit at once");

    f.phase = TkvRunPhase::Finished;
    f.found = f.done = f.failed = 0;
    EXPECT_EQ(StatusLine(f), "Finished: no files found in 15.0 s");

    f.phase = TkvRunPhase::Idle;
    f.found = 140;
    f.stale = true;
    EXPECT_EQ(StatusLine(f), "140 files in the list · Source changed: Convert searches again");
}
