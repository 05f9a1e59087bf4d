#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "info/TkvInfo.h"
#include "support/TempDir.h"

using namespace info;

TEST(TallyThreaded, ConcurrentUpdatesAreNeitherLostNorDamaging) {
    TempDir dir;
    constexpr int kThreads = 8, kRounds = 60;
    {
        TkvInfo info(dir / "quindle", dir / "quindle.ext");
        std::atomic<bool> stop{false};
        std::thread reader([&] {
            while (!stop) {
                (void)info.LinkText("", "", "");
                (void)info.Stat("A");
            }
        });
        std::vector<std::thread> workers;
        for (int t = 0; t < kThreads; ++t) {
            workers.emplace_back([&, t] {
                for (int r = 0; r < kRounds; ++r) {
                    info.Tally("A", 0, 1);
                    info.Tally("S", 0, 2);
                    info.Tally("W", 10 + t, 0);
                }
            });
        }
        for (auto& w : workers) w.join();
        stop = true;
        reader.join();
        EXPECT_EQ(info.Stat("A"), std::to_string(kThreads * kRounds));
        EXPECT_EQ(info.Stat("S"), std::to_string(2 * kThreads * kRounds));
    }
    TkvInfo again(dir / "quindle", dir / "quindle.ext");
    EXPECT_EQ(again.Stat("A"), std::to_string(kThreads * kRounds)) << "the file holds the last state";
    EXPECT_EQ(again.Stat("R"), "2");
}
