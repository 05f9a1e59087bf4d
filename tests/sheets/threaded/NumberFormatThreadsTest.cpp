#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "sheets/numfmt/NumberFormat.h"

// A compiled format is shared by the converter threads without a lock.
TEST(NumfmtThreads, OneCompiledFormatServesManyThreads) {
    auto f = sheets::NumberFormat::Compile("[Red][<0]#,##0.00;m/d/yyyy h:mm:ss;\"zero\";@");
    std::vector<std::string> expected;
    for (int i = 0; i < 500; ++i) expected.push_back(f->Format(i * 37.25 - 1000, false).text);
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round)
                for (int i = 0; i < 500; ++i)
                    if (f->Format(i * 37.25 - 1000, false).text != expected[size_t(i)]) ++mismatches[size_t(t)];
        });
    for (auto& th : threads) th.join();
    for (int m : mismatches) EXPECT_EQ(m, 0);
}
