#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "project/TkvProject.h"

using namespace project;

// Workers read options while the main thread edits them.
TEST(OptionsThreaded, ReadsSeeWholeValuesWhileTheMainThreadEdits) {
    TkvProject p;
    p.SetOptionsText("Source=/in/*.xls?\r\nThreadsCount=4\r\n");
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&] {
            while (!stop) {
                const int32_t n = p.ThreadsCount();
                if (n != 4 && n != 8 && n != 1) ++bad;
                const std::string s = p.Source();
                if (s != "/in/*.xls?" && s != "/other/*.xls?" && !s.empty()) ++bad;
                (void)p.IsOverwrite();
                (void)p.RunAndClose();
                (void)p.OptionsText();
            }
        });
    }
    for (int i = 0; i < 3000; ++i) {
        p.SetOption("ThreadsCount", i % 2 ? "8" : "4");
        p.SetOption("Source", i % 2 ? "/other/*.xls?" : "/in/*.xls?");
        if (i % 100 == 0) p.SetOptionsText("Source=/in/*.xls?\r\nIsOverwrite=skip\r\n");
        p.SetOption("IsOverwrite", i % 3 ? "" : "0");
    }
    stop = true;
    for (auto& r : readers) r.join();
    EXPECT_EQ(bad.load(), 0);
}
